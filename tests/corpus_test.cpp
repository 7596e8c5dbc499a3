// Converts every real listing in the corpus folder beside the project, when
// it is there, and checks what must hold of any conversion of real data.

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <iterator>
#include <map>
#include <memory>
#include <optional>
#include <random>
#include <regex>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include "conversion_support.h"
#include "driver/convert_listing.h"
#include "driver/program.h"
#include "listing/code_row.h"
#include "listing/listing_table.h"
#include "model/build.h"
#include "model/pic18/pic18_instruction.h"
#include "model/read_build.h"
#include "reports/build_sizes.h"
#include "reports/size_changes.h"
#include "test_support.h"

namespace vadrimel {
namespace {

namespace fs = std::filesystem;
using testing::convert_stream;
using testing::MemorySink;
using testing::MemorySource;
using testing::printable;

std::vector<fs::path> corpus_listings() {
  std::vector<fs::path> listings;
  std::error_code error;
  for (fs::recursive_directory_iterator it(VADRIMEL_CORPUS_DIR, error), end;
       !error && it != end; it.increment(error)) {
    if (it->path().extension() == ".lst") {
      listings.push_back(it->path());
    }
  }
  return listings;
}

/// The output cut into records; fails the test if it does not end in CR LF
/// or holds a CR or LF anywhere else.
std::vector<std::string> split_records(const std::string& output) {
  std::vector<std::string> records;
  std::size_t start = 0;
  while (start < output.size()) {
    const std::size_t end = output.find("\r\n", start);
    if (end == std::string::npos) {
      ADD_FAILURE() << "output does not end in CR LF";
      break;
    }
    records.push_back(output.substr(start, end - start));
    EXPECT_EQ(records.back().find_first_of("\r\n"), std::string::npos)
        << "stray CR or LF in " << printable(records.back());
    start = end + 2;
  }
  return records;
}

/// The listing as the reader must cut it: lines split at LF, CRs gone, every
/// 255 characters a new piece (so a line of exactly 255 leaves an empty one).
std::vector<std::string> expected_pieces(const std::string& listing) {
  std::vector<std::string> pieces;
  std::string line;
  for (const char byte : listing) {
    if (byte == '\r') {
      continue;
    }
    if (byte == '\n') {
      pieces.push_back(line);
      line.clear();
      continue;
    }
    line += byte;
    if (line.size() == 255) {
      pieces.push_back(line);
      line.clear();
    }
  }
  pieces.push_back(line);
  return pieces;
}

bool only_spaces(std::string_view text) {
  return text.find_first_not_of(' ') == std::string_view::npos;
}

/// Walks the pieces and the records side by side: each piece gives an
/// optional "FILE:" record for a path that changed, then a line record that
/// is the piece without its path and trailing spaces.
void check_records_follow_pieces(const std::vector<std::string>& pieces,
                                 const std::vector<std::string>& records) {
  std::string current_path;
  std::size_t next = 0;
  for (const std::string& piece : pieces) {
    std::string text = piece;
    const std::size_t space = piece.rfind(' ');
    const std::string path = space == std::string::npos ? "" : piece.substr(space + 1);
    if (path.size() >= 2 && std::isupper(static_cast<unsigned char>(path[0])) != 0 &&
        path[1] == ':') {
      text.resize(space);
      if (path != current_path) {
        current_path = path;
        ASSERT_LT(next, records.size());
        ASSERT_EQ(records[next++], "FILE:" + current_path) << printable(piece);
      }
    }
    ASSERT_LT(next, records.size());
    const std::string& line = records[next++];
    ASSERT_EQ(text.compare(0, line.size(), line), 0)
        << printable(line) << " is not the start of " << printable(piece);
    EXPECT_TRUE(only_spaces(text.substr(line.size()))) << printable(piece);
    EXPECT_TRUE(line.empty() || line.back() != ' ' || only_spaces(line))
        << printable(line);
  }
  EXPECT_EQ(next, records.size()) << "records left over";
}

/// A cut run writes the same records, each line record cut to `max_length`.
void check_cut_records(const std::vector<std::string>& uncut,
                       const std::vector<std::string>& cut, std::size_t max_length) {
  ASSERT_EQ(cut.size(), uncut.size());
  for (std::size_t index = 0; index < cut.size(); ++index) {
    if (uncut[index].starts_with("FILE:")) {
      EXPECT_EQ(cut[index], uncut[index]);
      continue;
    }
    EXPECT_LE(cut[index].size(), max_length) << printable(cut[index]);
    EXPECT_TRUE(uncut[index].starts_with(cut[index])) << printable(cut[index]);
  }
}

/// What -p must make of a listing whose lines all fit MAX_HELD_LINE_LENGTH.
std::string reference_whole_line_output(const std::string& listing) {
  std::string output;
  std::string current_path;
  std::string line;
  const auto convert_line = [&] {
    EXPECT_LE(line.size(), MAX_HELD_LINE_LENGTH);
    std::string rest = line;
    const std::size_t path_start = testing::reference_path_start(line, current_path);
    if (path_start != std::string::npos) {
      rest = line.substr(0, path_start - 1);
      if (line.substr(path_start) != current_path) {
        current_path = line.substr(path_start);
        output += "FILE:" + current_path + "\r\n";
      }
    }
    for (std::size_t start = 0;; start += 255) {
      std::string piece = rest.substr(start, 255);
      const bool full = piece.size() == 255;
      piece.erase(piece.find_last_not_of(' ') + 1);
      output += piece + "\r\n";
      if (!full) {
        break;
      }
    }
    line.clear();
  };
  for (const char byte : listing) {
    if (byte == '\n') {
      convert_line();
    } else if (byte != '\r') {
      line += byte;
    }
  }
  convert_line();
  return output;
}

/// Every listing of the corpus, or the test skipped visibly when there is
/// none; and a scratch file for the output.
class CorpusTest : public ::testing::Test {
protected:
  void SetUp() override {
    listings_ = corpus_listings();
    if (listings_.empty()) {
      if (testing::data_required()) {
        FAIL() << "no listings in " << VADRIMEL_CORPUS_DIR << " (CI=true)";
      }
      GTEST_SKIP() << "skipped: no listings in " << VADRIMEL_CORPUS_DIR;
    }
  }
  void TearDown() override { fs::remove(scratch_); }

  std::vector<fs::path> listings_;
  const fs::path scratch_ =
      fs::temp_directory_path() /
      ("vadrimel_corpus_test_" + std::to_string(std::random_device{}()) + ".txt");
};

TEST_F(CorpusTest, RealListingsConvertFaithfully) {
  const fs::path& scratch = scratch_;
  for (const fs::path& listing : listings_) {
    SCOPED_TRACE(listing.filename().string());
    const std::string bytes = testing::read_file(listing.string());
    // The uncut run goes through the real files, as the program does.
    ASSERT_EQ(convert_listing(listing.string(), scratch.string(), {}, *allocate_run({}),
                              stdout),
              0);
    const std::vector<std::string> uncut =
        split_records(testing::read_file(scratch.string()));
    for (const std::string& record : uncut) {
      EXPECT_LE(record.size(), record.starts_with("FILE:") ? 5U + 254U : 255U);
    }
    check_records_follow_pieces(expected_pieces(bytes), uncut);

    MemorySource source(bytes);
    MemorySink sink;
    convert_stream(source, sink, 80);
    check_cut_records(uncut, split_records(sink.written()), 80);
  }
}

TEST_F(CorpusTest, WholeLinePathsOnRealListings) {
  const fs::path& scratch = scratch_;
  for (const fs::path& listing : listings_) {
    SCOPED_TRACE(listing.filename().string());
    const std::string bytes = testing::read_file(listing.string());
    ASSERT_EQ(bytes.find('\0'), std::string::npos);
    ASSERT_EQ(convert_listing(listing.string(), scratch.string(), {},
                              *allocate_run({.line_scope = LineScope::WHOLE_LINE}),
                              stdout),
              0);
    const std::string output = testing::read_file(scratch.string());
    ASSERT_EQ(testing::difference(output, reference_whole_line_output(bytes)), "");
    const std::vector<std::string> uncut = split_records(output);
    std::vector<std::string> relative_paths;
    for (const std::string& record : uncut) {
      if (record.starts_with("FILE:") && record.find(':', 5) == std::string::npos) {
        relative_paths.push_back(record.substr(5));
      }
      EXPECT_TRUE(record.starts_with("FILE:") || record.size() <= 255);
      EXPECT_TRUE(record.empty() || record.back() != ' ') << printable(record);
    }
    // No line keeps a relative path at its end.
    for (const std::string& record : uncut) {
      for (const std::string& path : relative_paths) {
        EXPECT_FALSE(!record.starts_with("FILE:") && record.ends_with(path))
            << printable(record);
      }
    }
    MemorySource source(bytes, 4096);
    MemorySink sink;
    convert_stream(source, sink, 80, LineScope::WHOLE_LINE);
    check_cut_records(uncut, split_records(sink.written()), 80);
  }
}

/// The characters that are neither white space nor a record's end, in order.
std::string visible_characters(const std::string& text) {
  std::string visible;
  std::copy_if(text.begin(), text.end(), std::back_inserter(visible), [](char byte) {
    return byte != ' ' && byte != '\t' && byte != '\r' && byte != '\n';
  });
  return visible;
}

TEST_F(CorpusTest, TabsAndWrapOnRealListings) {
  for (const fs::path& listing : listings_) {
    SCOPED_TRACE(listing.filename().string());
    const std::string bytes = testing::read_file(listing.string());
    const auto convert = [&bytes](const ConversionOptions& options) {
      MemorySource source(bytes, 4096);
      MemorySink sink;
      convert_stream(source, sink, options);
      return sink.written();
    };
    ConversionOptions options = {.line_scope = LineScope::WHOLE_LINE};
    const std::string plain = convert(options);
    options.max_length = 80;
    options.tab_size = 8;
    for (const std::string& record : split_records(convert(options))) {
      if (!record.starts_with("FILE:")) {
        EXPECT_LE(record.size(), 80U) << printable(record);
        EXPECT_EQ(record.find('\t'), std::string::npos) << printable(record);
      }
    }
    options.wrap = true;
    // Every record fits, every continuation is marked, and without the marks
    // nothing is lost.
    std::string wrapped;
    std::size_t continuations = 0;
    const std::vector<std::string> records = split_records(convert(options));
    for (std::string record : records) {
      EXPECT_TRUE(record.starts_with("FILE:") || record.size() <= 80U)
          << printable(record);
      if (record.starts_with(std::string(41, ' ') + "+ ")) {
        ++continuations;
        record[41] = ' ';
      }
      wrapped += record + "\n";
    }
    // The column header and its rule are cut, not wrapped: left out here.
    const auto without_header = [](const std::string& text) {
      std::string kept;
      std::istringstream lines(text);
      for (std::string line; std::getline(lines, line);) {
        if (!is_column_header(line)) {
          kept += line + "\n";
        }
      }
      return kept;
    };
    EXPECT_EQ(testing::difference(visible_characters(without_header(wrapped)),
                                  visible_characters(without_header(plain))),
              "");
    // Each line is one record and a marked one for each continuation.
    const std::string whole =
        convert({.line_scope = LineScope::WHOLE_LINE, .tab_size = 8, .wrap = true});
    EXPECT_EQ(records.size() - continuations, split_records(whole).size())
        << "a continuation not marked";
  }
}

/// What the program prints to standard output for `arguments`, in the
/// process, and its status.
std::pair<std::string, int> report(std::vector<std::string> words) {
  words.insert(words.begin(), "vadrimel");
  std::vector<const char*> arguments;
  for (const std::string& word : words) {
    arguments.push_back(word.c_str());
  }
  const testing::CapturedMessages out;
  const int status = run_vadrimel(arguments, {stdin, out.file(), stderr});
  return {out.text(), status};
}

/// The listing's lines that start with the address and value columns.
std::size_t code_lines(const std::string& listing) {
  std::size_t count = 0;
  for (std::size_t start = 0; start < listing.size();) {
    const std::size_t end = std::min(listing.find('\n', start), listing.size());
    const std::string_view line(listing.data() + start, end - start);
    const auto hex = [&line](std::size_t from, std::size_t size) {
      return std::all_of(
          line.begin() + static_cast<std::ptrdiff_t>(from),
          line.begin() + static_cast<std::ptrdiff_t>(from + size),
          [](char c) { return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'); });
    };
    count += line.size() >= 13 && hex(0, 6) && line.substr(6, 3) == "   " && hex(9, 4) &&
             (line.size() == 13 || line[13] == ' ' || line[13] == '\r');
    start = end + 1;
  }
  return count;
}

/// A copy of `listing` in a scratch folder of its own, where no map lies
/// beside it.
class ListingAlone {
public:
  explicit ListingAlone(const fs::path& listing)
      : folder_(fs::temp_directory_path() /
                ("vadrimel_alone_" + std::to_string(std::random_device{}()))),
        path_(folder_ / listing.filename()) {
    fs::create_directories(folder_);
    fs::copy_file(listing, path_);
  }
  ListingAlone(const ListingAlone&) = delete;
  ListingAlone& operator=(const ListingAlone&) = delete;
  ~ListingAlone() {
    std::error_code error;
    fs::remove_all(folder_, error);
  }
  [[nodiscard]] std::string path() const { return path_.string(); }

private:
  fs::path folder_;
  fs::path path_;
};

TEST_F(CorpusTest, SizeReportsAddUpOnRealListings) {
  for (const fs::path& original : listings_) {
    SCOPED_TRACE(original.filename().string());
    const ListingAlone alone(original);
    const fs::path listing = alone.path();
    const auto [sizes, status] = report({"-s0", listing.string()});
    if (original.parent_path().filename() == "negative-mpasm") {
      // An assembler's listing is no linker listing: no table at all.
      EXPECT_EQ(status, 1);
      EXPECT_EQ(sizes, "");
      continue;
    }
    ASSERT_EQ(status, 0);
    const std::size_t total = sizes.rfind('\n', sizes.size() - 2) + 1;
    EXPECT_EQ(std::stoull(sizes.substr(total)),
              2 * code_lines(testing::read_file(listing.string())));
    EXPECT_EQ(report({"-s", listing.string(), listing.string()}).first,
              "     old      new   change  source file\n" + sizes.substr(total, 8) + " " +
                  sizes.substr(total, 8) + "       +0  total\n");
  }
}

/// The figures the firmware's own source confirms, where those listings are.
TEST_F(CorpusTest, ReportsGiveTheFirmwaresOwnFigures) {
  const std::string history = std::string(VADRIMEL_CORPUS_DIR) + "/history/";
  const std::string a4eb6a9 = history + "evilmad-eggbot-2023-10-16-a4eb6a9.lst";
  const std::string app = "D:\\Projects\\EggBot1-GH\\EBB_firmware\\";
  EXPECT_EQ(report({"-a", a4eb6a9, "0x001000", "0x6d32", "0x7a50"}),
            std::make_pair("0x001000  _reset+0x0  " + app +
                               "app.X\\source\\main.c:128: _asm goto _startup _endasm\n"
                               "0x006d32  USBDeviceInit+0x22  " +
                               app +
                               "Microchip\\USB\\usb_device.c:492: "
                               "for(i=0;i<(sizeof(BDT)/sizeof(BDT_ENTRY));i++)\n"
                               "0x007a50  __string_26+0x2  " +
                               app + "app.X\\source\\ebb.c\n",
                           0));
  // The map's own figures, and the largest functions.
  const std::string with_map = report({"-s2", a4eb6a9}).first;
  EXPECT_NE(with_map.find("\n   33268  100.0%  total, 52.4% of 63498\n"),
            std::string::npos);
  EXPECT_NE(with_map.find("\n   bytes  function\n"
                          "    2838  high_ISR  " +
                          app +
                          "app.X\\source\\ebb.c:466\n"
                          "    1530  parse_packet  " +
                          app + "app.X\\source\\UBW.c:1214\n"),
            std::string::npos);
  EXPECT_NE(report({"-s1", a4eb6a9})
                .first.find("\n   bytes  source line\n     660  " + app +
                            "app.X\\source\\UBW.c:1325: switch (command)\n"),
            std::string::npos);
  const ListingAlone boot(std::string(VADRIMEL_CORPUS_DIR) +
                          "/fransschreuder-usbpicprog-bootlloader_02.lst");
  EXPECT_NE(report({"-s0", boot.path()})
                .first.find("     552   32.8%  G:\\USBPICPROG-SVN\\Boot\\sys\\boot.c\n"),
            std::string::npos);
  // ebb.c's lines, counted in each build as the listing numbers them.
  const std::vector<std::pair<std::string, std::uint64_t>> builds = {
      {"2023-10-16-a4eb6a9", 3964},
      {"2023-10-17-9bee11a", 3996},
      {"2023-11-22-5caed29", 3996},
      {"2024-01-27-5e1d5be", 4462}};
  for (const auto& [build, lines] : builds) {
    ListingTable source_lines;
    MemorySource source(testing::read_file(history + "evilmad-eggbot-" + build + ".lst"));
    testing::read_table(source, source_lines);
    const auto ebb = source_lines.files().find(app + "app.X\\source\\ebb.c");
    ASSERT_NE(ebb, source_lines.files().end()) << build;
    EXPECT_EQ(ebb->second.lines, lines) << build;
  }
}

/// The number after `key` in a JSON document.
std::uint64_t json_number(const std::string& json, const std::string& key) {
  const std::size_t at = json.find("\"" + key + "\":");
  return at == std::string::npos ? ~std::uint64_t{0}
                                 : std::stoull(json.substr(at + key.size() + 3));
}

TEST_F(CorpusTest, MapsNameEveryByte) {
  std::size_t pairs = 0;
  std::vector<std::string> documents;
  for (const fs::path& listing : listings_) {
    fs::path map = listing;
    if (!fs::exists(map.replace_extension(".map"))) {
      continue;
    }
    ++pairs;
    SCOPED_TRACE(listing.filename().string());
    // The kinds add up to the map's own count of program bytes.
    const auto [json, status] = report({"-s0", "-j", listing.string()});
    ASSERT_EQ(status, 0);
    std::uint64_t kinds = 0;
    for (const char* kind : {"code", "strings", "rom_data", "initial_values", "config"}) {
      kinds += json_number(json, kind);
    }
    EXPECT_EQ(kinds, json_number(json, "used"));
    // The map alone is the same build, less what only the listing knows: the
    // same memory, files and functions, the functions placed in their files.
    const auto [alone, alone_status] = report({"-s0", "-j", map.string()});
    ASSERT_EQ(alone_status, 0);
    const auto between = [](const std::string& document, const char* from,
                            const char* to) {
      const std::size_t start = document.find(from);
      return document.substr(start, document.find(to, start) - start);
    };
    EXPECT_EQ(between(alone, "\"program_memory\"", "\"functions\""),
              between(json, "\"program_memory\"", "\"functions\""));
    const std::regex function_row(R"("name":("[^"]*"),"address":(\d+),.*?"bytes":(\d+))");
    const auto functions = [&function_row](const std::string& document) {
      std::vector<std::string> rows;
      for (std::sregex_iterator it(document.begin(), document.end(), function_row), end;
           it != end; ++it) {
        rows.push_back((*it)[1].str() + " " + (*it)[2].str() + " " + (*it)[3].str());
      }
      return rows;
    };
    EXPECT_EQ(functions(alone), functions(json));
    EXPECT_GT(functions(alone).size(), 10U);
    const std::string text = report({"-s", listing.string()}).first;
    EXPECT_NE(text.find(" total, "), std::string::npos);
    // A build against itself changes nothing.
    const std::string same = report({"-s", listing.string(), listing.string()}).first;
    for (std::size_t at = same.find(" +"); at != std::string::npos;
         at = same.find(" +", at + 1)) {
      EXPECT_EQ(same.substr(at, 3), " +0") << same.substr(at > 40 ? at - 40 : 0, 60);
    }
    EXPECT_EQ(same.find(" -"), std::string::npos);
    // Every form of the JSON, parsed below.
    for (const std::vector<std::string>& words :
         {std::vector<std::string>{"-s3", "-j", listing.string()},
          {"-s", "-j", listing.string(), listing.string()},
          {"-a", "-j", listing.string(), "0", "1000", "7a50", "ffffff"}}) {
      documents.push_back(scratch_.string() + std::to_string(documents.size()) + ".json");
      testing::write_file(documents.back(), report(words).first);
    }
  }
  EXPECT_EQ(pairs, 13U);
#ifndef _WIN32
  std::string parse =
      "python3 -c 'import json, sys\nfor name in sys.argv[1:]: json.load(open(name))'";
  for (const std::string& document : documents) {
    parse += " " + document;
  }
  EXPECT_EQ(std::system(parse.c_str()), 0);
#endif
  for (const std::string& document : documents) {
    fs::remove(document);
  }
}

TEST_F(CorpusTest, BlockRowsAddUpToTheirFilesChange) {
  const std::string history =
      std::string(VADRIMEL_CORPUS_DIR) + "/history/evilmad-eggbot-";
  const std::vector<std::string> builds = {"2023-10-16-a4eb6a9", "2023-10-17-9bee11a",
                                           "2023-11-22-5caed29", "2024-01-27-5e1d5be"};
  LineSource lines(LineScope::CHUNK);
  std::vector<std::unique_ptr<Build>> read;
  std::vector<BuildSizes> sizes;
  for (const std::string& build : builds) {
    BuildNeeds needs;
    needs.block_places = true;
    read.push_back(std::make_unique<Build>(needs));
    ASSERT_FALSE(read_build(history + build + ".lst", nullptr, lines, *read.back()));
    sizes.push_back(sizes_of(*read.back()));
  }
  for (std::size_t index = 1; index < builds.size(); ++index) {
    SCOPED_TRACE(builds[index]);
    const SizeChanges changes = changes_of(sizes[index - 1], sizes[index]);
    std::map<std::string, std::pair<std::uint64_t, std::uint64_t>> by_file;
    for (const SizeChange& block : changes.blocks) {
      by_file[block.file].first += block.old_bytes;
      by_file[block.file].second += block.new_bytes;
    }
    std::size_t changed = 0;
    for (const SizeChange& file : changes.files) {
      EXPECT_EQ(by_file[file.name], std::make_pair(file.old_bytes, file.new_bytes))
          << file.name;
      changed += file.magnitude() != 0 ? 1 : 0;
    }
    EXPECT_GT(changed, 0U);
  }
}

#ifndef _WIN32
TEST_F(CorpusTest, WhatADiffOfTwoBuildsLeavesIsTheChange) {
  // Lines of `diff` between the -d conversions of consecutive EggBot builds:
  // before the string and folder masks 347 and 331, before every masked
  // operand had one width 229 and 173.
  const std::string history =
      std::string(VADRIMEL_CORPUS_DIR) + "/history/evilmad-eggbot-";
  const std::vector<std::tuple<std::string, std::string, double>> pairs = {
      {"2023-10-16-a4eb6a9", "2023-10-17-9bee11a", 205},
      {"2023-10-17-9bee11a", "2023-11-22-5caed29", 145}};
  for (const auto& [old_build, new_build, lines] : pairs) {
    std::vector<std::string> texts;
    for (const std::string& build : {old_build, new_build}) {
      MemorySource source(testing::read_file(history + build + ".lst"));
      MemorySink sink;
      convert_stream(source, sink,
                     {.line_scope = LineScope::WHOLE_LINE, .mask_build_noise = true});
      texts.push_back(scratch_.string() + build);
      testing::write_file(texts.back(), sink.written());
    }
    const std::string counted = scratch_.string() + ".count";
    ASSERT_EQ(std::system(("diff " + texts[0] + " " + texts[1] + " | grep -c '^[<>]' > " +
                           counted)
                              .c_str()),
              0);
    const double changed = std::stod(testing::read_file(counted));
    EXPECT_NEAR(changed, lines, lines / 10) << old_build << " " << new_build;
    for (const std::string& file : {texts[0], texts[1], counted}) {
      fs::remove(file);
    }
  }
}
#endif

/// The code rows of a listing: address, word and disassembly.
class CodeRows final : public ListingTable {
public:
  struct Row {
    std::uint64_t address;
    std::uint16_t value;
    std::string disassembly;
  };
  std::vector<Row> rows;
  std::map<std::uint64_t, std::uint16_t> words;

private:
  void take_code(const CodeRow& row, const SourceLine& /*line*/) override {
    rows.push_back({row.address, row.value, std::string(row.disassembly())});
    words.emplace(row.address, row.value);
  }
};

TEST_F(CorpusTest, CallsAndTheReturnStackOnRealListings) {
  std::size_t checked = 0;
  std::size_t disagreeing = 0;
  for (const fs::path& listing : listings_) {
    if (listing.parent_path().filename() == "negative-mpasm") {
      continue;
    }
    // The targets the decoder reads from the words are the ones the
    // disassembly prints.
    CodeRows code;
    MemorySource source(testing::read_file(listing.string()));
    testing::read_table(source, code);
    for (const CodeRows::Row& row : code.rows) {
      const std::size_t operand = row.disassembly.find("0x");
      const std::string mnemonic = row.disassembly.substr(0, row.disassembly.find(' '));
      const Pic18Instruction decoded =
          decode_pic18(row.value, row.address,
                       code.words.contains(row.address + 2)
                           ? std::optional<std::uint16_t>(code.words.at(row.address + 2))
                           : std::nullopt);
      if (operand == std::string::npos ||
          (decoded.flow != Flow::CALL && decoded.flow != Flow::JUMP &&
           decoded.flow != Flow::BRANCH)) {
        continue;
      }
      ++checked;
      if (std::stoull(row.disassembly.substr(operand), nullptr, 16) != decoded.target) {
        ++disagreeing;
      }
    }
  }
  EXPECT_GT(checked, 10000U);
  // Where MP2COD lists a called block's first word between the two words of
  // a CALL, its second word is another's.
  EXPECT_LE(disagreeing, 10U);
  const std::string history = std::string(VADRIMEL_CORPUS_DIR) + "/history/";
  const auto [eggbot, status] =
      report({"-g", history + "evilmad-eggbot-2023-10-16-a4eb6a9.lst"});
  EXPECT_EQ(status, 0);
  EXPECT_NE(
      eggbot.find(
          "\nreturn stack: 38 of 31 levels at worst (reset 29, high interrupt 1 + "
          "4, low interrupt 1 + 3)\nsoftware stack: at least 102 of 192 bytes at worst "
          "(reset 85, high interrupt 6, low interrupt 11)\n\ndeepest from reset, 29 "
          "levels:\n   1  main  "),
      std::string::npos);
  EXPECT_NE(eggbot.find("\n  29  __pa_5  "), std::string::npos);
  // The frames the firmware's source gives: a __pa_ prologue and five byte
  // locals and three argument bytes; and so on down the deepest chain.
  for (const char* level :
       {"\n       0       9  ProcessIO  ", "\n      16      21  parse_CK_packet  ",
        "\n      37      13  extract_number  "}) {
    EXPECT_NE(eggbot.find(level), std::string::npos) << level;
  }
  // With any budget, -g holds the calls to the 31 levels, in every form.
  for (const char* form : {"-g", "-H", "-j"}) {
    EXPECT_EQ(report({"-g", form, "-Lflash=99%",
                      history + "evilmad-eggbot-2023-10-16-a4eb6a9.lst"})
                  .second,
              1)
        << form;
  }
  const ListingAlone camera(std::string(VADRIMEL_CORPUS_DIR) +
                            "/chopshop166-frc2006-camera.lst");
  EXPECT_TRUE(report({"-g", camera.path()})
                  .first.starts_with("return stack: 15 of 31 levels at "
                                     "worst (reset 12, "));
#ifndef _WIN32
  const std::string document = scratch_.string() + ".json";
  testing::write_file(
      document,
      report({"-g", "-j", history + "evilmad-eggbot-2023-10-16-a4eb6a9.lst"}).first);
  EXPECT_EQ(
      std::system(
          ("python3 -c 'import json, sys\nd = json.load(open(sys.argv[1]))\n"
           "assert d[\"worst_case\"] == 38 and len(d[\"roots\"][0][\"chain\"]) == 29' " +
           document)
              .c_str()),
      0);
  fs::remove(document);
#endif
}

} // namespace
} // namespace vadrimel
