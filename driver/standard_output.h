#ifndef VADRIMEL_DRIVER_STANDARD_OUTPUT_H_
#define VADRIMEL_DRIVER_STANDARD_OUTPUT_H_

#include <cstdio>
#include <span>

#include "driver/conversion_run.h"

namespace vadrimel {

/// Option -c: converts each listing named, or standard input when none is,
/// to standard output, one after another. A listing that fails has its
/// message and the next one is taken, until writing fails; a reader that has
/// gone gets no message.
int convert_to_standard_output(std::span<const char* const> names, ConversionRun& run,
                               std::FILE* input, std::FILE* output, std::FILE* messages);

} // namespace vadrimel

#endif // VADRIMEL_DRIVER_STANDARD_OUTPUT_H_
