// The first start of the real program on an empty data folder puts the shipped cover
// templates into Covers/.

#include <gtest/gtest.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

namespace {

TEST(StartupCovers, FirstStartOnAnEmptyFolderInstallsTheShippedTemplates) {
    QTemporaryDir home;
    QProcess corvane;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("CORVANE_HOME", home.path());
    env.insert("QT_QPA_PLATFORM", "offscreen");
    corvane.setProcessEnvironment(env);
    corvane.start(CORVANE_EXE, {});
    ASSERT_TRUE(corvane.waitForStarted(5000));
    const QString defaultTemplate = home.path() + "/Covers/QX0001.FCT";
    const auto designs = [&] {
        return QDir(home.path() + "/Covers").entryList({"*.FCS"}, QDir::Files);
    };
    // The files arrive one by one while the program starts: wait for all of them.
    QElapsedTimer t;
    t.start();
    while (!(QFile::exists(defaultTemplate) && designs().size() >= 3) && t.elapsed() < 15000)
        QThread::msleep(20);
    corvane.terminate();
    corvane.waitForFinished(5000);
    EXPECT_TRUE(QFile::exists(defaultTemplate));
    EXPECT_GE(designs().size(), 3);
}

}  // namespace
