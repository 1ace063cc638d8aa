#pragma once
// The fax error window of receive mode, as a simple stand-in until the shared fax error window
// takes over: the message, the note below it and the phase; closes itself after 30 s when the
// error asks for it, so that an unattended program goes on receiving.

#include "receiving/receive_session.h"

class QWidget;

namespace corvane {

constexpr int kReceiveErrorAutoCloseMs = 30000;

// Shows `error`. Errors that offer "Continue" wait for the answer (true for Continue); all
// others are shown without waiting and return false.
bool ShowReceiveFaxError(QWidget* parent, const ReceiveFaxError& error,
                         int autoCloseMs = kReceiveErrorAutoCloseMs);

}  // namespace corvane
