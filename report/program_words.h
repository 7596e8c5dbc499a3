#ifndef VADRIMEL_REPORT_PROGRAM_WORDS_H_
#define VADRIMEL_REPORT_PROGRAM_WORDS_H_

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "listing/listing_table.h"

namespace vadrimel {

/// Every program word of a listing, by address, with the source line it
/// belongs to; where the listing gives one address twice, the first line
/// counts. Memory grows with the program, never with the listing's text.
class ProgramWords final : public ListingTable {
public:
  /// A word and its source line.
  struct Word {
    std::uint16_t value = 0;
    std::uint32_t file = 0;
    std::uint64_t line = 0;
  };

  /// The word at `address`; null when the listing has none there.
  [[nodiscard]] const Word* at(std::uint64_t address) const;
  /// The path of a word's source file.
  [[nodiscard]] std::string_view path_of(const Word& word) const {
    return paths_[word.file];
  }
  /// The lowest address with a word; empty when the listing has no code.
  [[nodiscard]] std::optional<std::uint64_t> lowest() const;

private:
  void take_code(const CodeRow& row, const SourceLine& line) override;

  /// By address / 2: the program is at most 2 MiB, and grows upwards.
  std::vector<Word> words_;
  std::vector<bool> present_;
  std::vector<std::string> paths_;
  std::map<std::string, std::uint32_t, std::less<>> path_numbers_;
  /// The path of the last word, which most words share.
  std::string_view last_path_;
  std::uint32_t last_file_ = 0;
  std::optional<std::uint64_t> lowest_;
};

} // namespace vadrimel

#endif // VADRIMEL_REPORT_PROGRAM_WORDS_H_
