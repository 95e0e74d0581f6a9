#include "platform/dom/HTMLTagNames.h"

#include "platform/dom/DOMQualifiedName.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>
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
// tags, beside each tag's key: its length and two words of its units, read
// four at a time (a name of 4 to 8 units as its first and last four, which
// overlap; a longer one as its first and last four, the rest compared after),
// so that a name takes a few loads and no loop over its units. The
// multipliers give every known name a slot of its own (checked below), so a
// lookup takes one slot and one comparison of its key, as every tag of a
// page asks, and the table stays in a few cache lines while the tree
// builder runs.
class TagTable {
public:
    constexpr TagTable()
    {
        for (size_t i = 1; i < static_cast<size_t>(HTMLTag::Count); ++i) {
            auto tag = static_cast<HTMLTag>(i);
            Key key = keyOf(tagName(tag));
            m_keys[i] = key;
            size_t slot = hash(key);
            while (m_slots[slot] != HTMLTag::Unknown)
                slot = (slot + 1) & mask;
            m_slots[slot] = tag;
        }
    }

    constexpr HTMLTag find(std::u16string_view name) const
    {
        if (name.empty() || name.size() > longestName)
            return HTMLTag::Unknown;
        Key key = keyOf(name);
        for (size_t slot = hash(key);; slot = (slot + 1) & mask) {
            HTMLTag tag = m_slots[slot];
            auto& known = m_keys[static_cast<size_t>(tag)];
            if (tag == HTMLTag::Unknown)
                return tag;
            if (known.first == key.first && known.last == key.last && known.length == key.length)
                return name.size() <= 8 || name == tagName(tag) ? tag : HTMLTag::Unknown;
        }
    }

    // Whether every known name is found in the slot its key hashes to.
    constexpr bool everyNameHasItsOwnSlot() const
    {
        for (size_t i = 1; i < static_cast<size_t>(HTMLTag::Count); ++i) {
            if (m_slots[hash(m_keys[i])] != static_cast<HTMLTag>(i))
                return false;
        }
        return true;
    }

private:
    static constexpr size_t mask = 1023;
    static constexpr size_t longestName = 16;

    struct Key {
        uint64_t first { 0 };
        uint64_t last { 0 };
        uint64_t length { 0 };
    };

    // Units as one word, the first in the low bits.
    template<size_t count> static constexpr uint64_t word(const char16_t* units)
    {
        uint64_t word = 0;
        if (std::is_constant_evaluated() || std::endian::native != std::endian::little) {
            for (size_t i = 0; i < count; ++i)
                word |= uint64_t(units[i]) << (16 * i);
        } else
            std::memcpy(&word, units, count * sizeof(char16_t));
        return word;
    }

    // Of a name of 1 to 16 units. Every unit is in the key whole, so a unit
    // outside ASCII or a U+0000 matches no known name.
    static constexpr Key keyOf(std::u16string_view name)
    {
        size_t size = name.size();
        const char16_t* units = name.data();
        switch (size) {
        case 1:
            return { units[0], 0, 1 };
        case 2:
            return { word<2>(units), 0, 2 };
        case 3:
            return { word<2>(units) | uint64_t(units[2]) << 32, 0, 3 };
        default:
            return { word<4>(units), word<4>(units + size - 4), size };
        }
    }

    static constexpr size_t hash(const Key& key)
    {
        uint64_t h = (key.first + key.last * 0xEB356D57F050B571ull + key.length) * 0x322AB86F19B2197Full;
        return static_cast<size_t>(h >> 54) & mask;
    }

    std::array<HTMLTag, mask + 1> m_slots {};
    std::array<Key, static_cast<size_t>(HTMLTag::Count)> m_keys {};
};

constexpr TagTable tagTable;
static_assert(tagTable.everyNameHasItsOwnSlot());

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
