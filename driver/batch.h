#ifndef VADRIMEL_DRIVER_BATCH_H_
#define VADRIMEL_DRIVER_BATCH_H_

#include <cstdio>
#include <span>

#include "driver/conversion_run.h"

namespace vadrimel {

/// Option -b: converts each listing named into the file `output_name_for`
/// names, as `convert_listing` would; a listing that fails has its message
/// and the next one is taken. No file named as a listing, and no output
/// written before, becomes an output.
int convert_listings(std::span<const char* const> names, bool overwrite_listing,
                     ConversionRun& run, std::FILE* messages);

} // namespace vadrimel

#endif // VADRIMEL_DRIVER_BATCH_H_
