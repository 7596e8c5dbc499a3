#include "driver/report_run.h"

#include "driver/report_plan.h"

#include <cstdint>
#include <cstdlib>
#include <memory>
#include <new>
#include <optional>
#include <string>
#include <vector>

#include "forms/json/call_json.h"
#include "forms/json/change_json.h"
#include "forms/json/json_writer.h"
#include "forms/json/lookup_json.h"
#include "forms/json/size_json.h"
#include "forms/markdown/pull_request_table.h"
#include "forms/page/build_page.h"
#include "forms/text/call_text.h"
#include "forms/text/change_text.h"
#include "forms/text/lookup_text.h"
#include "forms/text/size_text.h"
#include "model/build_time.h"
#include "model/read_build.h"
#include "reports/address_lookup.h"
#include "reports/budgets.h"
#include "reports/build_sizes.h"
#include "reports/size_changes.h"
#include "system/messages.h"
#include "system/platform.h"
#include "system/report_output.h"

namespace vadrimel {

namespace {

using Builds = std::vector<std::unique_ptr<Build>>;

/// A report in the making: its command, its streams and the builds read.
class ReportRun {
public:
  ReportRun(const Command& command, std::FILE* output, std::FILE* messages)
      : command_(command), request_(command.report), output_(output), messages_(messages),
        lines_(LineScope::WHOLE_LINE) {}

  int run();

private:
  [[nodiscard]] bool in_form() const { return is_in_form(request_); }
  /// The exit status of a report that has been written: a failed write, else
  /// 1 when a budget was passed (each on a line of its own), else `status`.
  /// The budgets are checked on `checked`, the last build's sizes as the
  /// report gave them, or when null as its build tells them.
  int finish(ReportOutput& report, const BuildSizes* checked, int status);
  std::optional<Failure> read_builds();
  /// A note when the first of two builds was made after the second: the old
  /// build goes first.
  void note_if_reversed(const Build& first, const Build& second);
  int report_sizes();
  int look_up_addresses();
  int report_calls();
  int report_in_form();

  const Command& command_;
  const ReportRequest& request_;
  std::FILE* output_;
  std::FILE* messages_;
  LineSource lines_;
  ReportPlan plan_;
  Builds builds_;
};

int ReportRun::finish(ReportOutput& report, const BuildSizes* checked, int status) {
  const int written = report.finish(messages_);
  if (written != EXIT_SUCCESS) {
    return written;
  }
  if (!plan_.budgets) {
    return status;
  }
  const Build& build = *builds_.back();
  Budgets budgets = *plan_.budgets;
  // The calls' report holds the software stack to the map's .stack.
  if (command_.mode == Mode::CALLS && !budgets.software_stack_bytes) {
    budgets.software_stack_bytes = build.stack_size();
  }
  const bool calls = build.words() != nullptr;
  const std::vector<std::string> over = over_budget(
      budgets, checked != nullptr ? *checked : sizes_of(build),
      calls ? &build.calls() : nullptr, calls ? &build.software_stack() : nullptr);
  for (const std::string& line : over) {
    write_message(messages_, line + "\n");
  }
  return over.empty() ? status : EXIT_FAILURE;
}

std::optional<Failure> ReportRun::read_builds() {
  if (request_.form == ReportForm::PULL_REQUEST && plan_.builds < 2) {
    return Failure{"a pull-request table compares two builds, one given",
                   command_.names[0]};
  }
  if (plan_.builds == 2 && request_.map_name != nullptr) {
    return Failure{"one map named for two listings", request_.map_name};
  }
  for (std::size_t index = 0; index < plan_.builds; ++index) {
    builds_.push_back(std::make_unique<Build>(plan_.needs));
    std::optional<Failure> failure =
        read_build(command_.names[index], plan_.builds == 2 ? nullptr : request_.map_name,
                   lines_, *builds_.back());
    for (const std::string& note : builds_.back()->notes) {
      write_message(messages_, note);
    }
    if (failure) {
      return failure;
    }
    if (builds_.back()->map_alone && command_.mode == Mode::CALLS && !in_form()) {
      return Failure{"the calls are in the listing, not in the map; name the listing "
                     "beside it",
                     command_.names[index]};
    }
  }
  if (plan_.builds == 2 && builds_[0]->map.has_value() != builds_[1]->map.has_value() &&
      !builds_[0]->map_alone && !builds_[1]->map_alone) {
    write_message(messages_,
                  "Note: no map beside one listing, the listings compared alone:" +
                      (builds_[0]->map ? builds_[1] : builds_[0])->listing + "\n");
  }
  if (plan_.builds == 2) {
    note_if_reversed(*builds_[0], *builds_[1]);
  }
  return std::nullopt;
}

void ReportRun::note_if_reversed(const Build& first, const Build& second) {
  const std::optional<std::int64_t> first_made = seconds_of_date(first.date());
  const std::optional<std::int64_t> second_made = seconds_of_date(second.date());
  if (first_made && second_made && *first_made > *second_made) {
    write_message(messages_, "Note: the first build was made after the second (" +
                                 std::string(first.date()) + ", " +
                                 std::string(second.date()) +
                                 "); name the old build first:" + first.listing + "\n");
  }
}

int ReportRun::report_sizes() {
  ReportOutput report(output_, ControlCharacters::VISIBLE);
  if (builds_.size() == 1) {
    const BuildSizes sizes = sizes_of(*builds_[0]);
    if (request_.form == ReportForm::JSON) {
      JsonWriter json(report);
      write_sizes_json(sizes, json);
      json.finish();
    } else {
      write_sizes(sizes, request_.top_lines, report);
    }
    return finish(report, &sizes, EXIT_SUCCESS);
  }
  const BuildSizes old_sizes = sizes_of(*builds_[0]);
  const BuildSizes new_sizes = sizes_of(*builds_[1]);
  const SizeChanges changes = changes_of(old_sizes, new_sizes);
  if (request_.form == ReportForm::JSON) {
    JsonWriter json(report);
    write_changes_json(old_sizes, new_sizes, changes, json);
    json.finish();
  } else {
    write_changes(old_sizes, new_sizes, changes, report);
  }
  return finish(report, &new_sizes, EXIT_SUCCESS);
}

int ReportRun::look_up_addresses() {
  const std::vector<AddressAnswer> answers = answers_of(*builds_[0]);
  ReportOutput report(output_, ControlCharacters::VISIBLE);
  int status = plan_.bad_address ? EXIT_FAILURE : EXIT_SUCCESS;
  for (const AddressAnswer& answer : answers) {
    status = answer.unknown() ? EXIT_FAILURE : status;
  }
  if (request_.form == ReportForm::JSON) {
    JsonWriter json(report);
    write_answers_json(answers, json);
    json.finish();
  } else {
    write_answers(answers, builds_[0]->map_alone, report);
  }
  return finish(report, nullptr, status);
}

int ReportRun::report_calls() {
  const Build& build = *builds_[0];
  ReportOutput report(output_, ControlCharacters::VISIBLE);
  if (request_.form == ReportForm::JSON) {
    JsonWriter json(report);
    write_calls_json(build, json);
    json.finish();
  } else if (build.calls().roots.empty()) {
    write_calls(build, report);
    // With no code there is nothing to check.
    return report.finish(messages_);
  } else {
    write_calls(build, report);
  }
  return finish(report, nullptr, EXIT_SUCCESS);
}

int ReportRun::report_in_form() {
  std::vector<BuildSizes> sizes;
  for (const std::unique_ptr<Build>& build : builds_) {
    sizes.push_back(sizes_of(*build));
  }
  std::optional<SizeChanges> changes;
  if (sizes.size() == 2) {
    changes = changes_of(sizes[0], sizes[1]);
  }
  ReportOutput report(output_);
  if (request_.form == ReportForm::PULL_REQUEST) {
    const auto stacks_of = [](const Build& build) {
      return BuildStacks{&build.calls(), &build.software_stack(), build.stack_size()};
    };
    report.write(pull_request_table(sizes[0], sizes[1], *changes, stacks_of(*builds_[0]),
                                    stacks_of(*builds_[1])));
  } else {
    PageBuilds page;
    for (std::size_t index = 0; index < sizes.size(); ++index) {
      page.sizes.push_back(&sizes[index]);
      page.builds.push_back(builds_[index].get());
    }
    page.changes = changes ? &*changes : nullptr;
    write_build_page(page, report);
  }
  return finish(report, &sizes.back(), EXIT_SUCCESS);
}

int ReportRun::run() {
  std::optional<Failure> failure = plan_report(command_, plan_, messages_);
  if (!failure) {
    failure = read_builds();
  }
  if (failure) {
    return report_failure(messages_, *failure);
  }
  if (in_form()) {
    return report_in_form();
  }
  if (command_.mode == Mode::CALLS) {
    return report_calls();
  }
  if (command_.mode == Mode::ADDRESSES) {
    return look_up_addresses();
  }
  return report_sizes();
}

} // namespace

int run_report(const Command& command, std::FILE* output, std::FILE* messages) {
  const std::unique_ptr<ReportRun> run(new (std::nothrow)
                                           ReportRun(command, output, messages));
  if (!run) {
    return report_out_of_memory(messages);
  }
  return run->run();
}

} // namespace vadrimel
