#ifndef VADRIMEL_SYSTEM_MESSAGES_H_
#define VADRIMEL_SYSTEM_MESSAGES_H_

#include <cstdio>
#include <string>
#include <string_view>

namespace vadrimel {

/// A failure on its way up to the driver, which writes it as
/// "Fatal: <what>:<name>".
struct Failure {
  std::string what;
  std::string name;
};

/// Writes "Fatal: <what>:<name>" and a line feed to `messages`; returns the
/// exit status that goes with it. Needs no memory.
int report_fatal(std::FILE* messages, std::string_view what, std::string_view name);

/// Writes the failure's message; returns the exit status that goes with it.
int report_failure(std::FILE* messages, const Failure& failure);

/// The message for a run that finds too little memory; returns the exit
/// status that goes with it.
int report_out_of_memory(std::FILE* messages) noexcept;

} // namespace vadrimel

#endif // VADRIMEL_SYSTEM_MESSAGES_H_
