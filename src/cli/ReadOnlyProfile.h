#pragma once

#include "profile/SettingsProfile.h"

// The settings of Zorbel, read as the program reads them; every write is
// refused, so the console checker can never change them.
class CReadOnlyProfile : public IProfile {
public:
    int GetProfileInt(std::string_view strSection, std::string_view strEntry, int nDefault) override
    {
        return m_settings.GetProfileInt(strSection, strEntry, nDefault);
    }
    bool WriteProfileInt(std::string_view, std::string_view, int) override { return false; }
    std::optional<std::vector<std::uint8_t>> GetProfileBinary(std::string_view strSection,
                                                              std::string_view strEntry) override
    {
        return m_settings.GetProfileBinary(strSection, strEntry);
    }
    bool WriteProfileBinary(std::string_view, std::string_view, const std::vector<std::uint8_t>&) override
    {
        return false;
    }

private:
    CSettingsProfile m_settings;
};
