#include "model/build.h"

namespace vadrimel {

/// The listing's table as the build reads it: each code row to the places,
/// and to the program words when they are kept.
class Build::Table final : public ListingTable {
public:
  Table(SourceText source_text, CodePlaces& places, ProgramWords* words)
      : ListingTable(source_text), places_(places), words_(words) {}

private:
  void take_code(const CodeRow& row, const SourceLine& line) override {
    if (!places_.asks_nothing()) {
      places_.take_code(row, line);
    }
    if (words_ != nullptr) {
      words_->take_code(row, line);
    }
  }
  void end_source_line(const SourceLine& line, std::uint64_t bytes) override {
    places_.end_source_line(line, bytes);
  }

  CodePlaces& places_;
  ProgramWords* words_;
};

Build::Build(const BuildNeeds& needs)
    : needs_(needs), places_(needs.top_lines),
      words_(needs.program_words ? std::make_unique<ProgramWords>() : nullptr),
      // The text of a source line is shown by the top lines and by -a alone.
      table_(std::make_unique<Table>(needs.top_lines != 0 || !needs.addresses.empty()
                                         ? SourceText::KEPT
                                         : SourceText::LEFT_OUT,
                                     places_, words_.get())) {}

Build::~Build() = default;

const ListingTable& Build::table() const {
  return *table_;
}

ListingTable& Build::table() {
  return *table_;
}

std::string_view Build::date() const {
  if (!table_->generated().empty()) {
    return table_->generated();
  }
  return map ? std::string_view(map->map.created) : std::string_view();
}

std::uint64_t Build::listing_bytes() const {
  std::uint64_t bytes = 0;
  for (const auto& [path, file] : table_->files()) {
    bytes += file.bytes;
  }
  return bytes;
}

const InstructionGraph& Build::instructions() const {
  if (!instructions_) {
    std::vector<std::uint64_t> roots;
    if (words_) {
      for (const Root& root : roots_of(words_->image())) {
        roots.push_back(root.address);
      }
    }
    instructions_ = std::make_unique<InstructionGraph>(
        words_ ? words_->image() : ProgramImage{}, roots);
  }
  return *instructions_;
}

const CallGraph& Build::calls() const {
  if (!calls_) {
    calls_ = std::make_unique<CallGraph>(call_graph_of(
        instructions(), words_ ? roots_of(words_->image()) : std::vector<Root>{}));
  }
  return *calls_;
}

const SoftwareStack& Build::software_stack() const {
  if (!software_stack_) {
    software_stack_ =
        std::make_unique<SoftwareStack>(software_stack_of(instructions(), calls()));
  }
  return *software_stack_;
}

std::optional<std::uint64_t> Build::stack_size() const {
  if (!map) {
    return std::nullopt;
  }
  for (const MapSection& section : map->map.sections) {
    if (section.name == ".stack" && !section.program) {
      return section.size;
    }
  }
  return std::nullopt;
}

void Build::ask_places() {
  // Without a map, a function is named by its C head where it has one.
  if (!map && words_) {
    words_->name_by_heads();
    table_->keep_source_text();
  }
  if (map && needs_.block_places) {
    for (const MemoryBlock& block : map->memory.blocks) {
      block_answers_.push_back(
          in_program_memory(block.kind)
              ? std::optional<std::size_t>(places_.ask(block.address))
              : std::nullopt);
    }
  }
  for (const std::uint64_t address : needs_.addresses) {
    address_answers_.push_back(places_.ask(address));
  }
}

} // namespace vadrimel
