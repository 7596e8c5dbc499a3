#include "model/pic18/stack_state.h"

#include <optional>

namespace vadrimel {

WValue merged(const WValue& one, const WValue& other) {
  return one == other ? one : WValue{};
}

FrameValue merged(const FrameValue& one, const FrameValue& other) {
  return one == other ? one : FrameValue{FrameValue::Kind::UNKNOWN, 0};
}

bool merge_into(Seen& seen, const State& state, std::vector<State>& again) {
  if (seen.offset != state.offset) {
    return false;
  }
  const auto pending_bit =
      static_cast<std::uint8_t>(1U << static_cast<unsigned>(state.pending));
  const WValue w = merged(seen.w, state.w);
  const FrameValue frame = merged(seen.frame, state.frame);
  const bool weaker = !(w == seen.w) || !(frame == seen.frame);
  const bool new_pending = (seen.pendings & pending_bit) == 0;
  seen.w = w;
  seen.frame = frame;
  seen.pendings |= pending_bit;
  if (weaker || new_pending) {
    // Walked again with what every path agrees on.
    for (unsigned pending = 0; pending < 4; ++pending) {
      if ((seen.pendings & (1U << pending)) != 0 &&
          (weaker || pending == static_cast<unsigned>(state.pending))) {
        again.push_back(State{seen.offset, w, frame, static_cast<Pending>(pending)});
      }
    }
  }
  return true;
}

WValue w_at_return(std::uint16_t word, const WValue& w) {
  constexpr std::uint16_t FAST_RETURN = 0x0013;
  constexpr std::uint16_t FAST_RETFIE = 0x0011;
  if ((word >> 8U) == 0x0C) {
    return {WValue::Kind::CONSTANT, word & 0xFFU};
  }
  const bool fast = word == FAST_RETURN || word == FAST_RETFIE;
  return fast || w.kind != WValue::Kind::CONSTANT ? WValue{} : w;
}

namespace {

/// W_POINTER_PLUS_W and W_POINTER_MINUS_W: W becomes the pointer's offset
/// moved by a W that is a constant. An outcome ends the step early.
std::optional<StepOutcome> w_from_pointer_and_w(const StackEffect& effect, State& state) {
  const WValue w = state.w;
  if (w.kind == WValue::Kind::INCOMING) {
    return StepOutcome{true, {}};
  }
  state.w =
      w.kind == WValue::Kind::CONSTANT
          ? WValue{WValue::Kind::POINTER,
                   state.offset + (effect.kind == StackEffect::Kind::W_POINTER_PLUS_W
                                       ? w.value
                                       : -w.value)}
          : WValue{};
  return std::nullopt;
}

/// POINTER_FROM_W: the pointer set from a W that holds an offset of it.
std::optional<StepOutcome> pointer_from_w(State& state) {
  const WValue w = state.w;
  if (w.kind != WValue::Kind::POINTER) {
    return w.kind == WValue::Kind::INCOMING
               ? StepOutcome{true, {}}
               : StepOutcome{false, "the pointer is set from a W that is not known"};
  }
  state.offset = w.value;
  state.pending = Pending::NONE;
  return std::nullopt;
}

} // namespace

StepOutcome apply_stack_effect(const StackEffect& effect, bool is_root, State& state) {
  using Kind = StackEffect::Kind;
  const WValue w = state.w;
  const StepOutcome w_unknown =
      w.kind == WValue::Kind::INCOMING
          ? StepOutcome{true, {}}
          : StepOutcome{false, "W is not known at a step of the pointer"};
  switch (effect.kind) {
  case Kind::PLAIN:
    break;
  case Kind::LOAD_W:
    state.w = {WValue::Kind::CONSTANT, effect.literal};
    break;
  case Kind::W_FROM_POINTER:
    state.w = {WValue::Kind::POINTER, state.offset};
    break;
  case Kind::W_POINTER_PLUS_W:
  case Kind::W_POINTER_MINUS_W:
    if (auto outcome = w_from_pointer_and_w(effect, state)) {
      return *outcome;
    }
    break;
  case Kind::POINTER_PLUS_W:
  case Kind::POINTER_MINUS_W:
    if (w.kind != WValue::Kind::CONSTANT) {
      return w_unknown;
    }
    state.offset += effect.kind == Kind::POINTER_PLUS_W ? w.value : -w.value;
    break;
  case Kind::POINTER_INCREMENT:
  case Kind::POINTER_DECREMENT:
    state.offset += effect.kind == Kind::POINTER_INCREMENT ? 1 : -1;
    break;
  case Kind::POINTER_FROM_W:
    if (auto outcome = pointer_from_w(state)) {
      return *outcome;
    }
    break;
  case Kind::POINTER_CLEARED:
  case Kind::POINTER_SET:
    state.pending = effect.kind == Kind::POINTER_CLEARED ? Pending::CLEARED_DOWN
                                                         : Pending::CLEARED_UP;
    break;
  case Kind::POINTER_BASE:
    if (!is_root) {
      return {false, "it sets the stack's pointer to the stack's base"};
    }
    state.offset = 0;
    break;
  case Kind::FRAME_FROM_POINTER:
    state.frame = {FrameValue::Kind::RECORDED, state.offset};
    break;
  case Kind::POINTER_FROM_FRAME:
    if (state.frame.kind != FrameValue::Kind::RECORDED) {
      return {false, "FSR1 is set from FSR2 that is not known"};
    }
    state.offset = state.frame.offset;
    break;
  case Kind::POINTER_WRITTEN:
    return {false, "a write of FSR1L it cannot follow"};
  case Kind::FRAME_WRITTEN:
    state.frame = {};
    break;
  case Kind::W_DECREMENT:
    state.w = {};
    break;
  case Kind::EXTENDED:
    return {false, "extended mode"};
  }
  if (effect.writes_w) {
    state.w = {};
  }
  state.offset += effect.steps;
  return {};
}

} // namespace vadrimel
