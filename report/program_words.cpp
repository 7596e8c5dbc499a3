#include "report/program_words.h"

namespace vadrimel {

namespace {

/// One past the highest byte address of a PIC18's program memory.
constexpr std::uint64_t PROGRAM_MEMORY_END = 0x200000;

} // namespace

const ProgramWords::Word* ProgramWords::at(std::uint64_t address) const {
  const std::uint64_t index = address / 2;
  return address % 2 == 0 && index < present_.size() && present_[index] ? &words_[index]
                                                                        : nullptr;
}

std::optional<std::uint64_t> ProgramWords::lowest() const {
  return lowest_;
}

void ProgramWords::take_code(const CodeRow& row, const SourceLine& line) {
  const std::uint64_t index = row.address / 2;
  if (row.address >= PROGRAM_MEMORY_END || (index < present_.size() && present_[index])) {
    return;
  }
  if (index >= present_.size()) {
    present_.resize(index + 1, false);
    words_.resize(index + 1);
  }
  // Source paths are views of the table's own keys: the same view is the
  // same path.
  if (line.path.data() != last_path_.data() || line.path.size() != last_path_.size()) {
    auto number = path_numbers_.find(line.path);
    if (number == path_numbers_.end()) {
      number =
          path_numbers_
              .emplace(std::string(line.path), static_cast<std::uint32_t>(paths_.size()))
              .first;
      paths_.emplace_back(line.path);
    }
    last_path_ = line.path;
    last_file_ = number->second;
  }
  present_[index] = true;
  words_[index] = Word{row.value, last_file_, line.number};
  if (!lowest_ || row.address < *lowest_) {
    lowest_ = row.address;
  }
}

} // namespace vadrimel
