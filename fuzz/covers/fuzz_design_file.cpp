// Design files (".FCS") as a user's Covers folder may hold them: any bytes must give objects
// or an error, never a crash or an unbounded allocation. Objects that come out are written
// again and must read back.

#include <QGuiApplication>
#include <cstdint>
#include <cstdlib>

#include "covers/design_stream.h"

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static QGuiApplication app(*argc, *argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    const corvane::Result<corvane::CoverObjectList> objects = corvane::DecodeDesignStream(bytes);
    if (!objects.ok()) return 0;
    const QByteArray again = corvane::EncodeDesignStream(objects.value());
    if (!corvane::DecodeDesignStream(again).ok()) std::abort();
    return 0;
}
