#include "model/pic18/software_stack.h"

#include <algorithm>
#include <deque>
#include <numeric>
#include <utility>

#include "model/pic18/stack_walk.h"

namespace vadrimel {

namespace {

constexpr std::uint32_t NONE = InstructionGraph::NONE;
/// How deep walks of blocks that take W from their callers may nest.
constexpr std::size_t MOST_NESTED = 64;
/// The instructions all walks may look at, for each of the program's and
/// beyond: bodies that share code are walked through it each.
constexpr std::uint64_t SPENT_PER_INSTRUCTION = 32;
constexpr std::uint64_t SPENT_AT_LEAST = 1U << 16U;

/// Every walk of the software stack, each function's own and those of the
/// blocks that take W from their callers, done callees first.
class Walks final : public CalleeWalks {
public:
  Walks(const InstructionGraph& graph, const CallGraph& calls)
      : graph_(graph), calls_(calls), plain_(calls.functions.size(), NONE),
        with_w_(calls.functions.size()), entry_of_(graph.nodes().size(), NONE),
        budget_(SPENT_PER_INSTRUCTION * graph.nodes().size() + SPENT_AT_LEAST) {
    for (std::uint32_t function = 0; function < graph.entries().size(); ++function) {
      entry_of_[graph.entry_node(function)] = function;
    }
    for (const Root& root : calls.roots) {
      roots_.push_back(root.address);
    }
  }

  void walk_all() {
    std::vector<std::uint32_t> order(calls_.functions.size());
    std::iota(order.begin(), order.end(), 0U);
    std::stable_sort(
        order.begin(), order.end(), [this](std::uint32_t left, std::uint32_t right) {
          return calls_.functions[left].order < calls_.functions[right].order;
        });
    for (const std::uint32_t function : order) {
      plain_[function] = walk(function, {WValue::Kind::INCOMING, 0});
    }
  }

  std::uint32_t walk_of(std::uint32_t function, const WValue& w) override {
    const std::uint32_t plain = plain_[function];
    if (plain == NONE || !results_[plain].needs_w) {
      return plain;
    }
    if (w.kind != WValue::Kind::CONSTANT) {
      return NONE;
    }
    auto& walks = with_w_[function];
    const auto known = std::find_if(walks.begin(), walks.end(), [&w](const auto& walk) {
      return walk.first == w.value;
    });
    if (known != walks.end()) {
      return known->second;
    }
    if (nested_ >= MOST_NESTED) {
      return NONE;
    }
    walks.emplace_back(w.value, NONE);
    ++nested_;
    const std::uint32_t walk_id = walk(function, w);
    --nested_;
    // The list may have grown meanwhile.
    for (auto& walk : with_w_[function]) {
      if (walk.first == w.value) {
        walk.second = walk_id;
      }
    }
    return walk_id;
  }
  [[nodiscard]] bool is_done(std::uint32_t function) const override {
    return plain_[function] != NONE;
  }
  [[nodiscard]] bool needs_w(std::uint32_t function) const override {
    return plain_[function] != NONE && results_[plain_[function]].needs_w;
  }
  [[nodiscard]] const WalkResult& result(std::uint32_t walk) const override {
    return results_[walk];
  }
  bool spend() override { return ++spent_ <= budget_; }

  /// The figures of a function: its own walk's, or of a block that takes W
  /// the highest of its callers' W; the walk they come from.
  [[nodiscard]] std::uint32_t chosen(std::uint32_t function) const {
    const std::uint32_t plain = plain_[function];
    if (!results_[plain].needs_w) {
      return plain;
    }
    std::uint32_t best = NONE;
    for (const auto& [w, walk] : with_w_[function]) {
      if (walk != NONE && results_[walk].known &&
          (best == NONE ||
           *results_[walk].figures.height > *results_[best].figures.height)) {
        best = walk;
      }
    }
    return best;
  }
  [[nodiscard]] std::uint32_t function_of(std::uint32_t walk) const {
    return functions_[walk];
  }

private:
  std::uint32_t walk(std::uint32_t function, const WValue& w) {
    const bool is_root = std::find(roots_.begin(), roots_.end(),
                                   graph_.entries()[function]) != roots_.end();
    results_.push_back(walk_stack(graph_, entry_of_, function, is_root, w, *this));
    functions_.push_back(function);
    return static_cast<std::uint32_t>(results_.size() - 1);
  }

  const InstructionGraph& graph_;
  const CallGraph& calls_;
  /// By walk: a deque, so that a result stays where it is while others are
  /// added.
  std::deque<WalkResult> results_;
  std::vector<std::uint32_t> functions_;
  std::vector<std::uint32_t> plain_;
  std::vector<std::vector<std::pair<std::int64_t, std::uint32_t>>> with_w_;
  std::vector<std::uint32_t> entry_of_;
  std::vector<std::uint64_t> roots_;
  std::uint64_t budget_;
  std::uint64_t spent_ = 0;
  std::size_t nested_ = 0;
};

StackFigures figures_of(const WalkResult& result) {
  return result.known ? result.figures : StackFigures{};
}

/// The deepest chain by bytes from a root's walk.
std::vector<StackLink> chain_of(const Walks& walks, const InstructionGraph& graph,
                                std::uint32_t walk) {
  std::vector<StackLink> chain;
  std::int64_t offset = 0;
  std::optional<std::uint64_t> call_address;
  std::optional<std::uint64_t> via;
  while (walk != NONE && chain.size() <= graph.entries().size()) {
    const WalkResult& result = walks.result(walk);
    const std::uint32_t function = walks.function_of(walk);
    chain.push_back(
        {graph.entries()[function], offset, figures_of(result), call_address, via});
    if (!result.known || result.deepest_node == NONE) {
      break;
    }
    const InstructionGraph::Node& call = graph.nodes()[result.deepest_node];
    offset += result.deepest_offset;
    call_address = call.address;
    via = call.owner != function
              ? std::optional<std::uint64_t>(graph.entries()[call.owner])
              : std::nullopt;
    walk = result.deepest_walk;
  }
  return chain;
}

} // namespace

StackFigures SoftwareStack::worst_case() const {
  StackFigures worst;
  std::int64_t height = 0;
  for (const StackRoot& root : roots) {
    if (!root.figures.height) {
      return {};
    }
    height += *root.figures.height;
    worst.at_least = worst.at_least || root.figures.at_least;
  }
  worst.height = height;
  return worst;
}

SoftwareStack software_stack_of(const InstructionGraph& graph, const CallGraph& calls) {
  SoftwareStack stack;
  if (graph.nodes().empty()) {
    return stack;
  }
  Walks walks(graph, calls);
  walks.walk_all();
  for (std::uint32_t function = 0; function < calls.functions.size(); ++function) {
    const std::uint32_t chosen = walks.chosen(function);
    const StackFigures figures =
        chosen == NONE ? StackFigures{} : figures_of(walks.result(chosen));
    stack.functions.push_back(figures);
    if (figures.height) {
      continue;
    }
    // The cause is the function whose walk failed for a reason of its own.
    const WalkResult* const result = chosen == NONE ? nullptr : &walks.result(chosen);
    if (result != nullptr && result->because == NONE && !result->why.empty()) {
      stack.lost.push_back({calls.functions[function].address, result->why});
    } else {
      ++stack.lost_after;
    }
  }
  for (const Root& root : calls.roots) {
    const Function* const function = calls.function_at(root.address);
    const auto index = static_cast<std::uint32_t>(function - calls.functions.data());
    const std::uint32_t walk = walks.chosen(index);
    StackRoot stack_root{root, stack.functions[index], {}};
    if (walk != NONE) {
      stack_root.chain = chain_of(walks, graph, walk);
    }
    stack.roots.push_back(std::move(stack_root));
  }
  return stack;
}

} // namespace vadrimel
