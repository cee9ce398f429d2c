// The export wizard as the user meets it: from the always enabled Export
// Favorites command through its four pages to the file, with the sorted
// format list, the checks of the file page, Browse through its seam, Cancel
// on every page, and files byte for byte the same as the core's.
#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include <functional>

#include "core/export/ExportFormat.h"
#include "core/model/LinkStatus.h"
#include "gui/common/CommandIds.h"
#include "gui/common/MessageHub.h"
#include "gui/menus/CommandRouter.h"
#include "gui/view/ViewTreeSink.h"
#include "gui/view/ZorbelView.h"
#include "gui/wizard/EFWPages.h"
#include "gui/wizard/ExportFavoritesWizard.h"
#include "gui/wizard/FilterEdit.h"
#include "GuiTestMain.h"

namespace {

template <class T>
T* Control(QWidget* pPage, int nId)
{
    return pPage->findChild<T*>(QString::number(nId));
}

QComboBox* FormatCombo(CExportFavoritesWizard& wizard) { return Control<QComboBox>(wizard.page(1), IDC_EFW_FORMAT_COMBO); }
CFilterEdit* FileEdit(CExportFavoritesWizard& wizard) { return Control<CFilterEdit>(wizard.page(2), IDC_EFW_FILE_EDIT); }
QString SelectedFormat(CExportFavoritesWizard& wizard)
{
    return Control<QLabel>(wizard.page(2), IDC_EFW_SELECTED_FORMAT)->text();
}
QString Confirmation(CExportFavoritesWizard& wizard) { return Control<QLabel>(wizard.page(3), IDC_EFW_CONFIRM)->text(); }

QString Name(const ExportFormat& format) { return QString::fromUtf8(format.m_strName.data(), qsizetype(format.m_strName.size())); }

bool SelectFormat(CExportFavoritesWizard& wizard, const QString& strName)
{
    const int nIndex = FormatCombo(wizard)->findText(strName);
    FormatCombo(wizard)->setCurrentIndex(nIndex);
    return nIndex >= 0;
}

// Walks the wizard from its first page to the last with a format and a
// target text.
void WalkToEnd(CExportFavoritesWizard& wizard, const QString& strFormat, const QString& strTarget)
{
    wizard.next();
    QVERIFY(SelectFormat(wizard, strFormat));
    wizard.next();
    FileEdit(wizard)->setText(strTarget);
    wizard.next();
    QCOMPARE(wizard.currentId(), 3);
}

std::shared_ptr<FavoriteItem> MakeItem(std::string strName, std::string strUrl, std::string strFolder = {})
{
    auto pItem = std::make_shared<FavoriteItem>();
    pItem->m_strName = std::move(strName);
    pItem->m_strUrl = std::move(strUrl);
    pItem->m_strFolder = std::move(strFolder);
    pItem->m_nKind = 0;
    return pItem;
}

QByteArray ReadAll(const QString& strPath)
{
    QFile file(strPath);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

class ExportWizardTest : public QObject {
    Q_OBJECT

    std::unique_ptr<CCommandRouter> m_pRouter;
    std::unique_ptr<CZorbelView> m_pView;
    QMessageBox::StandardButton m_nOverwriteAnswer = QMessageBox::No;

    // Runs Export Favorites as the menu does; `drive` works the wizard once
    // it is up and must end it. Returns whether the wizard was seen.
    bool RunExportCommand(const std::function<void(CExportFavoritesWizard&)>& drive)
    {
        bool bSeen = false;
        QTimer::singleShot(0, this, [&] {
            auto* pWizard = qobject_cast<CExportFavoritesWizard*>(QApplication::activeModalWidget());
            if (!pWizard)
                return;
            bSeen = true;
            drive(*pWizard);
            if (pWizard->isVisible()) // a driver that failed half-way
                pWizard->reject();
        });
        if (!m_pRouter->Run(ID_FILE_EXPORT))
            return false;
        return bSeen;
    }

    QStringList BoxCaptions() const
    {
        QStringList captions;
        for (const CMessageHub::Box& box : CMessageHub::ShownBoxes())
            captions << box.m_strCaption;
        return captions;
    }

private slots:
    void init()
    {
        m_nOverwriteAnswer = QMessageBox::No;
        CMessageHub::SetAnswerer([this](const CMessageHub::Box& box) {
            return box.m_buttons.testFlag(QMessageBox::Yes) ? m_nOverwriteAnswer : QMessageBox::Ok;
        });
        CMessageHub::ResetRecord();
        CEFWPage3::SetSaveFileChooser([](QWidget*, const QString&, const QString&) { return QString(); });
        m_pRouter = std::make_unique<CCommandRouter>();
        m_pView = std::make_unique<CZorbelView>(*m_pRouter);
        // The list of the core's golden files (an entry without a record
        // gives no line there, so it is left out here).
        for (auto pItem : {MakeItem("Ornamy Home", "http://www.ornamy.example/"),
                           MakeItem("Tool Box", "http://tools.example/box.htm", "Links/Tools"),
                           MakeItem("Home", ""), MakeItem("", "http://noname.example/", "Links"),
                           MakeItem("Smith, Jones & Co", "http://sj.example/?a=1&b=2", "Links"),
                           MakeItem("The \"Best\" <Page>", "http://quote.example/q\"x", "Links/Tools"),
                           MakeItem("<N/A>", "http://page.example/link")})
            m_pView->Sink().InsertNode(kTreeRoot, pItem->m_strName, 0, pItem);
        m_pView->Sink().Flush();
    }
    void cleanup()
    {
        CEFWPage3::SetSaveFileChooser({});
        m_pView.reset();
        m_pRouter.reset();
    }

    void commandIsEnabledWhateverRuns()
    {
        m_pView->State().m_bPopulating = true;
        m_pView->State().m_nActiveWorkers = 2;
        m_pRouter->UpdateAll();
        QVERIFY(m_pRouter->Action(ID_FILE_EXPORT)->isEnabled());
    }

    void wizardExportsTheSameBytesAsTheCore()
    {
        QTemporaryDir dir;
        const char* const kGolden[] = {"small-1-plain.txt", "small-2-names.txt", "small-3-urls.txt",
                                       "small-4-csv.csv",   "small-5-csv-folders.csv", "small-6-html.htm",
                                       "small-7-html-folders.htm"};
        for (const ExportFormat& format : kExportFormats) {
            if (format.m_nId > ExportHtmlFolders)
                continue; // the bookmarks file has a test of its own below
            const QString strGolden = QString(ZORBEL_TEST_DATA "/export/") + kGolden[format.m_nId - 1];
            QVERIFY2(QFile::exists(strGolden), qPrintable(strGolden));
            const QString strTarget = dir.filePath(QString("out-%1").arg(format.m_nId));
            CMessageHub::ResetRecord();
            QVERIFY(RunExportCommand([&](CExportFavoritesWizard& wizard) {
                WalkToEnd(wizard, Name(format), strTarget);
                wizard.button(QWizard::FinishButton)->click();
            }));
            QCOMPARE(BoxCaptions(), QStringList{"Export Successful"});
            QCOMPARE(ReadAll(strTarget), ReadAll(strGolden));
        }
    }

    void cancelOnAnyPageExportsNothing()
    {
        QTemporaryDir dir;
        const QString strTarget = dir.filePath("never.csv");
        for (int nPage = 0; nPage < 4; ++nPage) {
            for (int nWay = 0; nWay < 3; ++nWay) {
                CMessageHub::ResetRecord();
                QVERIFY(RunExportCommand([&](CExportFavoritesWizard& wizard) {
                    if (nPage == 3)
                        WalkToEnd(wizard, "HTML", strTarget);
                    while (wizard.currentId() < nPage) {
                        if (wizard.currentId() == 2)
                            FileEdit(wizard)->setText(strTarget);
                        wizard.next();
                    }
                    QCOMPARE(wizard.currentId(), nPage);
                    if (nWay == 0)
                        wizard.button(QWizard::CancelButton)->click();
                    else if (nWay == 1)
                        QTest::keyClick(&wizard, Qt::Key_Escape);
                    else
                        wizard.close();
                    QVERIFY(!wizard.isVisible());
                }));
                QVERIFY(CMessageHub::ShownBoxes().isEmpty());
                QVERIFY(!QFile::exists(strTarget));
            }
        }
    }

    void pagesTitlesAndButtons()
    {
        CExportFavoritesWizard wizard;
        wizard.show();
        QVERIFY(QTest::qWaitForWindowExposed(&wizard));
        const QStringList titles = {"Export Favorites Wizard", "Export Format ", "Target File", "Completing The Wizard"};
        QTemporaryDir dir;
        for (int nPage = 0; nPage < 4; ++nPage) {
            QCOMPARE(wizard.currentId(), nPage);
            QCOMPARE(wizard.windowTitle(), titles[nPage]);
            QCOMPARE(wizard.button(QWizard::BackButton)->isEnabled(), nPage > 0);
            QCOMPARE(wizard.button(QWizard::NextButton)->isVisible(), nPage < 3);
            QCOMPARE(wizard.button(QWizard::FinishButton)->isVisible(), nPage == 3);
            QVERIFY(wizard.button(QWizard::CancelButton)->isEnabled());
            if (nPage == 2)
                FileEdit(wizard)->setText(dir.filePath("x"));
            wizard.next();
        }
        QVERIFY(wizard.button(QWizard::FinishButton)->isEnabled());
        // Back leads to the pages before, with their titles.
        wizard.back();
        QCOMPARE(wizard.windowTitle(), titles[2]);
    }

    void textsFitAndLineUp()
    {
        CExportFavoritesWizard wizard;
        const std::pair<int, int> kHeadings[] = {{0, IDC_EFW_WELCOME_HEADING}, {3, IDC_EFW_COMPLETE_HEADING}};
        for (auto [nPage, nId] : kHeadings) {
            auto* pHeading = Control<QLabel>(wizard.page(nPage), nId);
            QVERIFY(pHeading->font().bold());
            QVERIFY(pHeading->font().stretch() > 100 || QFontMetrics(pHeading->font()).averageCharWidth() >= 10);
            const QRect rcNeeded = QFontMetrics(pHeading->font())
                                       .boundingRect(pHeading->contentsRect(), Qt::TextWordWrap | Qt::AlignHCenter,
                                                     pHeading->text());
            QVERIFY2(pHeading->contentsRect().contains(rcNeeded), qPrintable(pHeading->text()));
        }
        // Each label stands level with the one-line control beside it, and
        // its mnemonic leads to the control that takes the focus there.
        const struct {
            int m_nPage;
            const char* m_pszLabel;
            int m_nBeside;
            int m_nBuddy;
        } kLabels[] = {{1, "&Format:", IDC_EFW_FORMAT_COMBO, IDC_EFW_FORMAT_COMBO},
                       {2, "&Format:", IDC_EFW_SELECTED_FORMAT, IDC_EFW_FILE_EDIT},
                       {2, "&File:", IDC_EFW_FILE_EDIT, IDC_EFW_FILE_EDIT}};
        for (const auto& row : kLabels) {
            QLabel* pLabel = nullptr;
            for (QLabel* pCandidate : wizard.page(row.m_nPage)->findChildren<QLabel*>())
                if (pCandidate->text() == row.m_pszLabel)
                    pLabel = pCandidate;
            QVERIFY2(pLabel, row.m_pszLabel);
            auto* pBeside = Control<QWidget>(wizard.page(row.m_nPage), row.m_nBeside);
            QVERIFY(qAbs(pLabel->geometry().center().y() - pBeside->geometry().center().y()) <= 1);
            QCOMPARE(pLabel->buddy(), Control<QWidget>(wizard.page(row.m_nPage), row.m_nBuddy));
        }
    }

    void formatListIsSortedAndStartsWithCsvDescribed()
    {
        CExportFavoritesWizard wizard;
        QComboBox* pCombo = FormatCombo(wizard);
        QStringList names;
        for (int i = 0; i < pCombo->count(); ++i)
            names << pCombo->itemText(i);
        QCOMPARE(names, (QStringList{"CSV", "CSV (With Folders)", "HTML", "HTML (With Folders)", "Plain Text",
                                     "Plain Text, Names Only", "Plain Text, URLs Only",
                                     "Bookmarks File for Browsers"}));
        QCOMPARE(pCombo->currentText(), QString("CSV"));
        auto* pDetails = Control<QLabel>(wizard.page(1), IDC_EFW_FORMAT_DETAILS);
        const ExportFormat* pCsv = FindExportFormat(ExportCsv);
        QCOMPARE(pDetails->text(), QString::fromUtf8(pCsv->m_strDescription.data(), qsizetype(pCsv->m_strDescription.size())));
        pCombo->setCurrentIndex(pCombo->findText("Plain Text, URLs Only"));
        QVERIFY(pDetails->text().startsWith("Each Favorite's URL will be exported"));
        QVERIFY(!wizard.Format());

        // A new run remembers nothing of the last.
        QTemporaryDir dir;
        wizard.show();
        WalkToEnd(wizard, "HTML", dir.filePath("somewhere.htm"));
        CExportFavoritesWizard next;
        QCOMPARE(FormatCombo(next)->currentText(), QString("CSV"));
        QVERIFY(FileEdit(next)->text().isEmpty());
        QVERIFY(!next.Format());
        QVERIFY(next.TargetFile().isEmpty());
    }

    void leavingOutBrokenIsOfferedForTheBookmarksFileAndReachesTheFile()
    {
        // Two of the list are broken ones, as the report counts them.
        const auto items = m_pView->Items();
        items[1]->SetOutcome(StatusBroken, {});
        items[4]->SetOutcome(StatusPartiallyValid, {});
        items[0]->SetOutcome(StatusMoved, {});
        QTemporaryDir dir;
        const QString strTarget = dir.filePath("bookmarks.html");
        QStringList confirmations;
        QVERIFY(RunExportCommand([&](CExportFavoritesWizard& wizard) {
            wizard.next();
            auto* pLeaveOut = wizard.page(1)->findChild<QCheckBox*>("leaveOutBroken");
            QVERIFY(pLeaveOut);
            QVERIFY(!pLeaveOut->isVisible()); // not for the lists of old
            FormatCombo(wizard)->setCurrentIndex(FormatCombo(wizard)->findText("Bookmarks File for Browsers"));
            QVERIFY(pLeaveOut->isVisible());
            QVERIFY(!pLeaveOut->isChecked());
            // Its mnemonic, and its place after the list in the Tab order.
            QApplication::setActiveWindow(&wizard);
            QTRY_VERIFY(wizard.isActiveWindow());
            QTest::keyClick(&wizard, 'L', Qt::AltModifier);
            QTRY_VERIFY(pLeaveOut->isChecked()); // a mnemonic clicks with a short animation
            FormatCombo(wizard)->setFocus();
            QTest::keyClick(FormatCombo(wizard), Qt::Key_Tab);
            QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(pLeaveOut));
            if (!qEnvironmentVariableIsEmpty("ZORBEL_SCREENSHOT_DIR"))
                wizard.grab().save(qEnvironmentVariable("ZORBEL_SCREENSHOT_DIR") + "/wizard-leave-out-broken.png");
            wizard.next();
            FileEdit(wizard)->setText(strTarget);
            wizard.next();
            confirmations << Control<QLabel>(wizard.page(3), IDC_EFW_CONFIRM)->text();
            QVERIFY(wizard.LeaveOutBroken());
            wizard.button(QWizard::FinishButton)->click();
        }));
        QCOMPARE(BoxCaptions(), QStringList{"Export Successful"});
        QVERIFY(confirmations.value(0).endsWith("Broken favourites are left out."));
        const QByteArray bytes = ReadAll(strTarget);
        QVERIFY(bytes.startsWith("<!DOCTYPE NETSCAPE-Bookmark-file-1>"));
        QVERIFY(bytes.contains("http://www.ornamy.example/")); // moved is no broken one
        QVERIFY(!bytes.contains("tools.example"));
        QVERIFY(!bytes.contains("sj.example"));
        QVERIFY(bytes.contains("page.example"));

        // Another format after it: nothing is left out of the lists of old.
        QVERIFY(RunExportCommand([&](CExportFavoritesWizard& wizard) {
            wizard.next();
            FormatCombo(wizard)->setCurrentIndex(FormatCombo(wizard)->findText("Bookmarks File for Browsers"));
            wizard.page(1)->findChild<QCheckBox*>("leaveOutBroken")->setChecked(true);
            FormatCombo(wizard)->setCurrentIndex(FormatCombo(wizard)->findText("Plain Text, URLs Only"));
            wizard.next();
            QVERIFY(!wizard.LeaveOutBroken());
            wizard.reject();
        }));
    }

    void backAndAnotherFormatReachTheLaterPages()
    {
        QTemporaryDir dir;
        const QString strTarget = dir.filePath("list.txt");
        CExportFavoritesWizard wizard;
        wizard.show();
        wizard.next();
        QVERIFY(SelectFormat(wizard, "HTML"));
        wizard.next();
        QCOMPARE(SelectedFormat(wizard), QString("HTML"));
        wizard.back();
        QCOMPARE(FormatCombo(wizard)->currentText(), QString("HTML")); // kept while going back
        QVERIFY(SelectFormat(wizard, "Plain Text"));
        wizard.next();
        QCOMPARE(SelectedFormat(wizard), QString("Plain Text"));
        FileEdit(wizard)->setText(strTarget);
        wizard.next();
        QCOMPARE(wizard.Format()->m_nId, std::int32_t(ExportPlainText));
        QCOMPARE(Confirmation(wizard),
                 QString("Completing this Wizard will export your list of Favorites, in \"Plain Text\" format, to "
                         "the file: \"%1\".")
                     .arg(strTarget));
    }

    void fileFieldTakesPathsAndRefusesTheRest()
    {
        CExportFavoritesWizard wizard;
        CFilterEdit* pEdit = FileEdit(wizard);
        QTest::keyClicks(pEdit, "/tmp/a|b*<c>\"d?:\\e.csv");
        QCOMPARE(pEdit->text(), QString("/tmp/abcd?:\\e.csv"));
        QVERIFY(pEdit->completer());
    }

    void blankFileFieldIsRefusedWithFocusAndSelection()
    {
        CExportFavoritesWizard wizard;
        wizard.show();
        QVERIFY(QTest::qWaitForWindowActive(&wizard));
        wizard.next();
        wizard.next();
        for (const QString& strBlank : {QString(), QString("   "), QString(" \t ")}) {
            CMessageHub::ResetRecord();
            FileEdit(wizard)->setText(strBlank);
            wizard.button(QWizard::CancelButton)->setFocus();
            wizard.next();
            QCOMPARE(wizard.currentId(), 2);
            QCOMPARE(BoxCaptions(), QStringList{"Export File Required"});
            const CMessageHub::Box& box = CMessageHub::ShownBoxes().first();
            QCOMPARE(box.m_strText, QString("You must first specify a file to Export to."));
            QCOMPARE(box.m_nIcon, QMessageBox::Warning);
            QCOMPARE(box.m_buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
            QVERIFY(FileEdit(wizard)->hasFocus());
            QCOMPARE(FileEdit(wizard)->selectedText(), strBlank);
        }
        QVERIFY(wizard.TargetFile().isEmpty());
    }

    void existingFileOrFolderNeedsAYes()
    {
        QTemporaryDir dir;
        const QString strFile = dir.filePath("there.csv");
        {
            QFile file(strFile);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write("precious");
        }
        for (const QString& strTarget : {strFile, dir.path()}) {
            CExportFavoritesWizard wizard;
            wizard.show();
            wizard.next();
            wizard.next();
            FileEdit(wizard)->setText(strTarget);

            CMessageHub::ResetRecord();
            m_nOverwriteAnswer = QMessageBox::No;
            wizard.next();
            QCOMPARE(wizard.currentId(), 2);
            QCOMPARE(FileEdit(wizard)->text(), strTarget);
            QCOMPARE(BoxCaptions(), QStringList{"Target File Exists"});
            const CMessageHub::Box& box = CMessageHub::ShownBoxes().first();
            QCOMPARE(box.m_strText,
                     QString("The file you have specified already exists.  Are you sure you want to overwrite it?"));
            QCOMPARE(box.m_nIcon, QMessageBox::Warning);
            QCOMPARE(box.m_buttons, QMessageBox::Yes | QMessageBox::No);
            QCOMPARE(box.m_nDefault, QMessageBox::No);

            m_nOverwriteAnswer = QMessageBox::Yes;
            wizard.next();
            QCOMPARE(wizard.currentId(), 3);
            QCOMPARE(wizard.TargetFile(), strTarget);
        }
        QCOMPARE(ReadAll(strFile), QByteArray("precious"));
    }

    void yesOnAFolderEndsInExportFailed()
    {
        QTemporaryDir dir;
        m_nOverwriteAnswer = QMessageBox::Yes;
        QVERIFY(RunExportCommand([&](CExportFavoritesWizard& wizard) {
            WalkToEnd(wizard, "CSV", dir.path());
            wizard.button(QWizard::FinishButton)->click();
        }));
        QCOMPARE(BoxCaptions(), (QStringList{"Target File Exists", "Export Failed"}));
        QCOMPARE(CMessageHub::ShownBoxes().last().m_nIcon, QMessageBox::Warning);
        QVERIFY(QFileInfo(dir.path()).isDir());
    }

    void aLeadingTildeIsTheHomeFolder()
    {
        // The tests run with a HOME of their own.
        const QString strTarget = QDir::homePath() + "/links.html";
        QFile::remove(strTarget);
        QVERIFY(RunExportCommand([&](CExportFavoritesWizard& wizard) {
            WalkToEnd(wizard, "HTML", "~/links.html");
            QCOMPARE(wizard.TargetFile(), strTarget);
            wizard.button(QWizard::FinishButton)->click();
        }));
        QCOMPARE(BoxCaptions(), QStringList{"Export Successful"});
        QVERIFY(ReadAll(strTarget).startsWith("<!doctype html"));
        QFile::remove(strTarget);
        QCOMPARE(CEFWPage3::ExpandHome("~"), QDir::homePath());
        QCOMPARE(CEFWPage3::ExpandHome("~other/x"), QString("~other/x"));
        QCOMPARE(CEFWPage3::ExpandHome("a/~/x"), QString("a/~/x"));
    }

    void aFailedExportKeepsItsChoicesForTheNextTry()
    {
        QTemporaryDir dir;
        const QString strMissing = dir.filePath("no such folder/list.txt");
        QVERIFY(RunExportCommand([&](CExportFavoritesWizard& wizard) {
            WalkToEnd(wizard, "Plain Text, URLs Only", strMissing);
            wizard.button(QWizard::FinishButton)->click();
        }));
        QCOMPARE(BoxCaptions(), QStringList{"Export Failed"});
        // The box says why.
        QVERIFY2(CMessageHub::ShownBoxes().last().m_strText.contains("No such file or directory"),
                 qPrintable(CMessageHub::ShownBoxes().last().m_strText));
        // The next run starts from the same format and file, to be corrected.
        const QString strGood = dir.filePath("list.txt");
        QVERIFY(RunExportCommand([&](CExportFavoritesWizard& wizard) {
            QCOMPARE(FormatCombo(wizard)->currentText(), QString("Plain Text, URLs Only"));
            QCOMPARE(FileEdit(wizard)->text(), strMissing);
            wizard.next();
            wizard.next();
            FileEdit(wizard)->setText(strGood);
            wizard.next();
            wizard.button(QWizard::FinishButton)->click();
        }));
        QVERIFY(QFileInfo::exists(strGood));
        // After a success nothing is kept.
        QVERIFY(RunExportCommand([&](CExportFavoritesWizard& wizard) {
            QCOMPARE(FormatCombo(wizard)->currentText(), QString("CSV"));
            QCOMPARE(FileEdit(wizard)->text(), QString());
            wizard.reject();
        }));
    }

    void blanksAroundThePathAreTrimmed()
    {
        QTemporaryDir dir;
        const QString strTarget = dir.filePath("my list.htm");
        QVERIFY(RunExportCommand([&](CExportFavoritesWizard& wizard) {
            WalkToEnd(wizard, "HTML (With Folders)", "  " + strTarget + " \t");
            QCOMPARE(wizard.TargetFile(), strTarget);
            QCOMPARE(Confirmation(wizard),
                     QString("Completing this Wizard will export your list of Favorites, in \"HTML (With Folders)\" "
                             "format, to the file: \"%1\".")
                         .arg(strTarget));
            wizard.button(QWizard::FinishButton)->click();
        }));
        QVERIFY(ReadAll(strTarget).startsWith("<!doctype html"));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{"my list.htm"});
    }

    void browseReplacesTheTextOrKeepsItWhenCancelled()
    {
        QString strChosen;
        QStringList asked;
        CEFWPage3::SetSaveFileChooser([&](QWidget* pParent, const QString& strTitle, const QString& strFilter) {
            asked << strTitle << strFilter;
            return pParent ? strChosen : QString();
        });
        CExportFavoritesWizard wizard;
        wizard.show();
        wizard.next();
        wizard.next();
        auto* pBrowse = Control<QAbstractButton>(wizard.page(2), IDC_EFW_BROWSE);
        QVERIFY(!pBrowse->icon().isNull());

        FileEdit(wizard)->setText("typed by hand");
        pBrowse->click();
        QCOMPARE(asked.size(), 2);
        QCOMPARE(asked[0], QString("Please specify the file to Export to"));
        QVERIFY(asked[1].startsWith("All Files (*.*)"));
        QCOMPARE(FileEdit(wizard)->text(), QString("typed by hand"));

        strChosen = "/home/someone/Documents/favourites.csv";
        pBrowse->click();
        QCOMPARE(FileEdit(wizard)->text(), strChosen);
    }

    void fileFieldHasTheFocusAndReturnGoesOn()
    {
        QTemporaryDir dir;
        CExportFavoritesWizard wizard;
        wizard.show();
        QVERIFY(QTest::qWaitForWindowActive(&wizard));
        wizard.next();
        QVERIFY(FormatCombo(wizard)->hasFocus());
        wizard.next();
        CFilterEdit* pEdit = FileEdit(wizard);
        QVERIFY(pEdit->hasFocus());
        QTest::keyClick(pEdit, Qt::Key_Tab);
        QVERIFY(Control<QAbstractButton>(wizard.page(2), IDC_EFW_BROWSE)->hasFocus());
        pEdit->setFocus();
        pEdit->setText(dir.filePath("by-return.csv"));
        QTest::keyClick(pEdit, Qt::Key_Return);
        QCOMPARE(wizard.currentId(), 3);
    }
};

ZORBEL_GUI_TEST_MAIN(ExportWizardTest)
#include "ExportWizardTest.moc"
