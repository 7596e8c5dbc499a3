// The call graph and both stacks of code that falls through from one entry
// into the next: every RCALL calls the next word, as a crafted listing may.
// The reference, timed in the same iterations, is filling the program image
// with the same words; the counter "per_image" is the graph's time over it,
// which stays flat from 16,000 words to 1,000,000 when the work is linear.

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdint>
#include <vector>

#include "model/pic18/call_graph.h"
#include "model/pic18/instruction_graph.h"
#include "model/pic18/software_stack.h"
#include "tests/pic18_words.h"

namespace vadrimel {
namespace {

using Clock = std::chrono::steady_clock;

ProgramImage falling_through(std::uint64_t words) {
  ProgramImage image;
  for (std::uint64_t at = 0; at + 2 < 2 * words; at += 2) {
    image.set(at, pic18::rcall(at, at + 2)[0].second);
  }
  image.set(2 * words - 2, pic18::RETURN);
  return image;
}

void BM_FallThroughCalls(benchmark::State& state) {
  const auto words = static_cast<std::uint64_t>(state.range(0));
  double image_seconds = 0;
  double graph_seconds = 0;
  for (auto _ : state) {
    const Clock::time_point start = Clock::now();
    const ProgramImage image = falling_through(words);
    const Clock::time_point filled = Clock::now();
    const CallGraph calls = call_graph_of(image);
    std::vector<std::uint64_t> roots;
    for (const Root& root : calls.roots) {
      roots.push_back(root.address);
    }
    const InstructionGraph graph(image, roots);
    benchmark::DoNotOptimize(software_stack_of(graph, calls).functions.size());
    const Clock::time_point done = Clock::now();
    image_seconds += std::chrono::duration<double>(filled - start).count();
    graph_seconds += std::chrono::duration<double>(done - filled).count();
  }
  state.counters["per_image"] = graph_seconds / image_seconds;
  state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_FallThroughCalls)->Arg(16000)->Arg(1000000)->Unit(benchmark::kMillisecond);

} // namespace
} // namespace vadrimel
