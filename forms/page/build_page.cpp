#include "forms/page/build_page.h"

#include <string_view>

#include "forms/json/call_json.h"
#include "forms/json/change_json.h"
#include "forms/json/json_writer.h"
#include "forms/json/size_json.h"
#include "forms/page/page_assets.h"
#include "reports/function_depths.h"

namespace vadrimel {

namespace {

// Where the style, the data and the script go in the page's HTML.
constexpr std::string_view STYLE_MARK = "/* page.css */\n";
constexpr std::string_view DATA_MARK = "/* data */";
constexpr std::string_view SCRIPT_MARK = "/* page.js */\n";

/// Writes `html` with `mark` in it replaced by `text`.
void write_with(std::string_view html, std::string_view mark, std::string_view text,
                ReportOutput& output) {
  const std::size_t at = html.find(mark);
  output.write(html.substr(0, at));
  output.write(text);
  output.write(html.substr(at + mark.size()));
}

void write_blocks(const BuildSizes& sizes, JsonWriter& json) {
  json.begin_array();
  for (const FunctionSize& block : sizes.blocks) {
    json.begin_object();
    json.key("name");
    json.string(block.name);
    json.key("owner");
    json.string(block.owner);
    json.key("file");
    json.string(block.file);
    json.key("line");
    json.number_or_null(block.line);
    json.key("address");
    json.number(block.address);
    json.key("bytes");
    json.number(block.bytes);
    json.key("kind");
    json.string(MEMORY_KIND_NAMES[static_cast<std::size_t>(block.kind)]);
    json.end_object();
  }
  json.end_array();
}

/// The depth of each of the sizes' functions from its own start, in their
/// order: null where unbounded or not listed.
void write_depths(const Build& build, const BuildSizes& sizes, JsonWriter& json) {
  json.begin_array();
  for (const FunctionDepth& depth : function_depths(build, sizes)) {
    json.begin_object();
    json.key("listed");
    json.boolean(depth.listed);
    json.key("depth");
    json.number_or_null(depth.depth);
    json.key("reached");
    json.boolean(depth.reached);
    json.end_object();
  }
  json.end_array();
}

} // namespace

void write_build_page(const PageBuilds& builds, ReportOutput& output) {
  // The style and the script stand in the one file, so that it opens from
  // disk with nothing beside it and asks the network for nothing.
  const std::size_t data = PAGE_HTML.find(DATA_MARK);
  write_with(PAGE_HTML.substr(0, data), STYLE_MARK, PAGE_CSS, output);
  JsonWriter json(output, true);
  json.begin_object();
  json.key("builds");
  json.begin_array();
  for (std::size_t index = 0; index < builds.sizes.size(); ++index) {
    json.begin_object();
    json.key("sizes");
    write_sizes_json(*builds.sizes[index], json);
    json.key("blocks");
    write_blocks(*builds.sizes[index], json);
    json.key("depths");
    write_depths(*builds.builds[index], *builds.sizes[index], json);
    json.end_object();
  }
  json.end_array();
  json.key("calls");
  json.begin_array();
  for (const Build* build : builds.builds) {
    write_calls_json(*build, json);
  }
  json.end_array();
  json.key("changes");
  if (builds.changes != nullptr) {
    write_changes_json(*builds.sizes.front(), *builds.sizes.back(), *builds.changes,
                       json);
  } else {
    json.null();
  }
  json.end_object();
  // The script's parts, each using those before it.
  const std::string_view rest = PAGE_HTML.substr(data + DATA_MARK.size());
  const std::size_t script = rest.find(SCRIPT_MARK);
  output.write(rest.substr(0, script));
  for (const std::string_view part : {PAGE_PARTS_JS, PAGE_TREEMAP_JS, PAGE_JS}) {
    output.write(part);
  }
  output.write(rest.substr(script + SCRIPT_MARK.size()));
}

} // namespace vadrimel
