#include "model/code_places.h"

#include <algorithm>
#include <string>
#include <utility>

namespace vadrimel {

namespace {

/// The most words a table of the words asked spans: a PIC18's program
/// memory (2 MiB).
constexpr std::uint64_t MOST_TABLE_WORDS = std::uint64_t{1} << 20U;

} // namespace

std::size_t CodePlaces::ask(std::uint64_t address) {
  Answer answer;
  answer.address = address;
  answers_.push_back(std::move(answer));
  asked_.push_back({address & ~std::uint64_t{1}, answers_.size() - 1});
  ++unanswered_;
  indexed_ = false;
  return answers_.size() - 1;
}

void CodePlaces::index_words() {
  indexed_ = true;
  std::stable_sort(
      asked_.begin(), asked_.end(),
      [](const Asked& left, const Asked& right) { return left.word < right.word; });
  table_.clear();
  if (asked_.empty() ||
      (asked_.back().word - asked_.front().word) / 2 >= MOST_TABLE_WORDS) {
    return;
  }
  lowest_ = asked_.front().word;
  table_.assign((asked_.back().word - lowest_) / 2 + 1, 0);
  for (std::size_t index = asked_.size(); index-- > 0;) {
    table_[(asked_[index].word - lowest_) / 2] = static_cast<std::uint32_t>(index + 1);
  }
}

std::size_t CodePlaces::asked_at(std::uint64_t word) const {
  if (!table_.empty()) {
    const std::uint64_t slot = (word - lowest_) / 2;
    if (word < lowest_ || word % 2 != 0 || slot >= table_.size() || table_[slot] == 0) {
      return std::string::npos;
    }
    return table_[slot] - 1;
  }
  const auto first = std::lower_bound(
      asked_.begin(), asked_.end(), word,
      [](const Asked& asked, std::uint64_t value) { return asked.word < value; });
  if (first == asked_.end() || first->word != word || answers_[first->answer].found) {
    return std::string::npos;
  }
  return static_cast<std::size_t>(first - asked_.begin());
}

void CodePlaces::take_code(const CodeRow& row, const SourceLine& line) {
  if (!indexed_) {
    index_words();
  }
  // The first line that gives a word answers for it; most reports ask for
  // no word at all.
  const std::size_t first = asked_at(row.address);
  if (first == std::string::npos) {
    return;
  }
  for (std::size_t index = first;
       index < asked_.size() && asked_[index].word == row.address; ++index) {
    Answer& answer = answers_[asked_[index].answer];
    answer.found = true;
    answer.path = line.path;
    answer.number = line.number;
    answer.text.assign(line.text());
    --unanswered_;
  }
  if (!table_.empty()) {
    table_[(row.address - lowest_) / 2] = 0;
  }
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
  row.path = line.path;
  row.number = line.number;
  row.text.assign(line.text());
  top_.insert(top_.begin() + static_cast<std::ptrdiff_t>(index), std::move(row));
}

} // namespace vadrimel
