#ifndef VADRIMEL_LISTING_HELD_LINE_H_
#define VADRIMEL_LISTING_HELD_LINE_H_

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

#include "listing/line_text.h"

namespace vadrimel {

/// The most chunks one line may come in and still be held whole.
inline constexpr std::size_t MAX_HELD_CHUNKS = 256;
/// The longest line held whole: a line whose last chunk is full goes on into
/// one chunk more.
inline constexpr std::size_t MAX_HELD_LINE_LENGTH =
    MAX_HELD_CHUNKS * MAX_CHUNK_LENGTH - 1;

/// The chunks of one listing line, gathered in a fixed buffer so that the line
/// can be looked at as a whole (option -p). Counts every chunk of the line,
/// but keeps only the first MAX_HELD_CHUNKS.
class HeldLine {
public:
  [[nodiscard]] bool empty() const noexcept { return chunks_ == 0; }
  /// How many chunks of the line have been appended, kept or not.
  [[nodiscard]] std::size_t chunk_count() const noexcept { return chunks_; }
  /// The kept chunks' texts, joined.
  [[nodiscard]] LineText text() noexcept { return {buffer_.data(), length_}; }
  /// Kept chunk number `index`.
  [[nodiscard]] LineText chunk(std::size_t index) noexcept;

  /// Appends the line's next chunk; false, and the chunk not kept, once the
  /// line has more chunks than the buffer holds.
  bool append(std::string_view chunk) noexcept;
  void clear() noexcept;

private:
  // Left uninitialised: only bytes and ends already appended are ever read.
  std::array<char, MAX_HELD_CHUNKS * MAX_CHUNK_LENGTH> buffer_;
  std::array<std::uint16_t, MAX_HELD_CHUNKS> chunk_ends_;
  std::size_t length_ = 0;
  std::size_t chunks_ = 0;
};

} // namespace vadrimel

#endif // VADRIMEL_LISTING_HELD_LINE_H_
