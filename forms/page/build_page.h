#ifndef VADRIMEL_FORMS_PAGE_BUILD_PAGE_H_
#define VADRIMEL_FORMS_PAGE_BUILD_PAGE_H_

#include <vector>

#include "model/build.h"
#include "reports/build_sizes.h"
#include "reports/size_changes.h"
#include "system/report_output.h"

namespace vadrimel {

/// What a page shows: one build, or two compared (old first).
struct PageBuilds {
  std::vector<const BuildSizes*> sizes;
  /// The builds themselves, read with their program words, for the calls.
  std::vector<const Build*> builds;
  /// Two builds compared; null for one.
  const SizeChanges* changes = nullptr;
};

/// Option -H: one self-contained HTML page of the build: the summary, a
/// treemap of program memory and one of data memory (a rectangle per file
/// tiled by a rectangle per block, areas proportional to the bytes), the
/// functions in a table sorted by any column, the deepest chains of calls;
/// for two builds the new one's treemap coloured by change and the tables of
/// changes. The data stands in the page as JSON that no string can end, and
/// is shown as text only.
void write_build_page(const PageBuilds& builds, ReportOutput& output);

} // namespace vadrimel

#endif // VADRIMEL_FORMS_PAGE_BUILD_PAGE_H_
