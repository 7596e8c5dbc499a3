#ifndef VADRIMEL_REPORTS_BUDGETS_H_
#define VADRIMEL_REPORTS_BUDGETS_H_

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "model/pic18/call_graph.h"
#include "model/pic18/software_stack.h"
#include "reports/build_sizes.h"

namespace vadrimel {

/// Option -L: the most a build may take. Each limit is empty when not set.
struct Budgets {
  /// Program memory, in bytes or as a share of the part's size.
  std::optional<std::uint64_t> flash_bytes;
  std::optional<double> flash_share;
  /// Data memory, in bytes.
  std::optional<std::uint64_t> ram_bytes;
  /// The return stack's worst case, in levels.
  std::optional<std::uint64_t> stack_levels;
  /// The software stack's worst case, in bytes.
  std::optional<std::uint64_t> software_stack_bytes;
};

/// What the limits of -L are, as its message says.
inline constexpr std::string_view LIMITS_FORM =
    "flash=BYTES or flash=PERCENT%, ram=BYTES, stack=LEVELS, swstack=BYTES, "
    "each once, joined by commas";

/// Reads "-L" limits: `flash=N`, `flash=P%`, `ram=N`, `stack=N` (`stack`
/// alone: 31) and `swstack=N`, each once, joined by commas. Empty when the
/// text is not of that form, and `why` then says what is wrong with it.
std::optional<Budgets> read_budgets(std::string_view text, std::string& why);

/// Checks a build against its budgets, on the figures its report gave:
/// for each limit passed, or that the build cannot tell, one line ("Over
/// budget: ...", without its line feed) that says which and by how much.
/// `calls` and `stack` are null when the calls were not followed. A
/// figure that is a lower bound is checked as it stands. No line: within
/// every limit.
std::vector<std::string> over_budget(const Budgets& budgets, const BuildSizes& sizes,
                                     const CallGraph* calls, const SoftwareStack* stack);

} // namespace vadrimel

#endif // VADRIMEL_REPORTS_BUDGETS_H_
