#ifndef VADRIMEL_MODEL_PIC18_CALL_GRAPH_H_
#define VADRIMEL_MODEL_PIC18_CALL_GRAPH_H_

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

#include "model/pic18/instruction_graph.h"
#include "model/pic18/program_image.h"

namespace vadrimel {

/// The levels of the return stack of every PIC18.
inline constexpr std::uint64_t RETURN_STACK_LEVELS = 31;

/// A call in a function's code.
struct CallSite {
  /// The address of the CALL or RCALL.
  std::uint64_t at = 0;
  std::uint64_t callee = 0;
};

/// The call that takes a function deepest, and where it stands.
struct DeepestCall {
  CallSite call;
  /// The function whose code holds the call, where that is not the caller
  /// (its body took the code in by a jump); empty where it is the caller.
  std::optional<std::uint64_t> via;
};

/// A root or a call target. Its body is everything its instructions reach
/// without following calls; its own code is what of its body no function
/// before it (by address) reaches: code that bodies share is counted once,
/// as the first one's.
struct Function {
  std::uint64_t address = 0;
  /// The sizes of the instructions of its own code that the program reaches.
  std::uint64_t bytes = 0;
  /// On a cycle of calls (itself included).
  bool recursive = false;
  /// Its own code writes PCL, or holds PUSH, POP or CALLW.
  bool computed_jump = false;
  /// The most levels its body's calls take; empty when unbounded (it is
  /// recursive or reaches a recursive function).
  std::optional<std::uint64_t> depth;
  /// The calls of its own code, by address.
  std::vector<CallSite> calls;
  /// The addresses its own code calls, ascending, each once; code the listing
  /// does not hold too.
  std::vector<std::uint64_t> callees;
  /// The addresses its own code reaches or calls where the listing has no
  /// code, ascending, each once.
  std::vector<std::uint64_t> unlisted;
  /// The call of its body of the greatest depth (of equal ones, the one at
  /// the lowest address); empty when its body calls nothing.
  std::optional<DeepestCall> deepest;
  /// Its place in an order that has callees first: a function comes after
  /// every function its body calls or jumps into, but for those on a cycle
  /// with it, which share its place.
  std::uint32_t order = 0;
};

/// Where the hardware starts running code.
struct Root {
  /// "reset", "high interrupt" or "low interrupt".
  std::string_view name;
  std::uint64_t address = 0;
};

/// The calls of a listing's code, from its roots: the lowest code address
/// (reset) and 0x08 and 0x18 above it (the interrupts), where the listing has
/// an instruction there.
struct CallGraph {
  /// By address.
  std::vector<Function> functions;
  std::vector<Root> roots;

  /// The function that starts at `address`; null when none does.
  [[nodiscard]] const Function* function_at(std::uint64_t address) const;
  /// Reset's depth and one level and the depth of each interrupt; empty when
  /// a term is unbounded.
  [[nodiscard]] std::optional<std::uint64_t> worst_case() const;
  /// The deepest chain from a function: at each level its deepest call, up
  /// to the first recursive function or code the listing does not hold.
  [[nodiscard]] std::vector<DeepestCall> deepest_chain(const Function& from) const;
};

/// The roots of a program: reset, and each interrupt whose vector holds an
/// instruction of its own.
std::vector<Root> roots_of(const ProgramImage& image);

/// The roots of `image` (`roots_of`), then `call_graph_of` the graph of what
/// they reach.
CallGraph call_graph_of(const ProgramImage& image);

/// Works out the functions of `graph` and every depth, in time and memory
/// linear in the graph: each instruction is looked at once, whatever the
/// bodies share.
CallGraph call_graph_of(const InstructionGraph& graph, std::vector<Root> roots);

} // namespace vadrimel

#endif // VADRIMEL_MODEL_PIC18_CALL_GRAPH_H_
