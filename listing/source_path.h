#ifndef VADRIMEL_LISTING_SOURCE_PATH_H_
#define VADRIMEL_LISTING_SOURCE_PATH_H_

#include <array>
#include <cstddef>
#include <string_view>

#include "listing/held_line.h"

namespace vadrimel {

/// Which rules find the source path at the end of a line.
enum class PathRules {
  /// The text after the line's last space, when it starts with an upper-case
  /// letter and a colon.
  LAST_SPACE,
  /// Option -p, for a whole line, in this order: LAST_SPACE; a drive path
  /// that holds spaces (the text after the last space that is followed by an
  /// upper-case letter, a colon and a backslash or slash, when that text holds
  /// no two spaces in a row and does not end in a space); the current path,
  /// when the line ends in a space and that path; a path in the File column
  /// with no drive letter (a relative one).
  WHOLE_LINE,
};

/// The path of the last source path record written. Empty when a conversion
/// starts and never emptied during it, so it carries over from line to line.
class SourcePath {
public:
  [[nodiscard]] std::string_view current() const noexcept {
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

/// Finds the source path at the end of `line` by `rules`; `current` is the
/// path of the last source path record.
LineParts split_off_source_path(std::string_view line, PathRules rules,
                                std::string_view current) noexcept;

} // namespace vadrimel

#endif // VADRIMEL_LISTING_SOURCE_PATH_H_
