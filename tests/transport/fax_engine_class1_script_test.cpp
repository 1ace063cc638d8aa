// The Class 1 send machine against a scripted modem on the simulated clock: the bytes it
// writes are checked where a peer cannot show them (TSI, every DCS, the length of each scan
// line) and the remote answers what a peer will not (FTT at the lowest rate, silence after
// the post-page command).

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QTemporaryDir>
#include <algorithm>
#include <functional>
#include <vector>

#include "core/fax_errors.h"
#include "faxdoc/apf_writer.h"
#include "faxdoc/t4_encoder.h"
#include "transport/fax_status_codes.h"
#include "transport/send_fax.h"
#include "transport/simulated_fax_line.h"
#include "transport/t30_frames.h"

namespace corvane::testing {
namespace {

constexpr char kDle = 0x10;
constexpr char kEtx = 0x03;

QByteArray Lines(const char* text) {
    return QByteArray("\r\n") + text + "\r\n";
}

// A received frame as the modem hands it over: bytes, DLE ETX, OK.
QByteArray Delivered(std::uint8_t fcf, const QByteArray& fif, bool final) {
    return Lines("CONNECT") + BuildFrame(fcf, fif, final) + Lines("OK");
}

// What the engine sent after one CONNECT, up to DLE ETX, DLE doubling undone.
struct Transmission {
    QString command;  // AT+FTH=3 or AT+FTM=...
    QByteArray data;
    bool training = false;  // the training check after a DCS
};

// A Class 1 modem that answers commands from a script of the remote's side.
class ScriptedModem {
  public:
    // Remote's DIS (second FIF octet) and what it answers after training and after a page.
    int disRateBits = 0x2C;
    int disScanBits = 0x70;
    int disWidthBits = 0x01;  // 255 mm: 2048 dots
    std::function<QByteArray(int trainings)> afterTraining = [](int) {
        return Delivered(fcfCfr, {}, true);
    };
    std::function<QByteArray(int pages)> afterPage = [](int) {
        return Delivered(fcfMcf, {}, true);
    };

    // A NO CARRIER from the remote's side means the far end hung up: the modem is back on
    // hook and refuses to transmit (ERROR).
    bool hangsUpOnNoCarrier = false;

    std::vector<Transmission> sent;
    int postPageListens = 0;

    // Takes what the engine wrote; returns the modem's answer.
    QByteArray take(const QByteArray& written) {
        QByteArray answer;
        for (char c : written) {
            if (inData_) {
                if (dle_) {
                    dle_ = false;
                    if (c == kEtx) {
                        answer += endOfData();
                        continue;
                    }
                    current_.data.append(c);
                    continue;
                }
                if (c == kDle) {
                    dle_ = true;
                    continue;
                }
                current_.data.append(c);
                continue;
            }
            if (c == '\r') {
                answer += command(QString::fromLatin1(line_).trimmed());
                line_.clear();
            } else {
                line_.append(c);
            }
        }
        return answer;
    }

  private:
    QByteArray command(const QString& cmd) {
        if (cmd.isEmpty()) return {};
        if (cmd == "AT+FTM=?")
            return Lines("24,48,72,73,74,96,97,98,121,122,145,146") + Lines("OK");
        if (cmd.startsWith("ATD")) {
            QByteArray dis;
            dis.append('\0');
            dis.append(char(0x42 | disRateBits));
            dis.append(char(0x80 | disScanBits | disWidthBits));
            dis.append('\0');
            return Delivered(fcfCsi, IdFif("REMOTE"), false) + Delivered(fcfDis, dis, true);
        }
        if (onHook_ && (cmd == "AT+FTH=3" || cmd.startsWith("AT+FTM="))) return Lines("ERROR");
        if (cmd == "AT+FTH=3" || cmd.startsWith("AT+FTM=")) {
            inData_ = true;
            current_ = {cmd, {}};
            return Lines("CONNECT");
        }
        if (cmd == "AT+FRH=3") {
            if (sent.empty()) return {};  // the DIS came with the CSI
            const Transmission& last = sent.back();
            QByteArray answer;
            if (last.training) {
                answer = afterTraining(++trainings_);
            } else {
                ++postPageListens;
                answer = afterPage(pages_);
            }
            if (hangsUpOnNoCarrier && answer.contains("NO CARRIER")) onHook_ = true;
            return answer;
        }
        return Lines("OK");  // ATH, the set-up commands, a lone space
    }

    QByteArray endOfData() {
        sent.push_back(current_);
        const QByteArray data = current_.data;
        current_ = {};
        // A non-final frame leaves the transmitter on for the next one.
        if (sent.back().command == "AT+FTH=3" && data.size() > 2 &&
            (uchar(data[2]) & 0xFE) == fcfDcs)
            dcsSent_ = true;
        if (sent.back().command == "AT+FTH=3" && data.size() > 1 && uchar(data[1]) == 0x03) {
            current_.command = "AT+FTH=3";
            return Lines("CONNECT");
        }
        inData_ = false;
        Transmission& done = sent.back();
        if (done.command.startsWith("AT+FTM=")) {
            done.training = dcsSent_;
            if (!dcsSent_) ++pages_;
            dcsSent_ = false;
        } else if (data.size() > 2 && (uchar(data[2]) & 0xFE) == fcfDcs) {
            dcsSent_ = true;
        }
        return Lines("OK");
    }

    bool inData_ = false;
    bool dle_ = false;
    bool onHook_ = false;
    QByteArray line_;
    Transmission current_;
    bool dcsSent_ = false;
    int trainings_ = 0;
    int pages_ = 0;
};

QString WritePages(const QString& dir, int pages, bool fine, bool wide = false) {
    const QString path = dir + "/pages.apf";
    ApfWriter w;
    w.CreateApfFile(path);
    const int width = wide ? 2048 : 1728;
    std::vector<uchar> row(width / 8, 0);
    for (int p = 0; p < pages; ++p) {
        w.StartPage((fine ? kApfHighRes : 0) | (wide ? kApfWideWidth : 0));
        for (int y = 0; y < 300; ++y) {
            row[(y * 7) % 216] = uchar(0xF0 >> (y % 4));
            w.WriteLineRecord(CompressRasterLine(row.data(), width, 0));
        }
        w.FinishPage();
    }
    w.CloseApfFile("SCRIPT");
    return path;
}

struct ScriptRun {
    int result = 1;
    ScriptedModem modem;
    bool carrier = true;  // the modem's carrier detect during the call
    bool wide = false;    // pages 2048 dots wide
    std::vector<int> statuses;
};

void RunScript(ScriptRun& run, int desiredBps, const QString& stationId, int pages = 1,
               bool fine = false) {
    QTemporaryDir dir;
    auto owned = std::make_unique<SimulatedFaxLine>();
    SimulatedFaxLine& line = *owned;
    line.setCarrier(run.carrier);
    line.onWaitForInput = [&] { line.pushInput(run.modem.take(line.takeWritten())); };
    TFxSendFax fax;
    fax.FaxClass = FaxClassKind::Class1;
    fax.DesiredBPS = desiredBps;
    fax.StationID = stationId;
    fax.PhoneNumber = "5550100";
    fax.FaxFileList = {WritePages(dir.path(), pages, fine, run.wide)};
    fax.SetLine(std::move(owned));
    fax.OnFaxStatus = [&](bool, bool) { run.statuses.push_back(fax.FaxStatus()); };
    bool finished = false;
    fax.OnFaxFinish = [&](int code) {
        finished = true;
        run.result = code;
    };
    fax.BeginTransmit();
    line.onWaitForInput = nullptr;
    for (int round = 0; round < 200000 && !finished; ++round) {
        QCoreApplication::processEvents();
        line.pushInput(run.modem.take(line.takeWritten()));
        line.drain(1 << 20);
        if (line.deliverNext()) continue;
        QCoreApplication::processEvents();
        if (finished || line.deliverNext()) continue;
        const std::int64_t wait = line.msToNextTimer();
        if (wait < 0) break;
        line.advance(std::max<std::int64_t>(wait, 1));
    }
    ASSERT_TRUE(finished);
}

std::vector<QByteArray> FramesOf(const ScriptedModem& modem, std::uint8_t fcf) {
    std::vector<QByteArray> out;
    for (const Transmission& t : modem.sent) {
        if (t.command != "AT+FTH=3") continue;
        const T30Frame f = ParseFrame(t.data + QByteArray("\x10\x03", 2));
        if (f.valid && f.fcf == fcf) out.push_back(f.fif);
    }
    return out;
}

TEST(Class1Script, StationIdTravelsReversedAndTheCallEndsWithDcn) {
    ScriptRun run;
    RunScript(run, 14400, "abc");
    EXPECT_EQ(run.result, 0) << TFxAbstractFax::CodeText(run.result).toStdString();
    const auto tsi = FramesOf(run.modem, fcfTsi);
    ASSERT_EQ(tsi.size(), 1u);
    EXPECT_EQ(tsi[0], "CBA" + QByteArray(17, ' '));
    EXPECT_EQ(FramesOf(run.modem, fcfDcn).size(), 1u);
    const auto dcs = FramesOf(run.modem, fcfDcs);
    ASSERT_EQ(dcs.size(), 1u);
    EXPECT_EQ(ParseDcs(dcs[0]).rateIndex, 6);
    // The remote's DIS allows A4 only: the DCS claims no longer page.
    EXPECT_EQ(ParseDcs(dcs[0]).lengthBits, kLengthA4);
}

// RTN at the lowest rate: no rate left to step down to, so the page goes again at 2400 (the
// resend count still limits it).
TEST(Class1Script, RtnAt2400SendsThePageAgainAt2400) {
    ScriptRun run;
    run.modem.afterPage = [](int pages) {
        return pages == 1 ? Delivered(fcfRtn, {}, true) : Delivered(fcfMcf, {}, true);
    };
    RunScript(run, 2400, "X");
    EXPECT_EQ(run.result, 0) << TFxAbstractFax::CodeText(run.result).toStdString();
    const auto dcs = FramesOf(run.modem, fcfDcs);
    ASSERT_EQ(dcs.size(), 2u);
    for (const QByteArray& fif : dcs) EXPECT_EQ(ParseDcs(fif).rateIndex, 1);
    int pages = 0;
    for (const Transmission& t : run.modem.sent) pages += t.command == "AT+FTM=24" && !t.training;
    EXPECT_EQ(pages, 2);
}

TEST(Class1Script, FttAtTheLowestRateEndsWithTrainingFailure) {
    ScriptRun run;
    run.modem.afterTraining = [](int) { return Delivered(fcfFtt, {}, true); };
    RunScript(run, 2400, "X");
    EXPECT_EQ(run.result, ecFaxTrainFail);
    EXPECT_EQ(TFxAbstractFax::CodeText(run.result).toStdString(), "Modems failed to train");
}

int Count(const std::vector<int>& values, int value) {
    return int(std::count(values.begin(), values.end(), value));
}

// The remote's DCN, and a far end that hung up (NO CARRIER, then the modem back on hook
// without carrier refuses to transmit), end the call as failed, never as the user's cancel.
TEST(Class1Script, DcnFromTheRemoteOrALostCarrierFailsTheCall) {
    struct Case {
        const char* name;
        bool carrier;
        std::function<QByteArray(int)> afterTraining;
        std::function<QByteArray(int)> afterPage;
    };
    const auto cfr = [](int) { return Delivered(fcfCfr, {}, true); };
    const auto noCarrier = [](int) { return Lines("NO CARRIER"); };
    const Case cases[] = {
        {"dcn instead of CFR", true, [](int) { return Delivered(fcfDcn, {}, true); }, nullptr},
        {"carrier gone after training", false, noCarrier, nullptr},
        {"carrier gone after the page", false, cfr, noCarrier},
    };
    for (const Case& c : cases) {
        ScriptRun run;
        run.carrier = c.carrier;
        run.modem.hangsUpOnNoCarrier = !c.carrier;
        run.modem.afterTraining = c.afterTraining;
        if (c.afterPage) run.modem.afterPage = c.afterPage;
        RunScript(run, 14400, "X");
        EXPECT_EQ(run.result, ecFaxSessionError) << c.name;
        EXPECT_EQ(Count(run.statuses, fsUserAbort), 0) << c.name;
        EXPECT_EQ(FramesOf(run.modem, fcfDcs).size(), 1u) << c.name;
    }
}

// A CFR the modem did not hear (NO CARRIER, or silence for T4): DCS and training go again,
// three times in all, at the same rate.
TEST(Class1Script, MissedCfrRepeatsDcsAndTrainingThreeTimes) {
    struct Case {
        const char* name;
        std::function<QByteArray(int)> afterTraining;
        int expected;
        size_t dcs;
    };
    const Case cases[] = {
        {"no carrier, then silence, then CFR",
         [](int n) {
             return n == 1   ? Lines("NO CARRIER")
                    : n == 2 ? QByteArray()
                             : Delivered(fcfCfr, {}, true);
         },
         0, 3},
        {"never an answer", [](int) { return Lines("NO CARRIER"); }, ecFaxTrainFail, 3},
        {"only silence", [](int) { return QByteArray(); }, ecFaxTrainFail, 3},
    };
    for (const Case& c : cases) {
        ScriptRun run;
        run.modem.afterTraining = c.afterTraining;
        RunScript(run, 9600, "X");
        EXPECT_EQ(run.result, c.expected)
            << c.name << ": " << TFxAbstractFax::CodeText(run.result).toStdString();
        const auto dcs = FramesOf(run.modem, fcfDcs);
        ASSERT_EQ(dcs.size(), c.dcs) << c.name;
        for (const QByteArray& fif : dcs) EXPECT_EQ(ParseDcs(fif).rateIndex, 4) << c.name;
        int trainings = 0;
        for (const Transmission& t : run.modem.sent) trainings += t.training;
        EXPECT_EQ(trainings, int(c.dcs)) << c.name;
    }
}

// A remote whose DIS offers the 303 mm width takes a 2048-dot page: the DCS asks for it.
TEST(Class1Script, WidePageGoesToEveryWideRemote) {
    struct Case {
        int widthBits;
        int expected;
    };
    for (const Case& c : {Case{0x01, 0}, Case{0x02, 0}, Case{0x00, ecFaxIncompatible}}) {
        ScriptRun run;
        run.wide = true;
        run.modem.disWidthBits = c.widthBits;
        RunScript(run, 9600, "X");
        EXPECT_EQ(run.result, c.expected) << c.widthBits;
        if (c.expected != 0) continue;
        const auto dcs = FramesOf(run.modem, fcfDcs);
        ASSERT_EQ(dcs.size(), 1u);
        EXPECT_TRUE(ParseDcs(dcs[0]).wide);
    }
}

TEST(Class1Script, EachFttStepsDownToTheNextRateBothCanDo) {
    ScriptRun run;
    run.modem.disRateBits = 0x0C;  // V.27ter and V.29
    run.modem.afterTraining = [](int n) {
        return n < 3 ? Delivered(fcfFtt, {}, true) : Delivered(fcfCfr, {}, true);
    };
    RunScript(run, 14400, "X");
    EXPECT_EQ(run.result, 0) << TFxAbstractFax::CodeText(run.result).toStdString();
    std::vector<int> rates;
    for (const QByteArray& fif : FramesOf(run.modem, fcfDcs))
        rates.push_back(RateByIndex(ParseDcs(fif).rateIndex).bps);
    EXPECT_EQ(rates, (std::vector<int>{9600, 7200, 4800}));
    std::vector<QString> modulations;
    for (const Transmission& t : run.modem.sent)
        if (t.command.startsWith("AT+FTM=")) modulations.push_back(t.command.mid(7));
    EXPECT_EQ(modulations, (std::vector<QString>{"96", "72", "48", "48"}));
}

TEST(Class1Script, FiveUnansweredPostPageCommandsEndWithFatalTimeout) {
    // The carrier stays: a remote that does not answer, not a line that dropped.
    ScriptRun run;
    run.modem.afterPage = [](int) { return QByteArray(); };
    RunScript(run, 9600, "X");
    EXPECT_EQ(run.result, ecFatalTimeout);
    EXPECT_EQ(FramesOf(run.modem, fcfEop).size(), 5u);
    EXPECT_EQ(run.modem.postPageListens, 5);
}

// EOL ends (the one bit after eleven zeros or more), first bit lowest, in bit positions.
std::vector<int> EolEnds(const QByteArray& data) {
    std::vector<int> ends;
    int zeros = 0;
    for (int i = 0; i < data.size() * 8; ++i) {
        if ((uchar(data[i / 8]) >> (i % 8)) & 1) {
            if (zeros >= 11) ends.push_back(i);
            zeros = 0;
        } else {
            ++zeros;
        }
    }
    return ends;
}

TEST(Class1Script, EveryScanLineLastsTheRemotesMinimumScanTime) {
    ScriptRun run;
    run.modem.disRateBits = 0x0C;
    run.modem.disScanBits = 0x00;  // 20 ms per line
    RunScript(run, 9600, "X");
    EXPECT_EQ(run.result, 0) << TFxAbstractFax::CodeText(run.result).toStdString();
    const auto dcs = FramesOf(run.modem, fcfDcs);
    ASSERT_EQ(dcs.size(), 1u);
    EXPECT_EQ(ScanCodeFromBits(uchar(dcs[0][2])), 5);
    const Transmission* page = nullptr;
    for (const Transmission& t : run.modem.sent)
        if (t.command == "AT+FTM=96" && !t.training) page = &t;
    ASSERT_NE(page, nullptr);
    const std::vector<int> ends = EolEnds(page->data);
    ASSERT_GT(ends.size(), 300u);
    // 20 ms at 9600 bit/s: 24 bytes from one EOL to the next (the EOLs of the end-of-page
    // record aside).
    int shortest = 1 << 30;
    for (size_t i = 1; i + 6 < ends.size(); ++i)
        shortest = std::min(shortest, ends[i] - ends[i - 1]);
    EXPECT_GE(shortest, 24 * 8);
}

}  // namespace
}  // namespace corvane::testing
