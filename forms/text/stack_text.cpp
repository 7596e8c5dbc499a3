#include "forms/text/stack_text.h"

#include <algorithm>

#include "forms/text/text_numbers.h"

namespace vadrimel {

std::string stack_figure_text(const std::optional<std::int64_t>& figure, bool at_least) {
  if (!figure) {
    return "unknown";
  }
  return (at_least ? ">=" : "") + std::to_string(*figure);
}

void write_stack_summary(const Build& build, ReportOutput& output) {
  const SoftwareStack& stack = build.software_stack();
  const StackFigures worst = stack.worst_case();
  const std::optional<std::uint64_t> size = build.stack_size();
  output.write("software stack: ");
  if (worst.height) {
    output.write(worst.at_least ? "at least " : "");
    output.write(std::to_string(*worst.height));
    if (size) {
      output.write_formatted(" of %llu", as_printed(*size));
    }
    output.write(" bytes at worst (");
  } else {
    output.write("not known");
    if (size) {
      output.write_formatted(", of %llu bytes", as_printed(*size));
    }
    output.write(" (");
  }
  const char* separator = "";
  for (const StackRoot& root : stack.roots) {
    output.write(separator);
    output.write(root.root.name);
    output.write(" ");
    output.write(stack_figure_text(root.figures.height, false));
    separator = ", ";
  }
  output.write(")");
  if (!size) {
    output.write(build.map ? "; the map has no .stack section, so its size is not known"
                           : "; without the map the stack's size is not known");
  }
  output.write("\n");
}

void write_stack_chains(const Build& build, const CodeNames& names,
                        ReportOutput& output) {
  for (const StackRoot& root : build.software_stack().roots) {
    output.write("\ndeepest stack from ");
    output.write(root.root.name);
    output.write(", ");
    output.write(root.figures.height
                     ? stack_figure_text(root.figures.height, root.figures.at_least) +
                           " bytes:\n"
                     : std::string("not known:\n"));
    if (root.chain.empty() || !root.figures.height) {
      continue;
    }
    output.write("  offset   frame  function  place\n");
    for (const StackLink& link : root.chain) {
      if (link.via) {
        output.write("                  via ");
        output.write(names.name_within(*link.via, *link.call_address));
        output.write("  ");
        output.write(names.place_of(*link.call_address));
        output.write("\n");
      }
      output.write_formatted("%8lld %7s  ", static_cast<long long>(link.offset),
                             stack_figure_text(link.figures.frame, false).c_str());
      output.write(names.name_of(link.function));
      output.write("  ");
      output.write(names.place_of(link.function));
      output.write("\n");
    }
  }
}

void write_stack_lost(const Build& build, const CodeNames& names, ReportOutput& output) {
  const SoftwareStack& stack = build.software_stack();
  if (stack.lost.empty()) {
    return;
  }
  output.write("\nsoftware stack not known:\n");
  for (const LostFunction& lost : stack.lost) {
    output.write_formatted("  0x%06llx  ", as_printed(lost.address));
    output.write(names.name_of(lost.address));
    output.write(": ");
    output.write(lost.why);
    output.write("\n");
  }
  if (stack.lost_after != 0) {
    output.write_formatted("  and %llu function%s that rest on them\n",
                           as_printed(stack.lost_after),
                           stack.lost_after == 1 ? "" : "s");
  }
}

} // namespace vadrimel
