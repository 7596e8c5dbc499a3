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

/// The limits of -L read into the plan; refused before any report is made.
std::optional<Failure> plan_budgets(const Command& command, bool addresses,
                                    ReportPlan& plan) {
  const ReportRequest& request = command.report;
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
  return std::nullopt;
}

/// More names than the report takes come from a shell pattern most often:
/// answering for the first ones would look like the answer asked for.
std::optional<Failure> too_many_names(const Command& command, bool addresses) {
  const bool calls = command.mode == Mode::CALLS && !is_in_form(command.report);
  const std::size_t most = addresses ? command.names.size() : calls ? 1 : 2;
  if (command.names.size() <= most) {
    return std::nullopt;
  }
  const std::string named = std::to_string(command.names.size());
  return Failure{calls ? "-g reports on one listing, " + named +
                             " named; name the one to follow"
                       : "a report compares two builds at most, " + named +
                             " named; name the old build, then the new",
                 std::string(command.names[most])};
}

} // namespace

std::optional<Failure> plan_report(const Command& command, ReportPlan& plan,
                                   std::FILE* messages) {
  const ReportRequest& request = command.report;
  const bool addresses = command.mode == Mode::ADDRESSES && !is_in_form(request);
  if (request.limits != nullptr) {
    if (auto failure = plan_budgets(command, addresses, plan)) {
      return failure;
    }
  }
  if (auto failure = too_many_names(command, addresses)) {
    return failure;
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
