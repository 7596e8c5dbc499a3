#ifndef VADRIMEL_MODEL_BUILD_MEMORY_H_
#define VADRIMEL_MODEL_BUILD_MEMORY_H_

#include <array>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "map/linker_map.h"

namespace vadrimel {

/// What a byte of the build holds. Program memory first, in report order.
enum class MemoryKind : std::uint8_t {
  CODE,
  STRINGS,
  ROM_DATA,
  INITIAL_VALUES,
  CONFIG,
  VARIABLES,
  STACK,
};
inline constexpr std::size_t MEMORY_KINDS = 7;
/// The kinds' names as the reports print them.
inline constexpr std::array<std::string_view, MEMORY_KINDS> MEMORY_KIND_NAMES = {
    "code", "strings", "rom data", "initial values", "config", "variables", "stack"};
/// The kinds' names as JSON keys.
inline constexpr std::array<std::string_view, MEMORY_KINDS> MEMORY_KIND_KEYS = {
    "code", "strings", "rom_data", "initial_values", "config", "variables", "stack"};

inline bool in_program_memory(MemoryKind kind) {
  return kind < MemoryKind::VARIABLES;
}

/// The kinds of program memory, and of data memory, in report order.
inline constexpr std::array<MemoryKind, 5> PROGRAM_KINDS = {
    MemoryKind::CODE, MemoryKind::STRINGS, MemoryKind::ROM_DATA,
    MemoryKind::INITIAL_VALUES, MemoryKind::CONFIG};
inline constexpr std::array<MemoryKind, 2> DATA_KINDS = {MemoryKind::VARIABLES,
                                                         MemoryKind::STACK};

/// A run of bytes that one name owns: from a symbol with a file to the next
/// such symbol of its section or the section's end, or the bytes of a
/// section before its first such symbol ("(section NAME)").
/// Its texts are views of the map's and of the memory's own.
struct MemoryBlock {
  std::string_view name;
  /// The defining file; for a "(section NAME)" block the file of the
  /// section's object, or the block's own name when that is not known.
  std::string_view file;
  std::uint64_t address = 0;
  std::uint64_t bytes = 0;
  MemoryKind kind = MemoryKind::CODE;
};

/// Every byte of a build's flash and RAM, named, as its map tells.
struct BuildMemory {
  /// In the order of the map's sections, each section's by address.
  std::vector<MemoryBlock> blocks;
  std::array<std::uint64_t, MEMORY_KINDS> kind_bytes{};
  /// The map's "N out of M program addresses used" (N: the sum of the
  /// program memory kinds when the map does not say; M: empty then).
  std::uint64_t program_used = 0;
  std::optional<std::uint64_t> program_size;
  std::uint64_t data_used = 0;

  /// The bytes of one kind.
  [[nodiscard]] std::uint64_t bytes_of(MemoryKind kind) const {
    return kind_bytes[static_cast<std::size_t>(kind)];
  }

  /// The block of program memory that holds `address`; null when none does.
  [[nodiscard]] const MemoryBlock* program_block_at(std::uint64_t address) const;

  /// Indices into `blocks` of the program memory blocks, by address.
  std::vector<std::size_t> program_by_address;
  /// The names of the "(section NAME)" blocks, which the map does not hold;
  /// each stays where it is for as long as the memory lives.
  std::deque<std::string> section_names;
};

/// Cuts the map's counted sections into blocks: sections of size 0 and the
/// registers (data sections named SFR_...) are left out. The blocks' names
/// are views of the map's: the memory lives no longer than the map (which
/// may move: its rows stay where they are).
BuildMemory memory_of(const LinkerMap& map);

} // namespace vadrimel

#endif // VADRIMEL_MODEL_BUILD_MEMORY_H_
