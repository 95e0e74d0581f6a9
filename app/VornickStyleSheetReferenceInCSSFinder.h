// VornickStyleSheetReferenceInCSSFinder: finds the copies of style sheets
// placed in a STYLE element's CSS between the marker comments
//   /* begin embedded copy of Brevanton stylesheet "NAME", Version VERSION */
//   /* end embedded copy of Brevanton stylesheet */
// (a built-in sheet) and
//   /* begin embedded copy of stylesheet "RELATIVE URL" */
//   /* end embedded copy of stylesheet */
// (any other sheet).
#pragma once

#include <memory>
#include <string_view>
#include <vector>

namespace brevanton {

class DOMText;
class VornickStyleSheetReference;

class VornickStyleSheetReferenceInCSSFinder {
public:
    // The marked copies in `css`, the data of `textNode`, in order; a begin
    // marker without its end marker is no copy.
    std::vector<std::shared_ptr<VornickStyleSheetReference>> findStyleSheetReferencesInCSSString(
        std::u16string_view css, const std::shared_ptr<DOMText>& textNode) const;
};

} // namespace brevanton
