// The operations the port calls on its dispatcher from the controlling thread (and from
// procedure handlers): reading and writing the buffers, line state, and the trigger table.

#include <algorithm>
#include <chrono>
#include <utility>

#include "core/fax_errors.h"
#include "transport/dispatcher.h"

namespace corvane {

// ---- input operations ----

int TFxBaseDispatcher::InBuffUsed() {
    std::lock_guard lk(inputMutex_);
    PullFromDeviceLocked();
    return input_.used();
}

bool TFxBaseDispatcher::GetChar(char& c) {
    std::lock_guard lk(inputMutex_);
    if (input_.empty()) PullFromDeviceLocked();
    if (input_.read(&c, 1) != 1) return false;
    inputCv_.notify_all();
    return true;
}

bool TFxBaseDispatcher::PeekChar(int index, char& c) {
    std::lock_guard lk(inputMutex_);
    if (input_.used() <= index) PullFromDeviceLocked();
    if (index < 0 || input_.used() <= index) return false;
    c = input_.at(input_.head() + static_cast<std::uint64_t>(index));
    return true;
}

int TFxBaseDispatcher::GetBlock(char* data, int max) {
    std::lock_guard lk(inputMutex_);
    if (input_.used() < max) PullFromDeviceLocked();
    const int n = input_.read(data, max);
    if (n > 0) inputCv_.notify_all();
    return n;
}

bool TFxBaseDispatcher::WaitForInput(int ms) {
    std::unique_lock lk(inputMutex_);
    if (input_.empty()) PullFromDeviceLocked();
    if (!input_.empty()) return true;
    inputCv_.wait_for(lk, std::chrono::milliseconds(ms),
                      [&] { return closing_ || !input_.empty(); });
    if (input_.empty()) PullFromDeviceLocked();
    return !input_.empty();
}

void TFxBaseDispatcher::PurgeInput() {
    std::lock_guard st(stateMutex_);
    triggers_.resetDataMatches();
    std::lock_guard lk(inputMutex_);
    device_->flushInput();
    input_.clear();
    scan_.scanPos = scan_.announcedPos = input_.tail();
    inputCv_.notify_all();
}

// ---- output operations ----

int TFxBaseDispatcher::OutBuffFree() {
    std::lock_guard lk(outputMutex_);
    return output_.freeSpace();
}

int TFxBaseDispatcher::OutBuffUsed() {
    std::lock_guard lk(outputMutex_);
    return output_.used();
}

void TFxBaseDispatcher::PutBlock(const char* data, int size) {
    if (size <= 0) return;
    {
        std::lock_guard lk(outputMutex_);
        if (size > output_.freeSpace()) throw EFaxError(ecOutputBufferTooSmall);
        output_.write(data, size);
        outputCv_.notify_all();
    }
}

void TFxBaseDispatcher::PurgeOutput() {
    std::lock_guard lk(outputMutex_);
    output_.clear();
    device_->flushOutput();
}

bool TFxBaseDispatcher::ResizeOutput(int size) {
    std::lock_guard lk(outputMutex_);
    return output_.resize(size);
}

int TFxBaseDispatcher::TakeWriteError() {
    std::lock_guard lk(outputMutex_);
    return std::exchange(writeError_, 0);
}

// ---- line state ----

std::uint8_t TFxBaseDispatcher::ModemStatus() {
    RefreshLineState();
    std::lock_guard lk(stateMutex_);
    const std::uint8_t status = modemStatus_;
    modemStatus_ &= msLineMask;
    return status;
}

std::uint8_t TFxBaseDispatcher::LineErrors() {
    RefreshLineState();
    std::lock_guard lk(stateMutex_);
    return std::exchange(lineErrors_, std::uint8_t{0});
}

void TFxBaseDispatcher::SetDTR(bool on) {
    device_->setDTR(on);
}
void TFxBaseDispatcher::SetRTS(bool on) {
    device_->setRTS(on);
}

// ---- triggers ----

int TFxBaseDispatcher::AddDataTrigger(const QByteArray& text, bool ignoreCase) {
    std::lock_guard lk(stateMutex_);
    return triggers_.addData(text, ignoreCase);
}

int TFxBaseDispatcher::AddTimerTrigger() {
    std::lock_guard lk(stateMutex_);
    return triggers_.addTimer();
}

int TFxBaseDispatcher::AddStatusTrigger(TriggerKind kind) {
    std::lock_guard lk(stateMutex_);
    return triggers_.addStatus(kind);
}

bool TFxBaseDispatcher::RemoveTrigger(int handle) {
    std::lock_guard lk(stateMutex_);
    return triggers_.remove(handle);
}

bool TFxBaseDispatcher::SetTimerTrigger(int handle, std::int64_t ticks, bool activate) {
    {
        std::lock_guard lk(stateMutex_);
        if (!triggers_.setTimer(handle, ticks, activate)) return false;
    }
    KickDispatcher();  // the dispatcher sleeps no longer than the nearest timer
    return true;
}

bool TFxBaseDispatcher::SetStatusTrigger(int handle, int value, bool activate) {
    {
        std::lock_guard lk(stateMutex_);
        if (!triggers_.setStatus(handle, value, activate, modemStatus_)) return false;
    }
    KickDispatcher();
    return true;
}

}  // namespace corvane
