#pragma once

#include <QDialog>
#include <QIcon>
#include <QList>
#include <memory>
#include <vector>

#include "core/model/FavoriteList.h"

class QLabel;
class QPushButton;
class QTreeWidget;

// Confirms Update Moved Favorites: lists the favourites whose last check
// ended, on permanent redirects only, at a valid page (name, old address,
// new address; a shell link or a channel with a note saying why it stays as
// it is), lets the user take rows out with the Delete key, and hands the
// rows that are left to the caller. Changes nothing itself. It may be made
// larger than it opens, for long addresses.
class CUpdateMovedDlg : public QDialog {
    Q_OBJECT
public:
    enum { IDC_MOVEDLIST = 1023 };
    enum Column { ColumnName, ColumnOldUrl, ColumnNewUrl, ColumnNote };

    // `pItems` is the view's list, read only.
    CUpdateMovedDlg(QWidget* pParent, const CFavoriteList* pItems);

    const CFavoriteList* m_pItems;
    // After OK: the records still listed, in row order.
    std::vector<std::shared_ptr<FavoriteItem>> m_selected;

    QTreeWidget* List() const { return m_pList; }
    QPushButton* OkButton() const { return m_pOk; }

    void accept() override;

protected:
    bool eventFilter(QObject* pWatched, QEvent* pEvent) override;
    void resizeEvent(QResizeEvent* pEvent) override;

private:
    void CreateControls();
    void LayOutControls();
    void FillList();
    void SizeColumns();
    void OnDeleteKey();
    void EnableOk();

    QList<QIcon> m_imageList;
    std::vector<std::shared_ptr<FavoriteItem>> m_listed; // the records the rows point into
    QLabel* m_pIntro = nullptr;
    QLabel* m_pListLabel = nullptr;
    QTreeWidget* m_pList = nullptr;
    QPushButton* m_pOk = nullptr;
    QPushButton* m_pCancel = nullptr;
};
