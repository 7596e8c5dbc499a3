// The reports -s and -a, run in the process on small listings written to a
// scratch folder.

#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <iterator>
#include <map>
#include <optional>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "driver/program.h"
#include "forms/markdown/pull_request_table.h"
#include "map/linker_map.h"
#include "model/build_memory.h"
#include "model/pic18/call_graph.h"
#include "pic18_words.h"
#include "reports/size_changes.h"
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
/// The column header that makes a file a linker listing to the reports.
const std::string HEADER = "Address  Value    Disassembly              Source\n";
/// Code before any path, a two-word instruction, a statement of two
/// instructions, a line without code, a relative path in the File column, and
/// two files of one name in different folders.
const std::string LISTING =
    HEADER + row("000000", "GOTO      0x8", "", "") + row("000002", "NOP", "", "") +
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
     HEADER + row("000000", "NOP", "x", "C:\\old\\m.c") +
         row("000002", "NOP", "y", "C:\\x\\u.c") +
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
    {"a converted listing is not one",
     {"-s", "old"},
     "MP2COD 5.00, COFF to COD File Converter\nFILE:C:\\x.c\n" +
         row("000000", "NOP", "x", ""),
     1,
     "",
     "Fatal: not a linker listing:old\n"},
    {"nor is a file with code before its header",
     {"-a", "old", "0"},
     row("000000", "NOP", "x", "C:\\x.c") + HEADER,
     1,
     "",
     "Fatal: not a linker listing:old\n"},
    {"nor a build file",
     {"-s", "old"},
     "cmake_minimum_required(VERSION 3.25)\n",
     1,
     "",
     "Fatal: not a linker listing:old\n"},
};

/// `text` with each name a case stands for put in its place.
std::string with_names(std::string text,
                       const std::map<std::string, std::string>& names) {
  for (const auto& [word, name] : names) {
    const std::string placeholder = ":" + word + "\n";
    for (std::size_t at = text.find(placeholder); at != std::string::npos;
         at = text.find(placeholder, at + 1)) {
      text.replace(at + 1, word.size(), name);
    }
  }
  return text;
}

TEST(ReportTest, SmallListingsGiveTheirReports) {
  const fs::path folder = fs::temp_directory_path() /
                          ("vadrimel_report_" + std::to_string(std::random_device{}()));
  fs::create_directories(folder);
  const std::string new_name = (folder / "new.lst").string();
  const std::string old_name = (folder / "old.lst").string();
  // In the scratch folder, so that no file left in the working directory
  // can answer for it.
  const std::map<std::string, std::string> names = {
      {"new", new_name}, {"old", old_name}, {"missing", (folder / "missing").string()}};
  testing::write_file(new_name, LISTING);
  for (const ReportCase& test : REPORT_CASES) {
    testing::write_file(old_name, test.old_listing);
    std::vector<std::string> words = {"vadrimel"};
    for (const std::string& argument : test.arguments) {
      words.push_back(names.contains(argument) ? names.at(argument) : argument);
    }
    std::vector<const char*> arguments;
    for (const std::string& word : words) {
      arguments.push_back(word.c_str());
    }
    const testing::CapturedMessages out;
    const testing::CapturedMessages err;
    EXPECT_EQ(run_vadrimel(arguments, {stdin, out.file(), err.file()}), test.status)
        << test.name;
    EXPECT_EQ(testing::difference(out.text(), test.out), "") << test.name;
    EXPECT_EQ(err.text(), with_names(test.err, names)) << test.name;
  }
  fs::remove_all(folder);
}

/// The bytes of program memory that section rows give: each row's last
/// word, where the word before it is "program".
std::uint64_t program_bytes(const std::vector<std::string>& sections) {
  std::uint64_t bytes = 0;
  for (const std::string& section : sections) {
    std::istringstream words(section);
    std::vector<std::string> row{std::istream_iterator<std::string>(words),
                                 std::istream_iterator<std::string>()};
    if (row.size() >= 2 && row[row.size() - 2] == "program") {
      bytes += std::stoull(row.back(), nullptr, 16);
    }
  }
  return bytes;
}

/// A whole map file: its section and symbol rows, ended in `line_end`, the
/// usage line of the program sections, of a part of 100 bytes.
std::string map_of(const std::vector<std::string>& sections,
                   const std::vector<std::string>& symbols, const std::string& line_end) {
  std::string map =
      "MPLINK 5.00, LINKER" + line_end +
      "Linker Map File - Created Mon Oct 16 20:58:45 2023" + line_end + line_end +
      "                                 Section Info" + line_end +
      "                  Section       Type    Address   Location Size(Bytes)" +
      line_end + "                ---------  ---------  ---------  ---------" + line_end;
  for (const std::string& section : sections) {
    map += section + line_end;
  }
  map += line_end + "            " + std::to_string(program_bytes(sections)) +
         " out of 100 program addresses used, program memory "
         "utilization is 30%" +
         line_end + line_end +
         "                              Symbols - Sorted by Address" + line_end +
         "                     Name    Address   Location    Storage File" + line_end +
         "                ---------  ---------  ---------  --------- ---------" +
         line_end;
  for (const std::string& symbol : symbols) {
    map += symbol + line_end;
  }
  return map + line_end;
}

struct MapCase {
  const char* name;
  std::vector<std::string> sections;
  std::vector<std::string> symbols;
  /// Each block as "name file address bytes kind".
  std::vector<std::string> blocks;
};

const std::vector<MapCase> MAP_CASES = {
    {"two symbols at one address, a label inside a block, bytes before the first symbol",
     {"              .code_a.o       code   0x000010    program   0x000010"},
     {"                     zeta   0x000014    program     extern C:\\a.c",
      "                    alpha   0x000014    program     static C:\\b.c",
      "                    alpha   0x000014    program     extern C:\\a.c",
      "       ___return_lbl00000   0x000018    program     static",
      "                     next   0x00001c    program     extern C:\\a.c"},
     {"(section .code_a.o) C:\\a.c 0x10 4 code", "alpha C:\\a.c 0x14 8 code",
      "next C:\\a.c 0x1c 4 code"}},
    {"a long name pushes its row; strings, rom data, initial values, config",
     {"REMAPPED_HIGH_INTERRUPT_VECTOR       code   0x001008    program   0x000006",
      "             .stringtable    romdata   0x000100    program   0x000004",
      "             .romdata_a.o    romdata   0x000104    program   0x000002",
      "        .idata_a.o_i    romdata   0x000106    program   0x000003",
      "                   .cinit    romdata   0x000109    program   0x000001",
      "    .config_300001_a.o    romdata   0x300001    program   0x000001"},
     {"        Remapped_High_ISR   0x001008    program     extern C:\\m.c",
      "              __string_0   0x000100    program     static C:\\a.c"},
     {"Remapped_High_ISR C:\\m.c 0x1008 6 code", "__string_0 C:\\a.c 0x100 4 strings",
      "(section .romdata_a.o) (section .romdata_a.o) 0x104 2 rom data",
      "(section .idata_a.o_i) (section .idata_a.o_i) 0x106 3 initial values",
      "(section .cinit) (section .cinit) 0x109 1 initial values",
      "(section .config_300001_a.o) (section .config_300001_a.o) 0x300001 1 config"}},
    {"an object's file from its code; registers, sizes of 0, the stack, a file with "
     "spaces",
     {"              .code_a.o       code   0x000000    program   0x000002",
      "             .idata_a.o_i    romdata   0x000002    program   0x000002",
      "             .udata_a.o      udata   0x000060       data   0x000004",
      "             .empty_a.o      udata   0x000064       data   0x000000",
      "              SFR_BANKED0      udata   0x000f60       data   0x0000a0",
      "                   .stack      udata   0x000e00       data   0x000040"},
     {"                     main   0x000000    program     extern C:\\My Code\\a.c",
      "                    count   0x000062       data     static C:\\My Code\\a.c",
      "                    PORTA   0x000f80       data     extern C:\\p18.asm"},
     {"main C:\\My Code\\a.c 0x0 2 code",
      "(section .idata_a.o_i) C:\\My Code\\a.c 0x2 2 initial values",
      "(section .udata_a.o) C:\\My Code\\a.c 0x60 2 variables",
      "count C:\\My Code\\a.c 0x62 2 variables",
      "(section .stack) (section .stack) 0xe00 64 stack"}},
};

TEST(LinkerMapTest, EveryByteHasItsOwner) {
  for (const MapCase& test : MAP_CASES) {
    for (const std::string line_end : {"\n", "\r\n"}) {
      const MapReading reading =
          read_linker_map(map_of(test.sections, test.symbols, line_end));
      const std::optional<LinkerMap>& map = reading.map;
      ASSERT_TRUE(map.has_value()) << test.name;
      EXPECT_EQ(reading.damage, "") << test.name;
      EXPECT_EQ(map->program_used, program_bytes(test.sections));
      EXPECT_EQ(map->program_size, 100U);
      std::vector<std::string> blocks;
      const BuildMemory memory = memory_of(*map);
      for (const MemoryBlock& block : memory.blocks) {
        std::array<char, 64> numbers{};
        static_cast<void>(std::snprintf(numbers.data(), numbers.size(), " 0x%llx %llu ",
                                        static_cast<unsigned long long>(block.address),
                                        static_cast<unsigned long long>(block.bytes)));
        blocks.push_back(
            std::string(block.name) + " " + std::string(block.file) + numbers.data() +
            std::string(MEMORY_KIND_NAMES[static_cast<std::size_t>(block.kind)]));
      }
      EXPECT_EQ(blocks, test.blocks) << test.name;
    }
  }
  EXPECT_FALSE(read_linker_map("MPLINK 5.00, LINKER\nno table\n").map.has_value());
}

/// Where -s finds a build's map: files in a folder, the listing named, and
/// the "map:" line or the message.
struct FindMapCase {
  const char* name;
  std::vector<std::string> files;
  std::vector<std::string> arguments;
  int status;
  std::string first_line;
  std::string err;
};

const std::vector<FindMapCase> FIND_MAP_CASES = {
    {"the same name, the extension in any case",
     {"b.lst", "b.MAP", "c.map"},
     {"-s", "b.lst"},
     0,
     "map: b.MAP",
     ""},
    {"MPLAB X: the only map of a folder with no other listing",
     {"app.X.production.lst", "EBF.X.production.map"},
     {"-s", "app.X.production.lst"},
     0,
     "map: EBF.X.production.map",
     ""},
    {"no map when another listing is beside",
     {"app.lst", "boot.lst", "EBF.map"},
     {"-s", "app.lst"},
     0,
     "   bytes   share  source file",
     ""},
    {"two maps and none of the listing's name: a note says to choose",
     {"a.lst", "x.map", "y.map"},
     {"-s", "a.lst"},
     0,
     "   bytes   share  source file",
     "Note: 2 maps lie beside the listing and none has its name (x.map, y.map), reported "
     "without them; choose one with -M<map>:a.lst\n"},
    {"-M names it",
     {"a.lst", "other.txt"},
     {"-Mother.txt", "-s", "a.lst"},
     0,
     "map: other.txt",
     ""},
    {"-M that cannot be read",
     {"a.lst"},
     {"-Mnone.map", "-s", "a.lst"},
     1,
     "",
     "Fatal: can't read map:none.map\n"},
    {"-M with two listings",
     {"a.lst", "b.lst", "x.map"},
     {"-Mx.map", "-s", "a.lst", "b.lst"},
     1,
     "",
     "Fatal: one map named for two listings:x.map\n"},
    {"a map beside without a section table",
     {"a.lst", "a.map!"},
     {"-s", "a.lst"},
     0,
     "   bytes   share  source file",
     "Note: no section table in the map, reported without it:a.map\n"},
    {"a map made at another time",
     {"a.lst", "a.map", "late"},
     {"-a", "a.lst", "0"},
     0,
     "0x000000  main+0x0  C:\\a.c:1: main();",
     "Note: the map was not made with the listing (3600 seconds apart), it may be of "
     "another build:a.map\n"},
};

TEST(ReportTest, FindsTheMapBesideTheListing) {
  const std::string map = map_of(
      {"              .code_a.o       code   0x000000    program   0x000002"},
      {"                     main   0x000000    program     extern C:\\a.c"}, "\n");
  const std::string listing = "MP2COD 5.00, COFF to COD File Converter\n"
                              "Listing File Generated: Mon Oct 16 20:58:45 2023\n" +
                              HEADER + row("000000", "NOP", "main();", "C:\\a.c");
  for (const FindMapCase& test : FIND_MAP_CASES) {
    const fs::path folder = fs::temp_directory_path() /
                            ("vadrimel_map_" + std::to_string(std::random_device{}()));
    fs::create_directories(folder);
    std::string late = listing;
    for (const std::string& file : test.files) {
      if (file == "late") {
        late.replace(late.find("20:58:45"), 8, "21:58:45");
        testing::write_file((folder / "a.lst").string(), late);
      } else if (file.ends_with(".lst")) {
        testing::write_file((folder / file).string(), listing);
      } else if (file.ends_with("!")) {
        testing::write_file((folder / file.substr(0, file.size() - 1)).string(),
                            "not a map\n");
      } else {
        testing::write_file((folder / file).string(), map);
      }
    }
    std::vector<std::string> words = {"vadrimel"};
    for (const std::string& argument : test.arguments) {
      const bool named = argument.starts_with("-M");
      words.push_back(named ? "-M" + (folder / argument.substr(2)).string()
                      : argument.find('.') == std::string::npos
                          ? argument
                          : (folder / argument).string());
    }
    std::vector<const char*> arguments;
    for (const std::string& word : words) {
      arguments.push_back(word.c_str());
    }
    const testing::CapturedMessages out;
    const testing::CapturedMessages err;
    EXPECT_EQ(run_vadrimel(arguments, {stdin, out.file(), err.file()}), test.status)
        << test.name;
    const std::string prefix = (folder / "").string();
    std::string first = out.text().substr(0, out.text().find('\n'));
    if (first.starts_with("map: ")) {
      first.replace(first.find(prefix), prefix.size(), "");
    }
    EXPECT_EQ(first, test.first_line) << test.name;
    std::string messages = err.text();
    for (std::size_t at = messages.find(prefix); at != std::string::npos;
         at = messages.find(prefix)) {
      messages.replace(at, prefix.size(), "");
    }
    EXPECT_EQ(messages, test.err) << test.name;
    fs::remove_all(folder);
  }
}

struct CallCase {
  const char* name;
  pic18::Words words;
  /// The report's summary and each function's depth, bytes and marks,
  /// "0x000000 2 12 recursive computed".
  std::string summary;
  std::vector<std::string> depths;
};

const std::vector<CallCase> CALL_CASES = [] {
  using namespace pic18;
  return std::vector<CallCase>{
      {"a chain of calls; no interrupt code",
       program({call(0x0, 0x40), word(0x4, RETURN), rcall(0x40, 0x60), word(0x42, RETURN),
                word(0x60, RETURN)}),
       "return stack: 2 of 31 levels at worst (reset 2)",
       {"0x000000 2 6", "0x000040 1 4", "0x000060 0 2"}},
      {"interrupts; code that a tail jump shares is counted once, as the first "
       "function's",
       program({go_to(0x0, 0x100), word(0x8, NOP), bra(0xa, 0x200), word(0x18, RETURN),
                call(0x100, 0x300), word(0x104, RETURN), call(0x200, 0x280),
                word(0x204, RETURN), call(0x280, 0x300), bra(0x284, 0x100),
                word(0x300, RETURN)}),
       "return stack: 5 of 31 levels at worst (reset 1, high interrupt 1 + 2, low "
       "interrupt 1 + 0)",
       {"0x000008 2 10", "0x000000 1 10", "0x000280 1 6", "0x000018 0 2",
        "0x000300 0 2"}},
      {"CPFSEQ skips a GOTO to reach a call",
       program({word(0x0, CPFSEQ), go_to(0x2, 0x40), call(0x6, 0x20), word(0xa, RETURN),
                word(0x20, RETURN), word(0x40, RETURN)}),
       "return stack: 1 of 31 levels at worst (reset 1)",
       {"0x000000 1 14", "0x000020 0 2"}},
      {"CPFSGT too",
       program({word(0x0, CPFSGT), go_to(0x2, 0x40), call(0x6, 0x20), word(0xa, RETURN),
                word(0x20, RETURN), word(0x40, RETURN)}),
       "return stack: 1 of 31 levels at worst (reset 1)",
       {"0x000000 1 14", "0x000020 0 2"}},
      {"a skip over a two-word instruction, a conditional branch, a word left "
       "undisassembled",
       program({word(0x0, BTFSC), call(0x2, 0x40), call(0x6, 0x50), bz(0xa, 0x10),
                word(0xc, RETURN), call(0x10, 0x60), word(0x14, RETURN),
                word(0x40, RETURN), call(0x50, 0x60), word(0x54, RETURN),
                call(0x60, 0x70), word(0x64, RETURN), word(0x70, RETURN)}),
       "return stack: 3 of 31 levels at worst (reset 3)",
       {"0x000000 3 20", "0x000050 2 6", "0x000060 1 6", "0x000040 0 2", "0x000070 0 2"}},
      {"a __pa_ block that ends in GOTO; LFSR takes two words",
       program({call(0x0, 0x20), word(0x4, RETURN), word(0x20, LFSR),
                word(0x22, LFSR_SECOND), call(0x24, 0x40), go_to(0x28, 0x30),
                word(0x30, RETURN), word(0x40, RETURN)}),
       "return stack: 2 of 31 levels at worst (reset 2)",
       {"0x000000 2 6", "0x000020 1 14", "0x000040 0 2"}},
      {"a computed jump and a call to code the listing does not hold",
       program({rcall(0x0, 0x20), rcall(0x2, 0x900), word(0x4, RETURN),
                word(0x20, MOVWF_PCL)}),
       "return stack: 1 of 31 levels at worst (reset 1)",
       {"0x000000 1 6", "0x000020 0 2 computed"}},
      {"recursion: itself, and two that call each other",
       program({rcall(0x0, 0x20), rcall(0x2, 0x40), word(0x4, RETURN), rcall(0x20, 0x20),
                word(0x22, RETURN), rcall(0x40, 0x50), word(0x42, RETURN),
                rcall(0x50, 0x40), word(0x52, RETURN)}),
       "return stack: unbounded, of 31 levels: calls go round in a cycle (reset "
       "unbounded)",
       {"0x000000 unbounded 6", "0x000020 unbounded 4 recursive",
        "0x000040 unbounded 4 recursive", "0x000050 unbounded 4 recursive"}},
      {"a two-word instruction across the interrupt vector is no root",
       program({word(0x0, NOP), word(0x2, NOP), word(0x4, NOP), word(0x6, LFSR),
                word(0x8, LFSR_SECOND), word(0xa, RETURN)}),
       "return stack: 0 of 31 levels at worst (reset 0)",
       {"0x000000 0 12"}},
      {"vectors remapped behind a bootloader",
       program({go_to(0x1000, 0x1100), go_to(0x1008, 0x1200), rcall(0x1100, 0x1300),
                word(0x1102, RETURN), word(0x1200, 0x0010), word(0x1300, RETURN)}),
       "return stack: 2 of 31 levels at worst (reset 1, high interrupt 1 + 0)",
       {"0x001000 1 8", "0x001008 0 6", "0x001300 0 2"}},
  };
}();

TEST(CallDepthTest, SmallListingsGiveTheirDepths) {
  const fs::path folder = fs::temp_directory_path() /
                          ("vadrimel_calls_" + std::to_string(std::random_device{}()));
  fs::create_directories(folder);
  const std::string name = (folder / "calls.lst").string();
  for (const CallCase& test : CALL_CASES) {
    std::string listing = HEADER;
    for (const auto& [address, value] : test.words) {
      std::array<char, 32> columns{};
      static_cast<void>(std::snprintf(columns.data(), columns.size(), "%06llx   %04x",
                                      static_cast<unsigned long long>(address),
                                      static_cast<unsigned>(value)));
      // Only the value column counts: the disassembly is left out.
      listing += row("", "", "", "C:\\a.c");
      listing.replace(listing.size() - row("", "", "", "C:\\a.c").size(), 13,
                      columns.data());
    }
    testing::write_file(name, listing);
    const std::vector<const char*> arguments = {"vadrimel", "-g", name.c_str()};
    const testing::CapturedMessages out;
    const testing::CapturedMessages err;
    EXPECT_EQ(run_vadrimel(arguments, {stdin, out.file(), err.file()}), 0) << test.name;
    const std::string report = out.text();
    EXPECT_EQ(report.substr(0, report.find('\n')), test.summary) << test.name;
    std::vector<std::string> depths;
    const std::size_t table =
        report.find("   depth    bytes    frame   height  function  place\n");
    ASSERT_NE(table, std::string::npos) << test.name;
    std::istringstream rows(report.substr(table));
    std::string line;
    std::getline(rows, line);
    while (std::getline(rows, line)) {
      std::istringstream fields(line);
      std::string depth;
      std::string bytes;
      std::string function;
      std::string frame;
      std::string height;
      fields >> depth >> bytes >> frame >> height >> function;
      depths.push_back(
          function + " " + depth + " " + bytes +
          (line.find("(recursive)") != std::string::npos ? " recursive" : "") +
          (line.find("(computed jump)") != std::string::npos ? " computed" : ""));
    }
    EXPECT_EQ(depths, test.depths) << test.name << "\n" << report;
  }
  fs::remove_all(folder);
}

/// A build of two functions for the forms: `main` calls `f|x`, whose name
/// holds what a table's cell must escape.
std::string small_listing(const std::string& call_code) {
  return HEADER +
         row("000000", "CALL      0x10,0x0", "main();", "C:\\a.c")
             .replace(9, 4, call_code) +
         row("000002", "", "", "").replace(9, 4, "f000") +
         row("000004", "RETURN    0x0", "}", "C:\\a.c").replace(9, 4, "0012") +
         row("000010", "RETURN    0x0", "f();", "C:\\a.c").replace(9, 4, "0012");
}
std::string small_map(const std::string& main_size) {
  return map_of(
      {"              .code_a.o       code   0x000000    program   0x" + main_size,
       "             .stringtable    romdata   0x000100    program   0x00000a",
       "             .udata_a.o      udata   0x000060       data   0x000004"},
      {"                     main   0x000000    program     extern C:\\a.c",
       "                      f|x   0x000010    program     extern C:\\a.c",
       "                    count   0x000060       data     static C:\\a.c"},
      "\n");
}

/// The end of the message of limits that cannot be read.
const std::string LIMITS = "; limits are flash=BYTES or flash=PERCENT%, ram=BYTES, "
                           "stack=LEVELS, swstack=BYTES, each once, joined by commas:";

struct FormCase {
  const char* name;
  std::vector<std::string> arguments;
  int status;
  std::string out; // "*": not compared
  std::string err;
};

const std::vector<FormCase> FORM_CASES = {
    {"the pull-request table of two builds",
     {"-r", "old.lst", "new.lst"},
     0,
     "<!-- vadrimel size report -->\n"
     "| | old | new | change | % |\n"
     "|:---|---:|---:|---:|---:|\n"
     "| program memory | 30 | 30 | +0 | +0.0% |\n"
     "| share of the part (100) | 30.0% | 30.0% | +0.0% | |\n"
     "| data memory | 4 | 4 | +0 | +0.0% |\n"
     "| return stack, of 31 levels | 1 | 1 | +0 | |\n"
     "| software stack, bytes | 0 | 0 | +0 | |\n"
     "\n"
     "<details><summary>0 files and 2 blocks changed</summary>\n"
     "\n"
     "| block | kind | file | old | new | change |\n"
     "|:---|:---|:---|---:|---:|---:|\n"
     "| `f\\|x` | code | `a.c` | 4 | 8 | +4 |\n"
     "| `main` | code | `a.c` | 16 | 12 | -4 |\n"
     "\n"
     "</details>\n",
     ""},
    {"blocks of every kind, compared in JSON",
     {"-s", "-j", "old.lst", "new.lst"},
     0,
     R"j({"old":{"listing":"old.lst","map":"old.map"},"new":{"listing":"new.lst","map":"new.map"},)j"
     R"j("program_memory":{"used":{"old":30,"new":30,"change":0},"size":{"old":100,"new":100,"change":0},)j"
     R"j("code":{"old":20,"new":20,"change":0},"strings":{"old":10,"new":10,"change":0},)j"
     R"j("rom_data":{"old":0,"new":0,"change":0},"initial_values":{"old":0,"new":0,"change":0},)j"
     R"j("config":{"old":0,"new":0,"change":0}},"data_memory":{"used":{"old":4,"new":4,"change":0},)j"
     R"j("variables":{"old":4,"new":4,"change":0},"stack":{"old":0,"new":0,"change":0}},)j"
     R"j("files":[{"file":"(section .stringtable)","flash":{"old":10,"new":10,"change":0}},)j"
     R"j({"file":"C:\\a.c","flash":{"old":20,"new":20,"change":0}}],)j"
     R"j("functions":[{"name":"f|x","file":"C:\\a.c","bytes":{"old":4,"new":8,"change":4}},)j"
     R"j({"name":"main","file":"C:\\a.c","bytes":{"old":16,"new":12,"change":-4}}],)j"
     R"j("blocks":[{"name":"f|x","file":"C:\\a.c","kind":"code","bytes":{"old":4,"new":8,"change":4}},)j"
     R"j({"name":"main","file":"C:\\a.c","kind":"code","bytes":{"old":16,"new":12,"change":-4}},)j"
     R"j({"name":"(section .stringtable)","file":"(section .stringtable)","kind":"strings",)j"
     R"j("bytes":{"old":10,"new":10,"change":0}}]})j"
     "\n",
     ""},
    {"-r of one build",
     {"-r", "new.lst"},
     1,
     "",
     "Fatal: a pull-request table compares two builds, one given:new.lst\n"},
    {"three builds named, as by a shell pattern",
     {"-H", "old.lst", "new.lst", "old.lst"},
     1,
     "",
     "Fatal: a report compares two builds at most, 3 named; name the old build, then the "
     "new:old.lst\n"},
    {"budgets kept", {"-s0", "-Lflash=30,ram=4,stack=1", "new.lst"}, 0, "*", ""},
    {"flash in bytes passed",
     {"-s0", "-Lflash=29", "new.lst"},
     1,
     "*",
     "Over budget: flash 30 bytes, 1 over the limit of 29:new.lst\n"},
    {"flash as a share of the part passed",
     {"-s0", "-Lflash=29.5%", "new.lst"},
     1,
     "*",
     "Over budget: flash 30 bytes (100 in the part), 1 over the limit of 29:new.lst\n"},
    {"ram passed, and the stack",
     {"-s0", "-Lram=3,stack=0", "new.lst"},
     1,
     "*",
     "Over budget: ram 4 bytes, 1 over the limit of 3:new.lst\n"
     "Over budget: return stack 1 levels, 1 over the limit of 0:new.lst\n"},
    {"-g checks the 31 levels", {"-g", "-Lflash=100", "new.lst"}, 0, "*", ""},
    {"limits that cannot be read",
     {"-s0", "-Lflash=lots", "new.lst"},
     1,
     "",
     "Fatal: can't read limits: flash takes a whole number" + LIMITS + "flash=lots\n"},
    {"nor an unknown one",
     {"-g", "-Lrom=3", "new.lst"},
     1,
     "",
     "Fatal: can't read limits: there is no limit named rom (names are written in lower "
     "case)" +
         LIMITS + "rom=3\n"},
    {"nor one in capitals",
     {"-s0", "-LFlash=95%", "new.lst"},
     1,
     "",
     "Fatal: can't read limits: there is no limit named Flash (names are written in "
     "lower "
     "case)" +
         LIMITS + "Flash=95%\n"},
    {"ram as a share",
     {"-s0", "-Lram=50%", "new.lst"},
     1,
     "",
     "Fatal: can't read limits: ram takes a number, not a share" + LIMITS + "ram=50%\n"},
    {"a share over 100",
     {"-s0", "-Lflash=200%", "new.lst"},
     1,
     "",
     "Fatal: can't read limits: a share of flash is a number of percent up to 100" +
         LIMITS + "flash=200%\n"},
    {"a comma with nothing after it",
     {"-s0", "-Lflash=10,", "new.lst"},
     1,
     "",
     "Fatal: can't read limits: a comma stands with no limit after it" + LIMITS +
         "flash=10,\n"},
    {"a limit given twice",
     {"-s0", "-Lram=10,flash=10,ram=20", "new.lst"},
     1,
     "",
     "Fatal: can't read limits: ram is given twice" + LIMITS +
         "ram=10,flash=10,ram=20\n"},
    {"a map alone: an assembly project's, a long section name, no data",
     {"-s3", "asm.map"},
     0,
     "map: asm.map\n\n"
     "   bytes   share  program memory\n"
     "      20   95.2%  code\n"
     "       1    4.8%  config\n"
     "      21  100.0%  total, 21.0% of 100\n\n"
     "   bytes   share  data memory\n"
     "       0    0.0%  total\n\n"
     "   flash     code      ram  source file\n"
     "      16       16        0  C:\\LCD.asm\n"
     "       4        4        0  C:\\codemon.asm\n"
     "       1        0        0  (section "
     ".config_300001_BUILD/DEFAULT/PRODUCTION/CODEMON)\n"
     "      21       20        0  total\n\n"
     "   bytes  function\n"
     "      16  loop  C:\\LCD.asm\n"
     "       4  start  C:\\codemon.asm\n",
     ""},
    {"two maps alone",
     {"-r", "old.map", "new.map"},
     0,
     "<!-- vadrimel size report -->\n"
     "| | old | new | change | % |\n"
     "|:---|---:|---:|---:|---:|\n"
     "| program memory | 30 | 30 | +0 | +0.0% |\n"
     "| share of the part (100) | 30.0% | 30.0% | +0.0% | |\n"
     "| data memory | 4 | 4 | +0 | +0.0% |\n"
     "\n"
     "<details><summary>0 files and 2 blocks changed</summary>\n"
     "\n"
     "| block | kind | file | old | new | change |\n"
     "|:---|:---|:---|---:|---:|---:|\n"
     "| `f\\|x` | code | `a.c` | 4 | 8 | +4 |\n"
     "| `main` | code | `a.c` | 16 | 12 | -4 |\n"
     "\n"
     "</details>\n",
     ""},
    {"a listing without its map against a map alone",
     {"-s", "bare/alone.lst", "new.map"},
     0,
     "map: none beside bare/alone.lst\n"
     "map: new.map\n\n"
     "     old      new   change  program memory\n"
     "       -       20        -  code\n"
     "       -       10        -  strings\n"
     "       -        0        -  rom data\n"
     "       -        0        -  initial values\n"
     "       -        0        -  config\n"
     "       -       30        -  total\n\n"
     "     old      new   change  data memory\n"
     "       -        4        -  variables\n"
     "       -        0        -  stack\n"
     "       -        4        -  total\n",
     ""},
    {"-g of a map alone",
     {"-g", "asm.map"},
     1,
     "",
     "Fatal: the calls are in the listing, not in the map; name the listing beside "
     "it:asm.map\n"},
    {"-a of a map alone: in a block and outside every block",
     {"-a", "asm.map", "0x22", "0x100"},
     1,
     "0x000022  loop+0x2  C:\\LCD.asm\n0x000100  not in the map\n",
     ""},
    {"the software stack",
     {"-s0", "-Lswstack=0", "bare/stack.lst"},
     1,
     "*",
     "Over budget: software stack 1 bytes, 1 over the limit of 0:bare/stack.lst\n"},
    {"ram without a map",
     {"-s0", "-Lram=10", "bare/alone.lst"},
     1,
     "*",
     "Over budget: no map tells the data memory used:bare/alone.lst\n"},
    {"against a build without its map, the new build's own map counts",
     {"-s", "-Lflash=29,ram=3", "bare/alone.lst", "new.lst"},
     1,
     "*",
     "Note: no map beside one listing, the listings compared alone:bare/alone.lst\n"
     "Over budget: flash 30 bytes, 1 over the limit of 29:new.lst\n"
     "Over budget: ram 4 bytes, 1 over the limit of 3:new.lst\n"},
    {"control characters shown as carets",
     {"-a", "bare/escape.lst", "0"},
     0,
     "0x000000  C:\\a^[]0;x^G.c:1: main(^[[31m);\n",
     ""},
    {"the newer build first",
     {"-s0", "dated/late.lst", "dated/early.lst"},
     0,
     "*",
     "Note: the first build was made after the second (Sat Jan 27 09:31:58 2024, Wed Nov "
     "22 "
     "11:26:51 2023); name the old build first:dated/late.lst\n"},
    {"the older build first", {"-s0", "dated/early.lst", "dated/late.lst"}, 0, "*", ""},
    {"-a checks no budgets",
     {"-a", "-Lflash=10", "new.lst", "0"},
     1,
     "",
     "Fatal: -a looks up addresses and checks no budgets: -L goes with -s, -g, -H or "
     "-r:-Lflash=10\n"},
};

TEST(ReportTest, FormsAndBudgets) {
  const fs::path folder = fs::temp_directory_path() /
                          ("vadrimel_forms_" + std::to_string(std::random_device{}()));
  fs::create_directories(folder);
  testing::write_file((folder / "old.lst").string(), small_listing("ec08"));
  testing::write_file((folder / "old.map").string(), small_map("000014"));
  testing::write_file((folder / "new.lst").string(), small_listing("ec08"));
  // Listings with no map beside them.
  fs::create_directories(folder / "bare");
  testing::write_file((folder / "bare" / "alone.lst").string(), small_listing("ec08"));
  // A name and a source line that would drive a terminal.
  testing::write_file(
      (folder / "bare" / "escape.lst").string(),
      HEADER + row("000000", "RETURN    0x0", "main(\x1b[31m);", "C:\\a\x1b]0;x\x07.c")
                   .replace(9, 4, "0012"));
  // Builds whose listings say when they were made.
  fs::create_directories(folder / "dated");
  for (const auto& [name, date] : {std::pair{"late.lst", "Sat Jan 27 09:31:58 2024"},
                                   std::pair{"early.lst", "Wed Nov 22 11:26:51 2023"}}) {
    testing::write_file(
        (folder / "dated" / name).string(),
        "MP2COD 5.00, COFF to COD File Converter\nListing File Generated: " +
            std::string(date) + "\n" + small_listing("ec08"));
  }
  // A byte pushed and popped.
  testing::write_file((folder / "bare" / "stack.lst").string(),
                      HEADER +
                          row("000000", "", "f();", "C:\\s.c").replace(9, 4, "6ee6") +
                          row("000002", "", "", "").replace(9, 4, "52e5") +
                          row("000004", "", "}", "C:\\s.c").replace(9, 4, "0012"));
  testing::write_file(
      (folder / "new.map").string(),
      small_map("000014").replace(small_map("000014").find("0x000010    program  "
                                                           "   extern C:\\a.c"),
                                  10, "0x00000c  "));
  testing::write_file(
      (folder / "asm.map").string(),
      map_of(
          {"                   .org_0       code   0x000000    program   0x000004",
           "                   .org_1       code   0x000020    program   0x000010",
           ".config_300001_BUILD/DEFAULT/PRODUCTION/CODEMON    romdata   0x300001    "
           "program   0x000001"},
          {"                    start   0x000000    program     static C:\\codemon.asm",
           "                     loop   0x000020    program     static C:\\LCD.asm"},
          "\n"));
  for (const FormCase& test : FORM_CASES) {
    std::vector<std::string> words = {"vadrimel"};
    for (const std::string& argument : test.arguments) {
      words.push_back(argument.ends_with(".lst") || argument.ends_with(".map")
                          ? (folder / argument).string()
                          : argument);
    }
    std::vector<const char*> arguments;
    for (const std::string& word : words) {
      arguments.push_back(word.c_str());
    }
    const testing::CapturedMessages out;
    const testing::CapturedMessages err;
    EXPECT_EQ(run_vadrimel(arguments, {stdin, out.file(), err.file()}), test.status)
        << test.name;
    const std::string prefix = (folder / "").string();
    std::string report = out.text();
    // The folder as text and as JSON writes it (a Windows path's backslashes
    // doubled).
    std::string json_prefix;
    for (const char character : prefix) {
      json_prefix += character == '\\' ? std::string("\\\\") : std::string(1, character);
    }
    for (const std::string& folder_text : {json_prefix, prefix}) {
      for (std::size_t at = report.find(folder_text); at != std::string::npos;
           at = report.find(folder_text)) {
        report.replace(at, folder_text.size(), "");
      }
    }
    // "*": the report, written in full whatever the budgets, is not the point.
    if (test.out != "*") {
      EXPECT_EQ(testing::difference(report, test.out), "") << test.name;
    }
    std::string messages = err.text();
    for (std::size_t at = messages.find(prefix); at != std::string::npos;
         at = messages.find(prefix)) {
      messages.replace(at, prefix.size(), "");
    }
    EXPECT_EQ(messages, test.err) << test.name;
  }
  fs::remove_all(folder);
}

// Rows as GitHub shows them: shares that are not zero never read as zero,
// a block's own name kept whole, cells valid UTF-8 whatever the listing.
TEST(PullRequestTableTest, CellsAndShares) {
  struct Case {
    std::uint64_t old_bytes;
    std::uint64_t new_bytes;
    std::string_view block;
    std::string_view owner;
    std::string_view out; // the end of the table
  };
  const Case cases[] = {
      {100000, 100000, "f", "C:\\a.c",
       "| +0 | +0.0% |\n\nNo file and no block changed.\n"},
      {100000, 100001, "f", "C:\\a.c", "| +1 | +0.001% |\n\n<details>"},
      {10, 12, "_c", "(section .config_BUILD/CODEMON)",
       "| `_c` | rom data | `(section .config_BUILD/CODEMON)` | 10 | 12 | +2 |"},
      {10, 12, "a\\|b", "C:\\a.c", "| `a\\\\\\|b` | rom data | `a.c` |"},
      {10, 12, "caf\xe9", "C:\\src\\a.c",
       "| `caf\xc3\xa9` | rom data | `a.c` | 10 | 12 | +2 |"},
  };
  for (const Case& test : cases) {
    BuildSizes old_build;
    BuildSizes new_build;
    old_build.listing_bytes = test.old_bytes;
    new_build.listing_bytes = test.new_bytes;
    old_build.blocks.push_back({test.block,
                                0,
                                test.old_bytes,
                                test.owner,
                                {},
                                MemoryKind::ROM_DATA,
                                test.owner});
    new_build.blocks.push_back({test.block,
                                0,
                                test.new_bytes,
                                test.owner,
                                {},
                                MemoryKind::ROM_DATA,
                                test.owner});
    const std::string table = pull_request_table(
        old_build, new_build, changes_of(old_build, new_build), {}, {});
    EXPECT_NE(table.find(test.out), std::string::npos) << table;
  }
}

// The software stack's row: a change only between two exact figures.
TEST(PullRequestTableTest, SoftwareStackRow) {
  struct Case {
    std::optional<std::int64_t> old_height;
    bool old_at_least;
    std::optional<std::int64_t> new_height;
    std::optional<std::uint64_t> size;
    std::string_view row;
  };
  const Case cases[] = {
      {5, false, 7, 192, "| software stack, of 192 bytes | 5 | 7 | +2 | |\n"},
      {5, true, 7, std::nullopt, "| software stack, bytes | >=5 | 7 |  | |\n"},
      {std::nullopt, false, 7, 192,
       "| software stack, of 192 bytes | unknown | 7 |  | |\n"},
  };
  CallGraph calls;
  calls.roots.push_back({"reset", 0});
  for (const Case& test : cases) {
    const auto stack = [&](std::optional<std::int64_t> height, bool at_least) {
      SoftwareStack software;
      software.roots.push_back({calls.roots[0], {height, height, 0, at_least}, {}});
      return software;
    };
    const SoftwareStack before = stack(test.old_height, test.old_at_least);
    const SoftwareStack after = stack(test.new_height, false);
    const BuildSizes sizes;
    const std::string table =
        pull_request_table(sizes, sizes, changes_of(sizes, sizes), {&calls, &before, 192},
                           {&calls, &after, test.size});
    EXPECT_NE(table.find(test.row), std::string::npos) << table;
  }
}

TEST(PullRequestTableTest, LongTablesAreCut) {
  BuildSizes old_build;
  BuildSizes new_build;
  std::vector<std::string> names;
  for (int file = 0; file < 400; ++file) {
    names.push_back("C:\\src\\file" + std::to_string(file) + ".c");
  }
  for (const std::string& name : names) {
    old_build.files.push_back({name, 10, 10, 0});
    new_build.files.push_back({name, 12, 12, 0});
  }
  const SizeChanges changes = changes_of(old_build, new_build);
  const std::string whole = pull_request_table(old_build, new_build, changes, {}, {});
  EXPECT_EQ(whole.find("left out"), std::string::npos);
  const std::string cut = pull_request_table(old_build, new_build, changes, {}, {}, 2000);
  EXPECT_LE(cut.size(), 2000U);
  EXPECT_NE(
      cut.find(" more rows left out: the comment would be too long.\n\n</details>\n"),
      std::string::npos);
  // Each row kept is one of the whole table's, in its order.
  const std::size_t kept = cut.find("\n\n", cut.find("|:---|---:"));
  EXPECT_EQ(whole.substr(0, kept), cut.substr(0, kept));
  EXPECT_TRUE(whole.starts_with("<!-- vadrimel size report -->\n"));
}

} // namespace
} // namespace vadrimel
