#pragma once

#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

// The per-user settings store, as the program uses it: integers and binary
// values by section and name. Reads never fail: a value that is absent or
// cannot be read as the asked type gives the default. Writes report success
// but callers ignore failures, which are silent by design.
class IProfile {
public:
    virtual ~IProfile() = default;
    virtual int GetProfileInt(std::string_view strSection, std::string_view strEntry,
                              int nDefault) = 0;
    virtual bool WriteProfileInt(std::string_view strSection, std::string_view strEntry,
                                 int nValue) = 0;
    virtual std::optional<std::vector<std::uint8_t>> GetProfileBinary(
        std::string_view strSection, std::string_view strEntry) = 0;
    virtual bool WriteProfileBinary(std::string_view strSection, std::string_view strEntry,
                                    const std::vector<std::uint8_t>& bytes) = 0;
};

inline constexpr std::string_view kSettingsSection = "Settings";
