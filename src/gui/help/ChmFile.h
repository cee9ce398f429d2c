#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <optional>

#include <chm_lib.h>

// The chmlib functions the help uses, bound at run time from the engine
// library (see HtmlHelp.cpp). A table with a null entry is not usable.
struct ChmApi {
    using OpenFn = decltype(&chm_open);
    using CloseFn = decltype(&chm_close);
    using ResolveFn = decltype(&chm_resolve_object);
    using RetrieveFn = decltype(&chm_retrieve_object);
    using EnumerateFn = decltype(&chm_enumerate);

    OpenFn m_pfnOpen = nullptr;
    CloseFn m_pfnClose = nullptr;
    ResolveFn m_pfnResolve = nullptr;
    RetrieveFn m_pfnRetrieve = nullptr;
    EnumerateFn m_pfnEnumerate = nullptr;

    bool IsComplete() const
    {
        return m_pfnOpen && m_pfnClose && m_pfnResolve && m_pfnRetrieve && m_pfnEnumerate;
    }
};

// One open compiled help file. Paths inside it start with "/".
class CChmFile {
public:
    CChmFile(const ChmApi& api, const QString& strPath);
    ~CChmFile();
    CChmFile(const CChmFile&) = delete;
    CChmFile& operator=(const CChmFile&) = delete;

    bool IsOpen() const { return m_pFile != nullptr; }
    const QString& Path() const { return m_strPath; }

    // The whole object, or nothing when it is missing or cannot be read.
    std::optional<QByteArray> Read(const QString& strName) const;
    // Every ordinary file of the archive (no "#" or "$" system objects).
    QStringList Files() const;
    // The contents file: the first "*.hhc" of the archive, empty if none.
    QString ContentsFile() const;

private:
    ChmApi m_api;
    QString m_strPath;
    chmFile* m_pFile = nullptr; // owned, closed by the destructor
};
