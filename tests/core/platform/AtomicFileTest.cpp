// The one file writer: a regular file is either the old one or the whole new
// one, whatever fails (a write, the flush, the rename, the process itself);
// the new file has the old one's permissions, or those of a plain create;
// a symbolic link is written through and stays a link; what is not a
// regular file is written directly, and what a plain open for writing
// refuses is refused before anything is made.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <set>
#include <string>
#include <thread>

#include "AtomicFileSeam.h"
#include "core/export/ExportTestSupport.h"
#include "core/platform/AtomicFile.h"

namespace {

namespace fs = std::filesystem;
using export_test::ReadBytes;
using export_test::TempDir;
using export_test::WriteBytes;

std::set<std::string> NamesIn(const fs::path& folder)
{
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder))
        names.insert(entry.path().filename().string());
    return names;
}

mode_t ModeOf(const std::string& strPath)
{
    struct stat info {};
    ::lstat(strPath.c_str(), &info);
    return info.st_mode & 07777;
}

// Sets the umask for one test.
class Umask {
public:
    explicit Umask(mode_t nMask) : m_nOld(::umask(nMask)) {}
    ~Umask() { ::umask(m_nOld); }

private:
    mode_t m_nOld;
};

TEST(AtomicFile, NewFileGetsItsBytesAndThePermissionsOfAPlainCreate)
{
    TempDir dir;
    Umask mask(027);
    const std::string strPath = dir.File("new.txt");
    ASSERT_EQ(WriteFileAtomically(strPath, "first line\r\nsecond\r\n"), 0);
    EXPECT_EQ(ReadBytes(strPath), "first line\r\nsecond\r\n");
    EXPECT_EQ(ModeOf(strPath), 0640u);
    EXPECT_EQ(NamesIn(dir.Path()), std::set<std::string>{"new.txt"});
}

TEST(AtomicFile, ReplacementKeepsThePermissionsAndFollowsSymbolicLinks)
{
    TempDir dir;
    const std::string strPath = dir.File("list.txt");
    WriteBytes(strPath, std::string(50000, 'o'));
    ASSERT_EQ(::chmod(strPath.c_str(), 0604), 0);
    ASSERT_EQ(WriteFileAtomically(strPath, "new"), 0);
    EXPECT_EQ(ReadBytes(strPath), "new");
    EXPECT_EQ(ModeOf(strPath), 0604u);

    // A link (and a link to the link) to a file in another folder: that file
    // gets the content, both links stay links.
    fs::create_directory(dir.Path() / "real");
    const std::string strReal = (dir.Path() / "real/target.csv").string();
    WriteBytes(strReal, "old");
    ::chmod(strReal.c_str(), 0640);
    ASSERT_EQ(::symlink("real/target.csv", dir.File("link.csv").c_str()), 0);
    ASSERT_EQ(::symlink(dir.File("link.csv").c_str(), dir.File("link2.csv").c_str()), 0);
    ASSERT_EQ(WriteFileAtomically(dir.File("link2.csv"), "through the links"), 0);
    EXPECT_TRUE(fs::is_symlink(dir.File("link.csv")));
    EXPECT_TRUE(fs::is_symlink(dir.File("link2.csv")));
    EXPECT_EQ(ReadBytes(strReal), "through the links");
    EXPECT_EQ(ModeOf(strReal), 0640u);
    EXPECT_EQ(NamesIn(dir.Path() / "real"), std::set<std::string>{"target.csv"});

    // A dangling link makes its target, as a plain open would.
    ASSERT_EQ(::symlink("real/made.txt", dir.File("dangling").c_str()), 0);
    ASSERT_EQ(WriteFileAtomically(dir.File("dangling"), "made"), 0);
    EXPECT_EQ(ReadBytes((dir.Path() / "real/made.txt").string()), "made");
}

TEST(AtomicFile, EveryFailureLeavesTheOldFileAsItWasAndNoTemporaryFile)
{
    struct Case {
        CFailingDisk::Call m_nCall;
        int m_nError;
        const char* m_pszWhat;
    };
    const Case kCases[] = {
        {CFailingDisk::Call::Write, ENOSPC, "full disk"},
        {CFailingDisk::Call::Sync, EIO, "failing flush"},
        {CFailingDisk::Call::Rename, EXDEV, "failing rename"},
    };
    const std::string strOld(100000, 'k');
    for (const Case& failure : kCases) {
        TempDir dir;
        const std::string strPath = dir.File("keep.htm");
        WriteBytes(strPath, strOld);
        ::chmod(strPath.c_str(), 0644);
        {
            CFailingDisk disk(failure.m_nCall, failure.m_nError, 4096);
            CAtomicFile file;
            ASSERT_EQ(file.Open(strPath), 0) << failure.m_pszWhat;
            int nError = file.Write(std::string(200000, 'n'));
            if (nError == 0)
                nError = file.Commit();
            EXPECT_EQ(nError, failure.m_nError) << failure.m_pszWhat;
            EXPECT_EQ(file.Error(), failure.m_nError) << failure.m_pszWhat;
            EXPECT_EQ(file.Commit(), failure.m_nError) << "a failure stays a failure";
        }
        EXPECT_TRUE(ReadBytes(strPath) == strOld) << failure.m_pszWhat;
        EXPECT_EQ(ModeOf(strPath), 0644u);
        EXPECT_EQ(NamesIn(dir.Path()), std::set<std::string>{"keep.htm"}) << failure.m_pszWhat;

        // A file that did not exist does not appear.
        CFailingDisk disk(failure.m_nCall, failure.m_nError);
        EXPECT_EQ(WriteFileAtomically(dir.File("new.htm"), "x"), failure.m_nError) << failure.m_pszWhat;
        EXPECT_EQ(NamesIn(dir.Path()), std::set<std::string>{"keep.htm"}) << failure.m_pszWhat;
    }
}

TEST(AtomicFile, WhatIsNotCommittedIsGivenUp)
{
    TempDir dir;
    const std::string strPath = dir.File("keep.txt");
    WriteBytes(strPath, "old");
    {
        CAtomicFile file;
        ASSERT_EQ(file.Open(strPath), 0);
        ASSERT_EQ(file.Write("new"), 0);
        EXPECT_TRUE(file.IsOpen());
        EXPECT_EQ(NamesIn(dir.Path()).size(), 2u); // the target and the new content beside it
    }
    EXPECT_EQ(ReadBytes(strPath), "old");
    CAtomicFile file;
    ASSERT_EQ(file.Open(strPath), 0);
    file.Write("new");
    file.Discard();
    EXPECT_FALSE(file.IsOpen());
    EXPECT_EQ(ReadBytes(strPath), "old");
    EXPECT_EQ(NamesIn(dir.Path()), std::set<std::string>{"keep.txt"});
}

TEST(AtomicFile, AProcessKilledWhileWritingLeavesTheOldFile)
{
    TempDir dir;
    const std::string strPath = dir.File("export.htm");
    const std::string strOld = "<HTML>the whole old page</HTML>\r\n";
    WriteBytes(strPath, strOld);
    int hReady[2];
    ASSERT_EQ(::pipe(hReady), 0);
    const pid_t pid = ::fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        CAtomicFile file;
        if (file.Open(strPath) != 0 || file.Write("<HTML>half a pa") != 0)
            ::_exit(1);
        [[maybe_unused]] const ssize_t nSent = ::write(hReady[1], "r", 1);
        for (;;)
            ::pause();
    }
    ::close(hReady[1]);
    char ch = 0;
    ASSERT_EQ(::read(hReady[0], &ch, 1), 1);
    ::close(hReady[0]);
    ::kill(pid, SIGKILL);
    int nStatus = 0;
    ASSERT_EQ(::waitpid(pid, &nStatus, 0), pid);
    EXPECT_TRUE(WIFSIGNALED(nStatus));
    EXPECT_EQ(ReadBytes(strPath), strOld);
}

TEST(AtomicFile, WhatIsNotARegularFileIsWrittenDirectlyOrRefusedAsAPlainOpenWould)
{
    TempDir dir;
    // A device takes the bytes as they come.
    EXPECT_EQ(WriteFileAtomically("/dev/null", "gone"), 0);

    // A pipe with a reader gets the bytes; one without a reader is refused.
    const std::string strPipe = dir.File("pipe");
    ASSERT_EQ(::mkfifo(strPipe.c_str(), 0600), 0);
    EXPECT_EQ(WriteFileAtomically(strPipe, "x"), ENXIO);
    std::string strRead;
    std::thread reader([&] { strRead = ReadBytes(strPipe); });
    // The reader opens the pipe at some point; until then there is none.
    int nError = ENXIO;
    for (int n = 0; n < 500 && nError == ENXIO; ++n) {
        nError = WriteFileAtomically(strPipe, "through the pipe");
        if (nError == ENXIO)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    if (nError == ENXIO) {
        const int hUnblock = ::open(strPipe.c_str(), O_WRONLY);
        ::close(hUnblock);
    }
    reader.join();
    EXPECT_EQ(nError, 0);
    EXPECT_EQ(strRead, "through the pipe");
    EXPECT_TRUE(fs::is_fifo(strPipe));

    EXPECT_EQ(WriteFileAtomically(dir.Path().string(), "x"), EISDIR);
    EXPECT_EQ(WriteFileAtomically(dir.File("sub/"), "x"), ENOENT);
    EXPECT_EQ(WriteFileAtomically(dir.File("missing/file"), "x"), ENOENT);
    EXPECT_EQ(NamesIn(dir.Path()), std::set<std::string>{"pipe"});
}

TEST(AtomicFile, ALongNameStillFindsRoomForItsTemporaryFile)
{
    TempDir dir;
    const std::string strPath = dir.File(std::string(255, 'n'));
    WriteBytes(strPath, "old");
    ASSERT_EQ(WriteFileAtomically(strPath, "new"), 0);
    EXPECT_EQ(ReadBytes(strPath), "new");
}

TEST(AtomicFile, TheCheckBeforehandSaysWhatOpenWouldSayAndChangesNothing)
{
    TempDir dir;
    EXPECT_EQ(CheckAtomicFileTarget(dir.File("new.txt")), 0);
    EXPECT_EQ(CheckAtomicFileTarget(dir.File("missing/new.txt")), ENOENT);
    EXPECT_EQ(CheckAtomicFileTarget(dir.Path().string()), EISDIR);
    WriteBytes(dir.File("file"), "x");
    EXPECT_EQ(CheckAtomicFileTarget(dir.File("file")), 0);
    EXPECT_EQ(CheckAtomicFileTarget(dir.File("file/inside")), ENOTDIR);
    EXPECT_EQ(CheckAtomicFileTarget("/dev/null"), 0);
    EXPECT_EQ(CheckAtomicFileTarget(""), ENOENT);
    EXPECT_EQ(NamesIn(dir.Path()), std::set<std::string>{"file"});
    if (::geteuid() != 0) {
        // A file in a folder that only lets it be read cannot be replaced.
        fs::create_directory(dir.Path() / "ro");
        WriteBytes(dir.File("ro/file"), "x");
        ::chmod(dir.File("ro").c_str(), 0555);
        EXPECT_EQ(CheckAtomicFileTarget(dir.File("ro/file")), EACCES);
        EXPECT_EQ(WriteFileAtomically(dir.File("ro/file"), "y"), EACCES);
        EXPECT_EQ(ReadBytes(dir.File("ro/file")), "x");
    }
}

} // namespace
