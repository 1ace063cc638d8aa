// The one table of error codes and texts: every named code reads the text the program shows,
// whatever layer throws it (the tests of each layer check the texts at their throw points).

#include "core/fax_errors.h"

#include <gtest/gtest.h>

namespace corvane {
namespace {

TEST(FaxErrorTable, NamedCodesHaveTheirTexts) {
    const struct {
        int code;
        int value;
        const char* text;
    } cases[] = {
        {ecFileNotFound, -2, "File not found"},
        {ecPathNotFound, -3, "Path not found"},
        {ecAccessDenied, -5, "File access denied"},
        {ecReadBeyondEnd, -100, "Attempt to read beyond end of file"},
        {ecDiskWrite, -101, "Disk write error"},
        {ecDeviceNotOpen, -103, "File/device not open"},
        {ecDiskFull, -112, "Disk is full"},
        {ecPortNotAssigned, -1005, "ComPort component not assigned"},
        {ecBadId, -2001, "ie_BadId - Specified comport doesn't exist"},
        {ecAlreadyOpen, -2008, "ie_Open - device already open"},
        {ecPutBlockFailed, -3004, "Failed to put entire block"},
        {ecOutputBufferTooSmall, -3006, "Output buffer too small for block"},
        {ecNoMoreTriggers, -5001, "No more trigger slots"},
        {ecFaxBadFormat, -8001, "File is not an APF file"},
        {ecBadArgument, -8002, "Bad argument passed to function"},
        {ecCantMakeBitmap, -8003, "CreateBitmapIndirect API failure"},
        {ecConvertAbort, -8010, "User aborted fax conversion"},
        {ecBadGraphicsFormat, -8011, "Unsupported graphics file format"},
        {ecFaxFontBad, -8012, "FXFAX.FNT not found, or resource bad"},
        {ecFontTooLarge, -8013, "Font selected for enhanced text converter too large"},
        {ecGotQuitMessage, -8014, "Got quit message"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.code, c.value) << c.text;
        EXPECT_EQ(FaxErrorTextOr(c.code, "none"), QString::fromLatin1(c.text)) << c.value;
        EXPECT_EQ(EFaxError(c.code).text(), QString::fromLatin1(c.text)) << c.value;
    }
}

}  // namespace
}  // namespace corvane
