#pragma once

#include <cstddef>

#include "gui/view/BatchListDlg.h"

class QLabel;
class QTreeWidget;

// Confirms Update Moved Favorites: lists the favourites whose last check
// ended, on permanent redirects only, at a valid page (name, old address,
// new address; a shell link or a channel with a note saying why it stays as
// it is), lets the user take rows out with the Delete key, and hands the
// rows that are left to the caller. Changes nothing itself. It may be made
// larger than it opens, for long addresses.
class CUpdateMovedDlg : public CBatchListDlg {
    Q_OBJECT
public:
    enum { IDC_MOVEDLIST = 1023 };
    enum Column { ColumnName, ColumnOldUrl, ColumnNewUrl, ColumnNote };

    // `pItems` is the view's list, read only.
    CUpdateMovedDlg(QWidget* pParent, const CFavoriteList* pItems);

    QTreeWidget* List() const { return m_pList; }

    // A shell link, a channel, or a file of another format is listed but
    // stays as it is.
    bool Acts(const FavoriteItem& item) const override;

protected:
    bool IsListed(const FavoriteItem& item) const override;
    void ClearRows() override;
    void AddRow(const FavoriteItem& item, std::size_t nRecord) override;
    int RowCount() const override;
    std::size_t RecordOfRow(int nRow) const override;
    bool TakeSelectedRows() override;
    void resizeEvent(QResizeEvent* pEvent) override;

private:
    void CreateControls();
    void LayOutControls();
    void FillList();
    void SizeColumns();

    QLabel* m_pIntro = nullptr;
    QLabel* m_pListLabel = nullptr;
    QTreeWidget* m_pList = nullptr;
};
