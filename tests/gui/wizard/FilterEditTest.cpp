// The filtering edit leaves the refused characters out however text comes
// in (typed, pasted by key, menu or Shift with "-", by input method, by
// drop), keeps the rest of a paste whole and undoable in one step, pastes
// nothing when it cannot be edited, and is yellow with black text exactly
// while it has the focus.
#include <QApplication>
#include <QClipboard>
#include <QInputMethodEvent>
#include <QMenu>
#include <QMimeData>
#include <QVBoxLayout>
#include <QtTest>

#include "gui/wizard/FilterEdit.h"
#include "GuiTestMain.h"

namespace {

const QString kWizardSet = QStringLiteral("/*\"<>|");

// The drop handler within reach of the test.
class CDroppableEdit : public CFilterEdit {
public:
    using CFilterEdit::CFilterEdit;
    void Drop(QDropEvent* pEvent) { dropEvent(pEvent); }
};

void SetClipboard(const QString& strText) { QGuiApplication::clipboard()->setText(strText); }

} // namespace

class FilterEditTest : public QObject {
    Q_OBJECT

    std::unique_ptr<QWidget> m_pWindow;
    CFilterEdit* m_pEdit = nullptr;
    QLineEdit* m_pOther = nullptr;

    // Gives the edit the focus in an active window.
    bool Focus(QWidget* pWidget)
    {
        m_pWindow->activateWindow();
        if (!QTest::qWaitForWindowActive(m_pWindow.get()))
            return false;
        pWidget->setFocus();
        return QTest::qWaitFor([pWidget] { return pWidget->hasFocus(); });
    }

    // The colour in the middle of the edit's right part, where no text is.
    QColor PanelColour()
    {
        const QImage image = m_pEdit->grab().toImage();
        return image.pixelColor(image.width() - image.width() / 8, image.height() / 2);
    }

private slots:
    void init()
    {
        m_pWindow = std::make_unique<QWidget>();
        auto* pLayout = new QVBoxLayout(m_pWindow.get());
        m_pEdit = new CDroppableEdit(m_pWindow.get());
        m_pOther = new QLineEdit(m_pWindow.get());
        pLayout->addWidget(m_pEdit);
        pLayout->addWidget(m_pOther);
        m_pWindow->resize(300, 80);
        m_pWindow->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_pWindow.get()));
        m_pEdit->SetExcludedChars(kWizardSet);
        QGuiApplication::clipboard()->clear();
    }
    void cleanup() { m_pWindow.reset(); }

    void typedRefusedCharactersAreLeftOut()
    {
        QTest::keyClicks(m_pEdit, "a/b");
        QCOMPARE(m_pEdit->text(), QString("ab"));
        QTest::keyClicks(m_pEdit, "*\"<>|");
        QCOMPARE(m_pEdit->text(), QString("ab"));
        // What a file name may hold still comes in.
        QTest::keyClicks(m_pEdit, "?:\\c.d");
        QCOMPARE(m_pEdit->text(), QString("ab?:\\c.d"));
        // The editing keys work as ever.
        QTest::keyClick(m_pEdit, Qt::Key_Backspace);
        QCOMPARE(m_pEdit->text(), QString("ab?:\\c."));
    }

    void pasteKeepsTheRestWholeAtTheSelection()
    {
        m_pEdit->setText("xSELy");
        m_pEdit->setSelection(1, 3);
        SetClipboard("a|b|c");
        m_pEdit->Paste();
        QCOMPARE(m_pEdit->text(), QString("xabcy"));
        QCOMPARE(m_pEdit->cursorPosition(), 4);

        // Ending in a refused character: the rest comes in once, nothing
        // doubled.
        m_pEdit->clear();
        SetClipboard("ab|");
        m_pEdit->Paste();
        QCOMPARE(m_pEdit->text(), QString("ab"));
        SetClipboard("x/y*z>");
        m_pEdit->Paste();
        QCOMPARE(m_pEdit->text(), QString("abxyz"));

        // Only refused characters: the selection goes, nothing comes.
        m_pEdit->setText("keep-this-gone");
        m_pEdit->setSelection(4, 5);
        SetClipboard("|/<>");
        m_pEdit->Paste();
        QCOMPARE(m_pEdit->text(), QString("keep-gone"));

        // A single line: what follows the first line end stays out.
        m_pEdit->clear();
        SetClipboard("/tmp/list.csv\nsecond line");
        m_pEdit->Paste();
        QCOMPARE(m_pEdit->text(), QString("tmplist.csv"));
    }

    void everyWayOfPastingIsFiltered()
    {
        SetClipboard("p|q");
        QVERIFY(Focus(m_pEdit));
        QTest::keyClick(m_pEdit, Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(m_pEdit->text(), QString("pq"));
        QTest::keyClick(m_pEdit, Qt::Key_Insert, Qt::ShiftModifier);
        QCOMPARE(m_pEdit->text(), QString("pqpq"));

        // Shift with "-" (as the keypad sends it) pastes instead of typing.
        m_pEdit->clear();
        QTest::keyClick(m_pEdit, Qt::Key_Minus, Qt::ShiftModifier | Qt::KeypadModifier);
        QCOMPARE(m_pEdit->text(), QString("pq"));
        QTest::keyClick(m_pEdit, Qt::Key_Minus);
        QCOMPARE(m_pEdit->text(), QString("pq-"));

        // The context menu's Paste.
        m_pEdit->clear();
        QContextMenuEvent menuEvent(QContextMenuEvent::Mouse, QPoint(5, 5), m_pEdit->mapToGlobal(QPoint(5, 5)));
        QApplication::sendEvent(m_pEdit, &menuEvent);
        auto* pMenu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        QVERIFY(pMenu);
        QAction* pPaste = nullptr;
        for (QAction* pAction : pMenu->actions())
            if (pAction->text().startsWith(QCoreApplication::translate("QLineEdit", "&Paste")))
                pPaste = pAction;
        QVERIFY(pPaste);
        pPaste->trigger();
        pMenu->close();
        QCOMPARE(m_pEdit->text(), QString("pq"));

        // An input method's text and a drop.
        m_pEdit->clear();
        QInputMethodEvent imEvent;
        imEvent.setCommitString("i<m>e");
        QApplication::sendEvent(m_pEdit, &imEvent);
        QCOMPARE(m_pEdit->text(), QString("ime"));
        QMimeData dropped;
        dropped.setText("d*r|p");
        QDropEvent drop(QPointF(m_pEdit->width() - 5, 5), Qt::CopyAction, &dropped, Qt::LeftButton, Qt::NoModifier);
        // Without a drag under way the application does not deliver a drop,
        // so it goes to the handler itself.
        static_cast<CDroppableEdit*>(m_pEdit)->Drop(&drop);
        QCOMPARE(m_pEdit->text(), QString("imedrp"));
    }

    void middleButtonPastesTheFilteredSelection()
    {
        if (!QGuiApplication::clipboard()->supportsSelection())
            QSKIP("this platform has no selection to paste");
        QGuiApplication::clipboard()->setText("s|el", QClipboard::Selection);
        QTest::mouseClick(m_pEdit, Qt::MiddleButton);
        QCOMPARE(m_pEdit->text(), QString("sel"));
    }

    void pasteIsOneStepOfUndo()
    {
        QVERIFY(Focus(m_pEdit));
        QTest::keyClicks(m_pEdit, "ab");
        SetClipboard("c|d");
        m_pEdit->Paste();
        QCOMPARE(m_pEdit->text(), QString("abcd"));
        m_pEdit->undo();
        QCOMPARE(m_pEdit->text(), QString("ab"));
        m_pEdit->redo();
        QCOMPARE(m_pEdit->text(), QString("abcd"));

        // Typing after a paste is a step of its own.
        QTest::keyClicks(m_pEdit, "e");
        m_pEdit->undo();
        QCOMPARE(m_pEdit->text(), QString("abcd"));

        // A paste over a selection comes back in one step too.
        m_pEdit->setText("hello");
        m_pEdit->setSelection(1, 3);
        SetClipboard("a|x");
        m_pEdit->Paste();
        QCOMPARE(m_pEdit->text(), QString("haxo"));
        m_pEdit->undo();
        QCOMPARE(m_pEdit->text(), QString("hello"));
    }

    void readOnlyOrDisabledNeitherPastesNorTurnsYellow()
    {
        SetClipboard("new");
        auto nothingHappens = [this] {
            QVERIFY(!m_pEdit->IsEditable());
            m_pEdit->Paste();
            QTest::keyClick(m_pEdit, Qt::Key_V, Qt::ControlModifier);
            QTest::keyClick(m_pEdit, Qt::Key_Minus, Qt::ShiftModifier | Qt::KeypadModifier);
            QTest::keyClicks(m_pEdit, "x");
            QCOMPARE(m_pEdit->text(), QString("old"));
            QVERIFY(m_pEdit->palette().color(QPalette::Base) != kFilterEditFocusBackground);
            QVERIFY(PanelColour() != kFilterEditFocusBackground);
        };

        // Read-only, with the focus.
        m_pEdit->setText("old");
        m_pEdit->setReadOnly(true);
        m_pEdit->selectAll();
        QVERIFY(Focus(m_pEdit));
        nothingHappens();
        // Made editable while it has the focus, it turns yellow at once.
        m_pEdit->setReadOnly(false);
        QCOMPARE(m_pEdit->palette().color(QPalette::Base), kFilterEditFocusBackground);

        // Disabled while it had the focus.
        m_pEdit->selectAll();
        m_pEdit->setEnabled(false);
        nothingHappens();
    }

    void yellowWithBlackTextExactlyWhileFocused()
    {
        QVERIFY(Focus(m_pOther));
        const QColor normal = m_pOther->palette().color(QPalette::Base);
        QVERIFY(normal != kFilterEditFocusBackground);
        QCOMPARE(m_pEdit->palette().color(QPalette::Base), normal);
        QCOMPARE(PanelColour(), normal);

        QVERIFY(Focus(m_pEdit));
        QCOMPARE(m_pEdit->palette().color(QPalette::Base), kFilterEditFocusBackground);
        QCOMPARE(m_pEdit->palette().color(QPalette::Text), kFilterEditFocusText);
        QCOMPARE(PanelColour(), kFilterEditFocusBackground);

        QVERIFY(Focus(m_pOther));
        QCOMPARE(m_pEdit->palette().color(QPalette::Base), normal);
        QCOMPARE(PanelColour(), normal);
        // The other edit never turns yellow.
        QVERIFY(m_pOther->palette().color(QPalette::Base) != kFilterEditFocusBackground);
    }

    void withoutASetEverythingComesIn()
    {
        auto* pPlain = new CFilterEdit(m_pWindow.get());
        QTest::keyClicks(pPlain, "a/b|c");
        QCOMPARE(pPlain->text(), QString("a/b|c"));
        SetClipboard("x*y");
        pPlain->Paste();
        QCOMPARE(pPlain->text(), QString("a/b|cx*y"));

        // A null set switches the filter off again.
        m_pEdit->SetExcludedChars(QString());
        QTest::keyClicks(m_pEdit, "<p>");
        QCOMPARE(m_pEdit->text(), QString("<p>"));
        QCOMPARE(m_pEdit->RemoveExcludedChars("a|b"), QString("a|b"));
    }
};

ZORBEL_GUI_TEST_MAIN(FilterEditTest)
#include "FilterEditTest.moc"
