#include "transport/trigger_delivery.h"

#include <QCoreApplication>
#include <algorithm>

#include "transport/ticks.h"

namespace corvane {

namespace {
constexpr int kGiveUpCheckMs = 20;
}

const char* TriggerEventName(TriggerKind kind) {
    switch (kind) {
        case TriggerKind::Avail:
            return "OnTriggerAvail";
        case TriggerKind::Data:
            return "OnTriggerData";
        case TriggerKind::Timer:
            return "OnTriggerTimer";
        case TriggerKind::ModemStatus:
            return "OnTriggerModemStatus";
        case TriggerKind::LineError:
            return "OnTriggerLineError";
        case TriggerKind::OutbuffFree:
            return "OnTriggerOutbuffFree";
        case TriggerKind::OutbuffUsed:
            return "OnTriggerOutbuffUsed";
        case TriggerKind::OutSent:
            return "OnTriggerOutSent";
        case TriggerKind::PortClosing:
            return "OnPortClosing";
    }
    return "";
}

TriggerMessage::TriggerMessage(std::shared_ptr<TriggerDelivery> delivery)
    : QEvent(eventType()), delivery_(std::move(delivery)) {}

TriggerMessage::~TriggerMessage() {
    delivery_->consumed.store(delivery_->event.consumed, std::memory_order_release);
    delivery_->done.release();
}

QEvent::Type TriggerMessage::eventType() {
    static const QEvent::Type type = static_cast<QEvent::Type>(QEvent::registerEventType());
    return type;
}

TriggerEvent& TriggerMessage::trigger() {
    return delivery_->event;
}

bool TriggerWindow::event(QEvent* e) {
    if (e->type() == TriggerMessage::eventType()) {
        triggerEvent(static_cast<TriggerMessage*>(e)->trigger());
        return true;
    }
    return QObject::event(e);
}

std::shared_ptr<TriggerDelivery> PostToWindow(QObject* receiver, const TriggerEvent& event) {
    auto delivery = std::make_shared<TriggerDelivery>();
    delivery->event = event;
    QCoreApplication::postEvent(receiver, new TriggerMessage(delivery));
    return delivery;
}

int AwaitDelivery(const std::shared_ptr<TriggerDelivery>& delivery, int timeoutMs,
                  const std::function<bool()>& giveUp) {
    const std::int64_t end = MillisecondClock() + timeoutMs;
    for (;;) {
        const std::int64_t left = end - MillisecondClock();
        if (left <= 0) return -1;
        const int slice = giveUp ? static_cast<int>(std::min<std::int64_t>(left, kGiveUpCheckMs))
                                 : static_cast<int>(left);
        if (delivery->done.tryAcquire(1, slice))
            return std::max(0, delivery->consumed.load(std::memory_order_acquire));
        if (giveUp && giveUp()) return -1;
    }
}

int DeliverToWindow(QObject* receiver, const TriggerEvent& event, int timeoutMs,
                    const std::function<bool()>& giveUp) {
    return AwaitDelivery(PostToWindow(receiver, event), timeoutMs, giveUp);
}

}  // namespace corvane
