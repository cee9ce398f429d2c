#include "app/ZorbelDoc.h"

#include "model/SourceLocation.h"

void CZorbelDoc::SetPathName(std::string_view strPath, bool /*bAddToMRU*/)
{
    m_strPathName = RemoveZorbelPrefix(strPath);
    m_bEmbedded = false;
}

bool CZorbelDoc::OnNewDocument()
{
    m_strPathName.clear();
    m_bModified = false;
    m_strTitle.clear();
    return true;
}

bool CZorbelDoc::OnOpenDocument(const char* pszPathName)
{
    if (pszPathName == nullptr)
        return false;
    m_strTitle = RemoveZorbelPrefix(pszPathName);
    return true;
}
