#ifndef VADRIMEL_LISTING_HEX_DIGITS_H_
#define VADRIMEL_LISTING_HEX_DIGITS_H_

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

namespace vadrimel {

/// The value of a hex digit of either case; -1 for any other character.
constexpr int hex_digit_value(char character) noexcept {
  if (character >= '0' && character <= '9') {
    return character - '0';
  }
  if (character >= 'a' && character <= 'f') {
    return character - 'a' + 10;
  }
  if (character >= 'A' && character <= 'F') {
    return character - 'A' + 10;
  }
  return -1;
}

/// Every byte, by its code: whether it is a lower-case hex digit, as the
/// listing writes its address and value columns.
inline constexpr std::array<bool, 256> LOWER_CASE_HEX = [] {
  std::array<bool, 256> table{};
  for (std::size_t code = 0; code < table.size(); ++code) {
    const char character = static_cast<char>(code);
    table[code] =
        hex_digit_value(character) >= 0 && !(character >= 'A' && character <= 'F');
  }
  return table;
}();

/// True when every character is a lower-case hex digit. Looks at every
/// digit, whatever the ones before it were: the digits vary from line to
/// line, and a test that stops at the first failure jumps where the
/// processor cannot foresee.
inline bool all_lower_case_hex(std::string_view digits) noexcept {
  bool all = true;
  for (const char digit : digits) {
    all &= LOWER_CASE_HEX[static_cast<unsigned char>(digit)];
  }
  return all;
}

/// Every byte, by its code: its value as a hex digit of either case, or -1.
inline constexpr std::array<std::int8_t, 256> HEX_VALUE = [] {
  std::array<std::int8_t, 256> table{};
  for (std::size_t code = 0; code < table.size(); ++code) {
    table[code] = static_cast<std::int8_t>(hex_digit_value(static_cast<char>(code)));
  }
  return table;
}();

/// The number that hex digits known to be hex digits spell (the address and
/// value columns, once tested).
inline std::uint64_t hex_digits_value(std::string_view digits) noexcept {
  std::uint64_t value = 0;
  for (const char digit : digits) {
    value = value * 16 +
            static_cast<std::uint64_t>(HEX_VALUE[static_cast<unsigned char>(digit)]);
  }
  return value;
}

/// The number that hex digits of either case spell; empty when `digits` is
/// empty, longer than 16 digits or holds any other character.
inline std::optional<std::uint64_t> hex_number(std::string_view digits) noexcept {
  if (digits.empty() || digits.size() > 2 * sizeof(std::uint64_t)) {
    return std::nullopt;
  }
  std::uint64_t value = 0;
  for (const char digit : digits) {
    const int digit_value = hex_digit_value(digit);
    if (digit_value < 0) {
      return std::nullopt;
    }
    value = value * 16 + static_cast<std::uint64_t>(digit_value);
  }
  return value;
}

} // namespace vadrimel

#endif // VADRIMEL_LISTING_HEX_DIGITS_H_
