#ifndef VADRIMEL_TESTS_PIC18_WORDS_H_
#define VADRIMEL_TESTS_PIC18_WORDS_H_

#include <cstdint>
#include <utility>
#include <vector>

namespace vadrimel {

/// PIC18 instructions as the words a listing gives them.
namespace pic18 {

using Words = std::vector<std::pair<std::uint64_t, std::uint16_t>>;

inline Words call(std::uint64_t at, std::uint64_t target) {
  return {{at, static_cast<std::uint16_t>(0xEC00 | ((target / 2) & 0xFF))},
          {at + 2, static_cast<std::uint16_t>(0xF000 | ((target / 2 >> 8) & 0xFFF))}};
}
inline Words go_to(std::uint64_t at, std::uint64_t target) {
  Words words = call(at, target);
  words[0].second |= 0x0300;
  return words;
}
inline std::uint16_t relative(std::uint64_t at, std::uint64_t target, unsigned mask) {
  return static_cast<std::uint16_t>(
      ((static_cast<std::int64_t>(target) - static_cast<std::int64_t>(at) - 2) / 2) &
      mask);
}
inline Words rcall(std::uint64_t at, std::uint64_t target) {
  return {{at, static_cast<std::uint16_t>(0xD800 | relative(at, target, 0x7FF))}};
}
inline Words bra(std::uint64_t at, std::uint64_t target) {
  return {{at, static_cast<std::uint16_t>(0xD000 | relative(at, target, 0x7FF))}};
}
/// A conditional branch: BZ by default, BC with 0xE200, BNC with 0xE300.
inline Words bz(std::uint64_t at, std::uint64_t target, std::uint16_t opcode = 0xE000) {
  return {{at, static_cast<std::uint16_t>(opcode | relative(at, target, 0xFF))}};
}
inline Words movff(std::uint64_t at, std::uint16_t source, std::uint16_t destination) {
  return {{at, static_cast<std::uint16_t>(0xC000 | source)},
          {at + 2, static_cast<std::uint16_t>(0xF000 | destination)}};
}
inline Words word(std::uint64_t at, std::uint16_t value) {
  return {{at, value}};
}
constexpr std::uint16_t RETURN = 0x0012;
constexpr std::uint16_t NOP = 0x0000;
constexpr std::uint16_t BTFSC = 0xB0E8;
constexpr std::uint16_t CPFSEQ = 0x62E8;
constexpr std::uint16_t CPFSGT = 0x64E8;
constexpr std::uint16_t MOVWF_PCL = 0x6EF9;
constexpr std::uint16_t LFSR = 0xEE10;
constexpr std::uint16_t LFSR_SECOND = 0xF0E0;

inline Words program(const std::vector<Words>& parts) {
  Words all;
  for (const Words& part : parts) {
    all.insert(all.end(), part.begin(), part.end());
  }
  return all;
}
} // namespace pic18

} // namespace vadrimel

#endif // VADRIMEL_TESTS_PIC18_WORDS_H_
