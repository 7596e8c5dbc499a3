#ifndef VADRIMEL_REPORT_ADDRESS_LOOKUP_H_
#define VADRIMEL_REPORT_ADDRESS_LOOKUP_H_

#include <cstdio>
#include <span>

#include "listing/line_source.h"
#include "report/report_request.h"

namespace vadrimel {

/// Option -a: for each address named after the listing, in order, the source
/// line its program word came from, found in one pass over the listing, and
/// with the build's map the block that holds it (strings and rom data too).
/// Written to `output`, as text or JSON; returns the exit status.
int look_up_addresses(std::span<const char* const> names, const ReportRequest& request,
                      LineSource& lines, std::FILE* output, std::FILE* messages);

} // namespace vadrimel

#endif // VADRIMEL_REPORT_ADDRESS_LOOKUP_H_
