#ifndef VADRIMEL_MODEL_PIC18_PIC18_INSTRUCTION_H_
#define VADRIMEL_MODEL_PIC18_PIC18_INSTRUCTION_H_

#include <cstdint>
#include <optional>

namespace vadrimel {

/// Where control goes after a PIC18 instruction.
enum class Flow : std::uint8_t {
  /// On to the next instruction.
  NEXT,
  /// GOTO or BRA: to the target alone.
  JUMP,
  /// BC, BN, BNC, BNN, BNOV, BNZ, BOV, BZ: to the target and on.
  BRANCH,
  /// BTFSC, BTFSS, CPFSEQ, CPFSGT, CPFSLT, DECFSZ, DCFSNZ, INCFSZ, INFSNZ,
  /// TSTFSZ: on, or past the next instruction.
  SKIP,
  /// CALL or RCALL: the target takes a level of the return stack, then on.
  CALL,
  /// RETURN, RETLW, RETFIE, RESET: nowhere in this code.
  RETURN,
  /// A write to PCL, PUSH, POP or CALLW: somewhere the code does not say.
  COMPUTED,
};

/// A decoded instruction.
struct Pic18Instruction {
  Flow flow = Flow::NEXT;
  /// 4 for CALL, GOTO, MOVFF and LFSR, else 2.
  std::uint64_t size = 2;
  /// The byte address a jump, branch or call goes to.
  std::uint64_t target = 0;
};

/// Decodes the instruction whose first word is `word` at byte address
/// `address`, by the encoding of the PIC18 instruction set; `second` is the
/// word after it, when the listing has one (the target of CALL and GOTO, the
/// destination of MOVFF).
Pic18Instruction decode_pic18(std::uint16_t word, std::uint64_t address,
                              std::optional<std::uint16_t> second);

/// True for the first word of the instructions that take two words.
bool takes_two_words(std::uint16_t word);

} // namespace vadrimel

#endif // VADRIMEL_MODEL_PIC18_PIC18_INSTRUCTION_H_
