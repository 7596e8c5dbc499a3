#ifndef VADRIMEL_MODEL_CODE_NAMES_H_
#define VADRIMEL_MODEL_CODE_NAMES_H_

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>

#include "model/build.h"
#include "model/program_words.h"

namespace vadrimel {

/// Names and places of code addresses, from the map when there is one.
class CodeNames {
public:
  CodeNames(const MapFile* map, const ProgramWords& words);

  /// The map's symbol at `address` (of a function if any, else a label),
  /// else the block that holds it and the offset; without a map the name of
  /// the C function whose head starts there, else the address in hex.
  [[nodiscard]] std::string name_of(std::uint64_t address) const;
  /// An address in the code of the function at `function`: "F+0x8", with the
  /// map the block that holds it.
  [[nodiscard]] std::string name_within(std::uint64_t function,
                                        std::uint64_t address) const;
  /// The bytes of the map's block of code that starts at `address`, as -s
  /// shows them; empty without a map or such a block.
  [[nodiscard]] std::optional<std::uint64_t> block_bytes(std::uint64_t address) const;

  /// The source line of the word at `address`; null when there is none.
  [[nodiscard]] const ProgramWords::Place* place_at(std::uint64_t address) const {
    return words_.place_at(address);
  }

  /// `path:line` of the word at `address`.
  [[nodiscard]] std::string place_of(std::uint64_t address) const;

  [[nodiscard]] const ProgramWords& words() const { return words_; }

private:
  const MapFile* map_;
  const ProgramWords& words_;
  std::map<std::uint64_t, std::string_view> names_;
};

} // namespace vadrimel

#endif // VADRIMEL_MODEL_CODE_NAMES_H_
