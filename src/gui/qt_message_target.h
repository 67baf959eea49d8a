// The bridge between the pump's messages and Qt's event loop: a MessageTarget that lives on the
// GUI thread. Post queues an event and returns at once, so a worker never waits for the window;
// Send runs the handler directly on the GUI thread and, from any other thread, waits until the
// GUI thread has run it.
#pragma once

#include "platform/message_target.h"

#include <QObject>
#include <functional>

namespace sonarel {

class QtMessageTarget : public QObject, public MessageTarget {
    Q_OBJECT

public:
    using Handler = std::function<intptr_t(MessageId, WParam, LParam)>;

    // Messages are handled on the thread that constructs the target (the GUI thread).
    explicit QtMessageTarget(Handler handler, QObject* parent = nullptr);

    // Replaces the handler; messages already queued go to the new one.
    void SetHandler(Handler handler) { handler_ = std::move(handler); }

    bool Post(MessageId id, WParam wparam, LParam lparam) override;
    // From another thread this blocks until the GUI thread runs the handler, so it must not be
    // called while the GUI thread itself waits for that thread (e.g. in a pump's Stop).
    intptr_t Send(MessageId id, WParam wparam, LParam lparam) override;

protected:
    bool event(QEvent* event) override;

private:
    intptr_t Deliver(MessageId id, WParam wparam, LParam lparam);

    Handler handler_;
};

} // namespace sonarel
