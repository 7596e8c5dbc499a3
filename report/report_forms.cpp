#include "report/report_forms.h"

#include <cstdlib>
#include <memory>
#include <optional>

#include "driver/messages.h"
#include "driver/platform.h"
#include "report/budgets.h"
#include "report/build_page.h"
#include "report/call_report.h"
#include "report/pull_request_table.h"
#include "report/report_output.h"
#include "report/size_changes.h"

namespace vadrimel {

namespace {

/// A build read whole: its sizes and its calls.
struct WholeBuild {
  BuildSizes sizes;
  CallsOfBuild calls;
};

int read_whole_build(const std::string& listing, const char* map_name,
                     std::size_t top_lines, LineSource& lines, WholeBuild& build,
                     std::FILE* messages) {
  if (read_build_sizes(listing, map_name, top_lines, lines, build.sizes, messages) !=
      EXIT_SUCCESS) {
    return EXIT_FAILURE;
  }
  return read_calls(listing, lines, build.sizes.map, build.calls, messages);
}

} // namespace

int check_limits(const ReportRequest& request, const std::string& listing,
                 LineSource& lines, const BuildSizes* sizes, const CallGraph* calls,
                 bool calls_asked, std::FILE* messages) {
  if (request.limits == nullptr) {
    return EXIT_SUCCESS;
  }
  std::optional<Budgets> budgets = read_budgets(request.limits);
  if (!budgets) {
    return report_fatal(messages, "can't read limits", request.limits);
  }
  if (calls_asked && !budgets->stack_levels) {
    budgets->stack_levels = RETURN_STACK_LEVELS;
  }
  BuildSizes read_sizes;
  if (sizes == nullptr) {
    if (read_build_sizes(listing, request.map_name, 0, lines, read_sizes, messages) !=
        EXIT_SUCCESS) {
      return EXIT_FAILURE;
    }
    sizes = &read_sizes;
  }
  const auto read_calls_of = std::make_unique<CallsOfBuild>();
  if (calls == nullptr && budgets->stack_levels) {
    if (read_calls(listing, lines, sizes->map, *read_calls_of, messages) !=
        EXIT_SUCCESS) {
      return EXIT_FAILURE;
    }
    calls = &read_calls_of->graph;
  }
  return check_budgets(*budgets, *sizes, calls, messages);
}

int report_in_form(std::span<const char* const> names, const ReportRequest& request,
                   LineSource& lines, std::FILE* output, std::FILE* messages) {
  const bool two = names.size() >= 2;
  if (request.form == ReportForm::PULL_REQUEST && !two) {
    return report_fatal(messages, "a pull-request table compares two builds, one given",
                        names[0]);
  }
  if (two && request.map_name != nullptr) {
    return report_fatal(messages, "one map named for two listings", request.map_name);
  }
  const std::size_t top_lines = request.top_lines;
  std::vector<std::unique_ptr<WholeBuild>> builds;
  for (std::size_t index = 0; index < (two ? 2U : 1U); ++index) {
    builds.push_back(std::make_unique<WholeBuild>());
    if (read_whole_build(names[index], two ? nullptr : request.map_name, top_lines, lines,
                         *builds.back(), messages) != EXIT_SUCCESS) {
      return EXIT_FAILURE;
    }
  }
  ReportOutput report(output);
  std::optional<SizeChanges> changes;
  if (two) {
    BuildSizes& old_sizes = builds[0]->sizes;
    BuildSizes& new_sizes = builds[1]->sizes;
    compare_maps_of_both_or_none(old_sizes, new_sizes, messages);
    changes = changes_of(old_sizes, new_sizes);
  }
  if (request.form == ReportForm::PULL_REQUEST) {
    report.write(pull_request_table(builds[0]->sizes, builds[1]->sizes, *changes,
                                    builds[0]->calls.graph, builds[1]->calls.graph));
  } else {
    PageBuilds page;
    for (const auto& build : builds) {
      page.sizes.push_back(&build->sizes);
      page.calls.push_back(&build->calls);
    }
    page.changes = changes ? &*changes : nullptr;
    write_build_page(page, report);
  }
  const int written = report.finish(messages);
  const WholeBuild& checked = *builds.back();
  const int within = check_limits(request, checked.sizes.listing, lines, &checked.sizes,
                                  &checked.calls.graph, false, messages);
  return written != EXIT_SUCCESS ? written : within;
}

} // namespace vadrimel
