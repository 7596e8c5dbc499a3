#include "listing/line_cleanup.h"

#include <cstdint>
#include <cstring>

namespace vadrimel {

namespace {

constexpr char SPACE = ' ';

// Listing lines are padded with long runs of spaces, so the backward scans
// look at eight bytes at a time.
using Word = std::uint64_t;
constexpr Word ONES = 0x0101010101010101U;
constexpr Word HIGH_BITS = 0x8080808080808080U;
constexpr Word SPACES = ONES * static_cast<unsigned char>(SPACE);

Word load_word(const char* bytes) noexcept {
  Word word = 0;
  std::memcpy(&word, bytes, sizeof word);
  return word;
}

/// True when any of the word's bytes is a space (exact, whatever the byte
/// order: a false signal can only come from a byte next to a real one).
bool holds_space(Word word) noexcept {
  const Word zero_where_space = word ^ SPACES;
  return ((zero_where_space - ONES) & ~zero_where_space & HIGH_BITS) != 0;
}

void end_text_at_zero_byte(LineChunk& chunk) noexcept {
  const auto* zero =
      static_cast<const char*>(std::memchr(chunk.text.data(), '\0', chunk.length));
  if (zero != nullptr) {
    chunk.length = static_cast<std::size_t>(zero - chunk.text.data());
  }
}

/// Index of the last space in the chunk, or the chunk's length if none.
std::size_t find_last_space(const LineChunk& chunk) noexcept {
  std::size_t end = chunk.length;
  while (end >= sizeof(Word) &&
         !holds_space(load_word(chunk.text.data() + end - sizeof(Word)))) {
    end -= sizeof(Word);
  }
  for (std::size_t index = end; index > 0; --index) {
    if (chunk.text[index - 1] == SPACE) {
      return index - 1;
    }
  }
  return chunk.length;
}

bool looks_like_source_path(std::string_view text) noexcept {
  return text.size() >= 2 && text[0] >= 'A' && text[0] <= 'Z' && text[1] == ':';
}

/// Takes the source path off the chunk; returns true when it is a new one.
/// Only the text after the last space is considered: a path that itself holds
/// a space is left on the line.
bool take_off_source_path(LineChunk& chunk, SourcePath& source_path) noexcept {
  const std::size_t space = find_last_space(chunk);
  if (space == chunk.length) {
    return false;
  }
  const std::string_view after_space = chunk.view().substr(space + 1);
  if (!looks_like_source_path(after_space)) {
    return false;
  }
  chunk.length = space;
  return source_path.replace_if_different(after_space);
}

void cut_to_max_length(LineChunk& chunk, std::uint8_t max_length) noexcept {
  if (max_length > LONGEST_LENGTH_THAT_DOES_NOT_CUT && chunk.length > max_length) {
    chunk.length = max_length;
  }
}

} // namespace

bool SourcePath::replace_if_different(std::string_view path) noexcept {
  if (path == current_source_path()) {
    return false;
  }
  std::memcpy(text_.data(), path.data(), path.size());
  length_ = path.size();
  return true;
}

void strip_trailing_spaces(LineChunk& chunk) noexcept {
  std::size_t kept = chunk.length;
  while (kept >= sizeof(Word) &&
         load_word(chunk.text.data() + kept - sizeof(Word)) == SPACES) {
    kept -= sizeof(Word);
  }
  while (kept > 0 && chunk.text[kept - 1] == SPACE) {
    --kept;
  }
  if (kept > 0) {
    chunk.length = kept;
  }
}

bool rewrite_line(LineChunk& chunk, SourcePath& source_path,
                  std::uint8_t max_length) noexcept {
  end_text_at_zero_byte(chunk);
  const bool path_changed = take_off_source_path(chunk, source_path);
  // Stripping, cutting and stripping again gives the same text as cutting
  // and stripping once: the first strip only removes spaces that either lie
  // beyond the cut or would be removed by the second. Once is cheaper.
  cut_to_max_length(chunk, max_length);
  strip_trailing_spaces(chunk);
  return path_changed;
}

} // namespace vadrimel
