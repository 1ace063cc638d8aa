#include "fax_engine_harness.h"

#include <gtest/gtest.h>
#include <tiffio.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>
#include <algorithm>
#include <cstdio>

#include "faxdoc/apf_page_data.h"
#include "faxdoc/apf_reader.h"
#include "faxdoc/apf_writer.h"
#include "faxdoc/convert/header_renderer.h"
#include "faxdoc/t4_decoder.h"
#include "faxdoc/t4_encoder.h"
#include "transport/port_operations.h"

namespace corvane::testing {

namespace {

constexpr int kWidth = 1728;
constexpr int kRowBytes = kWidth / 8;
constexpr int kHeaderMargin = 50;

void SetPixel(std::vector<unsigned char>& row, int x) {
    row[x / 8] |= static_cast<unsigned char>(0x80 >> (x % 8));
}

class RowSink : public T4LineSink {
  public:
    explicit RowSink(Bitmap& b) : bitmap_(b) {}
    void acceptLine(const uchar* data, int bytes) override {
        bitmap_.width = bytes * 8;
        bitmap_.rows.emplace_back(data, data + bytes);
    }

  private:
    Bitmap& bitmap_;
};

}  // namespace

TestPage PatternPage(int seed, bool fine, int rows) {
    TestPage page;
    page.fine = fine;
    page.bitmap.width = kWidth;
    unsigned state = 2166136261u ^ unsigned(seed * 16777619);
    auto next = [&] {
        state = state * 1103515245u + 12345u;
        return (state >> 16) & 0x7FFF;
    };
    for (int y = 0; y < rows; ++y) {
        std::vector<unsigned char> row(kRowBytes, 0);
        // A vertical bar whose place tells the page, and short strokes like text.
        for (int x = 100 + seed * 40; x < 110 + seed * 40; ++x) SetPixel(row, x);
        if ((y / 12) % 3 != 2) {
            for (int word = 0; word < 12; ++word) {
                const int start = 200 + int(next() % 1400);
                const int len = 3 + int(next() % 40);
                for (int x = start; x < std::min(kWidth, start + len); ++x) SetPixel(row, x);
            }
        }
        page.bitmap.rows.push_back(std::move(row));
    }
    return page;
}

void WriteApf(const std::string& path, const std::vector<TestPage>& pages) {
    ApfWriter w;
    w.CreateApfFile(QString::fromStdString(path));
    for (const TestPage& page : pages) {
        w.StartPage(page.fine ? kApfHighRes : 0);
        for (const auto& row : page.bitmap.rows)
            w.WriteLineRecord(CompressRasterLine(row.data(), kWidth, 0));
        w.FinishPage();
    }
    w.CloseApfFile("TEST");
}

void WriteTiff(const std::string& path, const std::vector<TestPage>& pages) {
    TIFF* tiff = TIFFOpen(path.c_str(), "w");
    ASSERT_NE(tiff, nullptr);
    int n = 0;
    for (const TestPage& page : pages) {
        TIFFSetField(tiff, TIFFTAG_SUBFILETYPE, FILETYPE_PAGE);
        TIFFSetField(tiff, TIFFTAG_IMAGEWIDTH, kWidth);
        TIFFSetField(tiff, TIFFTAG_IMAGELENGTH, uint32_t(page.bitmap.rows.size()));
        TIFFSetField(tiff, TIFFTAG_BITSPERSAMPLE, 1);
        TIFFSetField(tiff, TIFFTAG_SAMPLESPERPIXEL, 1);
        TIFFSetField(tiff, TIFFTAG_COMPRESSION, COMPRESSION_CCITTFAX3);
        TIFFSetField(tiff, TIFFTAG_GROUP3OPTIONS, 0);
        TIFFSetField(tiff, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_MINISWHITE);
        TIFFSetField(tiff, TIFFTAG_FILLORDER, FILLORDER_LSB2MSB);
        TIFFSetField(tiff, TIFFTAG_ROWSPERSTRIP, uint32_t(page.bitmap.rows.size()));
        TIFFSetField(tiff, TIFFTAG_RESOLUTIONUNIT, RESUNIT_INCH);
        TIFFSetField(tiff, TIFFTAG_XRESOLUTION, 204.0f);
        TIFFSetField(tiff, TIFFTAG_YRESOLUTION, page.fine ? 196.0f : 98.0f);
        TIFFSetField(tiff, TIFFTAG_PAGENUMBER, uint16_t(n), uint16_t(pages.size()));
        for (size_t y = 0; y < page.bitmap.rows.size(); ++y) {
            std::vector<unsigned char> row = page.bitmap.rows[y];
            TIFFWriteScanline(tiff, row.data(), uint32_t(y), 0);
        }
        TIFFWriteDirectory(tiff);
        ++n;
    }
    TIFFClose(tiff);
}

std::vector<Bitmap> DecodeApf(const std::string& path, std::vector<bool>* fine) {
    std::vector<Bitmap> out;
    const int count = GetApfPageCount(QString::fromStdString(path));
    for (int n = 1; n <= count; ++n) {
        ApfPageDataReader reader;
        reader.open(QString::fromStdString(path), n);
        if (fine) fine->push_back(reader.pageHeader().isHighRes());
        Bitmap b;
        RowSink sink(b);
        T4Decoder decoder(sink);
        DecodeApfPageData(reader, decoder);
        out.push_back(std::move(b));
    }
    return out;
}

Bitmap ExpectedSentPage(const TestPage& page, const QString& headerText) {
    Bitmap b;
    b.width = kWidth;
    for (int i = 0; i < 8; ++i) b.rows.emplace_back(kRowBytes, 0);
    if (!headerText.isEmpty()) {
        FaxFontHeaderRenderer renderer;
        renderer.LoadForPage(page.fine);
        for (int row = 1; row <= renderer.RowCount(); ++row) {
            std::vector<uint8_t> raster(kHeaderRasterBufferSize, 0);
            renderer.RenderTextRow(headerText, row, raster.data());
            // The header is coded 50 pixels in and cut at the page edge.
            std::vector<unsigned char> line(kRowBytes, 0);
            for (int x = 0; x + kHeaderMargin < kWidth; ++x)
                if (raster[x / 8] & (0x80 >> (x % 8))) SetPixel(line, x + kHeaderMargin);
            b.rows.push_back(std::move(line));
        }
    }
    for (const auto& row : page.bitmap.rows) b.rows.push_back(row);
    return b;
}

int RowDifferences(const Bitmap& a, const Bitmap& b) {
    const size_t n = std::max(a.rows.size(), b.rows.size());
    int diff = 0;
    for (size_t i = 0; i < n; ++i) {
        if (i >= a.rows.size() || i >= b.rows.size()) {
            ++diff;
            continue;
        }
        const auto& ra = a.rows[i];
        const auto& rb = b.rows[i];
        const size_t bytes = std::min<size_t>(kRowBytes, std::min(ra.size(), rb.size()));
        if (!std::equal(ra.begin(), ra.begin() + bytes, rb.begin())) ++diff;
    }
    return diff;
}

bool FaxlineOffers(const std::string& option) {
    static std::string help;
    if (help.empty()) {
        FILE* p = popen(FAXLINE_PATH " --help 2>&1", "r");
        if (!p) return false;
        char buf[4096];
        size_t n;
        while ((n = fread(buf, 1, sizeof buf, p)) > 0) help.append(buf, n);
        pclose(p);
    }
    return help.find(option + " ") != std::string::npos ||
           help.find(option + "\n") != std::string::npos;
}

std::unique_ptr<TFxComPort> OpenModemPort(const std::string& path, bool receiving) {
    auto port = std::make_unique<TFxComPort>();
    ApplyProgramPortSettings(*port, receiving ? PortUse::Receiving : PortUse::Sending, false);
    port->AssignTapiDevicePath(QString::fromStdString(path));
    port->SetTapiMode(TapiMode::On);
    port->SetOpen(true);
    return port;
}

int RunToFinish(TFxAbstractFax& fax, int timeoutMs) {
    QEventLoop loop;
    bool finished = false;
    int result = 1;
    fax.OnFaxFinish = [&](int code) {
        result = code;
        finished = true;
        loop.quit();
    };
    QTimer guard;
    guard.setSingleShot(true);
    QObject::connect(&guard, &QTimer::timeout, [&] {
        ADD_FAILURE() << "the engine did not finish in time";
        fax.AbortFax();
        QTimer::singleShot(15000, &loop, &QEventLoop::quit);
    });
    guard.start(timeoutMs);
    loop.exec();
    return finished ? result : 1;
}

void EngineTrace::attach(TFxAbstractFax& fax) {
    fax.OnFaxStatus = [this, &fax](bool, bool) {
        if (statuses.empty() || statuses.back() != fax.FaxStatus())
            statuses.push_back(fax.FaxStatus());
    };
    fax.OnFaxError = [this](int code) { errors.push_back(code); };
    fax.OnFaxLog = [this, &fax](int code) {
        logs.push_back(code);
        logFiles << fax.FaxFile;
    };
}

int EngineTrace::count(int status) const {
    return int(std::count(statuses.begin(), statuses.end(), status));
}

}  // namespace corvane::testing
