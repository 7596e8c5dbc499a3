#ifndef VADRIMEL_MODEL_FUNCTION_HEAD_H_
#define VADRIMEL_MODEL_FUNCTION_HEAD_H_

#include <optional>
#include <string_view>

namespace vadrimel {

/// The name a line of C source gives the function it starts, where it is a
/// function's head: an identifier before the line's first '(' (blanks may
/// stand between), no '=' before it and no ';' in the line (a call or a
/// declaration has one), and no keyword of C ("if (", "while ("). Empty for
/// any other line.
std::optional<std::string_view> function_head(std::string_view text);

} // namespace vadrimel

#endif // VADRIMEL_MODEL_FUNCTION_HEAD_H_
