#include "platform/css/CSSStyleResolver.h"

#include "platform/css/CSSPresentationalHints.h"

#include "platform/css/CSSUserAgentStyleSheet.h"
#include "platform/dom/DOMCasts.h"
#include "platform/dom/DOMDocument.h"
#include "platform/dom/DOMElement.h"
#include "platform/foundation/FileReading.h"
#include "platform/foundation/FileUtilities.h"
#include "platform/foundation/Text.h"
#include "platform/foundation/URL.h"

#include <algorithm>
#include <array>
#include <unordered_set>
#include <cmath>
#include <sys/stat.h>

namespace brevanton {

namespace {

using ID = CSSPropertyID;
using P = CSSPrimitiveValue;
using Value = std::shared_ptr<const CSSValue>;

struct UserSheet {
    std::shared_ptr<const CSSRuleSet> rules;
    uint64_t generation { 0 };
};

UserSheet& userSheet()
{
    static UserSheet sheet;
    return sheet;
}

const CSSRuleSet& userAgentRules()
{
    static const CSSRuleSet* rules = [] {
        auto* set = new CSSRuleSet(true);
        set->addStyleSheet(userAgentStyleSheet());
        return set;
    }();
    return *rules;
}

struct RegistryEntry {
    std::weak_ptr<const DOMNode> document;
    std::unique_ptr<CSSStyleResolver> resolver;
};

std::unordered_map<const DOMDocument*, RegistryEntry>& registry()
{
    static std::unordered_map<const DOMDocument*, RegistryEntry> map;
    return map;
}

const DOMElement* parentElementOf(const DOMElement& element)
{
    return toElement(element.parent());
}

Value pixels(double value)
{
    return P::create(value, P::CSS_PX);
}

Value identifierValue(std::u16string_view name)
{
    return P::createIdentifier(std::u16string(name));
}

double fontSizeForKeyword(std::u16string_view keyword)
{
    if (keyword == u"xx-small")
        return 9;
    if (keyword == u"x-small")
        return 10;
    if (keyword == u"small")
        return 13;
    if (keyword == u"large")
        return 18;
    if (keyword == u"x-large")
        return 24;
    if (keyword == u"xx-large")
        return 32;
    if (keyword == u"xxx-large")
        return 48;
    return 16;
}

double fontWeightNumber(const CSSValue* value)
{
    auto* primitive = toPrimitiveValue(value);
    if (!primitive)
        return 400;
    if (primitive->primitiveType() == P::CSS_NUMBER)
        return primitive->numberValue();
    if (primitive->isIdentifier(u"bold"))
        return 700;
    return 400;
}

struct Context {
    double fontSize { 16 };
    double parentFontSize { 16 };
    double rootFontSize { 16 };
};

// A length in pixels when `value` is a relative or absolute length other
// than px (or a percentage, given a base); null when the value stays as it is.
Value computeLength(const CSSValue* value, const Context& context, double percentageBase = NAN)
{
    auto* primitive = toPrimitiveValue(value);
    if (!primitive)
        return nullptr;
    double number = primitive->numberValue();
    switch (primitive->primitiveType()) {
    case P::CSS_EMS:
        return pixels(number * context.fontSize);
    case P::CSS_EXS:
    case P::CSS_CHS:
        return pixels(number * context.fontSize / 2);
    case P::CSS_REMS:
        return pixels(number * context.rootFontSize);
    case P::CSS_PT:
    case P::CSS_PC:
    case P::CSS_IN:
    case P::CSS_CM:
    case P::CSS_MM:
        return pixels(primitive->getFloatValue(P::CSS_PX));
    case P::CSS_PERCENTAGE:
        if (!std::isnan(percentageBase))
            return pixels(number * percentageBase / 100);
        return nullptr;
    default:
        return nullptr;
    }
}

double computeFontSize(const CSSValue* value, const Context& context)
{
    auto* primitive = toPrimitiveValue(value);
    if (!primitive)
        return context.parentFontSize;
    if (primitive->primitiveType() == P::CSS_IDENT) {
        const auto& keyword = primitive->stringReference();
        if (keyword == u"smaller")
            return context.parentFontSize / 1.2;
        if (keyword == u"larger")
            return context.parentFontSize * 1.2;
        return fontSizeForKeyword(keyword);
    }
    if (primitive->primitiveType() == P::CSS_PX)
        return primitive->numberValue();
    Context relative = context;
    relative.fontSize = context.parentFontSize;
    auto computed = computeLength(value, relative, context.parentFontSize);
    auto* computedPrimitive = toPrimitiveValue(computed.get());
    return computedPrimitive ? computedPrimitive->getFloatValue(P::CSS_PX) : context.parentFontSize;
}

// bolder and lighter against the parent's weight; null when the value stays.
Value computeFontWeight(const CSSValue* value, const CSSValue* parentWeight)
{
    auto* primitive = toPrimitiveValue(value);
    if (!primitive || primitive->primitiveType() != P::CSS_IDENT)
        return nullptr;
    bool bolder = primitive->isIdentifier(u"bolder");
    bool lighter = primitive->isIdentifier(u"lighter");
    if (!bolder && !lighter)
        return nullptr;
    double weight = fontWeightNumber(parentWeight);
    double result;
    if (bolder)
        result = weight < 350 ? 400 : weight < 550 ? 700 : 900;
    else
        result = weight < 550 ? 100 : weight < 750 ? 400 : 700;
    if (result == 400)
        return identifierValue(u"normal");
    if (result == 700)
        return identifierValue(u"bold");
    return P::create(result, P::CSS_NUMBER);
}

bool isHiddenBorderStyle(const CSSValue* style)
{
    auto* primitive = toPrimitiveValue(style);
    return !primitive || primitive->isIdentifier(u"none") || primitive->isIdentifier(u"hidden");
}

// The display of floated, absolutely positioned and root boxes.
std::u16string_view blockifiedDisplay(std::u16string_view display)
{
    if (display == u"inline-table")
        return u"table";
    if (display == u"inline-flex")
        return u"flex";
    if (display == u"inline-grid")
        return u"grid";
    if (display == u"list-item" || display == u"none" || display == u"table" || display == u"flex"
        || display == u"grid" || display == u"block" || display == u"flow-root")
        return display;
    return u"block";
}

struct MatchedDeclaration {
    uint64_t key;
    const CSSDeclaration* declaration;
    uint32_t sequence { 0 };
};

// Cascade bands: normal declarations by origin, then important ones in reverse origin order.
enum Band : uint64_t {
    UserAgentNormal = 0,
    UserNormal = 1,
    AuthorNormal = 2,
    InlineNormal = 3,
    AuthorImportant = 4,
    InlineImportant = 5,
    UserImportant = 6,
    UserAgentImportant = 7,
};

void addRuleDeclarations(std::vector<MatchedDeclaration>& out, const std::vector<CSSRuleData>& rules, Band normal,
                         Band important)
{
    for (auto& data : rules) {
        uint64_t order = (static_cast<uint64_t>(data.specificity & 0xFFFFFF) << 24) | std::min(data.position, 0xFFFFFFu);
        for (auto& declaration : data.rule->declarations) {
            uint64_t band = declaration.important ? important : normal;
            out.push_back({ (band << 56) | order, &declaration });
        }
    }
}

// Frequently made values, made once.
struct CommonValues {
    Value zero = pixels(0);
    Value thin = pixels(1);
    Value medium = pixels(3);
    Value thick = pixels(5);
    Value autoValue = identifierValue(u"auto");
    Value block = identifierValue(u"block");
};

const CommonValues& common()
{
    static const CommonValues values;
    return values;
}

std::shared_ptr<CSSComputedValues> makeInitialValues()
{
    auto values = std::make_shared<CSSComputedValues>();
    Context context;
    for (unsigned i = 0; i < CSSPropertyCount; ++i) {
        auto id = static_cast<ID>(i);
        const auto& info = cssPropertyInfo(id);
        Value value = parseCSSValue(id, info.initial);
        if (info.kind == CSSValueKind::BorderWidth)
            value = pixels(3);
        else if (id == ID::FontSize)
            value = pixels(16);
        else if (info.kind == CSSValueKind::Color)
            value = P::createColor({ 0, 0, 0, id == ID::BackgroundColor ? 0.0 : 1.0 });
        else if (auto computed = computeLength(value.get(), context))
            value = computed;
        if (!value)
            value = identifierValue(info.initial);
        values->madeValues.push_back(value);
        values->values[i] = value.get();
    }
    values->fontSize = 16;
    return values;
}

// The cascade and value computation for one element, or for one of its
// pseudo-elements (`parent` then being the element's values); null for a
// pseudo-element that no rule styles.
std::shared_ptr<const CSSComputedValues> computeStyle(const DOMElement& element,
                                                      const std::shared_ptr<const CSSComputedValues>& parent,
                                                      double rootFontSize,
                                                      const std::shared_ptr<const CSSRuleSet>& authorRules,
                                                      CSSPseudoElement pseudo = CSSPseudoElement::None)
{
    const auto& initial = *CSSStyleResolver::initialValues();
    thread_local std::vector<CSSRuleData> rules;
    thread_local std::vector<MatchedDeclaration> matched;
    matched.clear();
    auto result = std::make_shared<CSSComputedValues>();
    result->parent = parent;

    rules.clear();
    userAgentRules().collectMatchingRules(element, rules, pseudo);
    addRuleDeclarations(matched, rules, UserAgentNormal, UserAgentImportant);
    if (auto& user = userSheet().rules) {
        rules.clear();
        user->collectMatchingRules(element, rules, pseudo);
        if (!rules.empty())
            result->userRules = user;
        addRuleDeclarations(matched, rules, UserNormal, UserImportant);
    }
    // Presentational attributes come first among the author's declarations,
    // so that any rule of the page overrides them.
    if (pseudo == CSSPseudoElement::None && element.hasAttributes()) {
        auto hints = cssPresentationalHints(element);
        if (!hints.empty()) {
            std::u16string baseURL;
            if (auto* document = element.document())
                baseURL = document->URL();
            result->presentationalDeclarations = parseCSSDeclarationList(hints, baseURL);
            for (auto& declaration : result->presentationalDeclarations)
                matched.push_back({ static_cast<uint64_t>(AuthorNormal) << 56, &declaration });
        }
    }
    if (authorRules) {
        rules.clear();
        authorRules->collectMatchingRules(element, rules, pseudo);
        if (!rules.empty())
            result->authorRules = authorRules;
        addRuleDeclarations(matched, rules, AuthorNormal, AuthorImportant);
    }
    if (pseudo != CSSPseudoElement::None) {
        if (matched.empty())
            return nullptr;
    } else if (const std::u16string* style = element.attributeValue(u"style"); style && !style->empty()) {
        std::u16string baseURL;
        if (auto* document = element.document())
            baseURL = document->URL();
        result->inlineDeclarations = parseCSSDeclarationList(*style, baseURL);
        for (auto& declaration : result->inlineDeclarations)
            matched.push_back({ static_cast<uint64_t>(declaration.important ? InlineImportant : InlineNormal) << 56,
                                &declaration });
    }
    // Declarations of equal rank keep their order of appearance.
    for (size_t i = 0; i < matched.size(); ++i)
        matched[i].sequence = static_cast<uint32_t>(i);
    std::sort(matched.begin(), matched.end(), [](const MatchedDeclaration& a, const MatchedDeclaration& b) {
        return a.key < b.key || (a.key == b.key && a.sequence < b.sequence);
    });

    std::array<const CSSDeclaration*, CSSPropertyCount> cascaded {};
    for (auto& entry : matched)
        cascaded[static_cast<unsigned>(entry.declaration->property)] = entry.declaration;

    const CSSComputedValues& inherited = parent ? *parent : initial;
    auto keep = [&](Value value) {
        const CSSValue* raw = value.get();
        result->madeValues.push_back(std::move(value));
        return raw;
    };

    // The specified value of a property: cascaded, inherited or initial.
    auto specified = [&](ID id, bool& isInheritedValue) -> const CSSValue* {
        unsigned index = static_cast<unsigned>(id);
        const CSSDeclaration* declaration = cascaded[index];
        bool inherits = cssPropertyInfo(id).inherited;
        isInheritedValue = false;
        if (declaration) {
            if (declaration->keyword == CSSDeclaration::Keyword::None)
                return declaration->value.get();
            inherits = declaration->keyword == CSSDeclaration::Keyword::Inherit;
            if (!inherits)
                return initial.values[index];
        }
        if (inherits) {
            isInheritedValue = true;
            return inherited.values[index];
        }
        return initial.values[index];
    };

    Context context;
    context.parentFontSize = inherited.fontSize;
    context.rootFontSize = rootFontSize;
    bool fromParent = false;

    // The font size first: other lengths depend on it.
    const CSSValue* fontSize = specified(ID::FontSize, fromParent);
    if (fromParent || fontSize == initial.value(ID::FontSize)) {
        context.fontSize = fromParent ? inherited.fontSize : 16;
        result->values[static_cast<unsigned>(ID::FontSize)] = fontSize;
    } else {
        context.fontSize = computeFontSize(fontSize, context);
        result->values[static_cast<unsigned>(ID::FontSize)] = keep(pixels(context.fontSize));
    }
    result->fontSize = context.fontSize;
    // On the root itself, rem lengths other than its font size refer to its own font size.
    if (!parent)
        context.rootFontSize = context.fontSize;

    // Then the colour, which "currentcolor" refers to.
    const CSSValue* color = specified(ID::Color, fromParent);
    if (auto* primitive = toPrimitiveValue(color); primitive && primitive->isIdentifier(u"currentcolor"))
        color = inherited.value(ID::Color);
    result->values[static_cast<unsigned>(ID::Color)] = color;

    const auto& made = common();
    for (unsigned i = 0; i < CSSPropertyCount; ++i) {
        auto id = static_cast<ID>(i);
        if (id == ID::FontSize || id == ID::Color)
            continue;
        const CSSValue* value = specified(id, fromParent);
        if (!fromParent && value != initial.values[i]) {
            const auto& info = cssPropertyInfo(id);
            switch (info.kind) {
            case CSSValueKind::Length:
                if (auto computed = computeLength(value, context))
                    value = keep(std::move(computed));
                break;
            case CSSValueKind::BorderWidth:
                if (auto* primitive = toPrimitiveValue(value); primitive && primitive->primitiveType() == P::CSS_IDENT)
                    value = primitive->isIdentifier(u"thin") ? made.thin.get()
                        : primitive->isIdentifier(u"thick")  ? made.thick.get()
                                                             : made.medium.get();
                else if (auto computed = computeLength(value, context))
                    value = keep(std::move(computed));
                break;
            case CSSValueKind::LineHeight:
                if (auto computed = computeLength(value, context, context.fontSize))
                    value = keep(std::move(computed));
                break;
            case CSSValueKind::FontWeight:
                if (auto computed = computeFontWeight(value, inherited.value(ID::FontWeight)))
                    value = keep(std::move(computed));
                break;
            case CSSValueKind::Color:
                if (auto* primitive = toPrimitiveValue(value); primitive && primitive->isIdentifier(u"currentcolor"))
                    value = color;
                break;
            default:
                break;
            }
        } else if (!fromParent && cssPropertyInfo(id).kind == CSSValueKind::Color && id != ID::BackgroundColor) {
            // Initial border and outline colours are the element's colour.
            value = color;
        }
        result->values[i] = value;
    }

    // Borders and outlines without a style have no width.
    const std::pair<ID, ID> borders[] = { { ID::BorderTopStyle, ID::BorderTopWidth },
                                          { ID::BorderRightStyle, ID::BorderRightWidth },
                                          { ID::BorderBottomStyle, ID::BorderBottomWidth },
                                          { ID::BorderLeftStyle, ID::BorderLeftWidth },
                                          { ID::OutlineStyle, ID::OutlineWidth } };
    for (auto [style, width] : borders) {
        if (isHiddenBorderStyle(result->value(style)))
            result->values[static_cast<unsigned>(width)] = made.zero.get();
    }

    // Floated, absolutely positioned and root elements are blocks.
    std::u16string_view display = result->identifier(ID::Display);
    bool isRoot = pseudo == CSSPseudoElement::None && element.parent() && element.parent()->isDocumentNode();
    std::u16string_view position = result->identifier(ID::Position);
    bool blockify = isRoot || result->identifier(ID::Float) != u"none" || position == u"absolute" || position == u"fixed";
    if (blockify && (isRoot || display != u"contents")) {
        std::u16string_view blockDisplay = blockifiedDisplay(display);
        if (blockDisplay != display)
            result->values[static_cast<unsigned>(ID::Display)] =
                blockDisplay == u"block" ? made.block.get() : keep(identifierValue(blockDisplay));
    }

    return result;
}

} // namespace

CSSComputedValues::~CSSComputedValues()
{
    // Each parent held by nothing else gives up its own parent before it goes.
    auto ancestor = std::move(parent);
    while (ancestor && ancestor.use_count() == 1) {
        auto next = std::move(const_cast<CSSComputedValues&>(*ancestor).parent);
        ancestor = std::move(next);
    }
}

std::u16string_view CSSComputedValues::identifier(CSSPropertyID id) const
{
    auto* primitive = toPrimitiveValue(value(id));
    if (!primitive || primitive->primitiveType() != P::CSS_IDENT)
        return {};
    return primitive->stringReference();
}

const std::shared_ptr<const CSSComputedValues>& CSSStyleResolver::initialValues()
{
    static const std::shared_ptr<const CSSComputedValues> values = makeInitialValues();
    return values;
}

CSSStyleResolver& CSSStyleResolver::forDocument(const DOMDocument& document)
{
    // Layout and painting ask for one document many times in a row. An
    // entry whose document is alive is this document's: no other can stand
    // at its address meanwhile.
    thread_local const DOMDocument* lastDocument = nullptr;
    thread_local RegistryEntry* lastEntry = nullptr;
    if (&document == lastDocument && !lastEntry->document.expired())
        return *lastEntry->resolver;
    lastDocument = nullptr;
    auto& map = registry();
    auto found = map.find(&document);
    if (found != map.end()) {
        if (!found->second.document.expired()) {
            lastDocument = &document;
            lastEntry = &found->second;
            return *found->second.resolver;
        }
        map.erase(found);
    }
    // Drop the resolvers of documents that went away, once as many were
    // made as there are since the last time: a page of thousands of frames
    // makes each in constant time on average.
    static size_t madeSinceSweep = 0;
    if (++madeSinceSweep >= map.size()) {
        madeSinceSweep = 0;
        for (auto it = map.begin(); it != map.end();) {
            if (it->second.document.expired())
                it = map.erase(it);
            else
                ++it;
        }
    }
    RegistryEntry entry { document.weak_from_this(), std::make_unique<CSSStyleResolver>(document) };
    lastEntry = &map.emplace(&document, std::move(entry)).first->second;
    lastDocument = &document;
    return *lastEntry->resolver;
}

CSSStyleResolver::CSSStyleResolver(const DOMDocument& document)
    : m_document(&document)
{
}

std::shared_ptr<const CSSComputedValues> CSSStyleResolver::computedValuesFor(const DOMElement& element)
{
    if (auto* document = element.document())
        return forDocument(*document).computedValues(element);
    // No document: user-agent, user and inline styles, ancestors first.
    std::vector<const DOMElement*> chain;
    for (auto* e = &element; e; e = parentElementOf(*e))
        chain.push_back(e);
    std::shared_ptr<const CSSComputedValues> values;
    double rootFontSize = 16;
    for (auto it = chain.rbegin(); it != chain.rend(); ++it) {
        values = computeStyle(**it, values, rootFontSize, nullptr);
        if (it == chain.rbegin())
            rootFontSize = values->fontSize;
    }
    return values;
}

std::shared_ptr<const CSSComputedValues> CSSStyleResolver::computedValues(const DOMElement& element)
{
    validate();
    bool connected = element.isConnected();
    if (connected) {
        if (auto* values = cachedValues(element))
            return *values;
    }
    // rem lengths refer to the font size of the root element: in a document,
    // its document element, found without a walk up a deep page.
    const DOMElement* top = &element;
    auto root = connected ? element.document()->documentElement() : nullptr;
    if (root && parentElementOf(*root) == nullptr)
        top = root.get();
    else {
        while (auto* up = parentElementOf(*top))
            top = up;
    }
    double rootFontSize = top == &element ? 16 : computedValues(*top)->fontSize;
    // Ancestors first, from the nearest one already computed. Mostly the
    // parent is computed already: a short chain stays off the heap.
    std::array<const DOMElement*, 8> shortChain;
    size_t shortLength = 0;
    std::vector<const DOMElement*> longChain;
    std::shared_ptr<const CSSComputedValues> parent;
    for (auto* e = &element; e; e = parentElementOf(*e)) {
        if (connected) {
            if (auto* values = cachedValues(*e)) {
                parent = *values;
                break;
            }
        }
        if (shortLength < shortChain.size())
            shortChain[shortLength++] = e;
        else
            longChain.push_back(e);
    }
    auto compute = [&](const DOMElement* e) {
        if (!connected) {
            parent = computeStyle(*e, parent, rootFontSize, m_authorRules);
            return;
        }
        auto values = sharedOrComputedValues(*e, parent, rootFontSize);
        cacheValues(*e, values);
        parent = std::move(values);
    };
    for (auto it = longChain.rbegin(); it != longChain.rend(); ++it)
        compute(*it);
    for (size_t i = shortLength; i-- > 0;)
        compute(shortChain[i]);
    return parent;
}

std::shared_ptr<const CSSComputedValues> CSSStyleResolver::sharedOrComputedValues(const DOMElement& element,
                                                                                  const std::shared_ptr<const CSSComputedValues>& parent,
                                                                                  double rootFontSize)
{
    // A link's colour comes from the BODY element's attributes, wherever the link stands.
    if (element.hasTagName(u"a"))
        return computeStyle(element, parent, rootFontSize, m_authorRules);
    // What selectors, presentational hints and inline style see of the
    // element besides its ancestors (which the parent's values stand for):
    // its name, whether it is its parent's first element child, and its
    // attributes, each string led by its length.
    thread_local std::u16string key;
    key.clear();
    auto appendNumber = [](uint64_t number, size_t units) {
        for (size_t i = 0; i < units; ++i, number >>= 16)
            key.push_back(static_cast<char16_t>(number & 0xFFFF));
    };
    auto appendString = [&](std::u16string_view text) {
        appendNumber(text.size(), 2);
        key.append(text);
    };
    appendNumber(reinterpret_cast<uintptr_t>(parent.get()), sizeof(uintptr_t) / 2);
    appendNumber(element.qualifiedName().index, 2);
    bool firstChild = element.parent() && element.parent()->isElementNode();
    for (auto* node = element.previous(); node && firstChild; node = node->previous())
        firstChild = !node->isElementNode();
    key.push_back(firstChild ? u'1' : u'0');
    for (auto& attribute : element.attributeList()) {
        appendString(attribute.namespaceURI());
        appendString(attribute.name);
        appendString(attribute.value);
    }
    auto found = m_sharedValues.find(key);
    if (found != m_sharedValues.end())
        return found->second;
    auto values = computeStyle(element, parent, rootFontSize, m_authorRules);
    if (m_sharedValues.size() >= m_sharedValuesPruneSize)
        pruneSharedValues();
    m_sharedValues.emplace(key, values);
    return values;
}

void CSSStyleResolver::pruneSharedValues()
{
    // Values that only this table holds belong to no element any more.
    std::erase_if(m_sharedValues, [](const auto& entry) { return entry.second.use_count() == 1; });
    m_sharedValuesPruneSize = std::max(minimumSharedValuesPruneSize, 2 * m_sharedValues.size());
}

std::shared_ptr<const CSSComputedValues> CSSStyleResolver::pseudoElementValuesFor(const DOMElement& element,
                                                                                 CSSPseudoElement pseudo)
{
    if (auto* document = element.document())
        return forDocument(*document).pseudoElementValues(element, pseudo);
    return computeStyle(element, computedValuesFor(element), 16, nullptr, pseudo);
}

std::shared_ptr<const CSSComputedValues> CSSStyleResolver::pseudoElementValues(const DOMElement& element,
                                                                               CSSPseudoElement pseudo)
{
    if (pseudo == CSSPseudoElement::None)
        return computedValues(element);
    validate();
    // Most pages style no pseudo-element at all.
    if (!stylesPseudoElement(pseudo))
        return nullptr;
    unsigned slot = pseudo == CSSPseudoElement::Before ? 0 : 1;
    bool connected = element.isConnected();
    if (connected) {
        auto found = m_pseudoElementStyles.find(&element);
        if (found != m_pseudoElementStyles.end() && found->second.computed[slot])
            return found->second.values[slot];
    }
    auto parent = computedValues(element);
    const DOMElement* top = &element;
    while (auto* up = parentElementOf(*top))
        top = up;
    double rootFontSize = top == &element ? parent->fontSize : computedValues(*top)->fontSize;
    auto values = computeStyle(element, parent, rootFontSize, m_authorRules, pseudo);
    if (connected) {
        auto& entry = m_pseudoElementStyles[&element];
        entry.values[slot] = values;
        entry.computed[slot] = true;
    }
    return values;
}

bool CSSStyleResolver::stylesPseudoElement(CSSPseudoElement pseudo) const
{
    auto& user = userSheet().rules;
    return userAgentRules().hasRulesFor(pseudo) || (user && user->hasRulesFor(pseudo))
        || (m_authorRules && m_authorRules->hasRulesFor(pseudo));
}

bool CSSStyleResolver::stylesPseudoElements()
{
    validate();
    return stylesPseudoElement(CSSPseudoElement::Before) || stylesPseudoElement(CSSPseudoElement::After);
}

void CSSStyleResolver::setUserStyleSheet(std::u16string_view text, const std::u16string& baseURL)
{
    auto& sheet = userSheet();
    sheet.rules.reset();
    if (!text.empty()) {
        auto rules = std::make_shared<CSSRuleSet>();
        rules->addStyleSheet(CSSStyleSheet::parse(text, baseURL));
        sheet.rules = std::move(rules);
    }
    ++sheet.generation;
}

void CSSStyleResolver::setLinkedStyleSheetProvider(LinkedStyleSheetProvider provider)
{
    m_linkedStyleSheetProvider = std::move(provider);
    invalidate();
}

void CSSStyleResolver::invalidate()
{
    m_valid = false;
    m_sheetCache.clear();
}

const std::vector<std::shared_ptr<CSSStyleSheet>>& CSSStyleResolver::authorStyleSheets()
{
    validate();
    return m_authorSheets;
}

uint64_t CSSStyleResolver::styleGeneration()
{
    validate();
    return m_styleGeneration;
}

bool cssCharacterDataChangesAffectStyleSheets(const DOMDocument& document, uint64_t sinceVersion)
{
    if (document.characterDataVersion() == sinceVersion)
        return false;
    std::vector<std::shared_ptr<DOMNode>> changes;
    if (!document.characterDataChangesSince(sinceVersion, changes))
        return true;
    for (auto& node : changes) {
        // Selectors never look at text: only the text of a STYLE element counts.
        for (auto* ancestor = node->parentElement().get(); ancestor; ancestor = ancestor->parentElement().get()) {
            if (ancestor->isHTMLElement() && ancestor->hasTagName(u"style"))
                return true;
        }
    }
    return false;
}

bool CSSStyleResolver::attributeAffectsStyles(std::u16string_view name)
{
    validate();
    return selectorsSeeAttribute(name);
}

bool CSSStyleResolver::selectorsSeeAttribute(std::u16string_view name) const
{
    std::u16string lower(name);
    for (auto& c : lower) {
        if (c >= u'A' && c <= u'Z')
            c = static_cast<char16_t>(c - u'A' + u'a');
    }
    if (lower == u"style" || cssIsPresentationalAttribute(lower) || userAgentRules().selectsOnAttribute(lower))
        return true;
    if (auto& user = userSheet().rules; user && user->selectsOnAttribute(lower))
        return true;
    return m_authorRules && m_authorRules->selectsOnAttribute(lower);
}

const std::shared_ptr<const CSSComputedValues>* CSSStyleResolver::cachedValues(const DOMElement& element)
{
    auto& slot = element.styleSlot();
    if (slot.owner == m_slotOwner)
        return slot.index < m_styles.size() && m_styles[slot.index].element == &element ? &m_styles[slot.index].values : nullptr;
    // No resolver cached the element's values (a new element): none are here.
    if (!slot.owner)
        return nullptr;
    // Another document's resolver wrote the slot: the element came from there.
    indexStyles();
    auto found = m_styleIndexes.find(&element);
    if (found == m_styleIndexes.end())
        return nullptr;
    slot = { m_slotOwner, found->second };
    return &m_styles[found->second].values;
}

void CSSStyleResolver::cacheValues(const DOMElement& element, std::shared_ptr<const CSSComputedValues> values)
{
    uint32_t index;
    if (m_freeStyles.empty()) {
        index = static_cast<uint32_t>(m_styles.size());
        m_styles.emplace_back();
    } else {
        index = m_freeStyles.back();
        m_freeStyles.pop_back();
    }
    m_styles[index] = { &element, std::move(values), false };
    element.styleSlot() = { m_slotOwner, index };
    m_unindexedStyles.push_back(index);
    // Entries left by elements that went go when the list is indexed: it stays within the table's size.
    if (m_unindexedStyles.size() > std::max(minimumUnindexedStyles, m_styles.size()))
        indexStyles();
}

void CSSStyleResolver::indexStyles()
{
    for (uint32_t index : m_unindexedStyles) {
        auto& entry = m_styles[index];
        // Places taken again are listed once more: the entry there now counts.
        if (!entry.element || entry.indexed)
            continue;
        auto [found, inserted] = m_styleIndexes.try_emplace(entry.element, index);
        entry.indexed = true;
        if (inserted || found->second == index)
            continue;
        // The older entry at the address was left by an element that went: the newer is the live one's.
        uint32_t stale = found->second;
        found->second = index;
        m_styles[stale] = {};
        m_freeStyles.push_back(stale);
    }
    m_unindexedStyles.clear();
}

void CSSStyleResolver::forgetValues(const DOMElement& element)
{
    auto& slot = element.styleSlot();
    if (slot.owner == m_slotOwner) {
        if (slot.index < m_styles.size() && m_styles[slot.index].element == &element)
            releaseStyle(slot.index);
        return;
    }
    // Cached values always have a slot naming this resolver, or another one written since.
    if (!slot.owner)
        return;
    indexStyles();
    if (auto found = m_styleIndexes.find(&element); found != m_styleIndexes.end())
        releaseStyle(found->second);
}

void CSSStyleResolver::releaseStyle(uint32_t index)
{
    auto& entry = m_styles[index];
    if (entry.indexed) {
        auto found = m_styleIndexes.find(entry.element);
        if (found != m_styleIndexes.end() && found->second == index)
            m_styleIndexes.erase(found);
    }
    // The values go now: only the entry's place is kept.
    entry = {};
    m_freeStyles.push_back(index);
}

void CSSStyleResolver::forgetSubtree(const DOMNode& root)
{
    for (const DOMNode* node = &root; node; node = node->traverseNext(&root)) {
        if (node->isElementNode()) {
            forgetValues(*downcast<DOMElement>(node));
            m_pseudoElementStyles.erase(downcast<DOMElement>(node));
        }
    }
}

bool CSSStyleResolver::invalidateChangedStyles()
{
    auto changes = m_document->structureChangesSince(m_documentVersion);
    if (!changes)
        return false;
    for (auto& change : *changes) {
        if (change.touchesStyleSheets)
            return false;
    }
    // A batch of rows put into a list names the same first child with every
    // row: each subtree is forgotten once (nothing is computed meanwhile).
    std::unordered_set<const DOMNode*> forgotten;
    auto forget = [&](const DOMNode& root) {
        if (forgotten.insert(&root).second)
            forgetSubtree(root);
    };
    for (auto& change : *changes) {
        auto target = change.target.lock();
        // Changes inside what was removed since then are covered by the removal.
        if (!target || !target->isConnected())
            continue;
        if (change.kind == DOMStructureChange::Kind::Attribute) {
            // Selectors look at an element's ancestors, never at its descendants or siblings.
            if (selectorsSeeAttribute(change.attributeName))
                forget(*target);
            continue;
        }
        // Nodes put in anew may carry styles from an earlier place (or an earlier
        // node at the same address).
        if (auto inserted = change.inserted.lock(); inserted && inserted->isConnected())
            forget(*inserted);
        // Which element is the first child may have changed. When the first
        // before the change is still the first (rows appended to a list), no
        // element's standing changed: its siblings keep their styles.
        auto former = change.formerFirstElementChild.lock();
        DOMNode* first = nullptr;
        for (DOMNode* child = change.elementChildrenChanged || former ? target->first() : nullptr; child && !first; child = child->next()) {
            if (child->isElementNode())
                first = child;
        }
        if (former && former.get() == first)
            continue;
        if (former && former->parent() == target.get())
            forget(*former);
        if (first && change.elementChildrenChanged)
            forget(*first);
    }
    return true;
}

void CSSStyleResolver::validate()
{
    uint64_t version = m_document->connectedStructureVersion();
    uint64_t characterDataVersion = m_document->characterDataVersion();
    uint64_t generation = userSheet().generation;
    bool sheetsChanged = !m_valid || version != m_documentVersion;
    if (m_valid && version != m_documentVersion && generation == m_userSheetGeneration
        && !cssCharacterDataChangesAffectStyleSheets(*m_document, m_characterDataVersion)) {
        if (invalidateChangedStyles()) {
            m_documentVersion = version;
            m_characterDataVersion = characterDataVersion;
            return;
        }
        sheetsChanged = true;
    }
    if (!sheetsChanged && characterDataVersion != m_characterDataVersion)
        sheetsChanged = cssCharacterDataChangesAffectStyleSheets(*m_document, m_characterDataVersion);
    m_characterDataVersion = characterDataVersion;
    if (!sheetsChanged && generation == m_userSheetGeneration)
        return;
    m_styles.clear();
    m_freeStyles.clear();
    m_styleIndexes.clear();
    m_unindexedStyles.clear();
    m_pseudoElementStyles.clear();
    m_sharedValues.clear();
    m_sharedValuesPruneSize = minimumSharedValuesPruneSize;
    ++m_styleGeneration;
    if (sheetsChanged)
        collectAuthorStyleSheets();
    m_documentVersion = version;
    m_userSheetGeneration = generation;
    m_valid = true;
}

void CSSStyleResolver::collectAuthorStyleSheets()
{
    std::u16string baseURL = m_document->URL();
    // A BASE element with an href sets the base of relative URLs.
    for (auto* node = m_document->first(); node; node = node->traverseNext(m_document)) {
        auto* element = toElement(node);
        if (element && element->hasTagName(u"base")) {
            if (const std::u16string* href = element->attributeValue(u"href")) {
                auto base = URL::create(baseURL);
                auto resolved = URL::create(*href, base ? &*base : nullptr);
                if (resolved && !resolved->scheme().empty())
                    baseURL = resolved->absoluteString();
                break;
            }
        }
    }

    std::vector<std::shared_ptr<CSSStyleSheet>> sheets;
    std::unordered_map<std::u16string, std::shared_ptr<CSSStyleSheet>> usedCache;
    for (auto* node = m_document->first(); node; node = node->traverseNext(m_document)) {
        auto* element = toElement(node);
        if (!element || !element->isHTMLElement())
            continue;
        if (const std::u16string* media = element->attributeValue(u"media"); media && !cssMediaListMatchesScreen(*media))
            continue;
        if (element->hasTagName(u"style")) {
            const std::u16string* type = element->attributeValue(u"type");
            if (type && !type->empty() && !equalsIgnoringASCIICase(*type, u"text/css"))
                continue;
            std::u16string text = element->textContent();
            std::u16string key = u"style\n" + baseURL + u"\n" + text;
            auto found = m_sheetCache.find(key);
            auto sheet = found != m_sheetCache.end() ? found->second : CSSStyleSheet::parse(text, baseURL);
            usedCache.emplace(std::move(key), sheet);
            sheets.push_back(std::move(sheet));
        } else if (element->hasTagName(u"link")) {
            if (auto sheet = linkedStyleSheet(*element, baseURL)) {
                sheets.push_back(sheet);
            }
        }
    }
    // Every sheet in cascade order: the sheets a sheet imports come before its own rules.
    std::vector<std::shared_ptr<CSSStyleSheet>> cascaded;
    std::vector<const CSSStyleSheet*> importChain;
    m_importsFollowed = 0;
    for (auto& sheet : sheets)
        appendWithImports(sheet, importChain, cascaded);

    // Linked and imported sheets were cached by loadStyleSheet under their own keys.
    for (auto& [key, sheet] : m_sheetCache) {
        if (key.starts_with(u"link\n") && std::find(cascaded.begin(), cascaded.end(), sheet) != cascaded.end())
            usedCache.emplace(key, sheet);
    }
    m_sheetCache = std::move(usedCache);

    m_authorSheets = std::move(sheets);
    m_authorRules.reset();
    if (!cascaded.empty()) {
        auto rules = std::make_shared<CSSRuleSet>();
        for (auto& sheet : cascaded)
            rules->addStyleSheet(sheet);
        m_authorRules = std::move(rules);
    }
}

void CSSStyleResolver::appendWithImports(const std::shared_ptr<CSSStyleSheet>& sheet,
                                         std::vector<const CSSStyleSheet*>& chain,
                                         std::vector<std::shared_ptr<CSSStyleSheet>>& out)
{
    chain.push_back(sheet.get());
    if (chain.size() <= maximumImportDepth) {
        for (auto& rule : sheet->importRules()) {
            if (!rule.media.empty() && !cssMediaListMatchesScreen(rule.media))
                continue;
            auto url = URL::create(rule.url);
            if (!url)
                continue;
            if (m_importsFollowed >= maximumImportCount)
                break;
            ++m_importsFollowed;
            auto imported = loadStyleSheet(*url);
            if (!imported)
                continue;
            // A sheet importing itself, directly or through others, adds nothing more.
            bool cycle = std::find(chain.begin(), chain.end(), imported.get()) != chain.end()
                || std::any_of(chain.begin(), chain.end(),
                               [&](const CSSStyleSheet* s) { return s->baseURL() == imported->baseURL(); });
            if (!cycle)
                appendWithImports(imported, chain, out);
        }
    }
    chain.pop_back();
    out.push_back(sheet);
}

std::shared_ptr<CSSStyleSheet> CSSStyleResolver::linkedStyleSheet(const DOMElement& link, const std::u16string& baseURL)
{
    // rel is a token list holding "stylesheet" and not "alternate".
    bool isStyleSheet = false;
    std::u16string rel = asciiLowercase(link.getAttribute(u"rel"));
    size_t i = 0;
    while (i < rel.size()) {
        while (i < rel.size() && isHTMLWhitespace(rel[i]))
            ++i;
        size_t start = i;
        while (i < rel.size() && !isHTMLWhitespace(rel[i]))
            ++i;
        std::u16string_view token(rel.data() + start, i - start);
        if (token == u"alternate")
            return nullptr;
        if (token == u"stylesheet")
            isStyleSheet = true;
    }
    const std::u16string* href = link.attributeValue(u"href");
    if (!isStyleSheet || !href || href->empty())
        return nullptr;
    if (const std::u16string* type = link.attributeValue(u"type");
        type && !type->empty() && !equalsIgnoringASCIICase(*type, u"text/css"))
        return nullptr;

    auto base = URL::create(baseURL);
    auto url = URL::create(*href, base ? &*base : nullptr);
    if (!url)
        return nullptr;
    return loadStyleSheet(*url);
}

std::shared_ptr<CSSStyleSheet> CSSStyleResolver::loadStyleSheet(const URL& url)
{
    if (m_linkedStyleSheetProvider) {
        auto text = m_linkedStyleSheetProvider(url.absoluteString());
        if (!text)
            return nullptr;
        std::u16string_view content = *text;
        if (content.starts_with(u"\uFEFF"))
            content.remove_prefix(1);
        std::u16string key = u"link\n" + url.absoluteString() + u"\n" + std::u16string(content);
        auto found = m_sheetCache.find(key);
        if (found != m_sheetCache.end())
            return found->second;
        auto sheet = CSSStyleSheet::parse(content, url.absoluteString());
        m_sheetCache.emplace(std::move(key), sheet);
        return sheet;
    }
    if (!url.isFileURL())
        return nullptr;
    auto path = url.fileSystemPath();
    if (!path)
        return nullptr;
    struct stat status;
    if (stat(path->c_str(), &status) != 0 || !S_ISREG(status.st_mode))
        return nullptr;
    std::u16string key = u"link\n" + toUTF16(*path) + u"\n" + toUTF16(std::to_string(status.st_mtim.tv_sec)) + u"."
        + toUTF16(std::to_string(status.st_mtim.tv_nsec)) + u"\n" + toUTF16(std::to_string(status.st_size));
    auto found = m_sheetCache.find(key);
    if (found != m_sheetCache.end())
        return found->second;
    auto bytes = readFile(*path, nullptr, FileReadKind::StyleSheet);
    if (!bytes)
        return nullptr;
    std::string_view data = *bytes;
    if (data.starts_with("\xEF\xBB\xBF"))
        data.remove_prefix(3);
    auto sheet = CSSStyleSheet::parse(toUTF16(data), url.absoluteString());
    m_sheetCache.emplace(std::move(key), sheet);
    return sheet;
}

} // namespace brevanton
