// The HTML tree builder: the tokens of HTMLTokenizer into our DOM, by every
// insertion mode of the HTML parsing algorithm with scripting off (as an
// editor parses), for whole documents and for fragments in the context of any
// element. It builds the tree in one pass without recursion, so that neither
// depth nor a long list of open formatting elements costs more than linear time.
#pragma once

#include "platform/dom/HTMLTokenizer.h"

#include <memory>
#include <string_view>

namespace brevanton {

class DOMDocument;
class DOMDocumentFragment;
class DOMElement;

struct HTMLParseOptions {
    // Keeps the tokenizer's parse errors (HTMLTokenizer::errors).
    bool recordErrors { false };
    // Whether the pages of the markup the parse has passed go back to the
    // system as it goes (they then read as zeros): for markup the caller made
    // for the parse alone and reads no more, so that a large page's text and
    // its tree are not both resident at the end.
    bool releasesParsedMarkup { false };
};

// A new HTML document from decoded markup, with the loading elements and
// text units the parse records (DOMDocument::setParsedLoadingElements).
std::shared_ptr<DOMDocument> buildHTMLDocument(std::u16string_view markup, const HTMLParseOptions& = {},
                                               std::vector<HTMLParseError>* outErrors = nullptr);
// Markup parsed as the content of `context` (BODY when null), its nodes owned by `document`.
std::shared_ptr<DOMDocumentFragment> buildHTMLFragment(DOMDocument& document, std::u16string_view markup,
                                                       const DOMElement* context, const HTMLParseOptions& = {});

} // namespace brevanton
