#ifndef VADRIMEL_DRIVER_REPORT_OUTCOME_H_
#define VADRIMEL_DRIVER_REPORT_OUTCOME_H_

#include <cstdio>
#include <string_view>

#include "driver/conversion_run.h"

namespace vadrimel {

/// The message for a conversion that went wrong, if it did; returns the exit
/// status. A failed write makes the whole output suspect, so it is the one
/// named when both went wrong.
int report_outcome(const ConversionResult& result, std::string_view input_name,
                   std::string_view output_name, std::FILE* messages);

} // namespace vadrimel

#endif // VADRIMEL_DRIVER_REPORT_OUTCOME_H_
