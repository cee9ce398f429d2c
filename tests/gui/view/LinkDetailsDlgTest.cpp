// The details dialog: the nine statuses with the pictures of the
// favourite's kind and the selection of its status; OK waiting for a change
// and ending as Cancel when the status chosen is the one it had; the width
// kept in a real settings file (too wide or too narrow ignored, stored
// however the dialog ends, the same width next time); widening stretches
// the fields and keeps the buttons centred while the height never changes;
// Tab and the mnemonics; the help text of each field on F1; where the link
// went shown below the URL, passed by when there is nothing to show; and
// nothing clipped at the scale the test runs at.
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QHelpEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSettings>
#include <QTemporaryDir>
#include <QWhatsThis>
#include <QtTest>

#include "core/model/LinkStatus.h"
#include "gui/common/Artwork.h"
#include "gui/help/HtmlHelp.h"
#include "gui/view/LinkDetailsDlg.h"
#include "GuiTestMain.h"
#include "ModalDialog.h"
#include "profile/SettingsProfile.h"

namespace {

QImage ImageOf(const QIcon& icon) { return icon.pixmap(16, 16).toImage().convertToFormat(QImage::Format_ARGB32); }

QString BuiltHelpFile()
{
    return QDir(qEnvironmentVariable("ZORBEL_TEST_BIN_DIR")).filePath(QStringLiteral("zorbel.chm"));
}

// The help popup on the screen, if one is shown.
QWidget* ShownPopup()
{
    for (QWidget* pWidget : QApplication::topLevelWidgets())
        if (pWidget->isVisible() && QByteArray(pWidget->metaObject()->className()) == "QWhatsThat")
            return pWidget;
    return nullptr;
}

} // namespace

class LinkDetailsDlgTest : public QObject {
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_pDir;

    QString ConfPath() const { return m_pDir->path() + "/Ornamy Software/Zorbel.conf"; }

    void WriteConf(const QByteArray& bytes)
    {
        QDir().mkpath(m_pDir->path() + "/Ornamy Software");
        QFile f(ConfPath());
        QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(bytes);
    }

    // The stored width as the settings file holds it, -1 when absent.
    int StoredWidth() const
    {
        QSettings conf(ConfPath(), QSettings::IniFormat);
        return conf.value("Settings/LastDetailsDlgWidth", -1).toInt();
    }

    // The dialog's width when nothing is stored.
    static int NaturalWidth()
    {
        CLinkDetailsDlg dlg(nullptr, nullptr);
        dlg.show();
        return dlg.width();
    }

private slots:
    void init()
    {
        // Every test has a settings file of its own, in a temporary folder.
        m_pDir = std::make_unique<QTemporaryDir>();
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, m_pDir->path());
    }
    void cleanup()
    {
        QWhatsThis::hideText();
        m_pDir.reset();
    }

    void listsTheNineStatusesWithTheKindsPictures_data()
    {
        QTest::addColumn<int>("nKind");
        QTest::addColumn<int>("nStatus");
        QTest::addColumn<int>("nSelected");
        QTest::addColumn<int>("nColumn");
        QTest::newRow("never checked") << 0 << int(StatusNotChecked) << 0 << 0;
        QTest::newRow("broken channel") << 2 << int(StatusBroken) << 4 << 2;
        QTest::newRow("skipped shortcut") << 3 << int(StatusSkipped) << 7 << 3;
        QTest::newRow("kind given as an image") << 6 << int(StatusMoved) << 8 << 2;
        QTest::newRow("a value no status has") << 0 << 3 << -1 << 0;
    }
    void listsTheNineStatusesWithTheKindsPictures()
    {
        QFETCH(int, nKind);
        QFETCH(int, nStatus);
        QFETCH(int, nSelected);
        QFETCH(int, nColumn);
        CLinkDetailsDlg dlg(nullptr, nullptr);
        dlg.m_nKind = nKind;
        dlg.m_nStatus = nStatus;
        dlg.show();
        QComboBox* pCombo = dlg.StatusCombo();
        const QStringList texts = {"Not yet checked",
                                   "Currently being checked",
                                   "Link is valid",
                                   "The Link itself is broken, but the site is valid",
                                   "The Link (and maybe its site) is broken",
                                   "Link could not be verified",
                                   "Link could not be verified (Authorization Required)",
                                   "Link has been skipped",
                                   "Link Has Been Moved/Redirected"};
        const int statuses[] = {0, 1, 2, 64, 4, 8, 128, 16, 32};
        const int offsets[] = {0, 16, 8, 32, 4, 12, 20, 24, 28};
        QCOMPARE(pCombo->count(), 9);
        for (int i = 0; i < 9; ++i) {
            QCOMPARE(pCombo->itemText(i), texts[i]);
            QCOMPARE(pCombo->itemData(i).toInt(), statuses[i]);
            QCOMPARE(ImageOf(pCombo->itemIcon(i)), ImageOf(Artwork::StatusIcon(offsets[i] + nColumn)));
        }
        QCOMPARE(pCombo->currentIndex(), nSelected);
        QCOMPARE(dlg.m_nKind, nColumn);
        QVERIFY(!dlg.OkButton()->isEnabled());
        QCOMPARE(dlg.CloseButton()->text(), QString("Close"));
        QCOMPARE(dlg.windowTitle(), QString("Favorites Link Details"));
        QCOMPARE(dlg.IntroText()->text(), QString("You can view the Details of the selected Link below."));
    }

    void okWaitsForAChangeAndTheSameStatusAgainEndsAsCancel()
    {
        CLinkDetailsDlg dlg(nullptr, nullptr);
        dlg.m_nStatus = StatusBroken;
        WhenModal<CLinkDetailsDlg>([](CLinkDetailsDlg* p) {
            // Return does nothing while OK is disabled.
            QTest::keyClick(p->NameEdit(), Qt::Key_Return);
            QVERIFY(p->isVisible());
            p->StatusCombo()->setCurrentIndex(7);
            QVERIFY(p->OkButton()->isEnabled());
            QCOMPARE(p->CloseButton()->text(), QString("Cancel"));
            p->StatusCombo()->setCurrentIndex(4); // broken again
            QVERIFY(p->OkButton()->isEnabled());
            QCOMPARE(p->CloseButton()->text(), QString("Cancel"));
            p->OkButton()->click();
        });
        QCOMPARE(dlg.exec(), int(QDialog::Rejected));
        QCOMPARE(dlg.m_nStatus, int(StatusBroken));
    }

    void okWithAnotherStatusHandsItBack()
    {
        CLinkDetailsDlg dlg(nullptr, nullptr);
        dlg.m_nStatus = StatusBroken;
        WhenModal<CLinkDetailsDlg>([](CLinkDetailsDlg* p) {
            p->StatusCombo()->setFocus();
            QTest::keyClick(p->StatusCombo(), Qt::Key_Down); // the keyboard changes it as well
            QCOMPARE(p->StatusCombo()->currentData().toInt(), int(StatusUnverified));
            QVERIFY(p->OkButton()->isEnabled());
            QTest::keyClick(p->StatusCombo(), Qt::Key_Return);
        });
        QCOMPARE(dlg.exec(), int(QDialog::Accepted));
        QCOMPARE(dlg.m_nStatus, int(StatusUnverified));
    }

    void storedWidthIsUsedWithinItsRange_data()
    {
        QTest::addColumn<QByteArray>("conf");
        QTest::addColumn<int>("nExtra"); // expected width above the natural one; -1: 1024
        QTest::newRow("nothing stored") << QByteArray() << 0;
        QTest::newRow("2000 is too wide") << QByteArray("2000") << 0;
        QTest::newRow("1025 is too wide") << QByteArray("1025") << 0;
        QTest::newRow("1024 is the widest") << QByteArray("1024") << -1;
        QTest::newRow("narrower than natural") << QByteArray("natural-1") << 0;
        QTest::newRow("a little wider") << QByteArray("natural+57") << 57;
        QTest::newRow("text") << QByteArray("wide") << 0;
    }
    void storedWidthIsUsedWithinItsRange()
    {
        QFETCH(QByteArray, conf);
        QFETCH(int, nExtra);
        const int nNatural = NaturalWidth();
        QVERIFY(nNatural + 57 <= 1024);
        QByteArray value = conf;
        if (conf == "natural-1")
            value = QByteArray::number(nNatural - 1);
        else if (conf == "natural+57")
            value = QByteArray::number(nNatural + 57);
        if (!value.isEmpty())
            WriteConf("[Settings]\nLastDetailsDlgWidth=" + value + "\n");

        CSettingsProfile profile;
        CLinkDetailsDlg dlg(nullptr, &profile);
        dlg.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dlg));
        QCOMPARE(dlg.MinWidth(), nNatural);
        QCOMPARE(dlg.width(), nExtra < 0 ? 1024 : nNatural + nExtra);
    }

    void widthIsStoredWhicheverWayTheDialogEnds_data()
    {
        QTest::addColumn<QString>("strWay");
        QTest::newRow("Close") << "Close";
        QTest::newRow("Cancel") << "Cancel";
        QTest::newRow("Escape") << "Escape";
        QTest::newRow("close box") << "close box";
        QTest::newRow("OK") << "OK";
    }
    void widthIsStoredWhicheverWayTheDialogEnds()
    {
        QFETCH(QString, strWay);
        const int nWidth = NaturalWidth() + 40;
        {
            CSettingsProfile profile;
            CLinkDetailsDlg dlg(nullptr, &profile);
            dlg.m_nStatus = StatusValid;
            WhenModal<CLinkDetailsDlg>([strWay, nWidth](CLinkDetailsDlg* p) {
                p->resize(nWidth, p->height());
                if (strWay == "Close") {
                    p->CloseButton()->click();
                } else if (strWay == "Cancel") {
                    p->StatusCombo()->setCurrentIndex(0);
                    p->CloseButton()->click();
                } else if (strWay == "Escape") {
                    QTest::keyClick(p, Qt::Key_Escape);
                } else if (strWay == "close box") {
                    p->close();
                } else {
                    p->StatusCombo()->setCurrentIndex(0);
                    p->OkButton()->click();
                }
            });
            dlg.exec();
        }
        QCOMPARE(StoredWidth(), nWidth);
    }

    void anUnresizedDialogOpensWithTheSameWidthNextTime()
    {
        const int nWidth = NaturalWidth() + 70;
        WriteConf("[Settings]\nLastDetailsDlgWidth=" + QByteArray::number(nWidth) + "\n");
        for (int nRun = 0; nRun < 2; ++nRun) {
            {
                CSettingsProfile profile;
                CLinkDetailsDlg dlg(nullptr, &profile);
                WhenModal<CLinkDetailsDlg>([](CLinkDetailsDlg* p) { p->CloseButton()->click(); });
                dlg.exec();
                QCOMPARE(dlg.width(), nWidth);
            }
            QCOMPARE(StoredWidth(), nWidth);
        }
        // At its natural width the dialog stores that width.
        WriteConf("[Settings]\n");
        const int nNatural = NaturalWidth();
        {
            CSettingsProfile profile;
            CLinkDetailsDlg dlg(nullptr, &profile);
            dlg.show();
        }
        QCOMPARE(StoredWidth(), nNatural);
    }

    void widensButNeverNarrowsNorChangesHeight()
    {
        CLinkDetailsDlg dlg(nullptr, nullptr);
        dlg.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dlg));
        const int nNatural = dlg.width();
        const int nHeight = dlg.height();
        const QList<QWidget*> fields = {dlg.NameEdit(), dlg.PathEdit(), dlg.UrlEdit(), dlg.MemoEdit(),
                                        dlg.StatusCombo()};
        QList<QRect> before;
        for (QWidget* p : fields)
            before << p->geometry();

        dlg.resize(nNatural + 201, nHeight + 60);
        QCOMPARE(dlg.width(), nNatural + 201);
        QCOMPARE(dlg.height(), nHeight);
        const int cx = dlg.width();
        for (int i = 0; i < fields.size(); ++i) {
            const QRect rc = fields[i]->geometry();
            QCOMPARE(rc.x() + rc.width(), cx - 6);
            QCOMPARE(rc.top(), before[i].top());
            QCOMPARE(rc.height(), before[i].height());
            QCOMPARE(rc.left(), before[i].left());
        }
        QCOMPARE(dlg.IntroText()->geometry().x() + dlg.IntroText()->width(), cx - 39);
        // The buttons: centred, 30 pixels apart, the same width.
        QPushButton* pOk = dlg.OkButton();
        QPushButton* pClose = dlg.CloseButton();
        QCOMPARE(pOk->x() + pOk->width(), cx / 2 - 15);
        QCOMPARE(pClose->x(), cx / 2 + 15);
        QCOMPARE(pClose->width(), pOk->width());
        QCOMPARE(dlg.RememberedWidth(), cx);

        dlg.resize(nNatural - 80, nHeight - 30);
        QCOMPARE(dlg.width(), nNatural);
        QCOMPARE(dlg.height(), nHeight);
        QCOMPARE(dlg.RememberedWidth(), nNatural);
    }

    void tabAndMnemonicsFollowTheFields()
    {
        CLinkDetailsDlg dlg(nullptr, nullptr);
        dlg.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dlg));
        QApplication::setActiveWindow(&dlg);
        QTRY_COMPARE(QApplication::focusWidget(), static_cast<QWidget*>(dlg.NameEdit()));
        dlg.StatusCombo()->setCurrentIndex(3); // OK is enabled, so it takes part
        const QList<QWidget*> order = {dlg.PathEdit(), dlg.UrlEdit(), dlg.MemoEdit(), dlg.StatusCombo(),
                                       dlg.OkButton(), dlg.CloseButton(), dlg.NameEdit()};
        for (QWidget* pNext : order) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            QCOMPARE(QApplication::focusWidget(), pNext);
        }
        const QList<QPair<char, QWidget*>> keys = {{'P', dlg.PathEdit()},   {'U', dlg.UrlEdit()},
                                                   {'M', dlg.MemoEdit()},   {'C', dlg.StatusCombo()},
                                                   {'N', dlg.NameEdit()}};
        for (const auto& [cKey, pTarget] : keys) {
            QTest::keyClick(&dlg, cKey, Qt::AltModifier);
            QCOMPARE(QApplication::focusWidget(), pTarget);
        }
    }

    void nothingIsClippedAtThisScale()
    {
        CLinkDetailsDlg dlg(nullptr, nullptr);
        dlg.m_strName = "News/Sport/Daily";
        dlg.m_strMemo = "The Link (and maybe its site) is broken: the host name could not be resolved.";
        dlg.m_nStatus = StatusAuthRequired;
        dlg.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dlg));
        for (QLabel* pLabel : dlg.findChildren<QLabel*>()) {
            QVERIFY(dlg.rect().contains(pLabel->geometry()));
            if (pLabel->text().isEmpty())
                continue;
            QVERIFY2(pLabel->sizeHint().width() <= pLabel->width() || pLabel->wordWrap(), qPrintable(pLabel->text()));
            const int nNeeded = pLabel->wordWrap() ? pLabel->heightForWidth(pLabel->width()) : pLabel->sizeHint().height();
            QVERIFY2(nNeeded <= pLabel->height(), qPrintable(pLabel->text()));
        }
        for (QWidget* pField : {static_cast<QWidget*>(dlg.NameEdit()), static_cast<QWidget*>(dlg.StatusCombo())}) {
            QVERIFY(pField->minimumSizeHint().height() <= pField->height());
            QVERIFY(dlg.rect().contains(pField->geometry()));
        }
        for (QPushButton* pButton : dlg.findChildren<QPushButton*>()) {
            QVERIFY2(pButton->sizeHint().width() <= pButton->width() + 2, qPrintable(pButton->text()));
            QVERIFY(pButton->sizeHint().height() <= pButton->height() + 2);
            QVERIFY(dlg.rect().contains(pButton->geometry()));
        }
        // The longest status shows whole.
        QVERIFY(dlg.StatusCombo()->sizeHint().width() <= dlg.StatusCombo()->width());
        // The rows keep apart.
        const QList<QWidget*> rows = {dlg.NameEdit(), dlg.PathEdit(), dlg.UrlEdit(), dlg.MemoEdit(),
                                      dlg.StatusCombo(), dlg.OkButton()};
        for (int i = 1; i < rows.size(); ++i)
            QVERIFY(rows[i - 1]->geometry().bottom() + 2 < rows[i]->geometry().top());
        if (!qEnvironmentVariableIsEmpty("ZORBEL_SCREENSHOT_DIR"))
            dlg.grab().save(qEnvironmentVariable("ZORBEL_SCREENSHOT_DIR") + QStringLiteral("/details.png"));
    }

    void movedToShowsWhereTheLinkWentBelowTheUrl()
    {
        CLinkDetailsDlg dlg(nullptr, nullptr);
        dlg.m_strUrl = "http://old.example/page";
        dlg.m_strMovedTo = "https://new.example/a/very/long/address/that/goes/on/and/on/page.html";
        dlg.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dlg));
        QApplication::setActiveWindow(&dlg);
        QLineEdit* pMovedTo = dlg.MovedToEdit();
        QCOMPARE(pMovedTo->text(), dlg.m_strMovedTo);
        QVERIFY(pMovedTo->isReadOnly());
        QVERIFY(pMovedTo->isEnabled());
        QCOMPARE(pMovedTo->cursorPosition(), 0); // it shows from its beginning
        // Its own row, between the URL and the memo, as wide as they are.
        QVERIFY(dlg.UrlEdit()->geometry().bottom() + 2 < pMovedTo->geometry().top());
        QVERIFY(pMovedTo->geometry().bottom() + 2 < dlg.MemoEdit()->geometry().top());
        QCOMPARE(pMovedTo->x(), dlg.UrlEdit()->x());
        QCOMPARE(pMovedTo->width(), dlg.UrlEdit()->width());
        dlg.resize(dlg.width() + 120, dlg.height());
        QCOMPARE(pMovedTo->x() + pMovedTo->width(), dlg.width() - 6);
        // Its label's mnemonic, and its place in the Tab order.
        QTest::keyClick(&dlg, 'T', Qt::AltModifier);
        QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(pMovedTo));
        dlg.UrlEdit()->setFocus();
        QTRY_COMPARE(QApplication::focusWidget(), static_cast<QWidget*>(dlg.UrlEdit()));
        for (QWidget* pNext : {static_cast<QWidget*>(pMovedTo), static_cast<QWidget*>(dlg.MemoEdit())}) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            QCOMPARE(QApplication::focusWidget(), pNext);
        }
        if (!qEnvironmentVariableIsEmpty("ZORBEL_SCREENSHOT_DIR"))
            dlg.grab().save(qEnvironmentVariable("ZORBEL_SCREENSHOT_DIR") + QStringLiteral("/details-moved.png"));
        if (!QFile::exists(BuiltHelpFile()))
            return;
        dlg.SetHelpFilePath(BuiltHelpFile());
        QWhatsThis::hideText();
        QVERIFY(dlg.OnHelpInfo(pMovedTo));
        QVERIFY(ShownPopup());
        QWhatsThis::hideText();
    }

    void withoutARedirectMovedToIsEmptyAndPassedBy()
    {
        CLinkDetailsDlg dlg(nullptr, nullptr);
        dlg.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dlg));
        QCOMPARE(dlg.MovedToEdit()->text(), QString());
        QVERIFY(!dlg.MovedToEdit()->isEnabled());
    }

    void f1OnAFieldShowsItsHelpText()
    {
        if (!QFile::exists(BuiltHelpFile()))
            QSKIP("no help file was built (chmcmd missing)");
        CLinkDetailsDlg dlg(nullptr, nullptr);
        dlg.SetHelpFilePath(BuiltHelpFile());
        dlg.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dlg));
        QApplication::setActiveWindow(&dlg);
        for (QWidget* pField : {static_cast<QWidget*>(dlg.NameEdit()), static_cast<QWidget*>(dlg.PathEdit()),
                                static_cast<QWidget*>(dlg.UrlEdit()), static_cast<QWidget*>(dlg.MemoEdit()),
                                static_cast<QWidget*>(dlg.StatusCombo())}) {
            QWhatsThis::hideText();
            QTRY_VERIFY(!ShownPopup());
            pField->setFocus();
            QTRY_COMPARE(QApplication::focusWidget(), pField);
            QTest::keyClick(pField, Qt::Key_F1);
            QVERIFY2(ShownPopup(), qPrintable(pField->objectName()));
        }
        // The title bar's help button, then a click on the memo's page.
        QWhatsThis::hideText();
        QHelpEvent help(QEvent::WhatsThis, QPoint(5, 5), dlg.MemoEdit()->viewport()->mapToGlobal(QPoint(5, 5)));
        QApplication::sendEvent(dlg.MemoEdit()->viewport(), &help);
        QVERIFY(help.isAccepted());
        QVERIFY(ShownPopup());
        // The buttons have no text of their own.
        QWhatsThis::hideText();
        QVERIFY(!dlg.OnHelpInfo(dlg.CloseButton()));
        QVERIFY(!ShownPopup());
    }
};

ZORBEL_GUI_TEST_MAIN(LinkDetailsDlgTest)
#include "LinkDetailsDlgTest.moc"
