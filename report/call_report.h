#ifndef VADRIMEL_REPORT_CALL_REPORT_H_
#define VADRIMEL_REPORT_CALL_REPORT_H_

#include <cstdio>
#include <span>

#include "listing/line_source.h"
#include "report/report_request.h"

namespace vadrimel {

/// Option -g: the calls of the listing's code from reset and the two
/// interrupts, the worst case of the return stack against its 31 levels, the
/// deepest chain of each root and every function's depth, named from the
/// build's map when there is one. Written to `output`, as text or JSON;
/// returns the exit status.
int report_calls(std::span<const char* const> names, const ReportRequest& request,
                 LineSource& lines, std::FILE* output, std::FILE* messages);

} // namespace vadrimel

#endif // VADRIMEL_REPORT_CALL_REPORT_H_
