#ifndef VADRIMEL_SYSTEM_DECIMAL_NUMBER_H_
#define VADRIMEL_SYSTEM_DECIMAL_NUMBER_H_

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

namespace vadrimel {

/// The number that decimal digits spell; empty when `digits` is empty, holds
/// any other character or more than `most_digits` digits (at most 19, which
/// cannot overflow).
inline std::optional<std::uint64_t> decimal_number(std::string_view digits,
                                                   std::size_t most_digits) noexcept {
  constexpr std::size_t MOST_SAFE_DIGITS = 19;
  if (digits.empty() || digits.size() > most_digits || digits.size() > MOST_SAFE_DIGITS) {
    return std::nullopt;
  }
  std::uint64_t value = 0;
  for (const char digit : digits) {
    if (digit < '0' || digit > '9') {
      return std::nullopt;
    }
    value = value * 10 + static_cast<std::uint64_t>(digit - '0');
  }
  return value;
}

} // namespace vadrimel

#endif // VADRIMEL_SYSTEM_DECIMAL_NUMBER_H_
