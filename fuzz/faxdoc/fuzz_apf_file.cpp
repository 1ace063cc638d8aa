// Whole APF files: header and page walk, page data reading, decoding to bitmaps, counting
// decodable pages. Only the documented errors may come out.

#include <unistd.h>
#include <QFile>
#include <QImage>
#include <cstdint>

#include "core/fax_errors.h"
#include "faxdoc/apf_page_ops.h"
#include "faxdoc/apf_reader.h"
#include "faxdoc/fax_unpacker.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const QString path = QString("/tmp/fuzz_apf_%1.apf").arg(getpid());
    {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) return 0;
        file.write(reinterpret_cast<const char*>(data), qint64(size));
    }
    try {
        const int count = corvane::GetApfPageCount(path);
        corvane::TFxFaxUnpacker unpacker;
        unpacker.setInFileName(path);
        unpacker.setOptions(0);
        for (int page = 1; page <= std::min(count, 4); ++page) {
            try {
                const QImage image = unpacker.UnpackPageToBitmap(page);
                if (!image.isNull() && image.width() % 16 != 0) std::abort();
            } catch (const corvane::EFaxError&) {
            }
        }
        corvane::CountDecodablePages(path);
    } catch (const corvane::EFaxError&) {
    }
    return 0;
}
