// The Settings page of the configuration sheet: what it shows on opening,
// numbers kept as typed (45 stays 45) and brought into range, with a word
// why, only when the field is left or OK is pressed; the digits-only fields
// and their up-down controls; and what OK stores, or corrects and shows
// again before anything is stored.
#include <QCheckBox>
#include <QClipboard>
#include <QPushButton>
#include <QtTest>

#include "core/settings/CheckSettings.h"
#include "gui/common/MessageHub.h"
#include "gui/config/ConfigurationPS.h"
#include "gui/config/ConfigurationPSPage1.h"
#include "gui/config/DigitEdit.h"
#include "gui/config/UpDownCtrl.h"
#include "GuiTestMain.h"

class SettingsPageTest : public QObject {
    Q_OBJECT

    CheckSettings m_settings; // what the sheet shows and changes
    std::unique_ptr<CConfigurationPS> m_pSheet;

    CConfigurationPSPage1* Page() const { return m_pSheet->SettingsPage(); }
    CDigitEdit* Threads() const { return Page()->ThreadsEdit(); }
    CDigitEdit* Timeout() const { return Page()->TimeoutEdit(); }

    void Open(CheckSettings settings)
    {
        m_settings = settings;
        CConfigurationPS::s_nLastActivePage = 0;
        m_pSheet = std::make_unique<CConfigurationPS>(m_settings);
        m_pSheet->show();
        QVERIFY(QTest::qWaitForWindowActive(m_pSheet.get()));
        CMessageHub::ResetRecord();
    }

    // Selects the field's whole text and types over it, key by key.
    static void TypeOver(QLineEdit* pEdit, const QString& strKeys)
    {
        pEdit->setFocus();
        pEdit->selectAll();
        QTest::keyClicks(pEdit, strKeys);
    }

    // A text that reached the field without the page seeing the change.
    static void SetUnseen(QLineEdit* pEdit, const QString& strText)
    {
        const QSignalBlocker block(pEdit);
        pEdit->setText(strText);
    }

    static bool Same(const CheckSettings& a, const CheckSettings& b)
    {
        return a.m_nTimeoutMs == b.m_nTimeoutMs && a.m_nThreadCount == b.m_nThreadCount &&
               a.m_bAutoCheck == b.m_bAutoCheck;
    }

private slots:
    void init()
    {
        CMessageHub::SetAnswerer([](const CMessageHub::Box&) { return QMessageBox::Ok; });
        CMessageHub::ResetRecord();
    }
    void cleanup() { m_pSheet.reset(); }

    void openingShowsTheSettingsWithTheirFallbacks_data()
    {
        QTest::addColumn<int>("nTimeoutMs");
        QTest::addColumn<int>("nThreads");
        QTest::addColumn<QString>("strTimeout");
        QTest::addColumn<QString>("strThreads");
        QTest::newRow("in range") << 45000 << 8 << "45" << "8";
        QTest::newRow("ends of the ranges") << 300999 << 16 << "300" << "16";
        QTest::newRow("lower ends") << 30000 << 1 << "30" << "1";
        QTest::newRow("10 s and 0 threads") << 10000 << 0 << "60" << "1";
        QTest::newRow("301 s and 17 threads") << 301000 << 17 << "60" << "1";
        QTest::newRow("not yet loaded") << 0 << -3 << "60" << "1";
    }
    void openingShowsTheSettingsWithTheirFallbacks()
    {
        QFETCH(int, nTimeoutMs);
        QFETCH(int, nThreads);
        Open({nTimeoutMs, nThreads, true});
        QTEST(Timeout()->text(), "strTimeout");
        QTEST(Threads()->text(), "strThreads");
        QVERIFY(Page()->AutoCheckBox()->isChecked());
        QCOMPARE(Threads()->maxLength(), 2);
        QCOMPARE(Timeout()->maxLength(), 3);
        // The page starts on the thread count, its text selected for typing over.
        QCOMPARE(QApplication::focusWidget(), Threads());
        QCOMPARE(Threads()->selectedText(), Threads()->text());
    }

    void typingIsKeptUntilTheFieldIsLeft()
    {
        Open({60000, 4, false});
        // 45 typed over the time-out stays 45, and is stored so.
        TypeOver(Timeout(), "45");
        QCOMPARE(Timeout()->text(), "45");
        QTest::keyClick(Timeout(), Qt::Key_Tab);
        QCOMPARE(Timeout()->text(), "45");
        QVERIFY(CMessageHub::ShownBoxes().isEmpty());
        QCOMPARE(CMessageHub::BeepCount(), 0);

        // 17 threads stay 17 while typed; leaving the field says why and
        // brings it to the nearest end of the range.
        TypeOver(Threads(), "17");
        QCOMPARE(Threads()->text(), "17");
        QVERIFY(CMessageHub::ShownBoxes().isEmpty());
        Timeout()->setFocus();
        QCOMPARE(Threads()->text(), "16");
        QCOMPARE(CMessageHub::ShownBoxes().size(), 1);
        QCOMPARE(CMessageHub::ShownBoxes().first().m_strText, "The number of Threads must be between 1 and 16.");
        QCOMPARE(CMessageHub::ShownBoxes().first().m_strCaption, "Invalid Thread Count Specified");

        // A time-out below the range: 30 once the field is left; above: 300.
        CMessageHub::ResetRecord();
        TypeOver(Timeout(), "5");
        QCOMPARE(Timeout()->text(), "5");
        Threads()->setFocus();
        QCOMPARE(Timeout()->text(), "30");
        QCOMPARE(CMessageHub::ShownBoxes().size(), 1);
        QCOMPARE(CMessageHub::ShownBoxes().first().m_strText, "The Timeout Value must be between 30 and 300 seconds.");
        TypeOver(Timeout(), "301");
        QCOMPARE(Timeout()->text(), "301");
        Threads()->setFocus();
        QCOMPARE(Timeout()->text(), "300");

        // A cleared thread field comes back at 1 when left.
        TypeOver(Threads(), {});
        QTest::keyClick(Threads(), Qt::Key_Backspace);
        QCOMPARE(Threads()->text(), QString());
        Timeout()->setFocus();
        QCOMPARE(Threads()->text(), "1");

        TypeOver(Timeout(), "45");
        m_pSheet->OkButton()->click();
        QCOMPARE(m_settings.m_nTimeoutMs, 45000);
        QCOMPARE(m_settings.m_nThreadCount, 1);
    }

    void onlyDigitsCanBeTypedPastedTextIsReadAsANumber()
    {
        Open({60000, 4, false});
        Threads()->setFocus();
        QTest::keyClicks(Threads(), "x-");
        QCOMPARE(Threads()->text(), "4");
        QCOMPARE(CMessageHub::BeepCount(), 2);

        // Pasted text stays as pasted; text that starts with no digit reads
        // as 0, and is brought into range when the field is left.
        QApplication::clipboard()->setText("45");
        Timeout()->setFocus();
        Timeout()->selectAll();
        Timeout()->paste();
        QCOMPARE(Timeout()->text(), "45");
        QApplication::clipboard()->setText("abc");
        Timeout()->selectAll();
        Timeout()->paste();
        Threads()->setFocus();
        QCOMPARE(Timeout()->text(), "30");
        Threads()->selectAll();
        Threads()->paste();
        Timeout()->setFocus();
        QCOMPARE(Threads()->text(), "1");
    }

    void upDownMovesWithinTheRangeWithoutCorrections()
    {
        Open({298000, 15, false});
        CUpDownCtrl* pSpin = Page()->ThreadsSpin();
        QCOMPARE(pSpin->Buddy(), Threads());
        // It stands at the edit's right edge, as high as the edit.
        QCOMPARE(pSpin->x(), Threads()->geometry().right() + 1);
        QCOMPARE(pSpin->height(), Threads()->height());

        const QPoint ptUp(pSpin->width() / 2, pSpin->height() / 4);
        const QPoint ptDown(pSpin->width() / 2, pSpin->height() * 3 / 4);
        QTest::mouseClick(pSpin, Qt::LeftButton, {}, ptUp);
        QCOMPARE(Threads()->text(), "16");
        QTest::mouseClick(pSpin, Qt::LeftButton, {}, ptUp);
        QCOMPARE(Threads()->text(), "16");
        // The arrow keys in the edit do the same; the wheel too.
        for (int i = 0; i < 20; ++i)
            QTest::keyClick(Threads(), Qt::Key_Down);
        QCOMPARE(Threads()->text(), "1");
        QTest::mouseClick(pSpin, Qt::LeftButton, {}, ptDown);
        QCOMPARE(Threads()->text(), "1");

        CUpDownCtrl* pTimeoutSpin = Page()->TimeoutSpin();
        for (int i = 0; i < 4; ++i)
            QTest::keyClick(Timeout(), Qt::Key_Up);
        QCOMPARE(Timeout()->text(), "300");
        QCOMPARE(CMessageHub::BeepCount(), 0);

        // An arrow goes on from what the edit shows now.
        QApplication::clipboard()->setText("45");
        Timeout()->selectAll();
        Timeout()->paste();
        QTest::mouseClick(pTimeoutSpin, Qt::LeftButton, {}, ptUp);
        QCOMPARE(Timeout()->text(), "46");

        // Held down, an arrow repeats.
        QTest::mousePress(pTimeoutSpin, Qt::LeftButton, {}, ptUp);
        QTRY_VERIFY(Timeout()->text().toInt() >= 50);
        QTest::mouseRelease(pTimeoutSpin, Qt::LeftButton, {}, ptUp);
        const QString strAfterRelease = Timeout()->text();
        QTest::qWait(200);
        QCOMPARE(Timeout()->text(), strAfterRelease);
        QCOMPARE(CMessageHub::BeepCount(), 0);
    }

    void okStoresTheThreeSettings()
    {
        Open({60000, 4, false});
        TypeOver(Threads(), "1");
        TypeOver(Timeout(), "300");
        QTest::mouseClick(Page()->AutoCheckBox(), Qt::LeftButton);
        // Return in a field presses OK.
        QTest::keyClick(Timeout(), Qt::Key_Return);
        QVERIFY(Same(m_settings, {300000, 1, true}));
        QVERIFY(CMessageHub::ShownBoxes().isEmpty());
        QVERIFY(!m_pSheet->isVisible());
        QCOMPARE(m_pSheet->result(), int(QDialog::Accepted));
    }

    void okWithAnInvalidFieldCorrectsItAndStoresOnlyOnTheNextOk()
    {
        // Both invalid: one message per OK, the time-out first; each field
        // is brought into range and shown before anything is stored.
        Open({60000, 4, false});
        SetUnseen(Timeout(), "5");
        SetUnseen(Threads(), "0");
        Page()->AutoCheckBox()->setChecked(true);
        m_pSheet->OkButton()->click();
        QVERIFY(Same(m_settings, {60000, 4, false}));
        QCOMPARE(CMessageHub::ShownBoxes().size(), 1);
        const CMessageHub::Box box = CMessageHub::ShownBoxes().first();
        QCOMPARE(box.m_strText, "The Timeout Value must be between 30 and 300 seconds.");
        QCOMPARE(box.m_strCaption, "Invalid Timeout Specified");
        QCOMPARE(box.m_nIcon, QMessageBox::Warning);
        QVERIFY(m_pSheet->isVisible());
        QCOMPARE(Timeout()->text(), "30");

        m_pSheet->OkButton()->click();
        QVERIFY(Same(m_settings, {60000, 4, false}));
        QCOMPARE(CMessageHub::ShownBoxes().size(), 2);
        QCOMPARE(CMessageHub::ShownBoxes().last().m_strText, "The number of Threads must be between 1 and 16.");
        QCOMPARE(CMessageHub::ShownBoxes().last().m_strCaption, "Invalid Thread Count Specified");
        QVERIFY(m_pSheet->isVisible());
        QCOMPARE(Threads()->text(), "1");

        m_pSheet->OkButton()->click();
        QVERIFY(Same(m_settings, {30000, 1, true}));
        QVERIFY(!m_pSheet->isVisible());

        Open({60000, 4, false});
        SetUnseen(Threads(), "17");
        m_pSheet->OkButton()->click();
        QVERIFY(Same(m_settings, {60000, 4, false}));
        QCOMPARE(CMessageHub::ShownBoxes().size(), 1);
        QCOMPARE(Threads()->text(), "16");
        QVERIFY(m_pSheet->isVisible());
    }

    void cancelEscapeAndCloseChangeNothing()
    {
        for (int nWay = 0; nWay < 3; ++nWay) {
            Open({60000, 4, false});
            TypeOver(Threads(), "9");
            Page()->AutoCheckBox()->setChecked(true);
            if (nWay == 0)
                m_pSheet->CancelButton()->click();
            else if (nWay == 1)
                QTest::keyClick(Threads(), Qt::Key_Escape);
            else
                m_pSheet->close();
            QVERIFY(!m_pSheet->isVisible());
            QCOMPARE(m_pSheet->result(), int(QDialog::Rejected));
            QVERIFY(Same(m_settings, {60000, 4, false}));
        }
    }

    void mnemonicsAndTabFollowTheControlOrder()
    {
        Open({60000, 4, false});
        QTest::keyClick(m_pSheet.get(), Qt::Key_R, Qt::AltModifier);
        QCOMPARE(QApplication::focusWidget(), Timeout());
        QTest::keyClick(m_pSheet.get(), Qt::Key_T, Qt::AltModifier);
        QCOMPARE(QApplication::focusWidget(), Threads());
        const QList<QWidget*> expected{Timeout(), Page()->AutoCheckBox(), Page()->ContentChecksBox(),
                                       m_pSheet->OkButton(), m_pSheet->CancelButton()};
        for (QWidget* pNext : expected) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            QCOMPARE(QApplication::focusWidget(), pNext);
        }
        QTest::keyClick(m_pSheet.get(), Qt::Key_C, Qt::AltModifier);
        QTRY_VERIFY(Page()->AutoCheckBox()->isChecked());
        QVERIFY(Page()->ContentChecksBox()->isChecked());
        QTest::keyClick(m_pSheet.get(), Qt::Key_L, Qt::AltModifier);
        QTRY_VERIFY(!Page()->ContentChecksBox()->isChecked());
    }

    // Looking into pages is on unless turned off; the box shows the setting
    // and OK stores it, Cancel does not; the original controls keep their
    // places above it.
    void theContentChecksBoxShowsAndStoresItsSetting()
    {
        CheckSettings off{60000, 4, false};
        off.m_bContentChecks = false;
        Open(off);
        QVERIFY(!Page()->ContentChecksBox()->isChecked());
        QCOMPARE(Page()->ContentChecksBox()->text(), "&Look into pages that answer (parked domains, missing pages)");
        QVERIFY(Page()->ContentChecksBox()->geometry().top() > Page()->AutoCheckBox()->geometry().bottom());
        QVERIFY(Page()->ContentChecksBox()->geometry().bottom() <= Page()->height());
        QVERIFY(Page()->ContentChecksBox()->geometry().right() <= Page()->width());
        Page()->ContentChecksBox()->setChecked(true);
        m_pSheet->CancelButton()->click();
        QVERIFY(!m_settings.m_bContentChecks);

        Open(off);
        Page()->ContentChecksBox()->setChecked(true);
        m_pSheet->OkButton()->click();
        QVERIFY(m_settings.m_bContentChecks);

        Open({60000, 4, false});
        QVERIFY(Page()->ContentChecksBox()->isChecked());
        QTest::mouseClick(Page()->ContentChecksBox(), Qt::LeftButton);
        m_pSheet->OkButton()->click();
        QVERIFY(!m_settings.m_bContentChecks);
    }
};

ZORBEL_GUI_TEST_MAIN(SettingsPageTest)
#include "SettingsPageTest.moc"
