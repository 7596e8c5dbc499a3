#include "driver/usage_text.h"

#include <cstdlib>
#include <string>

#include "system/platform.h"

namespace vadrimel {

namespace {

constexpr const char* USAGE_TEXT = " ===== MPLINK .LST format converter =====\n"
                                   "Usage:\n"
                                   "$ vadrimel [-m80] infile.lst outfile.txt\n"
                                   "\n"
                                   "Option:\n"
                                   "  -m<MAXLENGTH>   set line max length\n"
                                   "\n";
constexpr const char* HELP_TEXT =
    "vadrimel " VADRIMEL_VERSION ": turns an MPLINK linker listing (.LST) into plain\n"
    "text with CR LF line ends.\n"
    "\n"
    "Usage:\n"
    "$ vadrimel [options] infile.lst outfile.txt\n"
    "$ vadrimel -b [options] listing.lst...\n"
    "$ vadrimel -c [options] [listing.lst...]\n"
    "$ vadrimel -s[N] [-M<map>] [-j] [-L<limits>] build [new-build]\n"
    "$ vadrimel -a [-M<map>] [-j] build address...\n"
    "$ vadrimel -g [-M<map>] [-j] [-L<limits>] listing.lst\n"
    "$ vadrimel -H|-r [-s[N]] [-M<map>] [-L<limits>] build [new-build]\n"
    "A build is a listing (with the .map beside it, if any) or a linker map\n"
    "alone (.map: no source lines and no calls).\n"
    "\n"
    "Options:\n"
    "  -m<MAXLENGTH>   cut every line to MAXLENGTH characters (80 without a number)\n"
    "  -p              find source paths on whole lines: paths with spaces, and\n"
    "                  padding lines become empty\n"
    "  -d              ready to diff two builds: -p, with the build's date, the\n"
    "                  address and value columns, branch targets, string\n"
    "                  addresses and the folders above a path's last three\n"
    "                  parts masked\n"
    "  -t<N>           tabs become spaces, up to stops every N columns of the\n"
    "                  source text (8 without a number)\n"
    "  -w              wrap lines longer than MAXLENGTH instead of cutting them;\n"
    "                  each continuation is marked with a +\n"
    "  -l              end lines in LF alone instead of CR LF\n"
    "  -f              overwrite an output file that is an existing listing (.lst),\n"
    "                  or after more than two names any existing file\n"
    "  -b              convert every listing named into a .txt file beside it\n"
    "  -c              write to standard output, reading standard input when no\n"
    "                  listing is named; messages go to standard error\n"
    "  -s<N>           size report to standard output: bytes of code per source\n"
    "                  file, then the N source lines with the most (10 without a\n"
    "                  number); with two listings, each file's change in size\n"
    "  -a              the source line of each address (hex) given after the\n"
    "                  listing, to standard output\n"
    "  -g              how deep the calls go: the worst case of the 31-level\n"
    "                  return stack, the deepest chain of calls from reset and\n"
    "                  each interrupt, and every function's depth; and C18's\n"
    "                  software stack (FSR1): its deepest use against its size\n"
    "  -M<map>         the linker's map of the build for -s, -a, -g, -H and -r\n"
    "                  (without it, the .map beside the listing): every byte of\n"
    "                  flash and RAM by kind, file and function, and the blocks\n"
    "                  of addresses; -M and its name are one word\n"
    "  -j              -s, -a and -g as one JSON document\n"
    "  -H              -s and -g as one HTML page: treemaps of flash and RAM, the\n"
    "                  functions, the deepest calls; with two listings, the changes\n"
    "  -r              two builds compared as a Markdown table for a pull request\n"
    "  -L<limits>      budgets for -s, -g, -H and -r, joined by commas:\n"
    "                  flash=BYTES or flash=PERCENT%, ram=BYTES, stack=LEVELS\n"
    "                  (31 with -g), swstack=BYTES; a report that passes one says\n"
    "                  so on standard error and ends with status 1\n"
    "  --              what follows are names, even those that begin with -\n"
    "  -h, --help      show this help\n"
    "  -V, --version   show the version\n"
    "\n"
    "Exit status: 0 when every listing was converted (or reported on); 1 after\n"
    "the usage text, a message that says what failed, or an address not found.\n"
    "\n"
    "More in the manual: ";

constexpr const char* VERSION_TEXT = "vadrimel " VADRIMEL_VERSION "\n";

} // namespace

int show_usage(std::FILE* messages) {
  static_cast<void>(std::fputs(USAGE_TEXT, messages));
  return EXIT_FAILURE;
}

int show_report_usage(Mode mode, const ReportRequest& request, std::FILE* messages) {
  const bool in_form =
      request.form == ReportForm::PAGE || request.form == ReportForm::PULL_REQUEST;
  const char* const usage =
      in_form ? "$ vadrimel -H|-r [-s[N]] [-M<map>] [-L<limits>] build [new-build]\n"
      : mode == Mode::ADDRESSES ? "$ vadrimel -a [-M<map>] [-j] build address...\n"
      : mode == Mode::CALLS ? "$ vadrimel -g [-M<map>] [-j] [-L<limits>] listing.lst\n"
                            : "$ vadrimel -s[N] [-M<map>] [-j] [-L<limits>] build "
                              "[new-build]\n";
  static_cast<void>(std::fputs("Usage:\n", messages));
  static_cast<void>(std::fputs(usage, messages));
  static_cast<void>(std::fputs("A listing (or a map) is named after the options; "
                               "vadrimel -h tells every option.\n",
                               messages));
  return EXIT_FAILURE;
}

int answer(Request request, std::FILE* messages) {
  if (request != Request::HELP && request != Request::VERSION) {
    return show_usage(messages);
  }
  const std::string text = request == Request::VERSION
                               ? std::string(VERSION_TEXT)
                               : HELP_TEXT + manual_reference() + "\n";
  // The help and the version are the command's output: a failure to deliver
  // them is the command's failure.
  const bool written = std::fputs(text.c_str(), messages) >= 0;
  return written && std::fflush(messages) == 0 ? EXIT_SUCCESS : EXIT_FAILURE;
}

} // namespace vadrimel
