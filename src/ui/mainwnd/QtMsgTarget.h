// The main window's end of the model's messages: Post may be called from any
// thread (workers, listeners, discovery); the message reaches the
// user-interface thread as a queued signal. Notices from workers are queued
// the same way and shown there, so no worker ever waits for a window.
#pragma once

#include <QObject>
#include <QString>
#include <cstdint>

#include "core/INoticeSink.h"
#include "device/IMsgTarget.h"

class CQtMsgTarget final : public QObject, public IMsgTarget {
    Q_OBJECT
public:
    explicit CQtMsgTarget(QObject* parent = nullptr) : QObject(parent) {}
    void Post(uint32_t nMsg, uintptr_t wParam, intptr_t lParam) override;

signals:
    // On the user-interface thread.
    void posted(quint32 nMsg, quintptr wParam, qintptr lParam);
};

class CQtNotices final : public QObject, public CNoticeQueue {
    Q_OBJECT
public:
    explicit CQtNotices(QObject* parent = nullptr) : QObject(parent) {}

signals:
    // On the user-interface thread, once for every notice left: take them with Take().
    void waiting();

protected:
    void Posted() override;
};
