// Compares DOM trees the way a reader would: whitespace that does not render
// is left out, preformatted content is kept exactly. Shared by the writer's
// round-trip tests.
#pragma once

#include "platform/dom/DOMCasts.h"
#include "platform/dom/DOMCharacterData.h"
#include "platform/dom/DOMDocument.h"
#include "platform/dom/DOMElement.h"
#include "platform/foundation/Text.h"

#include <algorithm>
#include <string>
#include <string_view>
#include <vector>

namespace brevanton::domtest {

// Runs of HTML whitespace become one space; leading and trailing runs go.
inline std::u16string collapsed(std::u16string_view text)
{
    std::u16string result;
    bool inSpace = false;
    for (char16_t c : text) {
        if (isHTMLWhitespace(c)) {
            inSpace = true;
            continue;
        }
        if (inSpace && !result.empty())
            result += u' ';
        inSpace = false;
        result += c;
    }
    return result;
}

// Elements whose text is written exactly (lower-case local names).
inline bool keepsWhitespace(std::u16string_view name)
{
    return name == u"pre" || name == u"textarea" || name == u"script" || name == u"style" || name == u"listing"
        || name == u"code";
}

inline void appendCanonicalTree(const DOMNode& node, std::u16string& out, bool preserve)
{
    for (DOMNode* child = node.first(); child; child = child->next()) {
        switch (child->nodeType()) {
        case DOMNode::ELEMENT_NODE: {
            auto& element = downcast<DOMElement>(*child);
            auto name = asciiLowercase(element.localName());
            out += u"<" + name;
            std::vector<std::u16string> attributes;
            for (auto& attribute : element.attributeList()) {
                // Class names compare as a list: spacing and an empty list do not count.
                bool isClass = attribute.name == u"class";
                auto value = isClass ? collapsed(attribute.value) : attribute.value;
                if (isClass && value.empty())
                    continue;
                attributes.push_back(asciiLowercase(attribute.name) + u"=[" + value + u"]");
            }
            std::sort(attributes.begin(), attributes.end());
            for (auto& attribute : attributes)
                out += u" " + attribute;
            out += u">";
            appendCanonicalTree(element, out, preserve || keepsWhitespace(name));
            out += u"</>";
            break;
        }
        case DOMNode::TEXT_NODE:
        case DOMNode::CDATA_SECTION_NODE: {
            auto& data = downcast<DOMCharacterData>(*child).data();
            auto text = preserve ? data : collapsed(data);
            if (!text.empty())
                out += u"T(" + text + u")";
            break;
        }
        case DOMNode::COMMENT_NODE:
            out += u"C(" + downcast<DOMCharacterData>(*child).data() + u")";
            break;
        case DOMNode::DOCUMENT_TYPE_NODE: {
            auto& doctype = downcast<DOMDocumentType>(*child);
            out += u"D(" + asciiLowercase(doctype.name()) + u"," + doctype.publicId() + u"," + doctype.systemId() + u")";
            break;
        }
        case DOMNode::PROCESSING_INSTRUCTION_NODE:
            out += u"P(" + downcast<DOMProcessingInstruction>(*child).target() + u")";
            break;
        default:
            break;
        }
    }
}

// The tree below `node` as text, for comparing two trees.
inline std::u16string canonical(const DOMNode& node)
{
    std::u16string out;
    appendCanonicalTree(node, out, false);
    return out;
}

} // namespace brevanton::domtest
