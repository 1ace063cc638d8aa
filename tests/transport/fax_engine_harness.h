#pragma once
// Runs the fax engines in the test's own event loop against the simulated fax line, and
// builds and reads the pages they move: APF files written from rasters, TIFF files for the
// software fax machine, received APF files decoded back to rows.

#include <QString>
#include <QStringList>
#include <memory>
#include <string>
#include <vector>

#include "faxline_harness.h"
#include "transport/fx_port.h"
#include "transport/receive_fax.h"
#include "transport/send_fax.h"

namespace corvane::testing {

using faxline::testing::Bitmap;
using faxline::testing::FaxlineRun;
using faxline::testing::ScratchFolder;

struct TestPage {
    bool fine = true;
    Bitmap bitmap;  // 1728 wide
};

// A page of `rows` rows with a pattern of its own (bars and blocks placed by `seed`), so that
// pages cannot be mistaken for each other and every row is checked.
TestPage PatternPage(int seed, bool fine, int rows = 400);
// Writes the pages as one APF file (line records, as the converter writes).
void WriteApf(const std::string& path, const std::vector<TestPage>& pages);
// Writes the pages as a TIFF G3 file for the software fax machine.
void WriteTiff(const std::string& path, const std::vector<TestPage>& pages);
// Decodes every page of an APF file into rows; page flags in `fine`.
std::vector<Bitmap> DecodeApf(const std::string& path, std::vector<bool>* fine = nullptr);

// What the far end must hold for a sent page: eight white rows, the header line's rows (the
// fax font, rendered from `headerText`, 50 pixels in) and the page's own rows.
Bitmap ExpectedSentPage(const TestPage& page, const QString& headerText);

// Rows of `a` and `b` that differ, a missing row counting as one; sizes must match to be 0.
int RowDifferences(const Bitmap& a, const Bitmap& b);

// True when the faxline tool offers `option` (the stricter line adds fault options).
bool FaxlineOffers(const std::string& option);

// A port opened on the simulated modem's pseudo-terminal, set up as the program sets it.
std::unique_ptr<TFxComPort> OpenModemPort(const std::string& path, bool receiving);

// Runs the event loop until the engine finishes or `timeoutMs` passes (then it is cancelled
// and given a little more time). Returns the finish code, or 1 when it never finished.
int RunToFinish(TFxAbstractFax& fax, int timeoutMs);

// Everything one engine run reported.
struct EngineTrace {
    std::vector<int> statuses;  // each new status
    std::vector<int> errors;
    std::vector<int> logs;
    QStringList logFiles;  // FaxFile at each log event
    void attach(TFxAbstractFax& fax);
    int count(int status) const;
};

}  // namespace corvane::testing
