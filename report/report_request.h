#ifndef VADRIMEL_REPORT_REPORT_REQUEST_H_
#define VADRIMEL_REPORT_REPORT_REQUEST_H_

#include <cstdint>

namespace vadrimel {

/// What the command line asks of a report.
struct ReportRequest {
  /// Option -s: how many of the source lines (and functions) with the most
  /// code to list.
  std::uint8_t top_lines = 0;
  /// Option -M: the map of the build; null to look for one beside the
  /// listing.
  const char* map_name = nullptr;
  /// Option -j: the report as one JSON document.
  bool json = false;
};

} // namespace vadrimel

#endif // VADRIMEL_REPORT_REPORT_REQUEST_H_
