#include "setup/logic/fax_class_check.h"

#include <QCoreApplication>
#include <exception>

#include "core/message_boxes.h"
#include "setup/logic/modem_query.h"
#include "transport/abstract_fax.h"
#include "transport/fx_port.h"
#include "transport/port_operations.h"
#include "transport/tapi_device.h"
#include "transport/ticks.h"

namespace corvane {

namespace {

const QString kCr = QStringLiteral("\r");
const char* const kClassNames[] = {"Class 1", "Class 2", "Class 2.0"};

void ProcessEvents() {
    if (QCoreApplication::instance()) QCoreApplication::processEvents();
}

QString SupportLine(const char* label, bool supported) {
    return QString::fromLatin1(label) +
           (supported ? QStringLiteral("Supported") : QStringLiteral("Not Supported"));
}

}  // namespace

FaxClassSupport ParseFaxClasses(const QString& reply) {
    FaxClassSupport s;
    QString list = reply;
    list.remove(QLatin1Char('(')).remove(QLatin1Char(')'));
    for (const QString& raw : list.split(QLatin1Char(','))) {
        const QString item = raw.trimmed();
        if (item == QLatin1String("1") || item == QLatin1String("1.0")) s.class1 = true;
        if (item == QLatin1String("2")) s.class2 = true;
        if (item == QLatin1String("2.0")) s.class20 = true;
    }
    return s;
}

FaxClassCheck::FaxClassCheck(TFxComPort& port, TapiDevice& tapi,
                             const FaxClassCheckRequest& request)
    : port_(port), tapi_(tapi), request_(request) {}

void FaxClassCheck::changed() {
    if (onChange) onChange();
    ProcessEvents();
}

void FaxClassCheck::setStatus(const QString& text) {
    status_ = text;
    changed();
}

void FaxClassCheck::setUnknown() {
    lines_ = {{{QStringLiteral("Class 1   : unknown")},
               {QStringLiteral("Class 2   : unknown")},
               {QStringLiteral("Class 2.0 : unknown")}}};
    changed();
}

QString FaxClassCheck::noResponseText() const {
    return QStringLiteral("No response from device on COM%1. May not be a modem.")
        .arg(request_.comNumber);
}

bool FaxClassCheck::openLine() {
    Status opened;
    if (request_.useTapi) {
        setStatus("Opening " + request_.deviceName + "...please wait");
        opened = OpenPortWithTapi(port_, tapi_, request_.deviceName);
    } else {
        port_.SetTapiMode(TapiMode::Off);
        port_.SetComNumber(request_.comNumber);
        opened = OpenPortDirectly(port_);
    }
    if (opened.ok()) return true;
    setStatus(opened.message());
    setUnknown();
    return false;
}

void FaxClassCheck::talkToModem() {
    if (!openLine()) return;
    if (!CheckForModem(port_, QString())) {
        const QString question =
            QStringLiteral("The device on COM%1 is not responding and may")
                .arg(request_.comNumber) +
            kCr + QStringLiteral("not be a modem. Continue with Fax Class Analysis?");
        if (!AskYesNo(question, QStringLiteral("NO MODEM RESPONSE"))) {
            setStatus(noResponseText());
            setUnknown();
            return;
        }
    }
    // The message below names the command sent here; the two go together.
    if (!ResetModem(port_)) {
        ShowInformation(
            QStringLiteral("We are unable to continue the test. ") + kCr + kCr +
            QStringLiteral("The modem did not respond to the reset string:   (ATZ)") + kCr + kCr +
            QStringLiteral("Is the Communications Port (COM%1) correct? Please")
                .arg(port_.ComNumber()) +
            kCr +
            QStringLiteral("click the Find Modem Port button on the Preferences screen to "
                           "be sure."));
        setStatus(noResponseText());
        setUnknown();
        return;
    }
    support_ = {};
    setStatus(QStringLiteral("Querying modem Fax Class support..."));
    const ModemQueryReply reply = QueryModem(port_, QStringLiteral("AT+FCLASS=?"), kReplyWaitTicks);
    if (reply.ok) support_ = ParseFaxClasses(reply.information().join(QLatin1Char(',')));
    setStatus(QString());
    if (!support_.any()) {
        setStatus(QStringLiteral("Unable to determine Fax Class support from modem on Com %1")
                      .arg(request_.comNumber));
        setUnknown();
        return;
    }
    lines_ = {{{SupportLine("Class 2.0 : ", support_.class20)},
               {SupportLine("Class 2   : ", support_.class2)},
               {SupportLine("Class 1   : ", support_.class1)}}};
    if (support_.class1) {
        resultIndex_ = 0;
        lines_[2].text += QStringLiteral(" (recommended)");
    } else if (support_.class2) {
        resultIndex_ = 1;
        lines_[1].text += QStringLiteral(" (recommended)");
    } else {
        resultIndex_ = 2;
        lines_[0].bold = true;
    }
    resultName_ = QString::fromLatin1(kClassNames[resultIndex_]);
    changed();
    setStatus("Try using the recommended Fax Class (" + resultName_ + "). " + kCr + kCr +
              "If you experience problems, try other supported classes or auto detect.");
}

void FaxClassCheck::run() {
    resultIndex_ = -1;
    resultName_.clear();
    setStatus(QStringLiteral("Opening Com Port...please wait"));
    try {
        talkToModem();
    } catch (const std::exception&) {
        // A port error in the middle of the talk: the class stays unknown.
        resultIndex_ = -1;
        resultName_.clear();
        setStatus(QStringLiteral("Unable to determine Fax Class support from modem on Com %1")
                      .arg(request_.comNumber));
        setUnknown();
    }
    if (request_.useTapi) tapi_.cancelCall();
    port_.CloseNoThrow();
    ProcessEvents();
}

QString FaxClassCheck::adoptQuestion(int chosenItem) const {
    if (resultIndex_ < 0 || resultIndex_ + 1 == chosenItem) return {};
    return "Set fax class as " + resultName_ + " ?";
}

}  // namespace corvane
