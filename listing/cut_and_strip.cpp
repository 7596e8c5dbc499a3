#include "listing/cut_and_strip.h"

#include <algorithm>

#include "listing/scan.h"

namespace vadrimel {

std::string_view strip_trailing_spaces(std::string_view text, BlankText blank) noexcept {
  const std::size_t kept = scan::after_last_non_space(text);
  if (kept == 0) {
    return blank == BlankText::KEPT ? text : scan::first(text, 0);
  }
  return scan::first(text, kept);
}

std::string_view cut_and_strip(std::string_view piece, std::uint8_t max_length,
                               BlankText blank) noexcept {
  // Stripping, cutting and stripping again gives the same text as cutting
  // and stripping once: the first strip only removes spaces that either lie
  // beyond the cut or would be removed by the second.
  const bool cut = cuts(max_length) && piece.size() > max_length;
  return strip_trailing_spaces(cut ? scan::first(piece, max_length) : piece, blank);
}

std::string_view take_piece(std::string_view& rest) noexcept {
  const std::string_view piece =
      scan::first(rest, std::min(rest.size(), MAX_CHUNK_LENGTH));
  rest.remove_prefix(piece.size());
  return piece;
}

} // namespace vadrimel
