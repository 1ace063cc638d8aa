#pragma once
// Reading APF file and page headers and finding pages by walking the page chain. Every
// operation opens the file read-only for its own duration.

#include <QFile>
#include <QString>

#include "faxdoc/apf_format.h"
#include "faxdoc/fax_document_errors.h"
#include "faxdoc/file_error_throwers.h"

namespace corvane {

// How a page number outside 1..PageCount is reported: the decoding path calls it a bad
// format ("File is not an APF file"), the send engine a read beyond the end of the file.
enum class ApfPageLookup { Decoding, Sending };

// Reads and checks the 64-byte header. Throws EFaxBadFormat on a signature mismatch,
// EFaxError "File not found" / "Path not found" when the file cannot be opened and
// "Attempt to read beyond end of file" when it is shorter than 64 bytes.
ApfFileHeader ReadApfFileHeader(const QString& path);
// The same on an open file (reads from offset 0).
ApfFileHeader ReadApfFileHeader(QIODevice& file);

// Opens `path` read-only for one of the operations here; throws as ReadApfFileHeader.
void OpenApfForReading(QFile& file, const QString& path);

// Offset of page n's ApfPageHeader in an open file; n must lie in 1..PageCount (else the
// lookup mode's error). A page header cut short throws "Attempt to read beyond end of file".
qint64 LocateApfPage(QIODevice& file, int pageNumber, ApfPageLookup mode = ApfPageLookup::Decoding);
// Reads the 16-byte page header at `offset`; throws "Attempt to read beyond end of file".
ApfPageHeader ReadApfPageHeaderAt(QIODevice& file, qint64 offset);
// Page n's header of the file at `path`.
ApfPageHeader ReadApfPageHeader(const QString& path, int pageNumber,
                                ApfPageLookup mode = ApfPageLookup::Decoding);

// PageCount of the header without checking the signature; 0 when the file does not exist
// or is shorter than a header. Throws EFaxError when it exists but cannot be read.
int GetApfPageCount(const QString& path);

}  // namespace corvane
