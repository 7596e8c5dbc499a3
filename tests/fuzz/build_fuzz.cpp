// Feeds arbitrary bytes to the reading of a build: a listing, then after
// "\0MAP\0" its map. What reads as a listing goes through the call graph,
// both stacks and every form, and each form must hold: JSON that parses
// strictly, a page whose data cannot end its script, Markdown tables whose
// rows have their header's cells, text reports with no control character.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>

#include "forms/json/call_json.h"
#include "forms/json/change_json.h"
#include "forms/json/json_writer.h"
#include "forms/markdown/pull_request_table.h"
#include "forms/page/build_page.h"
#include "forms/text/call_text.h"
#include "forms/text/size_text.h"
#include "listing/line_source.h"
#include "map/linker_map.h"
#include "model/build.h"
#include "model/read_build.h"
#include "reports/build_sizes.h"
#include "reports/size_changes.h"
#include "system/report_output.h"
#include "tests/fuzz/fuzz_support.h"
#include "tests/test_support.h"

namespace {

using vadrimel::fuzzing::MemoryFile;
using vadrimel::fuzzing::require;

constexpr std::string_view MAP_MARK{"\0MAP\0", 5};

void require_strict_json(MemoryFile& file) {
  require(vadrimel::fuzzing::StrictJson(file.text()).parses());
}

void require_visible(MemoryFile& file) {
  for (const char byte : file.text()) {
    require(static_cast<unsigned char>(byte) >= 0x20 || byte == '\n' || byte == '\t');
  }
}

void check_forms(const vadrimel::Build& build) {
  const vadrimel::BuildSizes sizes = vadrimel::sizes_of(build);
  const vadrimel::SizeChanges changes = vadrimel::changes_of(sizes, sizes);
  {
    MemoryFile file;
    vadrimel::ReportOutput output(file.file());
    vadrimel::JsonWriter json(output);
    vadrimel::write_calls_json(build, json);
    json.finish();
    require(output.finish(stderr) == 0);
    require_strict_json(file);
  }
  {
    MemoryFile file;
    vadrimel::ReportOutput output(file.file());
    vadrimel::JsonWriter json(output);
    vadrimel::write_changes_json(sizes, sizes, changes, json);
    json.finish();
    require(output.finish(stderr) == 0);
    require_strict_json(file);
  }
  {
    MemoryFile file;
    vadrimel::ReportOutput output(file.file(), vadrimel::ControlCharacters::VISIBLE);
    vadrimel::write_calls(build, output);
    vadrimel::write_sizes(sizes, 5, output);
    require(output.finish(stderr) == 0);
    require_visible(file);
  }
  {
    MemoryFile file;
    vadrimel::ReportOutput output(file.file());
    vadrimel::PageBuilds page;
    page.sizes = {&sizes, &sizes};
    page.builds = {&build, &build};
    page.changes = &changes;
    vadrimel::write_build_page(page, output);
    require(output.finish(stderr) == 0);
    const std::string html = file.text();
    const std::string_view start = "id=\"vadrimel-data\">";
    const std::size_t data = html.find(start);
    require(data != std::string::npos);
    const std::size_t end = html.find("</script>", data);
    require(end != std::string::npos);
    const std::string_view embedded =
        std::string_view(html).substr(data + start.size(), end - data - start.size());
    require(embedded.find('<') == std::string_view::npos);
    require(vadrimel::fuzzing::StrictJson(embedded).parses());
  }
  const vadrimel::BuildStacks stacks{&build.calls(), &build.software_stack(),
                                     build.stack_size()};
  const std::string table =
      vadrimel::pull_request_table(sizes, sizes, changes, stacks, stacks);
  require(vadrimel::fuzzing::tables_are_whole(table));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  const std::size_t mark = input.find(MAP_MARK);
  vadrimel::BuildNeeds needs;
  needs.top_lines = 5;
  needs.block_places = true;
  needs.program_words = true;
  vadrimel::Build build(needs);
  build.listing = "fuzz.lst";
  if (mark != std::string_view::npos) {
    vadrimel::MapReading reading =
        vadrimel::read_linker_map(input.substr(mark + MAP_MARK.size()));
    if (reading.map && reading.damage.empty()) {
      build.map = vadrimel::map_file_of("fuzz.map", std::move(*reading.map));
    }
  }
  build.ask_places();
  vadrimel::testing::MemorySource source(std::string(input.substr(0, mark)));
  vadrimel::LineSource lines(vadrimel::LineScope::WHOLE_LINE);
  if (!vadrimel::read_listing_table(source, lines, build)) {
    return 0;
  }
  check_forms(build);
  return 0;
}
