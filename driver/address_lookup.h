#ifndef VADRIMEL_DRIVER_ADDRESS_LOOKUP_H_
#define VADRIMEL_DRIVER_ADDRESS_LOOKUP_H_

#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

#include "driver/source_lines.h"

namespace vadrimel {

/// The source lines of the program words asked for, found in one pass.
class AddressLookup final : public SourceLines {
public:
  struct Answer {
    std::uint64_t address = 0;
    bool found = false;
    std::string path;
    std::uint64_t number = 0;
    std::string text;
  };

  /// An address's answer: the word that holds it (an odd address is the
  /// second byte of the word below it).
  void ask(std::uint64_t address);

  [[nodiscard]] const std::vector<Answer>& answers() const { return answers_; }

private:
  void take_code(std::uint64_t address, const SourceLine& line) override;

  std::vector<Answer> answers_;
  std::unordered_map<std::uint64_t, std::vector<std::size_t>> words_;
};

} // namespace vadrimel

#endif // VADRIMEL_DRIVER_ADDRESS_LOOKUP_H_
