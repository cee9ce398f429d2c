#include "gui/wizard/FilterEdit.h"

#include <QAction>
#include <QContextMenuEvent>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMimeData>

#include <algorithm>

CFilterEdit::CFilterEdit(QWidget* pParent) : QLineEdit(pParent) {}

void CFilterEdit::SetExcludedChars(const QString& strExcluded)
{
    if (strExcluded.isNull()) {
        m_strExcluded.clear();
        m_bExclude = false;
    } else {
        m_strExcluded = strExcluded;
        m_bExclude = true;
    }
}

bool CFilterEdit::IsEditable() const { return isEnabled() && !isReadOnly(); }

bool CFilterEdit::HasExcluded(const QString& strText) const
{
    if (!FilterApplies())
        return false;
    for (QChar ch : strText)
        if (m_strExcluded.contains(ch))
            return true;
    return false;
}

QString CFilterEdit::RemoveExcludedChars(QString strText) const
{
    if (!FilterApplies())
        return strText;
    strText.removeIf([this](QChar ch) { return m_strExcluded.contains(ch); });
    return strText;
}

void CFilterEdit::SeparateUndoStep()
{
    // The edit begins a new step of undo whenever its caret moves: a move
    // away and back leaves the caret where it was. With a selection nothing
    // is needed, since replacing a selection is a step of its own.
    const int nLength = int(text().size());
    if (nLength == 0 || hasSelectedText())
        return;
    const int nCursor = cursorPosition();
    setCursorPosition(nCursor > 0 ? nCursor - 1 : nCursor + 1);
    setCursorPosition(nCursor);
}

void CFilterEdit::Paste(QClipboard::Mode nMode)
{
    if (!IsEditable())
        return;
    const QMimeData* pData = QGuiApplication::clipboard()->mimeData(nMode);
    if (!pData || !pData->hasText())
        return;
    QString strText = pData->text();
    // A single line: what follows the first line end is not taken.
    const auto itEnd = std::find_if(strText.cbegin(), strText.cend(),
                                    [](QChar ch) { return ch == u'\r' || ch == u'\n'; });
    strText.truncate(itEnd - strText.cbegin());
    strText = RemoveExcludedChars(strText);
    if (strText.isEmpty() && !hasSelectedText())
        return;
    SeparateUndoStep();
    insert(strText);
    SeparateUndoStep();
}

void CFilterEdit::keyPressEvent(QKeyEvent* pEvent)
{
    if (pEvent->matches(QKeySequence::Paste)) {
        Paste();
        pEvent->accept();
        return;
    }
    const QString strText = pEvent->text();
    // Shift with a "-" (the minus of the keypad) pastes, as Shift+Insert does.
    if (strText == QLatin1String("-") && (pEvent->modifiers() & Qt::ShiftModifier)) {
        Paste();
        pEvent->accept();
        return;
    }
    if (HasExcluded(strText)) {
        const QString strKept = RemoveExcludedChars(strText);
        if (strKept.isEmpty()) {
            pEvent->accept(); // left out silently
            return;
        }
        QKeyEvent kept(pEvent->type(), pEvent->key(), pEvent->modifiers(), strKept, pEvent->isAutoRepeat(),
                       ushort(pEvent->count()));
        QLineEdit::keyPressEvent(&kept);
        pEvent->setAccepted(kept.isAccepted());
        return;
    }
    QLineEdit::keyPressEvent(pEvent);
}

void CFilterEdit::inputMethodEvent(QInputMethodEvent* pEvent)
{
    if (!HasExcluded(pEvent->commitString())) {
        QLineEdit::inputMethodEvent(pEvent);
        return;
    }
    QInputMethodEvent kept(pEvent->preeditString(), pEvent->attributes());
    kept.setCommitString(RemoveExcludedChars(pEvent->commitString()), pEvent->replacementStart(),
                         pEvent->replacementLength());
    QLineEdit::inputMethodEvent(&kept);
    pEvent->setAccepted(kept.isAccepted());
}

void CFilterEdit::contextMenuEvent(QContextMenuEvent* pEvent)
{
    QMenu* pMenu = createStandardContextMenu();
    pMenu->setAttribute(Qt::WA_DeleteOnClose);
    // The menu's Paste comes in through the filter too. The line edit names
    // its actions only in later Qt versions; before, its Paste is known by
    // its text.
    const QString strPaste = QCoreApplication::translate("QLineEdit", "&Paste");
    for (QAction* pAction : pMenu->actions()) {
        if (pAction->objectName() != QLatin1String("edit-paste")
            && pAction->text().section(u'\t', 0, 0) != strPaste)
            continue;
        disconnect(pAction, &QAction::triggered, nullptr, nullptr);
        connect(pAction, &QAction::triggered, this, [this] { Paste(); });
    }
    pMenu->popup(pEvent->globalPos());
}

void CFilterEdit::mouseReleaseEvent(QMouseEvent* pEvent)
{
    // The middle button pastes the selection where the desktop has one.
    if (pEvent->button() == Qt::MiddleButton && QGuiApplication::clipboard()->supportsSelection()) {
        if (IsEditable()) {
            deselect();
            Paste(QClipboard::Selection);
        }
        pEvent->accept();
        return;
    }
    QLineEdit::mouseReleaseEvent(pEvent);
}

void CFilterEdit::dropEvent(QDropEvent* pEvent)
{
    if (!pEvent->mimeData() || !HasExcluded(pEvent->mimeData()->text())) {
        QLineEdit::dropEvent(pEvent);
        return;
    }
    QMimeData kept;
    kept.setText(RemoveExcludedChars(pEvent->mimeData()->text()));
    QDropEvent keptEvent(pEvent->position(), pEvent->possibleActions(), &kept, pEvent->buttons(),
                         pEvent->modifiers(), pEvent->type());
    keptEvent.setDropAction(pEvent->dropAction());
    QLineEdit::dropEvent(&keptEvent);
    pEvent->setDropAction(keptEvent.dropAction());
    pEvent->setAccepted(keptEvent.isAccepted());
}

void CFilterEdit::focusInEvent(QFocusEvent* pEvent)
{
    QLineEdit::focusInEvent(pEvent);
    UpdateColours();
}

void CFilterEdit::focusOutEvent(QFocusEvent* pEvent)
{
    QLineEdit::focusOutEvent(pEvent);
    UpdateColours();
}

void CFilterEdit::changeEvent(QEvent* pEvent)
{
    QLineEdit::changeEvent(pEvent);
    if (pEvent->type() == QEvent::EnabledChange || pEvent->type() == QEvent::ReadOnlyChange)
        UpdateColours();
}

void CFilterEdit::UpdateColours()
{
    const bool bWant = hasFocus() && IsEditable();
    if (bWant == m_bFocusColours)
        return;
    m_bFocusColours = bWant;
    if (bWant) {
        m_bHadOwnPalette = testAttribute(Qt::WA_SetPalette);
        m_paletteNormal = palette();
        QPalette pal = m_paletteNormal;
        for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive}) {
            pal.setColor(group, QPalette::Base, kFilterEditFocusBackground);
            pal.setColor(group, QPalette::Text, kFilterEditFocusText);
        }
        setPalette(pal);
    } else {
        setPalette(m_bHadOwnPalette ? m_paletteNormal : QPalette());
    }
    update();
}
