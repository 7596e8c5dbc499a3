#include "driver/batch.h"

#include <cstdlib>

#include "driver/convert_listing.h"
#include "driver/files_of_run.h"
#include "driver/for_each_listing.h"
#include "system/file_names.h"

namespace vadrimel {

int convert_listings(std::span<const char* const> names, bool overwrite_listing,
                     ConversionRun& run, std::FILE* messages) {
  FilesOfRun files_of_run;
  for_each_listing(
      names, [&files_of_run](const std::string& listing) { files_of_run.add(listing); });
  const OutputChecks checks = {.overwrite_listing = overwrite_listing,
                               .files_of_run = &files_of_run};
  int status = EXIT_SUCCESS;
  for_each_listing(names, [&](const std::string& listing) {
    if (convert_listing(listing, output_name_for(listing), checks, run, messages) !=
        EXIT_SUCCESS) {
      status = EXIT_FAILURE;
    }
  });
  return status;
}

} // namespace vadrimel
