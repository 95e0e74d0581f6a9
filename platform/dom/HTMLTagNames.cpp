#include "platform/dom/HTMLTagNames.h"

#include "platform/dom/DOMQualifiedName.h"

#include <algorithm>
#include <array>
#include <span>
#include <utility>

namespace brevanton {

namespace {

constexpr std::u16string_view tagNames[] = {
    u"",
#define BREVANTON_HTML_TAG_STRING(name) u## #name,
    BREVANTON_HTML_TAG_NAMES(BREVANTON_HTML_TAG_STRING)
#undef BREVANTON_HTML_TAG_STRING
};

// Sorted by the lower-case name.
const std::pair<std::u16string_view, std::u16string_view> svgElementNames[] = {
    { u"altglyph", u"altGlyph" },
    { u"altglyphdef", u"altGlyphDef" },
    { u"altglyphitem", u"altGlyphItem" },
    { u"animatecolor", u"animateColor" },
    { u"animatemotion", u"animateMotion" },
    { u"animatetransform", u"animateTransform" },
    { u"clippath", u"clipPath" },
    { u"feblend", u"feBlend" },
    { u"fecolormatrix", u"feColorMatrix" },
    { u"fecomponenttransfer", u"feComponentTransfer" },
    { u"fecomposite", u"feComposite" },
    { u"feconvolvematrix", u"feConvolveMatrix" },
    { u"fediffuselighting", u"feDiffuseLighting" },
    { u"fedisplacementmap", u"feDisplacementMap" },
    { u"fedistantlight", u"feDistantLight" },
    { u"fedropshadow", u"feDropShadow" },
    { u"feflood", u"feFlood" },
    { u"fefunca", u"feFuncA" },
    { u"fefuncb", u"feFuncB" },
    { u"fefuncg", u"feFuncG" },
    { u"fefuncr", u"feFuncR" },
    { u"fegaussianblur", u"feGaussianBlur" },
    { u"feimage", u"feImage" },
    { u"femerge", u"feMerge" },
    { u"femergenode", u"feMergeNode" },
    { u"femorphology", u"feMorphology" },
    { u"feoffset", u"feOffset" },
    { u"fepointlight", u"fePointLight" },
    { u"fespecularlighting", u"feSpecularLighting" },
    { u"fespotlight", u"feSpotLight" },
    { u"fetile", u"feTile" },
    { u"feturbulence", u"feTurbulence" },
    { u"foreignobject", u"foreignObject" },
    { u"glyphref", u"glyphRef" },
    { u"lineargradient", u"linearGradient" },
    { u"radialgradient", u"radialGradient" },
    { u"textpath", u"textPath" },
};
const std::pair<std::u16string_view, std::u16string_view> svgAttributeNames[] = {
    { u"attributename", u"attributeName" },
    { u"attributetype", u"attributeType" },
    { u"basefrequency", u"baseFrequency" },
    { u"baseprofile", u"baseProfile" },
    { u"calcmode", u"calcMode" },
    { u"clippathunits", u"clipPathUnits" },
    { u"diffuseconstant", u"diffuseConstant" },
    { u"edgemode", u"edgeMode" },
    { u"filterunits", u"filterUnits" },
    { u"glyphref", u"glyphRef" },
    { u"gradienttransform", u"gradientTransform" },
    { u"gradientunits", u"gradientUnits" },
    { u"kernelmatrix", u"kernelMatrix" },
    { u"kernelunitlength", u"kernelUnitLength" },
    { u"keypoints", u"keyPoints" },
    { u"keysplines", u"keySplines" },
    { u"keytimes", u"keyTimes" },
    { u"lengthadjust", u"lengthAdjust" },
    { u"limitingconeangle", u"limitingConeAngle" },
    { u"markerheight", u"markerHeight" },
    { u"markerunits", u"markerUnits" },
    { u"markerwidth", u"markerWidth" },
    { u"maskcontentunits", u"maskContentUnits" },
    { u"maskunits", u"maskUnits" },
    { u"numoctaves", u"numOctaves" },
    { u"pathlength", u"pathLength" },
    { u"patterncontentunits", u"patternContentUnits" },
    { u"patterntransform", u"patternTransform" },
    { u"patternunits", u"patternUnits" },
    { u"pointsatx", u"pointsAtX" },
    { u"pointsaty", u"pointsAtY" },
    { u"pointsatz", u"pointsAtZ" },
    { u"preservealpha", u"preserveAlpha" },
    { u"preserveaspectratio", u"preserveAspectRatio" },
    { u"primitiveunits", u"primitiveUnits" },
    { u"refx", u"refX" },
    { u"refy", u"refY" },
    { u"repeatcount", u"repeatCount" },
    { u"repeatdur", u"repeatDur" },
    { u"requiredextensions", u"requiredExtensions" },
    { u"requiredfeatures", u"requiredFeatures" },
    { u"specularconstant", u"specularConstant" },
    { u"specularexponent", u"specularExponent" },
    { u"spreadmethod", u"spreadMethod" },
    { u"startoffset", u"startOffset" },
    { u"stddeviation", u"stdDeviation" },
    { u"stitchtiles", u"stitchTiles" },
    { u"surfacescale", u"surfaceScale" },
    { u"systemlanguage", u"systemLanguage" },
    { u"tablevalues", u"tableValues" },
    { u"targetx", u"targetX" },
    { u"targety", u"targetY" },
    { u"textlength", u"textLength" },
    { u"viewbox", u"viewBox" },
    { u"viewtarget", u"viewTarget" },
    { u"xchannelselector", u"xChannelSelector" },
    { u"ychannelselector", u"yChannelSelector" },
    { u"zoomandpan", u"zoomAndPan" },
};

std::u16string_view lookUp(std::span<const std::pair<std::u16string_view, std::u16string_view>> table,
                           std::u16string_view name)
{
    auto found = std::lower_bound(table.begin(), table.end(), name,
                                  [](const auto& entry, std::u16string_view key) { return entry.first < key; });
    return found != table.end() && found->first == name ? found->second : name;
}

} // namespace

namespace {

constexpr std::u16string_view tagName(HTMLTag tag)
{
    switch (tag) {
    case HTMLTag::annotation_xml:
        return u"annotation-xml";
    case HTMLTag::template_:
        return u"template";
    default:
        return tagNames[static_cast<size_t>(tag)];
    }
}

// The known names in an open-addressed table of 1,024 one-byte slots holding
// tags, beside each tag's name packed a byte per character into two words,
// which the hash mixes: the multiplier gives every known name a slot of its
// own, so a lookup takes one slot and one comparison of two words, as every
// tag of a page asks, and the table stays in a few cache lines while the
// tree builder runs.
class TagTable {
public:
    constexpr TagTable()
    {
        for (size_t i = 1; i < static_cast<size_t>(HTMLTag::Count); ++i) {
            auto tag = static_cast<HTMLTag>(i);
            Key key;
            [[maybe_unused]] bool packed = pack(tagName(tag), key);
            m_keys[i] = key;
            size_t slot = hash(key);
            while (m_slots[slot] != HTMLTag::Unknown)
                slot = (slot + 1) & mask;
            m_slots[slot] = tag;
        }
    }

    constexpr HTMLTag find(std::u16string_view name) const
    {
        Key key;
        if (!pack(name, key))
            return HTMLTag::Unknown;
        for (size_t slot = hash(key);; slot = (slot + 1) & mask) {
            HTMLTag tag = m_slots[slot];
            auto& known = m_keys[static_cast<size_t>(tag)];
            if (tag == HTMLTag::Unknown || (known.low == key.low && known.high == key.high))
                return tag;
        }
    }

private:
    static constexpr size_t mask = 1023;

    struct Key {
        uint64_t low { 0 };
        uint64_t high { 0 };
    };

    // False for what no tag's name can be: empty, longer than 16 units, or
    // with a unit outside ASCII or U+0000.
    static constexpr bool pack(std::u16string_view name, Key& key)
    {
        if (name.empty() || name.size() > 16)
            return false;
        for (size_t i = 0; i < name.size(); ++i) {
            char16_t c = name[i];
            if (!c || c >= 0x80)
                return false;
            (i < 8 ? key.low : key.high) |= uint64_t(c) << (8 * (i % 8));
        }
        return true;
    }

    static constexpr size_t hash(const Key& key)
    {
        uint64_t h = (key.low ^ (key.high * 0x9E3779B97F4A7C15ull)) * 0x090B20BB257E8455ull;
        return static_cast<size_t>(h >> 54) & mask;
    }

    std::array<HTMLTag, mask + 1> m_slots {};
    std::array<Key, static_cast<size_t>(HTMLTag::Count)> m_keys {};
};

constexpr TagTable tagTable;

} // namespace

std::u16string_view htmlTagName(HTMLTag tag)
{
    return tagName(tag);
}

HTMLTag htmlTagForName(std::u16string_view name)
{
    return tagTable.find(name);
}

std::u16string_view adjustedSVGElementName(std::u16string_view name)
{
    return lookUp(svgElementNames, name);
}

std::u16string_view adjustedSVGAttributeName(std::u16string_view name)
{
    return lookUp(svgAttributeNames, name);
}

const DOMQualifiedName* adjustedForeignAttributeName(std::u16string_view name)
{
    if (name.size() < 5 || (name[0] != u'x'))
        return nullptr;
    static const std::array<const DOMQualifiedName*, 11> names = {
        DOMQualifiedName::intern(XLinkNamespace, u"xlink", u"actuate"),
        DOMQualifiedName::intern(XLinkNamespace, u"xlink", u"arcrole"),
        DOMQualifiedName::intern(XLinkNamespace, u"xlink", u"href"),
        DOMQualifiedName::intern(XLinkNamespace, u"xlink", u"role"),
        DOMQualifiedName::intern(XLinkNamespace, u"xlink", u"show"),
        DOMQualifiedName::intern(XLinkNamespace, u"xlink", u"title"),
        DOMQualifiedName::intern(XLinkNamespace, u"xlink", u"type"),
        DOMQualifiedName::intern(XMLNamespace, u"xml", u"lang"),
        DOMQualifiedName::intern(XMLNamespace, u"xml", u"space"),
        DOMQualifiedName::intern(XMLNSNamespace, u"", u"xmlns"),
        DOMQualifiedName::intern(XMLNSNamespace, u"xmlns", u"xlink"),
    };
    for (auto* qualified : names) {
        if (qualified->qualifiedName == name)
            return qualified;
    }
    return nullptr;
}

} // namespace brevanton
