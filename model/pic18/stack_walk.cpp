#include "model/pic18/stack_walk.h"

#include <algorithm>

#include "model/pic18/stack_effects.h"
#include "model/pic18/stack_idioms.h"

namespace vadrimel {

namespace {

constexpr std::uint32_t NONE = InstructionGraph::NONE;
constexpr std::uint16_t RESET = 0x00FF;

class Walker {
public:
  Walker(const InstructionGraph& graph, const std::vector<std::uint32_t>& entry_of,
         std::uint32_t function, bool is_root, CalleeWalks& callees)
      : graph_(graph), nodes_(graph.nodes()), entry_of_(entry_of), function_(function),
        is_root_(is_root), callees_(callees) {}

  WalkResult run(const WValue& w);

private:
  void fail(std::string_view why) {
    if (result_.known) {
      result_.known = false;
      result_.why = why;
    }
  }
  void fail_because(std::uint32_t walk) {
    if (result_.known) {
      result_.known = false;
      result_.because = walk;
    }
  }
  void needs_w() {
    result_.needs_w = true;
    fail("it takes W from its caller");
  }
  void arrive(std::uint32_t target, const State& state, std::uint32_t from);
  void step(std::uint32_t node, State state);
  bool counted_loop(std::uint32_t node, const State& state);
  void call(std::uint32_t node, const State& before, State after);
  void tail(std::uint32_t walk, std::uint32_t from, const State& state);
  void take_return(std::int64_t offset, const WValue& w, const FrameValue& frame);
  void reach(std::int64_t height, std::uint32_t node, std::int64_t offset,
             std::uint32_t walk);
  void go_on(std::uint32_t node, const State& state);

  const InstructionGraph& graph_;
  const std::vector<InstructionGraph::Node>& nodes_;
  const std::vector<std::uint32_t>& entry_of_;
  std::uint32_t function_;
  bool is_root_;
  CalleeWalks& callees_;
  WalkResult result_;
  std::int64_t frame_ = 0;
  std::int64_t deepest_ = 0;
  std::optional<std::int64_t> net_;
  bool computed_end_ = false;
  std::unordered_map<std::uint32_t, Seen> seen_;
  std::vector<std::pair<std::uint32_t, State>> pending_;
};

void Walker::reach(std::int64_t height, std::uint32_t node, std::int64_t offset,
                   std::uint32_t walk) {
  const bool deeper =
      height > deepest_ || (height == deepest_ && result_.deepest_node != NONE &&
                            nodes_[node].address < nodes_[result_.deepest_node].address);
  if (deeper) {
    deepest_ = height;
    result_.deepest_node = node;
    result_.deepest_offset = offset;
    result_.deepest_walk = walk;
  }
}

void Walker::take_return(std::int64_t offset, const WValue& w, const FrameValue& frame) {
  if (net_ && *net_ != offset) {
    fail("its returns leave the pointer at different offsets");
  }
  result_.w_out = result_.returns ? merged(result_.w_out, w) : w;
  result_.frame_out = result_.returns ? merged(result_.frame_out, frame) : frame;
  net_ = offset;
  result_.returns = true;
}

void Walker::tail(std::uint32_t walk, std::uint32_t from, const State& state) {
  const WalkResult& callee = callees_.result(walk);
  if (!callee.known) {
    fail_because(walk);
    return;
  }
  result_.figures.at_least = result_.figures.at_least || callee.figures.at_least;
  frame_ = std::max(frame_, state.offset + *callee.figures.frame);
  reach(state.offset + *callee.figures.height, from, state.offset, walk);
  if (callee.returns) {
    FrameValue frame = callee.frame_out;
    if (frame.kind == FrameValue::Kind::RECORDED) {
      frame.offset += state.offset;
    } else if (frame.kind == FrameValue::Kind::CALLERS) {
      frame = state.frame;
    }
    take_return(state.offset + *callee.figures.net, callee.w_out, frame);
  }
}

void Walker::arrive(std::uint32_t target, const State& state, std::uint32_t from) {
  // Into another function's entry: its walk, where it is done, says the rest.
  const std::uint32_t entered = entry_of_[target];
  if (entered != NONE && entered != function_) {
    const std::uint32_t walk = callees_.walk_of(entered, state.w);
    if (walk != NONE) {
      tail(walk, from, state);
      return;
    }
  }
  const auto [found, added] = seen_.try_emplace(target);
  Seen& seen = found->second;
  const auto pending_bit =
      static_cast<std::uint8_t>(1U << static_cast<unsigned>(state.pending));
  if (added) {
    seen = {state.offset, state.w, state.frame, pending_bit};
    pending_.emplace_back(target, state);
    return;
  }
  std::vector<State> again;
  if (!merge_into(seen, state, again)) {
    fail("two paths bring an instruction different offsets");
    return;
  }
  for (const State& walked : again) {
    pending_.emplace_back(target, walked);
  }
}

void Walker::go_on(std::uint32_t node, const State& state) {
  for (const std::uint32_t next : graph_.flow().edges(node)) {
    arrive(next, state, node);
  }
  if (nodes_[node].reaches_unlisted) {
    // Code the listing does not hold counts 0.
    result_.figures.at_least = true;
  }
}

bool Walker::counted_loop(std::uint32_t node, const State& state) {
  const std::optional<CountedLoop> loop = counted_loop_at(graph_, node, state.w);
  if (!loop) {
    return false;
  }
  frame_ = std::max(frame_, state.offset + std::max<std::int64_t>(loop->moved - 1, 0));
  if (loop->out != NONE) {
    arrive(loop->out,
           State{state.offset + loop->moved, {WValue::Kind::CONSTANT, 0xFF}, state.frame},
           loop->branch);
  }
  return true;
}

void Walker::call(std::uint32_t node, const State& before, State after) {
  const InstructionGraph::Node& instruction = nodes_[node];
  if (instruction.callee == NONE) {
    // A library routine the listing does not hold counts 0.
    result_.figures.at_least = true;
    after.w = {};
    go_on(node, after);
    return;
  }
  const std::uint32_t walk = callees_.walk_of(entry_of_[instruction.callee], before.w);
  if (walk == NONE) {
    const std::uint32_t callee = entry_of_[instruction.callee];
    if (!callees_.is_done(callee)) {
      fail("it is recursive");
    } else if (callees_.needs_w(callee) && before.w.kind == WValue::Kind::INCOMING) {
      needs_w();
    } else {
      fail("the W it calls a block with is not known");
    }
    return;
  }
  const WalkResult& callee = callees_.result(walk);
  if (!callee.known) {
    fail_because(walk);
    return;
  }
  result_.figures.at_least = result_.figures.at_least || callee.figures.at_least;
  reach(before.offset + *callee.figures.height, node, before.offset, walk);
  if (!callee.returns) {
    return;
  }
  after.offset = before.offset + *callee.figures.net;
  after.w = callee.w_out;
  if (callee.frame_out.kind == FrameValue::Kind::RECORDED) {
    after.frame = {FrameValue::Kind::RECORDED, before.offset + callee.frame_out.offset};
  } else if (callee.frame_out.kind == FrameValue::Kind::UNKNOWN) {
    after.frame = callee.frame_out;
  }
  go_on(node, after);
}

void Walker::step(std::uint32_t node, State state) {
  if (!callees_.spend()) {
    fail("it shares too much code with others to be followed");
    return;
  }
  const InstructionGraph::Node& instruction = nodes_[node];
  frame_ = std::max(frame_, state.offset);
  const StackEffect effect = stack_effect_of(instruction.word, instruction.second);
  const HalfStep half = take_half_step(state, instruction, effect);
  if (half == HalfStep::BROKEN) {
    fail("a 16-bit step of the pointer it cannot follow");
    return;
  }
  if (half == HalfStep::TAKEN) {
    go_on(node, state);
    return;
  }
  if (effect.kind == StackEffect::Kind::W_DECREMENT && counted_loop(node, state)) {
    return;
  }
  const State before = state;
  const StepOutcome outcome = apply_stack_effect(effect, is_root_, state);
  if (outcome.needs_w) {
    needs_w();
    return;
  }
  if (!outcome.why.empty()) {
    fail(outcome.why);
    return;
  }
  switch (instruction.instruction.flow) {
  case Flow::NEXT:
  case Flow::JUMP:
  case Flow::BRANCH:
  case Flow::SKIP:
    go_on(node, state);
    break;
  case Flow::CALL:
    call(node, before, state);
    break;
  case Flow::RETURN:
    if (instruction.word != RESET) {
      take_return(before.offset, w_at_return(instruction.word, before.w), before.frame);
    }
    break;
  case Flow::COMPUTED:
    // Where it goes cannot be seen: it counts 0.
    result_.figures.at_least = true;
    computed_end_ = true;
    break;
  }
}

WalkResult Walker::run(const WValue& w) {
  arrive(graph_.entry_node(function_), State{0, w, {}, Pending::NONE}, NONE);
  while (!pending_.empty() && result_.known) {
    const auto [node, state] = pending_.back();
    pending_.pop_back();
    step(node, state);
  }
  if (!result_.known) {
    return result_;
  }
  if (!result_.returns && computed_end_) {
    // Its only ends are jumps that cannot be seen: taken to return as C18's
    // functions do, with the pointer where it was.
    take_return(0, {}, {});
  }
  result_.figures.frame = frame_;
  result_.figures.height = std::max(frame_, deepest_);
  if (deepest_ <= frame_) {
    result_.deepest_node = NONE;
  }
  result_.figures.net = net_;
  return result_;
}

} // namespace

WalkResult walk_stack(const InstructionGraph& graph,
                      const std::vector<std::uint32_t>& entry_of, std::uint32_t function,
                      bool is_root, const WValue& w, CalleeWalks& callees) {
  return Walker(graph, entry_of, function, is_root, callees).run(w);
}

} // namespace vadrimel
