// The PIC18 decoder: what each kind of instruction does to the flow, by the
// encoding of the instruction set; the graph of what the roots reach.

#include <gtest/gtest.h>

#include <optional>
#include <vector>

#include "model/pic18/call_graph.h"
#include "model/pic18/instruction_graph.h"
#include "model/pic18/pic18_instruction.h"
#include "model/pic18/software_stack.h"
#include "pic18_words.h"

namespace vadrimel {
namespace {

struct DecodeCase {
  const char* name;
  std::uint16_t word;
  std::optional<std::uint16_t> second;
  Flow flow;
  std::uint64_t size;
  /// For the flows with a target; at address 0x100.
  std::uint64_t target;
};

const std::vector<DecodeCase> DECODE_CASES = {
    {"NOP", 0x0000, std::nullopt, Flow::NEXT, 2, 0},
    {"MOVLW", 0x0E05, std::nullopt, Flow::NEXT, 2, 0},
    {"MOVFF takes two words", 0xC0E6, 0xF0D9, Flow::NEXT, 4, 0},
    {"LFSR takes two words", 0xEE10, 0xF0E0, Flow::NEXT, 4, 0},
    {"BTFSC", 0xB0E8, std::nullopt, Flow::SKIP, 2, 0},
    {"BTFSS", 0xA0E8, std::nullopt, Flow::SKIP, 2, 0},
    {"CPFSEQ", 0x62E8, std::nullopt, Flow::SKIP, 2, 0},
    {"CPFSGT", 0x64E8, std::nullopt, Flow::SKIP, 2, 0},
    {"CPFSLT", 0x60E8, std::nullopt, Flow::SKIP, 2, 0},
    {"TSTFSZ", 0x66E8, std::nullopt, Flow::SKIP, 2, 0},
    {"DECFSZ", 0x2EE8, std::nullopt, Flow::SKIP, 2, 0},
    {"DCFSNZ", 0x4EE8, std::nullopt, Flow::SKIP, 2, 0},
    {"INCFSZ", 0x3EE8, std::nullopt, Flow::SKIP, 2, 0},
    {"INFSNZ", 0x4AE8, std::nullopt, Flow::SKIP, 2, 0},
    {"RETURN", 0x0012, std::nullopt, Flow::RETURN, 2, 0},
    {"RETFIE", 0x0010, std::nullopt, Flow::RETURN, 2, 0},
    {"RETLW", 0x0C05, std::nullopt, Flow::RETURN, 2, 0},
    {"RESET", 0x00FF, std::nullopt, Flow::RETURN, 2, 0},
    {"CALL", 0xEC10, 0xF001, Flow::CALL, 4, 0x220},
    {"RCALL back", 0xDFFF, std::nullopt, Flow::CALL, 2, 0x100},
    {"GOTO", 0xEF10, 0xF001, Flow::JUMP, 4, 0x220},
    {"BRA forward", 0xD003, std::nullopt, Flow::JUMP, 2, 0x108},
    {"BZ back", 0xE0FE, std::nullopt, Flow::BRANCH, 2, 0xfe},
    {"BNC", 0xE302, std::nullopt, Flow::BRANCH, 2, 0x106},
    {"RCALL below address 0 wraps as the program counter does", 0xDC00, std::nullopt,
     Flow::CALL, 2, 0x1ff902},
    {"MOVWF PCL", 0x6EF9, std::nullopt, Flow::COMPUTED, 2, 0},
    {"ADDWF PCL to the file", 0x26F9, std::nullopt, Flow::COMPUTED, 2, 0},
    {"ADDWF PCL to W is no jump", 0x24F9, std::nullopt, Flow::NEXT, 2, 0},
    {"MOVWF PCL banked is no jump", 0x6FF9, std::nullopt, Flow::NEXT, 2, 0},
    {"MOVFF to PCL", 0xC0E8, 0xFFF9, Flow::COMPUTED, 4, 0},
    {"PUSH", 0x0005, std::nullopt, Flow::COMPUTED, 2, 0},
    {"POP", 0x0006, std::nullopt, Flow::COMPUTED, 2, 0},
    {"CALLW", 0x0014, std::nullopt, Flow::COMPUTED, 2, 0},
};

TEST(Pic18Test, EachInstructionHasItsFlow) {
  for (const DecodeCase& test : DECODE_CASES) {
    const Pic18Instruction decoded = decode_pic18(test.word, 0x100, test.second);
    EXPECT_EQ(static_cast<int>(decoded.flow), static_cast<int>(test.flow)) << test.name;
    EXPECT_EQ(decoded.size, test.size) << test.name;
    if (test.flow == Flow::CALL || test.flow == Flow::JUMP || test.flow == Flow::BRANCH) {
      EXPECT_EQ(decoded.target, test.target) << test.name;
    }
  }
}

// Entries asked for where the listing has no instruction (a map's block of
// library code, an odd address) are none; a call's target is one.
TEST(InstructionGraphTest, EntriesAreWhatTheListingHolds) {
  ProgramImage image;
  for (const auto& [address, value] :
       pic18::program({pic18::rcall(0x0, 0x40), pic18::word(0x2, pic18::RETURN),
                       pic18::word(0x40, pic18::RETURN)})) {
    image.set(address, value);
  }
  const std::vector<std::uint64_t> roots = {0x0, 0x100, 0x41};
  const InstructionGraph graph(image, roots);
  EXPECT_EQ(graph.entries(), (std::vector<std::uint64_t>{0x0, 0x40}));
  EXPECT_EQ(graph.nodes().size(), 3U);
}

// Code that falls through from one entry into the next, as a crafted
// listing may: every RCALL calls the next word. Each instruction is walked
// once, so that 16,000 of them take a fraction of a second (its test's
// time-out is a few seconds) and memory that grows with the words alone.
TEST(FallThroughTest, SixteenThousandCallsTakeLinearTime) {
  constexpr std::uint64_t WORDS = 16000;
  ProgramImage image;
  for (std::uint64_t at = 0; at + 2 < 2 * WORDS; at += 2) {
    image.set(at, pic18::rcall(at, at + 2)[0].second);
  }
  image.set(2 * WORDS - 2, pic18::RETURN);
  const CallGraph calls = call_graph_of(image);
  ASSERT_EQ(calls.functions.size(), WORDS);
  ASSERT_FALSE(calls.roots.empty());
  const Function* reset = calls.function_at(0);
  ASSERT_NE(reset, nullptr);
  EXPECT_EQ(reset->depth, WORDS - 1);
  EXPECT_EQ(calls.deepest_chain(*reset).size(), WORDS - 1);
  std::vector<std::uint64_t> roots;
  for (const Root& root : calls.roots) {
    roots.push_back(root.address);
  }
  const InstructionGraph graph(image, roots);
  const SoftwareStack stack = software_stack_of(graph, calls);
  EXPECT_EQ(stack.functions.size(), WORDS);
}

} // namespace
} // namespace vadrimel
