#ifndef VADRIMEL_FORMS_JSON_LOOKUP_JSON_H_
#define VADRIMEL_FORMS_JSON_LOOKUP_JSON_H_

#include <vector>

#include "forms/json/json_writer.h"
#include "reports/address_lookup.h"

namespace vadrimel {

/// The answers of -a -j: a list of `address`, `function`, `offset`, `file`,
/// `line` and `text`, null where not known.
void write_answers_json(const std::vector<AddressAnswer>& answers, JsonWriter& json);

} // namespace vadrimel

#endif // VADRIMEL_FORMS_JSON_LOOKUP_JSON_H_
