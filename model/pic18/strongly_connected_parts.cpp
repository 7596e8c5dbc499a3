#include "model/pic18/strongly_connected_parts.h"

#include <algorithm>

namespace vadrimel {

namespace {

/// What the search keeps: each node's order of visit (0: not seen yet) and
/// lowest order reached, the stack of nodes seen and not yet in a part, and
/// the nodes being visited, each with the index of its next edge (the
/// further edge comes last, as index `starts[node + 1]`).
struct Search {
  struct Frame {
    std::uint32_t node;
    std::uint32_t edge;
  };
  explicit Search(std::uint32_t nodes) : order(nodes, 0), low(nodes, 0) {}

  void enter(std::uint32_t node, const Digraph& graph) {
    order[node] = low[node] = ++counter;
    stack.push_back(node);
    frames.push_back({node, graph.starts[node]});
  }
  /// The edge from `node` to `next`, where `in_part` tells whether `next`
  /// is in a part already.
  void follow(std::uint32_t node, std::uint32_t next, bool in_part,
              const Digraph& graph) {
    if (order[next] == 0) {
      enter(next, graph);
    } else if (!in_part) {
      low[node] = std::min(low[node], order[next]);
    }
  }
  /// `node` is done: its caller learns the lowest order it reached. True
  /// when `node` starts a part.
  bool leave(std::uint32_t node) {
    frames.pop_back();
    if (!frames.empty()) {
      const std::uint32_t caller = frames.back().node;
      low[caller] = std::min(low[caller], low[node]);
    }
    return low[node] == order[node];
  }

  std::vector<std::uint32_t> order;
  std::vector<std::uint32_t> low;
  std::vector<std::uint32_t> stack;
  std::vector<Frame> frames;
  std::uint32_t counter = 0;
};

} // namespace

StronglyConnectedParts::StronglyConnectedParts(const Digraph& graph,
                                               std::span<const std::uint32_t> further)
    : part_of_(graph.size(), NONE) {
  const std::uint32_t nodes = graph.size();
  Search search(nodes);
  for (std::uint32_t start = 0; start < nodes; ++start) {
    if (search.order[start] != 0) {
      continue;
    }
    search.enter(start, graph);
    while (!search.frames.empty()) {
      Search::Frame& frame = search.frames.back();
      const std::uint32_t node = frame.node;
      const std::uint32_t end = graph.starts[node + 1];
      if (frame.edge < end + (further.empty() ? 0 : 1)) {
        const std::uint32_t next =
            frame.edge < end ? graph.targets[frame.edge] : further[node];
        ++frame.edge;
        if (next != NONE) {
          search.follow(node, next, part_of_[next] != NONE, graph);
        }
      } else if (search.leave(node)) {
        take_part(node, search.stack);
      }
    }
  }
}

void StronglyConnectedParts::take_part(std::uint32_t node,
                                       std::vector<std::uint32_t>& stack) {
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

} // namespace vadrimel
