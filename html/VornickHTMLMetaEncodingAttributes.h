// The one reader of the encoding attributes of an HTML file's META elements:
// charset, content and http-equiv, as written. The character encoding
// detector reads the name a page declares from them, and the encoding
// declarations of a page are put back into tidy's rewrite of it from them.
//
// The markup is read byte for byte, as the ASCII it is in any encoding a page
// can declare in a META element: an offset in the text is an offset in the
// bytes, and a value as written is the bytes at its offset.
#pragma once

#include <functional>
#include <optional>
#include <string_view>

namespace brevanton {

// An attribute's value as written (its quotes included) at its byte offset.
struct VornickHTMLWrittenAttributeValue {
    size_t location { 0 };
    std::string_view written;

    size_t end() const { return location + written.size(); }
    // A quoted value whose closing quote is there; any value written bare.
    bool isComplete() const;
    // The value without the quotes around it.
    std::string_view unquoted() const;
};

// One META element's encoding attributes. Of attributes written twice the
// first counts, as in the parsed element.
struct VornickHTMLMetaEncodingAttributes {
    // The offset of the tag's "<", and the offset after its ">": a tag broken
    // off by a stray quote goes on to the end of the next tag (an HTML parser
    // reads on in it), one cut off by the end of the bytes ends there.
    size_t tagLocation { 0 };
    size_t tagEnd { 0 };
    std::optional<VornickHTMLWrittenAttributeValue> charset;
    std::optional<VornickHTMLWrittenAttributeValue> content;
    // Whether the element's http-equiv is Content-Type (in any case, quoted or not).
    bool httpEquivContentType { false };
};

// Hands the encoding attributes of each META element that has a charset or a
// content attribute to `meta`, in order, as its tag ends, until `meta`
// answers false: the scan stops there.
void VornickHTMLReadMetaEncodingAttributes(std::string_view bytes,
                                           const std::function<bool(const VornickHTMLMetaEncodingAttributes&)>& meta);

} // namespace brevanton
