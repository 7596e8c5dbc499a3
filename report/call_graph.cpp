#include "report/call_graph.h"

#include <algorithm>
#include <array>
#include <map>
#include <set>
#include <unordered_set>
#include <utility>

#include "report/pic18_instruction.h"

namespace vadrimel {

namespace {

constexpr std::array<std::pair<std::string_view, std::uint64_t>, 3> VECTORS = {
    {{"reset", 0x00}, {"high interrupt", 0x08}, {"low interrupt", 0x18}}};

std::optional<std::uint16_t> word_at(const ProgramWords& words, std::uint64_t address) {
  const ProgramWords::Word* const word = words.at(address);
  return word == nullptr ? std::nullopt : std::optional<std::uint16_t>(word->value);
}

/// True when the word at `address` is the second word of the instruction
/// before it.
bool is_second_word(const ProgramWords& words, std::uint64_t address) {
  const std::optional<std::uint16_t> before =
      address >= 2 ? word_at(words, address - 2) : std::nullopt;
  const std::optional<std::uint16_t> word = word_at(words, address);
  return before && word && takes_two_words(*before) && (*word & 0xF000U) == 0xF000U;
}

/// Walks the body of the function at `entry`; the targets of its calls that
/// the listing holds go to `entries`.
Function walk_body(const ProgramWords& words, std::uint64_t entry,
                   std::vector<std::uint64_t>& entries) {
  Function function;
  function.address = entry;
  std::unordered_set<std::uint64_t> seen;
  std::set<std::uint64_t> callees;
  std::set<std::uint64_t> unlisted;
  std::vector<std::uint64_t> pending = {entry};
  while (!pending.empty()) {
    const std::uint64_t address = pending.back();
    pending.pop_back();
    if (!seen.insert(address).second) {
      continue;
    }
    const std::optional<std::uint16_t> word = word_at(words, address);
    if (!word) {
      unlisted.insert(address);
      continue;
    }
    const Pic18Instruction instruction =
        decode_pic18(*word, address, word_at(words, address + 2));
    function.bytes += instruction.size;
    const std::uint64_t next = address + instruction.size;
    switch (instruction.flow) {
    case Flow::NEXT:
      pending.push_back(next);
      break;
    case Flow::JUMP:
      pending.push_back(instruction.target);
      break;
    case Flow::BRANCH:
      pending.push_back(instruction.target);
      pending.push_back(next);
      break;
    case Flow::SKIP: {
      const std::optional<std::uint16_t> skipped = word_at(words, next);
      pending.push_back(next);
      pending.push_back(next + (skipped && takes_two_words(*skipped) ? 4 : 2));
      break;
    }
    case Flow::CALL:
      function.calls.push_back({address, instruction.target});
      callees.insert(instruction.target);
      if (words.at(instruction.target) == nullptr) {
        unlisted.insert(instruction.target);
      } else {
        entries.push_back(instruction.target);
      }
      pending.push_back(next);
      break;
    case Flow::RETURN:
      break;
    case Flow::COMPUTED:
      function.computed_jump = true;
      break;
    }
  }
  std::sort(
      function.calls.begin(), function.calls.end(),
      [](const CallSite& left, const CallSite& right) { return left.at < right.at; });
  function.callees.assign(callees.begin(), callees.end());
  function.unlisted.assign(unlisted.begin(), unlisted.end());
  return function;
}

/// Marks the recursive functions and works out every depth: the strongly
/// connected parts of the call graph (Tarjan), callees before callers.
void work_out_depths(CallGraph& graph) {
  std::vector<Function>& functions = graph.functions;
  const std::size_t count = functions.size();
  std::map<std::uint64_t, std::size_t> index_of;
  for (std::size_t index = 0; index < count; ++index) {
    index_of.emplace(functions[index].address, index);
  }
  // The listed callees of each function.
  std::vector<std::vector<std::size_t>> edges(count);
  for (std::size_t index = 0; index < count; ++index) {
    for (const std::uint64_t callee : functions[index].callees) {
      const auto found = index_of.find(callee);
      if (found != index_of.end()) {
        edges[index].push_back(found->second);
      }
    }
  }
  constexpr std::size_t UNSEEN = ~std::size_t{0};
  std::vector<std::size_t> order(count, UNSEEN);
  std::vector<std::size_t> low(count, 0);
  std::vector<bool> on_stack(count, false);
  std::vector<std::size_t> stack;
  std::size_t counter = 0;
  for (std::size_t start = 0; start < count; ++start) {
    if (order[start] != UNSEEN) {
      continue;
    }
    // Each frame: a function and the next of its edges to look at.
    std::vector<std::pair<std::size_t, std::size_t>> frames = {{start, 0}};
    order[start] = low[start] = counter++;
    stack.push_back(start);
    on_stack[start] = true;
    while (!frames.empty()) {
      auto& [node, edge] = frames.back();
      if (edge < edges[node].size()) {
        const std::size_t callee = edges[node][edge++];
        if (order[callee] == UNSEEN) {
          order[callee] = low[callee] = counter++;
          stack.push_back(callee);
          on_stack[callee] = true;
          frames.emplace_back(callee, 0);
        } else if (on_stack[callee]) {
          low[node] = std::min(low[node], order[callee]);
        }
        continue;
      }
      const std::size_t finished = node;
      frames.pop_back();
      if (!frames.empty()) {
        low[frames.back().first] = std::min(low[frames.back().first], low[finished]);
      }
      if (low[finished] != order[finished]) {
        continue;
      }
      // A strongly connected part: its callees outside it are done.
      std::vector<std::size_t> part;
      std::size_t member = 0;
      do {
        member = stack.back();
        stack.pop_back();
        on_stack[member] = false;
        part.push_back(member);
      } while (member != finished);
      const bool cycle =
          part.size() > 1 || std::find(edges[finished].begin(), edges[finished].end(),
                                       finished) != edges[finished].end();
      for (const std::size_t index : part) {
        Function& function = functions[index];
        function.recursive = cycle;
        if (cycle) {
          function.depth.reset();
          continue;
        }
        std::optional<std::uint64_t> depth = 0;
        for (const CallSite& call : function.calls) {
          const auto callee = index_of.find(call.callee);
          const std::optional<std::uint64_t> below =
              callee == index_of.end() ? std::optional<std::uint64_t>(0)
                                       : functions[callee->second].depth;
          depth = depth && below
                      ? std::optional<std::uint64_t>(std::max(*depth, 1 + *below))
                      : std::nullopt;
        }
        function.depth = depth;
      }
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

std::vector<std::uint64_t> CallGraph::deepest_chain(const Function& from) const {
  std::vector<std::uint64_t> chain;
  const Function* current = &from;
  while (current != nullptr && !current->calls.empty()) {
    // The call of the greatest depth; unbounded is the greatest of all.
    const CallSite* deepest = nullptr;
    std::optional<std::uint64_t> deepest_levels = 0;
    for (const CallSite& call : current->calls) {
      const Function* const callee = function_at(call.callee);
      const std::optional<std::uint64_t> levels =
          callee == nullptr ? std::optional<std::uint64_t>(1)
          : callee->depth   ? std::optional<std::uint64_t>(1 + *callee->depth)
                            : std::nullopt;
      const bool deeper = deepest == nullptr ||
                          (deepest_levels && (!levels || *levels > *deepest_levels));
      if (deeper) {
        deepest = &call;
        deepest_levels = levels;
      }
    }
    chain.push_back(deepest->callee);
    const Function* const next = function_at(deepest->callee);
    if (next == nullptr || next->recursive || chain.size() > functions.size()) {
      break;
    }
    current = next;
  }
  return chain;
}

CallGraph call_graph_of(const ProgramWords& words) {
  CallGraph graph;
  const std::optional<std::uint64_t> lowest = words.lowest();
  if (!lowest) {
    return graph;
  }
  std::vector<std::uint64_t> entries;
  for (const auto& [name, offset] : VECTORS) {
    const std::uint64_t address = *lowest + offset;
    if (words.at(address) != nullptr &&
        (offset == 0 || !is_second_word(words, address))) {
      graph.roots.push_back({name, address});
      entries.push_back(address);
    }
  }
  std::map<std::uint64_t, Function> functions;
  while (!entries.empty()) {
    const std::uint64_t entry = entries.back();
    entries.pop_back();
    if (!functions.contains(entry)) {
      functions.emplace(entry, walk_body(words, entry, entries));
    }
  }
  for (auto& [address, function] : functions) {
    graph.functions.push_back(std::move(function));
  }
  work_out_depths(graph);
  return graph;
}

} // namespace vadrimel
