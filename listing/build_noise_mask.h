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
LineText mask_build_noise(LineText text) noexcept;

} // namespace vadrimel

#endif // VADRIMEL_LISTING_BUILD_NOISE_MASK_H_
