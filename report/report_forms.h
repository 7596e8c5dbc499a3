#ifndef VADRIMEL_REPORT_REPORT_FORMS_H_
#define VADRIMEL_REPORT_REPORT_FORMS_H_

#include <cstdio>
#include <span>
#include <string>

#include "listing/line_source.h"
#include "report/build_sizes.h"
#include "report/call_graph.h"
#include "report/report_request.h"

namespace vadrimel {

/// Options -H and -r: the page of one build or of two compared, and the
/// pull-request table of two; then the budgets of -L. Written to `output`;
/// returns the exit status.
int report_in_form(std::span<const char* const> names, const ReportRequest& request,
                   LineSource& lines, std::FILE* output, std::FILE* messages);

/// Option -L: checks the build of `listing` against the budgets asked for,
/// reading what the report did not (`sizes` and `calls` null when it did
/// not read them). Returns the exit status: 1 for limits that cannot be
/// read (with the message) or a limit passed.
int check_limits(const ReportRequest& request, const std::string& listing,
                 LineSource& lines, const BuildSizes* sizes, const CallGraph* calls,
                 bool calls_asked, std::FILE* messages);

} // namespace vadrimel

#endif // VADRIMEL_REPORT_REPORT_FORMS_H_
