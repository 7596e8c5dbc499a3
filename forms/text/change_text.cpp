#include "forms/text/change_text.h"

#include <array>
#include <string_view>

#include "forms/text/text_numbers.h"

namespace vadrimel {

namespace {

void write_row(std::uint64_t old_bytes, std::uint64_t new_bytes, std::string_view title,
               ReportOutput& output) {
  output.write_formatted("%8llu %8llu %+8lld  ", as_printed(old_bytes),
                         as_printed(new_bytes),
                         static_cast<long long>(new_bytes - old_bytes));
  output.write(title);
  output.write("\n");
}

/// A row of figures that a build may not know: "-" in its cell, and in the
/// change's.
void write_row(const BuildMemory* old_memory, const BuildMemory* new_memory,
               std::uint64_t (*figure)(const BuildMemory&), std::string_view title,
               ReportOutput& output) {
  if (old_memory != nullptr && new_memory != nullptr) {
    write_row(figure(*old_memory), figure(*new_memory), title, output);
    return;
  }
  for (const BuildMemory* memory : {old_memory, new_memory}) {
    if (memory != nullptr) {
      output.write_formatted("%8llu ", as_printed(figure(*memory)));
    } else {
      output.write("       - ");
    }
  }
  output.write("       -  ");
  output.write(title);
  output.write("\n");
}

const BuildMemory* memory_of(const BuildSizes& build) {
  return build.map != nullptr ? &build.map->memory : nullptr;
}

void write_map_line(const BuildSizes& build, ReportOutput& output) {
  output.write("map: ");
  if (build.map != nullptr) {
    output.write(build.map->path);
  } else {
    output.write("none beside ");
    output.write(build.listing);
  }
  output.write("\n");
}

template <MemoryKind KIND> std::uint64_t bytes_of_kind(const BuildMemory& memory) {
  return memory.bytes_of(KIND);
}

/// The rows of every kind of a memory, in report order.
template <std::size_t COUNT>
void write_kind_rows(const BuildMemory* old_memory, const BuildMemory* new_memory,
                     const std::array<MemoryKind, COUNT>& kinds, ReportOutput& output) {
  static constexpr std::array<std::uint64_t (*)(const BuildMemory&), MEMORY_KINDS>
      FIGURES = {
          bytes_of_kind<MemoryKind::CODE>,     bytes_of_kind<MemoryKind::STRINGS>,
          bytes_of_kind<MemoryKind::ROM_DATA>, bytes_of_kind<MemoryKind::INITIAL_VALUES>,
          bytes_of_kind<MemoryKind::CONFIG>,   bytes_of_kind<MemoryKind::VARIABLES>,
          bytes_of_kind<MemoryKind::STACK>};
  for (const MemoryKind kind : kinds) {
    const auto index = static_cast<std::size_t>(kind);
    write_row(old_memory, new_memory, FIGURES[index], MEMORY_KIND_NAMES[index], output);
  }
}

/// A table of changed rows and its total.
void write_change_table(const std::vector<SizeChange>& changes, std::string_view title,
                        ReportOutput& output) {
  output.write("     old      new   change  ");
  output.write(title);
  output.write("\n");
  SizeChange total;
  for (const SizeChange& change : changes) {
    total.old_bytes += change.old_bytes;
    total.new_bytes += change.new_bytes;
    if (change.magnitude() != 0) {
      std::string title =
          change.file.empty() ? change.name : change.name + "  " + change.file;
      if (change.kind != MemoryKind::CODE) {
        title += "  (" +
                 std::string(MEMORY_KIND_NAMES[static_cast<std::size_t>(change.kind)]) +
                 ")";
      }
      write_row(change.old_bytes, change.new_bytes, title, output);
    }
  }
  write_row(total.old_bytes, total.new_bytes, "total", output);
}

} // namespace

void write_changes(const BuildSizes& old_build, const BuildSizes& new_build,
                   const SizeChanges& changes, ReportOutput& output) {
  const BuildMemory* const old_memory = memory_of(old_build);
  const BuildMemory* const new_memory = memory_of(new_build);
  if (old_memory == nullptr && new_memory == nullptr) {
    write_change_table(changes.files, "source file", output);
    return;
  }
  write_map_line(old_build, output);
  write_map_line(new_build, output);
  output.write("\n     old      new   change  program memory\n");
  write_kind_rows(old_memory, new_memory, PROGRAM_KINDS, output);
  write_row(
      old_memory, new_memory,
      [](const BuildMemory& memory) { return memory.program_used; }, "total", output);
  output.write("\n     old      new   change  data memory\n");
  write_kind_rows(old_memory, new_memory, DATA_KINDS, output);
  write_row(
      old_memory, new_memory, [](const BuildMemory& memory) { return memory.data_used; },
      "total", output);
  if (changes.files_compared) {
    output.write("\n");
    write_change_table(changes.files, "source file", output);
  }
  if (old_memory != nullptr && new_memory != nullptr) {
    output.write("\n");
    write_change_table(changes.blocks, "block", output);
  }
}

} // namespace vadrimel
