#include "report/address_lookup.h"

#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include "driver/messages.h"
#include "listing/hex_digits.h"
#include "report/code_places.h"
#include "report/json_writer.h"
#include "report/map_file.h"
#include "report/read_listing.h"
#include "report/report_output.h"

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
  return hex_number(argument);
}

unsigned long long as_printed(std::uint64_t value) {
  return static_cast<unsigned long long>(value);
}

void write_text(const CodePlaces::Answer& answer, const MemoryBlock* block,
                ReportOutput& output) {
  output.write_formatted("0x%06llx  ", as_printed(answer.address));
  if (block != nullptr) {
    output.write(block->name);
    output.write_formatted("+0x%llx  ", as_printed(answer.address - block->address));
    if (!answer.found) {
      output.write(block->file);
      output.write("\n");
      return;
    }
  } else if (!answer.found) {
    output.write("not in the listing\n");
    return;
  }
  output.write(answer.path);
  output.write_formatted(":%llu: ", as_printed(answer.number));
  output.write(answer.text);
  output.write("\n");
}

void write_json(const CodePlaces::Answer& answer, const MemoryBlock* block,
                JsonWriter& json) {
  json.begin_object();
  json.key("address");
  json.number(answer.address);
  json.key("function");
  json.string_or_null(block != nullptr ? std::optional<std::string_view>(block->name)
                                       : std::nullopt);
  json.key("offset");
  json.number_or_null(block != nullptr
                          ? std::optional<std::uint64_t>(answer.address - block->address)
                          : std::nullopt);
  json.key("file");
  if (answer.found) {
    json.string(answer.path);
  } else {
    json.string_or_null(block != nullptr ? std::optional<std::string_view>(block->file)
                                         : std::nullopt);
  }
  json.key("line");
  json.number_or_null(answer.found ? std::optional<std::uint64_t>(answer.number)
                                   : std::nullopt);
  json.key("text");
  json.string_or_null(answer.found ? std::optional<std::string_view>(answer.text)
                                   : std::nullopt);
  json.end_object();
}

} // namespace

int look_up_addresses(std::span<const char* const> names, const ReportRequest& request,
                      LineSource& lines, std::FILE* output, std::FILE* messages) {
  int status = EXIT_SUCCESS;
  CodePlaces places(0);
  for (const std::string_view argument : names.subspan(1)) {
    const std::optional<std::uint64_t> address = address_named(argument);
    if (address) {
      places.ask(*address);
    } else {
      status = report_fatal(messages, "not an address", argument);
    }
  }
  std::optional<MapFile> map;
  if (find_map(names[0], request.map_name, map, messages) != EXIT_SUCCESS ||
      read_listing(names[0], lines, places, messages) != EXIT_SUCCESS) {
    return EXIT_FAILURE;
  }
  if (map) {
    warn_if_stale(*map, places, messages);
  }
  ReportOutput report(output);
  JsonWriter json(report);
  if (request.json) {
    json.begin_array();
  }
  for (const CodePlaces::Answer& answer : places.answers()) {
    const MemoryBlock* const block =
        map ? map->memory.program_block_at(answer.address) : nullptr;
    if (block == nullptr && !answer.found) {
      status = EXIT_FAILURE;
    }
    if (request.json) {
      write_json(answer, block, json);
    } else {
      write_text(answer, block, report);
    }
  }
  if (request.json) {
    json.end_array();
    json.finish();
  }
  const int written = report.finish(messages);
  return written != EXIT_SUCCESS ? written : status;
}

} // namespace vadrimel
