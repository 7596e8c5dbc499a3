#include "report/program_words.h"

namespace vadrimel {

const ProgramWords::Word* ProgramWords::at(std::uint64_t address) const {
  const auto word = words_.find(address);
  return word == words_.end() ? nullptr : &word->second;
}

std::optional<std::uint64_t> ProgramWords::lowest() const {
  return lowest_;
}

void ProgramWords::take_code(const CodeRow& row, const SourceLine& line) {
  if (words_.contains(row.address)) {
    return;
  }
  auto number = path_numbers_.find(line.path);
  if (number == path_numbers_.end()) {
    number =
        path_numbers_
            .emplace(std::string(line.path), static_cast<std::uint32_t>(paths_.size()))
            .first;
    paths_.emplace_back(line.path);
  }
  words_.emplace(row.address, Word{row.value, number->second, line.number});
  if (!lowest_ || row.address < *lowest_) {
    lowest_ = row.address;
  }
}

} // namespace vadrimel
