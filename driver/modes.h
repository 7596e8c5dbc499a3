#ifndef VADRIMEL_DRIVER_MODES_H_
#define VADRIMEL_DRIVER_MODES_H_

#include <cstdint>
#include <cstdio>
#include <span>
#include <string>
#include <vector>

#include "driver/conversion_run.h"
#include "driver/file_streams.h"
#include "driver/platform.h"

/// The modes of a command, one file each: two names (two_names.cpp), -b
/// (batch.cpp), -c (standard_output.cpp) and the reports -s (size_report.cpp)
/// and -a (address_lookup.cpp). Each returns the exit status and writes its
/// messages to `messages`.

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
int convert_listing(const std::string& input_name, const std::string& output_name,
                    const OutputChecks& checks, ConversionRun& run, std::FILE* messages);

/// Option -b: converts each listing named into the file `output_name_for`
/// names, as `convert_listing` would; a listing that fails has its message
/// and the next one is taken. No file named as a listing, and no output
/// written before, becomes an output.
int convert_listings(std::span<const char* const> names, bool overwrite_listing,
                     ConversionRun& run, std::FILE* messages);

/// Option -c: converts each listing named, or standard input when none is,
/// to standard output, one after another. A listing that fails has its
/// message and the next one is taken, until writing fails; a reader that has
/// gone gets no message.
int convert_to_standard_output(std::span<const char* const> names, ConversionRun& run,
                               std::FILE* input, std::FILE* output, std::FILE* messages);

/// Option -s: with one listing named, the bytes of code of each of its
/// source files and the `top_lines` source lines with the most code; with
/// two, the change of each source file's size from the first build to the
/// second. Written to `output`.
int report_sizes(std::span<const char* const> names, std::uint8_t top_lines,
                 ConversionRun& run, std::FILE* output, std::FILE* messages);

/// Option -a: for each address named after the listing, in order, the source
/// line its program word came from, found in one pass over the listing.
/// Written to `output`.
int look_up_addresses(std::span<const char* const> names, ConversionRun& run,
                      std::FILE* output, std::FILE* messages);

/// Calls `action` on each listing that the names stand for, in order. A
/// pattern that matches nothing stands for itself, which no file can be
/// named, so that it gets the message of a listing that cannot be opened in
/// its place.
template <typename Action>
void for_each_listing(std::span<const char* const> names, Action action) {
  for (const std::string name : names) {
    std::vector<std::string> listings = listings_named(name);
    if (listings.empty()) {
      listings.push_back(name);
    }
    for (const std::string& listing : listings) {
      action(listing);
    }
  }
}

} // namespace vadrimel

#endif // VADRIMEL_DRIVER_MODES_H_
