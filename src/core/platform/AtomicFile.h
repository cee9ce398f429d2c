#pragma once

#include <sys/types.h>

#include <cstdint>
#include <utility>

#include <string>
#include <string_view>

#include "core/platform/UniqueFd.h"

// The one writer of every file the program writes (exports, the results
// file, a favourite rewritten in place).
//
// A regular file, or a file that does not exist yet, is written to a new
// temporary file in the target's own folder; Commit flushes it to the disk
// and renames it over the target, with the old file's permissions (and,
// where the system allows, its owner). So the target is at every moment
// either the old file, whole, or the new one, whole: a full disk, a file
// size limit, a crash or a signal before Commit leaves the old file exactly
// as it was. A symbolic link is followed, and the file it ends at is the one
// replaced; the link stays a link. Everything after the target's folder is
// found (the temporary file, the rename, the flush of the folder) goes
// through one handle of that folder, so the new file lands in the folder
// that was opened even when its path is changed meanwhile.
//
// Anything else (a device such as /dev/null, a pipe with a reader) cannot
// be replaced, so it is opened and written directly, as a plain open for
// writing would.
//
// Before anything is created the target is checked as a plain open for
// writing would check it: a read-only file, a folder, a pipe nobody reads
// (ENXIO, instead of blocking) and a file that another program holds an
// exclusive lock on (EWOULDBLOCK) are refused.
//
// One object writes one file at a time, on one thread.
class CAtomicFile {
public:
    CAtomicFile() = default;
    // Discards what was not committed.
    ~CAtomicFile();
    CAtomicFile(const CAtomicFile&) = delete;
    CAtomicFile& operator=(const CAtomicFile&) = delete;

    // Starts writing the target. Returns 0, or the errno that stops it; then
    // nothing was created and the target is untouched.
    int Open(const std::string& strPath);

    // The same for the file strName inside the folder hFolder (which stays
    // the caller's), without following a symbolic link: a link in strName's
    // place is refused (ELOOP) and nothing is ever written outside that
    // folder. After a successful open, TargetExists and TargetIdentity tell
    // which file would be replaced, so that the caller can make sure it is
    // the one it read.
    int OpenInFolder(int hFolder, const std::string& strName);
    bool TargetExists() const { return m_bReplacing || m_target.IsOpen(); }
    // Device and inode of the existing target (both 0 for a new file); after
    // a Commit, those of the file that replaced it.
    std::pair<std::uint64_t, std::uint64_t> TargetIdentity() const { return {m_nTargetDevice, m_nTargetInode}; }

    // Appends the bytes. Returns 0, or the errno of the first failure; after
    // a failure nothing more is written.
    int Write(std::string_view strBytes);

    // Makes the written bytes the target's content. Returns 0, or the errno
    // of the first failure (of a write, the flush, the rename); on failure
    // the temporary file is removed and the target is as it was.
    int Commit();

    // Gives the new content up: the temporary file is removed and the target
    // is as it was. Nothing happens when nothing is open.
    void Discard();

    // True between Open and Commit or Discard.
    bool IsOpen() const { return m_target.IsOpen() || m_temp.IsOpen(); }
    // The errno of the first failure since Open, 0 while all is well.
    int Error() const { return m_nError; }

    // The system calls that fail on a full or failing disk, in one place so
    // that a test can make them fail.
    struct SystemCalls {
        ssize_t (*m_pfnWrite)(int hFd, const void* pBytes, size_t nBytes);
        int (*m_pfnSync)(int hFd);
        int (*m_pfnRename)(int hFromFolder, const char* pszFrom, int hToFolder, const char* pszTo);
    };
    static SystemCalls s_systemCalls;

private:
    int Fail(int nError);
    int OpenTarget();

    CUniqueFd m_target;      // the existing target: held for its lock, or written directly
    CUniqueFd m_temp;        // the new content, while the target is a regular file or new
    CUniqueFd m_folder;      // the folder the target is in
    std::string m_strName;   // the target's name in m_folder
    std::string m_strTemp;   // the temporary file's name in m_folder
    std::uint64_t m_nTargetDevice = 0;
    std::uint64_t m_nTargetInode = 0;
    mode_t m_nMode = 0;      // the old file's permissions
    uid_t m_nOwner = 0;
    gid_t m_nGroup = 0;
    bool m_bReplacing = false; // an existing regular file is replaced
    int m_nError = 0;
};

// Replaces (or creates) the file with exactly these bytes, as CAtomicFile
// does. Returns 0 or the errno that stopped it; on failure the file is as it
// was.
int WriteFileAtomically(const std::string& strPath, std::string_view strBytes);

// Whether CAtomicFile::Open would get past its checks now, without creating
// or changing anything: 0, or the errno it would stop at. For a regular or
// a new file this includes that a file can be made in the target's folder.
int CheckAtomicFileTarget(const std::string& strPath);
