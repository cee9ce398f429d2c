#include "app/MessageHub.h"

#include <QApplication>

namespace {

CMessageHub::Answerer& TheAnswerer()
{
    static CMessageHub::Answerer s_answerer;
    return s_answerer;
}
int s_nBeeps = 0;
QList<CMessageHub::Box>& TheBoxes()
{
    static QList<CMessageHub::Box> s_boxes;
    return s_boxes;
}

} // namespace

QMessageBox::StandardButton CMessageHub::Show(QWidget* pParent, const QString& strText,
                                              const QString& strCaption, QMessageBox::Icon nIcon,
                                              QMessageBox::StandardButtons buttons)
{
    const Box box{strText, strCaption, nIcon, buttons};
    TheBoxes().append(box);
    if (TheAnswerer())
        return TheAnswerer()(box);
    QMessageBox msg(nIcon, strCaption, strText, buttons, pParent);
    return static_cast<QMessageBox::StandardButton>(msg.exec());
}

void CMessageHub::Beep()
{
    ++s_nBeeps;
    if (!TheAnswerer())
        QApplication::beep();
}

void CMessageHub::SetAnswerer(Answerer answerer) { TheAnswerer() = std::move(answerer); }
int CMessageHub::BeepCount() { return s_nBeeps; }
const QList<CMessageHub::Box>& CMessageHub::ShownBoxes() { return TheBoxes(); }
void CMessageHub::ResetRecord()
{
    s_nBeeps = 0;
    TheBoxes().clear();
}
