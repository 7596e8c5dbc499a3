#include "model/pic18/strongly_connected_parts.h"

#include <algorithm>
#include <utility>

namespace vadrimel {

StronglyConnectedParts::StronglyConnectedParts(const Digraph& graph)
    : part_of_(graph.size(), 0) {
  constexpr std::uint32_t UNSEEN = ~std::uint32_t{0};
  const std::uint32_t nodes = graph.size();
  std::vector<std::uint32_t> order(nodes, UNSEEN);
  std::vector<std::uint32_t> low(nodes, 0);
  std::vector<bool> on_stack(nodes, false);
  std::vector<std::uint32_t> stack;
  // The nodes being visited, each with the index of its next edge.
  std::vector<std::pair<std::uint32_t, std::uint32_t>> frames;
  std::uint32_t counter = 0;
  const auto enter = [&](std::uint32_t node) {
    order[node] = low[node] = counter++;
    stack.push_back(node);
    on_stack[node] = true;
    frames.emplace_back(node, graph.starts[node]);
  };
  for (std::uint32_t start = 0; start < nodes; ++start) {
    if (order[start] != UNSEEN) {
      continue;
    }
    enter(start);
    while (!frames.empty()) {
      const std::uint32_t node = frames.back().first;
      std::uint32_t& edge = frames.back().second;
      if (edge < graph.starts[node + 1]) {
        const std::uint32_t next = graph.targets[edge++];
        if (order[next] == UNSEEN) {
          enter(next);
        } else if (on_stack[next]) {
          low[node] = std::min(low[node], order[next]);
        }
        continue;
      }
      frames.pop_back();
      if (!frames.empty()) {
        const std::uint32_t caller = frames.back().first;
        low[caller] = std::min(low[caller], low[node]);
      }
      if (low[node] != order[node]) {
        continue;
      }
      // A part: the nodes on the stack down to this one.
      const auto part = static_cast<std::uint32_t>(starts_.size() - 1);
      std::uint32_t member = 0;
      do {
        member = stack.back();
        stack.pop_back();
        on_stack[member] = false;
        part_of_[member] = part;
        members_.push_back(member);
      } while (member != node);
      starts_.push_back(static_cast<std::uint32_t>(members_.size()));
    }
  }
}

} // namespace vadrimel
