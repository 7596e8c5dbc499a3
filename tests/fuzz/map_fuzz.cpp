// Feeds arbitrary bytes to the map reader as a map's text, and what it takes
// for whole to the memory and the map-alone reports: every byte counted
// once, in one kind; every JSON document strict; no control character in
// the text reports.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>

#include "forms/json/json_writer.h"
#include "forms/json/size_json.h"
#include "forms/text/size_text.h"
#include "map/linker_map.h"
#include "model/build.h"
#include "model/read_build.h"
#include "reports/build_sizes.h"
#include "system/report_output.h"
#include "tests/fuzz/fuzz_support.h"

namespace {

using vadrimel::fuzzing::require;

void check_memory(const vadrimel::BuildMemory& memory) {
  std::array<std::uint64_t, vadrimel::MEMORY_KINDS> bytes{};
  for (const vadrimel::MemoryBlock& block : memory.blocks) {
    bytes[static_cast<std::size_t>(block.kind)] += block.bytes;
  }
  require(bytes == memory.kind_bytes);
  std::uint64_t program = 0;
  for (const vadrimel::MemoryKind kind : vadrimel::PROGRAM_KINDS) {
    program += memory.bytes_of(kind);
  }
  std::uint64_t data = 0;
  for (const vadrimel::MemoryKind kind : vadrimel::DATA_KINDS) {
    data += memory.bytes_of(kind);
  }
  require(program == memory.program_used);
  require(data == memory.data_used);
  require(!memory.program_size || memory.program_used <= *memory.program_size);
}

/// Each report of the map alone, in each form.
void check_reports(vadrimel::Build& build) {
  const vadrimel::BuildSizes sizes = vadrimel::sizes_of(build);
  vadrimel::fuzzing::MemoryFile json_file;
  vadrimel::ReportOutput json_output(json_file.file());
  vadrimel::JsonWriter json(json_output);
  vadrimel::write_sizes_json(sizes, json);
  json.finish();
  require(json_output.finish(stderr) == 0);
  require(vadrimel::fuzzing::StrictJson(json_file.text()).parses());
  vadrimel::fuzzing::MemoryFile text_file;
  vadrimel::ReportOutput text_output(text_file.file(),
                                     vadrimel::ControlCharacters::VISIBLE);
  vadrimel::write_sizes(sizes, 3, text_output);
  require(text_output.finish(stderr) == 0);
  for (const char byte : text_file.text()) {
    require(static_cast<unsigned char>(byte) >= 0x20 || byte == '\n' || byte == '\t');
  }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  vadrimel::MapReading reading =
      vadrimel::read_linker_map({reinterpret_cast<const char*>(data), size});
  if (!reading.map || !reading.damage.empty()) {
    return 0;
  }
  vadrimel::Build build(vadrimel::BuildNeeds{});
  build.listing = "fuzz.map";
  build.map_alone = true;
  build.map = vadrimel::map_file_of("fuzz.map", std::move(*reading.map));
  check_memory(build.map->memory);
  build.ask_places();
  check_reports(build);
  return 0;
}
