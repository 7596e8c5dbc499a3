#ifndef VADRIMEL_REPORTS_FUNCTIONS_BY_DEPTH_H_
#define VADRIMEL_REPORTS_FUNCTIONS_BY_DEPTH_H_

#include <vector>

#include "model/pic18/call_graph.h"

namespace vadrimel {

/// The functions of a call graph in the order of -g's table: unbounded
/// first, then deepest, then by address.
std::vector<const Function*> functions_by_depth(const CallGraph& graph);

} // namespace vadrimel

#endif // VADRIMEL_REPORTS_FUNCTIONS_BY_DEPTH_H_
