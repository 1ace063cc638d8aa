#pragma once
// One command of an AT command line.

#include <optional>
#include <string>
#include <vector>

namespace corvane::faxline {

struct AtCommand {
    enum class Kind { Basic, Ampersand, SRegister, Extended, Dial };
    enum class Op { Action, Query, Test, Set };  // X, X?, X=?, X=value
    Kind kind = Kind::Basic;
    char letter = 0;   // basic and ampersand commands: upper case
    std::string name;  // extended commands, upper case without '+'
    Op op = Op::Action;
    std::string value;  // the text after '=' (or the dial string, or the basic number)
    int number = -1;    // basic/ampersand argument or S register number (-1: none given)
};

// Splits the text after "AT" into its commands; nothing when the line is malformed.
std::optional<std::vector<AtCommand>> ParseAtLine(const std::string& text);

// Basic (E1, X4, H0) and ampersand (&F, &K3) commands a modem knows, with their ranges.
bool BasicCommandAllowed(const AtCommand& cmd);

// Checks a parameter value against a range description in the form a modem gives for
// "=?": "(0,1),(0-5),(0-2)" for compound parameters, "24,48,96" or "(0-255)" for a single
// one. Each sub-parameter may be left empty (unchanged); '"' stands for a quoted string of
// at most 20 characters.
bool ValueFits(const std::string& value, const std::string& ranges);

// The numbers of a compound value; empty sub-parameters are -1.
std::vector<int> SplitNumbers(const std::string& value);

// A +FCLASS value list as given to --classes ("0,1,2,2.0"): true when value is one of them.
bool ClassListed(const std::string& classes, const std::string& value);

}  // namespace corvane::faxline
