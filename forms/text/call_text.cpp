#include "forms/text/call_text.h"

#include <algorithm>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "forms/text/stack_text.h"
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

/// Where a call stands when it is not in its caller's own code: the code its
/// caller jumped into.
void write_via(const CodeNames& names, std::uint64_t via, std::uint64_t call,
               std::size_t widest, ReportOutput& output) {
  std::string name = "via " + names.name_within(via, call);
  name.resize(std::max(widest, name.size()), ' ');
  output.write("      ");
  output.write(name);
  output.write("  ");
  output.write(names.place_of(call));
  output.write("\n");
}

void write_chains(const CallGraph& graph, const CodeNames& names, ReportOutput& output) {
  for (const Root& root : graph.roots) {
    const Function* const function = graph.function_at(root.address);
    const std::vector<DeepestCall> chain = graph.deepest_chain(*function);
    output.write("\ndeepest from ");
    output.write(root.name);
    if (chain.empty()) {
      output.write(": no calls\n");
      continue;
    }
    output.write_formatted(", %s level%s:\n", depth_text(function->depth).c_str(),
                           function->depth == 1 ? "" : "s");
    std::size_t widest = 0;
    for (const DeepestCall& link : chain) {
      widest = std::max(widest, names.name_of(link.call.callee).size());
    }
    for (std::size_t level = 0; level < chain.size(); ++level) {
      const DeepestCall& link = chain[level];
      if (link.via) {
        write_via(names, *link.via, link.call.at, widest, output);
      }
      std::string name = names.name_of(link.call.callee);
      name.resize(widest, ' ');
      output.write_formatted("%4zu  ", level + 1);
      output.write(name);
      output.write("  ");
      output.write(names.place_of(link.call.callee));
      const Function* const callee = graph.function_at(link.call.callee);
      if (callee != nullptr && callee->recursive) {
        output.write("  (recursive)");
      }
      output.write("\n");
    }
  }
}

/// "1 computed jump", "2 computed jumps".
std::string counted(std::size_t count, std::string_view noun, std::string_view nouns) {
  return std::to_string(count) + " " + std::string(count == 1 ? noun : nouns);
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
  output.write("\nnot followed: ");
  if (!computed.empty()) {
    output.write(counted(computed.size(), "computed jump", "computed jumps"));
    const char* separator = " (in ";
    for (const std::string& name : computed) {
      output.write(separator);
      output.write(name);
      separator = ", ";
    }
    output.write(unlisted.empty() ? ")\n" : "), ");
  }
  if (!unlisted.empty()) {
    output.write(counted(unlisted.size(), "address of code the listing does not hold",
                         "addresses of code the listing does not hold"));
    const char* separator = " (";
    for (const std::uint64_t address : unlisted) {
      output.write(separator);
      output.write(names.name_of(address));
      separator = ", ";
    }
    output.write(")\n");
  }
}

void write_table(const Build& build, const CodeNames& names, ReportOutput& output) {
  const CallGraph& graph = build.calls();
  const SoftwareStack& stack = build.software_stack();
  output.write("\n   depth    bytes    frame   height  function  place\n");
  for (const Function* function : functions_by_depth(graph)) {
    const StackFigures& figures =
        stack.functions[static_cast<std::size_t>(function - graph.functions.data())];
    output.write_formatted(
        "%8s %8llu %8s %8s  ", depth_text(function->depth).c_str(),
        as_printed(names.block_bytes(function->address).value_or(function->bytes)),
        stack_figure_text(figures.frame, false).c_str(),
        stack_figure_text(figures.height, figures.at_least).c_str());
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
  write_stack_summary(build, output);
  write_chains(graph, names, output);
  write_stack_chains(build, names, output);
  write_stack_lost(build, names, output);
  write_not_followed(graph, names, output);
  write_table(build, names, output);
}

} // namespace vadrimel
