#include "transport/trigger_table.h"

#include <algorithm>

#include "core/fax_errors.h"
#include "transport/serial_device.h"

namespace corvane {

namespace {
constexpr int kMaxTriggers = 64;
constexpr int kLastHandle = 0x7fff;
}  // namespace

bool IsStatusTrigger(TriggerKind kind) {
    switch (kind) {
        case TriggerKind::ModemStatus:
        case TriggerKind::LineError:
        case TriggerKind::OutbuffFree:
        case TriggerKind::OutbuffUsed:
        case TriggerKind::OutSent:
            return true;
        default:
            return false;
    }
}

int TriggerTable::nextHandle() {
    if (static_cast<int>(triggers_.size()) >= kMaxTriggers) return ecNoMoreTriggers;
    for (;;) {
        lastHandle_ = lastHandle_ >= kLastHandle ? 1 : lastHandle_ + 1;
        if (!find(lastHandle_)) return lastHandle_;
    }
}

TriggerTable::Trigger* TriggerTable::find(int handle) {
    for (Trigger& t : triggers_)
        if (t.handle == handle) return &t;
    return nullptr;
}

int TriggerTable::add(Trigger trigger) {
    const int handle = nextHandle();
    if (handle < 0) return handle;
    trigger.handle = handle;
    triggers_.push_back(std::move(trigger));
    return handle;
}

int TriggerTable::addData(const QByteArray& text, bool ignoreCase) {
    Trigger t;
    t.kind = TriggerKind::Data;
    t.armed = !text.isEmpty();
    t.matcher = StreamMatcher(text, ignoreCase);
    return add(std::move(t));
}

int TriggerTable::addTimer() {
    Trigger t;
    t.kind = TriggerKind::Timer;
    return add(std::move(t));
}

int TriggerTable::addStatus(TriggerKind kind) {
    if (!IsStatusTrigger(kind)) return ecNoMoreTriggers;
    Trigger t;
    t.kind = kind;
    return add(std::move(t));
}

bool TriggerTable::remove(int handle) {
    const auto it = std::find_if(triggers_.begin(), triggers_.end(),
                                 [handle](const Trigger& t) { return t.handle == handle; });
    if (it == triggers_.end()) return false;
    triggers_.erase(it);
    return true;
}

bool TriggerTable::setTimer(int handle, std::int64_t ticks, bool activate) {
    Trigger* t = find(handle);
    if (!t || t->kind != TriggerKind::Timer) return false;
    t->timer.set(ticks);
    t->armed = activate;
    return true;
}

bool TriggerTable::setStatus(int handle, int value, bool activate, std::uint8_t modemStatus) {
    Trigger* t = find(handle);
    if (!t || !IsStatusTrigger(t->kind)) return false;
    t->value = value;
    t->statusAtArm = modemStatus;
    t->armed = activate;
    return true;
}

std::optional<TriggerEvent> TriggerTable::checkStatus(const LineSnapshot& line) {
    for (Trigger& t : triggers_) {
        if (!t.armed || !IsStatusTrigger(t.kind)) continue;
        int count = 0;
        bool fires = false;
        switch (t.kind) {
            case TriggerKind::ModemStatus:
                fires = ((line.modemStatus ^ t.statusAtArm) & t.value & msLineMask) != 0;
                count = line.modemStatus;
                break;
            case TriggerKind::LineError:
                fires = line.lineErrors != 0;
                count = line.lineErrors;
                break;
            case TriggerKind::OutbuffFree:
                count = line.outFree;
                fires = count >= t.value;
                break;
            case TriggerKind::OutbuffUsed:
                count = line.outUsed;
                fires = count <= t.value;
                break;
            default:  // OutSent
                fires = line.outSent;
                break;
        }
        if (fires) {
            t.armed = false;
            return TriggerEvent{t.kind, t.handle, count, 0};
        }
    }
    return std::nullopt;
}

bool TriggerTable::scanData(const ByteRing& input, DataScan& scan,
                            std::vector<TriggerEvent>& events) {
    const std::uint64_t head = input.head();
    scan.scanPos = std::max(scan.scanPos, head);
    scan.announcedPos = std::max(scan.announcedPos, head);
    std::vector<int> completed;
    for (std::uint64_t pos = scan.scanPos; pos < input.tail(); ++pos) {
        const char c = input.at(pos);
        for (Trigger& t : triggers_)
            if (t.kind == TriggerKind::Data && t.armed && t.matcher.feed(c))
                completed.push_back(t.handle);
        if (completed.empty()) continue;
        if (pos > scan.announcedPos)
            events.push_back({TriggerKind::Avail, 0, static_cast<int>(pos - scan.announcedPos), 0});
        for (auto it = completed.rbegin(); it != completed.rend(); ++it)
            events.push_back({TriggerKind::Data, *it, static_cast<int>(pos + 1 - head), 0});
        scan.scanPos = scan.announcedPos = pos + 1;
        return true;
    }
    scan.scanPos = input.tail();
    if (input.tail() > scan.announcedPos) {
        events.push_back(
            {TriggerKind::Avail, 0, static_cast<int>(input.tail() - scan.announcedPos), 0});
        scan.announcedPos = input.tail();
        return true;
    }
    return false;
}

std::optional<TriggerEvent> TriggerTable::checkTimers() {
    for (Trigger& t : triggers_) {
        if (t.kind != TriggerKind::Timer || !t.armed || !t.timer.expired()) continue;
        t.armed = false;
        return TriggerEvent{TriggerKind::Timer, t.handle, 0, 0};
    }
    return std::nullopt;
}

void TriggerTable::resetDataMatches() {
    for (Trigger& t : triggers_)
        if (t.kind == TriggerKind::Data) t.matcher.reset();
}

std::int64_t TriggerTable::msToNearestTimer(std::int64_t ceiling) const {
    std::int64_t wait = ceiling;
    for (const Trigger& t : triggers_)
        if (t.kind == TriggerKind::Timer && t.armed) wait = std::min(wait, t.timer.remainingMs());
    return wait;
}

}  // namespace corvane
