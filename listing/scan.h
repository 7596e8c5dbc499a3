#ifndef VADRIMEL_LISTING_SCAN_H_
#define VADRIMEL_LISTING_SCAN_H_

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>

/// Backward scans for a byte, eight bytes at a time: listing lines end in
/// long runs of padding (docs/design.md has the figures that keep them). The
/// text before a position is taken with `first`, which cannot throw, so that
/// nothing keeps the scans out of line.

namespace vadrimel::scan {

using Word = std::uint64_t;
inline constexpr std::size_t WORD_SIZE = sizeof(Word);
inline constexpr Word ONES = 0x0101010101010101U;
inline constexpr Word LOW_BITS = 0x7F7F7F7F7F7F7F7FU;
inline constexpr Word HIGH_BITS = ~LOW_BITS;

inline Word load_word(const char* bytes) noexcept {
  Word word = 0;
  std::memcpy(&word, bytes, sizeof word);
  return word;
}

/// The top bit of each byte set exactly where `word` has the byte that
/// `pattern` repeats (no carry reaches a neighbouring byte).
inline Word matching_bytes(Word word, Word pattern) noexcept {
  const Word zero_where_equal = word ^ pattern;
  return ~(((zero_where_equal & LOW_BITS) + LOW_BITS) | zero_where_equal | LOW_BITS);
}

/// True when any byte of the word is the byte `pattern` repeats: a zero byte
/// of word ^ pattern makes the subtraction borrow into its top bit.
inline bool holds_byte(Word word, Word pattern) noexcept {
  const Word zero_where_equal = word ^ pattern;
  return ((zero_where_equal - ONES) & ~zero_where_equal & HIGH_BITS) != 0;
}

/// Offset, in memory order, of the last byte flagged in a non-zero `flags`.
inline std::size_t last_flagged_byte(Word flags) noexcept {
  if constexpr (std::endian::native == std::endian::little) {
    return WORD_SIZE - 1 - static_cast<std::size_t>(std::countl_zero(flags)) / 8;
  } else {
    return WORD_SIZE - 1 - static_cast<std::size_t>(std::countr_zero(flags)) / 8;
  }
}

/// One past the last byte of `text` that is (`WANT_EQUAL`) or is not `byte`;
/// 0 when there is none. Always inlined: called on its own, it cost every
/// line a call (see docs/design.md).
template <bool WANT_EQUAL>
[[gnu::always_inline]] inline std::size_t after_last(std::string_view text,
                                                     char byte) noexcept {
  const Word pattern = ONES * static_cast<unsigned char>(byte);
  std::size_t end = text.size();
  for (; end >= WORD_SIZE; end -= WORD_SIZE) {
    const Word word = load_word(text.data() + end - WORD_SIZE);
    // Most words are passed over: padding when a character is sought, text
    // when a space is.
    if (WANT_EQUAL ? !holds_byte(word, pattern) : word == pattern) {
      continue;
    }
    const Word equal = matching_bytes(word, pattern);
    const Word wanted = WANT_EQUAL ? equal : ~equal & HIGH_BITS;
    if (wanted != 0) {
      return end - WORD_SIZE + last_flagged_byte(wanted) + 1;
    }
  }
  for (; end > 0; --end) {
    if ((text[end - 1] == byte) == WANT_EQUAL) {
      return end;
    }
  }
  return 0;
}

/// The first `count` bytes of `text`; `count` is at most its size.
inline std::string_view first(std::string_view text, std::size_t count) noexcept {
  return {text.data(), count};
}

/// One past the last space of `text`; 0 when it has none.
inline std::size_t after_last_space(std::string_view text) noexcept {
  return after_last<true>(text, ' ');
}

/// One past the last character of `text` that is not a space; 0 when none is.
inline std::size_t after_last_non_space(std::string_view text) noexcept {
  return after_last<false>(text, ' ');
}

} // namespace vadrimel::scan

#endif // VADRIMEL_LISTING_SCAN_H_
