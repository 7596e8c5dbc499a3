#include "forms/json/call_json.h"

#include <optional>
#include <string_view>

#include "model/code_names.h"
#include "reports/functions_by_depth.h"

namespace vadrimel {

namespace {

void write_place_json(JsonWriter& json, const CodeNames& names, std::uint64_t address) {
  const ProgramWords::Place* const place = names.place_at(address);
  json.key("file");
  json.string_or_null(place != nullptr
                          ? std::optional<std::string_view>(names.words().path_of(*place))
                          : std::nullopt);
  json.key("line");
  json.number_or_null(place != nullptr ? std::optional<std::uint64_t>(place->line)
                                       : std::nullopt);
}

void write_json(const CallGraph& graph, const CodeNames& names, const MapFile* map,
                JsonWriter& json) {
  json.begin_object();
  json.key("map");
  json.string_or_null(map != nullptr ? std::optional<std::string_view>(map->path)
                                     : std::nullopt);
  json.key("levels");
  json.number(RETURN_STACK_LEVELS);
  json.key("worst_case");
  json.number_or_null(graph.worst_case());
  json.key("roots");
  json.begin_array();
  for (const Root& root : graph.roots) {
    const Function* const function = graph.function_at(root.address);
    json.begin_object();
    json.key("root");
    json.string(root.name);
    json.key("address");
    json.number(root.address);
    json.key("depth");
    json.number_or_null(function->depth);
    json.key("chain");
    json.begin_array();
    for (const DeepestCall& link : graph.deepest_chain(*function)) {
      const std::uint64_t callee = link.call.callee;
      json.begin_object();
      json.key("name");
      json.string(names.name_of(callee));
      json.key("address");
      json.number(callee);
      write_place_json(json, names, callee);
      json.end_object();
    }
    json.end_array();
    json.end_object();
  }
  json.end_array();
  json.key("functions");
  json.begin_array();
  for (const Function* function : functions_by_depth(graph)) {
    json.begin_object();
    json.key("name");
    json.string(names.name_of(function->address));
    json.key("address");
    json.number(function->address);
    write_place_json(json, names, function->address);
    json.key("bytes");
    json.number(function->bytes);
    json.key("depth");
    json.number_or_null(function->depth);
    json.key("recursive");
    json.boolean(function->recursive);
    json.key("computed_jump");
    json.boolean(function->computed_jump);
    json.key("calls");
    json.begin_array();
    for (const std::uint64_t callee : function->callees) {
      json.number(callee);
    }
    json.end_array();
    json.key("unlisted");
    json.begin_array();
    for (const std::uint64_t address : function->unlisted) {
      json.number(address);
    }
    json.end_array();
    json.end_object();
  }
  json.end_array();
  json.end_object();
}

} // namespace

void write_calls_json(const Build& build, JsonWriter& json) {
  const MapFile* const map = build.map ? &*build.map : nullptr;
  write_json(build.calls(), CodeNames(map, *build.words()), map, json);
}

} // namespace vadrimel
