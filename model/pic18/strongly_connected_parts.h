#ifndef VADRIMEL_MODEL_PIC18_STRONGLY_CONNECTED_PARTS_H_
#define VADRIMEL_MODEL_PIC18_STRONGLY_CONNECTED_PARTS_H_

#include <cstddef>
#include <utility>
#include <vector>

namespace vadrimel {

/// The strongly connected parts of a graph (Tarjan's algorithm, without
/// recursion, so that a graph of any depth takes no stack), each part once
/// the parts it leads to are all found: callees before callers. Time and
/// memory linear in the nodes and edges.
class StronglyConnectedParts {
public:
  /// `edges[node]`: the nodes `node` leads to.
  explicit StronglyConnectedParts(const std::vector<std::vector<std::size_t>>& edges);

  [[nodiscard]] const std::vector<std::vector<std::size_t>>& parts() const {
    return parts_;
  }

private:
  static constexpr std::size_t UNSEEN = ~std::size_t{0};

  void enter(std::size_t node);
  void visit(std::size_t start);
  void take_part(std::size_t root);

  const std::vector<std::vector<std::size_t>>& edges_;
  std::vector<std::size_t> order_;
  std::vector<std::size_t> low_;
  std::vector<bool> on_stack_;
  std::vector<std::size_t> stack_;
  std::vector<std::pair<std::size_t, std::size_t>> frames_;
  std::vector<std::vector<std::size_t>> parts_;
  std::size_t counter_ = 0;
};

} // namespace vadrimel

#endif // VADRIMEL_MODEL_PIC18_STRONGLY_CONNECTED_PARTS_H_
