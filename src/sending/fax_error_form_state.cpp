#include "sending/fax_error_form_state.h"

#include <map>

namespace corvane {

namespace {

// Title and advice per code. The advice speaks to someone at a Linux desktop with a modem on
// a serial port, a USB adapter or a USB modem.
const std::map<int, FaxErrorHelp>& HelpTable() {
    static const std::map<int, FaxErrorHelp> table = [] {
        std::map<int, FaxErrorHelp> t;
        auto add = [&t](int code, const char* title, const char* advice) {
            const QString heading = QString::fromUtf8(title);
            t[code] = {heading, heading + "\n\n" + QString::fromUtf8(advice)};
        };
        add(-9000, "Error checking for modem",
            "The port opened, but no modem answered \"AT\" with \"OK\".\n\n"
            "- Make sure the modem is switched on and its cable is plugged in at both ends. A "
            "USB modem may take a few seconds after it is plugged in before it answers.\n"
            "- Check that the port in Preferences is the one the modem is on. Serial ports are "
            "/dev/ttyS0 and up, USB serial adapters /dev/ttyUSB0 and up, most USB modems "
            "/dev/ttyACM0 and up. \"dmesg\" shows which name a USB modem was given when it was "
            "plugged in; the [Ports] section of QX.INI maps COM1 to COM8 to these names.\n"
            "- Another program (a getty, a fax server, a modem manager) may be talking to the "
            "modem. ModemManager probes new USB modems for a while after they appear; stop it "
            "or tell it to ignore the device.\n"
            "- Choose Continue to go on anyway; some modems answer only after a reset.");
        add(-9001, "Error opening Communications Port",
            "The port could not be opened.\n\n"
            "- The device may not exist: a USB modem or adapter that is unplugged, or that came "
            "back under another name (/dev/ttyACM1 instead of /dev/ttyACM0). Check the device "
            "name in Preferences and in the [Ports] section of QX.INI.\n"
            "- You may not be allowed to use it. Serial devices belong to the group \"dialout\"; "
            "add yourself with \"sudo usermod -aG dialout $USER\", then log out and in again.\n"
            "- On a virtual machine the serial port must be passed through to the guest.");
        add(-9002, "Error opening modem with TAPI",
            "The named modem could not be opened.\n\n"
            "- The telephony devices are the entries of /dev/serial/by-id/ and the devices named "
            "in the [Telephony] section of QX.INI. A USB modem appears there only while it is "
            "plugged in; its name changes when it is plugged into another kind of port.\n"
            "- You may not be allowed to use the device: join the group \"dialout\" "
            "(\"sudo usermod -aG dialout $USER\", then log in again).\n"
            "- Choose the modem again in Preferences, or use its COM port instead.");
        add(-9003, "Error sending reset string",
            "The modem did not answer the reset string with \"OK\".\n\n"
            "- The reset string in Preferences may hold a command this modem does not know. "
            "\"ATZ\" or \"AT&F\" work on nearly every modem; leave the field empty to send none.\n"
            "- A modem that is still busy with an earlier call may ignore commands for a while; "
            "switch it off and on, or unplug a USB modem and plug it in again.\n"
            "- Suggest offers reset strings known to work with many modems.");
        add(-9004, "Communications Port is in use",
            "Another program holds the port.\n\n"
            "- Programs on Linux share a serial port through a lock file named after the device, "
            "such as /run/lock/LCK..ttyS0, which holds the number of the process that owns it. "
            "\"cat /run/lock/LCK..ttyS0\" shows the number and \"ps -p NUMBER\" the program.\n"
            "- Typical owners are a getty or mgetty answering calls, a fax server such as "
            "HylaFAX, a terminal program (minicom, screen), or Corvane's own receive mode in "
            "another window. Stop that program, or stop receive mode, and try again.\n"
            "- A lock file whose process has ended is removed by Corvane; one left by a running "
            "program must not be deleted by hand.");
        add(-6005, "Cancel Requested",
            "The fax was stopped because Cancel was pressed, or because the program was told "
            "to end. Nothing is wrong with the modem; send the fax again when you are ready.");
        add(-6006, "Fatal Time Out",
            "The modem or the remote fax machine stopped answering in the middle of the call.\n\n"
            "- A noisy or broken line can end a call this way; try again, perhaps at a lower "
            "speed (Maximum BPS in Preferences).\n"
            "- With a USB modem or USB serial adapter, a busy or power-saving USB port can "
            "delay data too long; try another port, or a powered hub.\n"
            "- The larger send buffer option in Preferences helps a slow or heavily loaded "
            "computer keep the modem supplied with page data.");
        add(-8001, "Fax is not an APF file",
            "The fax file is not a fax file this program can send: it may be damaged, empty, "
            "or another kind of file with a fax file's name. Open the fax in the editor and "
            "save it again, or print the document to the fax printer once more.");
        add(-8060, "Fax incompatible with remote fax",
            "The remote fax machine cannot take the pages as they are: it may not accept fine "
            "resolution or wide pages. Send the fax in standard resolution, or ask the "
            "recipient about their machine.");
        add(-8061, "Bad Response From Modem",
            "The modem answered a command with something this program did not expect.\n\n"
            "- The fax class in Preferences may not suit the modem: many modems do Class 1 "
            "well and Class 2 poorly, or the other way round. Try the other class.\n"
            "- An init string that changes how the modem reports results (ATV0, ATQ1) confuses "
            "the exchange; remove such commands.\n"
            "- Suggest offers settings known to work with many modems.");
        add(-8062, "Modems failed to train",
            "Your modem and the remote fax machine could not agree on a speed that works over "
            "this line. Lower Maximum BPS in Preferences (9600 or 4800 works on most lines) "
            "and send again. A noisy line, or a DSL line without a filter in front of the "
            "modem, is a frequent cause.");
        add(-8063, "Error while initializing modem ",
            "The modem refused the commands that prepare it for a fax call.\n\n"
            "- The init string in Preferences may hold a command the modem does not know; try "
            "it empty, or \"ATZ\".\n"
            "- The fax class chosen in Preferences may not be one the modem offers; choose "
            "AutoDetect, or run the fax class check of the setup.\n"
            "- Some USB modems need a moment after the port is opened; try again.");
        add(-8064, "Called Fax Number Was Busy",
            "The number you called was busy on every attempt. Try again later, or raise the "
            "number of dial attempts and the wait between them in Preferences. If the line is "
            "never busy when you call by telephone, your modem may mistake the dial tone of "
            "your exchange for a busy signal: turn on Ignore Busy.");
        add(-8065, "Called fax number answered with voice",
            "A person or an answering machine picked up instead of a fax machine. Check the "
            "number; some offices switch their fax line to a fax machine only when asked.");
        add(-8066, "Incoming Data Call",
            "A data modem, not a fax machine, answered or called. When sending, check the "
            "number: it may belong to a computer's modem or a card payment terminal. When "
            "receiving, the caller was a computer trying to connect; there is no fax to take.");
        add(-8067, "No dial tone",
            "The modem heard no dial tone.\n\n"
            "- Check that the telephone cable goes from the wall socket to the LINE socket of "
            "the modem.\n"
            "- Behind a private exchange or on some VoIP adapters the tone differs from what "
            "the modem expects: turn on Blind Dial in Preferences.\n"
            "- Someone may be using the line on another telephone.");
        add(-8068, "Error Message: Failed to Connect to Remote Fax",
            "The call was answered, but no fax connection came about. The number may belong to "
            "a telephone, or the remote fax machine may be out of paper or switched to manual "
            "answer. Check the number and try again; a lower Maximum BPS helps on bad lines.");
        add(-8069, "Fax failed in mid-session",
            "The connection broke during the call. A noisy line, call waiting or another "
            "telephone picked up on the same line can do this. Turn call waiting off with the "
            "dial prefix your telephone company gives (often *70,) and try again, perhaps at a "
            "lower Maximum BPS.");
        add(-8070, "Fax failed at page end",
            "The remote fax machine did not confirm a page. It may have run out of paper or "
            "memory, or the line may have been too noisy for the page to arrive intact. Try "
            "again later or at a lower Maximum BPS.");
        add(-8074, "Error Message: Remote Fax Did Not Answer",
            "Nobody answered the call within the dial wait. Check the number and the dial "
            "prefix (for example the 9 for an outside line). Some fax machines answer only "
            "after many rings: an S7 value in the init string (for example ATS7=120) makes the "
            "modem wait longer.");
        add(-100, "Attempt to read beyond end of file ",
            "A fax file ended before all of its pages had been read: it is damaged or was "
            "still being written. Save the fax again in the editor, or print the document to "
            "the fax printer once more.");
        add(-103, "File/device not open",
            "The port or a file was closed while it was still needed. A USB modem that was "
            "unplugged, or lost power during the call, ends a call this way. Plug it in again "
            "and retry.");
        return t;
    }();
    return table;
}

const FaxErrorHelp& DefaultHelp(bool receiving) {
    static const QString title =
        QStringLiteral("There is no futher information about this error message. ");
    static const FaxErrorHelp sending{
        title, title +
                   "\n\nSwitching the modem off and on, checking its cable and the "
                   "port in Preferences, and sending again solve most problems. "
                   "Lastsend.log in the data folder lists every step of the last send."};
    static const FaxErrorHelp receive{
        title, title +
                   "\n\nReceive mode goes on answering calls; a caller whose fax did not "
                   "arrive can send it again. When calls keep failing, switch the modem "
                   "off and on and check its cable and the port in Preferences. "
                   "Lastrec.log in the data folder lists every call of the receive period."};
    return receiving ? receive : sending;
}

}  // namespace

FaxErrorHelp FaxErrorHelpFor(int code, bool receiving) {
    const auto& table = HelpTable();
    const auto it = table.find(code);
    return it != table.end() ? it->second : DefaultHelp(receiving);
}

FaxErrorFormState::FaxErrorFormState(const FaxErrorRequest& request, bool suggestAvailable)
    : request_(request), suggestAvailable_(suggestAvailable), autoCloseArmed_(request.autoClose) {}

QString FaxErrorFormState::caption() const {
    return request_.receiving ? QStringLiteral("Error during fax receive")
                              : QStringLiteral("Error during fax sending");
}

QString FaxErrorFormState::heading() const {
    return request_.receiving ? QStringLiteral("We have encountered an error in fax receive mode")
                              : QStringLiteral("We have encountered an error sending this fax");
}

QString FaxErrorFormState::suggestToolTip() const {
    if (!request_.allowSuggest || suggestAvailable_) return {};
    return QStringLiteral(
        "Modem suggestions come with the modem setup, which this version does not have yet. "
        "Open Preferences to change the modem settings by hand.");
}

}  // namespace corvane
