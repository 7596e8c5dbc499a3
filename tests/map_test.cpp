// Maps that are cut, contradict themselves or hold what no linker writes:
// each is told apart from a whole map by what is wrong with it, and the
// program refuses it with that word and status 1.

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "driver/program.h"
#include "map/linker_map.h"
#include "map/read_map_file.h"
#include "test_support.h"

namespace vadrimel {
namespace {

namespace fs = std::filesystem;

const std::string SECTION_ROWS =
    "                  .code_a.o       code   0x000000    program   0x000010\n"
    "                .udata_a.o       udata   0x000060       data   0x000004\n";
const std::string USAGE = "            16 out of 100 program addresses used, program "
                          "memory utilization is 16%\n";
const std::string SYMBOL_ROWS =
    "                     main   0x000000    program     extern C:\\a.c\n"
    "                    count   0x000060       data     static C:\\a.c\n";

/// A map of the rows given: the tables as MPLINK writes them.
std::string map_text(const std::string& sections, const std::string& usage,
                     const std::string& symbols) {
  return "MPLINK 5.00, LINKER\nLinker Map File - Created Mon Oct 16 20:58:45 2023\n\n"
         "                                 Section Info\n"
         "                  Section       Type    Address   Location Size(Bytes)\n"
         "                ---------  ---------  ---------  ---------  ---------\n" +
         sections + "\n" + usage + "\n" +
         "                              Symbols - Sorted by Address\n"
         "                     Name    Address   Location    Storage File\n"
         "                ---------  ---------  ---------  --------- ---------\n" +
         symbols + "\n";
}

struct DamageCase {
  const char* name;
  std::string text;
  /// What the reading says is wrong; empty for a map it takes.
  std::string damage;
  std::string left_out;
};

std::string cut_after(const std::string& text, const std::string& line) {
  return text.substr(0, text.find(line) + line.size());
}

const std::string WHOLE = map_text(SECTION_ROWS, USAGE, SYMBOL_ROWS);

const std::vector<DamageCase> DAMAGE_CASES = {
    {"a whole map", WHOLE, "", ""},
    {"whole with CR LF",
     [] {
       std::string text;
       for (const char byte : WHOLE) {
         text += byte == '\n' ? std::string("\r\n") : std::string(1, byte);
       }
       return text;
     }(),
     "", ""},
    {"cut in its section table", cut_after(WHOLE, ".code_a.o       code   0x000000"),
     "it is cut in its section table", ""},
    {"cut before its symbol table", cut_after(WHOLE, USAGE),
     "it is cut before its symbol table", ""},
    {"cut in its symbol table",
     cut_after(WHOLE, "main   0x000000    program     extern C:\\a.c\n"),
     "it is cut in its symbol table", ""},
    {"a section twice",
     map_text(SECTION_ROWS + SECTION_ROWS.substr(0, 73), USAGE, SYMBOL_ROWS),
     "section .code_a.o is listed twice", ""},
    {"sections that overlap",
     map_text(SECTION_ROWS +
                  "                  .code_b.o       code   0x000008    program   "
                  "0x000000\n                  .code_c.o       code   0x00000e    "
                  "program   0x000002\n",
              "            18 out of 100 program addresses used, program memory "
              "utilization is "
              "18%\n",
              SYMBOL_ROWS),
     "sections .code_a.o and .code_c.o overlap", ""},
    {"0X before an address",
     map_text("                  .code_a.o       code   0X000000    program   0x000010\n",
              USAGE, SYMBOL_ROWS),
     "line 7: a section row that cannot be read", ""},
    {"a size that is not hex",
     map_text("                  .code_a.o       code   0x000000    program   0x00001g\n",
              USAGE, SYMBOL_ROWS),
     "line 7: a section row that cannot be read", ""},
    {"a location that is neither",
     map_text("                  .code_a.o       code   0x000000    flash   0x000010\n",
              USAGE, SYMBOL_ROWS),
     "line 7: a section row that cannot be read", ""},
    {"a NUL in a type",
     [] {
       std::string row =
           "                  .code_a.o       co?de   0x000000    program   0x000010\n";
       row[row.find('?')] = '\0';
       return map_text(row, USAGE, SYMBOL_ROWS);
     }(),
     "line 7: a section row that cannot be read", ""},
    {"a size past 64 bits",
     map_text("                  .code_a.o       code   0x000000    program   "
              "0x8000000000000000\n",
              USAGE, SYMBOL_ROWS),
     "line 7: a section row that cannot be read", ""},
    {"a symbol row that cannot be read",
     map_text(SECTION_ROWS, USAGE,
              "                     main   0x000000    program     global\n"),
     "line 15: a symbol row that cannot be read", ""},
    {"a usage count of 20 digits",
     map_text(
         SECTION_ROWS,
         "            16 out of 18446744073709551617 program addresses used, program "
         "memory utilization is 16%\n",
         SYMBOL_ROWS),
     "its usage line (\"16 out of 18446744073709551617\") cannot be read", ""},
    {"more used than there is",
     map_text(
         SECTION_ROWS,
         "            160 out of 100 program addresses used, program memory utilization "
         "is 160%\n",
         SYMBOL_ROWS),
     "its usage line (\"160 out of 100\") cannot be read", ""},
    {"two usage lines", map_text(SECTION_ROWS, USAGE + USAGE, SYMBOL_ROWS),
     "it has 2 usage lines", ""},
    {"a usage line that disagrees",
     map_text(SECTION_ROWS,
              "            12 out of 100 program addresses used, program memory "
              "utilization is "
              "12%\n",
              SYMBOL_ROWS),
     "its program sections add up to 16 bytes, its usage line says 12", ""},
    {"an empty section table", map_text("", USAGE, SYMBOL_ROWS),
     "its section table is empty", ""},
    {"no usage line", map_text(SECTION_ROWS, "", SYMBOL_ROWS), "",
     "the map has no usage line, the part's size is not known"},
    {"a line too long to hold",
     map_text(SECTION_ROWS, USAGE,
              SYMBOL_ROWS + std::string(LinkerMapReader::MOST_LINE_BYTES + 1, 'x') +
                  "\n"),
     "line 17 is longer than 32768 bytes", ""},
};

TEST(LinkerMapTest, DamageIsToldApart) {
  for (const DamageCase& test : DAMAGE_CASES) {
    const MapReading reading = read_linker_map(test.text);
    ASSERT_TRUE(reading.map.has_value()) << test.name;
    EXPECT_EQ(reading.damage, test.damage) << test.name;
    EXPECT_EQ(reading.left_out, test.left_out) << test.name;
  }
}

// Read from a file, through the fixed buffer: a line of any length, and
// the program's word for a damaged map.
TEST(LinkerMapTest, FilesOfDamagedMapsAreRefused) {
  const fs::path folder = fs::temp_directory_path() /
                          ("vadrimel_maps_" + std::to_string(std::random_device{}()));
  fs::create_directories(folder);
  const std::string path = (folder / "app.map").string();
  for (const DamageCase& test : DAMAGE_CASES) {
    testing::write_file(path, test.text);
    const std::optional<MapReading> reading = read_map_file(path);
    ASSERT_TRUE(reading.has_value()) << test.name;
    EXPECT_EQ(reading->damage, test.damage) << test.name;
  }
  testing::write_file(path, DAMAGE_CASES[2].text);
  const std::vector<const char*> arguments = {"vadrimel", "-s", path.c_str()};
  const testing::CapturedMessages out;
  const testing::CapturedMessages err;
  EXPECT_EQ(run_vadrimel(arguments, {stdin, out.file(), err.file()}), 1);
  EXPECT_EQ(out.text(), "");
  EXPECT_EQ(err.text(), "Fatal: the map is cut or damaged:" + path +
                            ": it is cut in its section table\n");
  fs::remove_all(folder);
}

} // namespace
} // namespace vadrimel
