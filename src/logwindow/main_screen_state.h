#pragma once
// The main window's state and the decisions it makes, kept apart from the widgets so that
// they can be driven without a screen.

#include <QString>

namespace corvane {

class MainScreenState {
  public:
    bool FirstActivation = true;
    bool InReceiveMode = false;
    bool ReceivingCall = false;
    QString OutgoingFilter;
    QString IncomingFilter;

    // The close query: while a call is being received the user must confirm. Returns false
    // when the window has to stay open.
    bool ConfirmClose() const;
};

}  // namespace corvane
