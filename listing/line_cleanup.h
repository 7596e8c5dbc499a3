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
  std::array<char, MAX_CHUNK_LENGTH + 1> text_{};
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

} // namespace vadrimel

#endif // VADRIMEL_LISTING_LINE_CLEANUP_H_
