#ifndef VADRIMEL_DRIVER_USAGE_TEXT_H_
#define VADRIMEL_DRIVER_USAGE_TEXT_H_

#include <cstdio>

#include "driver/command_line.h"

namespace vadrimel {

/// Writes the usage text to `messages`; returns the exit status that goes
/// with it, 1.
int show_usage(std::FILE* messages);

/// Writes the usage of a report's mode, when a report option was given with
/// too few names, and where to read more; returns 1.
int show_report_usage(Mode mode, const ReportRequest& request, std::FILE* messages);

/// Writes the usage text, the help or the version to `messages`; returns the
/// exit status that goes with it: 1 for the usage text, and for a help or
/// version that could not be written.
int answer(Request request, std::FILE* messages);

} // namespace vadrimel

#endif // VADRIMEL_DRIVER_USAGE_TEXT_H_
