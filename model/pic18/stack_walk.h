#ifndef VADRIMEL_MODEL_PIC18_STACK_WALK_H_
#define VADRIMEL_MODEL_PIC18_STACK_WALK_H_

#include <cstdint>
#include <optional>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "model/pic18/instruction_graph.h"
#include "model/pic18/software_stack.h"
#include "model/pic18/stack_state.h"

namespace vadrimel {

/// What the walk of one function, entered with one W, finds.
struct WalkResult {
  StackFigures figures;
  bool known = true;
  /// Its body reaches a return (or a jump the listing cannot follow).
  bool returns = false;
  /// A step of its pointer takes the W its caller leaves: it is walked again
  /// for each W it is called with.
  bool needs_w = false;
  /// The W and the frame pointer every return leaves.
  WValue w_out;
  FrameValue frame_out;
  /// Why it is not known, when for a reason of its own; else `because`, the
  /// walk whose result it takes.
  std::string_view why;
  std::uint32_t because = InstructionGraph::NONE;
  /// The call (or tail jump) that takes it highest, where that is higher
  /// than its own frame: the node, the offset before it, the walk of the
  /// callee.
  std::uint32_t deepest_node = InstructionGraph::NONE;
  std::int64_t deepest_offset = 0;
  std::uint32_t deepest_walk = InstructionGraph::NONE;
};

/// What a walk needs of the walks of other functions.
class CalleeWalks {
public:
  CalleeWalks() = default;
  CalleeWalks(const CalleeWalks&) = delete;
  CalleeWalks& operator=(const CalleeWalks&) = delete;
  virtual ~CalleeWalks() = default;

  /// The walk of `function` called with `w`; NONE when it is not done yet
  /// (it is on a cycle with the caller). One that needs W is walked with a
  /// constant `w`, and is NONE when `w` is not one.
  virtual std::uint32_t walk_of(std::uint32_t function, const WValue& w) = 0;
  /// True once the function's own walk is done; and whether that found it
  /// taking W from its caller.
  [[nodiscard]] virtual bool is_done(std::uint32_t function) const = 0;
  [[nodiscard]] virtual bool needs_w(std::uint32_t function) const = 0;
  [[nodiscard]] virtual const WalkResult& result(std::uint32_t walk) const = 0;
  /// Counts an instruction looked at; false once the budget is spent.
  virtual bool spend() = 0;

protected:
  CalleeWalks(CalleeWalks&&) = default;
  CalleeWalks& operator=(CalleeWalks&&) = default;
};

/// Follows the software stack through the body of the function at index
/// `function` of `graph.entries()`, entered with `w` and the pointer at
/// offset 0. `entry_of` gives, for each node, the function it is the entry
/// of, or NONE; `is_root` says whether the function is a root.
WalkResult walk_stack(const InstructionGraph& graph,
                      const std::vector<std::uint32_t>& entry_of, std::uint32_t function,
                      bool is_root, const WValue& w, CalleeWalks& callees);

} // namespace vadrimel

#endif // VADRIMEL_MODEL_PIC18_STACK_WALK_H_
