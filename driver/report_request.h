#ifndef VADRIMEL_DRIVER_REPORT_REQUEST_H_
#define VADRIMEL_DRIVER_REPORT_REQUEST_H_

#include <cstdint>

namespace vadrimel {

/// The form a report takes.
enum class ReportForm {
  TEXT,
  /// Option -j.
  JSON,
  /// Option -H: one HTML page.
  PAGE,
  /// Option -r: a Markdown table for a pull request.
  PULL_REQUEST,
};

/// What the command line asks of a report.
struct ReportRequest {
  /// Option -s: how many of the source lines (and functions) with the most
  /// code to list.
  std::uint8_t top_lines = 0;
  /// Option -M: the map of the build; null to look for one beside the
  /// listing.
  const char* map_name = nullptr;
  /// Options -j, -H and -r; -H counts before -r and -r before -j.
  ReportForm form = ReportForm::TEXT;
  /// Option -L: the budgets, as given; null when none are.
  const char* limits = nullptr;
};

} // namespace vadrimel

#endif // VADRIMEL_DRIVER_REPORT_REQUEST_H_
