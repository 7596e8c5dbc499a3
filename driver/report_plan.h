#ifndef VADRIMEL_DRIVER_REPORT_PLAN_H_
#define VADRIMEL_DRIVER_REPORT_PLAN_H_

#include <cstddef>
#include <cstdio>
#include <optional>

#include "driver/command_line.h"
#include "model/build.h"
#include "reports/budgets.h"
#include "system/messages.h"

namespace vadrimel {

/// What a report needs of its builds, as its mode and form say.
struct ReportPlan {
  BuildNeeds needs;
  /// The builds compared: one, or the first two names.
  std::size_t builds = 1;
  std::optional<Budgets> budgets;
  /// An argument of -a names no address (it had its message).
  bool bad_address = false;
};

/// True for the forms of -H and -r, which take every report of a build.
inline bool is_in_form(const ReportRequest& request) {
  return request.form == ReportForm::PAGE || request.form == ReportForm::PULL_REQUEST;
}

/// What the command asks of its builds: the limits of -L (refused when they
/// cannot be read, or go with -a), the addresses of -a (one that is none
/// gets its message on `messages`), what to read. Empty, or the failure.
std::optional<Failure> plan_report(const Command& command, ReportPlan& plan,
                                   std::FILE* messages);

} // namespace vadrimel

#endif // VADRIMEL_DRIVER_REPORT_PLAN_H_
