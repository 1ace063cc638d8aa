#include "sending/send_fax_form_state.h"

#include "core/settings.h"

namespace corvane {

const std::vector<SendingTip>& SendingTips() {
    static const std::vector<SendingTip> tips = {
        {QStringLiteral("Problems opening the Com Port?"),
         QStringLiteral(
             "If the port cannot be opened, check in Preferences that the port is the one your "
             "modem is on (serial ports are /dev/ttyS0 and up, USB modems usually /dev/ttyACM0 "
             "or /dev/ttyUSB0), that your user belongs to the \"dialout\" group, and that no "
             "other program (a getty, a fax server, a terminal program) holds the port.")},
        {QStringLiteral("Problems dialing?"),
         QStringLiteral(
             "Type the number as you would dial it on a telephone. Spaces, dashes and brackets "
             "are ignored by most modems. If you need a 9 or another code for an outside line, "
             "put it in the Dial Prefix rather than in the number, so that it applies to every "
             "fax you send.")},
        {QStringLiteral("Using a credit card or calling card"),
         QStringLiteral(
             "Put the access number in the Dial Prefix and the card number and PIN in the Dial "
             "Suffix, with commas for pauses where the card service asks you to wait: for "
             "example prefix \"18005551234,,\" and suffix \",,1234567890\". Tick the Disable "
             "boxes to send a fax without them.")},
        {QStringLiteral("Getting a BUSY signal?"),
         QStringLiteral(
             "A busy line is dialled again after the retry wait, as often as the dial attempts "
             "in Preferences allow. If a number is never busy when you call it by telephone, "
             "your modem may mistake your exchange's dial tone for a busy signal: turn on "
             "Ignore Busy in Preferences.")},
        {QStringLiteral("Pausing during dialing"),
         QStringLiteral(
             "A comma in the number, prefix or suffix makes the modem pause for about two "
             "seconds (register S8 sets how long). Use one after an outside-line code, for "
             "example \"9,\", if the second dial tone is slow to come.")},
        {QStringLiteral("Using a DSL, CABLE or ISDN line?"),
         QStringLiteral(
             "An analog fax modem needs an analog telephone line. On a DSL line put a DSL filter "
             "between the wall socket and the modem. On a cable or internet telephone adapter, "
             "or an ISDN terminal adapter, plug the modem into the adapter's analog telephone "
             "socket, and lower the Maximum BPS in Preferences to 9600 or 4800 if faxes fail "
             "part way: such lines compress audio in ways fax signals do not survive well.")},
        {QStringLiteral("No Dialtone?"),
         QStringLiteral(
             "Check that the telephone cable runs from the wall socket to the modem's LINE "
             "socket, and that nobody is using the line. Behind a private exchange or on some "
             "internet telephone adapters the dial tone sounds different from what the modem "
             "expects: turn on Blind Dial in Preferences.")},
    };
    return tips;
}

SendFaxFormState::SendFaxFormState(const OutgoingFaxToSend& fax, const Settings& settings)
    : number(fax.phone), fax_(fax) {
    loadDialing(settings);
}

SendFaxFormState::SendNow SendFaxFormState::CheckSendNow(const QString& number, bool busy) {
    if (number.trimmed().isEmpty()) return SendNow::NumberBlank;
    if (busy) return SendNow::Busy;
    return SendNow::Go;
}

void SendFaxFormState::loadDialing(const Settings& s) {
    prefix = s.DialPrefix;
    suffix = s.DialSuffix;
    prefixDisabled = s.PrefixDisable;
    suffixDisabled = s.SuffixDisable;
}

void SendFaxFormState::storeDialing(Settings& s) const {
    s.DialPrefix = prefix;
    s.DialSuffix = suffix;
    s.PrefixDisable = prefixDisabled;
    s.SuffixDisable = suffixDisabled;
}

SendRequest SendFaxFormState::request() const {
    SendRequest r;
    r.number = number;
    r.prefix = prefix;
    r.suffix = suffix;
    r.prefixDisabled = prefixDisabled;
    r.suffixDisabled = suffixDisabled;
    r.coverPath = fax_.coverPath;
    r.documentPath = fax_.documentPath;
    r.headerRecipient = fax_.recipient;
    return r;
}

}  // namespace corvane
