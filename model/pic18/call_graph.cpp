#include "model/pic18/call_graph.h"

#include <algorithm>
#include <array>
#include <limits>
#include <utility>

#include "model/pic18/pic18_instruction.h"
#include "model/pic18/strongly_connected_parts.h"

namespace vadrimel {

namespace {

constexpr std::array<std::pair<std::string_view, std::uint64_t>, 3> VECTORS = {
    {{"reset", 0x00}, {"high interrupt", 0x08}, {"low interrupt", 0x18}}};
constexpr std::uint64_t UNBOUNDED = std::numeric_limits<std::uint64_t>::max();
constexpr std::uint32_t NONE = InstructionGraph::NONE;

/// True when the word at `address` is the second word of the instruction
/// before it.
bool is_second_word(const ProgramImage& image, std::uint64_t address) {
  const std::optional<std::uint16_t> before =
      address >= 2 ? image.word_at(address - 2) : std::nullopt;
  const std::optional<std::uint16_t> word = image.word_at(address);
  return before && word && takes_two_words(*before) && (*word & 0xF000U) == 0xF000U;
}

/// The call of the greatest depth that a node's body reaches.
struct Deepest {
  /// 1 + the callee's depth; UNBOUNDED for a recursive one; 0: no call.
  std::uint64_t levels = 0;
  /// The node of the call.
  std::uint32_t node = NONE;

  /// Deeper, or as deep and at a lower address.
  [[nodiscard]] bool beats(const Deepest& other,
                           const std::vector<InstructionGraph::Node>& nodes) const {
    if (node == NONE || other.node == NONE) {
      return other.node == NONE && node != NONE;
    }
    return levels > other.levels ||
           (levels == other.levels && nodes[node].address < nodes[other.node].address);
  }
};

/// The node each node calls; NONE for none.
std::vector<std::uint32_t> callees_of(const InstructionGraph& graph) {
  std::vector<std::uint32_t> callees;
  callees.reserve(graph.nodes().size());
  for (const InstructionGraph::Node& node : graph.nodes()) {
    callees.push_back(node.callee);
  }
  return callees;
}

/// Every node's depth and deepest call, worked out part by part: the parts
/// of flow and calls, callees first, and inside each the parts of the flow
/// alone, so that a body's deepest call is one its flow reaches.
class Depths {
public:
  explicit Depths(const InstructionGraph& graph)
      : graph_(graph), calls_(graph.flow(), callees_of(graph)), flow_(graph.flow()),
        levels_(calls_.count(), 0), recursive_(calls_.count(), false),
        deepest_(flow_.count()) {
    const std::vector<InstructionGraph::Node>& nodes = graph.nodes();
    for (std::uint32_t node = 0; node < nodes.size(); ++node) {
      if (nodes[node].callee != NONE &&
          calls_.part_of(nodes[node].callee) == calls_.part_of(node)) {
        recursive_[calls_.part_of(node)] = true;
      }
    }
    // The flow's parts of each part of flow and calls, in the flow's order.
    std::vector<std::uint32_t> starts(calls_.count() + 1, 0);
    for (std::uint32_t part = 0; part < flow_.count(); ++part) {
      ++starts[calls_.part_of(flow_.members(part)[0]) + 1];
    }
    for (std::uint32_t part = 0; part < calls_.count(); ++part) {
      starts[part + 1] += starts[part];
    }
    std::vector<std::uint32_t> inner(flow_.count());
    std::vector<std::uint32_t> filled(starts.begin(), starts.end() - 1);
    for (std::uint32_t part = 0; part < flow_.count(); ++part) {
      inner[filled[calls_.part_of(flow_.members(part)[0])]++] = part;
    }
    for (std::uint32_t part = 0; part < calls_.count(); ++part) {
      for (std::uint32_t at = starts[part]; at < starts[part + 1]; ++at) {
        work_out(inner[at]);
      }
      levels_[part] = recursive_[part]
                          ? UNBOUNDED
                          : deepest_[flow_.part_of(calls_.members(part)[0])].levels;
    }
  }

  /// The depth of a node's body; UNBOUNDED when recursive or reaching a
  /// recursive function.
  [[nodiscard]] std::uint64_t depth(std::uint32_t node) const {
    return levels_[calls_.part_of(node)];
  }
  [[nodiscard]] bool recursive(std::uint32_t node) const {
    return recursive_[calls_.part_of(node)];
  }
  [[nodiscard]] const Deepest& deepest(std::uint32_t node) const {
    return deepest_[flow_.part_of(node)];
  }
  /// The part of flow and calls of a node: parts come after those they lead
  /// to.
  [[nodiscard]] std::uint32_t order(std::uint32_t node) const {
    return calls_.part_of(node);
  }

private:
  /// The deepest call of a part of the flow, its callees' depths and those
  /// of the parts it flows on to known.
  void work_out(std::uint32_t part) {
    const std::vector<InstructionGraph::Node>& nodes = graph_.nodes();
    Deepest best;
    for (const std::uint32_t node : flow_.members(part)) {
      const std::uint32_t callee = nodes[node].callee;
      if (nodes[node].instruction.flow == Flow::CALL) {
        const bool inside =
            callee != NONE && calls_.part_of(callee) == calls_.part_of(node);
        const std::uint64_t below = callee == NONE ? 0
                                    : inside       ? UNBOUNDED
                                                   : levels_[calls_.part_of(callee)];
        const Deepest own{below == UNBOUNDED ? UNBOUNDED : below + 1, node};
        best = own.beats(best, nodes) ? own : best;
      }
      for (const std::uint32_t next : graph_.flow().edges(node)) {
        const std::uint32_t next_part = flow_.part_of(next);
        if (next_part != part && deepest_[next_part].beats(best, nodes)) {
          best = deepest_[next_part];
        }
      }
    }
    deepest_[part] = best;
  }

  const InstructionGraph& graph_;
  StronglyConnectedParts calls_;
  StronglyConnectedParts flow_;
  /// By part of flow and calls.
  std::vector<std::uint64_t> levels_;
  std::vector<bool> recursive_;
  /// By part of the flow.
  std::vector<Deepest> deepest_;
};

/// Each function's own code: its bytes, calls, unlisted addresses and
/// computed jumps.
void add_own_code(const InstructionGraph& graph, std::vector<Function>& functions) {
  for (const InstructionGraph::Node& node : graph.nodes()) {
    Function& function = functions[node.owner];
    function.bytes += node.instruction.size;
    function.computed_jump =
        function.computed_jump || node.instruction.flow == Flow::COMPUTED;
    if (node.instruction.flow == Flow::CALL) {
      function.calls.push_back({node.address, node.instruction.target});
      function.callees.push_back(node.instruction.target);
    }
  }
  for (const auto& [node, address] : graph.unlisted()) {
    functions[graph.nodes()[node].owner].unlisted.push_back(address);
  }
  for (Function& function : functions) {
    std::sort(
        function.calls.begin(), function.calls.end(),
        [](const CallSite& left, const CallSite& right) { return left.at < right.at; });
    for (std::vector<std::uint64_t>* addresses :
         {&function.callees, &function.unlisted}) {
      std::sort(addresses->begin(), addresses->end());
      addresses->erase(std::unique(addresses->begin(), addresses->end()),
                       addresses->end());
    }
  }
}

} // namespace

const Function* CallGraph::function_at(std::uint64_t address) const {
  const auto found = std::lower_bound(functions.begin(), functions.end(), address,
                                      [](const Function& function, std::uint64_t value) {
                                        return function.address < value;
                                      });
  return found != functions.end() && found->address == address ? &*found : nullptr;
}

std::optional<std::uint64_t> CallGraph::worst_case() const {
  std::uint64_t levels = 0;
  for (const Root& root : roots) {
    const Function* const function = function_at(root.address);
    if (function == nullptr || !function->depth) {
      return std::nullopt;
    }
    levels += *function->depth + (root.name == "reset" ? 0 : 1);
  }
  return levels;
}

std::vector<DeepestCall> CallGraph::deepest_chain(const Function& from) const {
  std::vector<DeepestCall> chain;
  const Function* current = &from;
  while (current != nullptr && current->deepest) {
    chain.push_back(*current->deepest);
    const Function* const next = function_at(current->deepest->call.callee);
    if (next == nullptr || next->recursive || chain.size() > functions.size()) {
      break;
    }
    current = next;
  }
  return chain;
}

std::vector<Root> roots_of(const ProgramImage& image) {
  std::vector<Root> roots;
  const std::optional<std::uint64_t> lowest = image.lowest();
  if (!lowest) {
    return roots;
  }
  for (const auto& [name, offset] : VECTORS) {
    const std::uint64_t address = *lowest + offset;
    if (image.has(address) && (offset == 0 || !is_second_word(image, address))) {
      roots.push_back({name, address});
    }
  }
  return roots;
}

CallGraph call_graph_of(const ProgramImage& image) {
  std::vector<Root> roots = roots_of(image);
  std::vector<std::uint64_t> addresses;
  addresses.reserve(roots.size());
  for (const Root& root : roots) {
    addresses.push_back(root.address);
  }
  return call_graph_of(InstructionGraph(image, addresses), std::move(roots));
}

CallGraph call_graph_of(const InstructionGraph& graph, std::vector<Root> roots) {
  CallGraph calls;
  calls.roots = std::move(roots);
  if (graph.nodes().empty()) {
    return calls;
  }
  const Depths depths(graph);
  const std::vector<InstructionGraph::Node>& nodes = graph.nodes();
  for (std::uint32_t index = 0; index < graph.entries().size(); ++index) {
    const std::uint32_t entry = graph.entry_node(index);
    Function function;
    function.address = graph.entries()[index];
    function.recursive = depths.recursive(entry);
    function.order = depths.order(entry);
    const std::uint64_t depth = depths.depth(entry);
    function.depth =
        depth == UNBOUNDED ? std::nullopt : std::optional<std::uint64_t>(depth);
    const Deepest& deepest = depths.deepest(entry);
    if (deepest.node != NONE) {
      const InstructionGraph::Node& call = nodes[deepest.node];
      function.deepest =
          DeepestCall{{call.address, call.instruction.target},
                      call.owner == index
                          ? std::nullopt
                          : std::optional<std::uint64_t>(graph.entries()[call.owner])};
    }
    calls.functions.push_back(std::move(function));
  }
  add_own_code(graph, calls.functions);
  return calls;
}

} // namespace vadrimel
