#include <cstdlib>
#include <string>

#include "driver/command_line.h"
#include "driver/platform.h"

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
    "$ vadrimel -s[N] listing.lst [new.lst]\n"
    "$ vadrimel -a listing.lst address...\n"
    "\n"
    "Options:\n"
    "  -m<MAXLENGTH>   cut every line to MAXLENGTH characters (80 without a number)\n"
    "  -p              find source paths on whole lines: paths with spaces, and\n"
    "                  padding lines become empty\n"
    "  -d              ready to diff two builds: -p, with the build's date, the\n"
    "                  address and value columns and branch targets masked\n"
    "  -t<N>           tabs become spaces, up to stops every N columns of the\n"
    "                  source text (8 without a number)\n"
    "  -w              wrap lines longer than MAXLENGTH instead of cutting them\n"
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
    "  -h, --help      show this help\n"
    "  -V, --version   show the version\n"
    "\n"
    "Exit status: 0 when every listing was converted (or reported on); 1 after\n"
    "the usage text, a message that says what failed, or an address not found.\n"
    "\n"
    "More in the manual: ";

constexpr const char* VERSION_TEXT = "vadrimel " VADRIMEL_VERSION "\n";

} // namespace

int answer(Request request, std::FILE* messages) {
  if (request != Request::HELP && request != Request::VERSION) {
    static_cast<void>(std::fputs(USAGE_TEXT, messages));
    return EXIT_FAILURE;
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
