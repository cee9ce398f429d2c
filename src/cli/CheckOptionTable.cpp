#include "cli/CheckOptionTable.h"

#include <array>

#include "cli/CheckArguments.h"
#include "core/export/ExportFormat.h"
#include "core/sources/bookmarks/BrowserProfiles.h"

namespace {

constexpr std::array kOptions{
    CheckOptionSpec{CheckOptionId::Threads, "-j", "--threads", "N", "check N links at once (1 to 1024, default {threads})"},
    CheckOptionSpec{CheckOptionId::HostLimit, "", "--host-limit", "N",
                    "check at most N links of one host at once (0 for no\n"
                    "limit, up to 256; default {host-limit}); a host that answers\n"
                    "429 Too Many Requests gets half as many from then on"},
    CheckOptionSpec{CheckOptionId::Retries, "", "--retries", "N",
                    "try a link answered 429 or 503 (Service Unavailable)\n"
                    "up to N more times (0 to 10, default {retries}), after the\n"
                    "wait its Retry-After asks for when that is at most\n"
                    "60 seconds, else after a second or two; a longer\n"
                    "Retry-After makes the answer final at once"},
    CheckOptionSpec{CheckOptionId::Timeout, "-t", "--timeout", "SECONDS",
                    "give each link SECONDS to answer (1 to 300)"},
    CheckOptionSpec{CheckOptionId::CaFile, "", "--ca-file", "FILE",
                    "also trust the certificates of the PEM bundle FILE\n"
                    "(a private CA), besides those of the system"},
    CheckOptionSpec{CheckOptionId::Export, "", "--export", "FORMAT FILE",
                    "also write the list to FILE in FORMAT: {formats}\n"
                    "(or the full name, such as \"CSV (With Folders)\");\n"
                    "bookmarks is a bookmarks file that browsers import"},
    CheckOptionSpec{CheckOptionId::LeaveOutBroken, "", "--leave-out-broken", "",
                    "leave the broken and partially broken links out of\n"
                    "every --export file"},
    CheckOptionSpec{CheckOptionId::Browser, "", "--browser", "NAME[:PROFILE]",
                    "check the bookmarks of a browser instead of SOURCE:\n"
                    "{browsers}; its default\n"
                    "profile, or the one named after the colon"},
    CheckOptionSpec{CheckOptionId::Results, "", "--results", "FILE",
                    "write the outcome of every link to FILE as CSV\n"
                    "(FOLDER,NAME,URL,STATUS,TEXT,FINAL_URL), or as a\n"
                    "JSON array when FILE ends in .json; FINAL_URL is\n"
                    "where the link's redirects ended\n"
                    "Each output needs a file of its own; a file is\n"
                    "replaced only once its new content is complete."},
    CheckOptionSpec{CheckOptionId::UpdateMoved, "", "--update-moved", "",
                    "after the check, point every favourite whose\n"
                    "redirects were all permanent (301, 308) and ended\n"
                    "at a valid page to that page, and print each\n"
                    "change; only with the Favorites folder; a deep\n"
                    "link sent to its site's home page is never changed"},
    CheckOptionSpec{CheckOptionId::NoContentChecks, "", "--no-content-checks", "",
                    "judge a page that answers 200 by its status alone;\n"
                    "by default its page is read (at most 256 KB) and a\n"
                    "parked domain or hosting that is gone is broken, a\n"
                    "page that says it was not found or a deep link sent\n"
                    "to the home page partially valid"},
    CheckOptionSpec{CheckOptionId::Cache, "", "--cache", "",
                    "take the outcome of a link checked not longer ago\n"
                    "than --max-cache-age from the results cache that\n"
                    "Zorbel shares ($XDG_CACHE_HOME/zorbel), check the\n"
                    "rest, and keep their outcomes there; without it the\n"
                    "cache is neither read nor written"},
    CheckOptionSpec{CheckOptionId::MaxCacheAge, "", "--max-cache-age", "AGE",
                    "the oldest outcome --cache takes: a number of\n"
                    "seconds, or a number with s, m, h or d (default 1d)"},
    CheckOptionSpec{CheckOptionId::Quiet, "-q", "--quiet", "", "print neither progress nor the report"},
    CheckOptionSpec{CheckOptionId::Help, "-h", "--help", "", "show this text"},
    CheckOptionSpec{CheckOptionId::Version, "-v", "--version", "", "show the version"},
};

// Where the descriptions begin, and the longest name that leaves them room
// on its own line.
constexpr std::size_t kHelpColumn = 25;
constexpr std::size_t kWidestName = kHelpColumn - 2;

void ReplaceAll(std::string& strText, std::string_view strFrom, const std::string& strTo)
{
    for (std::size_t n = strText.find(strFrom); n != std::string::npos; n = strText.find(strFrom, n + strTo.size()))
        strText.replace(n, strFrom.size(), strTo);
}

} // namespace

std::string ExportFormatNames()
{
    std::string strNames;
    for (const ExportFormat& format : kExportFormats) {
        if (!strNames.empty())
            strNames += ", ";
        strNames += format.m_strAlias;
    }
    return strNames;
}

std::span<const CheckOptionSpec> CheckOptionTable() { return kOptions; }

const CheckOptionSpec* FindCheckOption(std::string_view strName)
{
    for (const CheckOptionSpec& option : kOptions)
        if (strName == option.m_strLong || (!option.m_strShort.empty() && strName == option.m_strShort))
            return &option;
    return nullptr;
}

std::string CheckOptionsHelp()
{
    std::string strHelp;
    for (const CheckOptionSpec& option : kOptions) {
        std::string strName = "  ";
        strName += option.m_strShort.empty() ? std::string("    ") : std::string(option.m_strShort) + ", ";
        strName += option.m_strLong;
        if (option.TakesValue())
            strName += " " + std::string(option.m_strValue);
        std::string strText(option.m_strHelp);
        ReplaceAll(strText, "{formats}", ExportFormatNames());
        ReplaceAll(strText, "{browsers}", KnownBrowserNames());
        ReplaceAll(strText, "{threads}", std::to_string(kDefaultCheckThreads));
        ReplaceAll(strText, "{host-limit}", std::to_string(kDefaultHostLimit));
        ReplaceAll(strText, "{retries}", std::to_string(kDefaultRetries));
        strHelp += strName;
        if (strName.size() <= kWidestName)
            strHelp += std::string(kHelpColumn - strName.size(), ' ');
        else
            strHelp += "\n" + std::string(kHelpColumn, ' ');
        for (std::size_t n = 0; n < strText.size(); ++n) {
            strHelp += strText[n];
            if (strText[n] == '\n')
                strHelp += std::string(kHelpColumn, ' ');
        }
        strHelp += '\n';
    }
    return strHelp;
}
