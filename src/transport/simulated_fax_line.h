#pragma once
// A FaxLine over a simulated clock, with no port behind it: the test or fuzz driver puts the
// modem's bytes in, takes what the engine wrote, and advances time; events are delivered
// when the driver asks, so a whole call runs in one thread in no real time.

#include <array>
#include <cstdint>
#include <functional>

#include "transport/fax_line.h"

namespace corvane {

class SimulatedFaxLine : public FaxLine {
  public:
    explicit SimulatedFaxLine(int outSize = 8192) : outSize_(outSize) {}

    // ---- driver side ----
    void pushInput(const QByteArray& bytes) {
        input_.append(bytes);
        dataAnnounced_ = false;
    }
    QByteArray takeWritten() {
        QByteArray w = written_;
        written_.clear();
        return w;
    }
    // The modem takes up to `bytes` from the output buffer.
    void drain(int bytes) { used_ = std::max(0, used_ - bytes); }
    void advance(std::int64_t ms) { now_ += ms; }
    // Called when a blocking command waits for input that is not there (the driver may push).
    std::function<void()> onWaitForInput;
    // Delivers the first due event (data, output, timers in that order); false when none.
    bool deliverNext();
    // Milliseconds until the next armed timer expires; -1 when none is armed.
    std::int64_t msToNextTimer() const;
    bool attached() const { return static_cast<bool>(handler_); }

    // ---- FaxLine ----
    void attach(EventHandler handler) override { handler_ = std::move(handler); }
    void detach() override { handler_ = nullptr; }
    void armTimer(FaxTimer timer, std::int64_t ticks) override;
    void disarmTimer(FaxTimer timer) override { expiry_[int(timer)] = -1; }
    void armOutLow(int bytes) override { outLow_ = bytes; }
    void armOutEmpty() override { outEmpty_ = true; }
    int bytesWaiting() override { return int(input_.size()); }
    QByteArray read(int max) override;
    void write(const QByteArray& data) override;
    int outFree() override { return outSize_ - used_; }
    int outUsed() override { return used_; }
    int outSize() override { return outSize_; }
    void purgeInput() override { input_.clear(); }
    void purgeOutput() override { used_ = 0; }
    void setDTR(bool) override {}
    void setRTS(bool) override {}
    bool carrier() override { return carrier_; }
    void setCarrier(bool on) { carrier_ = on; }
    void setBaud(int baud) override {
        if (baud > 0) baud_ = baud;
    }
    int baud() override { return baud_; }
    void pause(int ms) override { now_ += ms; }
    bool waitForInput(int ms) override;
    std::int64_t nowMs() override { return now_; }

  private:
    EventHandler handler_;
    QByteArray input_;
    QByteArray written_;
    int outSize_;
    int used_ = 0;
    int outLow_ = -1;
    bool outEmpty_ = false;
    bool dataAnnounced_ = false;
    bool carrier_ = false;
    int baud_ = 19200;
    std::int64_t now_ = 0;
    std::array<std::int64_t, 3> expiry_{-1, -1, -1};
};

}  // namespace corvane
