#ifndef VADRIMEL_REPORT_BUDGETS_H_
#define VADRIMEL_REPORT_BUDGETS_H_

#include <cstdint>
#include <cstdio>
#include <optional>
#include <string_view>

#include "report/build_sizes.h"
#include "report/call_graph.h"

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

/// Checks a build against its budgets: for each limit passed, one line on
/// `messages` that says which and by how much. `calls` is null when the
/// calls were not followed. Returns the exit status: 1 when any limit was
/// passed or could not be checked.
int check_budgets(const Budgets& budgets, const BuildSizes& sizes, const CallGraph* calls,
                  std::FILE* messages);

} // namespace vadrimel

#endif // VADRIMEL_REPORT_BUDGETS_H_
