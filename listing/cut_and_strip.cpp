#include "listing/cut_and_strip.h"

#include "listing/scan.h"

namespace vadrimel {

std::string_view strip_trailing_spaces(std::string_view text, BlankText blank) noexcept {
  const std::size_t kept = scan::after_last_non_space(text);
  if (kept == 0) {
    return blank == BlankText::KEPT ? text : text.substr(0, 0);
  }
  return text.substr(0, kept);
}

std::string_view cut_and_strip(std::string_view piece, std::uint8_t max_length,
                               BlankText blank) noexcept {
  // Stripping, cutting and stripping again gives the same text as cutting
  // and stripping once: the first strip only removes spaces that either lie
  // beyond the cut or would be removed by the second.
  return strip_trailing_spaces(cuts(max_length) ? piece.substr(0, max_length) : piece,
                               blank);
}

std::string_view take_piece(std::string_view& rest) noexcept {
  const std::string_view piece = rest.substr(0, MAX_CHUNK_LENGTH);
  rest.remove_prefix(piece.size());
  return piece;
}

} // namespace vadrimel
