#include "model/pic18/strongly_connected_parts.h"

#include <algorithm>

namespace vadrimel {

StronglyConnectedParts::StronglyConnectedParts(const Digraph& graph,
                                               std::span<const std::uint32_t> further)
    : part_of_(graph.size(), NONE) {
  const std::uint32_t nodes = graph.size();
  // `order` 0: not seen yet. A node seen and not yet in a part is on the
  // stack.
  std::vector<std::uint32_t> order(nodes, 0);
  std::vector<std::uint32_t> low(nodes, 0);
  std::vector<std::uint32_t> stack;
  // The nodes being visited, each with the index of its next edge; the
  // further edge comes last, as index `starts[node + 1]`.
  struct Frame {
    std::uint32_t node;
    std::uint32_t edge;
  };
  std::vector<Frame> frames;
  std::uint32_t counter = 0;
  const auto enter = [&](std::uint32_t node) {
    order[node] = low[node] = ++counter;
    stack.push_back(node);
    frames.push_back({node, graph.starts[node]});
  };
  for (std::uint32_t start = 0; start < nodes; ++start) {
    if (order[start] != 0) {
      continue;
    }
    enter(start);
    while (!frames.empty()) {
      Frame& frame = frames.back();
      const std::uint32_t node = frame.node;
      const std::uint32_t end = graph.starts[node + 1];
      if (frame.edge < end + (further.empty() ? 0 : 1)) {
        const std::uint32_t next =
            frame.edge < end ? graph.targets[frame.edge] : further[node];
        ++frame.edge;
        if (next == NONE) {
          continue;
        }
        if (order[next] == 0) {
          enter(next);
        } else if (part_of_[next] == NONE) {
          low[node] = std::min(low[node], order[next]);
        }
        continue;
      }
      frames.pop_back();
      if (!frames.empty()) {
        const std::uint32_t caller = frames.back().node;
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
        part_of_[member] = part;
        members_.push_back(member);
      } while (member != node);
      starts_.push_back(static_cast<std::uint32_t>(members_.size()));
    }
  }
}

} // namespace vadrimel
