#include "reports/functions_by_depth.h"

#include <algorithm>

namespace vadrimel {

std::vector<const Function*> functions_by_depth(const CallGraph& graph) {
  std::vector<const Function*> order;
  for (const Function& function : graph.functions) {
    order.push_back(&function);
  }
  std::stable_sort(order.begin(), order.end(),
                   [](const Function* left, const Function* right) {
                     if (left->depth.has_value() != right->depth.has_value()) {
                       return !left->depth.has_value();
                     }
                     if (left->depth && *left->depth != *right->depth) {
                       return *left->depth > *right->depth;
                     }
                     return left->address < right->address;
                   });
  return order;
}

} // namespace vadrimel
