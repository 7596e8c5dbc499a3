// Feeds arbitrary bytes to the reader of -L's limits: limits it takes say
// the same when written back as the usage text spells them, and limits it
// refuses come with what is wrong.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "reports/budgets.h"
#include "tests/fuzz/fuzz_support.h"

namespace {

using vadrimel::fuzzing::require;

/// The limits as a user would type them, the share left out.
std::string typed(const vadrimel::Budgets& budgets) {
  std::string text;
  const auto add = [&text](const char* key, const std::optional<std::uint64_t>& value) {
    if (value) {
      text += (text.empty() ? "" : ",") + std::string(key) + "=" + std::to_string(*value);
    }
  };
  add("flash", budgets.flash_bytes);
  add("ram", budgets.ram_bytes);
  add("stack", budgets.stack_levels);
  add("swstack", budgets.software_stack_bytes);
  return text;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  std::string why;
  const std::optional<vadrimel::Budgets> budgets = vadrimel::read_budgets(text, why);
  require(budgets.has_value() == why.empty());
  if (!budgets || budgets->flash_share) {
    return 0;
  }
  const std::string again = typed(*budgets);
  if (again.empty()) {
    return 0;
  }
  std::string why_again;
  const std::optional<vadrimel::Budgets> read_again =
      vadrimel::read_budgets(again, why_again);
  require(read_again.has_value());
  require(read_again->flash_bytes == budgets->flash_bytes &&
          read_again->ram_bytes == budgets->ram_bytes &&
          read_again->stack_levels == budgets->stack_levels &&
          read_again->software_stack_bytes == budgets->software_stack_bytes);
  return 0;
}
