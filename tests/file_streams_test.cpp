#include "system/file_names.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace vadrimel {
namespace {

TEST(OutputNameForTest, LastExtensionBecomesTxt) {
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"a.lst", "a.txt"},
      {"A.LST", "A.txt"},
      {"x.Lst", "x.txt"},
      {"x", "x.txt"},
      {"a.b.lst", "a.b.txt"},
      {"a.", "a.txt"},
      {"a.txt", "a.txt"},
      {"dir.d/x", "dir.d/x.txt"},
      {"dir.d/x.lst", "dir.d/x.txt"},
      {"/abs/dir/m.LST", "/abs/dir/m.txt"},
      {".lst", ".lst.txt"},
      {"dir/.hidden", "dir/.hidden.txt"},
      {"dir/..", "dir/...txt"},
      {"列表.lst", "列表.txt"},
#ifdef _WIN32
      {"dir.d\\x", "dir.d\\x.txt"},
      {"C:x.lst", "C:x.txt"},
      {"C:.lst", "C:.lst.txt"},
      // Windows drops the dots and spaces that end a name.
      {"in.lst.", "in.txt"},
      {"dir\\in.lst. .", "dir\\in.txt"},
      {"dir.d\\..", "dir.d\\...txt"},
#else
      {"dir.d\\x", "dir.txt"},
#endif
  };
  for (const auto& [listing, output] : cases) {
    EXPECT_EQ(output_name_for(listing), output) << listing;
  }
}

} // namespace
} // namespace vadrimel
