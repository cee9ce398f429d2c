#pragma once

#include <cstddef>

#include "gui/view/BatchListDlg.h"

class QCheckBox;
class QListWidget;

// Confirms Delete All Broken Favorites: lists the broken favourites (and the
// partially valid ones when the check box asks for them), lets the user take
// rows out with the Delete key, and hands the rows that are left to the
// caller. Deletes nothing itself.
class CDeleteBrokenDlg : public CBatchListDlg {
    Q_OBJECT
public:
    enum { IDD = 122, IDC_BROKENLIST = 1021, IDC_INCLUDEPARTIAL = 1022 };

    // `pItems` is the view's list, read only.
    CDeleteBrokenDlg(QWidget* pParent, const CFavoriteList* pItems);

    bool m_bIncludePartial = false;

    QListWidget* List() const { return m_pList; }
    QCheckBox* IncludePartialBox() const { return m_pIncludePartial; }

protected:
    bool IsListed(const FavoriteItem& item) const override;
    void ClearRows() override;
    void AddRow(const FavoriteItem& item, std::size_t nRecord) override;
    int RowCount() const override;
    std::size_t RecordOfRow(int nRow) const override;
    bool TakeSelectedRows() override;

private:
    void CreateControls();
    void OnInitDialog();
    void FillList();
    void OnIncludePartial();

    QListWidget* m_pList = nullptr;
    QCheckBox* m_pIncludePartial = nullptr;
};
