#pragma once

#include <QClipboard>
#include <QColor>
#include <QLineEdit>
#include <QPalette>

// The colours of a CFilterEdit while it has the keyboard focus.
inline const QColor kFilterEditFocusBackground{255, 255, 0};
inline const QColor kFilterEditFocusText{0, 0, 0};

// A single-line edit that refuses a set of characters, both when they are
// typed and when text comes in through the clipboard (the paste keys, the
// context menu, Shift with "-", the middle button's selection paste), by
// input method or by drag and drop. Refused characters are left out
// silently; the rest of a paste comes in whole, as one step of undo. While
// it has the focus, and can be edited, it is yellow with black text.
class CFilterEdit : public QLineEdit {
    Q_OBJECT
public:
    explicit CFilterEdit(QWidget* pParent = nullptr);

    // Refuses the characters of the text from now on; a null text takes
    // every character again.
    void SetExcludedChars(const QString& strExcluded);

    // Neither disabled nor read-only.
    virtual bool IsEditable() const;

    // The text without the refused characters (unchanged while no set is in
    // force).
    QString RemoveExcludedChars(QString strText) const;

    // Replaces the selection with the text of the clipboard, less the
    // refused characters and cut at its first line end, as one step of
    // undo; text made only of refused characters just deletes the
    // selection. Does nothing when the control cannot be edited or the
    // clipboard holds no text.
    void Paste(QClipboard::Mode nMode = QClipboard::Clipboard);

protected:
    void keyPressEvent(QKeyEvent* pEvent) override;
    void inputMethodEvent(QInputMethodEvent* pEvent) override;
    void contextMenuEvent(QContextMenuEvent* pEvent) override;
    void mouseReleaseEvent(QMouseEvent* pEvent) override;
    void dropEvent(QDropEvent* pEvent) override;
    void focusInEvent(QFocusEvent* pEvent) override;
    void focusOutEvent(QFocusEvent* pEvent) override;
    void changeEvent(QEvent* pEvent) override;

private:
    bool FilterApplies() const { return m_bExclude && !m_strExcluded.isEmpty(); }
    bool HasExcluded(const QString& strText) const;
    // Ends the current step of undo, so that what follows is undone apart.
    void SeparateUndoStep();
    void UpdateColours();

    QString m_strExcluded;
    bool m_bExclude = false;
    bool m_bFocusColours = false; // the focus colours are in force
    bool m_bHadOwnPalette = false;
    QPalette m_paletteNormal;     // the palette to go back to
};
