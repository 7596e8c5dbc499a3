#ifndef VADRIMEL_FORMS_PAGE_PAGE_ASSETS_H_
#define VADRIMEL_FORMS_PAGE_PAGE_ASSETS_H_

#include <string_view>

namespace vadrimel {

/// The page's own files, carried by the program (the build writes them in,
/// from forms/page/): the HTML with a marker where the style, the data and
/// the script go, the style, and the script's parts: helpers, the treemap,
/// the page's drawing.
extern const std::string_view PAGE_HTML;
extern const std::string_view PAGE_CSS;
extern const std::string_view PAGE_PARTS_JS;
extern const std::string_view PAGE_TREEMAP_JS;
extern const std::string_view PAGE_JS;

} // namespace vadrimel

#endif // VADRIMEL_FORMS_PAGE_PAGE_ASSETS_H_
