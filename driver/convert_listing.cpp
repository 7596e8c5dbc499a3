#include "driver/convert_listing.h"

#include "driver/report_outcome.h"
#include "system/file_names.h"
#include "system/file_streams.h"
#include "system/messages.h"

namespace vadrimel {

int convert_listing(const std::string& input_path, const std::string& output_path,
                    const OutputChecks& checks, ConversionRun& run, std::FILE* messages) {
  FileSource input_file;
  if (!input_file.open(input_path)) {
    return report_fatal(messages, "can't open file", input_path);
  }
  // Creating the output would empty the listing before it is read.
  if (names_same_file(input_path, output_path)) {
    return report_fatal(messages, "input and output are the same file", output_path);
  }
  // Another listing of the command, or what an earlier one was converted
  // into, would be lost.
  if (checks.files_of_run != nullptr && checks.files_of_run->holds(output_path)) {
    return report_fatal(
        messages, "won't overwrite a file named or written by this command", output_path);
  }
  // An existing listing as the output is most often a slip: a shell glob, or
  // names swapped.
  if (!checks.overwrite_listing && names_existing_listing(output_path)) {
    return report_fatal(messages, "won't overwrite listing file", output_path);
  }
  // `vadrimel -p *` in a folder of a build's files would convert one of them
  // into the next.
  if (!checks.overwrite_listing && checks.more_than_two_names &&
      names_existing_file(output_path)) {
    return report_fatal(messages, "won't overwrite file, more than two names given",
                        output_path);
  }
  FileSink output_file;
  if (!output_file.create(output_path)) {
    return report_fatal(messages, "can't create file", output_path);
  }
  if (checks.files_of_run != nullptr) {
    checks.files_of_run->add(output_file);
  }
  return report_outcome(run.convert(input_file, output_file), input_path, output_path,
                        messages);
}

} // namespace vadrimel
