// The About box: its version line, the notice drawn in italics while the
// other texts are not, the web-page button going to the product page through
// the desktop with the box staying open, and the outline animation played on
// opening and on OK but not on Escape; the box shows the program's icon and
// names the program's licence in its one-line rights notice.
#include "gui/app/AboutDlg.h"
#include "gui/app/ZorbelApp.h"
#include "gui/common/Artwork.h"

#include <QApplication>
#include <QDesktopServices>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QTimer>
#include <QUrl>
#include <QtTest>

// Receives the URLs the dialog asks the desktop to open.
class CUrlCatcher : public QObject {
    Q_OBJECT
public:
    QList<QUrl> m_urls;
public slots:
    void Open(const QUrl& url) { m_urls.append(url); }
};

class CAboutDlgTest : public QObject {
    Q_OBJECT
private slots:
    void VersionLineIsBuiltFromTheVersionWord()
    {
        QCOMPARE(CAboutDlg::VersionLine(), QStringLiteral("Version 1.3 - Build 211 02/25/02 20:36:49"));
        // Major in the low byte, minor in the high byte.
        QCOMPARE(CAboutDlg::FormatVersionLine(0x0402, "beta ", 7, "x"), QStringLiteral("Version 2.4 beta - Build 7 x"));
        CAboutDlg dlg;
        QCOMPARE(dlg.VersionControl()->text(), CAboutDlg::VersionLine());
        QCOMPARE(dlg.windowTitle(), QStringLiteral("About Ornamy - Zorbel"));
        QCOMPARE(dlg.WebPageButton()->text(), QStringLiteral("Look For &Updates..."));
        QVERIFY(!dlg.WebPageButton()->isHidden());
    }

    void ShowsTheProgramsIcon()
    {
        CZorbelApp::SetIdentity();
        CAboutDlg dlg;
        QLabel* pIcon = nullptr;
        for (QLabel* pLabel : dlg.findChildren<QLabel*>())
            if (!pLabel->pixmap().isNull())
                pIcon = pLabel;
        QVERIFY(pIcon);
        const QPixmap shown = pIcon->pixmap();
        const QImage expected = Artwork::AppIcon()
                                    .pixmap(shown.deviceIndependentSize().toSize(), shown.devicePixelRatio())
                                    .toImage()
                                    .convertToFormat(QImage::Format_ARGB32);
        QCOMPARE(shown.toImage().convertToFormat(QImage::Format_ARGB32), expected);
    }

    void RightsLineNamesTheMitLicenceOnOneLine()
    {
        CAboutDlg dlg;
        QLabel* pRights = nullptr;
        for (QLabel* pLabel : dlg.findChildren<QLabel*>())
            if (pLabel->text().startsWith(QStringLiteral("Copyright")))
                pRights = pLabel;
        QVERIFY(pRights);
        QVERIFY2(pRights->text().contains(QStringLiteral("MIT Licence")), qPrintable(pRights->text()));
        QVERIFY(pRights->text().contains(QStringLiteral("Ornamy Software")));
        QVERIFY(!pRights->text().contains(QStringLiteral("All rights reserved")));
        QVERIFY2(pRights->fontMetrics().horizontalAdvance(pRights->text()) <= pRights->width(),
                 qPrintable(QString::number(pRights->width())));
    }

    void OnlyTheNoticeIsItalic()
    {
        CAboutDlg dlg;
        QVERIFY(!dlg.NoticeControl()->text().isEmpty());
        QVERIFY(dlg.NoticeControl()->text() != QStringLiteral("Blurb"));
        QVERIFY(dlg.NoticeControl()->font().italic());
        QVERIFY(QFontInfo(dlg.NoticeControl()->font()).italic());
        for (QLabel* pLabel : dlg.findChildren<QLabel*>()) {
            if (pLabel != dlg.NoticeControl())
                QVERIFY2(!pLabel->font().italic(), qPrintable(pLabel->text()));
        }
    }

    void WebPageButtonOpensTheProductPageAndKeepsTheBoxOpen()
    {
        CUrlCatcher catcher;
        QDesktopServices::setUrlHandler(QStringLiteral("http"), &catcher, "Open");
        CAboutDlg dlg;
        dlg.SetAnimated(false);
        dlg.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dlg));
        dlg.WebPageButton()->click();
        QDesktopServices::unsetUrlHandler(QStringLiteral("http"));
        QCOMPARE(catcher.m_urls.size(), 1);
        QCOMPARE(catcher.m_urls.first(), QUrl(QStringLiteral("http://www.ornamy.example/Products/Zorbel/Zorbel.htm")));
        QVERIFY(dlg.isVisible());
    }

    void OkAnimatesClosingEscapeDoesNot()
    {
        {
            CAboutDlg dlg;
            QSignalSpy spy(&dlg, &CAboutDlg::outlineAnimated);
            QTimer::singleShot(400, &dlg, [&dlg] { QTest::keyClick(&dlg, Qt::Key_Escape); });
            QCOMPARE(dlg.exec(), int(QDialog::Rejected));
            QCOMPARE(spy.size(), 1); // the opening only
            const QRect rcFrom = spy.at(0).at(0).toRect();
            const QRect rcTo = spy.at(0).at(1).toRect();
            // Grows out of the one-pixel rectangle at the bottom centre.
            QCOMPARE(rcFrom.size(), QSize(1, 1));
            QCOMPARE(rcFrom.top(), rcTo.y() + rcTo.height());
            QCOMPARE(rcFrom.left(), (rcTo.x() + rcTo.x() + rcTo.width()) / 2);
        }
        {
            CAboutDlg dlg;
            QSignalSpy spy(&dlg, &CAboutDlg::outlineAnimated);
            QTimer::singleShot(400, &dlg, [&dlg] { QTest::keyClick(&dlg, Qt::Key_Return); });
            QElapsedTimer timer;
            timer.start();
            QCOMPARE(dlg.exec(), int(QDialog::Accepted));
            QCOMPARE(spy.size(), 2);
            QVERIFY(!dlg.isVisible());
            const QRect rcTo = spy.at(1).at(1).toRect();
            QCOMPARE(rcTo.size(), QSize(1, 1));
            // The outline takes about a fifth of a second each way.
            QVERIFY(timer.elapsed() >= 400 + 150);
        }
    }

    void CloseBoxClosesWithoutAnimation()
    {
        CAboutDlg dlg;
        QSignalSpy spy(&dlg, &CAboutDlg::outlineAnimated);
        QTimer::singleShot(400, &dlg, [&dlg] { dlg.close(); });
        QCOMPARE(dlg.exec(), int(QDialog::Rejected));
        QCOMPARE(spy.size(), 1);
    }

    void FitsItsTextsWithoutClipping()
    {
        CAboutDlg dlg;
        dlg.SetAnimated(false);
        dlg.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dlg));
        for (QLabel* pLabel : dlg.findChildren<QLabel*>()) {
            if (pLabel->text().isEmpty())
                continue;
            QVERIFY2(pLabel->heightForWidth(pLabel->width()) <= pLabel->height(), qPrintable(pLabel->text()));
            QVERIFY(dlg.rect().contains(pLabel->geometry()));
        }
        for (QPushButton* pButton : dlg.findChildren<QPushButton*>())
            QVERIFY2(pButton->sizeHint().width() <= pButton->width() + 2, qPrintable(pButton->text()));
        if (!qEnvironmentVariableIsEmpty("ZORBEL_SCREENSHOT_DIR"))
            dlg.grab().save(qEnvironmentVariable("ZORBEL_SCREENSHOT_DIR") + QStringLiteral("/about.png"));
    }
};

QTEST_MAIN(CAboutDlgTest)
#include "AboutDlgTest.moc"
