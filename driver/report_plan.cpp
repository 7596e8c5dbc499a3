#include "driver/report_plan.h"

#include <string>
#include <string_view>

#include "reports/address_lookup.h"

namespace vadrimel {

namespace {

/// The addresses of -a; an argument that is none gets its message.
void read_addresses(const Command& command, ReportPlan& plan, std::FILE* messages) {
  for (const std::string_view argument : command.names.subspan(1)) {
    const std::optional<std::uint64_t> address = address_named(argument);
    if (address) {
      plan.needs.addresses.push_back(*address);
    } else {
      plan.bad_address = true;
      report_fatal(messages, "not an address", argument);
    }
  }
}

} // namespace

std::optional<Failure> plan_report(const Command& command, ReportPlan& plan,
                                   std::FILE* messages) {
  const ReportRequest& request = command.report;
  const bool addresses = command.mode == Mode::ADDRESSES && !is_in_form(request);
  if (request.limits != nullptr) {
    // Limits that cannot be read are refused before any report is made.
    std::string why;
    plan.budgets = read_budgets(request.limits, why);
    if (!plan.budgets) {
      return Failure{"can't read limits: " + why + "; limits are " +
                         std::string(LIMITS_FORM),
                     request.limits};
    }
    if (addresses) {
      return Failure{"-a looks up addresses and checks no budgets: -L goes with -s, -g, "
                     "-H or -r",
                     std::string("-L") + request.limits};
    }
    // The calls' report counts against the return stack's own levels.
    if (command.mode == Mode::CALLS && !plan.budgets->stack_levels) {
      plan.budgets->stack_levels = RETURN_STACK_LEVELS;
    }
  }
  BuildNeeds& needs = plan.needs;
  const bool two = command.names.size() >= 2;
  if (is_in_form(request)) {
    plan.builds = two ? 2 : 1;
    needs.top_lines = request.top_lines;
    needs.block_places = true;
    needs.program_words = true;
  } else if (addresses) {
    read_addresses(command, plan, messages);
  } else if (command.mode == Mode::CALLS) {
    needs.program_words = true;
  } else {
    plan.builds = two ? 2 : 1;
    needs.top_lines = two ? 0 : request.top_lines;
    needs.block_places = true;
  }
  needs.program_words =
      needs.program_words || (plan.budgets && (plan.budgets->stack_levels ||
                                               plan.budgets->software_stack_bytes));
  return std::nullopt;
}

} // namespace vadrimel
