#pragma once

#include <QSettings>

#include "settings/Profile.h"

// The per-user settings store: QSettings of "Ornamy Software" / "Zorbel".
// Values that are absent or hold anything but a number read as the default;
// failures to write are silent.
class CSettingsProfile : public IProfile {
public:
    CSettingsProfile();

    int GetProfileInt(std::string_view strSection, std::string_view strEntry, int nDefault) override;
    bool WriteProfileInt(std::string_view strSection, std::string_view strEntry, int nValue) override;
    std::optional<std::vector<std::uint8_t>> GetProfileBinary(std::string_view strSection,
                                                              std::string_view strEntry) override;
    bool WriteProfileBinary(std::string_view strSection, std::string_view strEntry,
                            const std::vector<std::uint8_t>& bytes) override;

private:
    QSettings m_settings;
};
