#ifndef VADRIMEL_MODEL_CODE_PLACES_H_
#define VADRIMEL_MODEL_CODE_PLACES_H_

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "listing/listing_table.h"

namespace vadrimel {

/// What the reports ask of a listing's table: the source lines with the most
/// code, and the source lines of the program words asked for, found in one
/// pass.
class CodePlaces {
public:
  using SourceLine = ListingTable::SourceLine;

  /// A source line and its code.
  /// Its path is a view of the listing table's own, which outlives it.
  struct Row {
    std::uint64_t bytes = 0;
    std::string_view path;
    std::uint64_t number = 0;
    std::string text;
  };
  /// The source line of an address asked for.
  struct Answer {
    std::uint64_t address = 0;
    bool found = false;
    std::string_view path;
    std::uint64_t number = 0;
    std::string text;
  };

  /// Keeps the `most_lines` source lines with the most code.
  explicit CodePlaces(std::size_t most_lines) : most_(most_lines) {}

  /// Asks for the source line of an address: that of the word that holds it
  /// (an odd address is the second byte of the word below it). Returns the
  /// index of its answer.
  std::size_t ask(std::uint64_t address);

  /// The source lines with the most code, most first, equal ones in listing
  /// order.
  [[nodiscard]] const std::vector<Row>& top() const { return top_; }
  /// The answers, in the order asked.
  [[nodiscard]] const std::vector<Answer>& answers() const { return answers_; }

  /// The program word `row` of `line`, as the listing's table hands it out.
  void take_code(const CodeRow& row, const SourceLine& line);
  /// `line` has ended with `bytes` of code.
  void end_source_line(const SourceLine& line, std::uint64_t bytes);
  /// True when no word has been asked for that is still to be found.
  [[nodiscard]] bool asks_nothing() const { return unanswered_ == 0; }

private:
  /// A word asked for, and the answer that waits for it.
  struct Asked {
    std::uint64_t word = 0;
    std::size_t answer = 0;
  };

  /// Sorts the words asked and, where they lie close enough together, makes
  /// a table of them by address: one look-up a word, with no hashing.
  void index_words();
  /// The first of the words asked at `word` still unanswered; none: npos.
  [[nodiscard]] std::size_t asked_at(std::uint64_t word) const;

  std::size_t most_;
  std::vector<Row> top_;
  std::vector<Answer> answers_;
  /// By word, then in the order asked.
  std::vector<Asked> asked_;
  bool indexed_ = true;
  /// For each word from the lowest asked, 1 + the first index in `asked_` of
  /// that word; 0 for one not asked or answered. Empty when the words lie too
  /// far apart, and `asked_` is searched instead.
  std::vector<std::uint32_t> table_;
  std::uint64_t lowest_ = 0;
  std::size_t unanswered_ = 0;
};

} // namespace vadrimel

#endif // VADRIMEL_MODEL_CODE_PLACES_H_
