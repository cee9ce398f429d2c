#include "gui/help/ChmFile.h"

#include <chm_lib.h>

#include <QFile>

namespace {

// Object names inside the archive are absolute and case-sensitive; links in
// pages are relative, so callers hand us "Topic.htm" as well as "/Topic.htm".
QByteArray ObjectName(const QString& strName)
{
    QString strPath = strName;
    if (!strPath.startsWith(u'/'))
        strPath.prepend(u'/');
    return strPath.toUtf8();
}

// Objects larger than this are not read: the help holds pages and small
// pictures, and a damaged directory entry must not make us allocate wildly.
constexpr unsigned long long kMaxObjectSize = 64ull * 1024 * 1024;

} // namespace

CChmFile::CChmFile(const ChmApi& api, const QString& strPath)
    : m_api(api), m_strPath(strPath)
{
    if (!m_api.IsComplete() || !QFile::exists(strPath))
        return;
    m_pFile = m_api.m_pfnOpen(QFile::encodeName(strPath).constData());
}

CChmFile::~CChmFile()
{
    if (m_pFile)
        m_api.m_pfnClose(m_pFile);
}

std::optional<QByteArray> CChmFile::Read(const QString& strName) const
{
    if (!m_pFile)
        return std::nullopt;
    chmUnitInfo ui {};
    if (m_api.m_pfnResolve(m_pFile, ObjectName(strName).constData(), &ui) != CHM_RESOLVE_SUCCESS)
        return std::nullopt;
    if (ui.length > kMaxObjectSize)
        return std::nullopt;
    QByteArray data(static_cast<qsizetype>(ui.length), '\0');
    if (ui.length == 0)
        return data;
    const long long nRead = m_api.m_pfnRetrieve(m_pFile, &ui, reinterpret_cast<unsigned char*>(data.data()), 0,
                                              static_cast<long long>(ui.length));
    if (nRead != static_cast<long long>(ui.length))
        return std::nullopt;
    return data;
}

QStringList CChmFile::Files() const
{
    QStringList files;
    if (!m_pFile)
        return files;
    auto collect = [](chmFile*, chmUnitInfo* pUi, void* pContext) -> int {
        auto* pFiles = static_cast<QStringList*>(pContext);
        const QString strPath = QString::fromUtf8(pUi->path);
        if (!strPath.endsWith(u'/') && !strPath.startsWith(u"/#") && !strPath.startsWith(u"/$"))
            pFiles->append(strPath);
        return CHM_ENUMERATOR_CONTINUE;
    };
    m_api.m_pfnEnumerate(m_pFile, CHM_ENUMERATE_NORMAL | CHM_ENUMERATE_FILES, collect, &files);
    return files;
}

QString CChmFile::ContentsFile() const
{
    for (const QString& strFile : Files()) {
        if (strFile.endsWith(u".hhc", Qt::CaseInsensitive))
            return strFile;
    }
    return {};
}
