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

void write_signed(JsonWriter& json, std::string_view key,
                  const std::optional<std::int64_t>& value) {
  json.key(key);
  if (value) {
    json.signed_number(*value);
  } else {
    json.null();
  }
}

/// Where a call stands when its caller's body took the code in by a jump.
void write_via(JsonWriter& json, const CodeNames& names,
               const std::optional<std::uint64_t>& via, std::uint64_t call) {
  json.key("via");
  json.begin_array();
  if (via) {
    json.string(names.name_within(*via, call));
  }
  json.end_array();
}

void write_software_stack(const Build& build, const CodeNames& names, JsonWriter& json) {
  const SoftwareStack& stack = build.software_stack();
  const StackFigures worst = stack.worst_case();
  json.key("software_stack");
  json.begin_object();
  json.key("size");
  json.number_or_null(build.stack_size());
  write_signed(json, "worst_case", worst.height);
  json.key("at_least");
  json.boolean(worst.at_least);
  json.key("roots");
  json.begin_array();
  for (const StackRoot& root : stack.roots) {
    json.begin_object();
    json.key("root");
    json.string(root.root.name);
    write_signed(json, "height", root.figures.height);
    json.key("at_least");
    json.boolean(root.figures.at_least);
    json.key("chain");
    json.begin_array();
    for (const StackLink& link : root.chain) {
      json.begin_object();
      json.key("name");
      json.string(names.name_of(link.function));
      json.key("address");
      json.number(link.function);
      write_signed(json, "offset", link.offset);
      write_signed(json, "frame", link.figures.frame);
      json.key("call_address");
      json.number_or_null(link.call_address);
      write_via(json, names, link.via, link.call_address.value_or(0));
      json.end_object();
    }
    json.end_array();
    json.end_object();
  }
  json.end_array();
  json.key("lost");
  json.begin_array();
  for (const LostFunction& lost : stack.lost) {
    json.begin_object();
    json.key("function");
    json.string(names.name_of(lost.address));
    json.key("address");
    json.number(lost.address);
    json.key("why");
    json.string(lost.why);
    json.end_object();
  }
  json.end_array();
  json.key("lost_after");
  json.number(stack.lost_after);
  json.end_object();
}

void write_json(const Build& build, const CodeNames& names, const MapFile* map,
                JsonWriter& json) {
  const CallGraph& graph = build.calls();
  const SoftwareStack& stack = build.software_stack();
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
      json.key("call_address");
      json.number(link.call.at);
      write_via(json, names, link.via, link.call.at);
      json.end_object();
    }
    json.end_array();
    json.end_object();
  }
  json.end_array();
  write_software_stack(build, names, json);
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
    json.number(names.block_bytes(function->address).value_or(function->bytes));
    json.key("body");
    json.number(function->bytes);
    const StackFigures& figures =
        stack.functions[static_cast<std::size_t>(function - graph.functions.data())];
    write_signed(json, "frame", figures.frame);
    write_signed(json, "height", figures.height);
    write_signed(json, "net", figures.net);
    json.key("stack_at_least");
    json.boolean(figures.at_least);
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
  write_json(build, CodeNames(map, *build.words()), map, json);
}

} // namespace vadrimel
