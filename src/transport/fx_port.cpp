#include "transport/fx_port.h"

#include <QCoreApplication>
#include <algorithm>
#include <system_error>
#include <thread>

#include "core/fax_errors.h"
#include "core/port_map.h"
#include "transport/stream_matcher.h"
#include "transport/ticks.h"

namespace corvane {

namespace {

constexpr int kAwaitSliceMs = 50;
constexpr int kAwaitYieldSliceMs = 5;

int NinetyPercent(int size) {
    return size * 9 / 10;
}
int TenPercent(int size) {
    return size / 10;
}

}  // namespace

TFxComPort::TFxComPort() {
    line_.hardwareFlow = false;
}

TFxComPort::~TFxComPort() {
    CloseNoThrow();
}

void TFxComPort::CloseNoThrow() noexcept {
    if (!dispatcher_) return;
    openedPath_.clear();
    if (dispatcher_->OnDispatcherThread()) {
        // A procedure handler destroys its own port. The thread it runs on cannot wait for
        // itself to end, so another thread finishes the close once the handler has returned.
        TFxBaseDispatcher* orphan = dispatcher_.release();
        try {
            std::thread([orphan] { delete orphan; }).detach();
        } catch (const std::system_error&) {
            // No thread to be had: leaving the line open is better than ending the process.
        }
        return;
    }
    dispatcher_.reset();  // the dispatcher's destructor stops it without raising
}

// ---- properties ----

void TFxComPort::ApplyLineSettings() {
    line_.hardwareFlow = (hwFlow_ & (hwfUseRTS | hwfRequireCTS)) != 0;
    if (dispatcher_) dispatcher_->Device().applySettings(line_);
}

void TFxComPort::SetBaud(int baud) {
    // A rate the driver does not offer is refused here, not replaced by another one.
    SerialDevice::requireSupportedBaud(baud);
    line_.baud = baud;
    ApplyLineSettings();
}

void TFxComPort::SetParity(Parity p) {
    line_.parity = p;
    ApplyLineSettings();
}

void TFxComPort::SetDataBits(int bits) {
    line_.dataBits = bits;
    ApplyLineSettings();
}

void TFxComPort::SetStopBits(int bits) {
    line_.stopBits = bits;
    ApplyLineSettings();
}

void TFxComPort::SetInSize(int size) {
    // The dispatch buffer is fixed; the driver's input queue on Linux is the kernel's, so the
    // size only bounds the flow-control limits below.
    inSize_ = std::max(size, 1);
    NormaliseFlowLimits();
}

void TFxComPort::SetOutSize(int size) {
    size = std::max(size, 1);
    if (dispatcher_ && !dispatcher_->ResizeOutput(size)) throw EFaxError(ecOutputBufferTooSmall);
    outSize_ = size;
}

void TFxComPort::SetSoftwareFlow(bool on) {
    if (line_.softwareFlow == on) return;
    line_.softwareFlow = on;
    if (dispatcher_) dispatcher_->Device().applySettings(line_);
}

void TFxComPort::SetHWFlowOptions(unsigned options) {
    hwFlow_ = options;
    NormaliseFlowLimits();
    ApplyLineSettings();
}

void TFxComPort::SetBufferFull(int bytes) {
    bufferFull_ = std::max(bytes, 0);
    NormaliseFlowLimits();
}

void TFxComPort::SetBufferResume(int bytes) {
    bufferResume_ = std::max(bytes, 0);
    NormaliseFlowLimits();
}

void TFxComPort::NormaliseFlowLimits() {
    // A limit beyond the queue is cut to 90 % of the queue (and the resume point to 10 % of
    // the limit), so that the limits always lie inside the queue they describe.
    if (bufferFull_ > inSize_) bufferFull_ = NinetyPercent(inSize_);
    if (bufferResume_ > bufferFull_) bufferResume_ = TenPercent(bufferFull_);
    if (hwFlow_ != 0 && (bufferFull_ == 0 || bufferResume_ == 0)) {
        bufferFull_ = NinetyPercent(inSize_);
        bufferResume_ = TenPercent(inSize_);
    }
}

void TFxComPort::SetDTR(bool on) {
    dtr_ = on;
    if (dispatcher_) dispatcher_->SetDTR(on);
}

void TFxComPort::SetRTS(bool on) {
    rts_ = on;
    if (dispatcher_) dispatcher_->SetRTS(on);
}

QString TFxComPort::DevicePath() const {
    if (dispatcher_) return openedPath_;
    if (tapiMode_ == TapiMode::On) return tapiPath_;
    return PortDevicePath(comNumber_);
}

// ---- open and close ----

void TFxComPort::SetOpen(bool open) {
    if (open == Open()) return;
    if (!open) {
        // Closing pumps events; a handler that closes the port again meanwhile must not free
        // the dispatcher under the close in progress.
        if (dispatcher_->OnDispatcherThread()) throw EFaxError(ecCloseFromOwnHandler);
        if (closing_) return;
        closing_ = true;
        dispatcher_->Stop();
        dispatcher_.reset();
        openedPath_.clear();
        closing_ = false;
        return;
    }
    if (tapiMode_ != TapiMode::On && comNumber_ == 0) throw EFaxPortError(ecNoComNumber);
    QString path;
    if (tapiMode_ == TapiMode::On) {
        if (tapiPath_.isEmpty()) throw EFaxPortError(ecNotOpenedByTapi);
        path = tapiPath_;
    } else {
        path = PortDevicePath(comNumber_);
    }
    auto device = std::make_unique<SerialDevice>();
    device->open(path);
    if (tapiMode_ == TapiMode::On) {
        // A handed-over line keeps the rate it was set up with.
        if (const int baud = device->currentBaud(); baud > 0) line_.baud = baud;
    }
    line_.hardwareFlow = (hwFlow_ & (hwfUseRTS | hwfRequireCTS)) != 0;
    device->setDTR(dtr_);
    device->setRTS(rts_);
    device->applySettings(line_);
    auto dispatcher = std::make_unique<TFxBaseDispatcher>(std::move(device), outSize_);
    dispatcher->Start();  // stops itself and raises on failure
    dispatcher_ = std::move(dispatcher);
    openedPath_ = path;
    ++generation_;
}

TFxBaseDispatcher& TFxComPort::RequireOpen() const {
    if (!dispatcher_) throw EFaxPortError(ecDeviceNotOpen);
    return *dispatcher_;
}

// ---- blocking operations ----

void TFxComPort::SendString(const QString& text) {
    PutBlock(text.toLatin1());
}

bool TFxComPort::AwaitString(const QString& text, std::int64_t ticks, bool yield, bool ignoreCase) {
    if (text.isEmpty()) return true;
    RequireOpen();
    const std::uint64_t generation = generation_;
    // Handlers run while we yield may close (or reopen) the port: look it up afresh each time.
    auto current = [&]() -> TFxBaseDispatcher* {
        return dispatcher_ && generation_ == generation ? dispatcher_.get() : nullptr;
    };
    dispatcher_->HoldDispatch(true);
    struct Release {
        std::function<TFxBaseDispatcher*()> current;
        ~Release() {
            if (TFxBaseDispatcher* d = current()) d->HoldDispatch(false);
        }
    } release{current};

    StreamMatcher matcher(text.toLatin1(), ignoreCase);
    EventTimer timer;
    timer.set(ticks);
    for (;;) {
        char c;
        for (TFxBaseDispatcher* d = current(); d && d->GetChar(c); d = current()) {
            if (OnWaitChar) OnWaitChar(c);
            if (matcher.feed(c)) return true;
            if (yield) QCoreApplication::processEvents();
        }
        if (QCoreApplication::closingDown()) return true;
        TFxBaseDispatcher* d = current();
        if (!d || timer.expired()) return false;
        const int left = static_cast<int>(timer.remainingMs());
        if (yield) {
            QCoreApplication::processEvents();
            if ((d = current())) d->WaitForInput(std::min(left, kAwaitYieldSliceMs));
        } else {
            d->WaitForInput(std::min(left, kAwaitSliceMs));
        }
    }
}

void TFxComPort::PurgeInput() {
    RequireOpen().PurgeInput();
}
void TFxComPort::PurgeOutput() {
    RequireOpen().PurgeOutput();
}

// ---- buffer access ----

bool TFxComPort::CharReady() {
    return dispatcher_ && dispatcher_->CharReady();
}
int TFxComPort::InBuffUsed() {
    return dispatcher_ ? dispatcher_->InBuffUsed() : 0;
}

char TFxComPort::GetChar() {
    char c;
    if (!RequireOpen().GetChar(c)) throw EFaxError(ecReadBeyondEnd);
    return c;
}

char TFxComPort::PeekChar(int index) {
    char c;
    if (!RequireOpen().PeekChar(index, c)) throw EFaxError(ecReadBeyondEnd);
    return c;
}

QByteArray TFxComPort::GetBlock(int max) {
    QByteArray data(std::max(max, 0), Qt::Uninitialized);
    data.resize(RequireOpen().GetBlock(data.data(), static_cast<int>(data.size())));
    return data;
}

void TFxComPort::PutChar(char c) {
    PutBlock(&c, 1);
}
void TFxComPort::PutBlock(const QByteArray& data) {
    PutBlock(data.constData(), static_cast<int>(data.size()));
}

void TFxComPort::PutBlock(const char* data, int size) {
    TFxBaseDispatcher& d = RequireOpen();
    if (const int error = d.TakeWriteError(); error != 0) throw EFaxError(error);
    d.PutBlock(data, size);
}

int TFxComPort::TakeWriteError() {
    return dispatcher_ ? dispatcher_->TakeWriteError() : 0;
}

int TFxComPort::OutBuffFree() {
    return dispatcher_ ? dispatcher_->OutBuffFree() : 0;
}
int TFxComPort::OutBuffUsed() {
    return dispatcher_ ? dispatcher_->OutBuffUsed() : 0;
}

// ---- line state ----

std::uint8_t TFxComPort::ModemStatus() {
    return RequireOpen().ModemStatus();
}
bool TFxComPort::CheckDCD() {
    return (ModemStatus() & msDCD) != 0;
}
bool TFxComPort::CheckCTS() {
    return (ModemStatus() & msCTS) != 0;
}
std::uint8_t TFxComPort::LineError() {
    return RequireOpen().LineErrors();
}

// ---- triggers and handlers ----

int TFxComPort::AddDataTrigger(const QString& text, bool ignoreCase) {
    return dispatcher_ ? dispatcher_->AddDataTrigger(text.toLatin1(), ignoreCase)
                       : ecNoMoreTriggers;
}

int TFxComPort::AddTimerTrigger() {
    return dispatcher_ ? dispatcher_->AddTimerTrigger() : ecNoMoreTriggers;
}

int TFxComPort::AddStatusTrigger(TriggerKind kind) {
    return dispatcher_ ? dispatcher_->AddStatusTrigger(kind) : ecNoMoreTriggers;
}

bool TFxComPort::RemoveTrigger(int handle) {
    return dispatcher_ && dispatcher_->RemoveTrigger(handle);
}

bool TFxComPort::SetTimerTrigger(int handle, std::int64_t ticks, bool activate) {
    return dispatcher_ && dispatcher_->SetTimerTrigger(handle, ticks, activate);
}

bool TFxComPort::SetStatusTrigger(int handle, int value, bool activate) {
    return dispatcher_ && dispatcher_->SetStatusTrigger(handle, value, activate);
}

int TFxComPort::RegisterWindowHandler(QObject* window) {
    return dispatcher_ && window ? dispatcher_->AttachHandler(window) : 0;
}

int TFxComPort::RegisterProcHandler(TriggerProc proc) {
    return dispatcher_ && proc ? dispatcher_->AttachHandler(std::move(proc)) : 0;
}

void TFxComPort::DeregisterWindowHandler(QObject* window) {
    if (dispatcher_) dispatcher_->DetachHandler(window);
}

void TFxComPort::DeregisterHandler(int id) {
    if (dispatcher_) dispatcher_->DetachHandler(id);
}

}  // namespace corvane
