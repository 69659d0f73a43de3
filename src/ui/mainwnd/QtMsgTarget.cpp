#include "ui/mainwnd/QtMsgTarget.h"

#include <QMetaObject>

void CQtMsgTarget::Post(uint32_t nMsg, uintptr_t wParam, intptr_t lParam)
{
    QMetaObject::invokeMethod(
        this, [this, nMsg, wParam, lParam] { emit posted(nMsg, wParam, lParam); }, Qt::QueuedConnection);
}

void CQtNotices::Posted()
{
    QMetaObject::invokeMethod(this, [this] { emit waiting(); }, Qt::QueuedConnection);
}
