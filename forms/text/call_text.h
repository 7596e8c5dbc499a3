#ifndef VADRIMEL_FORMS_TEXT_CALL_TEXT_H_
#define VADRIMEL_FORMS_TEXT_CALL_TEXT_H_

#include "model/build.h"
#include "system/report_output.h"

namespace vadrimel {

/// The calls of a build (-g): the worst case of the return stack against its
/// 31 levels, the deepest chain from reset and each interrupt, what was not
/// followed, and every function's depth, named from the map when there is
/// one. The build was read with its program words.
void write_calls(const Build& build, ReportOutput& output);

} // namespace vadrimel

#endif // VADRIMEL_FORMS_TEXT_CALL_TEXT_H_
