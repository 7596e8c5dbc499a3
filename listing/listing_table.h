#ifndef VADRIMEL_LISTING_LISTING_TABLE_H_
#define VADRIMEL_LISTING_LISTING_TABLE_H_

#include <array>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <string_view>

#include "listing/code_row.h"
#include "listing/line_source.h"

namespace vadrimel {

/// Whether a listing's table keeps the text of each source line.
enum class SourceText { KEPT, LEFT_OUT };

/// The name the reports give code that comes before any source path.
inline constexpr std::string_view NO_SOURCE_FILE = "(no source file)";

/// A listing's table read as its source lines and the code of each. Every
/// line that carries a source path is the next source line of that file,
/// numbered from 1 per path. A code row is one program word of 2 bytes; it
/// belongs to the last source line seen (its own, when it carries a path),
/// code before any path to NO_SOURCE_FILE, line 0. The reports derive from
/// it and take what they need through its two hooks. Memory grows with the
/// number of source files.
class ListingTable {
public:
  /// What is known of a source file.
  struct File {
    std::uint64_t bytes = 0;
    std::uint64_t lines = 0;
  };
  /// The source line that code belongs to.
  struct SourceLine {
    std::string_view path;
    std::uint64_t number = 0;
    /// The line from its source column on, without its path: as it stands,
    /// trailing spaces and all (`text()` trims it).
    std::string_view raw_text;

    /// The line's text from the source column, without its path, trailing
    /// spaces and leading spaces and tabs. Trimmed when asked: most lines'
    /// text is never shown.
    [[nodiscard]] std::string_view text() const noexcept;
  };

  /// With SourceText::LEFT_OUT, the source lines handed to the hooks have no
  /// text: no copy is made of it.
  explicit ListingTable(SourceText source_text = SourceText::KEPT);
  ListingTable(const ListingTable&) = delete;
  ListingTable& operator=(const ListingTable&) = delete;
  virtual ~ListingTable() = default;

  /// Keeps the source lines' text after all, from the next line on.
  void keep_source_text();

  /// The next line of the listing, as a LineSource of whole lines hands it
  /// out (its `new_path` tells whether its path is that of the last line
  /// with one).
  void take_line(const ListingLine& line);
  /// Ends the last source line; call once the listing has been read.
  void finish();

  /// True when the lines read are a linker listing's: its first line or its
  /// column header came before any code, and no line is a converted
  /// listing's "FILE:" record.
  [[nodiscard]] bool is_listing() const noexcept { return header_seen_ && !converted_; }

  /// The date of the listing's "Listing File Generated: <date>" line; empty
  /// when it has none.
  [[nodiscard]] const std::string& generated() const noexcept { return generated_; }

  /// Every source file seen, by path; NO_SOURCE_FILE too when code came
  /// before any path.
  [[nodiscard]] const std::map<std::string, File, std::less<>>& files() const {
    return files_;
  }

protected:
  ListingTable(ListingTable&&) = default;
  ListingTable& operator=(ListingTable&&) = default;

  /// The program word `row` of `line`.
  virtual void take_code(const CodeRow& row, const SourceLine& line);
  /// `line` has ended: `bytes` of code belong to it.
  virtual void end_source_line(const SourceLine& line, std::uint64_t bytes);

private:
  void end_current_line();

  std::map<std::string, File, std::less<>> files_;
  /// The current source line; its text is kept in `text_`.
  SourceLine current_;
  File* current_file_ = nullptr;
  std::uint64_t current_bytes_ = 0;
  std::unique_ptr<std::array<char, MAX_HELD_LINE_LENGTH>> text_;
  std::string generated_;
  bool header_seen_ = false;
  bool code_seen_ = false;
  bool converted_ = false;
  bool keeps_text_;
};

} // namespace vadrimel

#endif // VADRIMEL_LISTING_LISTING_TABLE_H_
