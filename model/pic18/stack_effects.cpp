#include "model/pic18/stack_effects.h"

#include <algorithm>
#include <array>

namespace vadrimel {

namespace {

// The registers by their 12-bit addresses.
constexpr unsigned FSR2L = 0xFD9;
constexpr unsigned FSR1L = 0xFE1;
constexpr unsigned PREINC1 = 0xFE4;
constexpr unsigned POSTDEC1 = 0xFE5;
constexpr unsigned POSTINC1 = 0xFE6;
constexpr unsigned WREG = 0xFE8;
/// A file operand that is no register of the access bank (banked, or RAM).
constexpr unsigned ELSEWHERE = 0x1000;

// Opcodes: the top six bits of the byte operations with a destination bit.
constexpr unsigned ADDWF = 0b001001;
constexpr unsigned DECF = 0b000001;
constexpr unsigned INCF = 0b001010;
constexpr unsigned MOVF = 0b010100;
constexpr unsigned SUBWF = 0b010111;
/// All of them.
constexpr std::array<unsigned, 21> WITH_DESTINATION = {
    0b001001, 0b001000, 0b000101, 0b000111, 0b000001, 0b001011, 0b010011,
    0b001010, 0b001111, 0b010010, 0b000100, 0b010100, 0b001101, 0b010001,
    0b001100, 0b010000, 0b010101, 0b010111, 0b010110, 0b001110, 0b000110};

// The top seven bits of the byte operations without one.
constexpr unsigned MULWF = 0b0000001;
constexpr unsigned SETF = 0b0110100;
constexpr unsigned CLRF = 0b0110101;
constexpr unsigned MOVWF = 0b0110111;

std::int8_t steps_of(unsigned file) {
  if (file == POSTINC1 || file == PREINC1) {
    return 1;
  }
  return file == POSTDEC1 ? std::int8_t{-1} : std::int8_t{0};
}

/// The register a byte or bit operation names: through the access bank
/// (a = 0) the registers from 0x60 up; anything else is ELSEWHERE.
unsigned file_of(std::uint16_t word) {
  const unsigned file = word & 0xFFU;
  const bool access = (word & 0x100U) == 0;
  return access && file >= 0x60 ? 0xF00U | file : ELSEWHERE;
}

bool has_destination(unsigned top6) {
  return std::ranges::find(WITH_DESTINATION, top6) != WITH_DESTINATION.end();
}

/// A byte operation that writes W: what W then holds, where it tells of
/// the pointer.
StackEffect byte_operation_to_w(unsigned opcode, unsigned file, StackEffect effect) {
  using Kind = StackEffect::Kind;
  if (file == FSR1L && opcode == MOVF) {
    effect.kind = Kind::W_FROM_POINTER;
  } else if (file == FSR1L && opcode == ADDWF) {
    effect.kind = Kind::W_POINTER_PLUS_W;
  } else if (file == FSR1L && opcode == SUBWF) {
    effect.kind = Kind::W_POINTER_MINUS_W;
  } else {
    effect.writes_w = true;
  }
  return effect;
}

/// A byte operation with a destination bit: `to_file` when it writes the
/// register, else W.
StackEffect byte_operation(unsigned opcode, unsigned file, bool to_file) {
  using Kind = StackEffect::Kind;
  StackEffect effect;
  effect.steps = steps_of(file);
  // DECF WREG takes one from W, to W or to WREG alike.
  if (file == WREG && opcode == DECF) {
    effect.kind = Kind::W_DECREMENT;
    return effect;
  }
  if (!to_file) {
    return byte_operation_to_w(opcode, file, effect);
  }
  // MOVF f, F writes back what it read: the register is as it was.
  if (opcode == MOVF) {
    return effect;
  }
  if (file == FSR1L) {
    effect.kind = opcode == ADDWF   ? Kind::POINTER_PLUS_W
                  : opcode == SUBWF ? Kind::POINTER_MINUS_W
                  : opcode == INCF  ? Kind::POINTER_INCREMENT
                  : opcode == DECF  ? Kind::POINTER_DECREMENT
                                    : Kind::POINTER_WRITTEN;
  } else if (file == FSR2L) {
    effect.kind = Kind::FRAME_WRITTEN;
  } else if (file == WREG) {
    effect.writes_w = true;
  }
  return effect;
}

/// A byte operation without a destination bit, or a bit operation: whether
/// it writes the register it names.
StackEffect register_write(unsigned file, bool writes, StackEffect::Kind on_pointer) {
  using Kind = StackEffect::Kind;
  StackEffect effect;
  effect.steps = steps_of(file);
  if (!writes) {
    return effect;
  }
  if (file == FSR1L) {
    effect.kind = on_pointer;
  } else if (file == FSR2L) {
    effect.kind = Kind::FRAME_WRITTEN;
  } else if (file == WREG) {
    effect.writes_w = true;
  }
  return effect;
}

StackEffect move_file_to_file(unsigned source, unsigned destination) {
  using Kind = StackEffect::Kind;
  StackEffect effect;
  effect.steps = static_cast<std::int8_t>(steps_of(source) + steps_of(destination));
  if (destination == FSR1L) {
    effect.kind = source == FSR2L ? Kind::POINTER_FROM_FRAME : Kind::POINTER_WRITTEN;
  } else if (destination == FSR2L) {
    effect.kind = source == FSR1L ? Kind::FRAME_FROM_POINTER : Kind::FRAME_WRITTEN;
  } else if (destination == WREG) {
    effect.writes_w = true;
  }
  return effect;
}

StackEffect literal_operation(std::uint16_t word) {
  using Kind = StackEffect::Kind;
  StackEffect effect;
  const unsigned high = word >> 8U;
  if (high == 0x0E) {
    effect.kind = Kind::LOAD_W;
    effect.literal = static_cast<std::uint8_t>(word & 0xFFU);
  } else if ((high >= 0x08 && high <= 0x0F && high != 0x0C && high != 0x0D) ||
             word == 0x0007) {
    // SUBLW, IORLW, XORLW, ANDLW, ADDLW, and DAW; RETLW returns and MULLW
    // writes PROD.
    effect.writes_w = true;
  }
  return effect;
}

/// SETF, CLRF, NEGF and MOVWF: each writes the register it names.
StackEffect single_register_write(unsigned top7, std::uint16_t word) {
  using Kind = StackEffect::Kind;
  const Kind on_pointer = top7 == CLRF    ? Kind::POINTER_CLEARED
                          : top7 == SETF  ? Kind::POINTER_SET
                          : top7 == MOVWF ? Kind::POINTER_FROM_W
                                          : Kind::POINTER_WRITTEN;
  StackEffect effect = register_write(file_of(word), true, on_pointer);
  // MOVWF WREG leaves W as it was.
  effect.writes_w = effect.writes_w && top7 != MOVWF;
  return effect;
}

/// LFSR f, k and the other extended words.
StackEffect extended_operation(std::uint16_t word) {
  using Kind = StackEffect::Kind;
  StackEffect effect;
  if ((word >> 8U) == 0xEE && (word & 0xC0U) == 0) {
    const unsigned fsr = (word >> 4U) & 0x3U;
    effect.kind = fsr == 1   ? Kind::POINTER_BASE
                  : fsr == 2 ? Kind::FRAME_WRITTEN
                             : Kind::PLAIN;
  } else {
    effect.kind = Kind::EXTENDED;
  }
  return effect;
}

} // namespace

StackEffect stack_effect_of(std::uint16_t word, std::uint16_t second) {
  using Kind = StackEffect::Kind;
  const unsigned top4 = word >> 12U;
  const unsigned top6 = word >> 10U;
  const unsigned top7 = word >> 9U;
  const unsigned high = word >> 8U;
  if (top4 == 0xC) {
    return move_file_to_file(word & 0xFFFU, second & 0xFFFU);
  }
  if (top4 >= 0x7 && top4 <= 0xB) {
    // BTG, BSF, BCF write their register; BTFSS and BTFSC only test it.
    return register_write(file_of(word), top4 <= 0x9, Kind::POINTER_WRITTEN);
  }
  if (top6 != 0 && has_destination(top6)) {
    return byte_operation(top6, file_of(word), (word & 0x200U) != 0);
  }
  if (top7 == MULWF || (top7 >= 0b0110000 && top7 <= 0b0110011)) {
    // MULWF, CPFSLT, CPFSEQ, CPFSGT, TSTFSZ: read only.
    return register_write(file_of(word), false, Kind::PLAIN);
  }
  if (top7 >= SETF && top7 <= MOVWF) {
    return single_register_write(top7, word);
  }
  if ((high == 0xEE && (word & 0xC0U) == 0) || (high >= 0xE8 && high <= 0xEB)) {
    return extended_operation(word);
  }
  return literal_operation(word);
}

bool is_pointer_step(std::uint16_t word, bool down) {
  // MOVF f, F through the access bank: 0101 0010 ffff ffff.
  return (word >> 8U) == 0x52 && (word & 0xFFU) == (down ? 0xE5U : 0xE6U);
}

} // namespace vadrimel
