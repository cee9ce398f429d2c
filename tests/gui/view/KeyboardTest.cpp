// The window from the keyboard alone: once the list is ready the first
// favourite is selected, so F2, Delete and Return act at once; Return on a
// favourite runs View Details, on a folder opens or closes it; Shift+F10
// and the Menu key open the context menu at the selected node and act on
// it, wherever the mouse pointer is; a long name's tooltip shows the whole
// name, the folder and the URL.
#include <QContextMenuEvent>
#include <QLineEdit>
#include <QMenu>

#include "FavoritesFrame.h"
#include "gui/menus/CommandRouter.h"
#include "gui/view/FavoritesTree.h"
#include "GuiTestMain.h"

namespace {

// Stands in for View Details, to count what Return runs.
class DetailsProbe : public QObject {
public:
    explicit DetailsProbe(CZorbelView& view) : m_view(view) {}
    void OnViewDetails() { m_records << m_view.SelectedRecord(); }
    void OnUpdate(CCmdUI& ui) { m_view.OnUpdateSelectionCommand(ui); }
    CZorbelView& m_view;
    QList<const FavoriteItem*> m_records;
};
const CommandMapEntry<DetailsProbe> kProbeCommands[] = {
    {ID_FAVORITE_DETAILS, &DetailsProbe::OnViewDetails, &DetailsProbe::OnUpdate},
};

} // namespace

class KeyboardTest : public QObject {
    Q_OBJECT

    std::unique_ptr<FavoritesFrame> m_pf;

private slots:
    void init()
    {
        m_pf = std::make_unique<FavoritesFrame>();
        CMessageHub::SetAnswerer([](const CMessageHub::Box&) { return QMessageBox::Yes; });
        CMessageHub::ResetRecord();
        // A folder sorts first; the first favourite is inside it.
        m_pf->WriteUrl("Alpha/Inside.url", "http://127.0.0.1:1/inside");
        m_pf->WriteUrl("Example.url", "http://127.0.0.1:1/example");
        m_pf->WriteUrl("Other.url", "http://127.0.0.1:1/other");
        m_pf->Open({"Inside", "Example", "Other"});
    }
    void cleanup()
    {
        m_pf->Close();
        m_pf.reset();
    }

    void firstFavoriteIsSelectedOnceTheListIsReady()
    {
        QTRY_VERIFY(m_pf->View().SelectedRecord() != nullptr);
        QCOMPARE(m_pf->View().SelectedRecord(), m_pf->Record("Inside"));
        // So the commands on a favourite work without a click.
        QVERIFY(m_pf->Enabled(ID_FAVORITE_RENAME));
        QVERIFY(m_pf->Enabled(ID_FAVORITE_DELETE));
        // A refresh selects it again.
        m_pf->Tree().setCurrentItem(nullptr);
        m_pf->Tree().clearSelection();
        m_pf->Refresh({"Inside", "Example", "Other"});
        QTRY_COMPARE(m_pf->View().SelectedRecord(), m_pf->Record("Inside"));
    }

    void returnRunsDetailsOnAFavoriteAndTogglesAFolder()
    {
        DetailsProbe probe(m_pf->View());
        m_pf->m_pRouter->AddCommandMap(&probe, kProbeCommands);
        m_pf->Tree().setFocus();
        m_pf->Select("Example");
        QTest::keyClick(&m_pf->Tree(), Qt::Key_Return);
        QCOMPARE(probe.m_records, (QList<const FavoriteItem*>{m_pf->Record("Example")}));
        QTest::keyClick(&m_pf->Tree(), Qt::Key_Enter, Qt::KeypadModifier);
        QCOMPARE(probe.m_records.size(), 2);

        QTreeWidgetItem* pFolder = m_pf->Node("Alpha");
        m_pf->Select("Alpha");
        const bool bExpanded = pFolder->isExpanded();
        QTest::keyClick(&m_pf->Tree(), Qt::Key_Return);
        QCOMPARE(pFolder->isExpanded(), !bExpanded);
        QTest::keyClick(&m_pf->Tree(), Qt::Key_Return);
        QCOMPARE(pFolder->isExpanded(), bExpanded);
        QCOMPARE(probe.m_records.size(), 2);

        // Return while a label is edited ends the edit; it runs nothing else.
        m_pf->Select("Other");
        QVERIFY(m_pf->m_pRouter->Run(ID_FAVORITE_RENAME));
        auto* pEditor = m_pf->Tree().findChild<QLineEdit*>();
        QVERIFY(pEditor && pEditor->isVisible());
        QTest::keyClick(pEditor, Qt::Key_Return);
        QCOMPARE(probe.m_records.size(), 2);
    }

    void shiftF10OpensTheMenuAtTheSelectedNodeWhereverThePointerIs()
    {
        m_pf->Select("Other");
        QCursor::setPos(m_pf->m_pFrame->mapToGlobal(QPoint(-100, -100)));
        QString strDefault;
        QPoint ptAt;
        bool bRenameEnabled = false;
        ModalWatch watch([&](QWidget* pPopup) {
            auto* pMenu = qobject_cast<QMenu*>(pPopup);
            ptAt = pMenu->pos();
            strDefault = pMenu->defaultAction() ? pMenu->defaultAction()->text() : QString();
            for (QAction* pAction : pMenu->actions())
                if (pAction->text() == "&Rename Favorite")
                    bRenameEnabled = pAction->isEnabled();
            pMenu->close();
        });
        m_pf->Tree().setFocus();
        QTest::keyClick(&m_pf->Tree(), Qt::Key_F10, Qt::ShiftModifier);
        QTRY_VERIFY(watch.Fired());
        QCOMPARE(strDefault, QString("View &Details"));
        QVERIFY(bRenameEnabled);
        const QRect rcNode = m_pf->Tree().visualItemRect(m_pf->Node("Other"));
        const QPoint ptNode = m_pf->Tree().viewport()->mapToGlobal(rcNode.bottomLeft());
        QVERIFY2(qAbs(ptAt.y() - ptNode.y()) <= 2,
                 qPrintable(QString("menu at %1, node bottom %2").arg(ptAt.y()).arg(ptNode.y())));
        QCOMPARE(m_pf->View().SelectedRecord(), m_pf->Record("Other"));

        // The Menu key does the same.
        bool bShown = false;
        ModalWatch watchMenuKey([&](QWidget* pPopup) {
            bShown = true;
            ptAt = pPopup->pos();
            pPopup->close();
        });
        QContextMenuEvent key(QContextMenuEvent::Keyboard, QPoint(0, 0), m_pf->Tree().mapToGlobal(QPoint(0, 0)));
        QApplication::sendEvent(&m_pf->Tree(), &key);
        QTRY_VERIFY(bShown);
        QVERIFY(qAbs(ptAt.y() - ptNode.y()) <= 2);
        QCOMPARE(m_pf->View().SelectedRecord(), m_pf->Record("Other"));
    }

    void tooltipNamesTheWholeNameTheFolderAndTheUrl()
    {
        const QString strTip = m_pf->View().NodeToolTip(m_pf->Node("Inside"));
        QVERIFY2(strTip.contains("Inside") && strTip.contains("Alpha") && strTip.contains("http://127.0.0.1:1/inside"),
                 qPrintable(strTip));
        QVERIFY(m_pf->View().NodeToolTip(m_pf->Node("Alpha")).isEmpty());
    }
};

ZORBEL_GUI_TEST_MAIN(KeyboardTest)
#include "KeyboardTest.moc"
