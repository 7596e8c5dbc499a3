#ifndef VADRIMEL_FORMS_TEXT_CHANGE_TEXT_H_
#define VADRIMEL_FORMS_TEXT_CHANGE_TEXT_H_

#include "reports/build_sizes.h"
#include "reports/size_changes.h"
#include "system/report_output.h"

namespace vadrimel {

/// The tables of two builds (-s old new): without both maps the files' code,
/// with them the program and data memory by kind, the files' flash and the
/// functions; rows of files and functions only where they changed.
void write_changes(const BuildSizes& old_build, const BuildSizes& new_build,
                   const SizeChanges& changes, ReportOutput& output);

} // namespace vadrimel

#endif // VADRIMEL_FORMS_TEXT_CHANGE_TEXT_H_
