#include "driver/command_line.h"
#include "driver/usage_text.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <tuple>
#include <vector>

#include "driver/program.h"
#include "test_support.h"

namespace vadrimel {
namespace {

#ifdef _WIN32
constexpr bool ON_WINDOWS = true;
#else
constexpr bool ON_WINDOWS = false;
#endif

/// The command read from `arguments`, which it points into: they are kept
/// alive with it.
struct ReadCommand {
  std::vector<const char*> arguments;
  Command command;
};

ReadCommand read(std::vector<const char*> arguments) {
  arguments.insert(arguments.begin(), "vadrimel");
  ReadCommand result{arguments, {}};
  result.command = read_command(result.arguments);
  return result;
}

std::vector<std::string> names_of(const Command& command) {
  return {command.names.begin(), command.names.end()};
}

struct CommandLineCase {
  std::vector<const char*> arguments;
  std::uint8_t max_length;
  std::string input_path;
  std::string output_path;
  bool whole_line_paths = false;
  bool overwrite_listing = false;
};

const std::vector<CommandLineCase> COMMAND_LINE_CASES = {
    {{"in.lst", "out.txt"}, 0, "in.lst", "out.txt"},
    {{"-m80", "in.lst", "out.txt"}, 80, "in.lst", "out.txt"},
    {{"-m", "in.lst", "out.txt"}, 80, "in.lst", "out.txt"},
    {{"-mx", "in.lst", "out.txt"}, 80, "in.lst", "out.txt"},
    {{"-m90", "-m40", "in.lst", "out.txt"}, 40, "in.lst", "out.txt"},
    {{"-m", "80", "in.lst", "out.txt"}, 80, "80", "in.lst"},
    {{"--", "in.lst", "-m80", "out.txt"}, 0, "in.lst", "-m80"},
    {{"-x", "in.lst", "out.txt"}, 0, "in.lst", "out.txt"},
    {{"-M40", "in.lst", "out.txt"}, 0, "in.lst", "out.txt"},
    {{"-", "in.lst", "out.txt"}, 0, "in.lst", "out.txt"},
    {{"-\xED"
      "40",
      "in.lst", "out.txt"},
     40,
     "in.lst",
     "out.txt"},
    {{"-m50", "-x", "--", "in.lst", "out.txt", "extra", "-m60"}, 50, "in.lst", "out.txt"},
    {{"", ""}, 0, "", ""},
    {{"-p", "in.lst", "out.txt"}, 0, "in.lst", "out.txt", true},
    {{"-pxyz", "-m80", "in.lst", "out.txt"}, 80, "in.lst", "out.txt", true},
    {{"-\xF0", "in.lst", "out.txt"}, 0, "in.lst", "out.txt", true}, // 0xF0 & 0x7F is 'p'
    {{"-P", "in.lst", "out.txt"}, 0, "in.lst", "out.txt", false},
    {{"--", "in.lst", "-p", "out.txt"}, 0, "in.lst", "-p", false},
    {{"in.lst", "-x", "out.txt"}, 0, "in.lst", "-x", false},
    {{"-f", "in.lst", "out.lst"}, 0, "in.lst", "out.lst", false, true},
    {{"-fyes", "-p", "in.lst", "out.lst"}, 0, "in.lst", "out.lst", true, true},
    {{"-\xE6", "in.lst", "out.lst"}, 0, "in.lst", "out.lst", false, true}, // 0xE6 & 0x7F
                                                                           // is 'f'
    {{"-F", "in.lst", "out.lst"}, 0, "in.lst", "out.lst", false, false},
    {{"-m80", "--", "in.lst", "-f"}, 80, "in.lst", "-f", false, false},
};

TEST(ReadCommandLineTest, SlipsGetTheirMessages) {
  // The arguments, then the message's two parts.
  const std::vector<std::pair<std::vector<const char*>, std::string>> cases = {
      {{"in.lst", "-m80", "out.txt"}, "options go before the file names:-m80"},
      {{"app.lst", "-s"}, "options go before the file names:-s"},
      {{"-s", "app.lst", "-j"}, "options go before the file names:-j"},
      {{"-s", "old.lst", "new.lst", "-j"}, "options go before the file names:-j"},
      {{"-b", "a.lst", "--version"}, "options go before the file names:--version"},
      {{"-s", "-M", "app.map", "app.lst"},
       "the map's name goes right after -M, with no space:-Mapp.map"},
      {{"-g", "-M"}, "the map's name goes right after -M, with no space:-M<map>"},
  };
  for (const auto& [arguments, message] : cases) {
    const Command command = read(arguments).command;
    EXPECT_EQ(command.request, Request::SLIP) << message;
    EXPECT_EQ(command.slip_what + ":" + command.slip_name, message);
  }
}

TEST(ReadCommandLineTest, OptionsThenTwoFileNames) {
  for (const CommandLineCase& test : COMMAND_LINE_CASES) {
    const ReadCommand read_back = read(test.arguments);
    const Command& command = read_back.command;
    const std::string where = test.arguments.front();
    ASSERT_EQ(command.request, Request::CONVERSION) << where;
    EXPECT_EQ(command.mode, Mode::TWO_NAMES) << where;
    EXPECT_EQ(command.options.max_length, test.max_length) << where;
    ASSERT_GE(command.names.size(), 2U) << where;
    EXPECT_EQ(command.names[0], test.input_path) << where;
    EXPECT_EQ(command.names[1], test.output_path) << where;
    EXPECT_EQ(command.options.line_scope == LineScope::WHOLE_LINE, test.whole_line_paths)
        << where;
    EXPECT_EQ(command.overwrite_listing, test.overwrite_listing) << where;
  }
}

TEST(ReadCommandLineTest, TooFewFileNamesAskForUsage) {
  const std::vector<std::vector<const char*>> short_lines = {
      {},       {"in.lst"}, {"-m80", "in.lst"}, {"-m80", "-x", "-"},
      {"-m80"}, {"-b"},     {"-b", "-p"},       {"-B", "a.lst"},
  };
  for (const auto& arguments : short_lines) {
    EXPECT_EQ(read(arguments).command.request, Request::USAGE) << arguments.size();
  }
  EXPECT_EQ(read_command({}).request, Request::USAGE);
}

TEST(ReadCommandLineTest, WithBEveryNameIsAListing) {
  // The arguments, then the listings read from them.
  const std::vector<std::pair<std::vector<const char*>, std::vector<std::string>>> cases =
      {
          {{"-b", "a.lst"}, {"a.lst"}},
          {{"-p", "-bx", "--", "a.lst", "b.lst", "-m80"}, {"a.lst", "b.lst", "-m80"}},
          {{"-\xE2", "a.lst", "a.lst"}, {"a.lst", "a.lst"}}, // 0xE2 & 0x7F is 'b'
      };
  for (const auto& [arguments, listings] : cases) {
    const ReadCommand read_back = read(arguments);
    EXPECT_EQ(read_back.command.request, Request::CONVERSION) << arguments.front();
    EXPECT_EQ(read_back.command.mode, Mode::BATCH) << arguments.front();
    EXPECT_EQ(names_of(read_back.command), listings);
  }
  EXPECT_EQ(read({"a.lst", "b.lst"}).command.mode, Mode::TWO_NAMES);
}

TEST(ReadCommandLineTest, OptionsForDiffingAndPrinting) {
  struct Case {
    std::vector<const char*> arguments;
    bool mask_build_noise, whole_line_paths, lf_line_ends, wrap;
    int tab_size;
  };
  const std::vector<Case> cases = {
      {{"-d", "a.lst", "b.txt"}, true, true, false, false, 0},
      {{"-D", "-L", "-T", "-W", "a.lst", "b.txt"}, false, false, false, false, 0},
      {{"-lx", "-wyz", "a.lst", "b.txt"}, false, false, true, true, 0},
      {{"-t", "a.lst", "b.txt"}, false, false, false, false, 8},
      {{"-t0", "a.lst", "b.txt"}, false, false, false, false, 8},
      {{"-t256", "a.lst", "b.txt"}, false, false, false, false, 8},
      {{"-t4x", "a.lst", "b.txt"}, false, false, false, false, 4},
      {{"-t-1", "-\xE4", "a.lst", "b.txt"}, true, true, false, false, 255},
      {{"--", "a.lst", "-d", "-t"}, false, false, false, false, 0},
  };
  for (const Case& test : cases) {
    const ReadCommand read_back = read(test.arguments);
    const ConversionOptions& options = read_back.command.options;
    ASSERT_EQ(read_back.command.request, Request::CONVERSION) << test.arguments.front();
    EXPECT_EQ(std::make_tuple(options.mask_build_noise,
                              options.line_scope == LineScope::WHOLE_LINE,
                              options.record_end == RecordEnd::LF, options.wrap,
                              int{options.tab_size}),
              std::make_tuple(test.mask_build_noise, test.whole_line_paths,
                              test.lf_line_ends, test.wrap, test.tab_size))
        << test.arguments.front();
  }
}

TEST(ReadCommandLineTest, WithCNamesAreListingsAndNoneIsStandardInput) {
  // The arguments, then the listings read from them; empty when help is due.
  const std::vector<std::pair<std::vector<const char*>, std::optional<std::size_t>>>
      cases = {
          {{"-c"}, 0},
          {{"-c", "-b", "-p"}, 0},
          {{"-c", "a.lst"}, 1},
          {{"-b", "-\xE3", "--", "a.lst", "-h"}, 2}, // 0xE3 & 0x7F is 'c'
          {{"-c", "-h"}, std::nullopt},
          {{"--version", "-c"}, std::nullopt},
          {{"-c", "-h", "a.lst"}, 1},
      };
  for (const auto& [arguments, listings] : cases) {
    const ReadCommand read_back = read(arguments);
    const Command& command = read_back.command;
    ASSERT_EQ(command.request == Request::CONVERSION, listings.has_value())
        << arguments.size();
    if (listings) {
      EXPECT_EQ(command.mode, Mode::STANDARD_OUTPUT);
      EXPECT_EQ(command.names.size(), *listings);
    }
  }
}

TEST(ReadCommandLineTest, LongFileNamesAreKeptWhole) {
  const std::string input(100000, 'i');
  const std::string output(300, 'o');
  const ReadCommand read_back = read({input.c_str(), output.c_str()});
  EXPECT_EQ(names_of(read_back.command), std::vector<std::string>({input, output}));
}

TEST(ReadMaxLengthTest, LowEightBitsOfTheNumberAsWritten) {
  const std::vector<std::pair<const char*, int>> cases = {
      {"80", 80},
      {"", 80},
      {"x", 80},
      {"-", 80},
      {"+", 80},
      {" ", 80},
      {"- 5", 80},
      {"0", 0},
      {"20", 20},
      {"31", 31},
      {"256", 0},
      {"300", 44},
      {"-1", 255},
      {"-256", 0},
      {"-255", 1},
      {"+77", 77},
      {"80abc", 80},
      {" \t\n\v\f\r42", 42},
      {"0042", 42},
      {"12 34", 12},
      {"2147483647", 255},
      {"2147483648", 0},
      {"4294967376", 80},
      {"-2147483648", 0},
      {"-4294967297", 255},
      // 10^20 = 2^20 * 5^20; its low 8 bits are 0, and 10^20 - 1 ends in 0xFF.
      {"100000000000000000000", 0},
      {"99999999999999999999", 255},
      {"18446744073709551696", 80}, // 2^64 + 80
  };
  for (const auto& [text, expected] : cases) {
    const std::string option = std::string("-m") + text;
    const std::vector<const char*> arguments = {"vadrimel", option.c_str(), "a", "b"};
    EXPECT_EQ(read_command(arguments).options.max_length, expected) << '"' << text << '"';
  }
}

/// A console whose facts a test sets, recording what it was asked to do.
class FakeConsole final : public Console {
public:
  FakeConsole(bool window, bool input_is_console, bool printed)
      : window_(window), input_is_console_(input_is_console), printed_(printed) {}
  [[nodiscard]] bool has_window() const override { return window_; }
  [[nodiscard]] bool input_is_console() const override { return input_is_console_; }
  [[nodiscard]] bool printed_since_start() const override { return printed_; }
  void say(std::string_view text) override { said_ += text; }
  void wait_for_key() override { ++waits_; }

  std::string said_;
  int waits_ = 0;

private:
  bool window_;
  bool input_is_console_;
  bool printed_;
};

TEST(KeepMessagesOnScreenTest, WaitsOnlyForWhatCanBeReadAndAKeyPressed) {
  for (const bool window : {false, true}) {
    for (const bool input_is_console : {false, true}) {
      for (const bool printed : {false, true}) {
        FakeConsole console(window, input_is_console, printed);
        keep_messages_on_screen(console);
        const bool due = window && input_is_console && printed;
        EXPECT_EQ(console.waits_, due ? 1 : 0) << window << input_is_console << printed;
        EXPECT_EQ(console.said_, due ? "Press any key to close this window.\n" : "");
      }
    }
  }
}

TEST(AnswerTest, HelpVersionOrUsage) {
  // The arguments after the program's name, then what the answer starts with.
  const std::string help = "vadrimel " VADRIMEL_VERSION ":";
  const std::string usage = " ===== MPLINK";
  const std::string windows_help = ON_WINDOWS ? help : usage;
  const std::vector<std::pair<std::vector<const char*>, std::string>> cases = {
      {{"-h"}, help},
      {{"--help", "a.lst"}, help},
      {{"-V", "-h"}, help},
      {{"-h", "-V"}, "vadrimel " VADRIMEL_VERSION "\n"},
      {{"/?"}, windows_help},
      {{"-p", "/?"}, windows_help},
      {{"-V", "/?"}, ON_WINDOWS ? help : "vadrimel " VADRIMEL_VERSION "\n"},
      {{"-hx"}, usage},
      // Help in every form when fewer than two names follow (-c: none).
      {{"-b", "-h", "x.lst"}, help},
      {{"-c", "-V"}, "vadrimel " VADRIMEL_VERSION "\n"},
      {{"-b", "-c", "-h"}, help},
  };
  for (const auto& [arguments, start] : cases) {
    const ReadCommand read_back = read(arguments);
    ASSERT_NE(read_back.command.request, Request::CONVERSION) << arguments.front();
    const testing::CapturedMessages messages;
    const int status = answer(read_back.command.request, messages.file());
    EXPECT_TRUE(messages.text().starts_with(start)) << arguments.front();
    EXPECT_EQ(status, start == usage ? 1 : 0) << arguments.front();
  }
  // With -b or -c, a lone "/?" is help on Windows, not a listing's name.
  for (const char* mode : {"-b", "-c"}) {
    EXPECT_EQ(read({mode, "/?"}).command.request == Request::CONVERSION, !ON_WINDOWS)
        << mode;
  }
  EXPECT_EQ(read({"-b", "-h", "x.lst", "y.lst"}).command.request, Request::CONVERSION);
}

TEST(ShowUsageTest, ExactTextAndFailureStatus) {
  const testing::CapturedMessages messages;
  EXPECT_EQ(answer(Request::USAGE, messages.file()), 1);
  const std::string shown = messages.text();
  EXPECT_EQ(shown, " ===== MPLINK .LST format converter =====\nUsage:\n"
                   "$ vadrimel [-m80] infile.lst outfile.txt\n\nOption:\n"
                   "  -m<MAXLENGTH>   set line max length\n\n");
}

} // namespace
} // namespace vadrimel
