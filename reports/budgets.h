#ifndef VADRIMEL_REPORTS_BUDGETS_H_
#define VADRIMEL_REPORTS_BUDGETS_H_

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "model/pic18/call_graph.h"
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

  [[nodiscard]] bool any() const {
    return flash_bytes || flash_share || ram_bytes || stack_levels;
  }
};

/// Reads "-L" limits: `flash=N`, `flash=P%`, `ram=N` and `stack=N` (`stack`
/// alone: 31), joined by commas; empty when the text is not of that form.
std::optional<Budgets> read_budgets(std::string_view text);

/// Checks a build against its budgets, on the figures its report gave:
/// for each limit passed, or that the build cannot tell, one line ("Over
/// budget: ...", without its line feed) that says which and by how much.
/// `calls` is null when the calls were not followed. No line: within every
/// limit.
std::vector<std::string> over_budget(const Budgets& budgets, const BuildSizes& sizes,
                                     const CallGraph* calls);

} // namespace vadrimel

#endif // VADRIMEL_REPORTS_BUDGETS_H_
