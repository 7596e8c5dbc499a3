#include "listing/build_noise_mask.h"

#include <algorithm>
#include <array>

#include "listing/code_row.h"
#include "listing/columns.h"
#include "listing/hex_digits.h"

namespace vadrimel {

namespace {

constexpr std::string_view GENERATED_HEADER = "Listing File Generated:";
constexpr std::string_view HEX_PREFIX = "0x";
/// The instructions whose operand is a code address, which moves whenever
/// code before its target grows or shrinks.
constexpr std::array<std::string_view, 12> BRANCHES = {
    "BC", "BN", "BNC", "BNN", "BNOV", "BNZ", "BOV", "BRA", "BZ", "CALL", "GOTO", "RCALL"};
constexpr std::size_t LONGEST_BRANCH = 5;

bool is_hex_digit(char character) noexcept {
  return hex_digit_value(character) >= 0;
}

constexpr std::string_view LITERAL_LOAD = "MOVLW";
constexpr std::size_t PARTS_KEPT = 3;

/// The instruction at the instruction column; empty when the line has none
/// of at most LONGEST_BRANCH letters.
std::string_view instruction_of(std::string_view line) noexcept {
  if (line.size() <= INSTRUCTION_COLUMN || line[INSTRUCTION_COLUMN - 1] != SPACE) {
    return {};
  }
  // No instruction masked is longer than the longest branch: only so much
  // need be looked at.
  const std::string_view start = line.substr(INSTRUCTION_COLUMN, LONGEST_BRANCH + 1);
  return start.substr(0, start.find(SPACE));
}

/// The hex digits of the operand of the instruction at the instruction
/// column (8de6 in "CALL      0x8de6,0x0") when it is a branch or a call, or
/// with `literal_loads` a MOVLW; empty when the line has none.
std::string_view masked_operand_digits(std::string_view line,
                                       bool literal_loads) noexcept {
  const std::string_view instruction = instruction_of(line);
  if (instruction.empty() ||
      (std::find(BRANCHES.begin(), BRANCHES.end(), instruction) == BRANCHES.end() &&
       !(literal_loads && instruction == LITERAL_LOAD))) {
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

LineText mask_build_noise(LineText text, bool in_string_statement) noexcept {
  const std::string_view line = view_of(text);
  // Every line is tested, and nearly none starts with the header's letter.
  if (!line.empty() && line[0] == GENERATED_HEADER[0] &&
      line.starts_with(GENERATED_HEADER)) {
    return text.first(GENERATED_HEADER.size());
  }
  if (starts_with_address_and_value(line)) {
    std::fill_n(text.begin(), COLUMNS_END, SPACE);
    const std::string_view digits = masked_operand_digits(line, in_string_statement);
    if (!digits.empty()) {
      std::fill_n(text.begin() + (digits.data() - line.data()), digits.size(), '?');
    }
  }
  return text;
}

bool holds_string_literal(std::string_view line) noexcept {
  return line.size() > SOURCE_COLUMN &&
         line.find('"', SOURCE_COLUMN) != std::string_view::npos;
}

std::size_t elided_path_start(std::string_view path) noexcept {
  std::size_t start = path.size();
  for (std::size_t part = 0; part < PARTS_KEPT; ++part) {
    if (start == 0) {
      return 0;
    }
    start = path.find_last_of("\\/", start - 1);
    if (start == std::string_view::npos) {
      return 0;
    }
  }
  return start;
}

} // namespace vadrimel
