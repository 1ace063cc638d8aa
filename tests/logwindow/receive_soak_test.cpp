// The receive soak: the main window (offscreen) in receive mode answers call after call from
// the simulated line, with faults mixed in, and then the logs and files are checked against
// what the line says happened and what each kind of call must end in (a refused page sent
// again, no fax from a person or a data modem). CORVANE_SOAK_CALLS sets the number of calls
// (10 by default; scripts/soak-receive.sh runs 200). The line's faults are set per run of
// faxline, so receive mode is switched off and on between runs, as a user would between
// batches.

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPushButton>
#include <QRegularExpression>
#include <cstdio>
#include <map>

#include "core/app_folders.h"
#include "core/settings.h"
#include "logwindow/main_screen.h"
#include "receive_fixture.h"

namespace corvane::testing {
namespace {

// What a batch's calls must end in, beyond the checks every call gets.
enum class Expect {
    Any,        // complete, salvaged or absent: the general checks judge it
    Refused,    // a page refused with RTN, sent again, and the fax complete
    NothingIn,  // not a fax call: no file, no record, the line's status failed
};

struct Batch {
    const char* name;
    int classSetting;       // FaxClassReceive: 1 Class 1, 2 Class 2, 3 Class 2.0
    const char* lineClass;  // faxline --class
    bool fine;
    std::vector<std::string> fault;
    Expect expect = Expect::Any;
};

// A short run places one call of each of the first ten kinds.
const std::vector<Batch> kBatches = {
    {"clean Class 2 fine", 2, "2", true, {}},
    {"clean Class 1 V.29 standard", 1, "1", false, {"--rates", "v29"}},
    {"drop mid-page", 2, "2", true, {"--drop-after-ms", "1500"}},
    {"RTN on page 1, Class 1", 1, "1", true, {"--rtn-page", "1"}, Expect::Refused},
    {"remote hangs up on DIS", 2, "2", false, {"--dcn-after", "dis"}},
    {"voice caller, Class 2", 2, "2", false, {"--caller", "voice"}, Expect::NothingIn},
    {"drop after page 1", 1, "1", true, {"--drop-after-page", "1"}},
    {"data modem calling, Class 1", 1, "1", false, {"--caller", "data"}, Expect::NothingIn},
    {"loud noise", 2, "2", false, {"--noise", "-10"}},
    {"clean Class 1 V.17 fine", 1, "1", true, {"--rates", "v17"}},
    {"clean Class 2.0 V.27ter standard", 3, "2", false, {"--rates", "v27ter"}},
    {"RTN on page 2, Class 2", 2, "2", false, {"--rtn-page", "2"}, Expect::Refused},
};
constexpr int kMaxCallsPerRun = 5;
constexpr int kPagesPerCall = 2;

long ProcessValue(const char* key) {
    QFile f("/proc/self/status");
    if (!f.open(QIODevice::ReadOnly)) return -1;
    for (const QByteArray& line : f.readAll().split('\n'))
        if (line.startsWith(key))
            return line.mid(int(strlen(key))).trimmed().split(' ')[0].toLong();
    return -1;
}
int OpenFds() {
    return int(QDir("/proc/self/fd").entryList(QDir::NoDotAndDotDot | QDir::AllEntries).size());
}
// What the open descriptors are (file, pipe, socket...), to name the ones that were left open.
QStringList OpenFdTargets() {
    QStringList targets;
    const QDir fds("/proc/self/fd");
    for (const QString& fd : fds.entryList(QDir::NoDotAndDotDot | QDir::AllEntries))
        targets << QFileInfo(fds.filePath(fd)).symLinkTarget();
    targets.removeAll(QString());
    targets.sort();
    return targets;
}

// The status of each call the line has finished: a FAXLINE-CALL line for every call but the
// last of a run, whose result the summary line carries.
QStringList CallStatuses(const faxline::testing::FaxlineRun& line) {
    QStringList statuses;
    static const QRegularExpression call("^FAXLINE-CALL \\d+ .*status=(\\w+)",
                                         QRegularExpression::MultilineOption);
    static const QRegularExpression summary("^FAXLINE-SUMMARY status=(\\w+).* calls=(\\d+)",
                                            QRegularExpression::MultilineOption);
    const QString output = QString::fromStdString(line.Output());
    auto it = call.globalMatch(output);
    while (it.hasNext()) statuses << it.next().captured(1);
    const auto end = summary.match(output);
    if (end.hasMatch() && end.captured(2).toInt() > statuses.size()) statuses << end.captured(1);
    return statuses;
}

// The RTNs the line counted over a run (its summary adds up the calls).
int RunRtns(const faxline::testing::FaxlineRun& line) {
    static const QRegularExpression rtn("^FAXLINE-SUMMARY .* rtn=(\\d+)",
                                        QRegularExpression::MultilineOption);
    const auto m = rtn.match(QString::fromStdString(line.Output()));
    return m.hasMatch() ? m.captured(1).toInt() : 0;
}

void Report(const char* check, bool ok, const QString& figures) {
    std::printf("SOAK %-52s %s %s\n", check, ok ? "PASS" : "FAIL", figures.toUtf8().constData());
    std::fflush(stdout);
    EXPECT_TRUE(ok) << check << " " << figures.toStdString();
}

TEST(ReceiveSoak, CallsWithFaultsLeaveConsistentLogsAndFiles) {
    const int calls = qEnvironmentVariableIntValue("CORVANE_SOAK_CALLS") > 0
                          ? qEnvironmentVariableIntValue("CORVANE_SOAK_CALLS")
                          : 10;
    ReceiveSessionFixture f(2);
    f.session.reset();
    TMainScreen window;
    window.SetDataModule(f.fdm.get());
    window.SetReceiveErrorAutoCloseMs(100);
    window.show();
    QEvent activate(QEvent::WindowActivate);
    QCoreApplication::sendEvent(&window, &activate);
    ReceiveSession* session = window.receiveSession();
    std::map<bool, std::vector<TestPage>> pages;
    for (bool fine : {false, true}) {
        for (int p = 0; p < kPagesPerCall; ++p)
            pages[fine].push_back(PatternPage(35 + p, fine, 300));
        WriteTiff(f.file(fine ? "fine.tif" : "standard.tif"), pages[fine]);
    }

    int placed = 0, completed = 0, sampleCalls = 0, run = 0;
    long rssSample = -1;
    int fdSample = -1;
    QStringList fdTargetsSample;
    std::map<QString, bool> fineOfFile;  // completed calls: file -> resolution sent
    int expectedRuns = 0;
    QStringList unmet;  // runs whose kind of call did not end as it must
    auto runBatch = [&](const Batch& b, int n) {
        const int recordsBefore = int(IncomingRecords(*f.fdm).size());
        const int storedAtStart = session->faxesStored();
        GlobalSettings().FaxClassReceive = b.classSetting;
        std::vector<std::string> args{"--class",   b.lineClass,
                                      "--remote",  "send",
                                      "--file",    f.file(b.fine ? "fine.tif" : "standard.tif"),
                                      "--calls",   std::to_string(n),
                                      "--timeout", "900"};
        args.insert(args.end(), b.fault.begin(), b.fault.end());
        if (!f.startLine(args)) {
            ADD_FAILURE() << "faxline not ready for " << b.name;
            return;
        }
        window.receiveButton()->click();
        EXPECT_TRUE(session->InReceiveMode()) << b.name;
        // Every call placed, and receive mode back to waiting after the last.
        const bool done = RunUntil(
            [&] {
                return CallStatuses(*f.line).size() == n &&
                       (session->receiveLog().lines().last().endsWith("Waiting for call ") ||
                        !session->InReceiveMode());
            },
            n * 180000);
        EXPECT_TRUE(done) << b.name << ": " << f.line->Output()
                          << session->receiveLog().lines().mid(-30).join('\n').toStdString();
        const QStringList statuses = CallStatuses(*f.line);
        if (session->InReceiveMode()) window.receiveButton()->click();
        f.line->Wait(30000);
        const int ok = int(statuses.count("ok"));
        placed += n;
        completed += ok;
        // The files this run added came with its resolution.
        const QStringList names = QDir(ReceiveFolder()).entryList(QDir::Files, QDir::Name);
        int added = 0;
        for (const QString& name : names)
            if (!fineOfFile.count(name)) {
                fineOfFile[name] = b.fine;
                ++added;
            }
        const int recordsAdded = int(IncomingRecords(*f.fdm).size()) - recordsBefore;
        const int rtns = RunRtns(*f.line);
        std::printf("SOAK run %d: %-36s calls %d ok %d files %d records %d rtn %d\n", ++run, b.name,
                    n, ok, added, recordsAdded, rtns);
        std::fflush(stdout);
        bool met = true;
        switch (b.expect) {
            case Expect::Any:
                return;
            case Expect::Refused:
                // Every call had a page refused and still ended complete (its pages are
                // compared with the sender's below, with every other complete fax).
                met = ok == n && rtns >= n;
                break;
            case Expect::NothingIn:
                met = statuses.count("failed") == n && added == 0 && recordsAdded == 0 &&
                      session->faxesStored() == storedAtStart;
                break;
        }
        ++expectedRuns;
        if (!met) unmet << QStringLiteral("run %1 (%2)").arg(run).arg(b.name);
    };

    // One call of each kind in turn in a short run, more per kind in a long one.
    const int perRun = std::clamp(calls / int(kBatches.size()), 1, kMaxCallsPerRun);
    auto settle = [] { RunUntil([] { return false; }, 500); };
    for (size_t i = 0; placed < calls; ++i) {
        const Batch& b = kBatches[i % kBatches.size()];
        runBatch(b, std::min(perRun, calls - placed));
        if (rssSample < 0 && placed >= std::min(10, std::max(1, calls / 2))) {
            settle();
            sampleCalls = placed;
            rssSample = ProcessValue("VmRSS:");
            fdSample = OpenFds();
            fdTargetsSample = OpenFdTargets();
        }
    }
    settle();
    const long rssEnd = ProcessValue("VmRSS:");
    const int fdEnd = OpenFds();
    QStringList fdsLeftOpen = OpenFdTargets();
    for (const QString& target : fdTargetsSample) fdsLeftOpen.removeOne(target);
    // Still answering: one more clean call at the end.
    const int storedBefore = session->faxesStored();
    runBatch(kBatches[0], 1);
    const bool answers = session->faxesStored() == storedBefore + 1;

    // What the logs and the folder hold.
    const auto records = IncomingRecords(*f.fdm);
    const QStringList files = QDir(ReceiveFolder()).entryList(QDir::Files, QDir::Name);
    QStringList recordFiles;
    int clean = 0, cleanGood = 0, salvaged = 0, salvagedGood = 0;
    for (const IncomingRecord& r : records) {
        recordFiles << r.faxFile;
        const auto decoded = DecodeApf((ReceiveFolder() + r.faxFile).toStdString());
        if (r.notes.isEmpty()) {
            ++clean;
            const auto& sent = pages[fineOfFile[r.faxFile]];
            bool same = int(decoded.size()) == kPagesPerCall && r.pages == kPagesPerCall;
            for (size_t p = 0; same && p < decoded.size(); ++p)
                same = RowDifferences(decoded[p], sent[p].bitmap) == 0;
            cleanGood += same;
        } else {
            ++salvaged;
            salvagedGood +=
                int(decoded.size()) == r.pages && r.pages > 0 &&
                r.notes == QStringLiteral("%1 pages received, but possible errors").arg(r.pages);
        }
    }
    recordFiles.sort();
    // Judged by what arrived. A line that drops after the last page's data is a broken call
    // to the sender, which never heard the confirmation, but the receiver holds the whole
    // fax, confirmed it, and rightly records it complete. So every call the line completed
    // needs a clean record, and a clean record beyond those must hold every page exactly as
    // sent; it then stands for one of the broken calls.
    const int completeThoughBroken = clean - completed;
    Report("every completed call is logged with its pages",
           completeThoughBroken >= 0 && completeThoughBroken <= placed - completed &&
               cleanGood == clean,
           QStringLiteral("completed %1 (with the final call), clean records %2, matching the "
                          "sender %3, complete at the receiver though the line broke %4")
               .arg(completed)
               .arg(clean)
               .arg(cleanGood)
               .arg(completeThoughBroken));
    Report("RTN, voice and data calls end as expected", unmet.isEmpty(),
           QStringLiteral("runs checked %1%2")
               .arg(expectedRuns)
               .arg(unmet.isEmpty() ? QString() : ", not as expected: " + unmet.join(", ")));
    Report("every broken call is salvaged or absent", salvagedGood == salvaged,
           QStringLiteral("broken %1, salvaged records %2, decodable as recorded %3")
               .arg(placed - completed)
               .arg(salvaged)
               .arg(salvagedGood));
    Report("no file without a record, no record without a file", files == recordFiles,
           QStringLiteral("files %1, records %2").arg(files.size()).arg(recordFiles.size()));
    Report("still answering at the end", answers, QString());
    Report("resident memory at the end within 10% of the sample",
           rssSample > 0 && rssEnd <= rssSample * 11 / 10,
           QStringLiteral("%1 kB at call %2, %3 kB at call %4")
               .arg(rssSample)
               .arg(sampleCalls)
               .arg(rssEnd)
               .arg(placed));
    Report("open file descriptors unchanged", fdSample > 0 && fdEnd <= fdSample,
           QStringLiteral("%1 at call %2, %3 at call %4%5")
               .arg(fdSample)
               .arg(sampleCalls)
               .arg(fdEnd)
               .arg(placed)
               .arg(fdsLeftOpen.isEmpty() ? QString() : "; new: " + fdsLeftOpen.join(", ")));
}

}  // namespace
}  // namespace corvane::testing
