#include "transport/simulated_fax_line.h"

#include "core/fax_errors.h"
#include "transport/ticks.h"

namespace corvane {

void SimulatedFaxLine::armTimer(FaxTimer timer, std::int64_t ticks) {
    expiry_[int(timer)] = now_ + TicksToMs(std::min(ticks, kMaxWaitTicks));
}

QByteArray SimulatedFaxLine::read(int max) {
    const QByteArray out = input_.left(max);
    input_.remove(0, out.size());
    return out;
}

void SimulatedFaxLine::write(const QByteArray& data) {
    if (data.size() > outFree()) throw EFaxError(ecOutputBufferTooSmall);
    used_ += int(data.size());
    written_.append(data);
}

bool SimulatedFaxLine::waitForInput(int ms) {
    if (input_.isEmpty() && onWaitForInput) onWaitForInput();
    if (!input_.isEmpty()) return true;
    now_ += ms;
    return false;
}

std::int64_t SimulatedFaxLine::msToNextTimer() const {
    std::int64_t next = -1;
    for (std::int64_t e : expiry_)
        if (e >= 0 && (next < 0 || e < next)) next = e;
    return next < 0 ? -1 : std::max<std::int64_t>(0, next - now_);
}

bool SimulatedFaxLine::deliverNext() {
    if (!handler_) return false;
    const EventHandler handler = handler_;
    if (!input_.isEmpty() && !dataAnnounced_) {
        dataAnnounced_ = true;
        handler(FaxLineEvent::Data);
        return true;
    }
    if (input_.isEmpty()) dataAnnounced_ = false;
    if (outLow_ >= 0 && used_ <= outLow_) {
        outLow_ = -1;
        handler(FaxLineEvent::OutLow);
        return true;
    }
    if (outEmpty_ && used_ == 0) {
        outEmpty_ = false;
        handler(FaxLineEvent::OutEmpty);
        return true;
    }
    for (int i = 0; i < 3; ++i) {
        if (expiry_[i] >= 0 && now_ >= expiry_[i]) {
            expiry_[i] = -1;
            static constexpr FaxLineEvent kEvents[] = {
                FaxLineEvent::StatusTimer, FaxLineEvent::ReplyTimer, FaxLineEvent::SecondTimer};
            handler(kEvents[i]);
            return true;
        }
    }
    return false;
}

}  // namespace corvane
