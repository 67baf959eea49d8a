#include "gui/qt_message_target.h"

#include <QCoreApplication>
#include <QEvent>
#include <QThread>

namespace sonarel {
namespace {

// One event type for all posted messages; the message itself rides in the event.
const QEvent::Type kMessageEventType = static_cast<QEvent::Type>(QEvent::registerEventType());

class MessageEvent : public QEvent {
public:
    MessageEvent(MessageId id, WParam wparam, LParam lparam)
        : QEvent(kMessageEventType), id(id), wparam(wparam), lparam(lparam) {}

    const MessageId id;
    const WParam wparam;
    const LParam lparam;
};

} // namespace

QtMessageTarget::QtMessageTarget(Handler handler, QObject* parent)
    : QObject(parent), handler_(std::move(handler)) {
}

bool QtMessageTarget::Post(MessageId id, WParam wparam, LParam lparam) {
    if (QCoreApplication::instance() == nullptr) {
        return false;
    }
    // postEvent is thread-safe and takes ownership of the event.
    QCoreApplication::postEvent(this, new MessageEvent(id, wparam, lparam));
    return true;
}

intptr_t QtMessageTarget::Send(MessageId id, WParam wparam, LParam lparam) {
    if (QThread::currentThread() == thread()) {
        return Deliver(id, wparam, lparam);
    }
    intptr_t result = 0;
    QMetaObject::invokeMethod(
        this, [this, id, wparam, lparam, &result] { result = Deliver(id, wparam, lparam); },
        Qt::BlockingQueuedConnection);
    return result;
}

bool QtMessageTarget::event(QEvent* event) {
    if (event->type() != kMessageEventType) {
        return QObject::event(event);
    }
    const auto* message = static_cast<MessageEvent*>(event);
    Deliver(message->id, message->wparam, message->lparam);
    return true;
}

intptr_t QtMessageTarget::Deliver(MessageId id, WParam wparam, LParam lparam) {
    return handler_ ? handler_(id, wparam, lparam) : 0;
}

} // namespace sonarel
