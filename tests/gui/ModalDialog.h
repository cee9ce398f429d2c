#pragma once

#include <QApplication>
#include <QDialog>
#include <QTimer>
#include <functional>

// Acts on the modal dialog of type T as soon as it is open, then makes sure
// it ends, so that a failed check inside `act` cannot leave a test hanging.
template <class T>
void WhenModal(std::function<void(T*)> act)
{
    auto* pTimer = new QTimer;
    pTimer->setInterval(10);
    QObject::connect(pTimer, &QTimer::timeout, [pTimer, act] {
        auto* pDlg = qobject_cast<T*>(QApplication::activeModalWidget());
        if (!pDlg || !pDlg->isVisible())
            return;
        pTimer->stop();
        pTimer->deleteLater();
        act(pDlg);
        if (pDlg->isVisible())
            pDlg->reject();
    });
    pTimer->start();
}
