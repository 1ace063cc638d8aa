#pragma once
// What a port reports to its handlers: the trigger kinds, the event record a handler receives,
// and the Qt event that carries it to a handler object living on the GUI thread.
//
// A handler object receives TriggerMessage in its event(); the dispatcher thread waits (at
// most 3000 ms) until that event has been handled and destroyed. For data events the handler
// tells how many bytes it consumed by setting `consumed` (bytes it read from the port count
// anyway).

#include <QEvent>
#include <QObject>
#include <memory>

namespace corvane {

enum class TriggerKind {
    Avail,        // OnTriggerAvail: new bytes stand in the dispatch buffer; count = their number
    Data,         // OnTriggerData: the stream completed the trigger's string; count = bytes
                  //   waiting up to and including the last byte of the string
    Timer,        // OnTriggerTimer: the trigger's timer expired
    ModemStatus,  // OnTriggerModemStatus: a line of the mask changed; count = status byte
    LineError,    // OnTriggerLineError: count = accumulated LineErrorBits
    OutbuffFree,  // OnTriggerOutbuffFree: count = bytes free in the output buffer
    OutbuffUsed,  // OnTriggerOutbuffUsed: count = bytes waiting in the output buffer
    OutSent,      // OnTriggerOutSent: the output buffer has been written out
    PortClosing,  // the port is closing; sent once to every handler
};

const char* TriggerEventName(TriggerKind kind);

struct TriggerEvent {
    TriggerKind kind = TriggerKind::Avail;
    int handle = 0;  // the trigger's handle; 0 for Avail and PortClosing
    int count = 0;
    int consumed = 0;  // set by data handlers
};

// Shared between the dispatcher thread and one delivery; released when the event is destroyed,
// whether it was handled, ignored or dropped because its receiver died.
struct TriggerDelivery;

class TriggerMessage : public QEvent {
  public:
    explicit TriggerMessage(std::shared_ptr<TriggerDelivery> delivery);
    ~TriggerMessage() override;

    static QEvent::Type eventType();
    TriggerEvent& trigger();

  private:
    std::shared_ptr<TriggerDelivery> delivery_;
};

// Convenience base for handler objects: routes TriggerMessage to triggerEvent().
class TriggerWindow : public QObject {
  public:
    using QObject::QObject;

  protected:
    bool event(QEvent* e) override;
    virtual void triggerEvent(TriggerEvent& event) = 0;
};

}  // namespace corvane
