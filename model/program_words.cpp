#include "model/program_words.h"

#include "model/function_head.h"

namespace vadrimel {

void ProgramWords::take_code(const CodeRow& row, const ListingTable::SourceLine& line) {
  if (!image_.set(row.address, row.value)) {
    return;
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
  if (names_by_heads_ &&
      (line.path.data() != last_line_ || line.number != last_number_)) {
    last_line_ = line.path.data();
    last_number_ = line.number;
    if (const std::optional<std::string_view> head = function_head(line.text())) {
      heads_.emplace(row.address, *head);
    }
  }
  const std::uint64_t index = row.address / 2;
  if (index >= places_.size()) {
    places_.resize(index + 1);
  }
  places_[index] = Place{last_file_, line.number};
}

std::optional<std::string_view> ProgramWords::head_at(std::uint64_t address) const {
  const auto head = heads_.find(address);
  return head != heads_.end() ? std::optional<std::string_view>(head->second)
                              : std::nullopt;
}

} // namespace vadrimel
