// C18's software stack followed through small programs: each function's
// frame, height and net effect, or why it cannot be known.

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "model/pic18/call_graph.h"
#include "model/pic18/instruction_graph.h"
#include "model/pic18/program_image.h"
#include "model/pic18/software_stack.h"
#include "pic18_words.h"

namespace vadrimel {
namespace {

// The instructions of C18's stack, by the registers they name.
namespace c18 {
using namespace pic18;
constexpr std::uint16_t PUSH_W = 0x6EE6;           // MOVWF POSTINC1
constexpr std::uint16_t ALLOCATE = 0x52E6;         // MOVF POSTINC1, F
constexpr std::uint16_t DROP = 0x52E5;             // MOVF POSTDEC1, F
constexpr std::uint16_t ADD_TO_POINTER = 0x26E1;   // ADDWF FSR1L, F
constexpr std::uint16_t SUB_FROM_POINTER = 0x5EE1; // SUBWF FSR1L, F
constexpr std::uint16_t POINTER_MINUS_W = 0x5CE1;  // SUBWF FSR1L, W
constexpr std::uint16_t CLEAR_POINTER = 0x6AE1;    // CLRF FSR1L
constexpr std::uint16_t SET_POINTER = 0x68E1;      // SETF FSR1L
constexpr std::uint16_t POINTER_FROM_W = 0x6EE1;   // MOVWF FSR1L
constexpr std::uint16_t DECREMENT_W = 0x06E8;      // DECF WREG, F
constexpr std::uint16_t RETFIE = 0x0010;
constexpr std::uint16_t ADDFSR = 0xE801;
inline std::uint16_t movlw(unsigned literal) {
  return static_cast<std::uint16_t>(0x0E00 | literal);
}
inline std::uint16_t retlw(unsigned literal) {
  return static_cast<std::uint16_t>(0x0C00 | literal);
}
/// The prologue: FSR2L pushed, FSR2 = FSR1.
inline Words prologue(std::uint64_t at) {
  return program({movff(at, 0xFD9, 0xFE6), movff(at + 4, 0xFE1, 0xFD9)});
}
/// The epilogue: FSR2L popped, return.
inline Words epilogue(std::uint64_t at) {
  return program({word(at, DROP), movff(at + 2, 0xFE7, 0xFD9), word(at + 6, RETURN)});
}
} // namespace c18

struct StackCase {
  const char* name;
  pic18::Words words;
  /// Each function by address: "0x000000 frame height net", a lower bound
  /// after ">=", or "0x000000 unknown: why".
  std::vector<std::string> functions;
};

// Each case's program is called from reset by a stub at 0x0, and starts at
// 0x40: no code at the interrupt vectors.
const std::vector<StackCase> STACK_CASES = [] {
  using namespace c18;
  return std::vector<StackCase>{
      {"a prologue and an epilogue",
       program({prologue(0x40), epilogue(0x48)}),
       {"0x000040 1 1 0"}},
      {"locals by MOVLW and ADDWF, freed by SUBWF; and one by MOVF POSTINC1",
       program({word(0x40, movlw(5)), word(0x42, ADD_TO_POINTER), word(0x44, ALLOCATE),
                word(0x46, DROP), word(0x48, movlw(5)), word(0x4a, SUB_FROM_POINTER),
                word(0x4c, RETURN)}),
       {"0x000040 6 6 0"}},
      {"arguments pushed for a call and dropped after it",
       program({word(0x40, PUSH_W), movff(0x42, 0x060, 0xFE6), rcall(0x46, 0x80),
                word(0x48, DROP), word(0x4a, DROP), word(0x4c, RETURN), prologue(0x80),
                word(0x88, movlw(3)), word(0x8a, ADD_TO_POINTER), word(0x8c, movlw(3)),
                word(0x8e, SUB_FROM_POINTER), epilogue(0x90)}),
       {"0x000040 2 6 0", "0x000080 4 4 0"}},
      {"a large frame freed by the 16-bit step, its MOVWF reached by a jump or not",
       program({word(0x40, movlw(40)), word(0x42, ADD_TO_POINTER), word(0x44, movlw(40)),
                word(0x46, POINTER_MINUS_W), bz(0x48, 0x50, 0xE200),
                word(0x4a, CLEAR_POINTER), word(0x4c, DROP), bra(0x4e, 0x50),
                word(0x50, POINTER_FROM_W), word(0x52, RETURN)}),
       {"0x000040 40 40 0"}},
      {"the step up by SETF and POSTINC1",
       program({word(0x40, movlw(1)), word(0x42, ADD_TO_POINTER),
                word(0x44, 0x50E1), // MOVF FSR1L, W
                word(0x46, SET_POINTER), word(0x48, ALLOCATE), word(0x4a, POINTER_FROM_W),
                word(0x4c, DROP), word(0x4e, RETURN)}),
       {"0x000040 1 1 0"}},
      {"an interrupt's PREINC1 save and counted save loop",
       program({movff(0x40, 0xFDA, 0xFE4), word(0x44, movlw(5)), word(0x46, DECREMENT_W),
                bz(0x48, 0x50, 0xE300), movff(0x4a, 0xFEE, 0xFE4), bra(0x4e, 0x46),
                word(0x50, movlw(6)), word(0x52, SUB_FROM_POINTER), word(0x54, RETFIE)}),
       {"0x000040 6 6 0"}},
      {"a prologue in a __pa_ block, which leaves FSR2 to its caller",
       program({rcall(0x40, 0x80), word(0x42, 0x52DE), // MOVF POSTINC2, F
                movff(0x44, 0xFD9, 0xFE1), word(0x48, DROP), word(0x4a, RETURN),
                prologue(0x80), word(0x88, RETURN)}),
       {"0x000040 1 1 0", "0x000080 1 1 1"}},
      {"a block that takes W from its caller, called with two: the table shows the "
       "greatest",
       program({word(0x40, movlw(3)), rcall(0x42, 0x80), word(0x44, movlw(7)),
                rcall(0x46, 0x80), word(0x48, movlw(10)), word(0x4a, SUB_FROM_POINTER),
                word(0x4c, RETURN), word(0x80, ADD_TO_POINTER), word(0x82, RETURN)}),
       {"0x000040 10 10 0", "0x000080 7 7 7"}},
      {"a callee that returns a constant W",
       program({rcall(0x40, 0x80), word(0x42, ADD_TO_POINTER), rcall(0x44, 0x80),
                word(0x46, SUB_FROM_POINTER), word(0x48, RETURN), word(0x80, retlw(4))}),
       {"0x000040 4 4 0", "0x000080 0 0 0"}},
      {"a loop that pushes otherwise",
       program({word(0x40, PUSH_W), bz(0x42, 0x40), word(0x44, RETURN)}),
       {"0x000040 unknown: two paths bring an instruction different offsets"}},
      {"returns that disagree",
       program(
           {bz(0x40, 0x46), word(0x42, PUSH_W), word(0x44, RETURN), word(0x46, RETURN)}),
       {"0x000040 unknown: its returns leave the pointer at different offsets"}},
      {"a call of code the listing does not hold counts 0",
       program(
           {word(0x40, PUSH_W), call(0x42, 0x900), word(0x46, DROP), word(0x48, RETURN)}),
       {"0x000040 1 >=1 >=0"}},
      {"recursion",
       program(
           {word(0x40, PUSH_W), rcall(0x42, 0x40), word(0x44, DROP), word(0x46, RETURN)}),
       {"0x000040 unknown: it is recursive"}},
      {"extended mode",
       program({word(0x40, ADDFSR), word(0x42, RETURN)}),
       {"0x000040 unknown: extended mode"}},
  };
}();

std::string figure(const std::optional<std::int64_t>& value, bool at_least) {
  return (at_least ? ">=" : "") + std::to_string(*value);
}

TEST(SoftwareStackTest, SmallProgramsGiveTheirFigures) {
  for (const StackCase& test : STACK_CASES) {
    ProgramImage image;
    for (const auto& [address, value] : pic18::program(
             {pic18::rcall(0x0, 0x40), pic18::word(0x2, pic18::RETURN), test.words})) {
      image.set(address, value);
    }
    const CallGraph calls = call_graph_of(image);
    std::vector<std::uint64_t> roots;
    for (const Root& root : calls.roots) {
      roots.push_back(root.address);
    }
    const InstructionGraph graph(image, roots);
    const SoftwareStack stack = software_stack_of(graph, calls);
    std::vector<std::string> functions;
    for (std::size_t index = 0; index < calls.functions.size(); ++index) {
      const StackFigures& figures = stack.functions[index];
      if (calls.functions[index].address == 0) {
        continue;
      }
      std::array<char, 16> address{};
      static_cast<void>(
          std::snprintf(address.data(), address.size(), "0x%06llx",
                        static_cast<unsigned long long>(calls.functions[index].address)));
      std::string row = address.data();
      if (figures.height) {
        row += " " + figure(figures.frame, false) + " " +
               figure(figures.height, figures.at_least) + " " +
               figure(figures.net, figures.at_least);
      } else {
        row += " unknown";
        for (const LostFunction& lost : stack.lost) {
          if (lost.address == calls.functions[index].address) {
            row += ": " + std::string(lost.why);
          }
        }
      }
      functions.push_back(row);
    }
    EXPECT_EQ(functions, test.functions) << test.name;
  }
}

} // namespace
} // namespace vadrimel
