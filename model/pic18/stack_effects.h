#ifndef VADRIMEL_MODEL_PIC18_STACK_EFFECTS_H_
#define VADRIMEL_MODEL_PIC18_STACK_EFFECTS_H_

#include <cstdint>

namespace vadrimel {

/// What an instruction does with the registers of C18's software stack:
/// FSR1, its pointer (the next free byte), FSR2, the frame pointer, and W,
/// which the stack's steps take their sizes from.
struct StackEffect {
  enum class Kind : std::uint8_t {
    /// Nothing of FSR1L, FSR2L or W but the pointer's `steps`.
    PLAIN,
    /// MOVLW k: W is `literal`.
    LOAD_W,
    /// MOVF FSR1L, W: W is the pointer.
    W_FROM_POINTER,
    /// ADDWF FSR1L, W and SUBWF FSR1L, W: W is the pointer plus W, minus W.
    W_POINTER_PLUS_W,
    W_POINTER_MINUS_W,
    /// ADDWF FSR1L, F and SUBWF FSR1L, F: the pointer plus W, minus W.
    POINTER_PLUS_W,
    POINTER_MINUS_W,
    /// INCF FSR1L, F and DECF FSR1L, F.
    POINTER_INCREMENT,
    POINTER_DECREMENT,
    /// MOVWF FSR1L: the pointer is W.
    POINTER_FROM_W,
    /// CLRF FSR1L and SETF FSR1L: the first half of a 16-bit step.
    POINTER_CLEARED,
    POINTER_SET,
    /// LFSR 1, k: the stack's base.
    POINTER_BASE,
    /// MOVFF FSR1L, FSR2L: the frame pointer is the pointer.
    FRAME_FROM_POINTER,
    /// MOVFF FSR2L, FSR1L: the pointer is the frame pointer.
    POINTER_FROM_FRAME,
    /// Any other write of FSR1L.
    POINTER_WRITTEN,
    /// Any other write of FSR2L: the frame pointer restored.
    FRAME_WRITTEN,
    /// DECF WREG, F: the counter of a counted loop.
    W_DECREMENT,
    /// An instruction of the extended instruction set (ADDFSR, SUBFSR,
    /// ADDULNK, SUBULNK, PUSHL, MOVSF, MOVSS).
    EXTENDED,
  };

  Kind kind = Kind::PLAIN;
  /// The pointer's steps by the instruction's operands: +1 for each that
  /// names POSTINC1 or PREINC1, -1 for POSTDEC1.
  std::int8_t steps = 0;
  /// It writes W otherwise than the kinds above say: W is not known after it.
  bool writes_w = false;
  /// MOVLW's literal.
  std::uint8_t literal = 0;
};

/// The effect of the instruction whose first word is `word` and whose second
/// word, where it has one, is `second`, by the encoding of the PIC18
/// instruction set: file operands through the access bank, MOVFF's two.
StackEffect stack_effect_of(std::uint16_t word, std::uint16_t second);

/// True for MOVF POSTDEC1, F and MOVF POSTINC1, F, the second halves of the
/// 16-bit steps after CLRF FSR1L and SETF FSR1L.
bool is_pointer_step(std::uint16_t word, bool down);

} // namespace vadrimel

#endif // VADRIMEL_MODEL_PIC18_STACK_EFFECTS_H_
