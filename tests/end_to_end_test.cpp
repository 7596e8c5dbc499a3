// Starts the built program on small listings and command lines and checks
// what a user sees: standard output, standard error, exit status and the
// bytes of every file.

#include <gtest/gtest.h>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <process.h>
#include <sys/stat.h>
#include <windows.h>
#else
#include <sys/wait.h>
#endif

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>
#include <tuple>
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

#ifdef _WIN32

constexpr bool ON_WINDOWS = true;
constexpr const char* NULL_DEVICE = "NUL";

/// Quotes an argument so that the C runtime's command-line parsing gives it
/// back unchanged: backslashes count only in front of a double quote.
std::string command_line_quoted(const std::string& text) {
  std::string quoted = "\"";
  std::size_t backslashes = 0;
  for (const char byte : text) {
    if (byte == '\\') {
      ++backslashes;
      continue;
    }
    quoted.append(byte == '"' ? backslashes * 2 + 1 : backslashes, '\\');
    backslashes = 0;
    quoted += byte;
  }
  quoted.append(backslashes * 2, '\\');
  return quoted + "\"";
}

/// UTF-16 for the wide-character command line, by the system's own converter.
std::wstring widen(const std::string& utf8) {
  const int size = MultiByteToWideChar(CP_UTF8, 0, utf8.data(),
                                       static_cast<int>(utf8.size()), nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(size), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), wide.data(),
                      size);
  return wide;
}

/// Runs a command line in `folder` (null: this process's own) with this
/// process's whole environment, which the C runtime's spawn functions leave
/// the drives' current directories out of; standard output and error go to the
/// named files. Returns the exit status.
int run_in_folder(std::wstring command_line, const wchar_t* folder, const char* out,
                  const char* err, const char* in = nullptr, DWORD creation_flags = 0) {
  SECURITY_ATTRIBUTES inherited{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
  const auto create = [&](const char* name) {
    return CreateFileW(widen(name).c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherited,
                       CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  };
  HANDLE const out_file = create(out);
  HANDLE const err_file = create(err);
  HANDLE const in_file =
      in == nullptr
          ? GetStdHandle(STD_INPUT_HANDLE)
          : CreateFileW(widen(in).c_str(), GENERIC_READ, FILE_SHARE_READ, &inherited,
                        OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = in_file;
  startup.hStdOutput = out_file;
  startup.hStdError = err_file;
  PROCESS_INFORMATION process{};
  DWORD status = 255;
  if (CreateProcessW(nullptr, command_line.data(), nullptr, nullptr, TRUE, creation_flags,
                     nullptr, folder, &startup, &process) != 0) {
    // A program that waits for what never comes fails the test rather than
    // stopping it.
    if (WaitForSingleObject(process.hProcess, 60000) == WAIT_TIMEOUT) {
      TerminateProcess(process.hProcess, 254);
      WaitForSingleObject(process.hProcess, INFINITE);
    }
    GetExitCodeProcess(process.hProcess, &status);
    CloseHandle(process.hProcess);
    CloseHandle(process.hThread);
  }
  CloseHandle(out_file);
  CloseHandle(err_file);
  if (in != nullptr) {
    CloseHandle(in_file);
  }
  return static_cast<int>(status);
}

/// Runs the program with arguments already quoted, its standard output and
/// error in the named files; returns its exit status.
int spawn_program(const std::vector<std::wstring>& quoted, const char* out,
                  const char* err, const char* in = nullptr) {
  std::wstring command_line;
  for (const std::wstring& each : quoted) {
    command_line += (command_line.empty() ? L"" : L" ") + each;
  }
  return run_in_folder(command_line, nullptr, out, err, in);
}

std::wstring long_form(const std::string& absolute) {
  return L"\\\\?\\" + widen(absolute);
}

/// What a folder holds but "." and ".."; `folder` is in the long form.
std::vector<WIN32_FIND_DATAW> entries_of(const std::wstring& folder) {
  std::vector<WIN32_FIND_DATAW> entries;
  WIN32_FIND_DATAW data;
  HANDLE const search = FindFirstFileW((folder + L"\\*").c_str(), &data);
  for (bool more = search != INVALID_HANDLE_VALUE; more;
       more = FindNextFileW(search, &data) != 0) {
    const std::wstring_view name = data.cFileName;
    if (name != L"." && name != L"..") {
      entries.push_back(data);
    }
  }
  FindClose(search);
  return entries;
}

/// Removes a folder and all it holds; `folder` is in the long form.
void remove_tree(const std::wstring& folder) {
  for (const WIN32_FIND_DATAW& entry : entries_of(folder)) {
    const std::wstring path = folder + L"\\" + entry.cFileName;
    if ((entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
      remove_tree(path);
    } else {
      DeleteFileW(path.c_str());
    }
  }
  RemoveDirectoryW(folder.c_str());
}

int start_program(const std::vector<std::string>& arguments, const char* out,
                  const char* err, const char* in) {
  std::vector<std::wstring> quoted = {widen(command_line_quoted(VADRIMEL_PROGRAM))};
  for (const std::string& argument : arguments) {
    quoted.push_back(widen(command_line_quoted(argument)));
  }
  return spawn_program(quoted, out, err, in);
}

#else

constexpr bool ON_WINDOWS = false;
constexpr const char* NULL_DEVICE = "/dev/null";

/// Quotes any bytes but zero for the POSIX shell.
std::string shell_quoted(const std::string& text) {
  std::string quoted = "'";
  for (const char byte : text) {
    quoted += byte == '\'' ? std::string("'\\''") : std::string(1, byte);
  }
  return quoted + "'";
}

/// The shell command that runs the program with `arguments`.
std::string program_command(const std::vector<std::string>& arguments) {
  // A checker such as valgrind may be put in front of the program.
  const char* const wrapper = std::getenv("VADRIMEL_TEST_WRAPPER");
  std::string command = (wrapper != nullptr ? std::string(wrapper) + ' ' : "") +
                        shell_quoted(VADRIMEL_PROGRAM);
  for (const std::string& argument : arguments) {
    command += ' ' + shell_quoted(argument);
  }
  return command;
}

/// Runs a shell script; returns its exit status, -1 when a signal ended it.
/// A script file carries arguments of any length and any bytes but zero
/// exactly as given.
int run_script(const std::string& script) {
  write_file("run.sh", script + "\n");
  const int raw = std::system("sh run.sh");
  fs::remove("run.sh");
  return WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
}

/// Runs the program with its standard output and error in the named files,
/// and its standard input from one when named; returns its exit status.
int start_program(const std::vector<std::string>& arguments, const char* out,
                  const char* err, const char* in) {
  return run_script(program_command(arguments) + " >" + out + " 2>" + err +
                    (in != nullptr ? std::string(" <") + in : ""));
}

#endif

class EndToEndTest : public ::testing::Test {
protected:
  void SetUp() override {
    const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
    // Unique, so that runs from several build trees at once keep apart.
    directory_ =
        fs::temp_directory_path() / ("vadrimel_e2e_" + std::string(test->name()) + "_" +
                                     std::to_string(std::random_device{}()));
    fs::remove_all(directory_);
    fs::create_directories(directory_);
    fs::current_path(directory_);
  }
  void TearDown() override {
    fs::current_path(fs::temp_directory_path());
    fs::remove_all(directory_);
  }

  /// Runs the program with `arguments` in the test's own directory, its
  /// standard input from the file `in` when named.
  static Outcome run(const std::vector<std::string>& arguments,
                     const char* in = nullptr) {
    Outcome outcome;
    outcome.status = start_program(arguments, "stdout.bin", "stderr.bin", in);
    outcome.out = read_file("stdout.bin");
    outcome.err = read_file("stderr.bin");
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

  /// `name` is UTF-8 on every system.
  static void expect_file(const std::string& name, const std::string& bytes) {
    ASSERT_TRUE(fs::exists(testing::path_of(name))) << printable(name);
    EXPECT_EQ(testing::difference(read_file(testing::path_of(name)), bytes), "")
        << printable(name);
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

TEST_F(EndToEndTest, WholeLinePathsOnlyWithP) {
  write_file("in.lst", "abc   C:\\My Code\\a.c\r\n" + std::string(120, ' ') + "\r\n" +
                           std::string(250, 'x') + " D:\\p\\q.c\r\n");
  const std::string before = "abc   C:\\My Code\\a.c\r\n" + std::string(120, ' ') +
                             "\r\nFILE:D:\\p\r\n" + std::string(250, 'x') +
                             "\r\n\\q.c\r\n\r\n";
  const std::string after = "FILE:C:\\My Code\\a.c\r\nabc\r\n\r\nFILE:D:\\p\\q.c\r\n" +
                            std::string(40, 'x') + "\r\n\r\n";
  expect_run({"in.lst", "out.txt"}, 0, "");
  expect_file("out.txt", before);
  expect_run({"-m40", "-p", "in.lst", "out.txt"}, 0, "");
  expect_file("out.txt", after);
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
    if (ON_WINDOWS && options.front()[1] == '\xED') {
      continue; // a byte beyond ASCII does not cross a Windows command line intact
    }
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

TEST_F(EndToEndTest, AnOptionAfterTheFileNamesIsRefusedButAfterDashes) {
  write_file("in.lst", "a");
  expect_run({"in.lst", "-m80", "out.txt"}, 1,
             "Fatal: options go before the file names:-m80\n");
  EXPECT_FALSE(fs::exists("-m80"));
  EXPECT_FALSE(fs::exists("out.txt"));
  // After "--" every word is a name.
  expect_run({"--", "in.lst", "-m80", "out.txt"}, 0, "");
  expect_file("-m80", "a\r\n");
  EXPECT_FALSE(fs::exists("out.txt"));
}

TEST_F(EndToEndTest, EveryOptionLetterCode) {
  write_file("in.lst", std::string(100, 'y') + "\n");
  const std::string uncut = std::string(100, 'y') + "\r\n\r\n";
  const std::string cut = std::string(40, 'y') + "\r\n\r\n";
  // A Windows command line carries printable ASCII intact; a POSIX one any
  // byte but zero.
  const int first = ON_WINDOWS ? ' ' : 1;
  const int last = ON_WINDOWS ? '~' : 255;
  for (int code = first; code <= last; ++code) {
    const std::string option = std::string("-") + static_cast<char>(code) + "40";
    if ((code & 0x7F) == 'b') {
      // Every name a listing: out.txt is its own output.
      expect_run({option, "in.lst", "out.txt"}, 1,
                 "Fatal: input and output are the same file:out.txt\n");
      expect_file("in.txt", uncut);
      continue;
    }
    if ((code & 0x7F) == 'c') {
      // Both names are listings, converted to standard output.
      fs::remove("out.txt");
      const Outcome outcome = run({option, "in.lst", "out.txt"});
      EXPECT_EQ(outcome.status, 1);
      EXPECT_EQ(outcome.out, uncut);
      EXPECT_EQ(outcome.err, "Fatal: can't open file:out.txt\n");
      continue;
    }
    const char letter = static_cast<char>(code & 0x7F);
    if (letter == 's' || letter == 'a' || letter == 'g' || letter == 'H' ||
        letter == 'r') {
      // Reports: two builds compared (as a page or a table too), addresses
      // looked up in in.lst, which is no linker listing; -g follows one
      // listing, and refuses a second name before reading any.
      const bool sizes = letter != 'a';
      const Outcome outcome = run({option, "in.lst", "out.txt"});
      EXPECT_EQ(outcome.status, 1);
      EXPECT_EQ(outcome.out, "");
      EXPECT_EQ(outcome.err,
                letter == 'g'
                    ? "Fatal: -g reports on one listing, 2 named; name the one to follow:"
                      "out.txt\n"
                    : std::string(sizes ? "" : "Fatal: not an address:out.txt\n") +
                          "Fatal: not a linker listing:in.lst\n");
      continue;
    }
    expect_run({option, "in.lst", "out.txt"}, 0, "");
    const bool lf = (code & 0x7F) == 'l';
    expect_file("out.txt", (code & 0x7F) == 'm' ? cut
                           : lf                 ? std::string(100, 'y') + "\n\n"
                                                : uncut);
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

struct OverwriteCase {
  const char* name;
  std::vector<std::string> arguments;
  int status;
  std::string message;
};

TEST_F(EndToEndTest, ExistingListingsAreNotOverwritten) {
  const std::string converted = "FILE:C:\\a\r\nx\r\n\r\n";
  const std::vector<OverwriteCase> cases = {
      {"a.lst", {"in.lst", "a.lst"}, 1, "Fatal: won't overwrite listing file:a.lst\n"},
      {"B.LST", {"in.lst", "B.LST"}, 1, "Fatal: won't overwrite listing file:B.LST\n"},
      {"c.Lst",
       {"-p", "in.lst", "c.Lst"},
       1,
       "Fatal: won't overwrite listing file:c.Lst\n"},
      {"-F is not -f",
       {"-F", "in.lst", "a.lst"},
       1,
       "Fatal: won't overwrite listing file:a.lst\n"},
      {"a shell glob",
       {"-p", "in.lst", "a.lst", "B.LST"},
       1,
       "Fatal: won't overwrite listing file:a.lst\n"},
      {"swapped names",
       {"out.txt", "in.lst"},
       1,
       "Fatal: won't overwrite listing file:in.lst\n"},
      {"a number taken for a name",
       {"-m", "80", "in.lst", "out.txt"},
       1,
       "Fatal: won't overwrite listing file:in.lst\n"},
      {"a new listing is created", {"in.lst", "new.lst"}, 0, ""},
      {"-f overwrites", {"-f", "in.lst", "a.lst"}, 0, ""},
  };
  for (const OverwriteCase& test : cases) {
    SCOPED_TRACE(test.name);
    const std::vector<std::string> listings = {"in.lst", "a.lst", "B.LST", "c.Lst"};
    for (const std::string& name : listings) {
      write_file(name, "x C:\\a\n");
    }
    write_file("out.txt", "text");
    write_file("80", "8 C:\\b\n");
    fs::remove("new.lst");
    expect_run(test.arguments, test.status, test.message);
    const std::string written = test.status == 0 ? test.arguments.back() : "";
    for (const std::string& name : listings) {
      expect_file(name, name == written ? converted : "x C:\\a\n");
    }
    expect_file("out.txt", "text");
    if (written == "new.lst") {
      expect_file("new.lst", converted);
    }
  }
}

TEST_F(EndToEndTest, ListingNamesThatAreNotFilesBehaveAsBefore) {
  write_file("in.lst", "a\n");
  fs::create_directory("dir.lst");
  expect_run({"in.lst", "dir.lst"}, 1, "Fatal: can't create file:dir.lst\n");
  expect_run({"in.lst", "in.lst"}, 1,
             "Fatal: input and output are the same file:in.lst\n");
  expect_run({"missing.lst", "in.lst"}, 1, "Fatal: can't open file:missing.lst\n");
  expect_file("in.lst", "a\n");
}

TEST_F(EndToEndTest, HelpAndVersion) {
  const std::string version = std::string("vadrimel ") + VADRIMEL_VERSION + "\n";
  const std::vector<std::vector<std::string>> help_lines = {
      {"--help"},       {"-h"},           {"-m80", "-h"},
      {"-V", "--help"}, {"-h", "in.lst"}, {"-b", "-h", "in.lst"}};
  for (const auto& arguments : help_lines) {
    const Outcome outcome = run(arguments);
    EXPECT_EQ(outcome.status, 0) << arguments.front();
    EXPECT_TRUE(outcome.out.starts_with(std::string("vadrimel ") + VADRIMEL_VERSION));
    for (const char* option :
         {"-m<MAXLENGTH>", "-p ", "-f ", "-h, --help",
          ON_WINDOWS ? "vadrimel.html" : "More in the manual: man vadrimel\n"}) {
      EXPECT_NE(outcome.out.find(option), std::string::npos) << option;
    }
    EXPECT_EQ(outcome.err, "");
  }
  for (const auto& arguments : std::vector<std::vector<std::string>>{
           {"-V"}, {"--version"}, {"-h", "-V"}, {"-p", "--version", "in.lst"}}) {
    expect_run(arguments, 0, version);
  }
  for (const auto& arguments : std::vector<std::vector<std::string>>{
           {"-hx"}, {"-help"}, {"--versions"}, {"-v"}, {"-m80", "in.lst"}}) {
    expect_run(arguments, 1, USAGE);
  }
  write_file("in.lst", "a\n");
  expect_run({"-h", "-V", "in.lst", "out.txt"}, 0, "");
  expect_file("out.txt", "a\r\n\r\n");
}

#ifndef _WIN32
// These need a POSIX shell and its tools.
TEST_F(EndToEndTest, ClosedPipeAndFileSizeLimitAreWriteFailures) {
  // Far more output than a pipe holds.
  write_file("big.lst", std::string(1U << 20U, 'b'));
  const std::string program = program_command({"big.lst", "/dev/stdout"});
  EXPECT_EQ(run_script("{ " + program + "; echo $? >status; } | head -c10 >/dev/null"),
            0);
  EXPECT_EQ(read_file("status"), "1\n");
  ASSERT_EQ(run_script("mkfifo out.fifo && (head -c10 out.fifo >/dev/null &)"), 0);
  expect_run({"big.lst", "out.fifo"}, 1, "Fatal: can't write file:out.fifo\n");
  const int limited =
      run_script("ulimit -f 100; " + program_command({"big.lst", "out.txt"}) +
                 " >stdout.bin 2>stderr.bin");
  EXPECT_EQ(limited, 1);
  EXPECT_EQ(read_file("stdout.bin"), "Fatal: can't write file:out.txt\n");
  EXPECT_EQ(read_file("stderr.bin"), "");
}

// A pipe with no writer or a device that never ends, as a listing, as -M's
// map or as the map beside the listing: refused before it is opened.
TEST_F(EndToEndTest, MapsAndListingsThatAreNotFilesAreNeverRead) {
  write_file("app.lst", "MP2COD 5.00, COFF to COD File Converter\n"
                        "Address  Value    Disassembly              Source\n"
                        "000000   0012     RETURN    0x0            main();  C:\\a.c\n");
  ASSERT_EQ(run_script("mkfifo app.map && mkfifo other.fifo"), 0);
  const std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
      {{"-s", "app.lst"}, "app.map"},
      {{"-s", "-Mother.fifo", "app.lst"}, "other.fifo"},
      {{"-g", "-M/dev/zero", "app.lst"}, "/dev/zero"},
      {{"-s", "/dev/zero"}, "/dev/zero"},
      {{"-H", "/dev/urandom"}, "/dev/urandom"},
      {{"-r", "other.fifo", "app.lst"}, "other.fifo"},
  };
  for (const auto& [arguments, name] : cases) {
    const Outcome outcome = run(arguments);
    EXPECT_EQ(outcome.status, 1) << arguments[1];
    EXPECT_EQ(outcome.out, "") << arguments[1];
    EXPECT_EQ(outcome.err, "Fatal: not a regular file:" + name + "\n") << arguments[1];
  }
}

TEST_F(EndToEndTest, BlockDeviceAsBothFilesIsRefused) {
  write_file("image", LISTING + std::string(4096 - LISTING.size(), ' '));
  if (run_script("losetup -f --show image >device 2>/dev/null") != 0) {
    GTEST_SKIP() << "skipped: no loop device can be made here (needs root)";
  }
  const std::string device =
      read_file("device").substr(0, read_file("device").find('\n'));
  // A second node of the same device, under another name.
  const bool second_node =
      run_script("mknod node b $(stat -c '0x%t 0x%T' " + device + ")") == 0;
  expect_run({device, device}, 1,
             "Fatal: input and output are the same file:" + device + "\n");
  if (second_node) {
    expect_run({device, "node"}, 1, "Fatal: input and output are the same file:node\n");
  }
  expect_run({device, NULL_DEVICE}, 0, "");
  EXPECT_EQ(run_script("cmp -s image " + device), 0);
  EXPECT_EQ(run_script("losetup -d " + device), 0);
  expect_file("image", LISTING + std::string(4096 - LISTING.size(), ' '));
}
#endif

TEST_F(EndToEndTest, ManyListingsWithB) {
  const std::vector<std::pair<std::string, std::string>> listings = {
      {"one.lst", LISTING},
      {"TWO.LST", "abc   C:\\My Code\\a.c\r\n" + std::string(120, ' ') + "\r\n"},
      {"dir.d/three", std::string(300, 'x') + " D:\\p q\\r.c\n"},
  };
  fs::create_directory("dir.d");
  for (const auto& [name, bytes] : listings) {
    write_file(name, bytes);
  }
  for (const std::vector<std::string>& options :
       {std::vector<std::string>{}, {"-p", "-m40"}}) {
    // What the two-name form makes of each.
    std::vector<std::string> expected;
    for (const auto& listing : listings) {
      std::vector<std::string> arguments = options;
      arguments.insert(arguments.end(), {listing.first, "single.txt"});
      expect_run(arguments, 0, "");
      expected.push_back(read_file("single.txt"));
    }
    std::vector<std::string> arguments = options;
    arguments.insert(arguments.begin(), "-b");
    arguments.insert(arguments.end(),
                     {"one.lst", "missing.lst", "TWO.LST", "dir.d/three"});
    expect_run(arguments, 1, "Fatal: can't open file:missing.lst\n");
    expect_file("one.txt", expected[0]);
    expect_file("TWO.txt", expected[1]);
    expect_file("dir.d/three.txt", expected[2]);
    for (const auto& [name, bytes] : listings) {
      expect_file(name, bytes);
    }
  }
  expect_run({"-b", "one.lst", "TWO.LST"}, 0, "");
  const std::string converted = read_file("one.txt");
  expect_run({"-b", "one.txt", "one.lst"}, 1,
             "Fatal: input and output are the same file:one.txt\n"
             "Fatal: won't overwrite a file named or written by this command:one.txt\n");
  expect_file("one.txt", converted);
  expect_file("one.lst", LISTING);
  expect_run({"-b"}, 1, USAGE);
}

struct StreamCase {
  std::vector<std::string> arguments;
  const char* in;
  int status;
  std::string out;
  std::string err;
};

TEST_F(EndToEndTest, StandardOutputAndInputWithC) {
  write_file("in.lst", LISTING);
  fs::create_directory("dir");
  std::string lf_only = UNCUT;
  for (std::size_t at = lf_only.find('\r'); at != std::string::npos;
       at = lf_only.find('\r', at)) {
    lf_only.erase(at, 1);
  }
  const std::vector<StreamCase> cases = {
      {{"-c", "in.lst"}, nullptr, 0, UNCUT, ""},
      {{"-c", "-m40"}, "in.lst", 0, CUT_AT_40, ""},
      {{"-c", "-l", "-b"}, "in.lst", 0, lf_only, ""},
      {{"-c", "in.lst", "missing.lst", "in.lst"},
       nullptr,
       1,
       UNCUT + UNCUT,
       "Fatal: can't open file:missing.lst\n"},
      {{"-c", "dir"}, nullptr, 1, "", "Fatal: can't open file:dir\n"},
  };
  for (const StreamCase& test : cases) {
    const Outcome outcome = run(test.arguments, test.in);
    EXPECT_EQ(outcome.status, test.status) << test.arguments.back();
    EXPECT_EQ(testing::difference(outcome.out, test.out), "") << test.arguments.back();
    EXPECT_EQ(outcome.err, test.err) << test.arguments.back();
  }
  // Asked for help with no listing, -c gives it rather than read the console.
  EXPECT_TRUE(run({"-c", "-h"}, "in.lst").out.starts_with("vadrimel "));
  expect_file("in.lst", LISTING);
}

#ifndef _WIN32
TEST_F(EndToEndTest, StandardStreamFailuresWithC) {
  write_file("in.lst", LISTING);
  write_file("big.lst", std::string(1U << 20U, 'b'));
  fs::create_directory("dir");
  // The command and where its output goes, then its status and standard
  // error.
  const std::vector<std::tuple<std::string, std::string, int, std::string>> cases = {
      {program_command({"-c", "in.lst"}) + " >>in.lst", "", 1,
       "Fatal: input and output are the same file:(standard output)\n"},
      {program_command({"-c"}) + " <in.lst >>in.lst", "", 1,
       "Fatal: input and output are the same file:(standard output)\n"},
      {program_command({"-c", "in.lst"}) + " >/dev/full", "", 1,
       "Fatal: can't write file:(standard output)\n"},
      {program_command({"-c"}) + " <dir", " >out", 1,
       "Fatal: can't read file:(standard input)\n"},
      // Started with standard output closed, the listing would be opened in
      // its place.
      {program_command({"-c", "in.lst"}) + " >&-", "", 1,
       "Fatal: can't write file:(standard output)\n"},
      {program_command({"-s", "in.lst"}) + " >&-", "", 1,
       "Fatal: can't write file:(standard output)\n"},
      // A reader that has had enough is no failure worth a message.
      {program_command({"-c", "big.lst", "big.lst"}), " | head -c10 >/dev/null", 1, ""},
      // Once the reader has gone, no further listing is even opened.
      {program_command({"-c", "big.lst", "missing.lst"}), " | head -c10 >/dev/null", 1,
       ""},
      // Help and version are output: failing to deliver them is a failure.
      {program_command({"-h"}) + " >/dev/full", "", 1, ""},
      {program_command({"--version"}) + " >&-", "", 1, ""},
  };
  for (const auto& [command, output, status, err] : cases) {
    EXPECT_EQ(run_script("{ " + command + "; echo $? >status; } 2>err" + output), 0)
        << command;
    EXPECT_EQ(read_file("status"), std::to_string(status) + "\n") << command;
    EXPECT_EQ(read_file("err"), err) << command;
  }
  // Nothing is written before standard input proves readable.
  EXPECT_EQ(read_file("out"), "");
  expect_file("in.lst", LISTING);
}

// In a folder whose absolute name is longer than the system resolves, the
// guards still look at the names given and follow links by hand.
TEST_F(EndToEndTest, DeepFolderKeepsTheGuards) {
  const std::string level(200, 'd');
  constexpr int LEVELS = 25;
  for (int depth = 0; depth < LEVELS; ++depth) {
    fs::create_directory(level);
    fs::current_path(level);
  }
  const std::string listing = "l C:\\l\n";
  write_file("a.lst", listing);
  write_file("b.lst", "keep\n");
  fs::create_symlink("b.lst", "out.txt");
  expect_run({"a.lst", "b.lst"}, 1, "Fatal: won't overwrite listing file:b.lst\n");
  expect_run({"a.lst", "out.txt"}, 1, "Fatal: won't overwrite listing file:out.txt\n");
  expect_run({"a.lst", "./a.lst"}, 1,
             "Fatal: input and output are the same file:./a.lst\n");
  expect_file("a.lst", listing);
  expect_file("b.lst", "keep\n");
  expect_run({"a.lst", "a.txt"}, 0, "");
  expect_file("a.txt", "FILE:C:\\l\r\nl\r\n\r\n");
  // The folders go from the deepest up, each by a name the system takes.
  for (int depth = 0; depth < LEVELS; ++depth) {
    for (const auto& entry : fs::directory_iterator(".")) {
      fs::remove(entry.path());
    }
    fs::current_path("..");
    fs::remove(level);
  }
}

// git shows any file through a converter named in its configuration: the
// README's recipe, on two consecutive builds of one firmware.
TEST_F(EndToEndTest, GitDiffThroughTheConverter) {
  const std::string history = std::string(VADRIMEL_CORPUS_DIR) + "/history/";
  const std::string before = history + "evilmad-eggbot-2023-10-17-9bee11a.lst";
  const std::string after = history + "evilmad-eggbot-2023-11-22-5caed29.lst";
  if (!fs::exists(before) || !fs::exists(after) ||
      run_script("git --version >/dev/null") != 0) {
    if (testing::data_required()) {
      FAIL() << "needs git and the listings in " << history << " (CI=true)";
    }
    GTEST_SKIP() << "skipped: needs git and the listings in " << history;
  }
  const std::string git = "git -c user.name=t -c user.email=t@t -c core.autocrlf=false ";
  ASSERT_EQ(run_script("git init -q repo && cd repo && cp '" + before + "' app.lst && " +
                       git + "add app.lst && " + git + "commit -qm 1 && cp '" + after +
                       "' app.lst && " + git +
                       "commit -qam 2 && echo '*.lst diff=listing' >.gitattributes && " +
                       "git config diff.listing.textconv \"" + VADRIMEL_PROGRAM +
                       " -c -d -t -l\""),
            0);
  ASSERT_EQ(run_script("cd repo && git diff HEAD~1 >../converted.diff && "
                       "git diff --no-textconv HEAD~1 >../plain.diff"),
            0);
  const std::string converted = read_file("converted.diff");
  EXPECT_NE(converted.find("\n+                  MOVLW     0x1                if ((~("
                           "PortBTemp ^ gLimitSwitchTarget)) & gLimitSwitchMask & "
                           "!bittstzero(gLimitSwitchTriggered))\n"),
            std::string::npos);
  EXPECT_EQ(converted.find('\r'), std::string::npos);
  // With -t no line keeps a trailing tab, which git marks as a white-space
  // error.
  EXPECT_EQ(converted.find("\t\n"), std::string::npos);
  EXPECT_GE(read_file("plain.diff").size(), 50 * converted.size());
}
#endif

TEST_F(EndToEndTest, ExistingOutputIsReplaced) {
  write_file("in.lst", "new\n");
  write_file("out.txt", std::string(1000, 'o'));
  expect_run({"in.lst", "out.txt"}, 0, "");
  expect_file("out.txt", "new\r\n\r\n");
}

TEST_F(EndToEndTest, SameFileIsRefusedAndKept) {
  write_file("in.lst", LISTING);
  const std::vector<std::string> spellings = {"in.lst", "./in.lst",
                                              (fs::current_path() / "in.lst").string()};
  for (const std::string& output : spellings) {
    expect_run({"in.lst", output}, 1,
               "Fatal: input and output are the same file:" + output + "\n");
    expect_file("in.lst", LISTING);
  }
}

TEST_F(EndToEndTest, NamesBeyondAscii) {
  const std::vector<std::pair<std::string, std::string>> names = {
      {"列表 ü.lst", "输出 ü.txt"},
      {"Отчёт.lst", "Вывод.txt"},
      {"😀 listing.lst", "😀 out.txt"},
  };
  for (const auto& [input, output] : names) {
    write_file(testing::path_of(input), LISTING);
    expect_run({input, output}, 0, "");
    expect_file(output, UNCUT);
  }
  expect_run({"😀 missing.lst", "out.txt"}, 1, "Fatal: can't open file:😀 missing.lst\n");
  expect_run({"Отчёт.lst", "нет/out.txt"}, 1, "Fatal: can't create file:нет/out.txt\n");
  expect_run({"Отчёт.lst", "./Отчёт.lst"}, 1,
             "Fatal: input and output are the same file:./Отчёт.lst\n");
  expect_file("Отчёт.lst", LISTING);
}

TEST_F(EndToEndTest, LongPathThroughNamesBeyondAscii) {
  std::string nested = ".";
  for (int level = 0; level < 12; ++level) {
    nested += "/Отчёты за год — папка номер " + std::to_string(level);
  }
  fs::create_directories(testing::path_of(nested));
  const std::string input = nested + "/列表.lst";
  const std::string output = nested + "/输出.txt";
  ASSERT_GT(testing::path_of(output).u16string().size(), 300U);
  write_file(testing::path_of(input), LISTING);
  expect_run({input, output}, 0, "");
  expect_file(output, UNCUT);
  const auto absolute = [](const std::string& name) {
    const std::u8string path = fs::absolute(testing::path_of(name)).u8string();
    return std::string(path.begin(), path.end());
  };
  expect_run({"-m40", absolute(input), absolute(output)}, 0, "");
  expect_file(output, CUT_AT_40);
  expect_run({input, absolute(input)}, 1,
             "Fatal: input and output are the same file:" + absolute(input) + "\n");
  expect_file(input, LISTING);
#ifdef _WIN32
  // The C runtime's removal cannot reach so deep; the system's own calls can,
  // through the long form.
  const fs::path top =
      fs::absolute(testing::path_of(nested.substr(0, nested.find('/', 2))));
  remove_tree(L"\\\\?\\" + top.lexically_normal().make_preferred().wstring());
#endif
}

TEST_F(EndToEndTest, SameFileByLetterCase) {
  if (!ON_WINDOWS) {
    GTEST_SKIP() << "skipped: letter case tells files apart on this system";
  }
  write_file("same.lst", LISTING);
  write_file(testing::path_of("Отчёт.lst"), LISTING);
  expect_run({"same.lst", "SAME.LST"}, 1,
             "Fatal: input and output are the same file:SAME.LST\n");
  expect_run({"Отчёт.lst", "ОТЧЁТ.LST"}, 1,
             "Fatal: input and output are the same file:ОТЧЁТ.LST\n");
  expect_file("same.lst", LISTING);
  expect_file("Отчёт.lst", LISTING);
}

#ifdef _WIN32
TEST_F(EndToEndTest, NamesThatAreNotUnicode) {
  // Windows allows an unpaired surrogate in a name; it has no UTF-8 form, so
  // it is refused as a name and shown as U+FFFD.
  write_file("in.lst", LISTING);
  const std::wstring program = widen(command_line_quoted(VADRIMEL_PROGRAM));
  const int missing = spawn_program({program, L"\"\xD800.lst\"", L"out.txt"}, "o", "e");
  EXPECT_EQ(missing, 1);
  EXPECT_EQ(printable(read_file("o")), printable("Fatal: can't open file:\uFFFD.lst\n"));
  const int output = spawn_program({program, L"in.lst", L"\"\xDC00.txt\""}, "o", "e");
  EXPECT_EQ(output, 1);
  EXPECT_EQ(printable(read_file("o")),
            printable("Fatal: can't create file:\uFFFD.txt\n"));
  EXPECT_EQ(read_file("e"), "");
  EXPECT_EQ(std::distance(fs::directory_iterator("."), fs::directory_iterator()), 3);
}
#endif

#ifdef _WIN32
/// Makes every folder of an absolute path, through the long form.
void make_folders(const std::string& absolute) {
  for (std::size_t at = absolute.find('\\', 3);; at = absolute.find('\\', at + 1)) {
    CreateDirectoryW(long_form(absolute.substr(0, at)).c_str(), nullptr);
    if (at == std::string::npos) {
      return;
    }
  }
}

/// The names in a folder, through the long form.
std::vector<std::wstring> names_in(const std::string& folder) {
  std::vector<std::wstring> names;
  for (const WIN32_FIND_DATAW& entry : entries_of(long_form(folder))) {
    names.emplace_back(entry.cFileName);
  }
  return names;
}

TEST_F(EndToEndTest, WindowsResolvesLongNames) {
  const std::string top = "vadrimel_" + std::to_string(std::random_device{}());
  std::string relative = top;
  for (int level = 0; level < 10; ++level) {
    relative += "\\abcdefghijklmnopqrstuvwxy" + std::to_string(level);
  }
  // The same folders under C:'s root and under C:'s current directory.
  const std::string deep = "C:\\" + top + "_deep";
  const std::string decoy = "C:\\" + relative;
  const std::string right = deep + "\\" + relative;
  make_folders(decoy);
  make_folders(right);
  write_file(fs::path(long_form(decoy + "\\in.lst")), "decoy C:\\d\n");
  write_file(fs::path(long_form(right + "\\in.lst")), "right C:\\r\n");
  write_file("in.lst", "a C:\\x\n");

  // Windows keeps C:'s current directory in the variable "=C:"; the program
  // runs on another drive, as it does after cmd's "cd /d C:\\deep" and
  // "cd /d Z:\\" (this test's own folder may be on C:).
  const std::string here = fs::current_path().string();
  SetEnvironmentVariableW(L"=C:", widen(deep).c_str());
  const auto run_from_deep = [&](const std::string& arguments) {
    return run_in_folder(widen(command_line_quoted(VADRIMEL_PROGRAM) + " " + arguments),
                         L"Z:\\", (here + "\\o").c_str(), (here + "\\e").c_str());
  };
  EXPECT_EQ(run_from_deep("C:" + relative + "\\in.lst " + here + "\\out.txt"), 0)
      << read_file("o");
  expect_file("out.txt", "FILE:C:\\r\r\nright\r\n\r\n");
  EXPECT_EQ(run_from_deep(here + "\\in.lst C:" + relative + "\\made.txt"), 0)
      << read_file("o");
  SetEnvironmentVariableW(L"=C:", nullptr);
  EXPECT_EQ(read_file(fs::path(long_form(right + "\\made.txt"))),
            "FILE:C:\\x\r\na\r\n\r\n");
  EXPECT_EQ(read_file("e"), "");

  // Device names and trailing dots are Windows' own, on long paths too.
  expect_run({"in.lst", decoy + "\\NUL"}, 0, "");
  // Without a console, as under a test runner, CON cannot be opened.
  const Outcome console = run({"in.lst", decoy + "\\CON"});
  EXPECT_TRUE(console.status == 0 ||
              console.out == "Fatal: can't create file:" + decoy + "\\CON\n")
      << console.out;
  expect_run({"in.lst", decoy + "\\out.txt."}, 0, "");
  EXPECT_EQ(names_in(decoy), (std::vector<std::wstring>{L"in.lst", L"out.txt"}));
  // ".." never climbs above the drive's root.
  expect_run({"C:\\..\\..\\..\\" + relative + "\\in.lst", "above.txt"}, 0, "");
  expect_file("above.txt", "FILE:C:\\d\r\ndecoy\r\n\r\n");
  // "a.lst." is the listing a.lst.
  write_file("a.lst", "x");
  expect_run({"in.lst", "a.lst."}, 1, "Fatal: won't overwrite listing file:a.lst.\n");
  expect_file("a.lst", "x");
  remove_tree(long_form("C:\\" + top));
  remove_tree(long_form(deep));
}

/// The folder in the long form, with Windows' separators.
std::string windows_form(const fs::path& path) {
  const std::u8string utf8 = path.lexically_normal().make_preferred().u8string();
  return {utf8.begin(), utf8.end()};
}

TEST_F(EndToEndTest, WindowsOneFileByAnyName) {
  write_file("in.lst", LISTING);
  write_file("a long name.lst", LISTING);
  const std::string here = windows_form(fs::current_path());
  const std::string same = "Fatal: input and output are the same file:";
  std::vector<std::vector<std::string>> commands = {
      {"-f", here + "\\in.lst", "\\\\?\\" + here + "\\in.lst"},
      {"-f", here + "\\in.lst", "\\\\?\\" + here + "\\IN.LST"},
  };
  std::wstring short_name(MAX_PATH, L'\0');
  short_name.resize(GetShortPathNameW(L"a long name.lst", short_name.data(), MAX_PATH));
  if (!short_name.empty() && short_name != L"a long name.lst") {
    commands.push_back({"-f", "a long name.lst", windows_form(short_name)});
  }
  // One folder under two drive letters, set up by the tests' fixture.
  const std::string second = std::string(VADRIMEL_SECOND_DRIVE) + "\\";
  const std::string folder = windows_form(fs::path(VADRIMEL_SECOND_DRIVE_FOLDER));
  write_file(folder + "\\in.lst", LISTING);
  write_file(folder + "\\notes.txt", "notes\n");
  const bool second_drive = read_file(second + "in.lst") == LISTING;
  if (second_drive) {
    commands.push_back({"-f", second + "in.lst", folder + "\\in.lst"});
    commands.push_back({second + "in.lst", folder + "\\notes.txt", second + "notes.txt"});
  }
  for (std::vector<std::string>& arguments : commands) {
    if (arguments.size() == 3 && arguments.front() != "-f") {
      arguments.erase(arguments.begin());
    }
    expect_run(arguments, 1, same + arguments.back() + "\n");
  }
  expect_file("in.lst", LISTING);
  expect_file("a long name.lst", LISTING);
  expect_file(folder + "\\in.lst", LISTING);
  expect_file(folder + "\\notes.txt", "notes\n");
  fs::remove(folder + "\\in.lst");
  fs::remove(folder + "\\notes.txt");
  if (!second_drive) {
    GTEST_SKIP() << "skipped in part: no drive " << VADRIMEL_SECOND_DRIVE << " for "
                 << folder;
  }
}

TEST_F(EndToEndTest, WindowsHabits) {
  // /? is help, with the manual a Windows user can open.
  const Outcome help = run({"/?"});
  EXPECT_EQ(help.status, 0);
  EXPECT_TRUE(help.out.starts_with("vadrimel ")) << help.out;
  EXPECT_NE(help.out.find("vadrimel.html"), std::string::npos) << help.out;
  // A console of its own, as Explorer gives, but input that is no console:
  // the program says what it has to say and ends, waiting for no key.
  write_file("in.txt", "");
  const std::wstring program = widen(command_line_quoted(VADRIMEL_PROGRAM));
  EXPECT_EQ(run_in_folder(program, nullptr, "o", "e", "in.txt", CREATE_NEW_CONSOLE), 1);
  EXPECT_EQ(read_file("o"), USAGE);
  // A pattern's listings come in the order Explorer shows them; each one's
  // output is a folder, so that each says its name.
  fs::create_directory("order");
  std::string messages;
  for (const char* name : {"9", "10", "a", "B"}) {
    write_file("order/" + std::string(name) + ".lst", "x\n");
    fs::create_directory("order/" + std::string(name) + ".txt");
    messages += "Fatal: can't create file:order\\" + std::string(name) + ".txt\n";
  }
  expect_run({"-b", "order\\*.lst"}, 1, messages);
}

TEST_F(EndToEndTest, WindowsPatternsWithB) {
  fs::create_directory("dir");
  const std::vector<std::string> names = {"a.lst", "b.lst", "列表.lst", "ü.lst",
                                          "long.lst"};
  for (const std::string& name : names) {
    write_file(testing::path_of("dir/" + name), "x C:\\" + name + "\n");
  }
  write_file("dir/c.txt", "not a listing");
  fs::create_directory("dir/folder.lst");
  expect_run({"-b", "dir\\*.lst", "dir/nothing*.lst"}, 1,
             "Fatal: can't open file:dir/nothing*.lst\n");
  for (const std::string& name : names) {
    expect_file("dir/" + name.substr(0, name.size() - 4) + ".txt",
                "FILE:C:\\" + name + "\r\nx\r\n\r\n");
  }
  for (const std::string& name : names) {
    fs::remove(testing::path_of("dir/" + name.substr(0, name.size() - 4) + ".txt"));
  }
  // ? is one character, whatever the script: a, b, ü but not 列表 or long.
  expect_run({"-p", "-b", "dir/?.lst"}, 0, "");
  EXPECT_EQ(std::distance(fs::directory_iterator("dir"), fs::directory_iterator()), 10);
  EXPECT_FALSE(fs::exists(testing::path_of("dir/列表.txt")));
  expect_file("dir/ü.txt", "FILE:C:\\ü.lst\r\nx\r\n\r\n");
  // A file that matches only by its short name (FOO~1.LST) is not taken.
  write_file("foo.lst", "foo C:\\f\n");
  write_file("foo.lstx", "other C:\\o\n");
  expect_run({"-b", "*.lst"}, 0, "");
  expect_file("foo.txt", "FILE:C:\\f\r\nfoo\r\n\r\n");
  expect_file("foo.lstx", "other C:\\o\n");
  // As dir lists them: the pattern's trailing dots and spaces are dropped.
  fs::remove("foo.txt");
  expect_run({"-b", "fo*.lst. "}, 0, "");
  expect_file("foo.txt", "FILE:C:\\f\r\nfoo\r\n\r\n");
}
#endif

struct SlipCase {
  const char* name;
  std::vector<std::pair<std::string, std::string>> files;
  /// Symbolic links to make, name and target: POSIX systems only.
  std::vector<std::pair<std::string, std::string>> links;
  std::vector<std::string> arguments;
  std::string message;
  /// The outputs the command is meant to write, and what they hold.
  std::vector<std::pair<std::string, std::string>> written;
};

// A slip never costs a file: each command leaves every file as it was but
// the outputs it was meant to write, with one message for each refusal.
TEST_F(EndToEndTest, NoSlipCostsAFile) {
  const std::string notes = "notes\n";
  const std::string listing = "l C:\\l\n";
  const std::string converted = "FILE:C:\\l\r\nl\r\n\r\n";
  const std::string same = "Fatal: input and output are the same file:";
  const std::string named =
      "Fatal: won't overwrite a file named or written by this command:";
  const std::vector<SlipCase> cases = {
      {"a listing's output named as a listing too",
       {{"x.txt", notes}, {"x.lst", listing}},
       {},
       {"-b", "x.txt", "x.lst"},
       same + "x.txt\n" + named + "x.txt\n",
       {}},
      {"a name without extension",
       {{"a", listing}, {"a.txt", notes}},
       {},
       {"-b", "a", "a.txt"},
       named + "a.txt\n" + same + "a.txt\n",
       {}},
      {"two listings, one output",
       {{"a", listing}, {"a.lst", notes}},
       {},
       {"-b", "a", "a.lst"},
       named + "a.txt\n",
       {{"a.txt", converted}}},
      {"two listings apart by letter case",
       {{"X.lst", listing}, {"X.LST", notes}},
       {},
       {"-b", "X.lst", "X.LST"},
       named + "X.txt\n",
       {{"X.txt", converted}}},
      {"a link to a listing as the output",
       {{"a.lst", listing}, {"b.lst", notes}},
       {{"out.txt", "b.lst"}},
       {"a.lst", "out.txt"},
       "Fatal: won't overwrite listing file:out.txt\n",
       {}},
      {"a listing's output a link to another listing",
       {{"a.lst", notes}, {"b.lst", listing}},
       {{"a.txt", "b.lst"}},
       {"-b", "a.lst", "b.lst"},
       named + "a.txt\n",
       {{"b.txt", converted}}},
      {"a shell glob in a build's image folder",
       {{"app.X.production.cof", "cof"},
        {"app.X.production.hex", "hex"},
        {"app.X.production.lst", listing},
        {"app.X.production.map", "map"}},
       {},
       {"-p", "app.X.production.cof", "app.X.production.hex", "app.X.production.lst",
        "app.X.production.map"},
       "Fatal: won't overwrite file, more than two names given:app.X.production.hex\n",
       {}},
      {"an output named on the command line, which does not exist yet",
       {{"x.lst", listing}},
       {},
       {"-b", "x.lst", "x.txt"},
       named + "x.txt\nFatal: can't open file:x.txt\n",
       {}},
  };
  for (const SlipCase& test : cases) {
    // Windows keeps no two names apart by letter case, and links need rights.
    if (ON_WINDOWS && (!test.links.empty() || test.files.front().first == "X.lst")) {
      continue;
    }
    SCOPED_TRACE(test.name);
    for (const auto& entry : fs::directory_iterator(".")) {
      fs::remove(entry.path());
    }
    for (const auto& [name, bytes] : test.files) {
      write_file(name, bytes);
    }
    for (const auto& [name, target] : test.links) {
      fs::create_symlink(target, name);
    }
    expect_run(test.arguments, 1, test.message);
    for (const auto& [name, bytes] : test.files) {
      expect_file(name, bytes);
    }
    for (const auto& [name, bytes] : test.written) {
      expect_file(name, bytes);
    }
    // And nothing else was made.
    for (const auto& entry : fs::directory_iterator(".")) {
      const std::string name = entry.path().filename().string();
      const auto named_here = [&name](const auto& pair) { return pair.first == name; };
      EXPECT_TRUE(std::any_of(test.files.begin(), test.files.end(), named_here) ||
                  std::any_of(test.links.begin(), test.links.end(), named_here) ||
                  std::any_of(test.written.begin(), test.written.end(), named_here))
          << name;
    }
  }
}

TEST_F(EndToEndTest, LinksToTheInputAreRefused) {
  if (ON_WINDOWS) {
    GTEST_SKIP() << "skipped: links need a POSIX file system";
  }
  write_file("in.lst", LISTING);
  fs::create_hard_link("in.lst", "hard.lst");
  fs::create_symlink("in.lst", "soft.lst");
  for (const std::string output : {"hard.lst", "soft.lst"}) {
    expect_run({"in.lst", output}, 1,
               "Fatal: input and output are the same file:" + output + "\n");
  }
  expect_run({"soft.lst", "in.lst"}, 1,
             "Fatal: input and output are the same file:in.lst\n");
  expect_file("in.lst", LISTING);
}

TEST_F(EndToEndTest, DevicesAreNotTheSameFile) {
  write_file("in.lst", LISTING);
  expect_run({"in.lst", NULL_DEVICE}, 0, "");
  expect_run({NULL_DEVICE, "out.txt"}, 0, "");
  expect_file("out.txt", "\r\n");
}

TEST_F(EndToEndTest, FullDiskIsAFailure) {
  if (ON_WINDOWS) {
    GTEST_SKIP() << "skipped: needs /dev/full";
  }
  write_file("in.lst", LISTING);
  expect_run({"in.lst", "/dev/full"}, 1, "Fatal: can't write file:/dev/full\n");
  // Large enough to fail in the middle of the run, not only at the end.
  write_file("big.lst", std::string(1U << 20U, 'b'));
  expect_run({"-m80", "big.lst", "/dev/full"}, 1, "Fatal: can't write file:/dev/full\n");
}

TEST_F(EndToEndTest, UnreadableInputIsAFailure) {
  if (ON_WINDOWS) {
    GTEST_SKIP() << "skipped: needs /proc/self/mem";
  }
  // Nothing could be read, so nothing is written, not even an empty record.
  expect_run({"/proc/self/mem", "out.txt"}, 1, "Fatal: can't read file:/proc/self/mem\n");
  expect_file("out.txt", "");
}

TEST_F(EndToEndTest, LongFileNamesAreUsedWhole) {
  if (ON_WINDOWS) {
    GTEST_SKIP() << "skipped: a Windows command line holds at most 32767 characters";
  }
  // A path of more than 255 characters that the system accepts: nested
  // directories, each name within the limit of one name.
  std::string nested = ".";
  for (int level = 0; level < 5; ++level) {
    nested.append(1, '/').append(100, static_cast<char>('a' + level));
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
  const std::string long_option = std::string("-m").append(100000, '9');
  expect_run({long_option, input, "out.txt"}, 0, "");
  expect_file("out.txt", "FILE:C:\\x\r\na\r\n\r\n");
}

} // namespace
} // namespace vadrimel
