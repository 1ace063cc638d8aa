#pragma once
// A data folder whose QX.INI maps COM1 to a fresh pseudo-terminal and COM2 to a path that
// does not exist, with telephony devices for both; a private folder for lock files; and a port
// set up as the program sets it.

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include "fixtures/temp_home.h"
#include "pty_modem.h"
#include "transport/fx_port.h"
#include "transport/port_operations.h"

namespace corvane::testing {

inline constexpr char kMissingDevice[] = "/nonexistent/ttyCorvane0";
inline constexpr char kTestModemName[] = "usb-Test_Fax_Modem-if00";
inline constexpr char kMissingModemName[] = "Missing Modem";

class PortFixture : public ::testing::Test {
  protected:
    PortFixture() {
        // Lock files of the ports under test go to a private folder, away from the system's.
        qputenv("CORVANE_LOCK_DIR", QFile::encodeName(lockDir_.path()));
        home_.write("QX.INI",
                    QStringLiteral("[Ports]\r\nCOM1=%1\r\nCOM2=%2\r\n"
                                   "[Telephony]\r\nDevice1=%3|%1\r\nDevice2=%4|%2\r\n")
                        .arg(line_.slavePath(), kMissingDevice, kTestModemName, kMissingModemName)
                        .toUtf8());
        ApplyProgramPortSettings(port_, PortUse::Setup, false);
        port_.SetComNumber(1);
    }

    ~PortFixture() override { qunsetenv("CORVANE_LOCK_DIR"); }

    void openPort() {
        port_.SetOpen(true);
        ASSERT_TRUE(port_.Open());
    }

    QTemporaryDir lockDir_;
    TempHome home_;
    PtyPair line_;
    TFxComPort port_;
};

}  // namespace corvane::testing
