// The receive machine against a scripted modem on the simulated clock, for what the
// simulated line does not give: a Class 1 modem's +FCERROR where the page should start, and a
// Class 2 / 2.0 modem that refuses a page (+FPTS:2), sends no id, or ends with a hang-up
// code.

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>
#include <algorithm>
#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "core/fax_errors.h"
#include "faxdoc/apf_reader.h"
#include "faxdoc/t4_encoder.h"
#include "transport/fax_status_codes.h"
#include "transport/receive_fax.h"
#include "transport/simulated_fax_line.h"
#include "transport/t30_frames.h"

namespace corvane::testing {
namespace {

constexpr char kDle = 0x10;
constexpr char kEtx = 0x03;
constexpr char kDc2 = 0x12;
constexpr char kXon = 0x11;

QByteArray Lines(const char* text) {
    return QByteArray("\r\n") + text + "\r\n";
}

QByteArray Escaped(const QByteArray& data) {
    QByteArray out;
    for (char c : data) {
        out.append(c);
        if (c == kDle) out.append(kDle);
    }
    return out + kDle + kEtx;
}

// One page of 60 coded lines and its end-of-page record.
QByteArray PageData(int seed) {
    QByteArray data;
    std::vector<uchar> row(216, 0);
    for (int y = 0; y < 60; ++y) {
        row[(y * 5 + seed * 11) % 216] = uchar(0xF0 >> (y % 4));
        data += CompressRasterLine(row.data(), 1728, 0);
    }
    return data + MakeEndOfPage();
}

// A modem that answers each command line (and the DC2 of a Class 2 page) from the test's
// script. For Class 1, what follows ATA and AT+FTH=3 up to a final frame's DLE ETX is the
// engine's frames.
class ReceiveModem {
  public:
    bool class1 = false;
    std::function<QByteArray(const QString& command)> answer;
    std::vector<QString> commands;
    std::vector<std::uint8_t> framesSent;  // FCFs, X bit cleared
    // Output the modem gives only after `delayMs` on the line's clock (what it must first
    // hear on the line), counted from when the script set it.
    QByteArray delayed;
    std::int64_t delayMs = 0;
    std::int64_t delayedDueMs = -1;

    QByteArray take(const QByteArray& written) {
        QByteArray out;
        for (char c : written) {
            if (inFrame_) {
                out += frameByte(c);
                continue;
            }
            if (c == kDc2) {
                out += answer(QStringLiteral("DC2"));
                continue;
            }
            // The XON that follows DC2 is flow control for modems that wait for it, not part
            // of a command.
            if (c == kXon) continue;
            if (c != '\r') {
                line_.append(c);
                continue;
            }
            const QString command = QString::fromLatin1(line_).trimmed();
            line_.clear();
            if (command.isEmpty()) continue;
            commands.push_back(command);
            if (class1 && (command == "ATA" || command == "AT+FTH=3")) inFrame_ = true;
            out += answer(command);
        }
        return out;
    }

  private:
    QByteArray frameByte(char c) {
        if (dle_) {
            dle_ = false;
            if (c != kEtx) {
                frame_.append(c);
                return {};
            }
            const T30Frame f = ParseFrame(frame_ + kDle + kEtx);
            frame_.clear();
            if (f.valid) framesSent.push_back(f.fcf);
            if (f.valid && !f.final) return Lines("CONNECT");
            inFrame_ = false;
            return Lines("OK");
        }
        if (c == kDle)
            dle_ = true;
        else
            frame_.append(c);
        return {};
    }

    QByteArray line_;
    QByteArray frame_;
    bool inFrame_ = false;
    bool dle_ = false;
};

struct ReceiveRun {
    int result = 1;
    std::vector<int> logs;
    std::vector<int> errors;
    QString file;
    std::string pagesKept;  // pages in the file at the end ("" without a file)
    QStringList offered;    // ids OnFaxAccept was asked about
};

void RunReceive(ReceiveModem& modem, FaxClassKind faxClass, ReceiveRun& run) {
    QTemporaryDir dir;
    auto owned = std::make_unique<SimulatedFaxLine>();
    SimulatedFaxLine& line = *owned;
    line.setCarrier(true);
    line.onWaitForInput = [&] { line.pushInput(modem.take(line.takeWritten())); };
    TFxReceiveFax fax;
    fax.FaxClass = faxClass;
    fax.DesiredBPS = 9600;
    fax.StationID = "SCRIPT";
    fax.DestinationDir = dir.path();
    fax.OneFax = true;
    fax.SetLine(std::move(owned));
    bool finished = false;
    fax.OnFaxFinish = [&](int code) {
        finished = true;
        run.result = code;
    };
    fax.OnFaxLog = [&](int code) {
        run.logs.push_back(code);
        if (!fax.FaxFile.isEmpty()) run.file = fax.FaxFile;
    };
    fax.OnFaxError = [&](int code) { run.errors.push_back(code); };
    fax.OnFaxAccept = [&](const QString& id) {
        run.offered << id;
        return true;
    };
    fax.BeginReceive();
    line.onWaitForInput = nullptr;
    for (int round = 0; round < 200000 && !finished; ++round) {
        QCoreApplication::processEvents();
        line.pushInput(modem.take(line.takeWritten()));
        if (!modem.delayed.isEmpty()) {
            if (modem.delayedDueMs < 0) modem.delayedDueMs = line.nowMs() + modem.delayMs;
            if (line.nowMs() >= modem.delayedDueMs) {
                line.pushInput(modem.delayed);
                modem.delayed.clear();
                modem.delayedDueMs = -1;
            }
        }
        line.drain(1 << 20);
        if (line.deliverNext()) continue;
        QCoreApplication::processEvents();
        if (finished || line.deliverNext()) continue;
        std::int64_t wait = line.msToNextTimer();
        if (modem.delayedDueMs >= 0) {
            const std::int64_t due = modem.delayedDueMs - line.nowMs();
            wait = wait < 0 ? due : std::min(wait, due);
        }
        if (wait < 0) break;
        line.advance(std::max<std::int64_t>(wait, 1));
    }
    ASSERT_TRUE(finished);
    // The pages kept, read back while the folder still exists.
    if (!run.file.isEmpty() && QFile::exists(run.file))
        run.pagesKept = std::to_string(GetApfPageCount(run.file));
}

// ---------------------------------------------------------------------------------------
// Class 1

QByteArray FrameFromSender(std::uint8_t fcf, const QByteArray& fif, bool final) {
    return Lines("CONNECT") + BuildFrame(fcf | kCallerX, fif, final) + Lines("OK");
}

QByteArray Dcs9600() {
    DcsParams p;
    p.rateIndex = 4;
    return DcsFif(p);
}

// A sender that missed our CFR: where its page should start, the modem hears V.21 flags
// (the repeated DCS) and says +FCERROR. The receiver listens for frames again, takes the
// new training, confirms it once more and receives the page.
TEST(Class1ReceiveScript, FcerrorWhereThePageBelongsMeansTheDcsCameAgain) {
    ReceiveModem modem;
    modem.class1 = true;
    std::deque<QByteArray> frames{FrameFromSender(fcfTsi, IdFif("SENDER"), false),
                                  FrameFromSender(fcfDcs, Dcs9600(), true)};
    int pageTries = 0;
    bool rang = false;
    bool training = false;
    modem.answer = [&](const QString& command) -> QByteArray {
        if (command == "AT+FRM=?") return Lines("24,48,72,96") + Lines("OK");
        if (command == "ATA" || command == "AT+FTH=3") return Lines("CONNECT");
        if (command == "AT+FRH=3") {
            if (frames.empty()) return {};
            QByteArray next = frames.front();
            frames.pop_front();
            if (ParseFrame(next).fcf == fcfDcs) training = true;
            return next;
        }
        if (command.startsWith("AT+FRM=")) {
            if (training) {
                training = false;
                return Lines("CONNECT") + Escaped(QByteArray(1200, '\0')) + Lines("NO CARRIER");
            }
            if (++pageTries == 1) {
                frames.push_back(FrameFromSender(fcfDcs, Dcs9600(), true));
                // The repeated DCS comes after the sender's T4: the modem says so once it
                // hears the frames' flags.
                modem.delayed = Lines("+FCERROR");
                modem.delayMs = 1500;
                return {};
            }
            frames.push_back(FrameFromSender(fcfEop, {}, true));
            frames.push_back(FrameFromSender(fcfDcn, {}, true));
            return Lines("CONNECT") + Escaped(PageData(1)) + Lines("NO CARRIER");
        }
        // The machine's own class command, after the set-up's: then the call comes.
        if (command == "AT+FCLASS=1" && !rang &&
            std::count(modem.commands.begin(), modem.commands.end(), command) == 2) {
            rang = true;
            return Lines("OK") + Lines("RING");
        }
        return Lines("OK");
    };
    ReceiveRun run;
    RunReceive(modem, FaxClassKind::Class1, run);
    EXPECT_EQ(run.result, 0) << TFxAbstractFax::CodeText(run.result).toStdString();
    EXPECT_EQ(run.logs, (std::vector<int>{lfaxReceiveStart, lfaxReceiveOk}));
    EXPECT_EQ(run.pagesKept, "1");
    EXPECT_EQ(pageTries, 2);
    EXPECT_EQ(std::count(modem.framesSent.begin(), modem.framesSent.end(), fcfCfr), 2);
    EXPECT_EQ(std::count(modem.framesSent.begin(), modem.framesSent.end(), fcfMcf), 1);
}

// ---------------------------------------------------------------------------------------
// Class 2 and 2.0

struct Class2Page {
    int ppr;  // the modem's page verdict: 1 good, 2 refused (RTN)
    int fet;  // the sender's post-page message: 0 more pages, 2 end of the document
};

// A Class 2 / 2.0 call: the pages with their verdicts, then the hang-up report.
struct Class2Script {
    std::vector<Class2Page> pages;
    int hangup = 0;
    bool senderId = true;
};

void RunClass2(FaxClassKind faxClass, const Class2Script& script, ReceiveRun& run,
               ReceiveModem& modem) {
    const bool c20 = faxClass == FaxClassKind::Class20;
    size_t page = 0;
    bool rang = false;
    bool answered = false;
    modem.answer = [&](const QString& command) -> QByteArray {
        if (command == "ATA") {
            answered = true;
            QByteArray a = Lines(c20 ? "+FCO" : "+FCON");
            if (script.senderId) a += Lines(c20 ? "+FTI:\"SENDER\"" : "+FTSI:\"SENDER\"");
            return a + Lines(c20 ? "+FCS:0,3,0,2,0,0,0,0" : "+FDCS:0,3,0,2,0,0,0,0") + Lines("OK");
        }
        if (command == "AT+FDR") {
            if (page < script.pages.size()) return Lines("CONNECT");
            const QByteArray code =
                c20 ? QByteArray::number(script.hangup, 16).rightJustified(2, '0').toUpper()
                    : QByteArray::number(script.hangup);
            return Lines(QByteArray((c20 ? "+FHS:" : "+FHNG:") + code).constData()) + Lines("OK");
        }
        if (command == "DC2") {
            const Class2Page& p = script.pages[page++];
            QByteArray a = Escaped(PageData(int(page)));
            a += Lines(QByteArray((c20 ? "+FPS:" : "+FPTS:") + QByteArray::number(p.ppr) +
                                  (c20 ? ",0,0,0,0" : ""))
                           .constData());
            a += Lines(QByteArray("+FET:" + QByteArray::number(p.fet)).constData());
            return a + Lines("OK");
        }
        // The last set-up command of the machine; then the call comes.
        if ((c20 ? command.startsWith("AT+FNR=") : command.startsWith("AT+FDCC=")) && !answered &&
            !rang) {
            rang = true;
            return Lines("OK") + Lines("RING");
        }
        return Lines("OK");
    };
    RunReceive(modem, faxClass, run);
}

struct Class2Case {
    const char* name;
    Class2Script script;
    int expected;
    std::vector<int> logs;
    const char* pagesKept;
};

void PrintTo(const Class2Case& c, std::ostream* os) {
    *os << c.name;
}

class Class2ReceiveScript : public ::testing::TestWithParam<Class2Case> {};

TEST_P(Class2ReceiveScript, KeepsGoodPagesAndEndsByTheModemsReport) {
    const Class2Case& c = GetParam();
    for (FaxClassKind kind : {FaxClassKind::Class2, FaxClassKind::Class20}) {
        ReceiveModem modem;
        ReceiveRun run;
        RunClass2(kind, c.script, run, modem);
        const std::string cls = kind == FaxClassKind::Class20 ? "2.0" : "2";
        EXPECT_EQ(run.result, c.expected)
            << cls << ": " << TFxAbstractFax::CodeText(run.result).toStdString();
        EXPECT_EQ(run.logs, c.logs) << cls;
        EXPECT_EQ(run.pagesKept, c.pagesKept) << cls;
        // Every page the modem refused is asked for again with AT+FDR.
        const auto fdr = std::count(modem.commands.begin(), modem.commands.end(), "AT+FDR");
        EXPECT_EQ(size_t(fdr), c.script.pages.size() + 1) << cls;
        EXPECT_EQ(run.offered, QStringList{c.script.senderId ? "SENDER" : ""}) << cls;
        // The receive settings go with the set-up and again before the call, since a DTR
        // drop (every hang-up) resets them under &D3.
        for (const char* setting : {"AT+FCR=1", "AT+FAA=0"})
            EXPECT_EQ(std::count(modem.commands.begin(), modem.commands.end(), setting), 2)
                << cls << " " << setting;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Calls, Class2ReceiveScript,
    ::testing::Values(
        Class2Case{
            "TwoGoodPages", {{{1, 0}, {1, 2}}, 0}, 0, {lfaxReceiveStart, lfaxReceiveOk}, "2"},
        // The last page refused (RTN): the sender sends it again, and the file is closed
        // only after the page came good.
        Class2Case{"RefusedLastPageComesAgain",
                   {{{1, 0}, {2, 2}, {1, 2}}, 0},
                   0,
                   {lfaxReceiveStart, lfaxReceiveOk},
                   "2"},
        Class2Case{"RefusedFirstPageComesAgain",
                   {{{2, 0}, {1, 0}, {1, 2}}, 0},
                   0,
                   {lfaxReceiveStart, lfaxReceiveOk},
                   "2"},
        // The sender gives up after the refused last page: the modem's hang-up code fails
        // the call, and the good page stays in the file.
        Class2Case{"SenderGivesUpAfterRefusedLastPage",
                   {{{1, 0}, {2, 2}}, 100},
                   ecFaxSessionError,
                   {lfaxReceiveStart, lfaxReceiveFail},
                   "1"},
        // Every page good, but the modem ends with an error code: not a received fax.
        Class2Case{"HangupCodeAfterTheLastPage",
                   {{{1, 2}}, 100},
                   ecFaxSessionError,
                   {lfaxReceiveStart, lfaxReceiveFail},
                   "1"},
        // A sender without TSI is offered to the owner with an empty id.
        Class2Case{
            "SenderWithoutId", {{{1, 2}}, 0, false}, 0, {lfaxReceiveStart, lfaxReceiveOk}, "1"}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace corvane::testing
