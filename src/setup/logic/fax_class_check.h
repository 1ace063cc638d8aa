#pragma once
// FaxClassCheck: the fax class check without its window. It opens the modem on a COM port or
// a telephony device, makes sure a modem answers, resets it, asks "AT+FCLASS=?" and recommends
// a class: Class 1 first, then Class 2, then Class 2.0. Questions and the message of a modem
// that does not reset go through the program's message boxes (core/message_boxes.h).
//
// The check borrows the caller's port and telephony device and leaves the port closed and the
// telephony call ended, however it ends.

#include <QString>
#include <array>
#include <functional>

namespace corvane {

class TFxComPort;
class TapiDevice;

struct FaxClassSupport {
    bool class1 = false;
    bool class2 = false;
    bool class20 = false;
    bool any() const { return class1 || class2 || class20; }
};

// The classes named in a reply to "AT+FCLASS=?": items separated by commas, with or without
// parentheses ("0,1,2,2.0", "(0,1,1.0)", "0,2.0"); "1.0" counts as Class 1.
FaxClassSupport ParseFaxClasses(const QString& reply);

struct FaxClassCheckRequest {
    int comNumber = 1;  // 1..8
    bool useTapi = false;
    QString deviceName;  // with useTapi
};

class FaxClassCheck {
  public:
    struct ClassLine {
        QString text;
        bool bold = false;
    };

    FaxClassCheck(TFxComPort& port, TapiDevice& tapi, const FaxClassCheckRequest& request);

    // Called whenever the status or a class line changes; the window repaints here.
    std::function<void()> onChange;

    void run();

    // -1 none, 0 Class 1, 1 Class 2, 2 Class 2.0.
    int resultIndex() const { return resultIndex_; }
    QString resultName() const { return resultName_; }
    QString status() const { return status_; }
    // The three class lines top to bottom.
    const std::array<ClassLine, 3>& classLines() const { return lines_; }
    FaxClassSupport support() const { return support_; }

    // The question asked when the found class differs from the one chosen ("Set fax class
    // as ..."); empty when nothing is to be asked. `chosenItem`: 0 automatic, 1 Class 1,
    // 2 Class 2, 3 Class 2.0.
    QString adoptQuestion(int chosenItem) const;

  private:
    // Steps 2 to 9: open, check, reset, query, recommend; returns early on a failure.
    void talkToModem();
    bool openLine();
    void setStatus(const QString& text);
    void setUnknown();
    void changed();
    QString noResponseText() const;

    TFxComPort& port_;
    TapiDevice& tapi_;
    FaxClassCheckRequest request_;
    int resultIndex_ = -1;
    QString resultName_;
    QString status_ = QStringLiteral("Testing Fax Classes...please wait.");
    std::array<ClassLine, 3> lines_{{{QStringLiteral("Class 1 :")},
                                     {QStringLiteral("Class 2 :")},
                                     {QStringLiteral("Class 2.0 :")}}};
    FaxClassSupport support_;
};

inline const QString kFaxClassQuestionCaption = QStringLiteral("Fax Class");

}  // namespace corvane
