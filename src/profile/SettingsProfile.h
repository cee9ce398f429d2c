#pragma once

#include <QSettings>
#include <QString>

#include <memory>

#include "core/settings/Profile.h"

// The per-user settings store: the QSettings file of "Ornamy Software" /
// "Zorbel" (~/.config/Ornamy Software/Zorbel.conf). Values that are absent
// or hold anything but a number read as the default; failures to write are
// silent.
//
// The file is looked at before QSettings reads it: anything but a regular
// file of at most kMaxSettingsFileSize bytes (a pipe, a device, a huge file,
// one that cannot be opened) is left alone as a corrupt file is: every value
// reads as its default, and nothing is ever written over it.
class CSettingsProfile : public IProfile {
public:
    static constexpr qint64 kMaxSettingsFileSize = 1024 * 1024;

    CSettingsProfile();
    ~CSettingsProfile() override;

    int GetProfileInt(std::string_view strSection, std::string_view strEntry, int nDefault) override;
    bool WriteProfileInt(std::string_view strSection, std::string_view strEntry, int nValue) override;
    std::optional<std::vector<std::uint8_t>> GetProfileBinary(std::string_view strSection,
                                                              std::string_view strEntry) override;
    bool WriteProfileBinary(std::string_view strSection, std::string_view strEntry,
                            const std::vector<std::uint8_t>& bytes) override;

    // Where the settings are kept, whether or not the file exists.
    static QString SettingsFilePath();
    // True when the file may be handed to QSettings: it does not exist, or
    // it is a regular file of a sane size. Never blocks.
    static bool IsUsableSettingsFile(const QString& strPath);

private:
    // True while the file may be written; otherwise the settings are
    // dropped, so they are never written over what is there now.
    bool StillUsable();

    QString m_strPath;
    std::unique_ptr<QSettings> m_pSettings; // null when the file is left alone
};
