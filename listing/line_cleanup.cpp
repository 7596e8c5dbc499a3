#include "listing/line_cleanup.h"

#include <bit>
#include <cstdint>
#include <cstring>

namespace vadrimel {

namespace {

constexpr char SPACE = ' ';
constexpr std::size_t NONE = std::string_view::npos;

// Listing lines are padded with long runs of spaces, so the backward scans
// look at eight bytes at a time.
using Word = std::uint64_t;
constexpr std::size_t WORD_SIZE = sizeof(Word);
constexpr Word ONES = 0x0101010101010101U;
constexpr Word LOW_BITS = 0x7F7F7F7F7F7F7F7FU;
constexpr Word HIGH_BITS = ~LOW_BITS;

/// A word of eight copies of `byte`.
constexpr Word repeated(char byte) noexcept {
  return ONES * static_cast<unsigned char>(byte);
}

Word load_word(const char* bytes) noexcept {
  Word word = 0;
  std::memcpy(&word, bytes, sizeof word);
  return word;
}

/// The top bit of each byte set exactly where `word` has the byte that
/// `pattern` repeats (no carry reaches a neighbouring byte, so no byte is
/// flagged by mistake).
Word matching_bytes(Word word, Word pattern) noexcept {
  const Word zero_where_equal = word ^ pattern;
  return ~(((zero_where_equal & LOW_BITS) + LOW_BITS) | zero_where_equal | LOW_BITS);
}

/// True when any byte of the word is the byte `pattern` repeats: a zero byte
/// of word ^ pattern makes the subtraction borrow into its top bit.
bool holds_byte(Word word, Word pattern) noexcept {
  const Word zero_where_equal = word ^ pattern;
  return ((zero_where_equal - ONES) & ~zero_where_equal & HIGH_BITS) != 0;
}

/// Offset, in memory order, of the last byte flagged in a non-zero `flags`.
std::size_t last_flagged_byte(Word flags) noexcept {
  if constexpr (std::endian::native == std::endian::little) {
    return WORD_SIZE - 1 - static_cast<std::size_t>(std::countl_zero(flags)) / 8;
  } else {
    return WORD_SIZE - 1 - static_cast<std::size_t>(std::countr_zero(flags)) / 8;
  }
}

/// One past the last byte of the text that is (`want_equal`) or is not
/// `byte`; 0 when there is none. Whole words that cannot hold it are passed
/// over with a cheap test; only the word that holds it is looked into.
std::size_t find_last(std::string_view text, char byte, bool want_equal) noexcept {
  const Word pattern = repeated(byte);
  std::size_t end = text.size();
  for (; end >= WORD_SIZE; end -= WORD_SIZE) {
    const Word word = load_word(text.data() + end - WORD_SIZE);
    if (want_equal ? word != pattern && !holds_byte(word, pattern) : word == pattern) {
      continue;
    }
    const Word equal = matching_bytes(word, pattern);
    return end - WORD_SIZE + last_flagged_byte(want_equal ? equal : ~equal & HIGH_BITS) +
           1;
  }
  for (; end > 0; --end) {
    if ((text[end - 1] == byte) == want_equal) {
      return end;
    }
  }
  return 0;
}

std::size_t after_last_space(std::string_view text) noexcept {
  return find_last(text, SPACE, true);
}

std::size_t after_last_non_space(std::string_view text) noexcept {
  return find_last(text, SPACE, false);
}

bool is_upper_case_letter(char character) noexcept {
  return character >= 'A' && character <= 'Z';
}

bool looks_like_source_path(std::string_view text) noexcept {
  return text.size() >= 2 && is_upper_case_letter(text[0]) && text[1] == ':';
}

/// Where the last space followed by a drive letter, a colon and a separator
/// stands, at `from` or after; NONE when there is none. Colons are rare in a
/// listing line, so the search goes from colon to colon.
std::size_t find_last_drive_start(std::string_view line, std::size_t from) noexcept {
  for (std::size_t colon = line.rfind(':'); colon != NONE && colon >= from + 2;
       colon = line.rfind(':', colon - 1)) {
    const bool separator_follows =
        colon + 1 < line.size() && (line[colon + 1] == '\\' || line[colon + 1] == '/');
    if (separator_follows && is_upper_case_letter(line[colon - 1]) &&
        line[colon - 2] == SPACE) {
      return colon - 2;
    }
  }
  return NONE;
}

/// Where the space in front of a path that holds spaces stands; NONE when
/// there is none. Padding is never part of such a path: it may not end in a
/// space nor hold two in a row, so only what follows the last two spaces in
/// a row needs searching.
std::size_t find_path_with_spaces(std::string_view line) noexcept {
  if (line.empty() || line.back() == SPACE) {
    return NONE;
  }
  const std::size_t padding = line.rfind("  ");
  return find_last_drive_start(line, padding == NONE ? 0 : padding + 1);
}

LineParts split_at(std::string_view line, std::size_t space) noexcept {
  return {.text = line.substr(0, space), .path = line.substr(space + 1)};
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

LineParts split_off_source_path(std::string_view line, PathSearch search) noexcept {
  const std::size_t after_space = after_last_space(line);
  if (after_space != 0 && looks_like_source_path(line.substr(after_space))) {
    return split_at(line, after_space - 1);
  }
  const std::size_t path_space =
      search == PathSearch::WHOLE_LINE ? find_path_with_spaces(line) : NONE;
  if (path_space != NONE) {
    return split_at(line, path_space);
  }
  return {.text = line, .path = {}};
}

std::string_view strip_trailing_spaces(std::string_view text,
                                       PathSearch search) noexcept {
  const std::size_t kept = after_last_non_space(text);
  if (kept == 0) {
    return search == PathSearch::PER_CHUNK ? text : text.substr(0, 0);
  }
  return text.substr(0, kept);
}

std::string_view clean_piece(std::string_view piece, std::uint8_t max_length,
                             PathSearch search) noexcept {
  // Stripping, cutting and stripping again gives the same text as cutting
  // and stripping once: the first strip only removes spaces that either lie
  // beyond the cut or would be removed by the second.
  const bool cuts = max_length > LONGEST_LENGTH_THAT_DOES_NOT_CUT;
  return strip_trailing_spaces(cuts ? piece.substr(0, max_length) : piece, search);
}

} // namespace vadrimel
