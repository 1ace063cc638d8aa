#pragma once
// Modems for the setup checks: faxline modems (tools/faxline) on pseudo-terminals, a private
// lock folder, and a data folder whose QX.INI places them on numbered ports and named devices.
// Every port not given a device maps to a path that does not exist, so that a search does not
// wander onto the machine's own serial ports.

#include <gtest/gtest.h>

#include <QFile>
#include <QMap>
#include <QTemporaryDir>
#include <memory>
#include <vector>

#include "faxline_harness.h"
#include "fixtures/temp_home.h"

namespace corvane::testing {

using faxline::testing::FaxlineRun;
using faxline::testing::ScratchFolder;

class ModemLineFixture : public ::testing::Test {
  protected:
    ModemLineFixture() { qputenv("CORVANE_LOCK_DIR", QFile::encodeName(lockDir_.path())); }
    ~ModemLineFixture() override { qunsetenv("CORVANE_LOCK_DIR"); }

    // Starts a faxline modem with `args` (e.g. {"--class", "2", "--classes", "0,2.0"}); returns
    // the path of its port, empty when it did not start.
    QString startModem(const std::string& name, std::vector<std::string> args) {
        const std::string path = scratch_ / name;
        std::vector<std::string> all{"--modem", path,     "--remote",
                                     "receive", "--file", scratch_ / (name + "-in.tif")};
        all.insert(all.end(), args.begin(), args.end());
        modems_.push_back(std::make_unique<FaxlineRun>(scratch_, all));
        if (!modems_.back()->WaitReady()) return {};
        return QString::fromStdString(path);
    }

    // Writes QX.INI: `ports` maps COM numbers to device paths, `named` gives the [Telephony]
    // devices as name|path; `extra` is appended as it is.
    void writeSettings(const QMap<int, QString>& ports, const QStringList& named = {},
                       const QString& extra = {}) {
        QString ini = "[Ports]\r\n";
        for (int n = 1; n <= 8; ++n)
            ini += QStringLiteral("COM%1=%2\r\n")
                       .arg(n)
                       .arg(ports.value(n, QStringLiteral("/nonexistent/ttyCorvane%1").arg(n)));
        ini += "[Telephony]\r\n";
        for (int i = 0; i < named.size(); ++i)
            ini += QStringLiteral("Device%1=%2\r\n").arg(i + 1).arg(named[i]);
        home_.write("QX.INI", (ini + extra).toUtf8());
    }

    QString lockDir() const { return lockDir_.path(); }

    QTemporaryDir lockDir_;
    TempHome home_;
    ScratchFolder scratch_;
    std::vector<std::unique_ptr<FaxlineRun>> modems_;
};

}  // namespace corvane::testing
