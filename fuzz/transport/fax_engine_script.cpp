#include "fax_engine_script.h"

#include <QCoreApplication>
#include <memory>
#include <vector>

#include "core/fax_errors.h"
#include "faxdoc/apf_writer.h"
#include "faxdoc/t4_encoder.h"
#include "transport/receive_fax.h"
#include "transport/send_fax.h"
#include "transport/simulated_fax_line.h"
#include "transport/t30_frames.h"

namespace corvane {

namespace {

// Replies a Class 2 / 2.0 modem gives, right and wrong ones mixed.
const char* const kReplies[] = {
    "OK",
    "ERROR",
    "CONNECT",
    "+FCON",
    "+FCO",
    "+FCSI:\"REMOTE\"",
    "+FCI:\"REMOTE 2\"",
    "+FDIS:1,5,0,2,0,0,0,0",
    "+FIS:0,3,0,2,0,0,0,0",
    "+FDIS:0,3,1,2,0,0,0,0",
    "+FDCS:1,5,0,2,0,0,0,0",
    "+FCS:0,3,1,2,0,0,0,0",
    "+FTSI:\"SENDER\"",
    "+FTI:\"SENDER 2\"",
    "+FPTS:1",
    "+FPTS:2",
    "+FPTS:3",
    "+FPTS:4",
    "+FPTS:9",
    "+FPS:1,0,0,0,0",
    "+FPS:2,0,0,0,0",
    "+FET:0",
    "+FET:1",
    "+FET:2",
    "+FET:7",
    "+FHNG:0",
    "+FHNG:50",
    "+FHS:00",
    "+FHS:A0",
    "+FHS:ZZ",
    "BUSY",
    "NO CARRIER",
    "NO DIALTONE",
    "NO ANSWER",
    "VOICE",
    "RING",
    "\x11",
    "+FCFR",
    "CONNECT 14400",
    "+F",
    ":",
    "\"",
    "+FCERROR",
    "24,48,72,96,121,145",
};
constexpr int kReplyCount = sizeof kReplies / sizeof kReplies[0];

// Control fields a Class 1 modem may hand over, known and unknown.
const std::uint8_t kFcfs[] = {fcfCsi, fcfTsi, fcfFtt, fcfRtn, fcfMps, fcfDis,
                              fcfDcs, fcfCfr, fcfMcf, fcfRtp, fcfEom, fcfEop,
                              fcfDcn, 0x20,   0x00,   0xFF,   0x10,   0x8D};
constexpr int kFcfCount = sizeof kFcfs / sizeof kFcfs[0];
constexpr int kMaxDeliveriesPerStep = 2000;
constexpr int kSettleRounds = 5000;

class Script {
  public:
    Script(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
    bool more() const { return pos_ < size_; }
    std::uint8_t next() { return pos_ < size_ ? data_[pos_++] : 0; }

  private:
    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t pos_ = 0;
};

QString WriteSendFile(const QString& dir) {
    const QString path = dir + "/script-send.apf";
    ApfWriter w;
    w.CreateApfFile(path);
    std::vector<uchar> row(216, 0);
    for (int page = 0; page < 2; ++page) {
        w.StartPage(page == 0 ? kApfHighRes : 0);
        for (int y = 0; y < 20; ++y) {
            row[(y * 7) % 216] = uchar(0xF0 >> (y % 4));
            row[(y * 13) % 216] = 0x10;  // DLE bytes in the coded data now and then
            w.WriteLineRecord(CompressRasterLine(row.data(), 1728, 0));
        }
        w.FinishPage();
    }
    w.CloseApfFile("SCRIPT");
    return path;
}

// A T.30 frame as a Class 1 modem delivers it, then its result: sometimes truncated, with a
// FIF of any length, with a check sum the modem found bad (ERROR), or of an unknown kind.
QByteArray RandomFrame(Script& script) {
    const std::uint8_t fcf = kFcfs[script.next() % kFcfCount];
    const std::uint8_t flags = script.next();
    QByteArray fif;
    const int length = script.next() % 24;
    for (int i = 0; i < length; ++i) fif.append(char(script.next()));
    QByteArray frame = BuildFrame(std::uint8_t(fcf | (flags & 1)), fif, flags & 2);
    if (flags & 4) frame.truncate(script.next() % frame.size());
    return frame + (flags & 8 ? "\r\nERROR\r\n" : "\r\nOK\r\n");
}

void Settle(SimulatedFaxLine& line) {
    for (int i = 0; i < kMaxDeliveriesPerStep; ++i) {
        QCoreApplication::processEvents();
        line.drain(4096);
        if (!line.deliverNext()) {
            QCoreApplication::processEvents();
            if (!line.deliverNext()) return;
        }
    }
}

}  // namespace

FaxScriptOutcome RunFaxEngineScript(const std::uint8_t* data, std::size_t size,
                                    const QString& workDir) {
    FaxScriptOutcome outcome;
    Script script(data, size);
    const std::uint8_t mode = script.next();
    const bool sending = (mode & 1) == 0;
    const FaxClassKind classes[] = {FaxClassKind::Class2, FaxClassKind::Class20,
                                    FaxClassKind::Class1};
    const FaxClassKind kind = classes[(mode >> 1) % 3];

    auto owned = std::make_unique<SimulatedFaxLine>();
    SimulatedFaxLine& line = *owned;
    // Blocking commands of the set-up: mostly OK, sometimes not.
    line.onWaitForInput = [&] {
        const std::uint8_t b = script.next();
        if (b % 5 == 4) line.pushInput("\r\n24,48,72,73,74,96,97,98,121,122,145,146\r\n");
        line.pushInput(b % 7 == 6 ? "\r\nERROR\r\n" : "\r\nOK\r\n");
    };
    std::unique_ptr<TFxAbstractFax> fax;
    if (sending) {
        auto send = std::make_unique<TFxSendFax>();
        send->FaxFileList = {WriteSendFile(workDir)};
        send->PhoneNumber = "5550100";
        send->DialAttempts = 2;
        send->DialRetryWait = 1;
        send->HeaderLine = "SCRIPT $P/$N";
        fax = std::move(send);
    } else {
        auto receive = std::make_unique<TFxReceiveFax>();
        receive->DestinationDir = workDir;
        receive->OneFax = true;
        receive->ExitOnError = true;
        fax = std::move(receive);
    }
    fax->FaxClass = kind;
    fax->SetLine(std::move(owned));
    fax->OnFaxFinish = [&](int code) {
        outcome.finished = true;
        outcome.result = code;
    };
    try {
        if (sending)
            static_cast<TFxSendFax&>(*fax).BeginTransmit();
        else
            static_cast<TFxReceiveFax&>(*fax).BeginReceive();
    } catch (const EFaxError& e) {
        outcome.result = e.code();
        return outcome;
    }
    outcome.started = true;
    line.onWaitForInput = nullptr;

    while (script.more() && !outcome.finished) {
        const std::uint8_t op = script.next();
        const int kind = op % 18;
        if (kind <= 8) {
            // The common answer, so that calls get past the set-up to the pages.
            line.pushInput("\r\nOK\r\n");
        } else if (kind <= 11) {
            line.pushInput(QByteArray("\r\n") + kReplies[script.next() % kReplyCount] + "\r\n");
        } else if (kind == 12) {
            const int n = script.next();
            QByteArray bytes;
            for (int i = 0; i < n && script.more(); ++i) bytes.append(char(script.next()));
            line.pushInput(bytes);
        } else if (kind == 13) {
            line.advance(std::int64_t(script.next()) * 100);
        } else if (kind == 14) {
            line.drain(1 << 20);
        } else if (kind == 15) {
            line.pushInput(QByteArray("\x10\x03", 2));
        } else {
            // Class 1: CONNECT and a frame (other classes take it as noise).
            line.pushInput(QByteArray("\r\nCONNECT\r\n") + RandomFrame(script));
        }
        Settle(line);
    }
    // The modem falls silent: the machine's timers must end the call.
    for (int i = 0; i < kSettleRounds && !outcome.finished; ++i) {
        const std::int64_t wait = line.msToNextTimer();
        if (wait < 0) break;
        line.advance(wait);
        Settle(line);
    }
    // A machine that waits without a timer (for a ring) ends on a cancel.
    if (!outcome.finished) {
        fax->AbortFax();
        Settle(line);
        for (int i = 0; i < 100 && !outcome.finished; ++i) {
            line.advance(1000);
            Settle(line);
        }
    }
    if (sending) {
        outcome.endedInFinalState = static_cast<TFxSendFax&>(*fax).State() == tfDone;
    } else {
        outcome.endedInFinalState = static_cast<TFxReceiveFax&>(*fax).State() == rfDone;
    }
    return outcome;
}

}  // namespace corvane
