#ifndef VADRIMEL_REPORTS_FUNCTION_DEPTHS_H_
#define VADRIMEL_REPORTS_FUNCTION_DEPTHS_H_

#include <cstdint>
#include <optional>
#include <vector>

#include "model/build.h"
#include "reports/build_sizes.h"

namespace vadrimel {

/// How deep the calls from a block of code go.
struct FunctionDepth {
  /// The listing holds an instruction at the block's start.
  bool listed = false;
  /// The most levels the calls from its start take; empty when unbounded
  /// (a cycle of calls) or not listed.
  std::optional<std::uint64_t> depth;
  /// Reset or an interrupt reaches its start, by flow or calls.
  bool reached = false;
};

/// The depth of each of `sizes.functions`, in their order, from its own
/// start: an interrupt's handler that its vector jumps to and a function no
/// root reaches have theirs too. Empty without the program words.
std::vector<FunctionDepth> function_depths(const Build& build, const BuildSizes& sizes);

} // namespace vadrimel

#endif // VADRIMEL_REPORTS_FUNCTION_DEPTHS_H_
