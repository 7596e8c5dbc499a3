#include "report/size_report.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <map>
#include <string>
#include <vector>

#include "driver/messages.h"
#include "driver/platform.h"
#include "report/build_sizes.h"
#include "report/json_writer.h"
#include "report/report_forms.h"
#include "report/report_output.h"
#include "report/size_changes.h"

namespace vadrimel {

namespace {

unsigned long long as_printed(std::uint64_t value) {
  return static_cast<unsigned long long>(value);
}

double share_of(std::uint64_t bytes, std::uint64_t total) {
  return total == 0 ? 0.0
                    : 100.0 * static_cast<double>(bytes) / static_cast<double>(total);
}

/// The size table of a listing alone: its source files and their code.
void write_size_table(const BuildSizes& sizes, ReportOutput& output) {
  const std::uint64_t total = sizes.listing_bytes;
  output.write("   bytes   share  source file\n");
  for (const FileSize& file : sizes.files) {
    output.write_formatted("%8llu  %5.1f%%  ", as_printed(file.flash),
                           share_of(file.flash, total));
    output.write(file.file);
    output.write("\n");
  }
  output.write_formatted("%8llu  %5.1f%%  total\n", as_printed(total),
                         total == 0 ? 0.0 : 100.0);
}

void write_line_table(const BuildSizes& sizes, ReportOutput& output) {
  output.write("\n   bytes  source line\n");
  for (const CodePlaces::Row& row : sizes.lines) {
    output.write_formatted("%8llu  ", as_printed(row.bytes));
    output.write(row.path);
    output.write_formatted(":%llu: ", as_printed(row.number));
    output.write(row.text);
    output.write("\n");
  }
}

void write_kind_row(std::uint64_t bytes, std::uint64_t total, std::string_view name,
                    ReportOutput& output) {
  output.write_formatted("%8llu  %5.1f%%  ", as_printed(bytes), share_of(bytes, total));
  output.write(name);
  output.write("\n");
}

/// The tables of a build with its map: every byte by kind and by file, and
/// the largest functions.
void write_memory_tables(const BuildSizes& sizes, std::size_t top_functions,
                         ReportOutput& output) {
  const BuildMemory& memory = sizes.map->memory;
  output.write("map: ");
  output.write(sizes.map->path);
  output.write("\n\n   bytes   share  program memory\n");
  for (std::size_t kind = 0; kind < MEMORY_KINDS; ++kind) {
    if (in_program_memory(static_cast<MemoryKind>(kind)) &&
        memory.kind_bytes[kind] != 0) {
      write_kind_row(memory.kind_bytes[kind], memory.program_used,
                     MEMORY_KIND_NAMES[kind], output);
    }
  }
  output.write_formatted("%8llu  %5.1f%%  total, %.1f%% of %llu\n",
                         as_printed(memory.program_used), 100.0,
                         share_of(memory.program_used, memory.program_size),
                         as_printed(memory.program_size));
  output.write("\n   bytes   share  data memory\n");
  for (const MemoryKind kind : {MemoryKind::VARIABLES, MemoryKind::STACK}) {
    const std::uint64_t bytes = memory.kind_bytes[static_cast<std::size_t>(kind)];
    if (bytes != 0) {
      write_kind_row(bytes, memory.data_used,
                     MEMORY_KIND_NAMES[static_cast<std::size_t>(kind)], output);
    }
  }
  output.write_formatted("%8llu  %5.1f%%  total\n", as_printed(memory.data_used),
                         memory.data_used == 0 ? 0.0 : 100.0);
  output.write("\n   flash     code      ram  source file\n");
  FileSize total;
  for (const FileSize& file : sizes.files) {
    output.write_formatted("%8llu %8llu %8llu  ", as_printed(file.flash),
                           as_printed(file.code), as_printed(file.ram));
    output.write(file.file);
    output.write("\n");
    total.flash += file.flash;
    total.code += file.code;
    total.ram += file.ram;
  }
  output.write_formatted("%8llu %8llu %8llu  total\n", as_printed(total.flash),
                         as_printed(total.code), as_printed(total.ram));
  if (top_functions == 0) {
    return;
  }
  output.write("\n   bytes  function\n");
  const std::size_t shown = std::min(top_functions, sizes.functions.size());
  for (std::size_t index = 0; index < shown; ++index) {
    const FunctionSize& function = sizes.functions[index];
    output.write_formatted("%8llu  ", as_printed(function.bytes));
    output.write(function.name);
    output.write("  ");
    output.write(function.file);
    if (function.line) {
      output.write_formatted(":%llu", as_printed(*function.line));
    }
    output.write("\n");
  }
}

} // namespace

void write_sizes_json(const BuildSizes& sizes, JsonWriter& json) {
  const bool mapped = sizes.map.has_value();
  const BuildMemory* memory = mapped ? &sizes.map->memory : nullptr;
  const auto kind_bytes = [memory](MemoryKind kind) -> std::optional<std::uint64_t> {
    if (memory == nullptr) {
      return std::nullopt;
    }
    return memory->kind_bytes[static_cast<std::size_t>(kind)];
  };
  json.begin_object();
  json.key("listing");
  json.string(sizes.listing);
  json.key("map");
  json.string_or_null(mapped ? std::optional<std::string_view>(sizes.map->path)
                             : std::nullopt);
  json.key("program_memory");
  json.begin_object();
  json.key("used");
  json.number(mapped ? memory->program_used : sizes.listing_bytes);
  json.key("size");
  json.number_or_null(mapped ? std::optional<std::uint64_t>(memory->program_size)
                             : std::nullopt);
  json.key("code");
  json.number(mapped ? *kind_bytes(MemoryKind::CODE) : sizes.listing_bytes);
  for (const MemoryKind kind : {MemoryKind::STRINGS, MemoryKind::ROM_DATA,
                                MemoryKind::INITIAL_VALUES, MemoryKind::CONFIG}) {
    json.key(MEMORY_KIND_KEYS[static_cast<std::size_t>(kind)]);
    json.number_or_null(kind_bytes(kind));
  }
  json.end_object();
  json.key("data_memory");
  if (mapped) {
    json.begin_object();
    json.key("used");
    json.number(memory->data_used);
    json.key("variables");
    json.number_or_null(kind_bytes(MemoryKind::VARIABLES));
    json.key("stack");
    json.number_or_null(kind_bytes(MemoryKind::STACK));
    json.end_object();
  } else {
    json.null();
  }
  json.key("files");
  json.begin_array();
  for (const FileSize& file : sizes.files) {
    json.begin_object();
    json.key("file");
    json.string(file.file);
    json.key("flash");
    json.number(file.flash);
    json.key("code");
    json.number(file.code);
    json.key("ram");
    json.number_or_null(mapped ? std::optional<std::uint64_t>(file.ram) : std::nullopt);
    json.end_object();
  }
  json.end_array();
  json.key("functions");
  json.begin_array();
  for (const FunctionSize& function : sizes.functions) {
    json.begin_object();
    json.key("name");
    json.string(function.name);
    json.key("address");
    json.number(function.address);
    json.key("file");
    json.string(function.file);
    json.key("line");
    json.number_or_null(function.line);
    json.key("bytes");
    json.number(function.bytes);
    json.end_object();
  }
  json.end_array();
  json.key("lines");
  json.begin_array();
  for (const CodePlaces::Row& row : sizes.lines) {
    json.begin_object();
    json.key("file");
    json.string(row.path);
    json.key("line");
    json.number(row.number);
    json.key("bytes");
    json.number(row.bytes);
    json.key("text");
    json.string(row.text);
    json.end_object();
  }
  json.end_array();
  json.end_object();
}

namespace {

int report_one_build(const std::string& listing, const ReportRequest& request,
                     LineSource& lines, ReportOutput& output, std::FILE* messages) {
  BuildSizes sizes;
  if (read_build_sizes(listing, request.map_name, request.top_lines, lines, sizes,
                       messages) != EXIT_SUCCESS) {
    return EXIT_FAILURE;
  }
  if (request.json) {
    JsonWriter json(output);
    write_sizes_json(sizes, json);
    json.finish();
  } else {
    if (sizes.map) {
      write_memory_tables(sizes, request.top_lines, output);
    } else {
      write_size_table(sizes, output);
    }
    if (request.top_lines != 0) {
      write_line_table(sizes, output);
    }
  }
  const int written = output.finish(messages);
  const int within =
      check_limits(request, listing, lines, &sizes, nullptr, false, messages);
  return written != EXIT_SUCCESS ? written : within;
}

int report_two_builds(std::span<const char* const> names, const ReportRequest& request,
                      LineSource& lines, ReportOutput& output, std::FILE* messages) {
  if (request.map_name != nullptr) {
    return report_fatal(messages, "one map named for two listings", request.map_name);
  }
  BuildSizes old_sizes;
  BuildSizes new_sizes;
  if (read_build_sizes(names[0], nullptr, 0, lines, old_sizes, messages) !=
          EXIT_SUCCESS ||
      read_build_sizes(names[1], nullptr, 0, lines, new_sizes, messages) !=
          EXIT_SUCCESS) {
    return EXIT_FAILURE;
  }
  compare_maps_of_both_or_none(old_sizes, new_sizes, messages);
  const SizeChanges changes = changes_of(old_sizes, new_sizes);
  if (request.json) {
    JsonWriter json(output);
    write_changes_json(old_sizes, new_sizes, changes, json);
    json.finish();
  } else {
    write_changes(old_sizes, new_sizes, changes, output);
  }
  const int written = output.finish(messages);
  const int within = check_limits(request, new_sizes.listing, lines, &new_sizes, nullptr,
                                  false, messages);
  return written != EXIT_SUCCESS ? written : within;
}

} // namespace

int report_sizes(std::span<const char* const> names, const ReportRequest& request,
                 LineSource& lines, std::FILE* output, std::FILE* messages) {
  ReportOutput report(output);
  if (names.size() >= 2) {
    return report_two_builds(names, request, lines, report, messages);
  }
  return report_one_build(names[0], request, lines, report, messages);
}

} // namespace vadrimel
