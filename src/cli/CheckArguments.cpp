#include "CheckArguments.h"

#include <charconv>
#include <string_view>

#include "export/ExportFormat.h"
#include "settings/CheckSettings.h"

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

std::string FormatNames()
{
    std::string strNames;
    for (const ExportFormat& format : g_exportFormats) {
        if (!strNames.empty())
            strNames += ", ";
        strNames += format.m_strAlias;
    }
    return strNames;
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
        return std::move(m_result);
    }

private:
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

        if (strName == "-j" || strName == "--threads") {
            if (const auto strValue = Value(strName, joined)) {
                options.m_nThreads = ParseNumber(*strValue, 1, kMaxCheckThreads);
                if (!options.m_nThreads)
                    Fail(strName + " takes a number of threads from 1 to " + std::to_string(kMaxCheckThreads) +
                         ", not \"" + *strValue + "\"");
            }
        } else if (strName == "--host-limit") {
            if (const auto strValue = Value(strName, joined)) {
                const std::optional<int> nLimit = ParseNumber(*strValue, 0, kMaxHostLimit);
                if (!nLimit)
                    return Fail(strName + " takes a number of checks at once per host from 0 (no limit) to " +
                                std::to_string(kMaxHostLimit) + ", not \"" + *strValue + "\"");
                options.m_nHostLimit = *nLimit;
            }
        } else if (strName == "--retries") {
            if (const auto strValue = Value(strName, joined)) {
                const std::optional<int> nRetries = ParseNumber(*strValue, 0, kMaxCheckRetries);
                if (!nRetries)
                    return Fail(strName + " takes a number of retries from 0 to " + std::to_string(kMaxCheckRetries) +
                                ", not \"" + *strValue + "\"");
                options.m_nRetries = *nRetries;
            }
        } else if (strName == "-t" || strName == "--timeout") {
            if (const auto strValue = Value(strName, joined)) {
                options.m_nTimeoutSeconds = ParseNumber(*strValue, kMinCheckTimeoutSeconds, kMaxCheckTimeoutSeconds);
                if (!options.m_nTimeoutSeconds)
                    Fail(strName + " takes a time-out in seconds from 1 to 300, not \"" + *strValue + "\"");
            }
        } else if (strName == "--export") {
            const auto strFormat = Value(strName, joined);
            if (!strFormat)
                return;
            const ExportFormat* pFormat = FindExportFormatByName(*strFormat);
            if (pFormat == nullptr)
                return Fail("unknown export format \"" + *strFormat + "\"; the formats are " + FormatNames() +
                            ", or their full names such as \"CSV (With Folders)\"");
            if (m_nNext >= m_args.size())
                return Fail("option --export needs a format and a FILE");
            const std::string& strPath = m_args[m_nNext++];
            if (strPath.empty())
                return Fail("option --export needs a FILE name that is not empty");
            options.m_exports.push_back({pFormat->m_nId, strPath});
        } else if (strName == "--results") {
            if (const auto strValue = Value(strName, joined)) {
                if (strValue->empty())
                    return Fail("option --results needs a FILE name that is not empty");
                options.m_strResults = *strValue;
            }
        } else if ((strName == "-q" || strName == "--quiet") && !joined) {
            options.m_bQuiet = true;
        } else if ((strName == "-h" || strName == "--help") && !joined) {
            options.m_bHelp = true;
        } else if (strName == "--version" && !joined) {
            options.m_bVersion = true;
        } else {
            Fail("unknown option \"" + strArg + "\"");
        }
    }

    std::span<const std::string> m_args;
    std::size_t m_nNext = 0;
    bool m_bHaveSource = false;
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
           "no link is broken or partially broken, 1 when one is, 2 on an error and 130\n"
           "when stopped with Ctrl+C.\n"
           "\n"
           "Options:\n"
           "  -j, --threads N        check N links at once (1 to 256, default 64)\n"
           "      --host-limit N     check at most N links of one host at once (0 for no\n"
           "                         limit, up to 256; default 8); a host that answers\n"
           "                         429 Too Many Requests gets half as many from then on\n"
           "      --retries N        try a link answered 429 or 503 (Service Unavailable)\n"
           "                         up to N more times (0 to 10, default 2), after the\n"
           "                         wait its Retry-After asks for when that is at most\n"
           "                         60 seconds, else after a second or two; a longer\n"
           "                         Retry-After makes the answer final at once\n"
           "  -t, --timeout SECONDS  give each link SECONDS to answer (1 to 300)\n"
           "      --export FORMAT FILE\n"
           "                         also write the list to FILE in FORMAT: " +
           FormatNames() +
           "\n"
           "                         (or the full name, such as \"CSV (With Folders)\")\n"
           "      --results FILE     write the outcome of every link to FILE as CSV\n"
           "                         (FOLDER,NAME,URL,STATUS,TEXT)\n"
           "  -q, --quiet            print neither progress nor the report\n"
           "  -h, --help             show this text\n"
           "      --version          show the version\n"
           "\n"
           "The time-out defaults to the setting of Zorbel, which this program reads\n"
           "but never changes. A host is a name or address with its port; links keep\n"
           "their order in the results whatever the order of the checks.\n";
}
