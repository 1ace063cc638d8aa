#pragma once
// Rearranging APF files by whole pages: joining files, cutting pages out, dropping pages, and
// cutting a damaged received file back to the pages that still decode. Pages are copied as
// opaque blocks (page header plus ImageLength bytes); nothing is re-coded.
//
// Every file written here is first written under a temporary name in the destination's
// folder and then renamed over the destination, so a failure or a crash never leaves a
// half-written fax and a destination may also be one of the sources.

#include <QString>
#include <QStringList>

namespace corvane {

// True when page 1 of both files has the same HighRes bit; false when either cannot be read.
bool SameApfResolution(const QString& pathA, const QString& pathB);
// False when the file does not exist or cannot be read; else the HighRes bit of page 1.
bool IsHighResApf(const QString& path);

// Writes `destination` as the pages of every listed file in order, behind the first file's
// header with PageCount the sum of all. Throws EFaxBadFormat when a listed file is not an APF
// file, EFaxError on I/O errors; the destination is then unchanged.
void JoinApfFiles(const QStringList& paths, const QString& destination);
// Joins those of the two that exist; needs both. True when the join succeeded.
bool JoinTwoApfFiles(const QString& destination, const QString& first, const QString& second);
// Joins the listed files that exist, in order; needs at least two. True when joined.
bool JoinApfFileList(const QString& destination, const QStringList& paths);

// Appends the source's pages to the target. Only when both have pages and the same
// resolution; the target is replaced only after the joined copy has the right page count.
bool AppendApfFile(const QString& source, const QString& target, bool deleteSource);

// Writes pages first..last of `source` into `destination` (last -1: up to the last page; a
// last above the page count is lowered to it). False when the source is missing or not an
// APF file, first is 0 or beyond the page count, last < first, or on an I/O error.
bool ExtractApfPages(const QString& source, const QString& destination, int first, int last);
// Writes every page of `source` except first..last into `destination`. False when the source
// is missing or not an APF file, the range is not within 1..PageCount, or on an I/O error.
bool DeleteApfPages(const QString& source, const QString& destination, int first, int last);

// How many pages, from page 1 on, decode without error; `headerCount` receives PageCount.
int CountDecodablePages(const QString& path, int* headerCount = nullptr);
// Cuts the file back to its leading decodable pages and returns how many remain. With none,
// the file is deleted when `deleteWhenNone`, else left unchanged.
int TrimToDecodablePages(const QString& path, bool deleteWhenNone);

}  // namespace corvane
