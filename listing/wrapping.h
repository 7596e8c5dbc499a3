#ifndef VADRIMEL_LISTING_WRAPPING_H_
#define VADRIMEL_LISTING_WRAPPING_H_

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "listing/line_text.h"
#include "listing/tab_expansion.h"

namespace vadrimel {

/// Where a continuation's mark stands: a '+' two columns before the source
/// column, so that a continuation never reads as a line of its own.
inline constexpr std::size_t CONTINUATION_MARK_COLUMN = 41;

/// One record of a wrapped line: `indent` spaces, then `text`; a
/// continuation has the mark '+' in place of its space at
/// CONTINUATION_MARK_COLUMN.
struct WrappedRecord {
  std::size_t indent = 0;
  std::string_view text;
  bool marked = false;
};

/// Option -w: a line's text, which is not blank and ends in no space or tab,
/// as the records that wrap it at word boundaries within `max_length` (which
/// cuts), its tabs expanded to `tab_size` as it goes (0: a text with no tab
/// to expand, wrapped where it lies). The first record holds
/// up to `max_length` characters and never breaks before the first word of
/// the source column; each continuation is marked and starts where the
/// source line's text starts, after its own indentation, or at the source
/// column when that leaves fewer than 20 characters of room (below 51,
/// `max_length` characters with no indent and no mark). A record ends before the last
/// word that starts within it, or where a space stands just past its room; a word longer
/// than the room is broken. Records lose their trailing spaces and continuations their
/// leading ones; no other character is lost. Memory stays a record's worth for a line of
/// any length.
class WordWrap {
public:
  WordWrap(std::string_view text, std::uint8_t tab_size,
           std::uint8_t max_length) noexcept;

  /// The next record, valid until the next call; false once every character
  /// has gone into one.
  bool next(WrappedRecord& record) noexcept;

private:
  /// The next `size` characters of what is left, or all of it when fewer
  /// are left.
  std::string_view window(std::size_t size) noexcept;
  /// Takes the first `count` characters off what is left.
  void drop(std::size_t count) noexcept;

  /// Without a tab size the text is wrapped where it lies: `rest_` is what
  /// is left of it. Otherwise `expansion_` hands out what is left, and
  /// `buffer_` holds the part of it read and not yet written.
  bool expanding_;
  std::string_view rest_;
  TabExpansion expansion_;
  std::array<char, MAX_CHUNK_LENGTH + 1> buffer_;
  std::size_t buffered_ = 0;

  std::size_t first_width_;
  std::size_t indent_;
  std::size_t width_;
  bool first_ = true;
  /// How many characters the last record took.
  std::size_t written_ = 0;
};

} // namespace vadrimel

#endif // VADRIMEL_LISTING_WRAPPING_H_
