// CSSStyleResolver: the cascade of one document. It gathers the sheets (the
// user-agent sheet, the optional user sheet, the document's STYLE elements
// and LINK rel=stylesheet sheets, and each element's inline style), orders
// matching declarations by origin, importance, specificity and source
// order, inherits inherited properties and computes values.
//
// Computed values of connected elements are cached, and shared by elements
// that the cascade cannot tell apart: connected elements whose parents have
// the same values (shared the same way, so that their ancestors match the
// same selectors), with the same name, attributes and standing as the first
// element child. Rows of a list made from one template thus resolve their
// style once per kind of row. A change of the
// document's style sheets (or of the elements that make them), the text of a
// STYLE element or invalidate() drops them all; other tree and attribute
// changes drop only the styles of the subtrees they can reach (selectors see
// attributes, ancestors and whether an element is its parent's first element
// child); text edits keep them.
#pragma once

#include "platform/css/CSSComputedValues.h"
#include "platform/css/CSSRuleSet.h"
#include "platform/dom/DOMNode.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

namespace brevanton {

class DOMDocument;
class DOMElement;
class DOMNode;
class URL;

// The used size of an element's content box, in pixels.
struct CSSUsedSize {
    double width { 0 };
    double height { 0 };
};

class CSSStyleResolver {
public:
    // The resolver of `document`, made on first use; it goes with the document.
    static CSSStyleResolver& forDocument(const DOMDocument&);

    // The computed values of `element`. Elements outside any document get the
    // user-agent, user and inline styles only.
    static std::shared_ptr<const CSSComputedValues> computedValuesFor(const DOMElement&);
    std::shared_ptr<const CSSComputedValues> computedValues(const DOMElement&);

    // The computed values of the element's ::before or ::after content,
    // inheriting from the element's; null when no rule styles it (the content
    // is then "normal": nothing is generated). Inline style never applies.
    static std::shared_ptr<const CSSComputedValues> pseudoElementValuesFor(const DOMElement&, CSSPseudoElement);
    std::shared_ptr<const CSSComputedValues> pseudoElementValues(const DOMElement&, CSSPseudoElement);
    // Whether any sheet of the document (or the user-agent or user sheet) styles ::before or ::after content.
    bool stylesPseudoElements();

    // The initial values of every property (as for an element without styles or parent).
    static const std::shared_ptr<const CSSComputedValues>& initialValues();

    // The user style sheet of every document; empty text removes it.
    static void setUserStyleSheet(std::u16string_view text, const std::u16string& baseURL = {});

    // The text of a linked style sheet by its absolute URL as the document's
    // loader got it, or nullopt when it has none.
    using LinkedStyleSheetProvider = std::function<std::optional<std::u16string>(const std::u16string& url)>;
    // With a provider, linked sheets come from it alone and are never read
    // from disk here; without one, file URLs are read directly.
    void setLinkedStyleSheetProvider(LinkedStyleSheetProvider);
    // Author sheets may import others (@import) up to this depth.
    static constexpr size_t maximumImportDepth = 16;
    // ...and at most this many imports in all, however wide the tree.
    static constexpr size_t maximumImportCount = 256;

    // The used size of an element as the document's layout has it, or
    // nullopt when the element has no such box (not rendered, or inline).
    // Without a provider, computed widths and heights answer "auto".
    using UsedSizeProvider = std::function<std::optional<CSSUsedSize>(const DOMElement&)>;
    void setUsedSizeProvider(UsedSizeProvider provider) { m_usedSizeProvider = std::move(provider); }
    std::optional<CSSUsedSize> usedSize(const DOMElement& element) const
    {
        return m_usedSizeProvider ? m_usedSizeProvider(element) : std::nullopt;
    }

    // Forgets cached styles and sheets, e.g. after a linked sheet's file changed.
    void invalidate();
    // Moves whenever cached styles are dropped, so that layouts built on them
    // know to start over.
    uint64_t styleGeneration();
    // Whether a change of the attribute can change any element's computed values.
    bool attributeAffectsStyles(std::u16string_view name);
    // The author sheets in document order.
    const std::vector<std::shared_ptr<CSSStyleSheet>>& authorStyleSheets();

    explicit CSSStyleResolver(const DOMDocument&);

private:
    void validate();
    // Drops only the styles that the structure changes since m_documentVersion
    // can alter; false when only starting over is sound.
    bool invalidateChangedStyles();
    void forgetSubtree(const DOMNode&);
    // The values of a connected element whose parent has `parent`: shared
    // with an element that the cascade cannot tell apart from it, else computed.
    std::shared_ptr<const CSSComputedValues> sharedOrComputedValues(const DOMElement&,
                                                                    const std::shared_ptr<const CSSComputedValues>& parent,
                                                                    double rootFontSize);
    void pruneSharedValues();
    bool stylesPseudoElement(CSSPseudoElement) const;
    bool selectorsSeeAttribute(std::u16string_view name) const;
    void collectAuthorStyleSheets();
    std::shared_ptr<CSSStyleSheet> linkedStyleSheet(const DOMElement& link, const std::u16string& baseURL);
    // The sheet at `url`: from the provider when there is one, else a local file.
    std::shared_ptr<CSSStyleSheet> loadStyleSheet(const URL&);
    void appendWithImports(const std::shared_ptr<CSSStyleSheet>&, std::vector<const CSSStyleSheet*>& chain,
                           std::vector<std::shared_ptr<CSSStyleSheet>>& out);

    UsedSizeProvider m_usedSizeProvider;

    const DOMDocument* m_document;
    uint64_t m_documentVersion { ~0ull };
    uint64_t m_characterDataVersion { 0 };
    uint64_t m_userSheetGeneration { ~0ull };
    uint64_t m_styleGeneration { 0 };
    bool m_valid { false };
    std::vector<std::shared_ptr<CSSStyleSheet>> m_authorSheets;
    LinkedStyleSheetProvider m_linkedStyleSheetProvider;
    std::shared_ptr<const CSSRuleSet> m_authorRules;
    // Parsed sheets by their source (text or file and modification time), reused across changes.
    std::unordered_map<std::u16string, std::shared_ptr<CSSStyleSheet>> m_sheetCache;
    // The cached values of connected elements. Each element's style slot
    // names its entry's place; places of forgotten entries are taken again by
    // the next ones.
    struct StyleEntry {
        const DOMElement* element { nullptr };
        std::shared_ptr<const CSSComputedValues> values;
        // Whether the index by address has the entry.
        bool indexed { false };
    };
    std::vector<StyleEntry> m_styles;
    std::vector<uint32_t> m_freeStyles;
    // The places of entries by their elements' addresses: for elements whose
    // slot another document's resolver wrote, and to find the entry an
    // element that went left at the address of a new one, which then goes.
    // New entries join it in batches, so that new rows touch no page-sized table.
    std::unordered_map<const DOMElement*, uint32_t> m_styleIndexes;
    std::vector<uint32_t> m_unindexedStyles;
    static constexpr size_t minimumUnindexedStyles = 1024;
    void indexStyles();
    // This resolver's number in the style slots of nodes.
    uint32_t m_slotOwner { DOMNodeSlot::newOwner() };
    // The cached values of a connected element, or null.
    const std::shared_ptr<const CSSComputedValues>* cachedValues(const DOMElement&);
    void cacheValues(const DOMElement&, std::shared_ptr<const CSSComputedValues>);
    void forgetValues(const DOMElement&);
    void releaseStyle(uint32_t index);
    // Values by what the cascade sees of an element (see sharedOrComputedValues).
    // An entry keeps its parent's values alive, so a parent's address in a
    // key is never another's; entries no element uses go now and then.
    std::unordered_map<std::u16string, std::shared_ptr<const CSSComputedValues>> m_sharedValues;
    size_t m_sharedValuesPruneSize { minimumSharedValuesPruneSize };
    static constexpr size_t minimumSharedValuesPruneSize = 1024;
    // The ::before and ::after values of connected elements, dropped with their elements' values.
    struct PseudoElementStyles {
        std::shared_ptr<const CSSComputedValues> values[2];
        bool computed[2] { false, false };
    };
    std::unordered_map<const DOMElement*, PseudoElementStyles> m_pseudoElementStyles;
    size_t m_importsFollowed { 0 };
};

// Whether the character data changes of `document` after `sinceVersion` (see
// DOMDocument::characterDataChangesSince) may change its style sheets: the
// text of a STYLE element changed, or the record no longer tells.
bool cssCharacterDataChangesAffectStyleSheets(const DOMDocument&, uint64_t sinceVersion);

} // namespace brevanton
