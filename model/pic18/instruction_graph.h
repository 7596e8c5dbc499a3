#ifndef VADRIMEL_MODEL_PIC18_INSTRUCTION_GRAPH_H_
#define VADRIMEL_MODEL_PIC18_INSTRUCTION_GRAPH_H_

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "model/pic18/pic18_instruction.h"
#include "model/pic18/program_image.h"
#include "model/pic18/strongly_connected_parts.h"

namespace vadrimel {

/// The instructions that the program can reach, each decoded once, with
/// where each leads: the successors of its flow (a call goes on to the next
/// instruction) and the entry it calls, and the function whose own code each
/// is. Time and memory linear in the program's size, whatever its shape.
class InstructionGraph {
public:
  static constexpr std::uint32_t NONE = ~std::uint32_t{0};

  /// One instruction the program reaches.
  struct Node {
    std::uint64_t address = 0;
    Pic18Instruction instruction;
    /// The first word; the second, where there is one.
    std::uint16_t word = 0;
    std::uint16_t second = 0;
    /// The node a CALL or RCALL calls; NONE when it calls code the listing
    /// does not hold, or is no call.
    std::uint32_t callee = NONE;
    /// The function whose own code it is, as an index in `entries()`: the
    /// first function (by address) whose flow reaches it.
    std::uint32_t owner = NONE;
    /// Its flow goes on to code the listing does not hold.
    bool reaches_unlisted = false;
  };

  /// Decodes what `roots` reach, following flow and calls; the function
  /// entries are the roots the listing holds and every listed address called.
  InstructionGraph(const ProgramImage& image, std::span<const std::uint64_t> roots);

  [[nodiscard]] const std::vector<Node>& nodes() const { return nodes_; }
  /// The flow of each node: where it goes on to, without following calls.
  [[nodiscard]] const Digraph& flow() const { return flow_; }
  /// The node at `address`; NONE when the program does not reach one there.
  [[nodiscard]] std::uint32_t node_at(std::uint64_t address) const;
  /// The function entries, ascending, and the node of each.
  [[nodiscard]] const std::vector<std::uint64_t>& entries() const { return entries_; }
  [[nodiscard]] std::uint32_t entry_node(std::uint32_t function) const {
    return entry_nodes_[function];
  }
  /// Each node's references to code the listing does not hold (flow or
  /// call), by node, in the order found.
  [[nodiscard]] const std::vector<std::pair<std::uint32_t, std::uint64_t>>&
  unlisted() const {
    return unlisted_;
  }

private:
  void claim_code();

  std::vector<Node> nodes_;
  Digraph flow_;
  /// By address / 2, from the lowest address of the program.
  std::vector<std::uint32_t> node_of_word_;
  std::uint64_t base_ = 0;
  std::vector<std::uint64_t> entries_;
  std::vector<std::uint32_t> entry_nodes_;
  std::vector<std::pair<std::uint32_t, std::uint64_t>> unlisted_;
};

} // namespace vadrimel

#endif // VADRIMEL_MODEL_PIC18_INSTRUCTION_GRAPH_H_
