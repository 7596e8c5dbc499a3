#include "model/program_words.h"

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
  const std::uint64_t index = row.address / 2;
  if (index >= places_.size()) {
    places_.resize(index + 1);
  }
  places_[index] = Place{last_file_, line.number};
}

} // namespace vadrimel
