#include "model/pic18/strongly_connected_parts.h"

#include <algorithm>

namespace vadrimel {

StronglyConnectedParts::StronglyConnectedParts(
    const std::vector<std::vector<std::size_t>>& edges)
    : edges_(edges), order_(edges.size(), UNSEEN), low_(edges.size(), 0),
      on_stack_(edges.size(), false) {
  for (std::size_t start = 0; start < edges.size(); ++start) {
    if (order_[start] == UNSEEN) {
      visit(start);
    }
  }
}

void StronglyConnectedParts::enter(std::size_t node) {
  order_[node] = low_[node] = counter_++;
  stack_.push_back(node);
  on_stack_[node] = true;
  frames_.emplace_back(node, 0);
}

void StronglyConnectedParts::visit(std::size_t start) {
  enter(start);
  while (!frames_.empty()) {
    const std::size_t node = frames_.back().first;
    std::size_t& edge = frames_.back().second;
    if (edge < edges_[node].size()) {
      const std::size_t next = edges_[node][edge++];
      if (order_[next] == UNSEEN) {
        enter(next);
      } else if (on_stack_[next]) {
        low_[node] = std::min(low_[node], order_[next]);
      }
      continue;
    }
    frames_.pop_back();
    if (!frames_.empty()) {
      const std::size_t caller = frames_.back().first;
      low_[caller] = std::min(low_[caller], low_[node]);
    }
    if (low_[node] == order_[node]) {
      take_part(node);
    }
  }
}

void StronglyConnectedParts::take_part(std::size_t root) {
  std::vector<std::size_t> part;
  std::size_t member = 0;
  do {
    member = stack_.back();
    stack_.pop_back();
    on_stack_[member] = false;
    part.push_back(member);
  } while (member != root);
  parts_.push_back(std::move(part));
}

} // namespace vadrimel
