#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "driver/address_lookup.h"
#include "driver/messages.h"
#include "driver/modes.h"
#include "driver/report_output.h"
#include "listing/columns.h"

namespace vadrimel {

namespace {

constexpr std::size_t MOST_ADDRESS_DIGITS = 8;

/// The address an argument names: hex digits, at most eight, with 0x or 0X
/// in front or not; empty when it names none.
std::optional<std::uint64_t> address_named(std::string_view argument) {
  if (argument.starts_with("0x") || argument.starts_with("0X")) {
    argument.remove_prefix(2);
  }
  if (argument.empty() || argument.size() > MOST_ADDRESS_DIGITS) {
    return std::nullopt;
  }
  std::uint64_t address = 0;
  for (const char digit : argument) {
    const int value = hex_digit_value(digit);
    if (value < 0) {
      return std::nullopt;
    }
    address = address * 16 + static_cast<std::uint64_t>(value);
  }
  return address;
}

} // namespace

void AddressLookup::ask(std::uint64_t address) {
  Answer answer;
  answer.address = address;
  answers_.push_back(std::move(answer));
  words_[address & ~std::uint64_t{1}].push_back(answers_.size() - 1);
}

void AddressLookup::take_code(std::uint64_t address, const SourceLine& line) {
  // The first line that gives a word answers for it.
  const auto word = words_.find(address);
  if (word == words_.end()) {
    return;
  }
  for (const std::size_t index : word->second) {
    Answer& answer = answers_[index];
    answer.found = true;
    answer.path.assign(line.path);
    answer.number = line.number;
    answer.text.assign(line.text);
  }
  words_.erase(word);
}

int look_up_addresses(std::span<const char* const> names, ConversionRun& run,
                      std::FILE* output, std::FILE* messages) {
  int status = EXIT_SUCCESS;
  AddressLookup lookup;
  for (const std::string_view argument : names.subspan(1)) {
    const std::optional<std::uint64_t> address = address_named(argument);
    if (address) {
      lookup.ask(*address);
    } else {
      status = report_fatal(messages, "not an address", argument);
    }
  }
  if (read_source_lines(names[0], run, lookup, messages) != EXIT_SUCCESS) {
    return EXIT_FAILURE;
  }
  ReportOutput report(output);
  for (const AddressLookup::Answer& answer : lookup.answers()) {
    report.write_formatted("0x%06llx  ", static_cast<unsigned long long>(answer.address));
    if (!answer.found) {
      report.write("not in the listing\n");
      status = EXIT_FAILURE;
      continue;
    }
    report.write(answer.path);
    report.write_formatted(":%llu: ", static_cast<unsigned long long>(answer.number));
    report.write(answer.text);
    report.write("\n");
  }
  const int written = report.finish(messages);
  return written != EXIT_SUCCESS ? written : status;
}

} // namespace vadrimel
