#ifndef VADRIMEL_LISTING_COLUMNS_H_
#define VADRIMEL_LISTING_COLUMNS_H_

#include <cstddef>

namespace vadrimel {

/// Where the columns of a listing line start, as the column header names
/// them: "Address  Value    Disassembly              Source ... File".
inline constexpr std::size_t ADDRESS_DIGITS = 6;
inline constexpr std::size_t VALUE_COLUMN = 9;
inline constexpr std::size_t VALUE_DIGITS = 4;
/// One past the value column.
inline constexpr std::size_t COLUMNS_END = VALUE_COLUMN + VALUE_DIGITS;
inline constexpr std::size_t INSTRUCTION_COLUMN = 18;
inline constexpr std::size_t SOURCE_COLUMN = 43;
inline constexpr std::size_t FILE_COLUMN = 124;

inline constexpr char SPACE = ' ';

} // namespace vadrimel

#endif // VADRIMEL_LISTING_COLUMNS_H_
