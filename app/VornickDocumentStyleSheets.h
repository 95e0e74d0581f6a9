// The style sheets a document references from its HEAD: linked sheets, and
// sheet copies placed inside STYLE elements between marker comments.
#pragma once

#include <memory>
#include <vector>

namespace brevanton {

class DOMDocument;
class VornickStyleSheet;
class VornickStyleSheetReference;

// In HEAD order: one reference per LINK with rel "stylesheet" and an href,
// and the marked copies in each CSS STYLE element holding just its text.
std::vector<std::shared_ptr<VornickStyleSheetReference>> vornick_styleSheetReferences(const DOMDocument&);
std::shared_ptr<VornickStyleSheetReference> vornick_primaryStyleSheetReference(const DOMDocument&);
std::shared_ptr<VornickStyleSheet> vornick_primaryStyleSheet(const DOMDocument&);

} // namespace brevanton
