#include "forms/text/call_text.h"

#include <algorithm>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "forms/text/text_numbers.h"
#include "model/code_names.h"
#include "reports/functions_by_depth.h"

namespace vadrimel {

namespace {

std::string depth_text(const std::optional<std::uint64_t>& depth) {
  return depth ? std::to_string(*depth) : std::string("unbounded");
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
    std::vector<std::uint64_t> chain;
    for (const DeepestCall& link : graph.deepest_chain(*function)) {
      chain.push_back(link.call.callee);
    }
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
  for (const Function* function : functions_by_depth(graph)) {
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

} // namespace

void write_calls(const Build& build, ReportOutput& output) {
  const CallGraph& graph = build.calls();
  if (build.map) {
    output.write("map: ");
    output.write(build.map->path);
    output.write("\n");
  }
  if (graph.roots.empty()) {
    output.write("no code in the listing\n");
    return;
  }
  const CodeNames names(build.memory() != nullptr ? &*build.map : nullptr,
                        *build.words());
  write_summary(graph, output);
  write_chains(graph, names, output);
  write_not_followed(graph, names, output);
  write_table(graph, names, output);
}

} // namespace vadrimel
