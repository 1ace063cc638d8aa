#include "page_codec.h"

#include <tiffio.h>

#include "spandsp_api.h"

namespace corvane::faxline {

bool WritePageTiff(const PageBytes& data, bool fine, int width, const std::string& tiffPath) {
    t4_rx_state_t* rx = t4_rx_init(nullptr, tiffPath.c_str(), T4_COMPRESSION_ITU_T4_1D);
    if (!rx) return false;
    t4_rx_set_rx_encoding(rx, T4_COMPRESSION_ITU_T4_1D);
    t4_rx_set_image_width(rx, width);
    t4_rx_set_x_resolution(rx, T4_X_RESOLUTION_R8);
    t4_rx_set_y_resolution(rx, fine ? T4_Y_RESOLUTION_FINE : T4_Y_RESOLUTION_STANDARD);
    t4_rx_start_page(rx);
    t4_rx_put_chunk(rx, data.data(), static_cast<int>(data.size()));
    t4_rx_end_page(rx);
    t4_rx_free(rx);
    return true;
}

bool WriteBlankDocument(int pages, bool fine, int width, const std::string& tiffPath) {
    TIFF* tiff = TIFFOpen(tiffPath.c_str(), "w");
    if (!tiff) return false;
    std::vector<uint8_t> row(static_cast<size_t>((width + 7) / 8), 0);
    bool ok = true;
    for (int page = 0; page < pages && ok; ++page) {
        TIFFSetField(tiff, TIFFTAG_SUBFILETYPE, FILETYPE_PAGE);
        TIFFSetField(tiff, TIFFTAG_IMAGEWIDTH, width);
        TIFFSetField(tiff, TIFFTAG_IMAGELENGTH, 1);
        TIFFSetField(tiff, TIFFTAG_BITSPERSAMPLE, 1);
        TIFFSetField(tiff, TIFFTAG_SAMPLESPERPIXEL, 1);
        TIFFSetField(tiff, TIFFTAG_COMPRESSION, COMPRESSION_CCITTFAX3);
        TIFFSetField(tiff, TIFFTAG_T4OPTIONS, 0);
        TIFFSetField(tiff, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_MINISWHITE);
        TIFFSetField(tiff, TIFFTAG_FILLORDER, FILLORDER_LSB2MSB);
        TIFFSetField(tiff, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
        TIFFSetField(tiff, TIFFTAG_ROWSPERSTRIP, 1);
        TIFFSetField(tiff, TIFFTAG_RESOLUTIONUNIT, RESUNIT_INCH);
        TIFFSetField(tiff, TIFFTAG_XRESOLUTION, 204.0f);
        TIFFSetField(tiff, TIFFTAG_YRESOLUTION, fine ? 196.0f : 98.0f);
        TIFFSetField(tiff, TIFFTAG_PAGENUMBER, page, pages);
        ok = TIFFWriteScanline(tiff, row.data(), 0, 0) >= 0 && TIFFWriteDirectory(tiff);
    }
    TIFFClose(tiff);
    return ok;
}

bool ReadPageAsT4(const std::string& tiffPath, int page, PageBytes& out) {
    out.clear();
    t4_tx_state_t* tx = t4_tx_init(nullptr, tiffPath.c_str(), page, page);
    if (!tx) return false;
    t4_tx_set_tx_encoding(tx, T4_COMPRESSION_ITU_T4_1D);
    t4_tx_set_min_bits_per_row(tx, 0);
    t4_tx_set_local_ident(tx, "");
    if (t4_tx_start_page(tx) != 0) {
        t4_tx_free(tx);
        return false;
    }
    uint8_t chunk[4096];
    for (;;) {
        const int n = t4_tx_get_chunk(tx, chunk, sizeof chunk);
        if (n <= 0) break;
        out.insert(out.end(), chunk, chunk + n);
    }
    t4_tx_end_page(tx);
    t4_tx_free(tx);
    return !out.empty();
}

int TiffPageCount(const std::string& tiffPath) {
    TIFFSetWarningHandler(nullptr);
    TIFFSetErrorHandler(nullptr);
    TIFF* tiff = TIFFOpen(tiffPath.c_str(), "r");
    if (!tiff) return 0;
    const int count = TIFFNumberOfDirectories(tiff);
    TIFFClose(tiff);
    return count;
}

void ReverseBitsInPlace(PageBytes& data) {
    for (uint8_t& b : data) {
        uint8_t r = 0;
        for (int i = 0; i < 8; ++i)
            if (b & (1 << i)) r |= static_cast<uint8_t>(0x80 >> i);
        b = r;
    }
}

}  // namespace corvane::faxline
