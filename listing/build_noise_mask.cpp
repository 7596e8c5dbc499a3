#include "listing/build_noise_mask.h"

#include <algorithm>
#include <array>

#include "listing/columns.h"

namespace vadrimel {

namespace {

constexpr std::string_view GENERATED_HEADER = "Listing File Generated:";
constexpr std::string_view HEX_PREFIX = "0x";
/// The instructions whose operand is a code address, which moves whenever
/// code before its target grows or shrinks.
constexpr std::array<std::string_view, 12> BRANCHES = {
    "BC", "BN", "BNC", "BNN", "BNOV", "BNZ", "BOV", "BRA", "BZ", "CALL", "GOTO", "RCALL"};
constexpr std::size_t LONGEST_BRANCH = 5;

constexpr bool is_lower_case_hex_digit(char character) noexcept {
  return (character >= '0' && character <= '9') || (character >= 'a' && character <= 'f');
}

bool is_hex_digit(char character) noexcept {
  return is_lower_case_hex_digit(character) || (character >= 'A' && character <= 'F');
}

/// Every byte, by its code: whether it is a lower-case hex digit.
constexpr std::array<bool, 256> LOWER_CASE_HEX = [] {
  std::array<bool, 256> table{};
  for (std::size_t code = 0; code < table.size(); ++code) {
    table[code] = is_lower_case_hex_digit(static_cast<char>(code));
  }
  return table;
}();

/// Looks at every digit, whatever the ones before it were: the digits vary
/// from line to line, and a test that stops at the first failure jumps
/// where the processor cannot foresee.
bool all_lower_case_hex(std::string_view digits) noexcept {
  bool all = true;
  for (const char digit : digits) {
    all &= LOWER_CASE_HEX[static_cast<unsigned char>(digit)];
  }
  return all;
}

/// The hex digits of the target of a branch or a call at the instruction
/// column (8de6 in "CALL      0x8de6,0x0"); empty when the line has none.
std::string_view branch_target_digits(std::string_view line) noexcept {
  if (line.size() <= INSTRUCTION_COLUMN || line[INSTRUCTION_COLUMN - 1] != SPACE) {
    return {};
  }
  // No branch is longer than the longest name: only so much need be looked at.
  const std::string_view start = line.substr(INSTRUCTION_COLUMN, LONGEST_BRANCH + 1);
  const std::string_view instruction = start.substr(0, start.find(SPACE));
  if (std::find(BRANCHES.begin(), BRANCHES.end(), instruction) == BRANCHES.end()) {
    return {};
  }
  const std::size_t operand =
      line.find_first_not_of(SPACE, INSTRUCTION_COLUMN + instruction.size());
  if (operand == std::string_view::npos ||
      line.substr(operand, HEX_PREFIX.size()) != HEX_PREFIX) {
    return {};
  }
  const std::string_view digits = line.substr(operand + HEX_PREFIX.size());
  return digits.substr(
      0,
      static_cast<std::size_t>(
          std::find_if_not(digits.begin(), digits.end(), is_hex_digit) - digits.begin()));
}

} // namespace

bool starts_with_address_and_value(std::string_view line) noexcept {
  return line.size() >= COLUMNS_END &&
         (line.size() == COLUMNS_END || line[COLUMNS_END] == SPACE) &&
         all_lower_case_hex(line.substr(0, ADDRESS_DIGITS)) &&
         line[ADDRESS_DIGITS] == SPACE && line[ADDRESS_DIGITS + 1] == SPACE &&
         line[ADDRESS_DIGITS + 2] == SPACE &&
         all_lower_case_hex(line.substr(VALUE_COLUMN, VALUE_DIGITS));
}

LineText mask_build_noise(LineText text) noexcept {
  const std::string_view line = view_of(text);
  // Every line is tested, and nearly none starts with the header's letter.
  if (!line.empty() && line[0] == GENERATED_HEADER[0] &&
      line.starts_with(GENERATED_HEADER)) {
    return text.first(GENERATED_HEADER.size());
  }
  if (starts_with_address_and_value(line)) {
    std::fill_n(text.begin(), COLUMNS_END, SPACE);
    const std::string_view digits = branch_target_digits(line);
    if (!digits.empty()) {
      std::fill_n(text.begin() + (digits.data() - line.data()), digits.size(), '?');
    }
  }
  return text;
}

} // namespace vadrimel
