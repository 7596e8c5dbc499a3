#ifndef VADRIMEL_REPORT_SIZE_REPORT_H_
#define VADRIMEL_REPORT_SIZE_REPORT_H_

#include <cstdio>
#include <span>

#include "listing/line_source.h"
#include "report/build_sizes.h"
#include "report/json_writer.h"
#include "report/report_request.h"

namespace vadrimel {

/// Option -s: with one listing named, the bytes of code of each of its
/// source files and the `top_lines` source lines with the most code, and
/// with the build's map every byte of flash and RAM by kind, file and
/// function; with two, the change of each from the first build to the
/// second. Written to `output`, as text or JSON; returns the exit status.
/// The JSON object of one build's sizes (-s -j).
void write_sizes_json(const BuildSizes& sizes, JsonWriter& json);

int report_sizes(std::span<const char* const> names, const ReportRequest& request,
                 LineSource& lines, std::FILE* output, std::FILE* messages);

} // namespace vadrimel

#endif // VADRIMEL_REPORT_SIZE_REPORT_H_
