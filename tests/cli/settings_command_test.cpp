#include <gtest/gtest.h>

#include <QProcess>
#include <QTemporaryDir>

namespace {

QString runCli(const QString& home, const QStringList& args, int* exitCode = nullptr) {
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("CORVANE_HOME", home);
    p.setProcessEnvironment(env);
    p.start(CORVANE_CLI, args);
    p.waitForFinished(10000);
    if (exitCode) *exitCode = p.exitCode();
    return QString::fromUtf8(p.readAllStandardOutput());
}

TEST(CliSettings, EmptyFolderShowsAnUnconfiguredPortAndSaveWritesMinusOne) {
    QTemporaryDir home;
    const QString shown = runCli(home.path(), {"settings", "show"});
    EXPECT_TRUE(shown.contains("[Modem] ComPort=0\n"));
    EXPECT_TRUE(shown.contains("PortUnconfigured=1\n"));
    EXPECT_TRUE(shown.contains("[Other] LastUsedCoversheetTemplate=qx0001.fct\n"));

    int code = -1;
    runCli(home.path(), {"settings", "save"}, &code);
    EXPECT_EQ(code, 0);
    QFile ini(home.path() + "/QX.INI");
    ASSERT_TRUE(ini.open(QIODevice::ReadOnly));
    const QByteArray text = ini.readAll();
    EXPECT_TRUE(text.contains("\nComPort=-1\n"));
    EXPECT_TRUE(text.contains("[Version]\nVersion=3.07\n"));
}

TEST(CliSettings, UsageErrorsAreReported) {
    QTemporaryDir home;
    int code = 0;
    runCli(home.path(), {"settings", "frobnicate"}, &code);
    EXPECT_EQ(code, 2);
    runCli(home.path(), {"nonsense"}, &code);
    EXPECT_EQ(code, 2);
    const QString version = runCli(home.path(), {"--version"}, &code);
    EXPECT_EQ(code, 0);
    EXPECT_EQ(version, "corvane-cli 3.07\n");
}

}  // namespace
