// The reports -s and -a, run in the process on small listings written to a
// scratch folder.

#include <gtest/gtest.h>

#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "driver/program.h"
#include "test_support.h"

namespace vadrimel {
namespace {

namespace fs = std::filesystem;

/// A listing line as MP2COD lays it out: address and value (none for a line
/// of source alone), disassembly, source from column 43 and the path in the
/// File column (none for a second word).
std::string row(const std::string& address, const std::string& disassembly,
                const std::string& source, const std::string& path) {
  std::string line = address.empty() ? "" : address + "   0e01     " + disassembly;
  line.resize(43, ' ');
  line += source;
  if (path.empty()) {
    return line + "\n";
  }
  line.resize(std::max<std::size_t>(line.size(), 123), ' ');
  return line + " " + path + "\n";
}

const std::string M = "A:\\p\\m.c";
/// Code before any path, a two-word instruction, a statement of two
/// instructions, a line without code, a relative path in the File column, and
/// two files of one name in different folders.
const std::string LISTING =
    row("000000", "GOTO      0x8", "", "") + row("000002", "NOP", "", "") +
    row("000004", "MOVLW     0x1", "  a = 1;  ", M) +
    row("000006", "MOVWF     0x0", "", "") + row("", "", "\tint x;", M) +
    row("000008", "CALL      0x20,0x0", "call();", M) + row("00000a", "NOP", "", "") +
    row("00000c", "RETURN    0x0", "ret", "source\\s.s") +
    row("00000e", "NOP", "u();", "B:\\y\\u.c") +
    row("000010", "NOP", "v();", "A:\\x\\u.c");

struct ReportCase {
  const char* name;
  std::vector<std::string> arguments; // "old" and "new" name the listings
  std::string old_listing;
  int status;
  std::string out;
  std::string err;
};

/// The size table of LISTING.
const std::string SIZE_TABLE = "   bytes   share  source file\n"
                               "       8   44.4%  A:\\p\\m.c\n"
                               "       4   22.2%  (no source file)\n"
                               "       2   11.1%  A:\\x\\u.c\n"
                               "       2   11.1%  B:\\y\\u.c\n"
                               "       2   11.1%  source\\s.s\n"
                               "      18  100.0%  total\n";

const std::vector<ReportCase> REPORT_CASES = {
    {"sizes and the lines with the most code",
     {"-s3", "new"},
     "",
     0,
     SIZE_TABLE + "\n"
                  "   bytes  source line\n"
                  "       4  (no source file):0: \n"
                  "       4  A:\\p\\m.c:1: a = 1;\n"
                  "       4  A:\\p\\m.c:3: call();\n",
     ""},
    {"-s0 leaves the lines out", {"-s0", "new"}, "", 0, SIZE_TABLE, ""},
    {"two builds: a moved file matched by its name, a name twice not",
     {"-s", "old", "new"},
     row("000000", "NOP", "x", "C:\\old\\m.c") + row("000002", "NOP", "y", "C:\\x\\u.c") +
         row("000004", "NOP", "z", "C:\\y\\u.c") +
         row("000006", "NOP", "w", "C:\\gone.c"),
     0,
     "     old      new   change  source file\n"
     "       2        8       +6  A:\\p\\m.c\n"
     "       0        4       +4  (no source file)\n"
     "       0        2       +2  A:\\x\\u.c\n"
     "       0        2       +2  B:\\y\\u.c\n"
     "       2        0       -2  C:\\gone.c\n"
     "       2        0       -2  C:\\x\\u.c\n"
     "       2        0       -2  C:\\y\\u.c\n"
     "       0        2       +2  source\\s.s\n"
     "       8       18      +10  total\n",
     ""},
    {"addresses: a second word, an odd one, a missing one, one that is none",
     {"-a", "new", "0x2", "7", "0XA", "0x000010", "12", "0xZZ", "123456789"},
     "",
     1,
     "0x000002  (no source file):0: \n"
     "0x000007  A:\\p\\m.c:1: a = 1;\n"
     "0x00000a  A:\\p\\m.c:3: call();\n"
     "0x000010  A:\\x\\u.c:1: v();\n"
     "0x000012  not in the listing\n",
     "Fatal: not an address:0xZZ\nFatal: not an address:123456789\n"},
    {"a listing that is not there",
     {"-s", "missing"},
     "",
     1,
     "",
     "Fatal: can't open file:missing\n"},
};

TEST(ReportTest, SmallListingsGiveTheirReports) {
  const fs::path folder = fs::temp_directory_path() /
                          ("vadrimel_report_" + std::to_string(std::random_device{}()));
  fs::create_directories(folder);
  const std::string new_name = (folder / "new.lst").string();
  const std::string old_name = (folder / "old.lst").string();
  testing::write_file(new_name, LISTING);
  for (const ReportCase& test : REPORT_CASES) {
    testing::write_file(old_name, test.old_listing);
    std::vector<std::string> words = {"vadrimel"};
    for (const std::string& argument : test.arguments) {
      words.push_back(argument == "new"   ? new_name
                      : argument == "old" ? old_name
                                          : argument);
    }
    std::vector<const char*> arguments;
    for (const std::string& word : words) {
      arguments.push_back(word.c_str());
    }
    const testing::CapturedMessages out;
    const testing::CapturedMessages err;
    EXPECT_EQ(run_vadrimel(arguments, {stdin, out.file(), err.file()}, allocate_run),
              test.status)
        << test.name;
    EXPECT_EQ(testing::difference(out.text(), test.out), "") << test.name;
    EXPECT_EQ(err.text(), test.err) << test.name;
  }
  fs::remove_all(folder);
}

} // namespace
} // namespace vadrimel
