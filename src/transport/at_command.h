#pragma once
// A modem command that a person typed (an init string, a reset string), as the modem must get
// it: a command line begins with "AT".

#include <QString>

namespace corvane {

// `text` without the spaces around it, with "AT" put in front unless it begins with "AT" (any
// case); a blank text gives "AT". A text that holds "AT" further on still gets the prefix: a
// modem reads a command line only from the "AT" that starts it.
QString AtCommandLine(const QString& text);

}  // namespace corvane
