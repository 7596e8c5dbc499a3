#ifndef VADRIMEL_MODEL_PIC18_CALL_GRAPH_H_
#define VADRIMEL_MODEL_PIC18_CALL_GRAPH_H_

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

#include "model/pic18/program_image.h"

namespace vadrimel {

/// The levels of the return stack of every PIC18.
inline constexpr std::uint64_t RETURN_STACK_LEVELS = 31;

/// A call in a function's body.
struct CallSite {
  /// The address of the CALL or RCALL.
  std::uint64_t at = 0;
  std::uint64_t callee = 0;
};

/// A root or a call target, and everything reachable from it without
/// following calls.
struct Function {
  std::uint64_t address = 0;
  /// The sizes of the instructions of its body, added up.
  std::uint64_t bytes = 0;
  /// On a cycle of calls (itself included).
  bool recursive = false;
  /// Its body writes PCL, or holds PUSH, POP or CALLW.
  bool computed_jump = false;
  /// The most levels its calls take; empty when unbounded (it is recursive
  /// or reaches a recursive function).
  std::optional<std::uint64_t> depth;
  /// By the address of the call.
  std::vector<CallSite> calls;
  /// The addresses called, ascending, each once; code the listing does not
  /// hold too.
  std::vector<std::uint64_t> callees;
  /// The addresses the body reaches or calls where the listing has no code,
  /// ascending, each once.
  std::vector<std::uint64_t> unlisted;
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
  /// The deepest chain from a function: at each level the call of the
  /// greatest depth (of equal ones, the one at the lowest address), up to the
  /// first recursive function or code the listing does not hold. The
  /// addresses called, one a level.
  [[nodiscard]] std::vector<std::uint64_t> deepest_chain(const Function& from) const;
};

/// Decodes the listing's program words and builds the graph of its calls.
CallGraph call_graph_of(const ProgramImage& words);

} // namespace vadrimel

#endif // VADRIMEL_MODEL_PIC18_CALL_GRAPH_H_
