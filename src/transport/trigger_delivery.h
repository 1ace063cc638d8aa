#pragma once
// Hands one trigger event to a handler object on its own thread and waits for it there.

#include <QObject>
#include <QSemaphore>
#include <atomic>
#include <functional>
#include <memory>

#include "transport/trigger_event.h"

namespace corvane {

struct TriggerDelivery {
    TriggerEvent event;            // the handler's copy, touched only on the handler's thread
    std::atomic<int> consumed{0};  // published before `done` is released
    QSemaphore done;
};

// Posts the event to `receiver` and waits until it has been handled, at most `timeoutMs`.
// `giveUp` is asked between short waits; when it says so the wait ends early. Returns the
// handler's consumed count, or -1 when the handler did not finish in time.
int DeliverToWindow(QObject* receiver, const TriggerEvent& event, int timeoutMs,
                    const std::function<bool()>& giveUp);

// The posting half alone, for callers that must post under a lock and wait outside it.
std::shared_ptr<TriggerDelivery> PostToWindow(QObject* receiver, const TriggerEvent& event);
int AwaitDelivery(const std::shared_ptr<TriggerDelivery>& delivery, int timeoutMs,
                  const std::function<bool()>& giveUp);

}  // namespace corvane
