// The element names the HTML tree builder knows by number, and the name
// adjustments of SVG and MathML content.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace brevanton {

struct DOMQualifiedName;

#define BREVANTON_HTML_TAG_NAMES(M) \
    M(a) M(address) M(annotation_xml) M(applet) M(area) M(article) M(aside) M(b) M(base) M(basefont) \
    M(bgsound) M(big) M(blockquote) M(body) M(br) M(button) M(caption) M(center) M(code) M(col) \
    M(colgroup) M(dd) M(desc) M(details) M(dialog) M(dir) M(div) M(dl) M(dt) M(em) M(embed) \
    M(fieldset) M(figcaption) M(figure) M(font) M(footer) M(foreignobject) M(form) M(frame) M(frameset) \
    M(h1) M(h2) M(h3) M(h4) M(h5) M(h6) M(head) M(header) M(hgroup) M(hr) M(html) M(i) M(iframe) \
    M(image) M(img) M(input) M(keygen) M(li) M(link) M(listing) M(main) M(malignmark) M(marquee) \
    M(math) M(menu) M(meta) M(mglyph) M(mi) M(mn) M(mo) M(ms) M(mtext) M(nav) M(nobr) M(noembed) \
    M(noframes) M(noscript) M(object) M(ol) M(optgroup) M(option) M(p) M(param) M(plaintext) M(pre) \
    M(rb) M(rp) M(rt) M(rtc) M(ruby) M(s) M(script) M(search) M(section) M(select) M(small) M(source) \
    M(span) M(strike) M(strong) M(style) M(sub) M(summary) M(sup) M(svg) M(table) M(tbody) M(td) \
    M(template_) M(textarea) M(tfoot) M(th) M(thead) M(title) M(tr) M(track) M(tt) M(u) M(ul) M(var) \
    M(wbr) M(xmp)

enum class HTMLTag : uint8_t {
    Unknown,
#define BREVANTON_HTML_TAG_ENUM(name) name,
    BREVANTON_HTML_TAG_NAMES(BREVANTON_HTML_TAG_ENUM)
#undef BREVANTON_HTML_TAG_ENUM
        Count
};

// The tag of a lower-case name ("annotation-xml", "foreignobject", "template"), or Unknown.
HTMLTag htmlTagForName(std::u16string_view);
std::u16string_view htmlTagName(HTMLTag);

// SVG element and attribute names in their mixed case ("foreignobject" is
// "foreignObject"); the name itself when it has no other case.
std::u16string_view adjustedSVGElementName(std::u16string_view);
std::u16string_view adjustedSVGAttributeName(std::u16string_view);
// The namespaced name of an attribute of a foreign element (xlink:href,
// xml:lang, xmlns, xmlns:xlink), or null for an attribute in no namespace.
const DOMQualifiedName* adjustedForeignAttributeName(std::u16string_view);

} // namespace brevanton
