#include "report/call_report.h"

#include <algorithm>
#include <cstdlib>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "report/call_graph.h"
#include "report/code_names.h"
#include "report/json_writer.h"
#include "report/map_file.h"
#include "report/program_words.h"
#include "report/read_listing.h"
#include "report/report_forms.h"
#include "report/report_output.h"

namespace vadrimel {

namespace {

unsigned long long as_printed(std::uint64_t value) {
  return static_cast<unsigned long long>(value);
}

std::string depth_text(const std::optional<std::uint64_t>& depth) {
  return depth ? std::to_string(*depth) : std::string("unbounded");
}

/// The functions in table order: unbounded first, then deepest, then by
/// address.
std::vector<const Function*> table_order(const CallGraph& graph) {
  std::vector<const Function*> order;
  for (const Function& function : graph.functions) {
    order.push_back(&function);
  }
  std::stable_sort(order.begin(), order.end(),
                   [](const Function* left, const Function* right) {
                     if (left->depth.has_value() != right->depth.has_value()) {
                       return !left->depth.has_value();
                     }
                     if (left->depth && *left->depth != *right->depth) {
                       return *left->depth > *right->depth;
                     }
                     return left->address < right->address;
                   });
  return order;
}

void write_summary(const CallGraph& graph, ReportOutput& output) {
  const std::optional<std::uint64_t> worst = graph.worst_case();
  output.write("return stack: ");
  if (worst) {
    output.write_formatted("%llu of %llu levels at worst (", as_printed(*worst),
                           as_printed(RETURN_STACK_LEVELS));
  } else {
    output.write_formatted("unbounded, of %llu levels: calls go round in a cycle (",
                           as_printed(RETURN_STACK_LEVELS));
  }
  const char* separator = "";
  for (const Root& root : graph.roots) {
    const Function* const function = graph.function_at(root.address);
    output.write(separator);
    output.write(root.name);
    output.write(root.name == "reset" ? " " : " 1 + ");
    output.write(depth_text(function->depth));
    separator = ", ";
  }
  output.write(")\n");
}

void write_chains(const CallGraph& graph, const CodeNames& names, ReportOutput& output) {
  for (const Root& root : graph.roots) {
    const Function* const function = graph.function_at(root.address);
    const std::vector<std::uint64_t> chain = graph.deepest_chain(*function);
    output.write("\ndeepest from ");
    output.write(root.name);
    output.write_formatted(", %s level%s:\n", depth_text(function->depth).c_str(),
                           function->depth == 1 ? "" : "s");
    std::size_t widest = 0;
    for (const std::uint64_t callee : chain) {
      widest = std::max(widest, names.name_of(callee).size());
    }
    for (std::size_t level = 0; level < chain.size(); ++level) {
      std::string name = names.name_of(chain[level]);
      name.resize(widest, ' ');
      output.write_formatted("%4zu  ", level + 1);
      output.write(name);
      output.write("  ");
      output.write(names.place_of(chain[level]));
      const Function* const callee = graph.function_at(chain[level]);
      if (callee != nullptr && callee->recursive) {
        output.write("  (recursive)");
      }
      output.write("\n");
    }
  }
}

void write_not_followed(const CallGraph& graph, const CodeNames& names,
                        ReportOutput& output) {
  std::vector<std::string> computed;
  std::set<std::uint64_t> unlisted;
  for (const Function& function : graph.functions) {
    if (function.computed_jump) {
      computed.push_back(names.name_of(function.address));
    }
    unlisted.insert(function.unlisted.begin(), function.unlisted.end());
  }
  if (computed.empty() && unlisted.empty()) {
    return;
  }
  output.write_formatted("\nnot followed: %zu computed jumps", computed.size());
  const char* separator = " (in ";
  for (const std::string& name : computed) {
    output.write(separator);
    output.write(name);
    separator = ", ";
  }
  output.write(computed.empty() ? "" : ")");
  output.write_formatted(", %zu addresses of code the listing does not hold",
                         unlisted.size());
  separator = " (";
  for (const std::uint64_t address : unlisted) {
    output.write(separator);
    output.write(names.name_of(address));
    separator = ", ";
  }
  output.write(unlisted.empty() ? "\n" : ")\n");
}

void write_table(const CallGraph& graph, const CodeNames& names, ReportOutput& output) {
  output.write("\n   depth    bytes  function  place\n");
  for (const Function* function : table_order(graph)) {
    output.write_formatted("%8s %8llu  ", depth_text(function->depth).c_str(),
                           as_printed(function->bytes));
    output.write(names.name_of(function->address));
    output.write("  ");
    output.write(names.place_of(function->address));
    if (function->recursive) {
      output.write("  (recursive)");
    }
    if (function->computed_jump) {
      output.write("  (computed jump)");
    }
    output.write("\n");
  }
}

void write_place_json(JsonWriter& json, const CodeNames& names, std::uint64_t address) {
  const ProgramWords::Word* const word = names.word_at(address);
  json.key("file");
  json.string_or_null(word != nullptr
                          ? std::optional<std::string_view>(names.words().path_of(*word))
                          : std::nullopt);
  json.key("line");
  json.number_or_null(word != nullptr ? std::optional<std::uint64_t>(word->line)
                                      : std::nullopt);
}

void write_json(const CallGraph& graph, const CodeNames& names,
                const std::optional<MapFile>& map, JsonWriter& json) {
  json.begin_object();
  json.key("map");
  json.string_or_null(map ? std::optional<std::string_view>(map->path) : std::nullopt);
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
    for (const std::uint64_t callee : graph.deepest_chain(*function)) {
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
  for (const Function* function : table_order(graph)) {
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

int read_calls(const std::string& listing, const char* map_name, LineSource& lines,
               CallsOfBuild& calls, std::FILE* messages) {
  if (find_map(listing, map_name, calls.map, messages) != EXIT_SUCCESS ||
      read_listing(listing, lines, calls.words, messages) != EXIT_SUCCESS) {
    return EXIT_FAILURE;
  }
  if (calls.map) {
    warn_if_stale(*calls.map, calls.words, messages);
  }
  calls.graph = call_graph_of(calls.words);
  return EXIT_SUCCESS;
}

int read_calls(const std::string& listing, LineSource& lines,
               const std::optional<MapFile>& map, CallsOfBuild& calls,
               std::FILE* messages) {
  calls.map = map;
  if (read_listing(listing, lines, calls.words, messages) != EXIT_SUCCESS) {
    return EXIT_FAILURE;
  }
  calls.graph = call_graph_of(calls.words);
  return EXIT_SUCCESS;
}

void write_calls_json(const CallsOfBuild& calls, JsonWriter& json) {
  write_json(calls.graph, CodeNames(calls.map, calls.words), calls.map, json);
}

int report_calls(std::span<const char* const> names, const ReportRequest& request,
                 LineSource& lines, std::FILE* output, std::FILE* messages) {
  const auto calls = std::make_unique<CallsOfBuild>();
  if (read_calls(names[0], request.map_name, lines, *calls, messages) != EXIT_SUCCESS) {
    return EXIT_FAILURE;
  }
  const CallGraph& graph = calls->graph;
  const CodeNames code_names(calls->map, calls->words);
  ReportOutput report(output);
  if (request.json) {
    JsonWriter json(report);
    write_json(graph, code_names, calls->map, json);
    json.finish();
    const int written = report.finish(messages);
    const int within =
        check_limits(request, names[0], lines, nullptr, &graph, true, messages);
    return written != EXIT_SUCCESS ? written : within;
  }
  if (calls->map) {
    report.write("map: ");
    report.write(calls->map->path);
    report.write("\n");
  }
  if (graph.roots.empty()) {
    report.write("no code in the listing\n");
    return report.finish(messages);
  }
  write_summary(graph, report);
  write_chains(graph, code_names, report);
  write_not_followed(graph, code_names, report);
  write_table(graph, code_names, report);
  const int written = report.finish(messages);
  const int within =
      check_limits(request, names[0], lines, nullptr, &graph, true, messages);
  return written != EXIT_SUCCESS ? written : within;
}

} // namespace vadrimel
