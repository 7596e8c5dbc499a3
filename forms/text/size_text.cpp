#include "forms/text/size_text.h"

#include <algorithm>
#include <cstdint>
#include <string_view>

#include "forms/text/text_numbers.h"

namespace vadrimel {

namespace {

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
  if (memory.program_size) {
    output.write_formatted("%8llu  %5.1f%%  total, %.1f%% of %llu\n",
                           as_printed(memory.program_used), 100.0,
                           share_of(memory.program_used, *memory.program_size),
                           as_printed(*memory.program_size));
  } else {
    output.write_formatted("%8llu  %5.1f%%  total, of a part whose size is not known\n",
                           as_printed(memory.program_used), 100.0);
  }
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

void write_sizes(const BuildSizes& sizes, std::size_t top_lines, ReportOutput& output) {
  if (sizes.map != nullptr) {
    write_memory_tables(sizes, top_lines, output);
  } else {
    write_size_table(sizes, output);
  }
  // A map alone knows no source line.
  if (top_lines != 0 && !sizes.map_alone) {
    write_line_table(sizes, output);
  }
}

} // namespace vadrimel
