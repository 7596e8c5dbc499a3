#include "model/code_places.h"

#include <algorithm>
#include <utility>

namespace vadrimel {

std::size_t CodePlaces::ask(std::uint64_t address) {
  Answer answer;
  answer.address = address;
  answers_.push_back(std::move(answer));
  words_[address & ~std::uint64_t{1}].push_back(answers_.size() - 1);
  return answers_.size() - 1;
}

void CodePlaces::take_code(const CodeRow& row, const SourceLine& line) {
  // The first line that gives a word answers for it; most reports ask for
  // no word at all.
  if (words_.empty()) {
    return;
  }
  const auto word = words_.find(row.address);
  if (word == words_.end()) {
    return;
  }
  for (const std::size_t index : word->second) {
    Answer& answer = answers_[index];
    answer.found = true;
    answer.path.assign(line.path);
    answer.number = line.number;
    answer.text.assign(line.text);
  }
  words_.erase(word);
}

void CodePlaces::end_source_line(const SourceLine& line, std::uint64_t bytes) {
  if (top_.size() == most_ && (most_ == 0 || bytes <= top_.back().bytes)) {
    return;
  }
  // After every row with at least as much code: a later line of equal size
  // comes after an earlier one.
  const auto index =
      static_cast<std::size_t>(std::upper_bound(top_.begin(), top_.end(), bytes,
                                                [](std::uint64_t size, const Row& row) {
                                                  return size > row.bytes;
                                                }) -
                               top_.begin());
  Row row;
  if (top_.size() == most_) {
    row = std::move(top_.back());
    top_.pop_back();
  }
  row.bytes = bytes;
  row.path.assign(line.path);
  row.number = line.number;
  row.text.assign(line.text);
  top_.insert(top_.begin() + static_cast<std::ptrdiff_t>(index), std::move(row));
}

} // namespace vadrimel
