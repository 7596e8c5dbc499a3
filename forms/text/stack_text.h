#ifndef VADRIMEL_FORMS_TEXT_STACK_TEXT_H_
#define VADRIMEL_FORMS_TEXT_STACK_TEXT_H_

#include <cstdint>
#include <optional>
#include <string>

#include "model/build.h"
#include "model/code_names.h"
#include "system/report_output.h"

namespace vadrimel {

/// A figure of the software stack as the text shows it: "85", ">=85" for a
/// lower bound, "unknown".
std::string stack_figure_text(const std::optional<std::int64_t>& figure, bool at_least);

/// The line of the software stack's worst case (-g): "software stack: N of S
/// bytes at worst (reset a, high interrupt b, low interrupt c)".
void write_stack_summary(const Build& build, ReportOutput& output);

/// The deepest chain by bytes from each root, level by level: the offset at
/// the function's entry, its frame, the function and its place, and where a
/// call stands in code its caller jumped into, that code.
void write_stack_chains(const Build& build, const CodeNames& names, ReportOutput& output);

/// The functions whose software stack is not known for a reason of their
/// own, and how many more rest on them.
void write_stack_lost(const Build& build, const CodeNames& names, ReportOutput& output);

} // namespace vadrimel

#endif // VADRIMEL_FORMS_TEXT_STACK_TEXT_H_
