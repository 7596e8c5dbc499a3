#include "model/pic18/instruction_graph.h"

#include <algorithm>

namespace vadrimel {

namespace {

/// The addresses an instruction's flow goes on to, in order: at most two.
struct Successors {
  std::uint64_t addresses[2] = {0, 0};
  std::uint32_t count = 0;

  void add(std::uint64_t address) { addresses[count++] = address; }
};

Successors successors_of(const ProgramImage& image, std::uint64_t address,
                         const Pic18Instruction& instruction) {
  Successors successors;
  const std::uint64_t next = address + instruction.size;
  switch (instruction.flow) {
  case Flow::NEXT:
  case Flow::CALL:
    successors.add(next);
    break;
  case Flow::JUMP:
    successors.add(instruction.target);
    break;
  case Flow::BRANCH:
    successors.add(instruction.target);
    successors.add(next);
    break;
  case Flow::SKIP: {
    const std::optional<std::uint16_t> skipped = image.word_at(next);
    successors.add(next);
    successors.add(next + (skipped && takes_two_words(*skipped) ? 4 : 2));
    break;
  }
  case Flow::RETURN:
  case Flow::COMPUTED:
    break;
  }
  return successors;
}

} // namespace

InstructionGraph::InstructionGraph(const ProgramImage& image,
                                   std::span<const std::uint64_t> roots) {
  const std::optional<std::uint64_t> lowest = image.lowest();
  if (!lowest) {
    return;
  }
  base_ = *lowest;
  node_of_word_.assign((image.end() - base_) / 2, NONE);
  // Every address reached, each decoded once: by its flow and its calls.
  std::vector<std::uint64_t> pending(roots.begin(), roots.end());
  std::vector<std::uint64_t> called;
  // Each node's successors, as found: decoded once.
  std::vector<Successors> successors_found;
  while (!pending.empty()) {
    const std::uint64_t address = pending.back();
    pending.pop_back();
    if (node_at(address) != NONE || !image.has(address)) {
      continue;
    }
    Node node;
    node.address = address;
    node.word = *image.word_at(address);
    const std::optional<std::uint16_t> second = image.word_at(address + 2);
    node.second = second.value_or(0);
    node.instruction = decode_pic18(node.word, address, second);
    node_of_word_[(address - base_) / 2] = static_cast<std::uint32_t>(nodes_.size());
    const Successors successors = successors_of(image, address, node.instruction);
    for (std::uint32_t index = 0; index < successors.count; ++index) {
      pending.push_back(successors.addresses[index]);
    }
    successors_found.push_back(successors);
    if (node.instruction.flow == Flow::CALL && image.has(node.instruction.target)) {
      pending.push_back(node.instruction.target);
      called.push_back(node.instruction.target);
    }
    nodes_.push_back(node);
  }
  // The edges, now that every node has its number.
  for (std::uint32_t index = 0; index < nodes_.size(); ++index) {
    Node& node = nodes_[index];
    const Successors& successors = successors_found[index];
    for (std::uint32_t at = 0; at < successors.count; ++at) {
      const std::uint32_t next = node_at(successors.addresses[at]);
      if (next != NONE) {
        flow_.targets.push_back(next);
      } else {
        unlisted_.emplace_back(index, successors.addresses[at]);
        node.reaches_unlisted = true;
      }
    }
    flow_.starts.push_back(static_cast<std::uint32_t>(flow_.targets.size()));
    if (node.instruction.flow == Flow::CALL) {
      node.callee = node_at(node.instruction.target);
      if (node.callee == NONE) {
        unlisted_.emplace_back(index, node.instruction.target);
      }
    }
  }
  entries_.assign(roots.begin(), roots.end());
  entries_.insert(entries_.end(), called.begin(), called.end());
  std::sort(entries_.begin(), entries_.end());
  entries_.erase(std::unique(entries_.begin(), entries_.end()), entries_.end());
  // A root where the listing has no instruction is no entry.
  std::erase_if(entries_, [this](std::uint64_t entry) { return node_at(entry) == NONE; });
  for (const std::uint64_t entry : entries_) {
    entry_nodes_.push_back(node_at(entry));
  }
  claim_code();
}

void InstructionGraph::claim_code() {
  // Each function claims what its flow reaches that no function before it
  // (by address) reached: every node once, shared code by the first.
  for (std::uint32_t function = 0; function < entry_nodes_.size(); ++function) {
    nodes_[entry_nodes_[function]].owner = function;
  }
  std::vector<std::uint32_t> pending;
  for (std::uint32_t function = 0; function < entry_nodes_.size(); ++function) {
    pending.push_back(entry_nodes_[function]);
    while (!pending.empty()) {
      const std::uint32_t node = pending.back();
      pending.pop_back();
      for (const std::uint32_t next : flow_.edges(node)) {
        if (nodes_[next].owner == NONE) {
          nodes_[next].owner = function;
          pending.push_back(next);
        }
      }
    }
  }
}

std::uint32_t InstructionGraph::node_at(std::uint64_t address) const {
  if (address < base_ || address % 2 != 0) {
    return NONE;
  }
  const std::uint64_t index = (address - base_) / 2;
  return index < node_of_word_.size() ? node_of_word_[index] : NONE;
}

} // namespace vadrimel
