// Starts the built program on small listings and command lines and checks
// what a user sees: standard output, standard error, exit status and the
// bytes of every file.

#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "tests/test_support.h"

namespace vadrimel {
namespace {

namespace fs = std::filesystem;
using testing::printable;
using testing::read_file;
using testing::write_file;

const std::string USAGE = " ===== MPLINK .LST format converter =====\nUsage:\n"
                          "$ vadrimel [-m80] infile.lst outfile.txt\n\nOption:\n"
                          "  -m<MAXLENGTH>   set line max length\n\n";

struct Outcome {
  int status = -1;
  std::string out;
  std::string err;
};

/// Quotes any bytes but zero for the POSIX shell.
std::string shell_quoted(const std::string& text) {
  std::string quoted = "'";
  for (const char byte : text) {
    quoted += byte == '\'' ? std::string("'\\''") : std::string(1, byte);
  }
  return quoted + "'";
}

class EndToEndTest : public ::testing::Test {
protected:
  void SetUp() override {
    const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
    directory_ =
        fs::temp_directory_path() / (std::string("vadrimel_e2e_") + test->name());
    fs::remove_all(directory_);
    fs::create_directories(directory_);
    fs::current_path(directory_);
  }
  void TearDown() override {
    fs::current_path(fs::temp_directory_path());
    fs::remove_all(directory_);
  }

  /// Runs the program with `arguments` in the test's own directory. The
  /// command goes through a script file, so arguments of any length and any
  /// bytes but zero arrive exactly as given.
  static Outcome run(const std::vector<std::string>& arguments) {
    // A checker such as valgrind may be put in front of the program.
    const char* const wrapper = std::getenv("VADRIMEL_TEST_WRAPPER");
    std::string command = (wrapper != nullptr ? std::string(wrapper) + ' ' : "") +
                          shell_quoted(VADRIMEL_PROGRAM);
    for (const std::string& argument : arguments) {
      command += ' ' + shell_quoted(argument);
    }
    write_file("run.sh", command + " >stdout.bin 2>stderr.bin\n");
    const int raw = std::system("sh run.sh");
    Outcome outcome;
    outcome.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    outcome.out = read_file("stdout.bin");
    outcome.err = read_file("stderr.bin");
    fs::remove("run.sh");
    fs::remove("stdout.bin");
    fs::remove("stderr.bin");
    return outcome;
  }

  /// Runs the program and expects the given status and standard output, and
  /// nothing ever on standard error.
  static void expect_run(const std::vector<std::string>& arguments, int status,
                         const std::string& out) {
    const Outcome outcome = run(arguments);
    std::string shown;
    for (const std::string& argument : arguments) {
      shown += printable(argument.substr(0, 60)) + ' ';
    }
    EXPECT_EQ(outcome.status, status) << shown;
    EXPECT_EQ(printable(outcome.out), printable(out)) << shown;
    EXPECT_EQ(outcome.err, "") << shown;
  }

  static void expect_file(const std::string& path, const std::string& bytes) {
    ASSERT_TRUE(fs::exists(path)) << path;
    EXPECT_EQ(printable(read_file(path)), printable(bytes)) << path;
  }

private:
  fs::path directory_;
};

const std::string LISTING = "abc   C:\\src\\main.asm\r\n"
                            "def   C:\\src\\main.asm\r\n" +
                            std::string(100, 'x') +
                            " E:\\inc\\defs.inc\r\n"
                            "    \r\n"
                            "last line  \r\n";
const std::string UNCUT = "FILE:C:\\src\\main.asm\r\nabc\r\ndef\r\n"
                          "FILE:E:\\inc\\defs.inc\r\n" +
                          std::string(100, 'x') + "\r\n    \r\nlast line\r\n\r\n";
const std::string CUT_AT_40 = "FILE:C:\\src\\main.asm\r\nabc\r\ndef\r\n"
                              "FILE:E:\\inc\\defs.inc\r\n" +
                              std::string(40, 'x') + "\r\n    \r\nlast line\r\n\r\n";

TEST_F(EndToEndTest, ShortCommandLinesShowUsage) {
  const std::vector<std::vector<std::string>> short_lines = {
      {},
      {"in.lst"},
      {"-m80", "in.lst"},
      {"-m80", "-x", "in.lst"},
  };
  write_file("in.lst", LISTING);
  for (const auto& arguments : short_lines) {
    expect_run(arguments, 1, USAGE);
  }
  EXPECT_EQ(std::distance(fs::directory_iterator("."), fs::directory_iterator()), 1);
}

TEST_F(EndToEndTest, ConvertsWithAndWithoutCut) {
  write_file("in.lst", LISTING);
  expect_run({"in.lst", "out.txt"}, 0, "");
  expect_file("out.txt", UNCUT);
  expect_run({"-m40", "in.lst", "cut.txt"}, 0, "");
  expect_file("cut.txt", CUT_AT_40);
  expect_file("in.lst", LISTING);
}

TEST_F(EndToEndTest, MaxLengthSettings) {
  write_file("in.lst", LISTING);
  const std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
      {{"-m40"}, CUT_AT_40},
      {{"-m90", "-m40"}, CUT_AT_40},
      {{"-m296"}, CUT_AT_40},        // 296 = 256 + 40
      {{"-m4294967336"}, CUT_AT_40}, // 2^32 + 40
      {{"-m-216"}, CUT_AT_40},       // -216 + 256 = 40
      {{"-m 40xyz"}, CUT_AT_40},
      {{"-\xED"
        "40"},
       CUT_AT_40}, // 0xED & 0x7F is 'm'
      {{"-m31"}, UNCUT},
      {{"-m256"}, UNCUT},
      {{"-M40"}, UNCUT},
      {{"-x", "-"}, UNCUT},
      {{"-m-1"}, UNCUT},                       // 255: the longest chunk already fits
      {{"-m99999999999999999999"}, UNCUT},     // low 8 bits: 255
      {{"-m2147483647"}, UNCUT},               // the largest int: 255
      {{"-m2147483688"}, CUT_AT_40},           // 2^31 + 40
      {{"-m-2147483608"}, CUT_AT_40},          // -2^31 + 40
      {{"-m9223372036854775848"}, CUT_AT_40},  // 2^63 + 40
      {{"-m18446744073709551656"}, CUT_AT_40}, // 2^64 + 40
  };
  for (const auto& [options, expected] : cases) {
    std::vector<std::string> arguments = options;
    arguments.insert(arguments.end(), {"in.lst", "out.txt"});
    expect_run(arguments, 0, "");
    expect_file("out.txt", expected);
  }
}

TEST_F(EndToEndTest, NumberAsItsOwnArgumentBecomesTheInput) {
  write_file("80", "x C:\\a\n");
  expect_run({"-m", "80", "in.lst", "out.txt"}, 0, "");
  expect_file("in.lst", "FILE:C:\\a\r\nx\r\n\r\n");
  EXPECT_FALSE(fs::exists("out.txt"));
}

TEST_F(EndToEndTest, OptionAfterTheFirstFileNameIsAFileName) {
  write_file("in.lst", "a");
  expect_run({"in.lst", "-m80", "out.txt"}, 0, "");
  expect_file("-m80", "a\r\n");
  EXPECT_FALSE(fs::exists("out.txt"));
}

TEST_F(EndToEndTest, EveryOptionLetterCode) {
  write_file("in.lst", std::string(100, 'y') + "\n");
  const std::string uncut = std::string(100, 'y') + "\r\n\r\n";
  const std::string cut = std::string(40, 'y') + "\r\n\r\n";
  for (int code = 1; code < 256; ++code) {
    const std::string option = std::string("-") + static_cast<char>(code) + "40";
    expect_run({option, "in.lst", "out.txt"}, 0, "");
    expect_file("out.txt", (code & 0x7F) == 'm' ? cut : uncut);
  }
}

TEST_F(EndToEndTest, EmptyAndLineFeedEndedInputs) {
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"", "\r\n"},
      {"\r\r", "\r\n"},
      {"a\n", "a\r\n\r\n"},
      {"a", "a\r\n"},
      {std::string(255, 'z') + "\n", std::string(255, 'z') + "\r\n\r\n\r\n"},
  };
  for (const auto& [input, expected] : cases) {
    write_file("in.lst", input);
    expect_run({"in.lst", "out.txt"}, 0, "");
    expect_file("out.txt", expected);
  }
}

TEST_F(EndToEndTest, MissingInputCreatesNothing) {
  expect_run({"missing.lst", "out.txt"}, 1, "Fatal: can't open file:missing.lst\n");
  EXPECT_FALSE(fs::exists("out.txt"));
  expect_run({"", "out.txt"}, 1, "Fatal: can't open file:\n");
  EXPECT_FALSE(fs::exists("out.txt"));
}

TEST_F(EndToEndTest, DirectoryAsInputLeavesOutputAlone) {
  fs::create_directory("dir");
  write_file("out.txt", "keep");
  expect_run({"dir", "out.txt"}, 1, "Fatal: can't open file:dir\n");
  expect_file("out.txt", "keep");
}

TEST_F(EndToEndTest, OutputThatCannotBeCreated) {
  write_file("in.lst", "a\n");
  fs::create_directory("dir");
  expect_run({"in.lst", "dir"}, 1, "Fatal: can't create file:dir\n");
  expect_run({"in.lst", "no/such/dir/out.txt"}, 1,
             "Fatal: can't create file:no/such/dir/out.txt\n");
  expect_run({"in.lst", ""}, 1, "Fatal: can't create file:\n");
}

TEST_F(EndToEndTest, ExistingOutputIsReplaced) {
  write_file("in.lst", "new\n");
  write_file("out.txt", std::string(1000, 'o'));
  expect_run({"in.lst", "out.txt"}, 0, "");
  expect_file("out.txt", "new\r\n\r\n");
}

TEST_F(EndToEndTest, SameFileIsRefusedAndKept) {
  write_file("in.lst", LISTING);
  fs::create_hard_link("in.lst", "hard.lst");
  fs::create_symlink("in.lst", "soft.lst");
  const std::vector<std::string> spellings = {"in.lst", "./in.lst", "hard.lst",
                                              "soft.lst",
                                              (fs::current_path() / "in.lst").string()};
  for (const std::string& output : spellings) {
    expect_run({"in.lst", output}, 1,
               "Fatal: input and output are the same file:" + output + "\n");
    expect_file("in.lst", LISTING);
  }
  expect_run({"soft.lst", "in.lst"}, 1,
             "Fatal: input and output are the same file:in.lst\n");
  expect_file("in.lst", LISTING);
}

TEST_F(EndToEndTest, DevicesAreNotTheSameFile) {
  write_file("in.lst", LISTING);
  expect_run({"in.lst", "/dev/null"}, 0, "");
  expect_run({"/dev/null", "out.txt"}, 0, "");
  expect_file("out.txt", "\r\n");
}

TEST_F(EndToEndTest, FullDiskIsAFailure) {
  write_file("in.lst", LISTING);
  expect_run({"in.lst", "/dev/full"}, 1, "Fatal: can't write file:/dev/full\n");
  // Large enough to fail in the middle of the run, not only at the end.
  write_file("big.lst", std::string(1U << 20U, 'b'));
  expect_run({"-m80", "big.lst", "/dev/full"}, 1, "Fatal: can't write file:/dev/full\n");
}

TEST_F(EndToEndTest, UnreadableInputIsAFailure) {
  expect_run({"/proc/self/mem", "out.txt"}, 1, "Fatal: can't read file:/proc/self/mem\n");
  expect_file("out.txt", "\r\n");
}

TEST_F(EndToEndTest, LongFileNamesAreUsedWhole) {
  // A path of more than 255 characters that the system accepts: nested
  // directories, each name within the limit of one name.
  std::string nested = ".";
  for (int level = 0; level < 5; ++level) {
    nested += "/" + std::string(100, static_cast<char>('a' + level));
  }
  fs::create_directories(nested);
  const std::string input = nested + "/in.lst";
  const std::string output = nested + "/out.txt";
  ASSERT_GT(output.size(), 500U);
  write_file(input, "a C:\\x\n");
  expect_run({input, output}, 0, "");
  expect_file(output, "FILE:C:\\x\r\na\r\n\r\n");

  const std::string long_name(100000, 'n');
  expect_run({long_name, "out.txt"}, 1, "Fatal: can't open file:" + long_name + "\n");
  expect_run({input, long_name}, 1, "Fatal: can't create file:" + long_name + "\n");
  const std::string long_option = "-m" + std::string(100000, '9');
  expect_run({long_option, input, "out.txt"}, 0, "");
  expect_file("out.txt", "FILE:C:\\x\r\na\r\n\r\n");
}

} // namespace
} // namespace vadrimel
