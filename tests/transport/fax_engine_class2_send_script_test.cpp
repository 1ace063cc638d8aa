// The Class 2.0 send machine against a scripted modem on the simulated clock, for what the
// simulated line does not give: the remote's procedure interrupt (+FPS:4) and a modem that
// holds the page data back with XOFF.

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QTemporaryDir>
#include <algorithm>
#include <functional>
#include <memory>
#include <vector>

#include "core/fax_errors.h"
#include "faxdoc/apf_writer.h"
#include "faxdoc/t4_encoder.h"
#include "transport/send_fax.h"
#include "transport/simulated_fax_line.h"

namespace corvane::testing {
namespace {

constexpr char kDle = 0x10;
constexpr char kXonByte = 0x11;
constexpr char kXoffByte = 0x13;
constexpr int kXoffAfterBytes = 3000;
constexpr int kXoffRounds = 5;

QByteArray Lines(const char* text) {
    return QByteArray("\r\n") + text + "\r\n";
}

class Class20Modem {
  public:
    // The answer after page N (1-based) ended: OK, or ERROR and the page status for AT+FPS?.
    std::function<QByteArray(int page)> afterPage = [](int) { return Lines("OK"); };
    std::function<int(int page)> queriedStatus = [](int) { return 2; };
    bool sendXoff = false;

    std::vector<QString> commands;
    int pages = 0;
    int bytesWhilePaused = 0;
    bool paused = false;
    bool resumed = false;

    QByteArray take(const QByteArray& written) {
        QByteArray out;
        for (char c : written) {
            if (inData_) {
                out += dataByte(c);
                continue;
            }
            if (c != '\r') {
                line_.append(c);
                continue;
            }
            const QString command = QString::fromLatin1(line_).trimmed();
            line_.clear();
            if (!command.isEmpty()) out += answer(command);
        }
        // The pause counts from the next call on: what the engine wrote before it read the
        // XOFF is no fault.
        if (xoffDue_) {
            xoffDue_ = false;
            paused = true;
            pausedRounds_ = 0;
        } else if (paused && ++pausedRounds_ >= kXoffRounds) {
            paused = false;
            resumed = true;
            out.append(kXonByte);
        }
        return out;
    }

  private:
    QByteArray answer(const QString& command) {
        commands.push_back(command);
        if (command.startsWith("ATD"))
            return Lines("+FCO") + Lines("+FCI:\"REMOTE\"") + Lines("+FIS:0,5,0,2,0,0,0,0") +
                   Lines("OK");
        if (command == "AT+FDT") {
            inData_ = true;
            dataBytes_ = 0;
            return Lines("+FCS:0,5,0,2,0,0,0,0") + Lines("CONNECT");
        }
        if (command == "AT+FPS?")
            return Lines(QByteArray("+FPS:" + QByteArray::number(queriedStatus(pages)) + ",0,0,0,0")
                             .constData()) +
                   Lines("OK");
        return Lines("OK");
    }

    QByteArray dataByte(char c) {
        if (paused) ++bytesWhilePaused;
        if (dle_) {
            dle_ = false;
            if (c == '.' || c == ',' || c == ';') {
                inData_ = false;
                return afterPage(++pages);
            }
            ++dataBytes_;
            return {};
        }
        if (c == kDle) {
            dle_ = true;
            return {};
        }
        if (sendXoff && !resumed && !paused && !xoffDue_ && ++dataBytes_ >= kXoffAfterBytes) {
            xoffDue_ = true;
            return QByteArray(1, kXoffByte);
        }
        return {};
    }

    QByteArray line_;
    bool inData_ = false;
    bool dle_ = false;
    int dataBytes_ = 0;
    int pausedRounds_ = 0;
    bool xoffDue_ = false;
};

QString WritePage(const QString& dir) {
    const QString path = dir + "/page.apf";
    ApfWriter w;
    w.CreateApfFile(path);
    std::vector<uchar> row(216, 0);
    w.StartPage(0);
    for (int y = 0; y < 400; ++y) {
        row[(y * 13) % 216] = uchar(0xAA >> (y % 3));
        w.WriteLineRecord(CompressRasterLine(row.data(), 1728, 0));
    }
    w.FinishPage();
    w.CloseApfFile("SCRIPT");
    return path;
}

int RunSend(Class20Modem& modem, bool softwareFlow) {
    QTemporaryDir dir;
    auto owned = std::make_unique<SimulatedFaxLine>();
    SimulatedFaxLine& line = *owned;
    line.setCarrier(true);
    line.onWaitForInput = [&] { line.pushInput(modem.take(line.takeWritten())); };
    TFxSendFax fax;
    fax.FaxClass = FaxClassKind::Class20;
    fax.PhoneNumber = "5550100";
    fax.SoftwareFlow = softwareFlow;
    fax.FaxFileList = {WritePage(dir.path())};
    fax.SetLine(std::move(owned));
    bool finished = false;
    int result = 1;
    fax.OnFaxFinish = [&](int code) {
        finished = true;
        result = code;
    };
    fax.BeginTransmit();
    line.onWaitForInput = nullptr;
    for (int round = 0; round < 200000 && !finished; ++round) {
        QCoreApplication::processEvents();
        line.pushInput(modem.take(line.takeWritten()));
        line.drain(1 << 20);
        if (line.deliverNext()) continue;
        QCoreApplication::processEvents();
        if (finished || line.deliverNext()) continue;
        const std::int64_t wait = line.msToNextTimer();
        if (wait < 0) break;
        line.advance(std::max<std::int64_t>(wait, 1));
    }
    EXPECT_TRUE(finished);
    return result;
}

long Count(const std::vector<QString>& commands, const char* command) {
    return std::count(commands.begin(), commands.end(), QString::fromLatin1(command));
}

// After ERROR the page status decides: RTN sends the page again, PIN/PIP end the call as
// +FPTS:4/5 do in Class 2, never with the page sent again.
TEST(Class20SendScript, PageStatusAfterErrorDecidesBetweenResendAndStop) {
    struct Case {
        int status;
        int expected;
        long fdt;
    };
    for (const Case& c :
         {Case{2, 0, 2}, Case{4, ecCancelRequested, 1}, Case{5, ecCancelRequested, 1}}) {
        Class20Modem modem;
        modem.afterPage = [](int page) { return Lines(page == 1 ? "ERROR" : "OK"); };
        modem.queriedStatus = [&c](int) { return c.status; };
        EXPECT_EQ(RunSend(modem, false), c.expected) << c.status;
        EXPECT_EQ(Count(modem.commands, "AT+FDT"), c.fdt) << c.status;
        EXPECT_EQ(Count(modem.commands, "AT+FPS?"), 1) << c.status;
    }
}

// Under software flow control the engine asks for XON/XOFF, and an XOFF stops the page data
// until the XON.
TEST(Class20SendScript, XoffHoldsThePageDataUntilXon) {
    Class20Modem modem;
    modem.sendXoff = true;
    EXPECT_EQ(RunSend(modem, true), 0);
    EXPECT_TRUE(modem.resumed);
    EXPECT_EQ(modem.bytesWhilePaused, 0);
    EXPECT_EQ(Count(modem.commands, "AT+FLO=1"), 1);
    EXPECT_EQ(Count(modem.commands, "AT+FBO=0"), 1);
}

}  // namespace
}  // namespace corvane::testing
