// FaxLine over TFxComPort: the only place where the fax engines meet the port and its triggers.

#include <QCoreApplication>

#include "core/fax_errors.h"
#include "transport/fax_line.h"
#include "transport/fx_port.h"
#include "transport/ticks.h"
#include "transport/trigger_event.h"

namespace corvane {

namespace {

constexpr int kInputPollMs = 5;

class TriggerReceiver : public TriggerWindow {
  public:
    std::function<void(TriggerEvent&)> handler;

  protected:
    void triggerEvent(TriggerEvent& event) override {
        if (handler) handler(event);
    }
};

class ComPortFaxLine : public FaxLine {
  public:
    explicit ComPortFaxLine(TFxComPort& port) : port_(port) {}
    ~ComPortFaxLine() override { detach(); }

    void attach(EventHandler handler) override {
        detach();
        handler_ = std::move(handler);
        receiver_ = std::make_unique<TriggerReceiver>();
        receiver_->handler = [this](TriggerEvent& e) { onTrigger(e); };
        statusTimer_ = port_.AddTimerTrigger();
        replyTimer_ = port_.AddTimerTrigger();
        secondTimer_ = port_.AddTimerTrigger();
        outLow_ = port_.AddStatusTrigger(TriggerKind::OutbuffUsed);
        outEmpty_ = port_.AddStatusTrigger(TriggerKind::OutbuffUsed);
        modem_ = port_.AddStatusTrigger(TriggerKind::ModemStatus);
        lineError_ = port_.AddStatusTrigger(TriggerKind::LineError);
        for (int h :
             {statusTimer_, replyTimer_, secondTimer_, outLow_, outEmpty_, modem_, lineError_}) {
            if (h <= 0) {
                detach();
                throw EFaxError(ecNoMoreTriggers);
            }
        }
        port_.SetStatusTrigger(modem_, msDCD, true);
        port_.SetStatusTrigger(lineError_, 0, true);
        handlerId_ = port_.RegisterWindowHandler(receiver_.get());
    }

    void detach() override {
        if (!receiver_) return;
        if (port_.Open()) {
            port_.DeregisterWindowHandler(receiver_.get());
            for (int h :
                 {statusTimer_, replyTimer_, secondTimer_, outLow_, outEmpty_, modem_, lineError_})
                if (h > 0) port_.RemoveTrigger(h);
        }
        statusTimer_ = replyTimer_ = secondTimer_ = outLow_ = outEmpty_ = modem_ = lineError_ = 0;
        handler_ = nullptr;
        receiver_->handler = nullptr;
        // Deleted later: a detach can run inside one of the receiver's own events.
        receiver_.release()->deleteLater();
    }

    void armTimer(FaxTimer timer, std::int64_t ticks) override {
        port_.SetTimerTrigger(timerHandle(timer), ticks, true);
    }
    void disarmTimer(FaxTimer timer) override {
        port_.SetTimerTrigger(timerHandle(timer), 0, false);
    }
    void armOutLow(int bytes) override { port_.SetStatusTrigger(outLow_, bytes, true); }
    void armOutEmpty() override { port_.SetStatusTrigger(outEmpty_, 0, true); }

    int bytesWaiting() override { return port_.Open() ? port_.InBuffUsed() : 0; }
    QByteArray read(int max) override { return port_.GetBlock(max); }
    void write(const QByteArray& data) override { port_.PutBlock(data); }
    int outFree() override { return port_.OutBuffFree(); }
    int outUsed() override { return port_.OutBuffUsed(); }
    int outSize() override { return port_.OutSize(); }
    void purgeInput() override {
        if (port_.Open()) port_.PurgeInput();
    }
    void purgeOutput() override {
        if (port_.Open()) port_.PurgeOutput();
    }
    void setDTR(bool on) override { port_.SetDTR(on); }
    void setRTS(bool on) override { port_.SetRTS(on); }
    void setSoftwareFlow(bool on) override { port_.SetSoftwareFlow(on); }
    bool carrier() override { return port_.Open() && port_.CheckDCD(); }
    void setBaud(int baud) override {
        if (baud > 0 && baud != port_.Baud()) port_.SetBaud(baud);
    }
    int baud() override { return port_.Baud(); }
    void pause(int ms) override { DelayMs(ms, false); }
    bool waitForInput(int ms) override {
        const std::int64_t end = MillisecondClock() + ms;
        while (port_.Open() && !port_.CharReady()) {
            if (MillisecondClock() >= end) return false;
            DelayMs(kInputPollMs, false);
        }
        return port_.Open();
    }
    std::int64_t nowMs() override { return MillisecondClock(); }

  private:
    int timerHandle(FaxTimer timer) const {
        switch (timer) {
            case FaxTimer::Status:
                return statusTimer_;
            case FaxTimer::Reply:
                return replyTimer_;
            case FaxTimer::Second:
                return secondTimer_;
        }
        return 0;
    }

    void onTrigger(TriggerEvent& e) {
        if (!handler_) return;
        // Copy: the handler may detach (and so clear handler_) while it runs.
        const EventHandler handler = handler_;
        switch (e.kind) {
            case TriggerKind::Avail:
            case TriggerKind::Data:
                handler(FaxLineEvent::Data);
                return;
            case TriggerKind::Timer:
                if (e.handle == statusTimer_)
                    handler(FaxLineEvent::StatusTimer);
                else if (e.handle == replyTimer_)
                    handler(FaxLineEvent::ReplyTimer);
                else if (e.handle == secondTimer_)
                    handler(FaxLineEvent::SecondTimer);
                return;
            case TriggerKind::OutbuffUsed:
                if (e.handle == outLow_)
                    handler(FaxLineEvent::OutLow);
                else if (e.handle == outEmpty_)
                    handler(FaxLineEvent::OutEmpty);
                return;
            case TriggerKind::ModemStatus:
                if (e.handle == modem_) handler(FaxLineEvent::ModemStatus);
                return;
            case TriggerKind::LineError: {
                if (e.handle != lineError_) return;
                // Reading the bits clears them, so that the trigger can wait for the next.
                const bool writeFailed = ((e.count | port_.LineError()) & leWriteFailed) != 0;
                port_.SetStatusTrigger(lineError_, 0, true);
                // The failure is reported here, to the write that met it; later writes try
                // the device afresh.
                if (writeFailed && port_.TakeWriteError() != 0) handler(FaxLineEvent::WriteFailed);
                return;
            }
            case TriggerKind::PortClosing:
                handler(FaxLineEvent::PortClosing);
                return;
            default:
                return;
        }
    }

    TFxComPort& port_;
    EventHandler handler_;
    std::unique_ptr<TriggerReceiver> receiver_;
    int handlerId_ = 0;
    int statusTimer_ = 0, replyTimer_ = 0, secondTimer_ = 0, outLow_ = 0, outEmpty_ = 0, modem_ = 0,
        lineError_ = 0;
};

}  // namespace

std::unique_ptr<FaxLine> MakeComPortFaxLine(TFxComPort& port) {
    return std::make_unique<ComPortFaxLine>(port);
}

}  // namespace corvane
