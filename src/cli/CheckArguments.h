#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "core/check/CheckPass.h"

// The command line of zorbel-check.

// The defaults are the console's pass preset, whatever the window's thread
// setting says.
inline const int kDefaultCheckThreads = CheckPassOptions::Console().m_nThreadCount;
inline constexpr int kMaxCheckThreads = kMaxPassThreads;
inline const int kDefaultHostLimit = CheckPassOptions::Console().m_nHostLimit;
inline constexpr int kMaxHostLimit = 256;
inline const int kDefaultRetries = CheckPassOptions::Console().m_nRetries;
inline constexpr int kMaxCheckRetries = 10;

// The oldest kept outcome that --cache takes by default: one day.
inline constexpr std::int64_t kDefaultMaxCacheAge = 24 * 60 * 60;

struct CheckExport {
    std::int32_t m_nFormatId = 0; // an ExportFormatId
    std::string m_strPath;
};

struct CheckOptions {
    std::string m_strSource;                 // as given; empty: the Favorites folder
    std::string m_strBrowser;                // --browser NAME[:PROFILE]; instead of SOURCE
    std::optional<int> m_nThreads;           // 1 to 1024; absent: kDefaultCheckThreads
    std::optional<int> m_nTimeoutSeconds;    // 1 to 300; absent: the user's setting
    std::string m_strCaFile;                 // --ca-file: a PEM bundle trusted besides the system's
    int m_nHostLimit = kDefaultHostLimit;    // checks at once per host, 0 to 256; 0: no limit
    int m_nRetries = kDefaultRetries;        // further tries of a 429 or 503, 0 to 10
    std::vector<CheckExport> m_exports;      // in the order given
    std::optional<std::string> m_strResults; // the results file (JSON when it ends in .json)
    bool m_bUpdateMoved = false;             // rewrite the favourites that moved permanently
    bool m_bNoContentChecks = false;         // judge every 200 by its status alone
    bool m_bLeaveOutBroken = false;          // the exports leave broken and partially valid links out
    bool m_bCache = false;                   // read and write the results cache
    std::int64_t m_nMaxCacheAgeSeconds = kDefaultMaxCacheAge; // the oldest kept outcome taken
    bool m_bQuiet = false;
    bool m_bHelp = false;
    bool m_bVersion = false;
};

struct CheckArguments {
    CheckOptions m_options;
    std::string m_strError; // empty when the arguments are good
};

inline constexpr int kMinCheckTimeoutSeconds = 1;
inline constexpr int kMaxCheckTimeoutSeconds = 300;

// Parses the arguments after the program name. Options and SOURCE may come
// in any order; "--" ends the options. A value may follow its option as the
// next argument, or be joined to it ("--threads=4", "-j4"). The first error
// ends the parse and is described in strError.
CheckArguments ParseCheckArguments(std::span<const std::string> args);

// The text of --help.
std::string CheckUsageText();
