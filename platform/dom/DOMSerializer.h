// HTML serialization of nodes by the HTML fragment serialization algorithm.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace brevanton {

class DOMElement;
class DOMNode;
class DOMRange;

// Changes what a serialization writes without changing the tree: the text of
// Text and CDATA nodes and the attributes of elements, as if a copy of the
// tree had been changed first.
class HTMLSerializationFilter {
public:
    enum class AttributeAction { Keep, Replace, Omit };
    virtual ~HTMLSerializationFilter() = default;
    // Each element as it is written, before its attributes.
    virtual void willWriteElement(const DOMElement&) { }
    // The data to write in place of a Text or CDATA node's; nothing keeps it.
    virtual std::optional<std::u16string> filteredText(std::u16string_view) { return std::nullopt; }
    // Replace writes `replacement` as the value.
    virtual AttributeAction filterAttribute(const DOMElement&, std::u16string_view /*name*/, std::u16string_view /*value*/,
                                            std::u16string& /*replacement*/)
    {
        return AttributeAction::Keep;
    }
};

// Appends the serialization of `node`'s children to `into`.
void serializeChildrenAsHTML(const DOMNode& node, std::u16string& into, HTMLSerializationFilter* = nullptr);
// Appends the serialization of `node` itself, as its parent would serialize it.
void serializeNodeAsHTML(const DOMNode& node, std::u16string& into, HTMLSerializationFilter* = nullptr);
// Appends what serializing the children of the range's cloned contents would,
// without cloning; `text`, when given, gets the range's text (as
// DOMRange::toString) from the same walk. False, with nothing appended, when
// the range cannot be cloned (its document is gone, or it holds a doctype).
bool serializeRangeContentsAsHTML(const DOMRange&, std::u16string& into, HTMLSerializationFilter* = nullptr,
                                  std::u16string* text = nullptr);

// HTML void elements (lower-case local names), which have no end tag.
bool isHTMLVoidElementName(std::u16string_view localName);
// Which characters escaping replaces; "&", "<" and ">" always.
enum class HTMLEscaping {
    // Text content: and the no-break space ("&nbsp;").
    Text,
    // An attribute value in double quotes: and the no-break space and "\"".
    AttributeValue,
    // Markup made to stand as text or inside an attribute value in either
    // quotes: both quotes ("&quot;", "&#39;"); a no-break space stays itself.
    TextOrQuotedValue,
};
void appendEscapedHTML(std::u16string& into, std::u16string_view text, HTMLEscaping);

} // namespace brevanton
