#include "profile/SettingsProfile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QByteArray>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <climits>

namespace {

constexpr const char* kOrganization = "Ornamy Software";
constexpr const char* kApplication = "Zorbel";
// An organisation of no one: a store by this name tells where QSettings
// keeps the user's files (honouring QSettings::setPath) without reading
// the one that matters.
constexpr const char* kProbeOrganization = "Zorbel settings location";

QString KeyOf(std::string_view strSection, std::string_view strEntry)
{
    return QString::fromUtf8(strSection.data(), qsizetype(strSection.size())) + '/' +
           QString::fromUtf8(strEntry.data(), qsizetype(strEntry.size()));
}

} // namespace

QString CSettingsProfile::SettingsFilePath()
{
    const QSettings probe(QSettings::NativeFormat, QSettings::UserScope, kProbeOrganization, QString());
    return QFileInfo(probe.fileName()).path() + '/' + kOrganization + '/' + kApplication + ".conf";
}

bool CSettingsProfile::IsUsableSettingsFile(const QString& strPath)
{
    // Non-blocking, so that a pipe or a device in the file's place is only
    // looked at, never waited on.
    const QByteArray path = QFile::encodeName(strPath);
    const int hFile = ::open(path.constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (hFile < 0)
        return errno == ENOENT;
    struct stat info {};
    const bool bUsable =
        ::fstat(hFile, &info) == 0 && S_ISREG(info.st_mode) && info.st_size <= kMaxSettingsFileSize;
    ::close(hFile);
    return bUsable;
}

CSettingsProfile::CSettingsProfile() : m_strPath(SettingsFilePath())
{
    if (IsUsableSettingsFile(m_strPath))
        m_pSettings = std::make_unique<QSettings>(m_strPath, QSettings::NativeFormat);
}

// Every write is synced at once, so nothing is left pending for QSettings
// to write when it goes.
CSettingsProfile::~CSettingsProfile() = default;

bool CSettingsProfile::StillUsable()
{
    // The file may have been replaced since it was read; QSettings reads it
    // again before it writes.
    if (m_pSettings && !IsUsableSettingsFile(m_strPath))
        m_pSettings.reset();
    return m_pSettings != nullptr;
}

int CSettingsProfile::GetProfileInt(std::string_view strSection, std::string_view strEntry,
                                    int nDefault)
{
    if (!m_pSettings)
        return nDefault;
    const QVariant value = m_pSettings->value(KeyOf(strSection, strEntry));
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
    if (!StillUsable())
        return false;
    m_pSettings->setValue(KeyOf(strSection, strEntry), nValue);
    m_pSettings->sync();
    return m_pSettings->status() == QSettings::NoError;
}

std::optional<std::vector<std::uint8_t>> CSettingsProfile::GetProfileBinary(
    std::string_view strSection, std::string_view strEntry)
{
    if (!m_pSettings)
        return std::nullopt;
    const QVariant value = m_pSettings->value(KeyOf(strSection, strEntry));
    if (!value.isValid() || value.typeId() != QMetaType::QByteArray)
        return std::nullopt;
    const QByteArray bytes = value.toByteArray();
    return std::vector<std::uint8_t>(bytes.begin(), bytes.end());
}

bool CSettingsProfile::WriteProfileBinary(std::string_view strSection, std::string_view strEntry,
                                          const std::vector<std::uint8_t>& bytes)
{
    if (!StillUsable())
        return false;
    m_pSettings->setValue(KeyOf(strSection, strEntry),
                          QByteArray(reinterpret_cast<const char*>(bytes.data()), qsizetype(bytes.size())));
    m_pSettings->sync();
    return m_pSettings->status() == QSettings::NoError;
}
