#include "model/pic18/stack_idioms.h"

#include "model/pic18/stack_effects.h"

namespace vadrimel {

HalfStep take_half_step(State& state, const InstructionGraph::Node& node,
                        const StackEffect& effect) {
  const bool second_half =
      (state.pending == Pending::CLEARED_DOWN && is_pointer_step(node.word, true)) ||
      (state.pending == Pending::CLEARED_UP && is_pointer_step(node.word, false));
  if (second_half) {
    state.pending = Pending::STEPPED;
    return HalfStep::TAKEN;
  }
  const bool goes_on = state.pending == Pending::NONE ||
                       (state.pending == Pending::STEPPED &&
                        (node.instruction.flow == Flow::JUMP ||
                         effect.kind == StackEffect::Kind::POINTER_FROM_W));
  return goes_on ? HalfStep::NONE : HalfStep::BROKEN;
}

std::optional<CountedLoop> counted_loop_at(const InstructionGraph& graph,
                                           std::uint32_t node, const WValue& w) {
  constexpr std::uint32_t NONE = InstructionGraph::NONE;
  const std::vector<InstructionGraph::Node>& nodes = graph.nodes();
  const InstructionGraph::Node& decrement = nodes[node];
  const std::uint32_t branch = graph.node_at(decrement.address + 2);
  if (w.kind != WValue::Kind::CONSTANT || branch == NONE ||
      (nodes[branch].word >> 8U) != 0xE3) {
    return std::nullopt;
  }
  const std::uint32_t push = graph.node_at(decrement.address + 4);
  if (push == NONE) {
    return std::nullopt;
  }
  const StackEffect effect = stack_effect_of(nodes[push].word, nodes[push].second);
  const std::uint32_t back =
      graph.node_at(nodes[push].address + nodes[push].instruction.size);
  if (effect.kind != StackEffect::Kind::PLAIN ||
      (effect.steps != 1 && effect.steps != -1) || effect.writes_w || back == NONE ||
      nodes[back].instruction.flow != Flow::JUMP ||
      nodes[back].instruction.target != decrement.address) {
    return std::nullopt;
  }
  return CountedLoop{w.value * effect.steps, branch,
                     graph.node_at(nodes[branch].instruction.target)};
}

} // namespace vadrimel
