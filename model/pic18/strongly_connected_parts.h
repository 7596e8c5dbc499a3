#ifndef VADRIMEL_MODEL_PIC18_STRONGLY_CONNECTED_PARTS_H_
#define VADRIMEL_MODEL_PIC18_STRONGLY_CONNECTED_PARTS_H_

#include <cstdint>
#include <span>
#include <vector>

namespace vadrimel {

/// A directed graph in compressed rows: the edges of node n lead to
/// `targets[starts[n]]` up to `targets[starts[n + 1]]`.
struct Digraph {
  std::vector<std::uint32_t> starts{0};
  std::vector<std::uint32_t> targets;

  [[nodiscard]] std::uint32_t size() const {
    return static_cast<std::uint32_t>(starts.size() - 1);
  }
  [[nodiscard]] std::span<const std::uint32_t> edges(std::uint32_t node) const {
    return {targets.data() + starts[node], targets.data() + starts[node + 1]};
  }
};

/// The strongly connected parts of a graph (Tarjan's algorithm, without
/// recursion, so that a graph of any depth takes no stack), numbered in the
/// order found: each part after every part it leads to. Time and memory
/// linear in the nodes and edges.
class StronglyConnectedParts {
public:
  static constexpr std::uint32_t NONE = ~std::uint32_t{0};

  /// The parts of `graph`, and with `further` of `graph` with one more edge
  /// from each node: to `further[node]`, none where that is NONE.
  explicit StronglyConnectedParts(const Digraph& graph,
                                  std::span<const std::uint32_t> further = {});

  [[nodiscard]] std::uint32_t count() const {
    return static_cast<std::uint32_t>(starts_.size() - 1);
  }
  /// The part of a node.
  [[nodiscard]] std::uint32_t part_of(std::uint32_t node) const { return part_of_[node]; }
  /// The nodes of a part.
  [[nodiscard]] std::span<const std::uint32_t> members(std::uint32_t part) const {
    return {members_.data() + starts_[part], members_.data() + starts_[part + 1]};
  }

private:
  /// Takes the nodes on `stack` down to `node` as the next part.
  void take_part(std::uint32_t node, std::vector<std::uint32_t>& stack);

  std::vector<std::uint32_t> part_of_;
  std::vector<std::uint32_t> members_;
  std::vector<std::uint32_t> starts_{0};
};

} // namespace vadrimel

#endif // VADRIMEL_MODEL_PIC18_STRONGLY_CONNECTED_PARTS_H_
