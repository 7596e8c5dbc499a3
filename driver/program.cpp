#include "driver/program.h"

#include <memory>
#include <new>

#include "driver/batch.h"
#include "driver/command_line.h"
#include "driver/convert_listing.h"
#include "driver/report_run.h"
#include "driver/standard_output.h"
#include "driver/usage_text.h"
#include "system/messages.h"

namespace vadrimel {

int run_vadrimel(std::span<const char* const> arguments, const StandardStreams& streams) {
  const Command command = read_command(arguments);
  // Where standard output is the conversion or the report, no message may
  // enter it.
  std::FILE* const messages =
      command.mode == Mode::TWO_NAMES || command.mode == Mode::BATCH ? streams.output
                                                                     : streams.errors;
  if (command.request == Request::SLIP) {
    return report_fatal(messages, command.slip_what, command.slip_name);
  }
  const bool report = command.mode == Mode::SIZES || command.mode == Mode::ADDRESSES ||
                      command.mode == Mode::CALLS;
  if (command.request == Request::USAGE && report) {
    return show_report_usage(command.mode, command.report, streams.output);
  }
  if (command.request != Request::CONVERSION) {
    return answer(command.request, streams.output);
  }
  // Started with standard output closed, the program would open the first
  // listing in its place.
  if (messages == streams.errors && !stream_is_open(streams.output)) {
    return report_fatal(messages, "can't write file", "(standard output)");
  }
  try {
    if (command.mode == Mode::SIZES || command.mode == Mode::ADDRESSES ||
        command.mode == Mode::CALLS) {
      return run_report(command, streams.output, messages);
    }
    const std::unique_ptr<ConversionRun> run = allocate_run(command.options);
    if (!run) {
      return report_out_of_memory(messages);
    }
    switch (command.mode) {
    case Mode::STANDARD_OUTPUT:
      return convert_to_standard_output(command.names, *run, streams.input,
                                        streams.output, messages);
    case Mode::BATCH:
      return convert_listings(command.names, command.overwrite_listing, *run, messages);
    case Mode::SIZES:
    case Mode::ADDRESSES:
    case Mode::CALLS:
    case Mode::TWO_NAMES:
      break;
    }
    return convert_listing(command.names[0], command.names[1],
                           {.overwrite_listing = command.overwrite_listing,
                            .more_than_two_names = command.names.size() > 2},
                           *run, messages);
  } catch (const std::bad_alloc&) {
    // The run's buffers are allocated before any output is created; what
    // can still run out is the little that checking the names takes.
    return report_out_of_memory(messages);
  }
}

void keep_messages_on_screen(Console& console) {
  if (console.has_window() && console.input_is_console() &&
      console.printed_since_start()) {
    console.say("Press any key to close this window.\n");
    console.wait_for_key();
  }
}

} // namespace vadrimel
