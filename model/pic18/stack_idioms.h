#ifndef VADRIMEL_MODEL_PIC18_STACK_IDIOMS_H_
#define VADRIMEL_MODEL_PIC18_STACK_IDIOMS_H_

#include <cstdint>
#include <optional>

#include "model/pic18/instruction_graph.h"
#include "model/pic18/stack_effects.h"
#include "model/pic18/stack_state.h"

namespace vadrimel {

/// A counted loop that moves the software stack's pointer: an interrupt's
/// save loop, "MOVLW k ... back: DECF WREG; BNC out; a push; BRA back",
/// pushes k bytes; with a pop in place of the push, its restore loop pops
/// them.
struct CountedLoop {
  /// The bytes it pushes (or, less than 0, pops).
  std::int64_t moved = 0;
  /// The BNC, and the node it goes out to (NONE: none the listing holds).
  std::uint32_t branch = InstructionGraph::NONE;
  std::uint32_t out = InstructionGraph::NONE;
};

/// How an instruction meets a 16-bit step of the pointer under way: CLRF
/// FSR1L, MOVF POSTDEC1, F (or SETF and POSTINC1) leave the offset as it
/// was, up to the MOVWF FSR1L that sets it, which the path may reach by a
/// jump.
enum class HalfStep {
  /// No step is under way, or the instruction goes on with it as usual.
  NONE,
  /// It is the step's second half: it has no effect of its own.
  TAKEN,
  /// It breaks the step off: the offset cannot be followed.
  BROKEN,
};
HalfStep take_half_step(State& state, const InstructionGraph::Node& node,
                        const StackEffect& effect);

/// The counted loop whose DECF WREG is `node`, with `w` before it; empty
/// when it is none, or W is not known.
std::optional<CountedLoop> counted_loop_at(const InstructionGraph& graph,
                                           std::uint32_t node, const WValue& w);

} // namespace vadrimel

#endif // VADRIMEL_MODEL_PIC18_STACK_IDIOMS_H_
