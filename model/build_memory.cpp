#include "model/build_memory.h"

#include <algorithm>
#include <map>
#include <optional>

namespace vadrimel {

namespace {

MemoryKind kind_of(const MapSection& section) {
  const std::string_view name = section.name;
  if (!section.program) {
    return name == ".stack" ? MemoryKind::STACK : MemoryKind::VARIABLES;
  }
  if (name.starts_with(".idata_") || name == ".cinit") {
    return MemoryKind::INITIAL_VALUES;
  }
  if (name.starts_with(".config_")) {
    return MemoryKind::CONFIG;
  }
  if (name == ".stringtable") {
    return MemoryKind::STRINGS;
  }
  return section.type == "code" ? MemoryKind::CODE : MemoryKind::ROM_DATA;
}

bool is_counted(const MapSection& section) {
  return section.size != 0 && (section.program || !section.name.starts_with("SFR_"));
}

/// The object a section's name carries (ebb.o of .code_ebb.o, .idata_ebb.o_i
/// and .config_300001_ebb.o); empty when it carries none.
std::string_view object_of(std::string_view name) {
  for (const std::string_view prefix : {".code_", ".romdata_", ".idata_", ".udata_"}) {
    if (name.starts_with(prefix)) {
      name.remove_prefix(prefix.size());
      if (name.ends_with(".o_i")) {
        name.remove_suffix(2);
      }
      return name.ends_with(".o") ? name : std::string_view{};
    }
  }
  if (name.starts_with(".config_")) {
    name.remove_prefix(std::string_view(".config_").size());
    const std::size_t underscore = name.find('_');
    if (underscore != std::string_view::npos) {
      name.remove_prefix(underscore + 1);
      return name.ends_with(".o") ? name : std::string_view{};
    }
  }
  return {};
}

/// The counted sections of one memory, by address.
class SectionIndex {
public:
  SectionIndex(const std::vector<MapSection>& sections, bool program) {
    for (std::size_t index = 0; index < sections.size(); ++index) {
      if (sections[index].program == program && is_counted(sections[index])) {
        order_.push_back(index);
      }
    }
    std::stable_sort(order_.begin(), order_.end(), [&sections](auto left, auto right) {
      return sections[left].address < sections[right].address;
    });
    sections_ = &sections;
  }

  /// The index of the section that holds `address`; empty when none does.
  [[nodiscard]] std::optional<std::size_t> holding(std::uint64_t address) const {
    const auto after = std::upper_bound(order_.begin(), order_.end(), address,
                                        [this](std::uint64_t value, std::size_t index) {
                                          return value < (*sections_)[index].address;
                                        });
    if (after == order_.begin()) {
      return std::nullopt;
    }
    const MapSection& section = (*sections_)[*(after - 1)];
    if (address - section.address >= section.size) {
      return std::nullopt;
    }
    return *(after - 1);
  }

private:
  const std::vector<MapSection>* sections_ = nullptr;
  std::vector<std::size_t> order_;
};

/// Cuts one counted section into blocks, given the symbols with a file that
/// it holds, and appends them to `blocks`.
void cut_section(const MapSection& section, std::vector<const MapSymbol*>& symbols,
                 const std::map<std::string_view, std::string_view>& object_files,
                 BuildMemory& memory) {
  std::vector<MemoryBlock>& blocks = memory.blocks;
  const MemoryKind kind = kind_of(section);
  std::stable_sort(symbols.begin(), symbols.end(),
                   [](const MapSymbol* left, const MapSymbol* right) {
                     return left->address < right->address;
                   });
  const std::uint64_t end = section.address + section.size;
  const std::uint64_t first = symbols.empty() ? end : symbols.front()->address;
  if (first > section.address) {
    const std::string_view name =
        memory.section_names.emplace_back("(section " + section.name + ")");
    const auto object = object_files.find(object_of(section.name));
    blocks.push_back({name, object != object_files.end() ? object->second : name,
                      section.address, first - section.address, kind});
  }
  for (std::size_t at = 0; at < symbols.size();) {
    // The symbols at one address make one block, named by the least name,
    // with the least file of the symbols of that name.
    std::size_t next = at;
    const MapSymbol* named = symbols[at];
    for (; next < symbols.size() && symbols[next]->address == symbols[at]->address;
         ++next) {
      const MapSymbol& symbol = *symbols[next];
      if (symbol.name < named->name ||
          (symbol.name == named->name && symbol.file < named->file)) {
        named = &symbol;
      }
    }
    const std::uint64_t block_end = next < symbols.size() ? symbols[next]->address : end;
    blocks.push_back(
        {named->name, named->file, named->address, block_end - named->address, kind});
    at = next;
  }
}

/// Indexes the program memory blocks by address and adds up the kinds.
void add_up(const LinkerMap& map, BuildMemory& memory) {
  for (std::size_t index = 0; index < memory.blocks.size(); ++index) {
    if (in_program_memory(memory.blocks[index].kind)) {
      memory.program_by_address.push_back(index);
    } else {
      memory.data_used += memory.blocks[index].bytes;
    }
  }
  std::stable_sort(memory.program_by_address.begin(), memory.program_by_address.end(),
                   [&memory](std::size_t left, std::size_t right) {
                     return memory.blocks[left].address < memory.blocks[right].address;
                   });
  std::uint64_t program_bytes = 0;
  for (std::size_t kind = 0; kind < MEMORY_KINDS; ++kind) {
    if (in_program_memory(static_cast<MemoryKind>(kind))) {
      program_bytes += memory.kind_bytes[kind];
    }
  }
  memory.program_used = map.program_used.value_or(program_bytes);
  memory.program_size = map.program_size;
}

} // namespace

const MemoryBlock* BuildMemory::program_block_at(std::uint64_t address) const {
  const auto after =
      std::upper_bound(program_by_address.begin(), program_by_address.end(), address,
                       [this](std::uint64_t value, std::size_t index) {
                         return value < blocks[index].address;
                       });
  if (after == program_by_address.begin()) {
    return nullptr;
  }
  const MemoryBlock& block = blocks[*(after - 1)];
  return address - block.address < block.bytes ? &block : nullptr;
}

BuildMemory memory_of(const LinkerMap& map) {
  const std::vector<MapSection>& sections = map.sections;
  const SectionIndex program(sections, true);
  const SectionIndex data(sections, false);
  // The symbols with a file that each counted section holds, and the file of
  // each object: that of its first such symbol in the table's order.
  std::vector<std::vector<const MapSymbol*>> held(sections.size());
  std::map<std::string_view, std::string_view> object_files;
  for (const MapSymbol& symbol : map.symbols) {
    if (symbol.file.empty()) {
      continue;
    }
    const std::optional<std::size_t> section =
        (symbol.program ? program : data).holding(symbol.address);
    if (!section) {
      continue;
    }
    held[*section].push_back(&symbol);
    const std::string_view object = object_of(sections[*section].name);
    if (!object.empty()) {
      object_files.emplace(object, symbol.file);
    }
  }
  BuildMemory memory;
  for (std::size_t index = 0; index < sections.size(); ++index) {
    if (is_counted(sections[index])) {
      memory.kind_bytes[static_cast<std::size_t>(kind_of(sections[index]))] +=
          sections[index].size;
      cut_section(sections[index], held[index], object_files, memory);
    }
  }
  add_up(map, memory);
  return memory;
}

} // namespace vadrimel
