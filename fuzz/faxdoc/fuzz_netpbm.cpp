// Netpbm pictures from arbitrary bytes: the reader either fails with a message or returns a
// picture of the size its header gives.

#include <cstdint>
#include <cstdlib>

#include "faxdoc/convert/netpbm_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    const corvane::Result<QImage> picture = corvane::DecodeNetpbm(bytes);
    if (picture.ok() && picture.value().isNull()) std::abort();
    if (!picture.ok() && picture.message().isEmpty()) std::abort();
    return 0;
}
