// Usage of both programs as a shell user meets it: --help answers on standard output with
// status 0, a mistake is named on standard error with status 2.

#include <gtest/gtest.h>

#include <QProcess>
#include <QTemporaryDir>

#include "fixtures/program_run.h"

namespace {

using corvane::testing::ProgramRun;

ProgramRun RunProgram(const QString& program, const QStringList& args) {
    QTemporaryDir home;
    return corvane::testing::RunProgram(program, args, home.path() + "/", {.timeoutMs = 30000});
}

TEST(Usage, HelpAnswersAndMistakesAreNamed) {
    const struct {
        const char* program;
        QStringList args;
        int status;
        const char* out;  // start of standard output ("" = empty)
        const char* err;  // text standard error contains ("" = empty)
    } rows[] = {
        {CORVANE_CLI, {"--help"}, 0, "usage: corvane-cli --version", ""},
        {CORVANE_CLI, {}, 2, "", "usage: corvane-cli --version"},
        {CORVANE_CLI, {"fax", "--help"}, 0, "usage: corvane-cli fax ", ""},
        {CORVANE_CLI, {"log", "list", "-h"}, 0, "usage: corvane-cli log ", ""},
        {CORVANE_CLI, {"printer", "--help"}, 0, "usage: corvane-cli printer ", ""},
        {CORVANE_CLI, {"--bogus"}, 2, "", "unknown option \"--bogus\""},
        {CORVANE_CLI, {"bogus", "--help"}, 2, "", "unknown command \"bogus\""},
        {CORVANE_CLI, {"apf", "info", "--bogus", "x"}, 2, "", "usage: corvane-cli apf"},
#ifdef CORVANE_GUI
        {CORVANE_GUI, {"--help"}, 0, "Usage: corvane [--view FILE]", ""},
        {CORVANE_GUI, {"--version"}, 0, "corvane ", ""},
        {CORVANE_GUI, {"--bogus"}, 2, "", "unknown option \"--bogus\""},
        {CORVANE_GUI, {"--view"}, 2, "", "--view needs a fax file"},
#endif
    };
    for (const auto& r : rows) {
        const QString what = QString(r.program).section('/', -1) + " " + r.args.join(' ');
        const ProgramRun run = RunProgram(r.program, r.args);
        EXPECT_EQ(run.exitCode, r.status) << what.toStdString();
        if (*r.out) {
            EXPECT_TRUE(run.out.startsWith(r.out))
                << what.toStdString() << ": " << run.out.toStdString();
        } else {
            EXPECT_TRUE(run.out.isEmpty()) << what.toStdString() << ": " << run.out.toStdString();
        }
        if (*r.err) {
            EXPECT_TRUE(run.err.contains(r.err))
                << what.toStdString() << ": " << run.err.toStdString();
        } else {
            EXPECT_TRUE(run.err.isEmpty()) << what.toStdString() << ": " << run.err.toStdString();
        }
    }
}

}  // namespace
