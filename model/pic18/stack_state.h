#ifndef VADRIMEL_MODEL_PIC18_STACK_STATE_H_
#define VADRIMEL_MODEL_PIC18_STACK_STATE_H_

#include <cstdint>
#include <string_view>
#include <vector>

#include "model/pic18/stack_effects.h"

namespace vadrimel {

/// W, as a walk of the software stack knows it.
struct WValue {
  enum class Kind : std::uint8_t {
    UNKNOWN,
    /// A literal, 0 to 255.
    CONSTANT,
    /// The pointer as it was at the offset `value`.
    POINTER,
    /// What the caller left in it.
    INCOMING,
  };
  Kind kind = Kind::UNKNOWN;
  std::int64_t value = 0;

  bool operator==(const WValue&) const = default;
};

/// FSR2, the frame pointer, as a walk knows it.
struct FrameValue {
  enum class Kind : std::uint8_t {
    /// As the caller left it (or restored to that).
    CALLERS,
    /// FSR1 at the offset `offset`.
    RECORDED,
    UNKNOWN,
  };
  Kind kind = Kind::CALLERS;
  std::int64_t offset = 0;

  bool operator==(const FrameValue&) const = default;
};

/// Where a 16-bit step of the pointer stands: after CLRF (or SETF) FSR1L,
/// after the step of POSTDEC1 (POSTINC1) that follows it.
enum class Pending : std::uint8_t { NONE, CLEARED_DOWN, CLEARED_UP, STEPPED };

struct State {
  std::int64_t offset = 0;
  WValue w;
  FrameValue frame;
  Pending pending = Pending::NONE;
};

/// What a walk has seen of an instruction: the offset before it, and the W
/// and frame pointer that every path brought.
struct Seen {
  std::int64_t offset = 0;
  WValue w;
  FrameValue frame;
  /// The pending steps it was reached with, a bit each.
  std::uint8_t pendings = 0;
};

/// A path brings `state` to an instruction seen before as `seen`: merges
/// into `seen` what the paths agree on, and gives in `again` the states to
/// walk the instruction again with. False when their offsets differ.
bool merge_into(Seen& seen, const State& state, std::vector<State>& again);

/// What every path agrees on: the value where they agree, else unknown.
WValue merged(const WValue& one, const WValue& other);
FrameValue merged(const FrameValue& one, const FrameValue& other);

/// The W a return leaves: RETLW's literal, else W where it is a constant
/// (never after a fast return, which takes W back from its shadow).
WValue w_at_return(std::uint16_t word, const WValue& w);

/// How an instruction's effect went: `needs_w` when it takes the caller's
/// W, `why` when the pointer cannot be followed past it.
struct StepOutcome {
  bool needs_w = false;
  std::string_view why;
};

/// Applies an instruction's effect to the state before it (the pending
/// 16-bit steps aside), giving the state after it. `is_root`: the function
/// is a root, whose own base of the stack LFSR 1 sets.
StepOutcome apply_stack_effect(const StackEffect& effect, bool is_root, State& state);

} // namespace vadrimel

#endif // VADRIMEL_MODEL_PIC18_STACK_STATE_H_
