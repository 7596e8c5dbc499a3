#ifndef VADRIMEL_DRIVER_MESSAGES_H_
#define VADRIMEL_DRIVER_MESSAGES_H_

#include <cstdio>
#include <string_view>

#include "driver/conversion_run.h"

namespace vadrimel {

/// Writes "Fatal: <what>:<name>" and a line feed to `messages`; returns the
/// exit status that goes with it. Needs no memory.
int report_fatal(std::FILE* messages, std::string_view what, std::string_view name);

/// The message for a conversion that went wrong, if it did; returns the exit
/// status. A failed write makes the whole output suspect, so it is the one
/// named when both went wrong.
int report_outcome(const ConversionResult& result, std::string_view input_name,
                   std::string_view output_name, std::FILE* messages);

/// The message for a run that finds too little memory; returns the exit
/// status that goes with it.
int report_out_of_memory(std::FILE* messages) noexcept;

} // namespace vadrimel

#endif // VADRIMEL_DRIVER_MESSAGES_H_
