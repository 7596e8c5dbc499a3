#include "model/pic18/pic18_instruction.h"

#include <array>

namespace vadrimel {

namespace {

/// PCL in the access bank: a write to it jumps where W or a table says.
constexpr unsigned PCL_ACCESS = 0xF9;
constexpr unsigned PCL = 0xFF9;

/// The opcodes (top six bits) of the byte operations with a destination bit.
constexpr std::array<unsigned, 21> WITH_DESTINATION = {
    0b001001, 0b001000, 0b000101, 0b000111, 0b000001, 0b001011, 0b010011,
    0b001010, 0b001111, 0b010010, 0b000100, 0b010100, 0b001101, 0b010001,
    0b001100, 0b010000, 0b010101, 0b010111, 0b010110, 0b001110, 0b000110};
/// The same by opcode: every instruction is decoded once, and most are byte
/// operations.
constexpr std::array<bool, 64> HAS_DESTINATION = [] {
  std::array<bool, 64> table{};
  for (const unsigned opcode : WITH_DESTINATION) {
    table[opcode] = true;
  }
  return table;
}();

std::int64_t signed_field(unsigned value, unsigned bits) {
  const unsigned sign = 1U << (bits - 1);
  return static_cast<std::int64_t>(value ^ sign) - static_cast<std::int64_t>(sign);
}

/// True when the instruction writes PCL through the access bank.
bool writes_pcl(std::uint16_t word) {
  const unsigned file = word & 0xFFU;
  const bool access = (word & 0x100U) == 0;
  if (file != PCL_ACCESS || !access) {
    return false;
  }
  const unsigned top7 = word >> 9U;
  // MOVWF, CLRF, SETF, NEGF.
  if (top7 == 0b0110111 || top7 == 0b0110101 || top7 == 0b0110100 || top7 == 0b0110110) {
    return true;
  }
  const unsigned top4 = word >> 12U;
  // BCF, BSF, BTG.
  if (top4 == 0b1001 || top4 == 0b1000 || top4 == 0b0111) {
    return true;
  }
  const unsigned top6 = word >> 10U;
  const bool to_file = (word & 0x200U) != 0;
  return to_file && HAS_DESTINATION[top6];
}

bool skips(std::uint16_t word) {
  const unsigned top7 = word >> 9U;
  const unsigned top6 = word >> 10U;
  const unsigned top4 = word >> 12U;
  return top4 == 0b1011 || top4 == 0b1010 ||                            // BTFSC, BTFSS
         top7 == 0b0110001 || top7 == 0b0110010 || top7 == 0b0110000 || // CPFSxx
         top7 == 0b0110011 ||                                           // TSTFSZ
         top6 == 0b001011 || top6 == 0b010011 || top6 == 0b001111 || top6 == 0b010010;
}

constexpr std::uint64_t PROGRAM_COUNTER_MASK = (std::uint64_t{1} << 21U) - 1;

} // namespace

bool takes_two_words(std::uint16_t word) {
  const unsigned high = word >> 8U;
  return (word >> 12U) == 0xC ||                // MOVFF
         high == 0xEC || high == 0xED ||        // CALL
         high == 0xEF ||                        // GOTO
         (high == 0xEE && (word & 0xC0U) == 0); // LFSR
}

Pic18Instruction decode_pic18(std::uint16_t word, std::uint64_t address,
                              std::optional<std::uint16_t> second) {
  Pic18Instruction instruction;
  instruction.size = takes_two_words(word) ? 4 : 2;
  const unsigned high = word >> 8U;
  const std::uint64_t long_target =
      ((static_cast<std::uint64_t>(second.value_or(0) & 0xFFFU) << 8U) | (word & 0xFFU)) *
      2;
  // The program counter has 21 bits: a branch below address 0 lands at the
  // top of program memory.
  const auto relative = [address](std::int64_t words) {
    return static_cast<std::uint64_t>(static_cast<std::int64_t>(address) + 2 +
                                      2 * words) &
           PROGRAM_COUNTER_MASK;
  };
  if (word == 0x0012 || word == 0x0013 || word == 0x0010 || word == 0x0011 ||
      word == 0x00FF || high == 0x0C) {
    instruction.flow = Flow::RETURN;
  } else if (word == 0x0005 || word == 0x0006 || word == 0x0014 || writes_pcl(word) ||
             ((word >> 12U) == 0xC && second && (*second & 0xFFFU) == PCL)) {
    instruction.flow = Flow::COMPUTED;
  } else if (high == 0xEF) {
    instruction.flow = Flow::JUMP;
    instruction.target = long_target;
  } else if (high == 0xEC || high == 0xED) {
    instruction.flow = Flow::CALL;
    instruction.target = long_target;
  } else if ((word & 0xF800U) == 0xD000) {
    instruction.flow = Flow::JUMP;
    instruction.target = relative(signed_field(word & 0x7FFU, 11));
  } else if ((word & 0xF800U) == 0xD800) {
    instruction.flow = Flow::CALL;
    instruction.target = relative(signed_field(word & 0x7FFU, 11));
  } else if (high >= 0xE0 && high <= 0xE7) {
    instruction.flow = Flow::BRANCH;
    instruction.target = relative(signed_field(word & 0xFFU, 8));
  } else if (skips(word)) {
    instruction.flow = Flow::SKIP;
  }
  return instruction;
}

} // namespace vadrimel
