#ifndef VADRIMEL_LISTING_LINE_CLEANUP_H_
#define VADRIMEL_LISTING_LINE_CLEANUP_H_

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "listing/line_reader.h"

namespace vadrimel {

/// Lengths up to this value mean "do not cut".
inline constexpr std::uint8_t LONGEST_LENGTH_THAT_DOES_NOT_CUT = 31;

/// The path of the last source path record written. Empty when a run starts
/// and never emptied during it, so it carries over from chunk to chunk.
class SourcePath {
public:
  [[nodiscard]] std::string_view current_source_path() const noexcept {
    return {text_.data(), length_};
  }

  /// Remembers `path` and returns true when it differs from the current one.
  bool replace_if_different(std::string_view path) noexcept;

private:
  // Paths found on a whole line may be as long as the line. Left
  // uninitialised: only the first `length_` bytes are ever read.
  std::array<char, MAX_HELD_LINE_LENGTH> text_;
  std::size_t length_ = 0;
};

/// Removes the spaces (code 32 only) at the end of the chunk, unless the
/// chunk holds nothing but spaces: such a chunk keeps them.
void strip_trailing_spaces(LineChunk& chunk) noexcept;

/// Cleans one chunk in place: ends it at its first zero byte, takes off a
/// source path that follows its last space (an upper-case letter and a
/// colon), strips trailing spaces, cuts it to `max_length` characters when
/// that is above LONGEST_LENGTH_THAT_DOES_NOT_CUT and strips again.
/// Returns true when the path taken off differs from the last one, in which
/// case `source_path` now holds it and a source path record is due before
/// the chunk's line record.
bool rewrite_line(LineChunk& chunk, SourcePath& source_path,
                  std::uint8_t max_length) noexcept;

/// A whole listing line cut in two at the space in front of its source path;
/// `path` is empty when the line has none (and `text` is then the whole line).
struct LineParts {
  std::string_view text;
  std::string_view path;
};

/// Finds the source path on a whole line: the text after the line's last space
/// when it starts with an upper-case letter and a colon; failing that, the text
/// after the last space that is followed by an upper-case letter, a colon and a
/// backslash or slash, as long as that text holds no two spaces in a row and
/// does not end in a space (padding is never part of a path).
LineParts split_off_source_path(std::string_view line) noexcept;

/// Cleans one piece of a whole line's text: cut to `max_length` characters
/// when that is above LONGEST_LENGTH_THAT_DOES_NOT_CUT, then every trailing
/// space stripped, so that a piece of spaces only becomes empty.
std::string_view clean_piece(std::string_view piece, std::uint8_t max_length) noexcept;

} // namespace vadrimel

#endif // VADRIMEL_LISTING_LINE_CLEANUP_H_
