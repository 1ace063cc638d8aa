// Render files (".FCT"): any bytes are read record by record and drawn onto a preview page;
// damage must stop the reading cleanly, and nothing may crash or allocate without bound.

#include <QGuiApplication>
#include <QPainter>
#include <cstdint>

#include "covers/cover_generator.h"
#include "covers/cover_renderer.h"

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static QGuiApplication app(*argc, *argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    static QImage canvas = corvane::NewCoverCanvas(corvane::kPreviewWidth, corvane::kPreviewHeight);
    canvas.fill(Qt::white);
    corvane::CoverData cover;
    cover.Recipient = "Ann Lee";
    cover.Urgent = true;
    corvane::CoverRenderer renderer(cover, {"one", "two words", "three"});
    QPainter painter(&canvas);
    (void)renderer.RenderTemplate(painter, bytes, 2);
    // At most a few continuation pages: each draws at least one line.
    for (int page = 0; page < 4 && renderer.HasContinuation(); ++page)
        renderer.RenderContinuation(painter);
    return 0;
}
