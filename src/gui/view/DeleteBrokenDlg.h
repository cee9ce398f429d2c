#pragma once

#include <QDialog>
#include <QIcon>
#include <QList>
#include <memory>
#include <vector>

#include "core/model/FavoriteList.h"

class QCheckBox;
class QListWidget;
class QPushButton;

// Confirms Delete All Broken Favorites: lists the broken favourites (and the
// partially valid ones when the check box asks for them), lets the user take
// rows out with the Delete key, and hands the rows that are left to the
// caller. Deletes nothing itself.
class CDeleteBrokenDlg : public QDialog {
    Q_OBJECT
public:
    enum { IDD = 122, IDC_BROKENLIST = 1021, IDC_INCLUDEPARTIAL = 1022 };

    // `pItems` is the view's list, read only.
    CDeleteBrokenDlg(QWidget* pParent, const CFavoriteList* pItems);

    const CFavoriteList* m_pItems;
    bool m_bIncludePartial = false;
    // After OK: the records still listed, in row order.
    std::vector<std::shared_ptr<FavoriteItem>> m_selected;

    QListWidget* List() const { return m_pList; }
    QCheckBox* IncludePartialBox() const { return m_pIncludePartial; }
    QPushButton* OkButton() const { return m_pOk; }

    void accept() override;

protected:
    bool eventFilter(QObject* pWatched, QEvent* pEvent) override;

private:
    void CreateControls();
    void OnInitDialog();
    void FillList();
    void OnIncludePartial();
    void OnDeleteKey();
    void EnableOk();

    QList<QIcon> m_imageList;
    std::vector<std::shared_ptr<FavoriteItem>> m_listed; // the records the rows point into
    QListWidget* m_pList = nullptr;
    QCheckBox* m_pIncludePartial = nullptr;
    QPushButton* m_pOk = nullptr;
};
