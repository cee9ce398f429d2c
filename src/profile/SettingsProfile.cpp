#include "SettingsProfile.h"

#include <QByteArray>

namespace {

QString KeyOf(std::string_view strSection, std::string_view strEntry)
{
    return QString::fromUtf8(strSection.data(), qsizetype(strSection.size())) + '/' +
           QString::fromUtf8(strEntry.data(), qsizetype(strEntry.size()));
}

} // namespace

CSettingsProfile::CSettingsProfile()
    : m_settings(QSettings::NativeFormat, QSettings::UserScope, "Ornamy Software", "Zorbel")
{
}

int CSettingsProfile::GetProfileInt(std::string_view strSection, std::string_view strEntry,
                                    int nDefault)
{
    const QVariant value = m_settings.value(KeyOf(strSection, strEntry));
    if (!value.isValid() || value.typeId() == QMetaType::QByteArray)
        return nDefault;
    bool bOk = false;
    const qlonglong n = value.toString().trimmed().toLongLong(&bOk);
    if (!bOk || n < INT_MIN || n > INT_MAX)
        return nDefault;
    return int(n);
}

bool CSettingsProfile::WriteProfileInt(std::string_view strSection, std::string_view strEntry,
                                       int nValue)
{
    m_settings.setValue(KeyOf(strSection, strEntry), nValue);
    m_settings.sync();
    return m_settings.status() == QSettings::NoError;
}

std::optional<std::vector<std::uint8_t>> CSettingsProfile::GetProfileBinary(
    std::string_view strSection, std::string_view strEntry)
{
    const QVariant value = m_settings.value(KeyOf(strSection, strEntry));
    if (!value.isValid() || value.typeId() != QMetaType::QByteArray)
        return std::nullopt;
    const QByteArray bytes = value.toByteArray();
    return std::vector<std::uint8_t>(bytes.begin(), bytes.end());
}

bool CSettingsProfile::WriteProfileBinary(std::string_view strSection, std::string_view strEntry,
                                          const std::vector<std::uint8_t>& bytes)
{
    m_settings.setValue(KeyOf(strSection, strEntry),
                        QByteArray(reinterpret_cast<const char*>(bytes.data()), qsizetype(bytes.size())));
    m_settings.sync();
    return m_settings.status() == QSettings::NoError;
}
