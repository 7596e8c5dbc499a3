#ifndef VADRIMEL_LISTING_CUT_AND_STRIP_H_
#define VADRIMEL_LISTING_CUT_AND_STRIP_H_

#include <cstdint>
#include <string_view>

#include "listing/line_text.h"

namespace vadrimel {

/// Lengths up to this value mean "do not cut".
inline constexpr std::uint8_t LONGEST_LENGTH_THAT_DOES_NOT_CUT = 31;

/// True when `max_length` cuts lines.
inline bool cuts(std::uint8_t max_length) noexcept {
  return max_length > LONGEST_LENGTH_THAT_DOES_NOT_CUT;
}

/// What stripping makes of a text of nothing but spaces.
enum class BlankText {
  /// It keeps its spaces (a chunk, as the seed converts it).
  KEPT,
  /// It becomes empty (option -p: padding lines).
  EMPTIED,
};

/// The text without the spaces (code 32 only) at its end.
std::string_view strip_trailing_spaces(std::string_view text, BlankText blank) noexcept;

/// One piece of a line's text as its line record shows it: cut to
/// `max_length` characters when that cuts, then stripped of trailing spaces.
std::string_view cut_and_strip(std::string_view piece, std::uint8_t max_length,
                               BlankText blank) noexcept;

/// Takes the next piece off `rest`: at most MAX_CHUNK_LENGTH characters, as
/// the reader cuts a line into chunks.
std::string_view take_piece(std::string_view& rest) noexcept;

} // namespace vadrimel

#endif // VADRIMEL_LISTING_CUT_AND_STRIP_H_
