// Starts the real program on the offscreen platform.

#include <gtest/gtest.h>

#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

namespace {

class StartedCorvane {
  public:
    explicit StartedCorvane(const QString& home) {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("CORVANE_HOME", home);
        env.insert("QT_QPA_PLATFORM", "offscreen");
        process.setProcessEnvironment(env);
        process.start(CORVANE_EXE, {});
    }
    ~StartedCorvane() {
        if (process.state() != QProcess::NotRunning) {
            process.terminate();
            process.waitForFinished(5000);
        }
    }
    QProcess process;
};

bool waitForFile(const QString& path, int ms) {
    QElapsedTimer t;
    t.start();
    while (!QFile::exists(path) && t.elapsed() < ms) QThread::msleep(20);
    return QFile::exists(path);
}

TEST(Startup, FirstStartCreatesFoldersAndASecondStartHandsOverQuickly) {
    QTemporaryDir home;
    StartedCorvane first(home.path());
    ASSERT_TRUE(first.process.waitForStarted(5000));
    ASSERT_TRUE(waitForFile(home.path() + "/Receive", 10000));
    EXPECT_TRUE(QDir(home.path() + "/SEND").exists());
    for (const char* table : {"QXOUT.DBF", "QXOUT.CDX", "QXREC.DBF", "QXREC.CDX"})
        EXPECT_TRUE(QFile::exists(home.path() + "/" + table)) << table;
    EXPECT_FALSE(QFile::exists(home.path() + "/QXPB.DBF"));  // made when the phone book is used

    QProcess second;
    QProcessEnvironment env = first.process.processEnvironment();
    second.setProcessEnvironment(env);
    QElapsedTimer t;
    t.start();
    second.start(CORVANE_EXE, {});
    ASSERT_TRUE(second.waitForFinished(5000));
    EXPECT_EQ(second.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(second.exitCode(), 0);
    EXPECT_LT(t.elapsed(), 2000);
    EXPECT_EQ(first.process.state(), QProcess::Running);

    // Stopping it the ordinary way saves the settings.
    first.process.terminate();
    ASSERT_TRUE(first.process.waitForFinished(5000));
    EXPECT_EQ(first.process.exitCode(), 0);
    EXPECT_TRUE(QFile::exists(home.path() + "/QX.INI"));
}

}  // namespace
