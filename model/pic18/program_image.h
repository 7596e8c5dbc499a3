#ifndef VADRIMEL_MODEL_PIC18_PROGRAM_IMAGE_H_
#define VADRIMEL_MODEL_PIC18_PROGRAM_IMAGE_H_

#include <cstdint>
#include <optional>
#include <vector>

namespace vadrimel {

/// The program words of a build, by address: what the decoder reads. Where an
/// address is given twice, the first word counts. Memory grows with the
/// program, at most the 2 MiB of a PIC18's program memory.
class ProgramImage {
public:
  /// One past the highest byte address of a PIC18's program memory.
  static constexpr std::uint64_t PROGRAM_MEMORY_END = 0x200000;

  /// Sets the word at the even `address`; false when it has one already or
  /// lies beyond program memory.
  bool set(std::uint64_t address, std::uint16_t value) {
    const std::uint64_t index = address / 2;
    if (address >= PROGRAM_MEMORY_END || (index < present_.size() && present_[index])) {
      return false;
    }
    if (index >= present_.size()) {
      present_.resize(index + 1, false);
      values_.resize(index + 1, 0);
    }
    present_[index] = true;
    values_[index] = value;
    if (!lowest_ || address < *lowest_) {
      lowest_ = address;
    }
    return true;
  }

  /// True when a word stands at `address`.
  [[nodiscard]] bool has(std::uint64_t address) const {
    const std::uint64_t index = address / 2;
    return address % 2 == 0 && index < present_.size() && present_[index];
  }
  /// The word at `address`; empty when there is none.
  [[nodiscard]] std::optional<std::uint16_t> word_at(std::uint64_t address) const {
    return has(address) ? std::optional<std::uint16_t>(values_[address / 2])
                        : std::nullopt;
  }
  /// The lowest address with a word; empty when there is no code.
  [[nodiscard]] std::optional<std::uint64_t> lowest() const { return lowest_; }
  /// One past the highest address with a word.
  [[nodiscard]] std::uint64_t end() const { return 2 * values_.size(); }

private:
  /// By address / 2: the program grows upwards from its lowest address.
  std::vector<std::uint16_t> values_;
  std::vector<bool> present_;
  std::optional<std::uint64_t> lowest_;
};

} // namespace vadrimel

#endif // VADRIMEL_MODEL_PIC18_PROGRAM_IMAGE_H_
