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

/// How a line is read: what it is, where its source path may stand and what
/// becomes of padding.
enum class PathSearch {
  /// A line is one chunk of at most MAX_CHUNK_LENGTH characters; its path
  /// follows its last space, and a piece of spaces only keeps its spaces.
  PER_CHUNK,
  /// A line is everything up to its line feed (option -p); its path may hold
  /// spaces, and padding becomes empty. A line of more than MAX_HELD_CHUNKS
  /// chunks is read chunk by chunk, as PER_CHUNK.
  WHOLE_LINE,
};

/// The path of the last source path record written. Empty when a conversion
/// starts and never emptied during it, so it carries over from line to line.
class SourcePath {
public:
  [[nodiscard]] std::string_view current_source_path() const noexcept {
    return {text_.data(), length_};
  }

  /// Remembers `path` and returns true when it differs from the current one.
  bool replace_if_different(std::string_view path) noexcept;
  /// Back to no path, as at the start of a run.
  void forget() noexcept { length_ = 0; }

private:
  // Paths found on a whole line may be as long as the line. Left
  // uninitialised: only the first `length_` bytes are ever read.
  std::array<char, MAX_HELD_LINE_LENGTH> text_;
  std::size_t length_ = 0;
};

/// A line cut in two at the space in front of its source path; `path` is
/// empty when the line has none (and `text` is then the whole line).
struct LineParts {
  std::string_view text;
  std::string_view path;
};

/// Finds the source path on a line: the text after its last space when that
/// starts with an upper-case letter and a colon. With WHOLE_LINE, failing
/// that, the text after the last space that is followed by an upper-case
/// letter, a colon and a backslash or slash, as long as that text holds no two
/// spaces in a row and does not end in a space (padding is never part of a
/// path).
LineParts split_off_source_path(std::string_view line, PathSearch search) noexcept;

/// The text without the spaces (code 32 only) at its end. A text of nothing
/// but spaces keeps them with PER_CHUNK and becomes empty with WHOLE_LINE.
std::string_view strip_trailing_spaces(std::string_view text, PathSearch search) noexcept;

/// One piece of a line's text as its line record shows it: cut to
/// `max_length` characters when that is above
/// LONGEST_LENGTH_THAT_DOES_NOT_CUT, then stripped of trailing spaces.
std::string_view clean_piece(std::string_view piece, std::uint8_t max_length,
                             PathSearch search) noexcept;

} // namespace vadrimel

#endif // VADRIMEL_LISTING_LINE_CLEANUP_H_
