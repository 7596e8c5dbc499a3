#ifndef VADRIMEL_LISTING_WRAPPING_H_
#define VADRIMEL_LISTING_WRAPPING_H_

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "listing/line_text.h"
#include "listing/tab_expansion.h"

namespace vadrimel {

/// One record of a wrapped line: `indent` spaces, then `text`.
struct WrappedRecord {
  std::size_t indent = 0;
  std::string_view text;
};

/// Option -w: a line's text, which is not blank and ends in no space, as the
/// records that wrap it at word boundaries within `max_length` (which cuts).
/// The first record holds up to `max_length` characters and never breaks
/// before the first word of the source column; each continuation holds up to
/// `max_length` - 43 characters after 43 spaces (below 51, `max_length`
/// characters with no indent). A record ends before the last word that starts
/// within it, or where a space stands just past its room; a word longer than
/// the room is broken. Records lose their trailing spaces and continuations
/// their leading ones; no other character is lost. Memory stays a record's
/// worth for a line of any length.
class WordWrap {
public:
  WordWrap(TabExpansion& text, std::uint8_t max_length) noexcept;

  /// The next record; false once every character has gone into one.
  bool next(WrappedRecord& record) noexcept;

private:
  /// Reads the text on until the window holds `size` characters, or the
  /// text has ended.
  void fill(std::size_t size) noexcept;
  /// Takes the first `count` characters out of the window.
  void drop(std::size_t count) noexcept;

  TabExpansion& text_;
  std::size_t first_width_;
  std::size_t indent_;
  std::size_t width_;
  bool first_ = true;
  /// The characters read and not yet written: one more than a record can hold,
  /// to see whether a word goes on past it.
  std::array<char, MAX_CHUNK_LENGTH + 1> window_;
  std::size_t window_size_ = 0;
  /// How many characters of the window the last record took.
  std::size_t written_ = 0;
};

} // namespace vadrimel

#endif // VADRIMEL_LISTING_WRAPPING_H_
