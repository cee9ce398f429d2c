#pragma once

#include <span>
#include <string>
#include <string_view>

// The options of zorbel-check, in the order --help lists them. The one
// table drives the argument parser, the --help text and the list the
// manual page is held to.

enum class CheckOptionId {
    Threads,
    HostLimit,
    Retries,
    Timeout,
    CaFile,
    Export,
    LeaveOutBroken,
    Browser,
    Results,
    UpdateMoved,
    NoContentChecks,
    Cache,
    MaxCacheAge,
    Quiet,
    Help,
    Version,
};

struct CheckOptionSpec {
    CheckOptionId m_nId;
    std::string_view m_strShort; // "-j", or empty
    std::string_view m_strLong;  // "--threads"
    // What follows the option in --help ("N", "FORMAT FILE"); empty for an
    // option that takes no value.
    std::string_view m_strValue;
    // The lines of its description in --help, joined by '\n'. "{formats}"
    // stands for the names of the export formats, "{browsers}" for those of
    // the browsers, "{threads}", "{host-limit}" and "{retries}" for the
    // console's defaults.
    std::string_view m_strHelp;

    bool TakesValue() const { return !m_strValue.empty(); }
};

std::span<const CheckOptionSpec> CheckOptionTable();

// The option named `strName` ("-j", "--threads"), or null.
const CheckOptionSpec* FindCheckOption(std::string_view strName);

// The short names of the export formats: "text, names, urls, ...".
std::string ExportFormatNames();

// The "Options:" block of --help: every option with its description, the
// names at the left and the descriptions in a column of their own.
std::string CheckOptionsHelp();
