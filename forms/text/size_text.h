#ifndef VADRIMEL_FORMS_TEXT_SIZE_TEXT_H_
#define VADRIMEL_FORMS_TEXT_SIZE_TEXT_H_

#include <cstddef>

#include "reports/build_sizes.h"
#include "system/report_output.h"

namespace vadrimel {

/// The size report of one build (-s): without a map the bytes of code of
/// each source file, with it every byte of flash and RAM by kind and file and
/// the `top_lines` largest functions; then the `top_lines` source lines with
/// the most code.
void write_sizes(const BuildSizes& sizes, std::size_t top_lines, ReportOutput& output);

} // namespace vadrimel

#endif // VADRIMEL_FORMS_TEXT_SIZE_TEXT_H_
