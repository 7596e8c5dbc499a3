#ifndef VADRIMEL_MODEL_BUILD_H_
#define VADRIMEL_MODEL_BUILD_H_

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "listing/listing_table.h"
#include "map/linker_map.h"
#include "model/build_memory.h"
#include "model/code_places.h"
#include "model/pic18/call_graph.h"
#include "model/pic18/instruction_graph.h"
#include "model/pic18/software_stack.h"
#include "model/program_words.h"

namespace vadrimel {

/// The map of a build, as the model uses it.
struct MapFile {
  /// The path as it was opened.
  std::string path;
  LinkerMap map;
  BuildMemory memory;
};

/// What a mode asks of a build's listing: the reader does this much and no
/// more.
struct BuildNeeds {
  /// The source lines with the most code to keep.
  std::size_t top_lines = 0;
  /// The source line of the first word of each block of program memory that
  /// the map names (the functions' places).
  bool block_places = false;
  /// Every program word, for the calls.
  bool program_words = false;
  /// The source lines of these addresses (-a), in this order.
  std::vector<std::uint64_t> addresses;
};

/// One build, read once by `read_build`: its listing's table as the mode
/// needs it, its map where there is one, and what is derived from them on
/// demand. Large and never moved: held by a pointer.
class Build {
public:
  explicit Build(const BuildNeeds& needs);
  Build(const Build&) = delete;
  Build& operator=(const Build&) = delete;
  Build(Build&&) = delete;
  Build& operator=(Build&&) = delete;
  ~Build();

  /// The listing's name, as given; for a map named in its place, the map's.
  std::string listing;
  /// The build is a map named where a listing goes: no listing was read.
  bool map_alone = false;
  /// The map, found beside the listing or named.
  std::optional<MapFile> map;
  /// What the reading had to say that is no failure, for standard error, in
  /// order: each a whole line.
  std::vector<std::string> notes;

  /// The listing's table: its files and date.
  [[nodiscard]] const ListingTable& table() const;
  [[nodiscard]] ListingTable& table();
  /// The lines with the most code and the lines of the addresses asked.
  [[nodiscard]] const CodePlaces& places() const { return places_; }
  [[nodiscard]] CodePlaces& places() { return places_; }
  /// Every program word; null when the mode did not ask for them.
  [[nodiscard]] const ProgramWords* words() const { return words_.get(); }
  /// For each block of the map's memory, the index of its answer in
  /// `places()`; empty when the places were not asked.
  [[nodiscard]] const std::vector<std::optional<std::size_t>>& block_answers() const {
    return block_answers_;
  }
  /// The answers of the addresses of BuildNeeds, in their order.
  [[nodiscard]] const std::vector<std::size_t>& address_answers() const {
    return address_answers_;
  }
  /// The bytes of code the listing holds.
  [[nodiscard]] std::uint64_t listing_bytes() const;
  /// When the build was made, as the listing writes it, else as the map
  /// does; empty when neither says.
  [[nodiscard]] std::string_view date() const;
  /// The memory the map names; null without a map.
  [[nodiscard]] const BuildMemory* memory() const { return map ? &map->memory : nullptr; }
  /// The calls of the listing's code, worked out on first use; empty without
  /// the program words.
  [[nodiscard]] const CallGraph& calls() const;
  /// The software stack of the listing's code, worked out on first use.
  [[nodiscard]] const SoftwareStack& software_stack() const;
  /// The size of the map's .stack section; empty without a map or without
  /// the section.
  [[nodiscard]] std::optional<std::uint64_t> stack_size() const;

  /// Asks for the places the needs name, the map read: called once, before
  /// the listing is.
  void ask_places();

private:
  class Table;

  BuildNeeds needs_;
  CodePlaces places_;
  std::unique_ptr<ProgramWords> words_;
  std::unique_ptr<Table> table_;
  std::vector<std::optional<std::size_t>> block_answers_;
  std::vector<std::size_t> address_answers_;
  [[nodiscard]] const InstructionGraph& instructions() const;

  mutable std::unique_ptr<InstructionGraph> instructions_;
  mutable std::unique_ptr<CallGraph> calls_;
  mutable std::unique_ptr<SoftwareStack> software_stack_;
};

} // namespace vadrimel

#endif // VADRIMEL_MODEL_BUILD_H_
