// The system information report: each part a person asking for help is asked about, with the
// facts of this machine and data folder in it.

#include <gtest/gtest.h>

#include "core/app_folders.h"
#include "core/settings.h"
#include "fixtures/temp_home.h"
#include "logwindow/system_information.h"

namespace corvane {
namespace {

TEST(SystemInformation, ReportsEachPartWithThisMachinesFacts) {
    testing::TempHome home;
    home.write("QXOUT.DBF", "12345");
    Settings settings;
    settings.PortUnconfigured = false;
    settings.ComPort = 2;
    settings.FaxClass = 3;
    settings.InitString = "ATS7=60";
    const QString report = SystemInformationReport(settings);
    for (const char* expected : {"[System]", "[Libraries]", "[Display and language]", "[Printers]",
                                 "[Modem settings]", "[Data folder]", "Operating system",
                                 "Processor", "Memory", "Qt (run time)", "Language", "Screen 1"})
        EXPECT_TRUE(report.contains(expected)) << expected;
    EXPECT_TRUE(report.contains(QString("Qt (run time)         : ") + qVersion()));
    EXPECT_TRUE(report.contains("COM3 (/dev/ttyACM0)")) << report.toStdString();
    EXPECT_TRUE(report.contains("Class 2.0")) << report.toStdString();
    EXPECT_TRUE(report.contains("ATS7=60"));
    EXPECT_TRUE(report.contains(AppFolder()));
    EXPECT_TRUE(report.contains("QXOUT.DBF") && report.contains("5 bytes")) << report.toStdString();

    settings.PortUnconfigured = true;
    EXPECT_TRUE(
        SystemInformationReport(settings).contains("Port                  : not configured"));
}

}  // namespace
}  // namespace corvane
