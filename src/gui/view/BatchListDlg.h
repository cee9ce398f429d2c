#pragma once

#include <QDialog>
#include <QIcon>
#include <QList>
#include <QString>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "core/model/FavoriteList.h"

class CDialogUnits;
class QPushButton;

// The confirmation of a command acting on many favourites at once: a
// picture, an introduction, the list of the favourites the command would
// act on, OK and Cancel. The user may take rows out with the Delete key;
// OK hands the rows that are left to the caller as records. It changes
// nothing itself. A command's dialog brings its words, its own list
// control and which records it lists; the rest is here.
class CBatchListDlg : public QDialog {
    Q_OBJECT
public:
    const CFavoriteList* m_pItems;
    // After OK: the records still listed, in row order.
    std::vector<std::shared_ptr<FavoriteItem>> m_selected;

    QPushButton* OkButton() const { return m_pOk; }

    // Whether the command does something to a listed record (a record may
    // be listed and yet be left as it is, with a note why). OK is enabled
    // while a row remains for which this holds.
    virtual bool Acts(const FavoriteItem& /*item*/) const { return true; }

    void accept() override;

protected:
    static constexpr int kRecordIndexRole = Qt::UserRole;
    // The label above the list, the same for every command.
    static const QString s_strListLabel;

    // `pItems` is the view's list, read only.
    CBatchListDlg(QWidget* pParent, const CFavoriteList* pItems, const QString& strObjectName,
                  const QString& strTitle);

    // The picture at the top left: a favourite with the mark of `nStatus`,
    // drawn large.
    void AddPicture(const CDialogUnits& du, std::int32_t nStatus);
    // OK (the default button) and Cancel, in that order; where they stand
    // is the command's.
    void AddButtons();
    // From now on the Delete key is looked at whichever control has the
    // focus.
    void WatchDeleteKey();

    // Takes a new snapshot of the view's list and gives each record the
    // command lists its row, then enables OK.
    void FillRows();
    void EnableOk();
    // The small picture of a favourite of the given kind.
    QIcon KindIcon(int nKind) const;

    // The command's list: which records it lists, and its rows.
    virtual bool IsListed(const FavoriteItem& item) const = 0;
    virtual void ClearRows() = 0;
    virtual void AddRow(const FavoriteItem& item, std::size_t nRecord) = 0;
    virtual int RowCount() const = 0;
    // The index into the snapshot that a row stands for.
    virtual std::size_t RecordOfRow(int nRow) const = 0;
    // Takes the selected rows out; false when none is selected.
    virtual bool TakeSelectedRows() = 0;

    bool eventFilter(QObject* pWatched, QEvent* pEvent) override;

    QPushButton* m_pOk = nullptr;
    QPushButton* m_pCancel = nullptr;

private:
    void OnDeleteKey();

    QList<QIcon> m_imageList;
    std::vector<std::shared_ptr<FavoriteItem>> m_listed; // the records the rows point into
};
