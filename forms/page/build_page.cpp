#include "forms/page/build_page.h"

#include <string_view>

#include "forms/json/call_json.h"
#include "forms/json/change_json.h"
#include "forms/json/json_writer.h"
#include "forms/json/size_json.h"
#include "forms/page/page_assets.h"

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
  for (const BuildSizes* sizes : builds.sizes) {
    json.begin_object();
    json.key("sizes");
    write_sizes_json(*sizes, json);
    json.key("blocks");
    write_blocks(*sizes, json);
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
  write_with(PAGE_HTML.substr(data + DATA_MARK.size()), SCRIPT_MARK, PAGE_JS, output);
}

} // namespace vadrimel
