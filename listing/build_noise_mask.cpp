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
/// The width of every masked operand: a string's address as MOVLW loads
/// its byte, a code address.
constexpr std::size_t MASKED_LITERAL_DIGITS = 2;
constexpr std::size_t MASKED_ADDRESS_DIGITS = 4;
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

/// Masks the `count` digits at `at` with `width` question marks, whatever
/// their count, so that an operand of fewer or more digits is no change: what
/// follows the operand moves within the disassembly column's padding, which
/// keeps a space before the source column. Where the padding has too little
/// room, the digits are masked as they stand.
void mask_operand(LineText text, std::size_t at, std::size_t count, std::size_t width) {
  const std::string_view line = view_of(text);
  const std::size_t tail_end = std::min(line.find(SPACE, at + count), line.size());
  if (count < width) {
    // The room is the padding after the operand, up to the space kept.
    const std::size_t room_end = std::min(line.size(), SOURCE_COLUMN - 1);
    const std::size_t grow = width - count;
    const bool room =
        tail_end + grow <= room_end &&
        line.substr(tail_end, grow).find_first_not_of(SPACE) == std::string_view::npos;
    if (!room) {
      std::fill_n(text.begin() + static_cast<std::ptrdiff_t>(at), count, '?');
      return;
    }
    std::copy_backward(text.begin() + static_cast<std::ptrdiff_t>(at + count),
                       text.begin() + static_cast<std::ptrdiff_t>(tail_end),
                       text.begin() + static_cast<std::ptrdiff_t>(tail_end + grow));
  } else if (count > width) {
    const std::size_t shrink = count - width;
    std::copy(text.begin() + static_cast<std::ptrdiff_t>(at + count),
              text.begin() + static_cast<std::ptrdiff_t>(tail_end),
              text.begin() + static_cast<std::ptrdiff_t>(at + width));
    std::fill_n(text.begin() + static_cast<std::ptrdiff_t>(tail_end - shrink), shrink,
                SPACE);
  }
  std::fill_n(text.begin() + static_cast<std::ptrdiff_t>(at), width, '?');
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
      mask_operand(text, static_cast<std::size_t>(digits.data() - line.data()),
                   digits.size(),
                   instruction_of(line) == LITERAL_LOAD ? MASKED_LITERAL_DIGITS
                                                        : MASKED_ADDRESS_DIGITS);
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
