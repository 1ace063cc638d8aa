#pragma once
// Faxes for the viewer, print and export window tests, written into a fresh data folder.

#include <QString>
#include <memory>

#include "apf_fixtures.h"
#include "core/message_boxes.h"
#include "faxdoc/apf_format.h"
#include "fixtures/temp_home.h"

namespace corvane::testing {

// A fine page of `rows` white rows with a black block of `blockWidth` x `blockHeight` pixels
// at the top left, after `marginRows` white rows and `marginColumns` white columns.
Raster BlockPage(int rows, int marginColumns, int marginRows, int blockWidth, int blockHeight);

struct ViewingFixture {
    TempHome home;
    ScriptedMessageBoxes boxes;

    ViewingFixture();
    ~ViewingFixture();
    // `pages` pages; page n carries n text-like bands so pages differ.
    QString writeFax(const QString& name, int pages, bool fine = true, int rows = 400);
    // `pages` pages of `rows` lines that look like a typed letter (for the eye, in
    // screenshots): a heading with the page number and paragraphs of text.
    QString writeLetterFax(const QString& name, int pages, bool fine, int rows);
    QString writePages(const QString& name, const std::vector<FixturePage>& pages);
};

}  // namespace corvane::testing
