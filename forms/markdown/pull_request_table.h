#ifndef VADRIMEL_FORMS_MARKDOWN_PULL_REQUEST_TABLE_H_
#define VADRIMEL_FORMS_MARKDOWN_PULL_REQUEST_TABLE_H_

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "model/pic18/call_graph.h"
#include "model/pic18/software_stack.h"
#include "reports/build_sizes.h"
#include "reports/size_changes.h"

namespace vadrimel {

/// The most characters a pull-request comment may take.
inline constexpr std::size_t MOST_COMMENT_CHARACTERS = 65000;

/// What the summary tells of a build's stacks; a null one is not shown.
struct BuildStacks {
  const CallGraph* calls = nullptr;
  const SoftwareStack* software = nullptr;
  /// The size of the map's .stack section.
  std::optional<std::uint64_t> software_size;
};

/// Option -r: two builds compared as a Markdown comment for a pull request.
/// It starts with a marker line by which a CI step finds its own comment,
/// then a summary table (program memory and its share of the part, data
/// memory, the worst cases of the return stack and the software stack),
/// then the changed files and blocks inside <details>. At most `most` characters: the
/// rows past that are dropped, and a line says how many.
std::string pull_request_table(const BuildSizes& old_build, const BuildSizes& new_build,
                               const SizeChanges& changes, const BuildStacks& old_stacks,
                               const BuildStacks& new_stacks,
                               std::size_t most = MOST_COMMENT_CHARACTERS);

} // namespace vadrimel

#endif // VADRIMEL_FORMS_MARKDOWN_PULL_REQUEST_TABLE_H_
