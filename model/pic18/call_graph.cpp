#include "model/pic18/call_graph.h"

#include <algorithm>
#include <array>
#include <map>
#include <set>
#include <unordered_set>
#include <utility>

#include "model/pic18/pic18_instruction.h"
#include "model/pic18/strongly_connected_parts.h"

namespace vadrimel {

namespace {

constexpr std::array<std::pair<std::string_view, std::uint64_t>, 3> VECTORS = {
    {{"reset", 0x00}, {"high interrupt", 0x08}, {"low interrupt", 0x18}}};

std::optional<std::uint16_t> word_at(const ProgramImage& words, std::uint64_t address) {
  return words.word_at(address);
}

/// True when the word at `address` is the second word of the instruction
/// before it.
bool is_second_word(const ProgramImage& words, std::uint64_t address) {
  const std::optional<std::uint16_t> before =
      address >= 2 ? word_at(words, address - 2) : std::nullopt;
  const std::optional<std::uint16_t> word = word_at(words, address);
  return before && word && takes_two_words(*before) && (*word & 0xF000U) == 0xF000U;
}

/// Walks the body of the function at `entry`; the targets of its calls that
/// the listing holds go to `entries`.
Function walk_body(const ProgramImage& words, std::uint64_t entry,
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
      if (!words.has(instruction.target)) {
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

/// A function's depth, its callees' depths known: empty when a callee's is
/// unbounded; a call of code the listing does not hold takes one level.
std::optional<std::uint64_t>
depth_of(const Function& function, const std::map<std::uint64_t, std::size_t>& index_of,
         const std::vector<Function>& functions) {
  std::optional<std::uint64_t> depth = 0;
  for (const CallSite& call : function.calls) {
    const auto callee = index_of.find(call.callee);
    const std::optional<std::uint64_t> below = callee == index_of.end()
                                                   ? std::optional<std::uint64_t>(0)
                                                   : functions[callee->second].depth;
    if (!below) {
      return std::nullopt;
    }
    depth = std::max(*depth, 1 + *below);
  }
  return depth;
}

/// Marks the recursive functions and works out every depth, the parts of
/// the call graph in the order that has callees first.
void work_out_depths(CallGraph& graph) {
  std::vector<Function>& functions = graph.functions;
  std::map<std::uint64_t, std::size_t> index_of;
  for (std::size_t index = 0; index < functions.size(); ++index) {
    index_of.emplace(functions[index].address, index);
  }
  std::vector<std::vector<std::size_t>> edges(functions.size());
  for (std::size_t index = 0; index < functions.size(); ++index) {
    for (const std::uint64_t callee : functions[index].callees) {
      const auto found = index_of.find(callee);
      if (found != index_of.end()) {
        edges[index].push_back(found->second);
      }
    }
  }
  const StronglyConnectedParts parts(edges);
  for (const std::vector<std::size_t>& part : parts.parts()) {
    const std::vector<std::size_t>& own = edges[part.front()];
    const bool cycle =
        part.size() > 1 || std::find(own.begin(), own.end(), part.front()) != own.end();
    for (const std::size_t index : part) {
      functions[index].recursive = cycle;
      functions[index].depth =
          cycle ? std::nullopt : depth_of(functions[index], index_of, functions);
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

CallGraph call_graph_of(const ProgramImage& words) {
  CallGraph graph;
  const std::optional<std::uint64_t> lowest = words.lowest();
  if (!lowest) {
    return graph;
  }
  std::vector<std::uint64_t> entries;
  for (const auto& [name, offset] : VECTORS) {
    const std::uint64_t address = *lowest + offset;
    if (words.has(address) && (offset == 0 || !is_second_word(words, address))) {
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
