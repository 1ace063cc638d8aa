#pragma once
// Running the independent peers (netpbm, poppler) on files the tests wrote, and reading
// their netpbm output back as raster rows.

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <vector>

namespace corvane::testing {

bool HaveTool(const char* program);
// Standard output of `program args`, with `input` on its standard input; empty on failure
// (`error` says why).
QByteArray RunTool(const QString& program, const QStringList& args,
                   const QByteArray& input = QByteArray(), QString* error = nullptr);

// A PBM, PGM or PPM image (raw or plain) as rows of width / 8 bytes, 1 = black (darker than
// mid-grey). Empty rows and width 0 when the data are not netpbm.
struct PnmRaster {
    int width = 0;
    std::vector<QByteArray> rows;
};
PnmRaster ReadPnm(const QByteArray& data);

}  // namespace corvane::testing
