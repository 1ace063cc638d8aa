#include "logwindow/main_screen_state.h"

#include "core/message_boxes.h"

namespace corvane {

bool MainScreenState::ConfirmClose() const {
    if (!ReceivingCall) return true;
    return AskYesNo(QStringLiteral("You are recieving a fax. Close the program?"),
                    QStringLiteral("ALERT!"));
}

}  // namespace corvane
