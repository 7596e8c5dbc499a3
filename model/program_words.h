#ifndef VADRIMEL_MODEL_PROGRAM_WORDS_H_
#define VADRIMEL_MODEL_PROGRAM_WORDS_H_

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "listing/code_row.h"
#include "listing/listing_table.h"
#include "model/pic18/program_image.h"

namespace vadrimel {

/// Every program word of a listing, by address, with the source line it
/// belongs to; where the listing gives one address twice, the first line
/// counts. Memory grows with the program, never with the listing's text.
class ProgramWords {
public:
  /// Where a word came from.
  struct Place {
    std::uint32_t file = 0;
    std::uint64_t line = 0;
  };

  /// The program word `row` of `line`, as the listing's table hands it out.
  void take_code(const CodeRow& row, const ListingTable::SourceLine& line);

  /// The words, as the decoder reads them.
  [[nodiscard]] const ProgramImage& image() const { return image_; }
  /// The source line of the word at `address`; null when there is none.
  [[nodiscard]] const Place* place_at(std::uint64_t address) const {
    return image_.has(address) ? &places_[address / 2] : nullptr;
  }
  /// The path of a word's source file.
  [[nodiscard]] std::string_view path_of(const Place& place) const {
    return paths_[place.file];
  }

  /// Names the functions that start on a line of C that is a function's head
  /// (the table keeps the lines' text): for a build without a map.
  void name_by_heads() { names_by_heads_ = true; }
  /// The name of the head that starts with the word at `address`; empty
  /// when none does.
  [[nodiscard]] std::optional<std::string_view> head_at(std::uint64_t address) const;

private:
  ProgramImage image_;
  /// By address / 2, as the image.
  std::vector<Place> places_;
  std::vector<std::string> paths_;
  std::map<std::string, std::uint32_t, std::less<>> path_numbers_;
  /// The path of the last word, which most words share.
  std::string_view last_path_;
  std::uint32_t last_file_ = 0;
  bool names_by_heads_ = false;
  /// The source line of the last word, to tell a line's first.
  const void* last_line_ = nullptr;
  std::uint64_t last_number_ = 0;
  /// By the address of each head's first word.
  std::unordered_map<std::uint64_t, std::string> heads_;
};

} // namespace vadrimel

#endif // VADRIMEL_MODEL_PROGRAM_WORDS_H_
