#ifndef VADRIMEL_FORMS_MARKDOWN_PULL_REQUEST_TABLE_H_
#define VADRIMEL_FORMS_MARKDOWN_PULL_REQUEST_TABLE_H_

#include <cstddef>
#include <string>

#include "model/pic18/call_graph.h"
#include "reports/build_sizes.h"
#include "reports/size_changes.h"

namespace vadrimel {

/// The most characters a pull-request comment may take.
inline constexpr std::size_t MOST_COMMENT_CHARACTERS = 65000;

/// Option -r: two builds compared as a Markdown comment for a pull request.
/// It starts with a marker line by which a CI step finds its own comment,
/// then a summary table (program memory and its share of the part, data
/// memory, the return stack's worst case), then the changed files and
/// functions inside <details>. At most `most` characters: the rows past that
/// are dropped, and a line says how many.
std::string pull_request_table(const BuildSizes& old_build, const BuildSizes& new_build,
                               const SizeChanges& changes, const CallGraph& old_calls,
                               const CallGraph& new_calls,
                               std::size_t most = MOST_COMMENT_CHARACTERS);

} // namespace vadrimel

#endif // VADRIMEL_FORMS_MARKDOWN_PULL_REQUEST_TABLE_H_
