#ifndef VADRIMEL_MODEL_PIC18_SOFTWARE_STACK_H_
#define VADRIMEL_MODEL_PIC18_SOFTWARE_STACK_H_

#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

#include "model/pic18/call_graph.h"
#include "model/pic18/instruction_graph.h"

namespace vadrimel {

/// How far a function takes C18's software stack, in bytes from the pointer
/// (FSR1) at its entry: followed instruction by instruction through its body
/// and its calls.
struct StackFigures {
  /// Empty where the function is not known: see `why`.
  std::optional<std::int64_t> height;
  /// The greatest offset its own instructions reach, calls aside.
  std::optional<std::int64_t> frame;
  /// The offset at its returns.
  std::optional<std::int64_t> net;
  /// A figure rests on code that cannot be seen (a library routine the
  /// listing does not hold, a computed jump), which counts 0: the figures
  /// are lower bounds.
  bool at_least = false;
};

/// A level of the deepest chain by bytes.
struct StackLink {
  /// The function entered at this level.
  std::uint64_t function = 0;
  /// The pointer's offset at its entry, from the root's.
  std::int64_t offset = 0;
  StackFigures figures;
  /// Where the call to it stands (none for the root), and the function whose
  /// code holds the call where that is not the caller.
  std::optional<std::uint64_t> call_address;
  std::optional<std::uint64_t> via;
};

/// A root's worst case and its deepest chain.
struct StackRoot {
  Root root;
  StackFigures figures;
  std::vector<StackLink> chain;
};

/// A function whose figures cannot be known for a reason of its own.
struct LostFunction {
  std::uint64_t address = 0;
  std::string_view why;
};

/// The software stack of a build.
struct SoftwareStack {
  /// By function, in the order of the call graph's functions.
  std::vector<StackFigures> functions;
  std::vector<StackRoot> roots;
  /// The unknown functions that are the cause, by address; and how many
  /// more are unknown because of them.
  std::vector<LostFunction> lost;
  std::size_t lost_after = 0;

  /// Reset's height and each interrupt's, added up: an interrupt may come at
  /// the deepest point, and the high one may interrupt the low one; empty
  /// where a term is not known.
  [[nodiscard]] StackFigures worst_case() const;
};

/// Follows the software stack through every function of `calls`, whose
/// graph is `graph`, in time and memory linear in the program: each
/// function's body once (a call of a block that takes W from its caller once
/// per value of W), up to a budget of instructions after which what is left
/// is not known.
SoftwareStack software_stack_of(const InstructionGraph& graph, const CallGraph& calls);

} // namespace vadrimel

#endif // VADRIMEL_MODEL_PIC18_SOFTWARE_STACK_H_
