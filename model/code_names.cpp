#include "model/code_names.h"

#include <array>
#include <cstdio>

namespace vadrimel {

namespace {

unsigned long long as_printed(std::uint64_t value) {
  return static_cast<unsigned long long>(value);
}

std::string hex_address(std::uint64_t address) {
  std::array<char, 32> text{};
  const int length =
      std::snprintf(text.data(), text.size(), "0x%06llx", as_printed(address));
  return {text.data(), static_cast<std::size_t>(length)};
}

} // namespace

CodeNames::CodeNames(const MapFile* map, const ProgramWords& words)
    : map_(map), words_(words) {
  if (map == nullptr) {
    return;
  }
  // The least name at each address, of those with a file (functions) if
  // any, else of the labels.
  std::map<std::uint64_t, std::pair<bool, std::string_view>> best;
  for (const MapSymbol& symbol : map->map.symbols) {
    if (!symbol.program) {
      continue;
    }
    const std::pair<bool, std::string_view> candidate = {symbol.file.empty(),
                                                         symbol.name};
    const auto [kept, added] = best.emplace(symbol.address, candidate);
    if (!added && candidate < kept->second) {
      kept->second = candidate;
    }
  }
  for (const auto& [address, name] : best) {
    names_.emplace(address, name.second);
  }
}

std::string CodeNames::name_of(std::uint64_t address) const {
  const auto symbol = names_.find(address);
  if (symbol != names_.end()) {
    return std::string(symbol->second);
  }
  const MemoryBlock* const block =
      map_ != nullptr ? map_->memory.program_block_at(address) : nullptr;
  if (block != nullptr) {
    std::array<char, 32> offset{};
    static_cast<void>(std::snprintf(offset.data(), offset.size(), "+0x%llx",
                                    as_printed(address - block->address)));
    return std::string(block->name) + offset.data();
  }
  if (const std::optional<std::string_view> head = words_.head_at(address)) {
    return std::string(*head);
  }
  return hex_address(address);
}

std::string CodeNames::name_within(std::uint64_t function, std::uint64_t address) const {
  if (map_ != nullptr) {
    return name_of(address);
  }
  std::array<char, 32> offset{};
  static_cast<void>(std::snprintf(offset.data(), offset.size(), "+0x%llx",
                                  as_printed(address - function)));
  return name_of(function) + offset.data();
}

std::optional<std::uint64_t> CodeNames::block_bytes(std::uint64_t address) const {
  const MemoryBlock* const block =
      map_ != nullptr ? map_->memory.program_block_at(address) : nullptr;
  return block != nullptr && block->address == address && block->kind == MemoryKind::CODE
             ? std::optional<std::uint64_t>(block->bytes)
             : std::nullopt;
}

std::string CodeNames::place_of(std::uint64_t address) const {
  const ProgramWords::Place* const place = words_.place_at(address);
  if (place == nullptr) {
    return "(not in the listing)";
  }
  return std::string(words_.path_of(*place)) + ":" + std::to_string(place->line);
}

} // namespace vadrimel
