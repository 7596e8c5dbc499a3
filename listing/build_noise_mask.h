#ifndef VADRIMEL_LISTING_BUILD_NOISE_MASK_H_
#define VADRIMEL_LISTING_BUILD_NOISE_MASK_H_

#include <string_view>

#include "listing/line_text.h"

namespace vadrimel {

/// Option -d: masks, in place, what changes from one build to the next
/// although the source did not. The header's "Listing File Generated:" loses
/// the date and time after it: the text returned is shorter. A line that
/// starts with the address and value columns has them written as spaces, and
/// when its instruction at the instruction column is a branch or a call whose
/// operand starts with 0x and hex digits, those digits are written as '?';
/// the line keeps its length.
/// With `in_string_statement` (the line's code belongs to a source line
/// whose text holds a '"'), the operand of a MOVLW is masked the same way:
/// it loads the address of a string literal, which moves whenever a string
/// before it grows.
LineText mask_build_noise(LineText text, bool in_string_statement) noexcept;

/// True when the source text of a line (from the source column) holds a
/// '"'.
bool holds_string_literal(std::string_view line) noexcept;

/// Option -d: where a source path's last three parts (folders and file name,
/// split at '\\' or '/') start, at the separator before them; 0 when the
/// path has three parts or fewer (or only an empty one before them). A
/// record shows "..." and the path from
/// there, so that a build folder that moved shows alike.
std::size_t elided_path_start(std::string_view path) noexcept;

} // namespace vadrimel

#endif // VADRIMEL_LISTING_BUILD_NOISE_MASK_H_
