#pragma once
// The Modified Huffman code tables of ITU-T T.4, in the standard's written order (first
// transmitted bit first). Shared by the line coder and the decoder, which each derive their
// own lookup form from these once.

#include <span>

namespace corvane::t4 {

struct Code {
    int run;           // run length; kEolRun for the end-of-line code
    const char* bits;  // '0'/'1', first transmitted bit first
};

inline constexpr int kEolRun = -1;
inline constexpr int kMaxCodeBits = 13;

std::span<const Code> WhiteTerminatingCodes();  // runs 0..63, index = run
std::span<const Code> BlackTerminatingCodes();
std::span<const Code> WhiteMakeUpCodes();  // 64..1728, index = run / 64 - 1
std::span<const Code> BlackMakeUpCodes();
std::span<const Code> ExtendedMakeUpCodes();  // 1792..2560, both colours
inline constexpr Code kEolCode{kEolRun, "000000000001"};

}  // namespace corvane::t4
