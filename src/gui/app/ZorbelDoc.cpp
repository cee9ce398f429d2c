#include "gui/app/ZorbelDoc.h"

#include "core/sources/SourceLocation.h"

void CZorbelDoc::SetPathName(std::string_view strPath, bool /*bAddToMRU*/)
{
    m_strPathName = RemoveZorbelPrefix(strPath);
}

bool CZorbelDoc::OnNewDocument()
{
    m_strPathName.clear();
    return true;
}

bool CZorbelDoc::OnOpenDocument(const char* pszPathName) { return pszPathName != nullptr; }
