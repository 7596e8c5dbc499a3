#ifndef VADRIMEL_DRIVER_REPORT_RUN_H_
#define VADRIMEL_DRIVER_REPORT_RUN_H_

#include <cstdio>

#include "driver/command_line.h"

namespace vadrimel {

/// The reports (-s, -a, -g, -H, -r): reads each build named once, as the
/// mode and form need it, writes the report to `output` in its form, then
/// checks the budgets of -L on the figures the report gave. Notes and
/// messages go to `messages`. Returns the exit status.
int run_report(const Command& command, std::FILE* output, std::FILE* messages);

} // namespace vadrimel

#endif // VADRIMEL_DRIVER_REPORT_RUN_H_
