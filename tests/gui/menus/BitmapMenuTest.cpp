// Popups with the toolbar images: which popups are converted and with which
// images (a later toolbar winning, the hidden toolbar supplying the View
// popup's Toolbar and Status Bar images), the item sizes the layout gives
// for a known font, the button frames as drawn (sunken when checked, raised
// under the mouse), and mnemonics running their items.
#include <QAction>
#include <QMainWindow>
#include <QMenuBar>
#include <QStatusBar>
#include <QStyle>
#include <QToolBar>
#include <QtTest>

#include "GuiTestMain.h"
#include "app/MainFrame.h"
#include "menus/BitmapMenu.h"
#include "menus/CommandRouter.h"
#include "menus/Commands.h"
#include "menus/MenuImageOrganizer.h"
#include "model/ProcessState.h"
#include "support/MemoryProfile.h"
#include "view/ZorbelView.h"

namespace {

// Classic colours, all different, so that a pixel tells which was drawn.
const QColor kMenuColor(212, 208, 200);
const QColor kLight(255, 255, 255);
const QColor kDark(128, 128, 128);
const QColor kHighlight(10, 36, 106);

QIcon FilledIcon(QColor color)
{
    QPixmap pm(16, 15);
    pm.fill(color);
    return QIcon(pm);
}

QAction* CommandAction(QObject* pParent, int nId, const QString& strText, QColor color = Qt::red)
{
    auto* pAction = new QAction(FilledIcon(color), strText, pParent);
    pAction->setData(nId);
    return pAction;
}

// A window with one command per handler, counting the runs.
class CCounterWindow : public QMainWindow {
public:
    int m_nRefreshes = 0;
    int m_nRenames = 0;
    void OnRefresh() { ++m_nRefreshes; }
    void OnRename() { ++m_nRenames; }
};

const CommandMapEntry<CCounterWindow> kCounterCommands[] = {
    {ID_FILE_REFRESH, &CCounterWindow::OnRefresh, nullptr},
    {ID_FAVORITE_RENAME, &CCounterWindow::OnRename, nullptr},
};

// The rectangle of the button frame of an item with a 16 by 15 image.
QRect ButtonRect(const QRect& rcItem)
{
    const QRect image(rcItem.x() + 2, rcItem.y() + (rcItem.height() - 15) / 2, 16, 15);
    return image.adjusted(-2, -2, 2, 2);
}

// A text measured as one line, a label with its mnemonic mark taken out.
int LabelWidth(const QFontMetrics& fm, const char* pszLabel)
{
    return fm.size(Qt::TextSingleLine, QString::fromUtf8(pszLabel).remove('&')).width();
}
int TextWidth(const QFontMetrics& fm, const char* pszText) { return fm.size(Qt::TextSingleLine, pszText).width(); }

} // namespace

class BitmapMenuTest : public QObject {
    Q_OBJECT

    std::unique_ptr<CCommandRouter> m_pRouter;
    std::unique_ptr<MemoryProfile> m_pProfile;
    std::unique_ptr<CMainFrame> m_pFrame;
    QFont m_menuFont;

    QMenu* Popup(int nIndex) const { return m_pFrame->menuBar()->actions().at(nIndex)->menu(); }
    CBitmapMenu* OpenPopup(int nIndex)
    {
        auto* pMenu = qobject_cast<CBitmapMenu*>(Popup(nIndex));
        pMenu->popup(m_pFrame->mapToGlobal(QPoint(10, 10)));
        QTest::qWait(10);
        return pMenu;
    }
    // The menu as it shows now, item by item.
    static QImage Picture(QMenu* pMenu)
    {
        return pMenu->grab().toImage().convertToFormat(QImage::Format_RGB32);
    }

private slots:
    void initTestCase()
    {
        QApplication::setStyle("Fusion");
        QPalette palette = QApplication::palette();
        palette.setColor(QPalette::Window, kMenuColor);
        palette.setColor(QPalette::Light, kLight);
        palette.setColor(QPalette::Dark, kDark);
        palette.setColor(QPalette::Highlight, kHighlight);
        palette.setColor(QPalette::WindowText, Qt::black);
        palette.setColor(QPalette::HighlightedText, Qt::white);
        // What the menu hands a disabled item; it must not show.
        palette.setColor(QPalette::Disabled, QPalette::Highlight, Qt::gray);
        palette.setColor(QPalette::Disabled, QPalette::Window, Qt::darkYellow);
        QApplication::setPalette(palette);
        m_menuFont = QFont("DejaVu Sans");
        m_menuFont.setPixelSize(13);
        QApplication::setFont(m_menuFont, "QMenu");
        qputenv("ZORBEL_FAVORITES", "/nonexistent-zorbel-test-folder");
    }

    void init()
    {
        g_bPopulating = false;
        g_nActiveWorkers = 0;
        m_pProfile = std::make_unique<MemoryProfile>();
        m_pRouter = std::make_unique<CCommandRouter>();
        m_pFrame = std::make_unique<CMainFrame>(*m_pRouter, *m_pProfile);
        m_pFrame->show();
        m_pRouter->UpdateAll();
    }
    void cleanup()
    {
        m_pFrame.reset();
        m_pRouter.reset();
    }

    void theFramesPopupsAreConvertedWithBothToolbarsImages()
    {
        CMenuImageOrganizer* pOrganizer = CMenuImageOrganizer::ForWidget(m_pFrame.get());
        QVERIFY(pOrganizer);
        QCOMPARE(CMenuImageOrganizer::ForWidget(m_pFrame->View()), pOrganizer);
        const auto& lists = pOrganizer->ImageLists();
        QCOMPARE(int(lists.size()), 2);
        QCOMPARE(lists[0]->m_strKey, QString("1"));
        QCOMPARE(lists[0]->m_images.size(), 13);
        QCOMPARE(lists[0]->m_size, QSize(16, 15));
        QCOMPARE(lists[1]->m_strKey, QString("2"));
        QCOMPARE(lists[1]->m_images.size(), 7);

        // The View popup's Toolbar and Status Bar images come from the hidden
        // toolbar, in its button order.
        QCOMPARE(pOrganizer->ImageOf(ID_VIEW_TOOLBAR).m_pImageList, lists[1]);
        QCOMPARE(pOrganizer->ImageOf(ID_VIEW_TOOLBAR).m_nImage, 5);
        QCOMPARE(pOrganizer->ImageOf(ID_VIEW_STATUS_BAR).m_nImage, 4);
        QCOMPARE(pOrganizer->ImageOf(ID_TOOLS_STOPCHECKING).m_pImageList, lists[0]);
        QCOMPARE(pOrganizer->ImageOf(ID_TOOLS_STOPCHECKING).m_nImage, 7);
        QVERIFY(pOrganizer->ImageOf(12345).IsNull());

        QVERIFY(pOrganizer->ConvertedMenus().isEmpty()); // only when they open
        for (int i = 0; i < 5; ++i) {
            CBitmapMenu* pMenu = OpenPopup(i);
            QVERIFY(pMenu->IsConverted());
            QVERIFY(pMenu->style() != QApplication::style());
            pMenu->hide();
        }
        QCOMPARE(pOrganizer->ConvertedMenus().size(), 5);

        // Texts, ids and key columns stay those of the command table.
        auto* pFile = qobject_cast<CBitmapMenu*>(Popup(0));
        QAction* pExit = m_pRouter->Action(ID_APP_EXIT);
        QCOMPARE(pFile->ItemData(pExit)->m_strText, QString("E&xit\tAlt+X"));
        QCOMPARE(pFile->ItemData(pExit)->m_image.m_pImageList, lists[1]);
        QCOMPARE(pFile->ItemData(pExit)->m_image.m_nImage, 0);
        auto* pHelp = qobject_cast<CBitmapMenu*>(Popup(4));
        QCOMPARE(pHelp->ItemData(m_pRouter->Action(ID_HELP_FINDER))->m_strText, QString("&Help (Contents)"));
        QCOMPARE(pHelp->actions().size(), 5);
        QVERIFY(!pHelp->ItemData(pHelp->actions().at(1))); // the separator is not drawn by the popup
    }

    void aPopupWithoutImagesKeepsTheDesktopsLook()
    {
        QMainWindow window;
        auto* pBar = new QToolBar(&window);
        pBar->addAction(CommandAction(pBar, ID_FILE_REFRESH, "Refresh"));
        window.addToolBar(pBar);
        CMenuImageOrganizer organizer;
        QVERIFY(organizer.Attach(&window));
        QVERIFY(!organizer.Attach(&window));
        CMenuImageOrganizer second;
        QVERIFY(!second.Attach(&window)); // one organizer per window
        QVERIFY(!second.Attach(nullptr));
        QVERIFY(organizer.CollectToolbarImages());
        QVERIFY(!second.CollectToolbarImages());

        CBitmapMenu plain("Plain", window.menuBar());
        plain.addAction(CommandAction(&plain, ID_APP_ABOUT, "&About"));
        plain.popup(QPoint(0, 0));
        QVERIFY(!plain.IsConverted());
        QCOMPARE(plain.style(), QApplication::style());
        plain.hide();

        CBitmapMenu withImage("Images", window.menuBar());
        withImage.addAction(CommandAction(&withImage, ID_APP_ABOUT, "&About"));
        withImage.addAction(CommandAction(&withImage, ID_FILE_REFRESH, "&Refresh"));
        withImage.popup(QPoint(0, 0));
        QVERIFY(withImage.IsConverted());
        // The item without an image is drawn by the popup all the same.
        QVERIFY(withImage.ItemData(withImage.actions().at(0))->m_image.IsNull());
        withImage.hide();
        QCOMPARE(organizer.ConvertedMenus(), QList<CBitmapMenu*>({&withImage}));

        // A popup of a window without an organizer stays as it is.
        QWidget lonely;
        CBitmapMenu orphan("Orphan", &lonely);
        orphan.addAction(CommandAction(&orphan, ID_FILE_REFRESH, "&Refresh"));
        orphan.popup(QPoint(0, 0));
        QVERIFY(!orphan.IsConverted());
        orphan.hide();

        // Once detached, the window's popups find no organizer.
        organizer.Detach();
        QVERIFY(!CMenuImageOrganizer::ForWidget(&window));
        QVERIFY(second.Attach(&window));
    }

    void aLaterToolbarWinsAndItsImageIsDrawn()
    {
        QMainWindow window;
        auto* pFirst = new QToolBar(&window);
        pFirst->addAction(CommandAction(pFirst, ID_FILE_REFRESH, "Refresh", Qt::red));
        pFirst->addSeparator();
        pFirst->addAction(CommandAction(pFirst, ID_FAVORITE_PROPERTIES, "Properties", Qt::green));
        window.addToolBar(pFirst);
        auto* pSecond = new QToolBar(&window);
        pSecond->addAction(CommandAction(pSecond, ID_FILE_REFRESH, "Refresh", Qt::blue));
        window.addToolBar(pSecond);
        pSecond->hide();
        CMenuImageOrganizer organizer;
        organizer.Attach(&window);
        organizer.CollectToolbarImages();
        QCOMPARE(organizer.ImageOf(ID_FILE_REFRESH).m_pImageList->m_strKey, QString("2"));
        QCOMPARE(organizer.ImageOf(ID_FAVORITE_PROPERTIES).m_pImageList->m_strKey, QString("1"));
        QCOMPARE(organizer.ImageOf(ID_FAVORITE_PROPERTIES).m_nImage, 1); // separators hold no image

        CBitmapMenu menu("Menu", window.menuBar());
        QAction* pItem = CommandAction(&menu, ID_FILE_REFRESH, "&Refresh", Qt::yellow);
        menu.addAction(pItem);
        menu.popup(QPoint(0, 0));
        QTest::qWait(10);
        const QRect rcItem = menu.actionGeometry(pItem);
        const QImage picture = Picture(&menu);
        const QPoint imageCentre(rcItem.x() + 2 + 8, rcItem.y() + (rcItem.height() - 15) / 2 + 7);
        QCOMPARE(picture.pixelColor(imageCentre), QColor(Qt::blue));
        menu.hide();
    }

    void itemsAreMeasuredByTheLayoutForTheMenuFont()
    {
        const QFontMetrics fm(m_menuFont);
        const int nTextHeight = fm.height();
        const int nItemHeight = qMax(15 + 2 + 3, nTextHeight + 4);

        // File: labels and accelerator texts.
        CBitmapMenu* pFile = OpenPopup(0);
        int nLabel = 0;
        for (const char* psz : {"&Refresh Favorites", "&Export Favorites...", "&Generate Report", "E&xit"})
            nLabel = qMax(nLabel, LabelWidth(fm, psz));
        const int nAccel = qMax(TextWidth(fm, "F5"), TextWidth(fm, "Alt+X"));
        QCOMPARE(pFile->LabelWidth(), nLabel);
        QCOMPARE(pFile->AcceleratorWidth(), nAccel);
        QCOMPARE(pFile->ImageWidth(), 16);
        QCOMPARE(pFile->TextHeight(), nTextHeight);
        const QSize fileItem(nLabel + 16 + nAccel + 2 + 3 + 4 + 2, nItemHeight);
        for (QAction* pAction : pFile->actions()) {
            if (pAction->isSeparator())
                continue;
            QCOMPARE(pFile->MeasureItem(*pFile->ItemData(pAction)), fileItem);
            // On the screen every item also has the room of a check mark.
            QCOMPARE(pFile->actionGeometry(pAction).size(), fileItem + QSize(pFile->CheckMarkRoom(), 0));
        }
        pFile->hide();

        // Help: F1 runs Help (Contents) but is not named, so there is no
        // accelerator column and no gap in front of it.
        CBitmapMenu* pHelp = OpenPopup(4);
        nLabel = 0;
        for (const char* psz : {"&Help (Contents)", "Show &Legend", "&About Zorbel"})
            nLabel = qMax(nLabel, LabelWidth(fm, psz));
        QCOMPARE(pHelp->AcceleratorWidth(), 0);
        QAction* pContents = m_pRouter->Action(ID_HELP_FINDER);
        const QSize helpItem(nLabel + 16 + 3 + 4 + 2, nItemHeight);
        QCOMPARE(pHelp->MeasureItem(*pHelp->ItemData(pContents)), helpItem);
        QCOMPARE(pHelp->actionGeometry(pContents).size(), helpItem + QSize(pHelp->CheckMarkRoom(), 0));
        pHelp->hide();

        // An item without an image is as high as its text needs, and no less
        // than 3.
        QWidget window;
        CMenuImageOrganizer organizer;
        organizer.Attach(&window);
        auto* pBar = new QToolBar(&window);
        pBar->setIconSize(QSize(16, 15));
        pBar->addAction(CommandAction(pBar, ID_FILE_REFRESH, "Refresh"));
        organizer.CollectToolbarImages();
        CBitmapMenu menu("Menu", &window);
        QFont tiny("DejaVu Sans");
        tiny.setPixelSize(6);
        menu.setFont(tiny);
        menu.addAction(CommandAction(&menu, ID_APP_ABOUT, "&About"));
        menu.addAction(CommandAction(&menu, ID_FILE_REFRESH, "&Refresh"));
        menu.popup(QPoint(0, 0));
        const int nTinyText = QFontMetrics(tiny).height();
        QCOMPARE(menu.MeasureItem(*menu.ItemData(menu.actions().at(0))).height(), qMax(3, nTinyText + 4));
        QCOMPARE(menu.MeasureItem(*menu.ItemData(menu.actions().at(1))).height(), qMax(20, nTinyText + 4));
        menu.hide();
    }

    void theCheckedToolbarItemIsSunkenAndTheSelectedOneRaised()
    {
        CBitmapMenu* pView = OpenPopup(2);
        QAction* pToolbar = m_pRouter->Action(ID_VIEW_TOOLBAR);
        QAction* pStatusBar = m_pRouter->Action(ID_VIEW_STATUS_BAR);
        QAction* pOpen = m_pRouter->Action(ID_FAVORITE_OPEN);
        QVERIFY(pToolbar->isChecked());
        QVERIFY(pStatusBar->isChecked());
        pView->setActiveAction(nullptr);

        auto edges = [](const QImage& picture, const QRect& rcButton) {
            const QPoint c = rcButton.center();
            return QList<QColor>{picture.pixelColor(rcButton.left(), c.y()), picture.pixelColor(c.x(), rcButton.top()),
                                 picture.pixelColor(rcButton.right(), c.y()),
                                 picture.pixelColor(c.x(), rcButton.bottom())};
        };
        const QList<QColor> sunken{kDark, kDark, kLight, kLight};
        const QList<QColor> raised{kLight, kLight, kDark, kDark};
        const QList<QColor> flat{kMenuColor, kMenuColor, kMenuColor, kMenuColor};

        QImage picture = Picture(pView);
        QCOMPARE(edges(picture, ButtonRect(pView->actionGeometry(pToolbar))), sunken);
        QCOMPARE(edges(picture, ButtonRect(pView->actionGeometry(pStatusBar))), sunken);
        QCOMPARE(edges(picture, ButtonRect(pView->actionGeometry(pOpen))), flat);

        // Selected and checked: still sunken, on the menu colour, inside the
        // highlight.
        pView->setActiveAction(pToolbar);
        picture = Picture(pView);
        const QRect rcToolbar = ButtonRect(pView->actionGeometry(pToolbar));
        QCOMPARE(edges(picture, rcToolbar), sunken);
        QCOMPARE(picture.pixelColor(rcToolbar.right() + 3, rcToolbar.center().y()), kHighlight);
        QCOMPARE(picture.pixelColor(rcToolbar.left() + 1, rcToolbar.top() + 1), kMenuColor);
        pView->hide();

        // With the toolbar hidden its item has no frame any more.
        m_pFrame->ToolBar()->hide();
        m_pRouter->UpdateAll();
        QVERIFY(!pToolbar->isChecked());
        pView = OpenPopup(2);
        pView->setActiveAction(nullptr);
        picture = Picture(pView);
        QCOMPARE(edges(picture, ButtonRect(pView->actionGeometry(pToolbar))), flat);
        QCOMPARE(edges(picture, ButtonRect(pView->actionGeometry(pStatusBar))), sunken);
        pView->hide();

        // An enabled item under the mouse is raised; a disabled one is
        // highlighted without a frame.
        CBitmapMenu* pFile = OpenPopup(0);
        QAction* pRefresh = m_pRouter->Action(ID_FILE_REFRESH);
        QVERIFY(pRefresh->isEnabled());
        pFile->setActiveAction(pRefresh);
        picture = Picture(pFile);
        QCOMPARE(edges(picture, ButtonRect(pFile->actionGeometry(pRefresh))), raised);
        QAction* pExport = m_pRouter->Action(ID_FILE_EXPORT);
        QVERIFY(!pExport->isEnabled());
        pFile->setActiveAction(pExport);
        QCOMPARE(pFile->activeAction(), pExport);
        picture = Picture(pFile);
        const QRect rcExport = ButtonRect(pFile->actionGeometry(pExport));
        QCOMPARE(edges(picture, rcExport), flat);
        QCOMPARE(picture.pixelColor(rcExport.right() + 3, rcExport.center().y()), kHighlight);
        pFile->hide();
    }

    void aMnemonicRunsItsItem()
    {
        CBitmapMenu* pView = OpenPopup(2);
        QVERIFY(m_pFrame->statusBar()->isVisibleTo(m_pFrame.get()));
        QTest::keyClick(pView, Qt::Key_S);
        QVERIFY(!pView->isVisible());
        QVERIFY(!m_pFrame->statusBar()->isVisibleTo(m_pFrame.get()));
        pView = OpenPopup(2);
        QTest::keyClick(pView, Qt::Key_S, Qt::AltModifier);
        QVERIFY(m_pFrame->statusBar()->isVisibleTo(m_pFrame.get()));

        // Two items with one mnemonic: the later one has it.
        CCommandRouter router;
        CCounterWindow window;
        router.AddCommandMap(&window, kCounterCommands);
        auto* pBar = new QToolBar(&window);
        pBar->addAction(router.Action(ID_FILE_REFRESH));
        router.Action(ID_FILE_REFRESH)->setIcon(FilledIcon(Qt::red));
        window.addToolBar(pBar);
        CMenuImageOrganizer organizer;
        organizer.Attach(&window);
        organizer.CollectToolbarImages();
        const MenuItemInfo items[] = {{ID_FILE_REFRESH, "&Refresh"}, {0, nullptr}, {ID_FAVORITE_RENAME, "&Rename"}};
        // A context menu of the window's view: no key column.
        auto* pPane = new QWidget(&window);
        CBitmapMenu context(QString(), pPane, false);
        context.AddItems(router, items);
        context.popup(QPoint(0, 0));
        QVERIFY(context.IsConverted());
        QTest::keyClick(&context, Qt::Key_R, Qt::ShiftModifier);
        QCOMPARE(window.m_nRenames, 1);
        QCOMPARE(window.m_nRefreshes, 0);
        context.popup(QPoint(0, 0));
        QTest::keyClick(&context, Qt::Key_Q); // no item has it
        QVERIFY(context.isVisible());
        QCOMPARE(window.m_nRenames + window.m_nRefreshes, 1);
        context.hide();
    }
};

ZORBEL_GUI_TEST_MAIN(BitmapMenuTest)
#include "BitmapMenuTest.moc"
