#include "cli/CheckArguments.h"

#include <sys/stat.h>

#include <cerrno>
#include <charconv>
#include <fstream>
#include <iterator>
#include <filesystem>
#include <string_view>

#include "cli/CheckOptionTable.h"
#include "core/export/ExportFormat.h"
#include "core/platform/SystemError.h"
#include "core/results/KeptOutcomes.h"
#include "core/settings/CheckSettings.h"
#include "core/sources/bookmarks/BrowserProfiles.h"

namespace {

// Reads a whole decimal number within the range, or nothing.
std::optional<int> ParseNumber(std::string_view strValue, int nMin, int nMax)
{
    int nValue = 0;
    const char* pEnd = strValue.data() + strValue.size();
    const auto [p, ec] = std::from_chars(strValue.data(), pEnd, nValue);
    if (strValue.empty() || ec != std::errc() || p != pEnd || nValue < nMin || nValue > nMax)
        return std::nullopt;
    return nValue;
}

// Why a --ca-file cannot serve: it cannot be read, or it holds no PEM
// certificate. Empty when it can.
std::string CaFileProblem(const std::string& strPath)
{
    if (strPath.empty())
        return "is not a file name";
    struct stat info {};
    if (::stat(strPath.c_str(), &info) != 0)
        return std::string("cannot be read: ") + FormatSystemError(static_cast<std::uint32_t>(errno));
    if (!S_ISREG(info.st_mode))
        return "is not a file";
    std::ifstream file(strPath, std::ios::binary);
    if (!file)
        return std::string("cannot be read: ") + FormatSystemError(static_cast<std::uint32_t>(errno));
    const std::string strText((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    if (file.bad())
        return "cannot be read";
    if (strText.find("-----BEGIN CERTIFICATE-----") == std::string::npos)
        return "holds no certificate in PEM form";
    return {};
}

// Where a write to the path ends: symbolic links in its last part followed
// to their end as a plain open follows them, whether that end exists yet or
// not, then the folders on the way made canonical. A chain that does not
// end is left where it stopped.
std::filesystem::path WrittenPath(const std::string& strPath)
{
    std::filesystem::path current = strPath;
    for (int nHop = 0; nHop < 40; ++nHop) {
        std::error_code error;
        if (!std::filesystem::is_symlink(std::filesystem::symlink_status(current, error)) || error)
            break;
        const std::filesystem::path link = std::filesystem::read_symlink(current, error);
        if (error)
            break;
        current = link.is_absolute() ? link : current.parent_path() / link;
    }
    std::error_code error;
    const std::filesystem::path absolute = std::filesystem::absolute(current, error);
    if (error)
        return current.lexically_normal();
    const std::filesystem::path canonical = std::filesystem::weakly_canonical(absolute, error);
    return error ? absolute.lexically_normal() : canonical;
}

// True when two outputs would write the same file: the same path, spelled
// alike or not (through "..", a symbolic link, also one to a file not made
// yet, or a hard link). A device such as /dev/null may take several outputs.
bool NameTheSameFile(const std::string& strFirst, const std::string& strSecond)
{
    struct stat first {};
    struct stat second {};
    const bool bFirst = ::stat(strFirst.c_str(), &first) == 0;
    const bool bSecond = ::stat(strSecond.c_str(), &second) == 0;
    if (bFirst && bSecond)
        return first.st_dev == second.st_dev && first.st_ino == second.st_ino && S_ISREG(first.st_mode);
    if (bFirst != bSecond)
        return false; // one exists and the other does not
    if (strFirst == strSecond)
        return true;
    // Neither exists yet: where each would be made.
    return WrittenPath(strFirst) == WrittenPath(strSecond);
}

class CParser {
public:
    explicit CParser(std::span<const std::string> args) : m_args(args) {}

    CheckArguments Run()
    {
        bool bOptionsEnded = false;
        while (m_nNext < m_args.size() && m_result.m_strError.empty()) {
            const std::string& strArg = m_args[m_nNext++];
            if (bOptionsEnded || strArg.size() < 2 || strArg[0] != '-')
                TakeSource(strArg);
            else if (strArg == "--")
                bOptionsEnded = true;
            else
                TakeOption(strArg);
        }
        if (m_result.m_strError.empty() && m_bHaveSource && !m_result.m_options.m_strBrowser.empty())
            Fail("--browser and a SOURCE cannot both be given");
        if (m_result.m_strError.empty())
            RefuseSharedFiles();
        // An age without the cache would be silently ignored.
        if (m_result.m_strError.empty() && m_bHaveMaxAge && !m_result.m_options.m_bCache)
            Fail("--max-cache-age needs --cache");
        // The links of a page are no files to rewrite.
        if (m_result.m_strError.empty() && m_result.m_options.m_bUpdateMoved && m_bHaveSource)
            Fail("--update-moved rewrites favourites of the Favorites folder and takes no SOURCE");
        return std::move(m_result);
    }

private:
    // Two outputs on one file would leave only the last one written.
    void RefuseSharedFiles()
    {
        std::vector<std::pair<std::string_view, const std::string*>> outputs;
        for (const CheckExport& exportTo : m_result.m_options.m_exports)
            outputs.emplace_back("--export", &exportTo.m_strPath);
        if (m_result.m_options.m_strResults)
            outputs.emplace_back("--results", &*m_result.m_options.m_strResults);
        for (std::size_t i = 0; i < outputs.size(); ++i) {
            for (std::size_t j = i + 1; j < outputs.size(); ++j) {
                if (NameTheSameFile(*outputs[i].second, *outputs[j].second))
                    return Fail(std::string(outputs[i].first) + " and " + std::string(outputs[j].first) +
                                " name the same file (\"" + *outputs[i].second + "\" and \"" + *outputs[j].second +
                                "\"); each output needs a file of its own");
            }
        }
    }

    void Fail(std::string strError)
    {
        if (m_result.m_strError.empty())
            m_result.m_strError = std::move(strError);
    }

    void TakeSource(const std::string& strArg)
    {
        if (m_bHaveSource)
            return Fail("only one SOURCE may be given (\"" + m_result.m_options.m_strSource + "\" and \"" + strArg +
                        "\")");
        m_bHaveSource = true;
        m_result.m_options.m_strSource = strArg;
    }

    // The value of an option: joined to it or the next argument.
    std::optional<std::string> Value(std::string_view strOption, std::optional<std::string> joined)
    {
        if (joined)
            return joined;
        if (m_nNext >= m_args.size()) {
            Fail("option " + std::string(strOption) + " needs a value");
            return std::nullopt;
        }
        return m_args[m_nNext++];
    }

    void TakeOption(const std::string& strArg)
    {
        // Split "--name=value" and "-xVALUE".
        std::string strName = strArg;
        std::optional<std::string> joined;
        if (strArg.starts_with("--")) {
            if (const auto nEquals = strArg.find('='); nEquals != std::string::npos) {
                strName = strArg.substr(0, nEquals);
                joined = strArg.substr(nEquals + 1);
            }
        } else if (strArg.size() > 2) {
            strName = strArg.substr(0, 2);
            joined = strArg.substr(2);
        }
        CheckOptions& options = m_result.m_options;

        // An option that takes no value is unknown with one joined to it.
        const CheckOptionSpec* pOption = FindCheckOption(strName);
        if (pOption == nullptr || (!pOption->TakesValue() && joined))
            return Fail("unknown option \"" + strArg + "\"");

        switch (pOption->m_nId) {
        case CheckOptionId::Threads:
            if (const auto strValue = Value(strName, joined)) {
                options.m_nThreads = ParseNumber(*strValue, 1, kMaxCheckThreads);
                if (!options.m_nThreads)
                    Fail(strName + " takes a number of threads from 1 to " + std::to_string(kMaxCheckThreads) +
                         ", not \"" + *strValue + "\"");
            }
            return;
        case CheckOptionId::HostLimit:
            if (const auto strValue = Value(strName, joined)) {
                const std::optional<int> nLimit = ParseNumber(*strValue, 0, kMaxHostLimit);
                if (!nLimit)
                    return Fail(strName + " takes a number of checks at once per host from 0 (no limit) to " +
                                std::to_string(kMaxHostLimit) + ", not \"" + *strValue + "\"");
                options.m_nHostLimit = *nLimit;
            }
            return;
        case CheckOptionId::Retries:
            if (const auto strValue = Value(strName, joined)) {
                const std::optional<int> nRetries = ParseNumber(*strValue, 0, kMaxCheckRetries);
                if (!nRetries)
                    return Fail(strName + " takes a number of retries from 0 to " + std::to_string(kMaxCheckRetries) +
                                ", not \"" + *strValue + "\"");
                options.m_nRetries = *nRetries;
            }
            return;
        case CheckOptionId::Timeout:
            if (const auto strValue = Value(strName, joined)) {
                options.m_nTimeoutSeconds = ParseNumber(*strValue, kMinCheckTimeoutSeconds, kMaxCheckTimeoutSeconds);
                if (!options.m_nTimeoutSeconds)
                    Fail(strName + " takes a time-out in seconds from 1 to 300, not \"" + *strValue + "\"");
            }
            return;
        case CheckOptionId::CaFile:
            if (const auto strValue = Value(strName, joined)) {
                const std::string strProblem = CaFileProblem(*strValue);
                if (!strProblem.empty())
                    return Fail("option --ca-file: \"" + *strValue + "\" " + strProblem);
                options.m_strCaFile = *strValue;
            }
            return;
        case CheckOptionId::Export: {
            const auto strFormat = Value(strName, joined);
            if (!strFormat)
                return;
            const ExportFormat* pFormat = FindExportFormatByName(*strFormat);
            if (pFormat == nullptr)
                return Fail("unknown export format \"" + *strFormat + "\"; the formats are " + ExportFormatNames() +
                            ", or their full names such as \"CSV (With Folders)\"");
            if (m_nNext >= m_args.size())
                return Fail("option --export needs a format and a FILE");
            const std::string& strPath = m_args[m_nNext++];
            if (strPath.empty())
                return Fail("option --export needs a FILE name that is not empty");
            options.m_exports.push_back({pFormat->m_nId, strPath});
            return;
        }
        case CheckOptionId::Browser:
            if (const auto strValue = Value(strName, joined)) {
                if (!IsKnownBrowser(*strValue))
                    return Fail("unknown browser \"" + *strValue + "\"; the browsers are " + KnownBrowserNames());
                options.m_strBrowser = *strValue;
            }
            return;
        case CheckOptionId::Results:
            if (const auto strValue = Value(strName, joined)) {
                if (strValue->empty())
                    return Fail("option --results needs a FILE name that is not empty");
                options.m_strResults = *strValue;
            }
            return;
        case CheckOptionId::UpdateMoved:
            options.m_bUpdateMoved = true;
            return;
        case CheckOptionId::NoContentChecks:
            options.m_bNoContentChecks = true;
            return;
        case CheckOptionId::LeaveOutBroken:
            options.m_bLeaveOutBroken = true;
            return;
        case CheckOptionId::Cache:
            options.m_bCache = true;
            return;
        case CheckOptionId::MaxCacheAge:
            if (const auto strValue = Value(strName, joined)) {
                const std::optional<std::int64_t> nAge = ParseCacheAge(*strValue);
                if (!nAge)
                    return Fail(strName + " takes an age such as 3600, 90m, 12h or 7d (seconds, minutes, hours, days), "
                                          "not \"" + *strValue + "\"");
                options.m_nMaxCacheAgeSeconds = *nAge;
                m_bHaveMaxAge = true;
            }
            return;
        case CheckOptionId::Quiet:
            options.m_bQuiet = true;
            return;
        case CheckOptionId::Help:
            options.m_bHelp = true;
            return;
        case CheckOptionId::Version:
            options.m_bVersion = true;
            return;
        }
    }

    std::span<const std::string> m_args;
    std::size_t m_nNext = 0;
    bool m_bHaveSource = false;
    bool m_bHaveMaxAge = false;
    CheckArguments m_result;
};

} // namespace

CheckArguments ParseCheckArguments(std::span<const std::string> args) { return CParser(args).Run(); }

std::string CheckUsageText()
{
    return "Usage: zorbel-check [options] [SOURCE]\n"
           "\n"
           "Checks every link of SOURCE, a web page (http:// or https://) or a file,\n"
           "with or without the \"zorbel:\" prefix; without SOURCE, every favourite of\n"
           "the Favorites folder. Prints the report of the check and exits with 0 when\n"
           "no link is broken or partially broken, 1 when one is, 2 on an error, and\n"
           "130, 143 or 129 when stopped by Ctrl+C, SIGTERM or SIGHUP (the checks under\n"
           "way are abandoned at once and count as not checked; the report and the\n"
           "files are still written).\n"
           "\n"
           "Options:\n" +
           CheckOptionsHelp() +
           "\n"
           "The time-out defaults to the setting of Zorbel, which this program reads\n"
           "but never changes. Without --update-moved no favourite is changed. A host\n"
           "is a name or address with its port; links keep their order in the results\n"
           "whatever the order of the checks.\n"
           "\n"
           "A SOURCE file that is a browser's bookmark store (Firefox's places.sqlite,\n"
           "a Chromium-family Bookmarks file, an exported bookmarks.html) is read with\n"
           "its folders and names; one that cannot be read is an error (status 2).\n";
}
