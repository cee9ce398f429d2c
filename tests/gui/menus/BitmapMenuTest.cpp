// Popups with the toolbar images: which popups are converted and with which
// images (a later toolbar wins; the hidden toolbar supplies the View popup's
// Toolbar and Status Bar images), the item sizes the layout gives for a known
// font, the button frames as drawn (sunken when checked, raised under the
// mouse, none on a disabled item), and mnemonics running their items.
#include <QAction>
#include <QMainWindow>
#include <QMenuBar>
#include <QStatusBar>
#include <QToolBar>
#include <QtTest>

#include "gui/app/MainFrame.h"
#include "gui/menus/BitmapMenu.h"
#include "gui/menus/CommandRouter.h"
#include "gui/menus/MenuImageOrganizer.h"
#include "gui/view/ZorbelView.h"
#include "GuiTestMain.h"
#include "support/MemoryProfile.h"

namespace {

// Classic colours, all different, so that a pixel tells which was drawn.
const QColor kMenuColor(212, 208, 200);
const QColor kLight(255, 255, 255);
const QColor kDark(128, 128, 128);
const QColor kHighlight(10, 36, 106);

QAction* CommandAction(QObject* pParent, int nId, const QString& strText, QColor color = Qt::red)
{
    QPixmap pm(16, 15);
    pm.fill(color);
    auto* pAction = new QAction(QIcon(pm), strText, pParent);
    pAction->setData(nId);
    return pAction;
}

// A window with a toolbar of the given buttons and an organizer.
struct ImageWindow {
    QMainWindow m_window;
    CMenuImageOrganizer m_organizer;
    QToolBar* AddBar(std::initializer_list<QAction*> buttons)
    {
        auto* pBar = new QToolBar(&m_window);
        pBar->setIconSize(QSize(16, 15));
        for (QAction* pButton : buttons) {
            if (pButton)
                pBar->addAction(pButton);
            else
                pBar->addSeparator();
        }
        m_window.addToolBar(pBar);
        return pBar;
    }
};

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

// The button frame of an item with a 16 by 15 image, and its four edges
// (left, top, right, bottom) as drawn.
QList<QColor> Edges(const QImage& picture, const QRect& rcItem)
{
    const QRect image(rcItem.x() + 2, rcItem.y() + (rcItem.height() - 15) / 2, 16, 15);
    const QRect rc = image.adjusted(-2, -2, 2, 2);
    const QPoint c = rc.center();
    return {picture.pixelColor(rc.left(), c.y()), picture.pixelColor(c.x(), rc.top()),
            picture.pixelColor(rc.right(), c.y()), picture.pixelColor(c.x(), rc.bottom())};
}
const QList<QColor> kSunken{kDark, kDark, kLight, kLight};
const QList<QColor> kRaised{kLight, kLight, kDark, kDark};
const QList<QColor> kFlat{kMenuColor, kMenuColor, kMenuColor, kMenuColor};

int TextWidth(const QFontMetrics& fm, const char* pszText)
{
    return fm.size(Qt::TextSingleLine, QString::fromUtf8(pszText).remove('&')).width();
}
int Widest(const QFontMetrics& fm, std::initializer_list<const char*> texts)
{
    int nWidest = 0;
    for (const char* psz : texts)
        nWidest = qMax(nWidest, TextWidth(fm, psz));
    return nWidest;
}

} // namespace

class BitmapMenuTest : public QObject {
    Q_OBJECT

    std::unique_ptr<CCommandRouter> m_pRouter;
    std::unique_ptr<MemoryProfile> m_pProfile;
    std::unique_ptr<CMainFrame> m_pFrame;
    QFont m_menuFont;

    CBitmapMenu* OpenPopup(int nIndex)
    {
        auto* pMenu = qobject_cast<CBitmapMenu*>(m_pFrame->menuBar()->actions().at(nIndex)->menu());
        pMenu->popup(m_pFrame->mapToGlobal(QPoint(10, 10)));
        pMenu->setActiveAction(nullptr);
        return pMenu;
    }
    static QImage Picture(QMenu* pMenu) { return pMenu->grab().toImage().convertToFormat(QImage::Format_RGB32); }
    QAction* Action(int nId) { return m_pRouter->Action(nId); }

private slots:
    void initTestCase()
    {
        QApplication::setStyle("Fusion");
        QPalette palette = QApplication::palette();
        palette.setColor(QPalette::Window, kMenuColor);
        palette.setColor(QPalette::Light, kLight);
        palette.setColor(QPalette::Dark, kDark);
        palette.setColor(QPalette::Highlight, kHighlight);
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

    void theFramesPopupsShowBothToolbarsImages()
    {
        CMenuImageOrganizer* pOrganizer = CMenuImageOrganizer::ForWidget(m_pFrame.get());
        QVERIFY(pOrganizer);
        const auto& lists = pOrganizer->ImageLists();
        QCOMPARE(int(lists.size()), 2);
        QCOMPARE(lists[0]->m_images.size(), 14);
        QCOMPARE(lists[1]->m_strKey, QString("2"));
        QCOMPARE(lists[1]->m_images.size(), 11);
        // Show Problems Only has its image from the visible toolbar's end,
        // the three Open commands theirs from the hidden one.
        QCOMPARE(pOrganizer->ImageOf(ID_VIEW_PROBLEMSONLY).m_pImageList, lists[0]);
        QCOMPARE(pOrganizer->ImageOf(ID_VIEW_PROBLEMSONLY).m_nImage, 13);
        for (int nId : {ID_FILE_OPENFAVORITES, ID_FILE_OPENBOOKMARKS, ID_FILE_OPENPAGE})
            QCOMPARE(pOrganizer->ImageOf(nId).m_pImageList, lists[1]);
        // Toolbar and Status Bar have their images from the hidden toolbar,
        // and so has Update Moved Favorites, its last image.
        QCOMPARE(pOrganizer->ImageOf(ID_TOOLS_UPDATEMOVED).m_pImageList, lists[1]);
        QCOMPARE(pOrganizer->ImageOf(ID_TOOLS_UPDATEMOVED).m_nImage, 7);
        QCOMPARE(pOrganizer->ImageOf(ID_VIEW_TOOLBAR).m_pImageList, lists[1]);
        QCOMPARE(pOrganizer->ImageOf(ID_VIEW_TOOLBAR).m_nImage, 5);
        QCOMPARE(pOrganizer->ImageOf(ID_VIEW_STATUS_BAR).m_nImage, 4);
        QCOMPARE(pOrganizer->ImageOf(ID_TOOLS_STOPCHECKING).m_nImage, 7);

        QVERIFY(pOrganizer->ConvertedMenus().isEmpty()); // only once they open
        for (int i = 0; i < 5; ++i) {
            CBitmapMenu* pMenu = OpenPopup(i);
            QVERIFY(pMenu->IsConverted());
            pMenu->hide();
        }
        QCOMPARE(pOrganizer->ConvertedMenus().size(), 5);
        // The items keep the command table's texts and key column.
        auto* pFile = qobject_cast<CBitmapMenu*>(m_pFrame->menuBar()->actions().at(0)->menu());
        QCOMPARE(pFile->ItemData(Action(ID_APP_EXIT))->m_strText, QString("E&xit\tAlt+X"));
        QCOMPARE(pFile->ItemData(Action(ID_APP_EXIT))->m_image.m_pImageList, lists[1]);
    }

    void aPopupWithoutImagesKeepsTheDesktopsLookAndALaterToolbarWins()
    {
        ImageWindow images;
        images.AddBar({CommandAction(&images.m_window, ID_FILE_REFRESH, "Refresh", Qt::red), nullptr,
                       CommandAction(&images.m_window, ID_FAVORITE_PROPERTIES, "Properties")});
        images.AddBar({CommandAction(&images.m_window, ID_FILE_REFRESH, "Refresh", Qt::blue)})->hide();
        QVERIFY(images.m_organizer.Attach(&images.m_window));
        CMenuImageOrganizer second;
        QVERIFY(!second.Attach(&images.m_window)); // one organizer per window
        QVERIFY(images.m_organizer.CollectToolbarImages());
        QCOMPARE(images.m_organizer.ImageOf(ID_FILE_REFRESH).m_pImageList->m_strKey, QString("2"));
        QCOMPARE(images.m_organizer.ImageOf(ID_FAVORITE_PROPERTIES).m_nImage, 1); // no image for a separator

        CBitmapMenu plain("Plain", images.m_window.menuBar());
        plain.addAction(CommandAction(&plain, ID_APP_ABOUT, "&About"));
        plain.popup(QPoint(0, 0));
        QVERIFY(!plain.IsConverted());
        QCOMPARE(plain.style(), QApplication::style());
        plain.hide();

        CBitmapMenu menu("Menu", images.m_window.menuBar());
        menu.addAction(CommandAction(&menu, ID_APP_ABOUT, "&About"));
        QAction* pRefresh = CommandAction(&menu, ID_FILE_REFRESH, "&Refresh", Qt::yellow);
        menu.addAction(pRefresh);
        menu.popup(QPoint(0, 0));
        QVERIFY(menu.IsConverted());
        const QRect rc = menu.actionGeometry(pRefresh);
        QCOMPARE(Picture(&menu).pixelColor(rc.x() + 10, rc.center().y()), QColor(Qt::blue));
        menu.hide();
    }

    void itemsAreMeasuredByTheLayoutForTheMenuFont()
    {
        const QFontMetrics fm(m_menuFont);
        const int nItemHeight = qMax(15 + 2 + 3, fm.height() + 4);

        CBitmapMenu* pFile = OpenPopup(0);
        const int nLabel = Widest(fm, {"&Refresh Favorites", "Open &Favorites Folder", "Open &Browser Bookmarks...",
                                       "Open &Web Page or File...", "&Export Favorites...", "&Generate Report",
                                       "E&xit"});
        const int nAccel = Widest(fm, {"F5", "Alt+X"});
        QCOMPARE(pFile->LabelWidth(), nLabel);
        QCOMPARE(pFile->AcceleratorWidth(), nAccel);
        QCOMPARE(pFile->TextHeight(), fm.height());
        const QSize fileItem(nLabel + 16 + nAccel + 2 + 3 + 4 + 2, nItemHeight);
        QCOMPARE(pFile->MeasureItem(*pFile->ItemData(Action(ID_APP_EXIT))), fileItem);
        // On the screen every item also has the room of a check mark.
        QCOMPARE(pFile->actionGeometry(Action(ID_FILE_REFRESH)).size(), fileItem + QSize(pFile->CheckMarkRoom(), 0));
        pFile->hide();

        // F1 runs Help (Contents) but is not named: no accelerator column.
        CBitmapMenu* pHelp = OpenPopup(4);
        const QSize helpItem(Widest(fm, {"&Help (Contents)", "Show &Legend", "&About Zorbel"}) + 16 + 3 + 4 + 2,
                             nItemHeight);
        QCOMPARE(pHelp->AcceleratorWidth(), 0);
        QCOMPARE(pHelp->MeasureItem(*pHelp->ItemData(Action(ID_HELP_FINDER))), helpItem);
        QCOMPARE(pHelp->actionGeometry(Action(ID_HELP_FINDER)).size(), helpItem + QSize(pHelp->CheckMarkRoom(), 0));
        pHelp->hide();
    }

    void buttonFramesFollowTheCheckAndTheMouse()
    {
        CBitmapMenu* pView = OpenPopup(2);
        QVERIFY(Action(ID_VIEW_TOOLBAR)->isChecked());
        QImage picture = Picture(pView);
        QCOMPARE(Edges(picture, pView->actionGeometry(Action(ID_VIEW_TOOLBAR))), kSunken);
        QCOMPARE(Edges(picture, pView->actionGeometry(Action(ID_VIEW_STATUS_BAR))), kSunken);
        QCOMPARE(Edges(picture, pView->actionGeometry(Action(ID_FAVORITE_OPEN))), kFlat);
        // Checked, the button is pressed in and tinted with the highlight
        // over the menu colour, so that it reads as "on" at a glance.
        const auto isTint = [](const QColor& c) {
            const auto between = [](int v, int a, int b) { return v > std::min(a, b) && v < std::max(a, b); };
            return between(c.red(), kMenuColor.red(), kHighlight.red()) &&
                   between(c.blue(), kMenuColor.blue(), kHighlight.blue());
        };
        {
            const QRect rcChecked = pView->actionGeometry(Action(ID_VIEW_STATUS_BAR));
            const QColor tint = picture.pixelColor(rcChecked.x() + 1, rcChecked.center().y());
            QVERIFY2(isTint(tint), qPrintable(tint.name()));
        }
        // Selected and checked: the same, inside the highlight.
        pView->setActiveAction(Action(ID_VIEW_TOOLBAR));
        picture = Picture(pView);
        const QRect rcToolbar = pView->actionGeometry(Action(ID_VIEW_TOOLBAR));
        QCOMPARE(Edges(picture, rcToolbar), kSunken);
        const QColor tint = picture.pixelColor(rcToolbar.x() + 1, rcToolbar.center().y());
        QVERIFY2(isTint(tint), qPrintable(tint.name()));
        QCOMPARE(picture.pixelColor(rcToolbar.x() + 21, rcToolbar.center().y()), kHighlight);
        pView->hide();

        m_pFrame->ToolBar()->hide();
        m_pRouter->UpdateAll();
        pView = OpenPopup(2);
        QCOMPARE(Edges(Picture(pView), pView->actionGeometry(Action(ID_VIEW_TOOLBAR))), kFlat);
        pView->hide();

        // Under the mouse an enabled item is raised; a disabled one has no
        // frame, on the same highlight.
        CBitmapMenu* pFile = OpenPopup(0);
        pFile->setActiveAction(Action(ID_FILE_REFRESH));
        QCOMPARE(Edges(Picture(pFile), pFile->actionGeometry(Action(ID_FILE_REFRESH))), kRaised);
        m_pFrame->View()->State().m_bChecked = false; // Generate Report waits for a first check
        m_pRouter->UpdateAll();
        QVERIFY(!Action(ID_FILE_REPORT)->isEnabled());
        pFile->setActiveAction(Action(ID_FILE_REPORT));
        picture = Picture(pFile);
        const QRect rcExport = pFile->actionGeometry(Action(ID_FILE_REPORT));
        QCOMPARE(Edges(picture, rcExport), kFlat);
        QCOMPARE(picture.pixelColor(rcExport.x() + 21, rcExport.center().y()), kHighlight);
        pFile->hide();
    }

    void aMnemonicRunsItsItem()
    {
        CBitmapMenu* pView = OpenPopup(2);
        QTest::keyClick(pView, Qt::Key_S);
        QVERIFY(!pView->isVisible());
        QVERIFY(!m_pFrame->statusBar()->isVisibleTo(m_pFrame.get()));

        // A context menu of a window's child: of two items with one mnemonic
        // the later one runs, whatever the case of the letter.
        CCommandRouter router;
        CCounterWindow window;
        router.AddCommandMap(&window, kCounterCommands);
        window.addToolBar("Bar")->addAction(router.Action(ID_FILE_REFRESH));
        CMenuImageOrganizer organizer;
        organizer.Attach(&window);
        organizer.CollectToolbarImages();
        const MenuItemInfo items[] = {{ID_FILE_REFRESH, "&Refresh"}, {0, nullptr}, {ID_FAVORITE_RENAME, "&Rename"}};
        CBitmapMenu context(QString(), new QWidget(&window), false);
        context.AddItems(router, items);
        context.popup(QPoint(0, 0));
        QVERIFY(context.IsConverted());
        QTest::keyClick(&context, Qt::Key_R, Qt::ShiftModifier);
        QCOMPARE(window.m_nRenames, 1);
        QCOMPARE(window.m_nRefreshes, 0);
    }
};

ZORBEL_GUI_TEST_MAIN(BitmapMenuTest)
#include "BitmapMenuTest.moc"
