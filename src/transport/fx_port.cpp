#include "transport/fx_port.h"

#include <QCoreApplication>
#include <algorithm>

#include "core/port_map.h"
#include "core/fax_errors.h"
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
    if (dispatcher_) dispatcher_->stop();
}

// ---- properties ----

void TFxComPort::applyLineSettings() {
    line_.hardwareFlow = (hwFlow_ & (hwfUseRTS | hwfRequireCTS)) != 0;
    if (dispatcher_) dispatcher_->device().applySettings(line_);
}

void TFxComPort::SetBaud(int baud) {
    line_.baud = baud;
    applyLineSettings();
}

void TFxComPort::SetParity(Parity p) {
    line_.parity = p;
    applyLineSettings();
}

void TFxComPort::SetDataBits(int bits) {
    line_.dataBits = bits;
    applyLineSettings();
}

void TFxComPort::SetStopBits(int bits) {
    line_.stopBits = bits;
    applyLineSettings();
}

void TFxComPort::SetInSize(int size) {
    // The dispatch buffer is fixed; the driver's input queue on Linux is the kernel's, so the
    // size only bounds the flow-control limits below.
    inSize_ = std::max(size, 1);
    normaliseFlowLimits();
}

void TFxComPort::SetOutSize(int size) {
    size = std::max(size, 1);
    if (dispatcher_ && !dispatcher_->resizeOutput(size)) throw EFaxError(ecOutputBufferTooSmall);
    outSize_ = size;
}

void TFxComPort::SetHWFlowOptions(unsigned options) {
    hwFlow_ = options;
    normaliseFlowLimits();
    applyLineSettings();
}

void TFxComPort::SetBufferFull(int bytes) {
    bufferFull_ = std::max(bytes, 0);
    normaliseFlowLimits();
}

void TFxComPort::SetBufferResume(int bytes) {
    bufferResume_ = std::max(bytes, 0);
    normaliseFlowLimits();
}

void TFxComPort::normaliseFlowLimits() {
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
    if (dispatcher_) dispatcher_->setDTR(on);
}

void TFxComPort::SetRTS(bool on) {
    rts_ = on;
    if (dispatcher_) dispatcher_->setRTS(on);
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
        if (dispatcher_->onDispatcherThread())
            throw EFaxError(ecDeviceNotOpen,
                            QStringLiteral("A port cannot be closed from its own trigger handler"));
        if (closing_) return;
        closing_ = true;
        dispatcher_->stop();
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
    if (const int code = device->open(path); code != 0) throw EFaxPortError(code);
    if (tapiMode_ == TapiMode::On) {
        // A handed-over line keeps the rate it was set up with.
        if (const int baud = device->currentBaud(); baud > 0) line_.baud = baud;
    }
    line_.hardwareFlow = (hwFlow_ & (hwfUseRTS | hwfRequireCTS)) != 0;
    device->setDTR(dtr_);
    device->setRTS(rts_);
    if (!device->applySettings(line_)) throw EFaxPortError(-EINVAL);
    auto dispatcher = std::make_unique<TFxBaseDispatcher>(std::move(device), outSize_);
    dispatcher->start();  // stops itself and raises on failure
    dispatcher_ = std::move(dispatcher);
    openedPath_ = path;
    ++generation_;
}

TFxBaseDispatcher& TFxComPort::requireOpen() const {
    if (!dispatcher_) throw EFaxPortError(ecDeviceNotOpen);
    return *dispatcher_;
}

// ---- blocking operations ----

void TFxComPort::SendString(const QString& text) {
    PutBlock(text.toLatin1());
}

bool TFxComPort::AwaitString(const QString& text, std::int64_t ticks, bool yield, bool ignoreCase) {
    if (text.isEmpty()) return true;
    requireOpen();
    const std::uint64_t generation = generation_;
    // Handlers run while we yield may close (or reopen) the port: look it up afresh each time.
    auto current = [&]() -> TFxBaseDispatcher* {
        return dispatcher_ && generation_ == generation ? dispatcher_.get() : nullptr;
    };
    dispatcher_->holdDispatch(true);
    struct Release {
        std::function<TFxBaseDispatcher*()> current;
        ~Release() {
            if (TFxBaseDispatcher* d = current()) d->holdDispatch(false);
        }
    } release{current};

    StreamMatcher matcher(text.toLatin1(), ignoreCase);
    EventTimer timer;
    timer.set(ticks);
    for (;;) {
        char c;
        for (TFxBaseDispatcher* d = current(); d && d->getChar(c); d = current()) {
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
            if ((d = current())) d->waitForInput(std::min(left, kAwaitYieldSliceMs));
        } else {
            d->waitForInput(std::min(left, kAwaitSliceMs));
        }
    }
}

void TFxComPort::PurgeInput() {
    requireOpen().purgeInput();
}
void TFxComPort::PurgeOutput() {
    requireOpen().purgeOutput();
}

// ---- buffer access ----

bool TFxComPort::CharReady() {
    return dispatcher_ && dispatcher_->charReady();
}
int TFxComPort::InBuffUsed() {
    return dispatcher_ ? dispatcher_->inBuffUsed() : 0;
}

char TFxComPort::GetChar() {
    char c;
    if (!requireOpen().getChar(c)) throw EFaxError(-100);
    return c;
}

char TFxComPort::PeekChar(int index) {
    char c;
    if (!requireOpen().peekChar(index, c)) throw EFaxError(-100);
    return c;
}

QByteArray TFxComPort::GetBlock(int max) {
    QByteArray data(std::max(max, 0), Qt::Uninitialized);
    data.resize(requireOpen().getBlock(data.data(), static_cast<int>(data.size())));
    return data;
}

void TFxComPort::PutChar(char c) {
    PutBlock(&c, 1);
}
void TFxComPort::PutBlock(const QByteArray& data) {
    PutBlock(data.constData(), static_cast<int>(data.size()));
}

void TFxComPort::PutBlock(const char* data, int size) {
    TFxBaseDispatcher& d = requireOpen();
    if (const int error = d.takeWriteError(); error != 0) throw EFaxError(error);
    d.putBlock(data, size);
}

int TFxComPort::OutBuffFree() {
    return dispatcher_ ? dispatcher_->outBuffFree() : 0;
}
int TFxComPort::OutBuffUsed() {
    return dispatcher_ ? dispatcher_->outBuffUsed() : 0;
}

// ---- line state ----

std::uint8_t TFxComPort::ModemStatus() {
    return requireOpen().modemStatus();
}
bool TFxComPort::CheckDCD() {
    return (ModemStatus() & msDCD) != 0;
}
bool TFxComPort::CheckCTS() {
    return (ModemStatus() & msCTS) != 0;
}
std::uint8_t TFxComPort::LineError() {
    return requireOpen().lineErrors();
}

// ---- triggers and handlers ----

int TFxComPort::AddDataTrigger(const QString& text, bool ignoreCase) {
    return dispatcher_ ? dispatcher_->addDataTrigger(text.toLatin1(), ignoreCase)
                       : ecNoMoreTriggers;
}

int TFxComPort::AddTimerTrigger() {
    return dispatcher_ ? dispatcher_->addTimerTrigger() : ecNoMoreTriggers;
}

int TFxComPort::AddStatusTrigger(TriggerKind kind) {
    return dispatcher_ ? dispatcher_->addStatusTrigger(kind) : ecNoMoreTriggers;
}

bool TFxComPort::RemoveTrigger(int handle) {
    return dispatcher_ && dispatcher_->removeTrigger(handle);
}

bool TFxComPort::SetTimerTrigger(int handle, std::int64_t ticks, bool activate) {
    return dispatcher_ && dispatcher_->setTimerTrigger(handle, ticks, activate);
}

bool TFxComPort::SetStatusTrigger(int handle, int value, bool activate) {
    return dispatcher_ && dispatcher_->setStatusTrigger(handle, value, activate);
}

int TFxComPort::RegisterWindowHandler(QObject* window) {
    return dispatcher_ && window ? dispatcher_->attachHandler(window) : 0;
}

int TFxComPort::RegisterProcHandler(TriggerProc proc) {
    return dispatcher_ && proc ? dispatcher_->attachHandler(std::move(proc)) : 0;
}

void TFxComPort::DeregisterWindowHandler(QObject* window) {
    if (dispatcher_) dispatcher_->detachHandler(window);
}

void TFxComPort::DeregisterHandler(int id) {
    if (dispatcher_) dispatcher_->detachHandler(id);
}

}  // namespace corvane
