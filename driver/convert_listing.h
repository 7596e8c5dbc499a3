#ifndef VADRIMEL_DRIVER_CONVERT_LISTING_H_
#define VADRIMEL_DRIVER_CONVERT_LISTING_H_

#include <cstdio>
#include <string>

#include "driver/conversion_run.h"
#include "driver/files_of_run.h"

namespace vadrimel {

/// What makes an output name one that may not be written.
struct OutputChecks {
  /// Option -f: an existing listing may be overwritten, and with more than
  /// two names any existing file.
  bool overwrite_listing = false;
  /// More than two names were given (a shell glob, most often): an existing
  /// output is not overwritten without -f.
  bool more_than_two_names = false;
  /// With -b: the files named as listings and written as outputs so far,
  /// none of which may become an output; the output written is added.
  FilesOfRun* files_of_run = nullptr;
};

/// Opens the input listing, makes sure the output may be written, creates it
/// and converts the one into the other with `run`.
int convert_listing(const std::string& input_path, const std::string& output_path,
                    const OutputChecks& checks, ConversionRun& run, std::FILE* messages);

} // namespace vadrimel

#endif // VADRIMEL_DRIVER_CONVERT_LISTING_H_
