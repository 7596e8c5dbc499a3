#ifndef VADRIMEL_FORMS_TEXT_LOOKUP_TEXT_H_
#define VADRIMEL_FORMS_TEXT_LOOKUP_TEXT_H_

#include <vector>

#include "reports/address_lookup.h"
#include "system/report_output.h"

namespace vadrimel {

/// The answers of -a, a line each: the address, the block and offset where
/// the map names one, the source line (`path:line: text`) or the block's
/// file, or "not in the listing" ("not in the map" for a map alone).
void write_answers(const std::vector<AddressAnswer>& answers, bool map_alone,
                   ReportOutput& output);

} // namespace vadrimel

#endif // VADRIMEL_FORMS_TEXT_LOOKUP_TEXT_H_
