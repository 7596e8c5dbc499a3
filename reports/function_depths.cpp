#include "reports/function_depths.h"

#include <cstddef>

#include "model/pic18/call_graph.h"
#include "model/pic18/instruction_graph.h"

namespace vadrimel {

namespace {

/// Marks the nodes that the hardware's roots reach, following flow and
/// calls.
std::vector<bool> reached_nodes(const InstructionGraph& graph,
                                const std::vector<Root>& roots) {
  std::vector<bool> reached(graph.nodes().size(), false);
  std::vector<std::uint32_t> pending;
  const auto reach = [&](std::uint32_t node) {
    if (node != InstructionGraph::NONE && !reached[node]) {
      reached[node] = true;
      pending.push_back(node);
    }
  };
  for (const Root& root : roots) {
    reach(graph.node_at(root.address));
  }
  while (!pending.empty()) {
    const std::uint32_t node = pending.back();
    pending.pop_back();
    for (const std::uint32_t next : graph.flow().edges(node)) {
      reach(next);
    }
    reach(graph.nodes()[node].callee);
  }
  return reached;
}

} // namespace

std::vector<FunctionDepth> function_depths(const Build& build, const BuildSizes& sizes) {
  if (build.words() == nullptr) {
    return {};
  }
  const ProgramImage& image = build.words()->image();
  std::vector<Root> roots = roots_of(image);
  // Every block's start an entry of its own, beside the hardware's: a body
  // is what its flow reaches whoever else reaches it, so the depths of the
  // roots' functions are the ones of the calls.
  std::vector<std::uint64_t> entries;
  entries.reserve(roots.size() + sizes.functions.size());
  for (const Root& root : roots) {
    entries.push_back(root.address);
  }
  for (const FunctionSize& function : sizes.functions) {
    entries.push_back(function.address);
  }
  const InstructionGraph graph(image, entries);
  const CallGraph calls = call_graph_of(graph, roots);
  const std::vector<bool> reached = reached_nodes(graph, roots);
  std::vector<FunctionDepth> depths;
  depths.reserve(sizes.functions.size());
  for (const FunctionSize& function : sizes.functions) {
    FunctionDepth depth;
    const Function* entry = calls.function_at(function.address);
    const std::uint32_t node = graph.node_at(function.address);
    if (entry != nullptr && node != InstructionGraph::NONE) {
      depth.listed = true;
      depth.depth = entry->depth;
      depth.reached = reached[node];
    }
    depths.push_back(depth);
  }
  return depths;
}

} // namespace vadrimel
