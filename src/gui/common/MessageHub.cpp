#include "gui/common/MessageHub.h"

#include <QApplication>

CMessageHub::Answerer CMessageHub::s_answerer;
int CMessageHub::s_nBeeps = 0;
QList<CMessageHub::Box> CMessageHub::s_boxes;

QMessageBox::StandardButton CMessageHub::Show(QWidget* pParent, const QString& strText,
                                              const QString& strCaption, QMessageBox::Icon nIcon,
                                              QMessageBox::StandardButtons buttons,
                                              QMessageBox::StandardButton nDefault)
{
    const Box box{strText, strCaption, nIcon, buttons, nDefault};
    s_boxes.append(box);
    if (s_answerer)
        return s_answerer(box);
    QMessageBox msg(nIcon, strCaption, strText, buttons, pParent);
    if (nDefault != QMessageBox::NoButton)
        msg.setDefaultButton(nDefault);
    return static_cast<QMessageBox::StandardButton>(msg.exec());
}

void CMessageHub::Beep()
{
    ++s_nBeeps;
    if (!s_answerer)
        QApplication::beep();
}

void CMessageHub::SetAnswerer(Answerer answerer) { s_answerer = std::move(answerer); }
int CMessageHub::BeepCount() { return s_nBeeps; }
const QList<CMessageHub::Box>& CMessageHub::ShownBoxes() { return s_boxes; }
void CMessageHub::ResetRecord()
{
    s_nBeeps = 0;
    s_boxes.clear();
}
