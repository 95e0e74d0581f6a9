#include "platform/dom/HTMLTreeBuilder.h"

#include "platform/dom/DOMCasts.h"
#include "platform/dom/DOMCharacterData.h"
#include "platform/dom/DOMDocument.h"
#include "platform/dom/DOMElement.h"
#include "platform/dom/DOMNodeArena.h"
#include "platform/dom/DOMQualifiedName.h"
#include "platform/dom/HTMLTagNames.h"

#include <algorithm>
#include <array>
#include <bitset>
#include <cstring>
#include <initializer_list>
#include <optional>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include <sys/mman.h>
#include <unistd.h>

namespace brevanton {

namespace {

using T = HTMLTag;

enum class Namespace : uint8_t { HTML, SVG, MathML };

enum class Mode : uint8_t {
    Initial,
    BeforeHTML,
    BeforeHead,
    InHead,
    InHeadNoscript,
    AfterHead,
    InBody,
    Text,
    InTable,
    InTableText,
    InCaption,
    InColumnGroup,
    InTableBody,
    InRow,
    InCell,
    InTemplate,
    AfterBody,
    InFrameset,
    AfterFrameset,
    AfterAfterBody,
    AfterAfterFrameset,
};

enum class Result : uint8_t { Done, Reprocess };

bool isOneOf(T tag, std::initializer_list<T> tags)
{
    for (T t : tags) {
        if (t == tag)
            return true;
    }
    return false;
}

// A set of tags, tested in one step.
class TagSet {
public:
    constexpr TagSet(std::initializer_list<T> tags)
    {
        for (T tag : tags)
            m_bits[static_cast<size_t>(tag) / 64] |= uint64_t(1) << (static_cast<size_t>(tag) % 64);
    }
    constexpr bool contains(T tag) const
    {
        return (m_bits[static_cast<size_t>(tag) / 64] >> (static_cast<size_t>(tag) % 64)) & 1;
    }

private:
    static_assert(static_cast<size_t>(T::Count) <= 128);
    uint64_t m_bits[2] {};
};

bool isWhitespace(char16_t c)
{
    return c == u'\t' || c == u'\n' || c == u'\f' || c == u'\r' || c == u' ';
}

// Where the first U+0000 is, or npos.
size_t findNull(std::u16string_view text)
{
    size_t i = 0;
#if defined(__SSE2__)
    for (; i + 8 <= text.size(); i += 8) {
        __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text.data() + i));
        if (_mm_movemask_epi8(_mm_cmpeq_epi16(block, _mm_setzero_si128())))
            break;
    }
#endif
    for (; i < text.size(); ++i) {
        if (!text[i])
            return i;
    }
    return std::u16string_view::npos;
}

size_t leadingWhitespace(std::u16string_view text)
{
    size_t i = 0;
    while (i < text.size() && isWhitespace(text[i]))
        ++i;
    return i;
}

bool isFormattingTag(T tag)
{
    static constexpr TagSet tags { T::a, T::b, T::big, T::code, T::em, T::font, T::i, T::nobr, T::s, T::small, T::strike,
                                   T::strong, T::tt, T::u };
    return tags.contains(tag);
}

bool equalsIgnoringASCIICase(std::u16string_view a, std::u16string_view b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i) {
        char16_t x = a[i] >= 'A' && a[i] <= 'Z' ? a[i] + 0x20 : a[i];
        char16_t y = b[i] >= 'A' && b[i] <= 'Z' ? b[i] + 0x20 : b[i];
        if (x != y)
            return false;
    }
    return true;
}

bool startsWithIgnoringASCIICase(std::u16string_view text, std::u16string_view prefix)
{
    return text.size() >= prefix.size() && equalsIgnoringASCIICase(text.substr(0, prefix.size()), prefix);
}

enum class QuirksMode : uint8_t { NoQuirks, LimitedQuirks, Quirks };

QuirksMode quirksModeForDOCTYPE(const HTMLToken& token)
{
    static const char16_t* const quirkyPrefixes[] = {
        u"+//silmaril//dtd html pro v0r11 19970101//",
        u"-//as//dtd html 3.0 aswedit + extensions//",
        u"-//advasoft ltd//dtd html 3.0 aswedit + extensions//",
        u"-//ietf//dtd html 2.0 level 1//",
        u"-//ietf//dtd html 2.0 level 2//",
        u"-//ietf//dtd html 2.0 strict level 1//",
        u"-//ietf//dtd html 2.0 strict level 2//",
        u"-//ietf//dtd html 2.0 strict//",
        u"-//ietf//dtd html 2.0//",
        u"-//ietf//dtd html 2.1e//",
        u"-//ietf//dtd html 3.0//",
        u"-//ietf//dtd html 3.2 final//",
        u"-//ietf//dtd html 3.2//",
        u"-//ietf//dtd html 3//",
        u"-//ietf//dtd html level 0//",
        u"-//ietf//dtd html level 1//",
        u"-//ietf//dtd html level 2//",
        u"-//ietf//dtd html level 3//",
        u"-//ietf//dtd html strict level 0//",
        u"-//ietf//dtd html strict level 1//",
        u"-//ietf//dtd html strict level 2//",
        u"-//ietf//dtd html strict level 3//",
        u"-//ietf//dtd html strict//",
        u"-//ietf//dtd html//",
        u"-//metrius//dtd metrius presentational//",
        u"-//microsoft//dtd internet explorer 2.0 html strict//",
        u"-//microsoft//dtd internet explorer 2.0 html//",
        u"-//microsoft//dtd internet explorer 2.0 tables//",
        u"-//microsoft//dtd internet explorer 3.0 html strict//",
        u"-//microsoft//dtd internet explorer 3.0 html//",
        u"-//microsoft//dtd internet explorer 3.0 tables//",
        u"-//netscape comm. corp.//dtd html//",
        u"-//netscape comm. corp.//dtd strict html//",
        u"-//o'reilly and associates//dtd html 2.0//",
        u"-//o'reilly and associates//dtd html extended 1.0//",
        u"-//o'reilly and associates//dtd html extended relaxed 1.0//",
        u"-//sq//dtd html 2.0 hotmetal + extensions//",
        u"-//softquad software//dtd hotmetal pro 6.0::19990601::extensions to html 4.0//",
        u"-//softquad//dtd hotmetal pro 4.0::19971010::extensions to html 4.0//",
        u"-//spyglass//dtd html 2.0 extended//",
        u"-//sun microsystems corp.//dtd hotjava html//",
        u"-//sun microsystems corp.//dtd hotjava strict html//",
        u"-//w3c//dtd html 3 1995-03-24//",
        u"-//w3c//dtd html 3.2 draft//",
        u"-//w3c//dtd html 3.2 final//",
        u"-//w3c//dtd html 3.2//",
        u"-//w3c//dtd html 3.2s draft//",
        u"-//w3c//dtd html 4.0 frameset//",
        u"-//w3c//dtd html 4.0 transitional//",
        u"-//w3c//dtd html experimental 19960712//",
        u"-//w3c//dtd html experimental 970421//",
        u"-//w3c//dtd w3 html//",
        u"-//w3o//dtd w3 html 3.0//",
        u"-//webtechs//dtd mozilla html 2.0//",
        u"-//webtechs//dtd mozilla html//",
    };
    if (token.forceQuirks || token.name != u"html")
        return QuirksMode::Quirks;
    const auto& publicId = token.publicIdentifier;
    const auto& systemId = token.systemIdentifier;
    if (token.hasPublicIdentifier) {
        if (equalsIgnoringASCIICase(publicId, u"-//W3O//DTD W3 HTML Strict 3.0//EN//")
            || equalsIgnoringASCIICase(publicId, u"-/W3C/DTD HTML 4.0 Transitional/EN")
            || equalsIgnoringASCIICase(publicId, u"HTML"))
            return QuirksMode::Quirks;
        for (auto* prefix : quirkyPrefixes) {
            if (startsWithIgnoringASCIICase(publicId, prefix))
                return QuirksMode::Quirks;
        }
    }
    if (token.hasSystemIdentifier
        && equalsIgnoringASCIICase(systemId, u"http://www.ibm.com/data/dtd/v11/ibmxhtml1-transitional.dtd"))
        return QuirksMode::Quirks;
    bool html401Family = startsWithIgnoringASCIICase(publicId, u"-//W3C//DTD HTML 4.01 Frameset//")
        || startsWithIgnoringASCIICase(publicId, u"-//W3C//DTD HTML 4.01 Transitional//");
    if (token.hasPublicIdentifier && html401Family && !token.hasSystemIdentifier)
        return QuirksMode::Quirks;
    if (token.hasPublicIdentifier
        && (startsWithIgnoringASCIICase(publicId, u"-//W3C//DTD XHTML 1.0 Frameset//")
            || startsWithIgnoringASCIICase(publicId, u"-//W3C//DTD XHTML 1.0 Transitional//")
            || (html401Family && token.hasSystemIdentifier)))
        return QuirksMode::LimitedQuirks;
    return QuirksMode::NoQuirks;
}

// The stack of open elements and the list of active formatting elements hold
// their elements by plain pointers: every element on them is in the tree
// being built, or kept by the builder (see TreeBuilder::m_kept).
struct OpenElement {
    DOMElement* element { nullptr };
    T tag { T::Unknown };
    Namespace ns { Namespace::HTML };
    bool htmlIntegrationPoint { false };
    // For formatting elements, the number under which the builder counts
    // whether they are open (0: not counted).
    uint32_t serial { 0 };

    bool is(T t) const { return tag == t && ns == Namespace::HTML; }
    bool isHTML() const { return ns == Namespace::HTML; }
    bool isMathMLTextIntegrationPoint() const
    {
        return ns == Namespace::MathML && isOneOf(tag, { T::mi, T::mo, T::mn, T::ms, T::mtext });
    }
};

// An entry of the list of active formatting elements; a null element is a marker.
struct FormattingEntry {
    DOMElement* element { nullptr };
    T tag { T::Unknown };
    uint32_t serial { 0 };
};

struct InsertionPlace {
    DOMNode* parent { nullptr };
    DOMNode* before { nullptr };
};

enum class Scope : uint8_t { Default, ListItem, Button, Table };

std::shared_ptr<DOMNode> sharedElement(DOMElement* element)
{
    return element->shared_from_this();
}

class TreeBuilder {
public:
    TreeBuilder(DOMDocument& document, std::u16string_view markup, const HTMLParseOptions& options)
        : m_document(document)
        , m_handle(document.documentHandle())
        , m_tokenizer(markup)
        , m_releasableMarkup(releasesMarkup(options, markup) ? markup : std::u16string_view())
    {
        m_tokenizer.setRecordsErrors(options.recordErrors);
        m_htmlNames.fill(nullptr);
        m_charactersToken.kind = HTMLToken::Kind::Characters;
    }

    void buildDocument();
    std::shared_ptr<DOMDocumentFragment> buildFragment(const DOMElement* context);

    const std::vector<HTMLParseError>& errors() const { return m_tokenizer.errors(); }
    // Both in document order, a template's contents left out.
    std::vector<DOMElement*> takeLoadingElements() { return std::move(m_loadingElements); }
    std::unique_ptr<std::bitset<0x10000>> takeTextUnits() { return std::move(m_textUnits); }

private:
    // Tokens.
    void run();
    static bool releasesMarkup(const HTMLParseOptions&, std::u16string_view markup);
    void releaseParsedMarkup();
    void processToken(HTMLToken&);
    void processCharacters(std::u16string_view);
    // Always in HTML content, told without a call.
    bool usesInsertionMode(const HTMLToken& token) const
    {
        return m_stack.empty() || adjustedCurrent().isHTML() || foreignUsesInsertionMode(token);
    }
    bool foreignUsesInsertionMode(const HTMLToken&) const;
    Result dispatch(Mode, HTMLToken&);
    Result dispatchOther(Mode, HTMLToken&);
    Result initial(HTMLToken&);
    Result beforeHTML(HTMLToken&);
    Result beforeHead(HTMLToken&);
    Result inHead(HTMLToken&);
    Result inHeadNoscript(HTMLToken&);
    Result afterHead(HTMLToken&);
    Result inBody(HTMLToken&);
    Result inBodyStartTag(HTMLToken&);
    Result inBodyEndTag(HTMLToken&);
    Result text(HTMLToken&);
    Result inTable(HTMLToken&);
    Result inTableText(HTMLToken&);
    Result inCaption(HTMLToken&);
    Result inColumnGroup(HTMLToken&);
    Result inTableBody(HTMLToken&);
    Result inRow(HTMLToken&);
    Result inCell(HTMLToken&);
    Result inTemplate(HTMLToken&);
    Result afterBody(HTMLToken&);
    Result inFrameset(HTMLToken&);
    Result afterFrameset(HTMLToken&);
    Result afterAfterBody(HTMLToken&);
    Result afterAfterFrameset(HTMLToken&);
    Result foreignContent(HTMLToken&);
    Result inTableAnythingElse(HTMLToken&);

    // The stack of open elements.
    OpenElement& current() { return m_stack.back(); }
    const OpenElement& adjustedCurrent() const
    {
        return m_fragmentContext.element && m_stack.size() == 1 ? m_fragmentContext : m_stack.back();
    }
    void push(OpenElement entry)
    {
        countIn(entry);
        m_stack.push_back(std::move(entry));
    }
    void insertInStack(size_t index, OpenElement);
    void pop()
    {
        countOut(m_stack.back());
        m_stack.pop_back();
    }
    void removeFromStack(size_t index);
    // The counts kept of what is on the stack, as an entry goes on or off it.
    void countIn(const OpenElement& entry)
    {
        if (entry.isHTML())
            ++m_htmlTagCount[static_cast<size_t>(entry.tag)];
        ++m_openCounts[entry.serial];
    }
    void countOut(const OpenElement& entry)
    {
        if (entry.isHTML())
            --m_htmlTagCount[static_cast<size_t>(entry.tag)];
        --m_openCounts[entry.serial];
    }
    size_t stackIndexOf(const DOMElement*) const;
    bool isOnStack(const FormattingEntry& entry) const { return m_openCounts[entry.serial]; }
    uint32_t newSerial()
    {
        m_openCounts.push_back(0);
        return static_cast<uint32_t>(m_openCounts.size() - 1);
    }
    bool inScope(T tag, Scope = Scope::Default) const;
    bool inScope(std::initializer_list<T> tags, Scope = Scope::Default) const;
    bool elementInScope(const DOMElement*) const;
    void popUntil(T tag);
    void popUntil(std::initializer_list<T> tags);
    void generateImpliedEndTags(T except = T::Unknown);
    void generateImpliedEndTagsThoroughly();
    void closePElement();
    void clearStackBackTo(std::initializer_list<T> tags);
    void resetInsertionMode();
    bool hasTemplateOnStack() const { return m_htmlTagCount[static_cast<size_t>(T::template_)] > 0; }
    // A fragment parsed as the content of a select, which nothing in it closes.
    bool isInSelectContext() const { return m_isFragment && m_fragmentContext.is(T::select); }
    size_t countOnStack(T tag) const { return m_htmlTagCount[static_cast<size_t>(tag)]; }

    // Active formatting elements.
    void pushFormattingElement(const OpenElement&);
    // Asked before most insertions; there is mostly nothing to do.
    void reconstructFormattingElements()
    {
        if (!m_formatting.empty() && m_formatting.back().element && !isOnStack(m_formatting.back()))
            reconstructClosedFormattingElements();
    }
    void reconstructClosedFormattingElements();
    void clearFormattingElementsToMarker();
    void insertMarker() { m_formatting.push_back({}); }
    size_t formattingIndexOf(const DOMElement*) const;
    bool runAdoptionAgency(HTMLToken&);
    void anyOtherEndTag(HTMLToken&);

    // Insertion.
    // Mostly the end of the current node, told without a call.
    InsertionPlace appropriatePlace(DOMNode* overrideTarget = nullptr)
    {
        if (!overrideTarget && !m_fosterParenting && !current().is(T::template_))
            return { current().element, nullptr };
        return appropriatePlaceElsewhere(overrideTarget);
    }
    InsertionPlace appropriatePlaceElsewhere(DOMNode* overrideTarget);
    static DOMNode* containerFor(DOMElement*);
    // Takes the token's attributes. The element reaches its document once
    // it is inserted, which must follow at once.
    std::shared_ptr<DOMElement> createElement(HTMLToken&, Namespace, T tag);
    // Both answer the new current node.
    const OpenElement& insertElement(HTMLToken&, Namespace = Namespace::HTML);
    const OpenElement& insertHTMLElement(std::u16string_view name);
    void insertForeignElement(HTMLToken&, Namespace);
    void insertNode(InsertionPlace, std::shared_ptr<DOMNode>);
    void moveNode(DOMNode& parent, const std::shared_ptr<DOMNode>& node, DOMNode* before);
    void insertComment(HTMLToken&, DOMNode* parent = nullptr);
    void insertCharacters(std::u16string_view);
    // Inserts the whitespace the pending text starts with; true when that was all of it.
    bool insertLeadingWhitespace();
    // Has "in body" take the whitespace the pending text starts with, the rest left pending.
    void processLeadingWhitespaceInBody(HTMLToken&);
    void flushText();
    void noteTextUnits(std::u16string_view);
    void appendAttributes(DOMElement&, HTMLToken&, Namespace);
    void addMissingAttributes(DOMElement&, const HTMLToken&);
    // A known tag's name is interned once per parse.
    const DOMQualifiedName* htmlName(T tag, std::u16string_view name)
    {
        if (auto* known = m_htmlNames[static_cast<size_t>(tag)]; known && tag != T::Unknown)
            return known;
        return internHTMLName(tag, name);
    }
    const DOMQualifiedName* internHTMLName(T tag, std::u16string_view name);
    void parseGenericText(HTMLToken&, HTMLTokenizer::State);
    void parseError() { ++m_errorCount; }
    void stopParsing() { m_stopped = true; }

    DOMDocument& m_document;
    DOMDocumentHandlePtr m_handle;
    // What nodes that go into the tree as soon as they are made start with
    // instead of the document's handle, which they reach through their root
    // once there: no count taken on the handle and given back a moment later.
    const DOMDocumentHandlePtr m_noHandle;
    HTMLTokenizer m_tokenizer;
    std::vector<OpenElement> m_stack;
    std::array<uint32_t, static_cast<size_t>(T::Count)> m_htmlTagCount {};
    std::vector<FormattingEntry> m_formatting;
    std::vector<Mode> m_templateModes;
    Mode m_mode { Mode::Initial };
    Mode m_originalMode { Mode::Initial };
    OpenElement m_fragmentContext;
    DOMElement* m_head { nullptr };
    DOMElement* m_form { nullptr };
    // What the tree does not hold of the elements above: the fragment's root
    // and context, and what the parse took out of the tree.
    std::vector<std::shared_ptr<DOMNode>> m_kept;
    QuirksMode m_quirksMode { QuirksMode::NoQuirks };
    bool m_framesetOK { true };
    bool m_fosterParenting { false };
    bool m_skipNewline { false };
    bool m_stopped { false };
    bool m_isFragment { false };
    bool m_treeReordered { false };
    unsigned m_errorCount { 0 };
    T m_tokenTag { T::Unknown };
    // The characters of the Characters token being processed: what is left of it.
    std::u16string_view m_text;
    // Whether m_text may hold a U+0000.
    bool m_textMayHoldNull { true };
    HTMLToken m_charactersToken;
    std::u16string m_pendingTableText;
    bool m_pendingTableTextHasNonWhitespace { false };
    // Characters are collected and go in as one text node when something else comes.
    DOMNode* m_pendingParent { nullptr };
    std::u16string m_pendingText;
    bool m_pendingInTemplate { false };
    std::array<const DOMQualifiedName*, static_cast<size_t>(T::Count)> m_htmlNames;
    std::vector<DOMElement*> m_loadingElements;
    std::unique_ptr<std::bitset<0x10000>> m_textUnits { std::make_unique<std::bitset<0x10000>>() };
    // By serial: how often each formatting element is on the stack of open elements.
    std::vector<uint32_t> m_openCounts { 0 };
    // The markup whose pages go back to the system as the parse passes them
    // (HTMLParseOptions::releasesParsedMarkup), and how much of it went.
    std::u16string_view m_releasableMarkup;
    size_t m_releasedLength { 0 };
};

// The stack of open elements.

void TreeBuilder::insertInStack(size_t index, OpenElement entry)
{
    countIn(entry);
    m_stack.insert(m_stack.begin() + static_cast<ptrdiff_t>(index), std::move(entry));
}

void TreeBuilder::removeFromStack(size_t index)
{
    countOut(m_stack[index]);
    m_stack.erase(m_stack.begin() + static_cast<ptrdiff_t>(index));
}

size_t TreeBuilder::stackIndexOf(const DOMElement* element) const
{
    for (size_t i = m_stack.size(); i > 0; --i) {
        if (m_stack[i - 1].element == element)
            return i - 1;
    }
    return SIZE_MAX;
}

namespace {

bool isScopeBoundary(const OpenElement& entry, Scope scope)
{
    switch (entry.ns) {
    case Namespace::HTML:
        switch (scope) {
        case Scope::Table:
            return isOneOf(entry.tag, { T::html, T::table, T::template_ });
        case Scope::ListItem:
            if (isOneOf(entry.tag, { T::ol, T::ul }))
                return true;
            break;
        case Scope::Button:
            if (entry.tag == T::button)
                return true;
            break;
        case Scope::Default:
            break;
        }
        static constexpr TagSet boundaries { T::applet, T::caption, T::html, T::table, T::td, T::th, T::marquee, T::object,
                                             T::template_ };
        return boundaries.contains(entry.tag);
    case Namespace::MathML:
        return scope != Scope::Table && isOneOf(entry.tag, { T::mi, T::mo, T::mn, T::ms, T::mtext, T::annotation_xml });
    case Namespace::SVG:
        return scope != Scope::Table && isOneOf(entry.tag, { T::foreignobject, T::desc, T::title });
    }
    return false;
}

bool isSpecial(const OpenElement& entry)
{
    switch (entry.ns) {
    case Namespace::HTML: {
        static constexpr TagSet special {
            T::address, T::applet, T::area, T::article, T::aside, T::base, T::basefont, T::bgsound,
            T::blockquote, T::body, T::br, T::button, T::caption, T::center, T::col, T::colgroup, T::dd,
            T::details, T::dir, T::div, T::dl, T::dt, T::embed, T::fieldset, T::figcaption, T::figure,
            T::footer, T::form, T::frame, T::frameset, T::h1, T::h2, T::h3, T::h4, T::h5, T::h6, T::head,
            T::header, T::hgroup, T::hr, T::html, T::iframe, T::img, T::input, T::keygen, T::li, T::link,
            T::listing, T::main, T::marquee, T::menu, T::meta, T::nav, T::noembed, T::noframes,
            T::noscript, T::object, T::ol, T::p, T::param, T::plaintext, T::pre, T::script, T::search,
            T::section, T::select, T::source, T::style, T::summary, T::table, T::tbody, T::td,
            T::template_, T::textarea, T::tfoot, T::th, T::thead, T::title, T::tr, T::track, T::ul,
            T::wbr, T::xmp
        };
        return special.contains(entry.tag);
    }
    case Namespace::MathML:
        return isOneOf(entry.tag, { T::mi, T::mo, T::mn, T::ms, T::mtext, T::annotation_xml });
    case Namespace::SVG:
        return isOneOf(entry.tag, { T::foreignobject, T::desc, T::title });
    }
    return false;
}

} // namespace

bool TreeBuilder::inScope(T tag, Scope scope) const
{
    if (!countOnStack(tag))
        return false;
    for (size_t i = m_stack.size(); i > 0; --i) {
        auto& entry = m_stack[i - 1];
        if (entry.is(tag))
            return true;
        if (isScopeBoundary(entry, scope))
            return false;
    }
    return false;
}

bool TreeBuilder::inScope(std::initializer_list<T> tags, Scope scope) const
{
    bool any = false;
    for (T tag : tags)
        any = any || countOnStack(tag);
    if (!any)
        return false;
    for (size_t i = m_stack.size(); i > 0; --i) {
        auto& entry = m_stack[i - 1];
        if (entry.isHTML() && isOneOf(entry.tag, tags))
            return true;
        if (isScopeBoundary(entry, scope))
            return false;
    }
    return false;
}

bool TreeBuilder::elementInScope(const DOMElement* element) const
{
    for (size_t i = m_stack.size(); i > 0; --i) {
        auto& entry = m_stack[i - 1];
        if (entry.element == element)
            return true;
        if (isScopeBoundary(entry, Scope::Default))
            return false;
    }
    return false;
}

void TreeBuilder::popUntil(T tag)
{
    while (!m_stack.empty()) {
        bool found = current().is(tag);
        pop();
        if (found)
            return;
    }
}

void TreeBuilder::popUntil(std::initializer_list<T> tags)
{
    while (!m_stack.empty()) {
        bool found = current().isHTML() && isOneOf(current().tag, tags);
        pop();
        if (found)
            return;
    }
}

void TreeBuilder::generateImpliedEndTags(T except)
{
    static constexpr TagSet implied { T::dd, T::dt, T::li, T::optgroup, T::option, T::p, T::rb, T::rp, T::rt, T::rtc };
    while (!m_stack.empty() && current().isHTML() && current().tag != except && implied.contains(current().tag))
        pop();
}

void TreeBuilder::generateImpliedEndTagsThoroughly()
{
    static constexpr TagSet implied { T::caption, T::colgroup, T::dd, T::dt, T::li, T::optgroup, T::option, T::p,
                                      T::rb, T::rp, T::rt, T::rtc, T::tbody, T::td, T::tfoot, T::th, T::thead, T::tr };
    while (!m_stack.empty() && current().isHTML() && implied.contains(current().tag))
        pop();
}

void TreeBuilder::closePElement()
{
    generateImpliedEndTags(T::p);
    if (!current().is(T::p))
        parseError();
    popUntil(T::p);
}

void TreeBuilder::clearStackBackTo(std::initializer_list<T> tags)
{
    while (!m_stack.empty() && !(current().isHTML() && isOneOf(current().tag, tags)))
        pop();
}

void TreeBuilder::resetInsertionMode()
{
    for (size_t i = m_stack.size(); i > 0; --i) {
        bool last = i == 1;
        const OpenElement& node = last && m_isFragment ? m_fragmentContext : m_stack[i - 1];
        if (!node.isHTML()) {
            if (last) {
                m_mode = Mode::InBody;
                return;
            }
            continue;
        }
        switch (node.tag) {
        case T::td:
        case T::th:
            if (!last) {
                m_mode = Mode::InCell;
                return;
            }
            break;
        case T::tr:
            m_mode = Mode::InRow;
            return;
        case T::tbody:
        case T::thead:
        case T::tfoot:
            m_mode = Mode::InTableBody;
            return;
        case T::caption:
            m_mode = Mode::InCaption;
            return;
        case T::colgroup:
            m_mode = Mode::InColumnGroup;
            return;
        case T::table:
            m_mode = Mode::InTable;
            return;
        case T::template_:
            m_mode = m_templateModes.back();
            return;
        case T::head:
            if (!last) {
                m_mode = Mode::InHead;
                return;
            }
            break;
        case T::body:
            m_mode = Mode::InBody;
            return;
        case T::frameset:
            m_mode = Mode::InFrameset;
            return;
        case T::html:
            m_mode = m_head ? Mode::AfterHead : Mode::BeforeHead;
            return;
        default:
            break;
        }
        if (last) {
            m_mode = Mode::InBody;
            return;
        }
    }
    m_mode = Mode::InBody;
}

// Active formatting elements.

size_t TreeBuilder::formattingIndexOf(const DOMElement* element) const
{
    for (size_t i = m_formatting.size(); i > 0; --i) {
        if (m_formatting[i - 1].element == element)
            return i - 1;
    }
    return SIZE_MAX;
}

namespace {

bool sameAttributes(const DOMElement& a, const DOMElement& b)
{
    auto& first = a.attributeList();
    auto& second = b.attributeList();
    if (first.size() != second.size())
        return false;
    // Long lists are compared through a map, so that the check stays linear.
    constexpr size_t shortList = 16;
    if (first.size() > shortList) {
        std::unordered_map<std::u16string_view, const DOMAttributeList::Attribute*> byName;
        for (auto& attribute : first)
            byName.emplace(attribute.name, &attribute);
        for (auto& other : second) {
            auto found = byName.find(other.name);
            if (found == byName.end() || found->second->namespacedName != other.namespacedName
                || found->second->value != other.value)
                return false;
        }
        return true;
    }
    for (auto& attribute : first) {
        bool found = false;
        for (auto& other : second) {
            if (other.name == attribute.name && other.namespacedName == attribute.namespacedName) {
                found = other.value == attribute.value;
                break;
            }
        }
        if (!found)
            return false;
    }
    return true;
}

} // namespace

void TreeBuilder::pushFormattingElement(const OpenElement& entry)
{
    // At most three equal elements after the last marker: the earliest goes.
    unsigned equal = 0;
    size_t earliest = SIZE_MAX;
    for (size_t i = m_formatting.size(); i > 0; --i) {
        auto& other = m_formatting[i - 1];
        if (!other.element)
            break;
        if (other.tag == entry.tag && other.element->qualifiedName().index == entry.element->qualifiedName().index
            && sameAttributes(*other.element, *entry.element)) {
            ++equal;
            earliest = i - 1;
        }
    }
    if (equal >= 3)
        m_formatting.erase(m_formatting.begin() + static_cast<ptrdiff_t>(earliest));
    m_formatting.push_back({ entry.element, entry.tag, entry.serial });
}

void TreeBuilder::reconstructClosedFormattingElements()
{
    auto isOpen = [&](const FormattingEntry& entry) { return !entry.element || isOnStack(entry); };
    size_t index = m_formatting.size() - 1;
    while (index > 0 && !isOpen(m_formatting[index - 1]))
        --index;
    for (; index < m_formatting.size(); ++index) {
        auto& entry = m_formatting[index];
        auto element = DOMNodeArena::makeNode<DOMElement>(m_handle, &entry.element->qualifiedName());
        element->reserveAttributes(entry.element->attributeCount());
        for (auto& attribute : entry.element->attributeList())
            element->appendAttributeWithoutChecks(attribute.name, attribute.value, attribute.namespacedName);
        entry.element = element.get();
        entry.serial = newSerial();
        insertNode(appropriatePlace(), std::move(element));
        push({ entry.element, entry.tag, Namespace::HTML, false, entry.serial });
    }
}

void TreeBuilder::clearFormattingElementsToMarker()
{
    while (!m_formatting.empty()) {
        bool marker = !m_formatting.back().element;
        m_formatting.pop_back();
        if (marker)
            return;
    }
}

// False when the end tag must be handled as any other end tag.
bool TreeBuilder::runAdoptionAgency(HTMLToken& token)
{
    T subject = m_tokenTag;
    // An HTML element's tag is that of its name: names are compared only when the tag is unknown.
    auto isSubject = [&](T tag, const DOMElement* element) {
        return tag == subject && (subject != T::Unknown || element->localName() == token.name);
    };
    if (current().isHTML() && isSubject(current().tag, current().element)
        && formattingIndexOf(current().element) == SIZE_MAX) {
        pop();
        return true;
    }
    for (int outer = 0; outer < 8; ++outer) {
        size_t formattingIndex = SIZE_MAX;
        for (size_t i = m_formatting.size(); i > 0; --i) {
            auto& entry = m_formatting[i - 1];
            if (!entry.element)
                break;
            if (isSubject(entry.tag, entry.element)) {
                formattingIndex = i - 1;
                break;
            }
        }
        if (formattingIndex == SIZE_MAX)
            return false;
        auto formattingElement = m_formatting[formattingIndex].element;
        size_t stackIndex = stackIndexOf(formattingElement);
        if (stackIndex == SIZE_MAX) {
            parseError();
            m_formatting.erase(m_formatting.begin() + static_cast<ptrdiff_t>(formattingIndex));
            return true;
        }
        if (!elementInScope(formattingElement)) {
            parseError();
            return true;
        }
        if (formattingElement != current().element)
            parseError();
        size_t furthestIndex = SIZE_MAX;
        for (size_t i = stackIndex + 1; i < m_stack.size(); ++i) {
            if (isSpecial(m_stack[i])) {
                furthestIndex = i;
                break;
            }
        }
        if (furthestIndex == SIZE_MAX) {
            while (m_stack.size() > stackIndex)
                pop();
            m_formatting.erase(m_formatting.begin() + static_cast<ptrdiff_t>(formattingIndex));
            return true;
        }
        flushText();
        m_treeReordered = true;
        auto* commonAncestor = m_stack[stackIndex - 1].element;
        OpenElement furthestBlock = m_stack[furthestIndex];
        size_t bookmark = formattingIndex;
        size_t nodeIndex = furthestIndex;
        OpenElement lastNode = furthestBlock;
        // A replacement made below is in no tree until the next step moves it.
        std::shared_ptr<DOMElement> lastNodeOwner;
        for (int inner = 1;; ++inner) {
            --nodeIndex;
            OpenElement node = m_stack[nodeIndex];
            if (node.element == formattingElement)
                break;
            size_t nodeFormattingIndex = formattingIndexOf(node.element);
            if (inner > 3 && nodeFormattingIndex != SIZE_MAX) {
                m_formatting.erase(m_formatting.begin() + static_cast<ptrdiff_t>(nodeFormattingIndex));
                if (nodeFormattingIndex < bookmark)
                    --bookmark;
                if (nodeFormattingIndex < formattingIndex)
                    --formattingIndex;
                nodeFormattingIndex = SIZE_MAX;
            }
            if (nodeFormattingIndex == SIZE_MAX) {
                removeFromStack(nodeIndex);
                --furthestIndex;
                continue;
            }
            auto replacement = DOMNodeArena::makeNode<DOMElement>(m_handle, &node.element->qualifiedName());
            replacement->reserveAttributes(node.element->attributeCount());
            for (auto& attribute : node.element->attributeList())
                replacement->appendAttributeWithoutChecks(attribute.name, attribute.value, attribute.namespacedName);
            OpenElement replaced { replacement.get(), node.tag, node.ns, false, newSerial() };
            m_formatting[nodeFormattingIndex].element = replacement.get();
            m_formatting[nodeFormattingIndex].serial = replaced.serial;
            removeFromStack(nodeIndex);
            insertInStack(nodeIndex, replaced);
            node = replaced;
            if (lastNode.element == furthestBlock.element)
                bookmark = nodeFormattingIndex + 1;
            moveNode(*node.element, lastNodeOwner ? lastNodeOwner : sharedElement(lastNode.element), nullptr);
            lastNode = node;
            lastNodeOwner = std::move(replacement);
        }
        auto place = appropriatePlace(commonAncestor);
        moveNode(*place.parent, lastNodeOwner ? lastNodeOwner : sharedElement(lastNode.element), place.before);
        auto newElement = DOMNodeArena::makeNode<DOMElement>(m_handle, &formattingElement->qualifiedName());
        newElement->reserveAttributes(formattingElement->attributeCount());
        for (auto& attribute : formattingElement->attributeList())
            newElement->appendAttributeWithoutChecks(attribute.name, attribute.value, attribute.namespacedName);
        // The furthest block's children move into the new element, which takes their place.
        std::vector<std::shared_ptr<DOMNode>> children;
        for (auto* child = furthestBlock.element->first(); child; child = child->next())
            children.push_back(child->shared_from_this());
        for (auto& child : children) {
            furthestBlock.element->removeChildInternal(child.get());
            newElement->appendParsedChild(child);
        }
        furthestBlock.element->appendParsedChild(newElement);
        formattingIndex = formattingIndexOf(formattingElement);
        T formattingTag = m_formatting[formattingIndex].tag;
        OpenElement added { newElement.get(), formattingTag, Namespace::HTML, false, newSerial() };
        m_formatting.erase(m_formatting.begin() + static_cast<ptrdiff_t>(formattingIndex));
        if (bookmark > formattingIndex)
            --bookmark;
        m_formatting.insert(m_formatting.begin() + static_cast<ptrdiff_t>(std::min(bookmark, m_formatting.size())),
                            { newElement.get(), formattingTag, added.serial });
        removeFromStack(stackIndexOf(formattingElement));
        size_t furthestPosition = stackIndexOf(furthestBlock.element);
        insertInStack(furthestPosition + 1, added);
    }
    return true;
}

void TreeBuilder::anyOtherEndTag(HTMLToken& token)
{
    for (size_t i = m_stack.size(); i > 0; --i) {
        auto& node = m_stack[i - 1];
        // An HTML element's tag is that of its name: names are compared only when the tag is unknown.
        if (node.isHTML() && node.tag == m_tokenTag && (m_tokenTag != T::Unknown || node.element->localName() == token.name)) {
            generateImpliedEndTags(node.tag == T::Unknown ? T::Unknown : node.tag);
            if (m_stack.back().element != node.element)
                parseError();
            while (m_stack.size() >= i)
                pop();
            return;
        }
        if (isSpecial(node)) {
            parseError();
            return;
        }
    }
}

// Insertion.

DOMNode* TreeBuilder::containerFor(DOMElement* element)
{
    static const DOMQualifiedName* templateName = DOMQualifiedName::intern(XHTMLNamespace, {}, u"template");
    if (&element->qualifiedName() == templateName)
        return element->content().get();
    return element;
}

InsertionPlace TreeBuilder::appropriatePlaceElsewhere(DOMNode* overrideTarget)
{
    DOMElement* target = overrideTarget ? downcast<DOMElement>(overrideTarget) : current().element;
    const OpenElement* targetEntry = nullptr;
    if (!overrideTarget)
        targetEntry = &current();
    bool tableLike = false;
    if (m_fosterParenting) {
        if (targetEntry)
            tableLike = targetEntry->isHTML() && isOneOf(targetEntry->tag, { T::table, T::tbody, T::tfoot, T::thead, T::tr });
        else {
            auto& name = target->qualifiedName();
            tableLike = name.isHTML
                && (name.localName == u"table" || name.localName == u"tbody" || name.localName == u"tfoot"
                    || name.localName == u"thead" || name.localName == u"tr");
        }
    }
    if (!tableLike) {
        // An open element's tag tells a template without asking the element its name.
        if (targetEntry && !targetEntry->is(T::template_))
            return { target, nullptr };
        return { containerFor(target), nullptr };
    }
    size_t lastTemplate = SIZE_MAX, lastTable = SIZE_MAX;
    for (size_t i = m_stack.size(); i > 0; --i) {
        if (lastTemplate == SIZE_MAX && m_stack[i - 1].is(T::template_))
            lastTemplate = i - 1;
        if (lastTable == SIZE_MAX && m_stack[i - 1].is(T::table))
            lastTable = i - 1;
        if (lastTemplate != SIZE_MAX && lastTable != SIZE_MAX)
            break;
    }
    if (lastTemplate != SIZE_MAX && (lastTable == SIZE_MAX || lastTemplate > lastTable))
        return { containerFor(m_stack[lastTemplate].element), nullptr };
    if (lastTable == SIZE_MAX)
        return { containerFor(m_stack.front().element), nullptr };
    auto* table = m_stack[lastTable].element;
    if (auto* parent = table->parent())
        return { parent, table };
    return { containerFor(m_stack[lastTable - 1].element), nullptr };
}

const DOMQualifiedName* TreeBuilder::internHTMLName(T tag, std::u16string_view name)
{
    if (tag == T::Unknown)
        return DOMQualifiedName::intern(XHTMLNamespace, {}, name);
    auto& known = m_htmlNames[static_cast<size_t>(tag)];
    if (!known)
        known = DOMQualifiedName::intern(XHTMLNamespace, {}, htmlTagName(tag));
    return known;
}

// The token's names and values are copied to their length into the element
// (the token's strings keep their room for the next tag).
void TreeBuilder::appendAttributes(DOMElement& element, HTMLToken& token, Namespace ns)
{
    element.reserveAttributes(token.attributes.size());
    for (auto& attribute : token.attributes) {
        if (ns == Namespace::HTML) {
            element.appendParsedAttribute(attribute.name, attribute.value);
            continue;
        }
        if (auto* foreign = adjustedForeignAttributeName(attribute.name)) {
            element.appendParsedAttribute(attribute.name, attribute.value, foreign);
            continue;
        }
        if (ns == Namespace::MathML && attribute.name == u"definitionurl")
            element.appendParsedAttribute(u"definitionURL", attribute.value);
        else if (ns == Namespace::SVG)
            element.appendParsedAttribute(adjustedSVGAttributeName(attribute.name), attribute.value);
        else
            element.appendParsedAttribute(attribute.name, attribute.value);
    }
}

void TreeBuilder::addMissingAttributes(DOMElement& element, const HTMLToken& token)
{
    constexpr size_t shortList = 16;
    if (token.attributes.size() <= shortList && element.attributeCount() <= shortList) {
        for (auto& attribute : token.attributes) {
            if (!element.hasAttribute(attribute.name))
                element.appendAttributeWithoutChecks(std::u16string(attribute.name), std::u16string(attribute.value));
        }
        return;
    }
    std::unordered_set<std::u16string> names;
    for (auto& attribute : element.attributeList())
        names.insert(attribute.name);
    for (auto& attribute : token.attributes) {
        if (names.insert(std::u16string(attribute.name)).second)
            element.appendAttributeWithoutChecks(std::u16string(attribute.name), std::u16string(attribute.value));
    }
}

std::shared_ptr<DOMElement> TreeBuilder::createElement(HTMLToken& token, Namespace ns, T tag)
{
    const DOMQualifiedName* name;
    if (ns == Namespace::HTML)
        name = htmlName(tag, token.name);
    else if (ns == Namespace::SVG)
        name = DOMQualifiedName::intern(SVGNamespace, {}, adjustedSVGElementName(token.name));
    else
        name = DOMQualifiedName::intern(MathMLNamespace, {}, token.name);
    // A TEMPLATE element's contents are made with it, for its document.
    auto& handle = ns == Namespace::HTML && tag == T::template_ ? m_handle : m_noHandle;
    auto element = DOMNodeArena::makeNode<DOMElement>(handle, name);
    appendAttributes(*element, token, ns);
    return element;
}

const OpenElement& TreeBuilder::insertElement(HTMLToken& token, Namespace ns)
{
    T tag = ns == Namespace::HTML ? m_tokenTag : htmlTagForName(token.name);
    auto place = appropriatePlace();
    OpenElement entry { nullptr, tag, ns, false, ns == Namespace::HTML && isFormattingTag(tag) ? newSerial() : 0 };
    if (ns == Namespace::SVG)
        entry.htmlIntegrationPoint = isOneOf(tag, { T::foreignobject, T::desc, T::title });
    else if (ns == Namespace::MathML && tag == T::annotation_xml) {
        if (auto* encoding = token.attribute(u"encoding"))
            entry.htmlIntegrationPoint = equalsIgnoringASCIICase(encoding->value, u"text/html")
                || equalsIgnoringASCIICase(encoding->value, u"application/xhtml+xml");
    }
    auto created = createElement(token, ns, tag);
    auto* element = created.get();
    entry.element = element;
    static constexpr TagSet loading { T::link, T::style, T::img, T::iframe, T::frame };
    if (ns == Namespace::HTML && !hasTemplateOnStack() && !m_isFragment && loading.contains(tag))
        m_loadingElements.push_back(element);
    if (ns == Namespace::HTML && tag == T::template_)
        element->content();
    insertNode(place, std::move(created));
    push(entry);
    return current();
}

const OpenElement& TreeBuilder::insertHTMLElement(std::u16string_view name)
{
    HTMLToken token;
    token.kind = HTMLToken::Kind::StartTag;
    token.name = name;
    T saved = m_tokenTag;
    m_tokenTag = htmlTagForName(name);
    auto& entry = insertElement(token);
    m_tokenTag = saved;
    return entry;
}

void TreeBuilder::insertForeignElement(HTMLToken& token, Namespace ns)
{
    insertElement(token, ns);
    if (token.selfClosing)
        pop();
}

void TreeBuilder::insertNode(InsertionPlace place, std::shared_ptr<DOMNode> node)
{
    flushText();
    if (place.before) {
        m_treeReordered = true;
        place.parent->insertChild(node, place.before);
    } else
        place.parent->appendParsedChild(std::move(node));
}

void TreeBuilder::moveNode(DOMNode& parent, const std::shared_ptr<DOMNode>& node, DOMNode* before)
{
    if (auto* oldParent = node->parent())
        oldParent->removeChildInternal(node.get());
    if (before)
        parent.insertChild(node, before);
    else
        parent.appendParsedChild(node);
}

void TreeBuilder::insertComment(HTMLToken& token, DOMNode* parent)
{
    auto comment = DOMNodeArena::makeNode<DOMComment>(m_handle, std::move(token.data));
    token.data.clear();
    if (parent)
        insertNode({ parent, nullptr }, std::move(comment));
    else
        insertNode(appropriatePlace(), std::move(comment));
}

bool TreeBuilder::insertLeadingWhitespace()
{
    size_t whitespace = leadingWhitespace(m_text);
    insertCharacters(m_text.substr(0, whitespace));
    m_text.remove_prefix(whitespace);
    return m_text.empty();
}

void TreeBuilder::processLeadingWhitespaceInBody(HTMLToken& token)
{
    size_t whitespace = leadingWhitespace(m_text);
    auto rest = m_text.substr(whitespace);
    m_text = m_text.substr(0, whitespace);
    inBody(token);
    m_text = rest;
}

void TreeBuilder::insertCharacters(std::u16string_view text)
{
    if (text.empty())
        return;
    auto place = appropriatePlace();
    if (place.parent->isDocumentNode())
        return;
    if (!place.before) {
        if (m_pendingParent != place.parent) {
            flushText();
            m_pendingParent = place.parent;
            m_pendingInTemplate = hasTemplateOnStack() || m_isFragment;
        }
        if (m_pendingText.empty())
            m_pendingText = std::u16string(text);
        else
            m_pendingText.append(text);
        return;
    }
    flushText();
    m_treeReordered = true;
    if (auto* previous = place.before->previous(); previous && previous->nodeType() == DOMNode::TEXT_NODE) {
        downcast<DOMText>(previous)->appendData(std::u16string(text));
        return;
    }
    place.parent->insertChild(DOMNodeArena::makeNode<DOMText>(m_handle, std::u16string(text)), place.before);
}

void TreeBuilder::noteTextUnits(std::u16string_view text)
{
    const char16_t* units = text.data();
    size_t size = text.size();
    size_t i = 0;
    auto& seen = *m_textUnits;
#if defined(__SSE2__)
    // Eight units at a time; in a block with units above ASCII, just those.
    // The last block ends with the text, overlapping the one before: its
    // units seen before are left out of its mask.
    const __m128i above = _mm_set1_epi16(static_cast<short>(0xFF80));
    auto noteBlock = [&](size_t start, unsigned skipped) {
        __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(units + start));
        __m128i ascii = _mm_cmpeq_epi16(_mm_and_si128(block, above), _mm_setzero_si128());
        // Two bits for each unit above ASCII.
        unsigned mask = ~static_cast<unsigned>(_mm_movemask_epi8(ascii)) & (0xFFFFu << (2 * skipped)) & 0xFFFF;
        for (; mask; mask &= mask - 1) {
            seen[units[start + static_cast<unsigned>(__builtin_ctz(mask)) / 2]] = true;
            mask &= mask - 1;
        }
    };
    for (; i + 8 <= size; i += 8)
        noteBlock(i, 0);
    if (i < size && size >= 8) {
        noteBlock(size - 8, static_cast<unsigned>(i - (size - 8)));
        return;
    }
#endif
    if (size - i >= 4 && size - i < 8) {
        // Short text (mostly ASCII): its first and last four units, which overlap, at once.
        uint64_t first, last;
        std::memcpy(&first, units + i, sizeof first);
        std::memcpy(&last, units + size - 4, sizeof last);
        if (!((first | last) & 0xFF80FF80FF80FF80ull))
            return;
    }
    for (; i < size; ++i) {
        if (units[i] >= 0x80)
            seen[units[i]] = true;
    }
}

void TreeBuilder::flushText()
{
    if (!m_pendingParent)
        return;
    auto* parent = m_pendingParent;
    m_pendingParent = nullptr;
    if (!m_pendingInTemplate)
        noteTextUnits(m_pendingText);
    if (auto* last = parent->last(); last && last->nodeType() == DOMNode::TEXT_NODE) {
        downcast<DOMText>(last)->appendData(m_pendingText);
        m_pendingText.clear();
        return;
    }
    // Text that went in as one piece has a buffer of its length, which the
    // node takes (leaving the pending text empty); pieces joined have room
    // to spare, and the node a copy.
    static const size_t inlineCapacity = std::u16string().capacity();
    if (m_pendingText.capacity() == m_pendingText.size() || m_pendingText.size() <= inlineCapacity) {
        parent->appendParsedChild(DOMNodeArena::makeNode<DOMText>(m_noHandle, std::move(m_pendingText)));
        m_pendingText.clear();
        return;
    }
    parent->appendParsedChild(DOMNodeArena::makeNode<DOMText>(m_noHandle, std::u16string(m_pendingText)));
    m_pendingText = std::u16string();
}

// RCDATA and RAWTEXT elements: the element, then its text in the text mode.
void TreeBuilder::parseGenericText(HTMLToken& token, HTMLTokenizer::State state)
{
    insertElement(token);
    m_tokenizer.setState(state);
    m_originalMode = m_mode;
    m_mode = Mode::Text;
}

// Dispatch.

namespace {

bool isStart(const HTMLToken& token)
{
    return token.kind == HTMLToken::Kind::StartTag;
}

bool isEnd(const HTMLToken& token)
{
    return token.kind == HTMLToken::Kind::EndTag;
}

} // namespace

void TreeBuilder::run()
{
    while (!m_stopped) {
        // CDATA sections are read in foreign elements but their integration points.
        bool foreign = !m_stack.empty() && !adjustedCurrent().isHTML();
        m_tokenizer.setAllowsCDATA(foreign && !adjustedCurrent().htmlIntegrationPoint
                                   && !adjustedCurrent().isMathMLTextIntegrationPoint());
        HTMLToken& token = m_tokenizer.nextToken();
        processToken(token);
        if (token.kind == HTMLToken::Kind::EndOfFile)
            break;
        if (!m_releasableMarkup.empty()) [[unlikely]]
            releaseParsedMarkup();
    }
    flushText();
}

// Markup of 32 MiB or more is always mapped for itself and unmapped when
// freed (malloc's largest threshold), its pages new to every parse: giving
// them back early costs no parse more faults. Smaller markup may lie in
// pages the heap keeps and hands to the next parse's text warm, so it stays.
bool TreeBuilder::releasesMarkup(const HTMLParseOptions& options, std::u16string_view markup)
{
    constexpr size_t smallestReleased = 32 << 20;
    return options.releasesParsedMarkup && markup.size() * sizeof(char16_t) >= smallestReleased;
}

// Every megabyte or so the parse passes, the whole pages of markup behind
// it go back to the system, as free() does with the inside of large free
// blocks: nothing reads them again, and the memory freed is the whole
// decoded text's by the end, when the tree is at its largest.
void TreeBuilder::releaseParsedMarkup()
{
    constexpr size_t releaseStep = 1 << 20;
    size_t settled = m_tokenizer.settledLength();
    if (settled <= m_releasedLength || (settled - m_releasedLength) * sizeof(char16_t) < releaseStep)
        return;
    static const auto pageSize = static_cast<uintptr_t>(sysconf(_SC_PAGESIZE));
    auto start = reinterpret_cast<uintptr_t>(m_releasableMarkup.data());
    uintptr_t from = (start + m_releasedLength * sizeof(char16_t) + pageSize - 1) & ~(pageSize - 1);
    uintptr_t to = (start + settled * sizeof(char16_t)) & ~(pageSize - 1);
    if (to <= from)
        return;
    // Advice only: pages it leaves stay as they were.
    (void)madvise(reinterpret_cast<void*>(from), to - from, MADV_DONTNEED);
    m_releasedLength = (to - start) / sizeof(char16_t);
}

void TreeBuilder::processToken(HTMLToken& token)
{
    if (token.kind == HTMLToken::Kind::Characters) {
        std::u16string_view text = token.text();
        if (m_skipNewline && !text.empty() && text[0] == u'\n')
            text.remove_prefix(1);
        m_skipNewline = false;
        m_tokenTag = T::Unknown;
        m_textMayHoldNull = token.hasNull;
        processCharacters(text);
        return;
    }
    m_skipNewline = false;
    m_tokenTag = isStart(token) || isEnd(token) ? htmlTagForName(token.name) : T::Unknown;
    while (!m_stopped) {
        Result result = usesInsertionMode(token) ? dispatch(m_mode, token) : foreignContent(token);
        if (result == Result::Done)
            return;
    }
}

void TreeBuilder::processCharacters(std::u16string_view text)
{
    m_text = text;
    while (!m_text.empty() && !m_stopped) {
        if (usesInsertionMode(m_charactersToken))
            dispatch(m_mode, m_charactersToken);
        else
            foreignContent(m_charactersToken);
    }
}

// In foreign content: whether the token goes to the insertion mode all the same.
bool TreeBuilder::foreignUsesInsertionMode(const HTMLToken& token) const
{
    auto& node = adjustedCurrent();
    bool start = isStart(token);
    bool characters = token.kind == HTMLToken::Kind::Characters;
    if (node.isMathMLTextIntegrationPoint()
        && ((start && m_tokenTag != T::mglyph && m_tokenTag != T::malignmark) || characters))
        return true;
    if (node.ns == Namespace::MathML && node.tag == T::annotation_xml && start && m_tokenTag == T::svg)
        return true;
    if (node.htmlIntegrationPoint && (start || characters))
        return true;
    return token.kind == HTMLToken::Kind::EndOfFile;
}

Result TreeBuilder::dispatch(Mode mode, HTMLToken& token)
{
    // Most tokens of a page are in the body: straight there.
    if (mode == Mode::InBody) [[likely]]
        return inBody(token);
    return dispatchOther(mode, token);
}

Result TreeBuilder::dispatchOther(Mode mode, HTMLToken& token)
{
    switch (mode) {
    case Mode::Initial:
        return initial(token);
    case Mode::BeforeHTML:
        return beforeHTML(token);
    case Mode::BeforeHead:
        return beforeHead(token);
    case Mode::InHead:
        return inHead(token);
    case Mode::InHeadNoscript:
        return inHeadNoscript(token);
    case Mode::AfterHead:
        return afterHead(token);
    case Mode::InBody:
        return inBody(token);
    case Mode::Text:
        return text(token);
    case Mode::InTable:
        return inTable(token);
    case Mode::InTableText:
        return inTableText(token);
    case Mode::InCaption:
        return inCaption(token);
    case Mode::InColumnGroup:
        return inColumnGroup(token);
    case Mode::InTableBody:
        return inTableBody(token);
    case Mode::InRow:
        return inRow(token);
    case Mode::InCell:
        return inCell(token);
    case Mode::InTemplate:
        return inTemplate(token);
    case Mode::AfterBody:
        return afterBody(token);
    case Mode::InFrameset:
        return inFrameset(token);
    case Mode::AfterFrameset:
        return afterFrameset(token);
    case Mode::AfterAfterBody:
        return afterAfterBody(token);
    case Mode::AfterAfterFrameset:
        return afterAfterFrameset(token);
    }
    return Result::Done;
}

// The insertion modes. A Characters token stands for m_text, what is left of
// its characters: a rule takes what it handles off the front.

Result TreeBuilder::initial(HTMLToken& token)
{
    switch (token.kind) {
    case HTMLToken::Kind::Characters:
        m_text.remove_prefix(leadingWhitespace(m_text));
        if (m_text.empty())
            return Result::Done;
        break;
    case HTMLToken::Kind::Comment:
        insertComment(token, &m_document);
        return Result::Done;
    case HTMLToken::Kind::DOCTYPE: {
        if (token.name != u"html" || token.hasPublicIdentifier
            || (token.hasSystemIdentifier && token.systemIdentifier != u"about:legacy-compat"))
            parseError();
        insertNode({ &m_document, nullptr }, m_document.createDocumentType(std::u16string(token.name), token.publicIdentifier,
                                                                           token.systemIdentifier));
        m_quirksMode = quirksModeForDOCTYPE(token);
        m_mode = Mode::BeforeHTML;
        return Result::Done;
    }
    default:
        break;
    }
    parseError();
    m_quirksMode = QuirksMode::Quirks;
    m_mode = Mode::BeforeHTML;
    return Result::Reprocess;
}

Result TreeBuilder::beforeHTML(HTMLToken& token)
{
    switch (token.kind) {
    case HTMLToken::Kind::DOCTYPE:
        parseError();
        return Result::Done;
    case HTMLToken::Kind::Comment:
        insertComment(token, &m_document);
        return Result::Done;
    case HTMLToken::Kind::Characters:
        m_text.remove_prefix(leadingWhitespace(m_text));
        if (m_text.empty())
            return Result::Done;
        break;
    case HTMLToken::Kind::StartTag:
        if (m_tokenTag == T::html) {
            auto element = createElement(token, Namespace::HTML, T::html);
            auto* root = element.get();
            insertNode({ &m_document, nullptr }, std::move(element));
            push({ root, T::html, Namespace::HTML, false });
            m_mode = Mode::BeforeHead;
            return Result::Done;
        }
        break;
    case HTMLToken::Kind::EndTag:
        if (!isOneOf(m_tokenTag, { T::head, T::body, T::html, T::br })) {
            parseError();
            return Result::Done;
        }
        break;
    case HTMLToken::Kind::EndOfFile:
        break;
    }
    auto element = DOMNodeArena::makeNode<DOMElement>(m_handle, htmlName(T::html, {}));
    auto* root = element.get();
    insertNode({ &m_document, nullptr }, std::move(element));
    push({ root, T::html, Namespace::HTML, false });
    m_mode = Mode::BeforeHead;
    return Result::Reprocess;
}

Result TreeBuilder::beforeHead(HTMLToken& token)
{
    switch (token.kind) {
    case HTMLToken::Kind::Characters:
        m_text.remove_prefix(leadingWhitespace(m_text));
        if (m_text.empty())
            return Result::Done;
        break;
    case HTMLToken::Kind::Comment:
        insertComment(token);
        return Result::Done;
    case HTMLToken::Kind::DOCTYPE:
        parseError();
        return Result::Done;
    case HTMLToken::Kind::StartTag:
        if (m_tokenTag == T::html)
            return inBody(token);
        if (m_tokenTag == T::head) {
            m_head = insertElement(token).element;
            m_mode = Mode::InHead;
            return Result::Done;
        }
        break;
    case HTMLToken::Kind::EndTag:
        if (!isOneOf(m_tokenTag, { T::head, T::body, T::html, T::br })) {
            parseError();
            return Result::Done;
        }
        break;
    case HTMLToken::Kind::EndOfFile:
        break;
    }
    m_head = insertHTMLElement(u"head").element;
    m_mode = Mode::InHead;
    return Result::Reprocess;
}

Result TreeBuilder::inHead(HTMLToken& token)
{
    switch (token.kind) {
    case HTMLToken::Kind::Characters:
        if (insertLeadingWhitespace())
            return Result::Done;
        break;
    case HTMLToken::Kind::Comment:
        insertComment(token);
        return Result::Done;
    case HTMLToken::Kind::DOCTYPE:
        parseError();
        return Result::Done;
    case HTMLToken::Kind::StartTag:
        switch (m_tokenTag) {
        case T::html:
            return inBody(token);
        case T::base:
        case T::basefont:
        case T::bgsound:
        case T::link:
        case T::meta:
            insertElement(token);
            pop();
            return Result::Done;
        case T::title:
            parseGenericText(token, HTMLTokenizer::State::RCDATA);
            return Result::Done;
        case T::noscript:
            insertElement(token);
            m_mode = Mode::InHeadNoscript;
            return Result::Done;
        case T::noframes:
        case T::style:
            parseGenericText(token, HTMLTokenizer::State::RAWTEXT);
            return Result::Done;
        case T::script:
            parseGenericText(token, HTMLTokenizer::State::ScriptData);
            return Result::Done;
        case T::template_:
            insertElement(token);
            insertMarker();
            m_framesetOK = false;
            m_mode = Mode::InTemplate;
            m_templateModes.push_back(Mode::InTemplate);
            return Result::Done;
        case T::head:
            parseError();
            return Result::Done;
        default:
            break;
        }
        break;
    case HTMLToken::Kind::EndTag:
        switch (m_tokenTag) {
        case T::head:
            pop();
            m_mode = Mode::AfterHead;
            return Result::Done;
        case T::body:
        case T::html:
        case T::br:
            break;
        case T::template_:
            if (!hasTemplateOnStack()) {
                parseError();
                return Result::Done;
            }
            generateImpliedEndTagsThoroughly();
            if (!current().is(T::template_))
                parseError();
            popUntil(T::template_);
            clearFormattingElementsToMarker();
            m_templateModes.pop_back();
            resetInsertionMode();
            return Result::Done;
        default:
            parseError();
            return Result::Done;
        }
        break;
    default:
        break;
    }
    pop();
    m_mode = Mode::AfterHead;
    return Result::Reprocess;
}

Result TreeBuilder::inHeadNoscript(HTMLToken& token)
{
    switch (token.kind) {
    case HTMLToken::Kind::DOCTYPE:
        parseError();
        return Result::Done;
    case HTMLToken::Kind::Characters:
        if (insertLeadingWhitespace())
            return Result::Done;
        break;
    case HTMLToken::Kind::Comment:
        return inHead(token);
    case HTMLToken::Kind::StartTag:
        if (m_tokenTag == T::html)
            return inBody(token);
        if (isOneOf(m_tokenTag, { T::basefont, T::bgsound, T::link, T::meta, T::noframes, T::style }))
            return inHead(token);
        if (m_tokenTag == T::head || m_tokenTag == T::noscript) {
            parseError();
            return Result::Done;
        }
        break;
    case HTMLToken::Kind::EndTag:
        if (m_tokenTag == T::noscript) {
            pop();
            m_mode = Mode::InHead;
            return Result::Done;
        }
        if (m_tokenTag != T::br) {
            parseError();
            return Result::Done;
        }
        break;
    case HTMLToken::Kind::EndOfFile:
        break;
    }
    parseError();
    pop();
    m_mode = Mode::InHead;
    return Result::Reprocess;
}

Result TreeBuilder::afterHead(HTMLToken& token)
{
    switch (token.kind) {
    case HTMLToken::Kind::Characters:
        if (insertLeadingWhitespace())
            return Result::Done;
        break;
    case HTMLToken::Kind::Comment:
        insertComment(token);
        return Result::Done;
    case HTMLToken::Kind::DOCTYPE:
        parseError();
        return Result::Done;
    case HTMLToken::Kind::StartTag:
        switch (m_tokenTag) {
        case T::html:
            return inBody(token);
        case T::body:
            insertElement(token);
            m_framesetOK = false;
            m_mode = Mode::InBody;
            return Result::Done;
        case T::frameset:
            insertElement(token);
            m_mode = Mode::InFrameset;
            return Result::Done;
        case T::base:
        case T::basefont:
        case T::bgsound:
        case T::link:
        case T::meta:
        case T::noframes:
        case T::script:
        case T::style:
        case T::template_:
        case T::title: {
            parseError();
            auto* head = m_head;
            push({ head, T::head, Namespace::HTML, false });
            auto result = inHead(token);
            size_t index = stackIndexOf(head);
            if (index != SIZE_MAX)
                removeFromStack(index);
            return result;
        }
        case T::head:
            parseError();
            return Result::Done;
        default:
            break;
        }
        break;
    case HTMLToken::Kind::EndTag:
        if (m_tokenTag == T::template_)
            return inHead(token);
        if (!isOneOf(m_tokenTag, { T::body, T::html, T::br })) {
            parseError();
            return Result::Done;
        }
        break;
    case HTMLToken::Kind::EndOfFile:
        break;
    }
    insertHTMLElement(u"body");
    m_mode = Mode::InBody;
    return Result::Reprocess;
}

Result TreeBuilder::inBody(HTMLToken& token)
{
    switch (token.kind) {
    case HTMLToken::Kind::Characters: {
        std::u16string_view text = m_text;
        m_text = {};
        // NULs are dropped; the rest goes in as it is.
        while (!text.empty()) {
            size_t end = m_textMayHoldNull ? findNull(text) : std::u16string_view::npos;
            auto run = text.substr(0, end);
            if (!run.empty()) {
                reconstructFormattingElements();
                insertCharacters(run);
                if (m_framesetOK && leadingWhitespace(run) != run.size())
                    m_framesetOK = false;
            }
            if (end == std::u16string_view::npos)
                break;
            parseError();
            text.remove_prefix(end + 1);
        }
        return Result::Done;
    }
    case HTMLToken::Kind::Comment:
        insertComment(token);
        return Result::Done;
    case HTMLToken::Kind::DOCTYPE:
        parseError();
        return Result::Done;
    case HTMLToken::Kind::StartTag:
        return inBodyStartTag(token);
    case HTMLToken::Kind::EndTag:
        return inBodyEndTag(token);
    case HTMLToken::Kind::EndOfFile:
        if (!m_templateModes.empty())
            return inTemplate(token);
        stopParsing();
        return Result::Done;
    }
    return Result::Done;
}

Result TreeBuilder::inBodyStartTag(HTMLToken& token)
{
    auto closePInButtonScope = [&] {
        if (inScope(T::p, Scope::Button))
            closePElement();
    };
    switch (m_tokenTag) {
    case T::html:
        parseError();
        if (!hasTemplateOnStack())
            addMissingAttributes(*m_stack.front().element, token);
        return Result::Done;
    case T::base:
    case T::basefont:
    case T::bgsound:
    case T::link:
    case T::meta:
    case T::noframes:
    case T::script:
    case T::style:
    case T::template_:
    case T::title:
        return inHead(token);
    case T::body:
        parseError();
        if (m_stack.size() == 1 || !m_stack[1].is(T::body) || hasTemplateOnStack())
            return Result::Done;
        m_framesetOK = false;
        addMissingAttributes(*m_stack[1].element, token);
        return Result::Done;
    case T::frameset: {
        parseError();
        if (m_stack.size() == 1 || !m_stack[1].is(T::body) || !m_framesetOK)
            return Result::Done;
        flushText();
        auto* body = m_stack[1].element;
        if (auto* parent = body->parent()) {
            // Out of the tree, but formatting elements in it stay on their list.
            m_kept.push_back(body->shared_from_this());
            parent->removeChildInternal(body);
            m_treeReordered = true;
        }
        while (m_stack.size() > 1)
            pop();
        insertElement(token);
        m_mode = Mode::InFrameset;
        return Result::Done;
    }
    case T::address:
    case T::article:
    case T::aside:
    case T::blockquote:
    case T::center:
    case T::details:
    case T::dialog:
    case T::dir:
    case T::div:
    case T::dl:
    case T::fieldset:
    case T::figcaption:
    case T::figure:
    case T::footer:
    case T::header:
    case T::hgroup:
    case T::main:
    case T::menu:
    case T::nav:
    case T::ol:
    case T::p:
    case T::search:
    case T::section:
    case T::summary:
    case T::ul:
        closePInButtonScope();
        insertElement(token);
        return Result::Done;
    case T::h1:
    case T::h2:
    case T::h3:
    case T::h4:
    case T::h5:
    case T::h6:
        closePInButtonScope();
        if (current().isHTML() && isOneOf(current().tag, { T::h1, T::h2, T::h3, T::h4, T::h5, T::h6 })) {
            parseError();
            pop();
        }
        insertElement(token);
        return Result::Done;
    case T::pre:
    case T::listing:
        closePInButtonScope();
        insertElement(token);
        m_skipNewline = true;
        m_framesetOK = false;
        return Result::Done;
    case T::form:
        if (m_form && !hasTemplateOnStack()) {
            parseError();
            return Result::Done;
        }
        closePInButtonScope();
        {
            auto& entry = insertElement(token);
            if (!hasTemplateOnStack())
                m_form = entry.element;
        }
        return Result::Done;
    case T::li:
    case T::dd:
    case T::dt: {
        m_framesetOK = false;
        for (size_t i = m_stack.size(); i > 0; --i) {
            auto& node = m_stack[i - 1];
            T closes = T::Unknown;
            if (m_tokenTag == T::li && node.is(T::li))
                closes = T::li;
            else if (m_tokenTag != T::li && (node.is(T::dd) || node.is(T::dt)))
                closes = node.tag;
            if (closes != T::Unknown) {
                generateImpliedEndTags(closes);
                if (!current().is(closes))
                    parseError();
                popUntil(closes);
                break;
            }
            if (isSpecial(node) && !(node.isHTML() && isOneOf(node.tag, { T::address, T::div, T::p })))
                break;
        }
        closePInButtonScope();
        insertElement(token);
        return Result::Done;
    }
    case T::plaintext:
        closePInButtonScope();
        insertElement(token);
        m_tokenizer.setState(HTMLTokenizer::State::PLAINTEXT);
        return Result::Done;
    case T::button:
        if (inScope(T::button)) {
            parseError();
            generateImpliedEndTags();
            popUntil(T::button);
        }
        reconstructFormattingElements();
        insertElement(token);
        m_framesetOK = false;
        return Result::Done;
    case T::a: {
        for (size_t i = m_formatting.size(); i > 0; --i) {
            auto& entry = m_formatting[i - 1];
            if (!entry.element)
                break;
            if (entry.tag == T::a) {
                parseError();
                auto element = entry.element;
                HTMLToken endTag;
                endTag.kind = HTMLToken::Kind::EndTag;
                endTag.name = u"a";
                if (!runAdoptionAgency(endTag))
                    anyOtherEndTag(endTag);
                m_tokenTag = T::a;
                size_t formattingIndex = formattingIndexOf(element);
                if (formattingIndex != SIZE_MAX)
                    m_formatting.erase(m_formatting.begin() + static_cast<ptrdiff_t>(formattingIndex));
                size_t stackIndex = stackIndexOf(element);
                if (stackIndex != SIZE_MAX)
                    removeFromStack(stackIndex);
                break;
            }
        }
        reconstructFormattingElements();
        pushFormattingElement(insertElement(token));
        return Result::Done;
    }
    case T::b:
    case T::big:
    case T::code:
    case T::em:
    case T::font:
    case T::i:
    case T::s:
    case T::small:
    case T::strike:
    case T::strong:
    case T::tt:
    case T::u:
        reconstructFormattingElements();
        pushFormattingElement(insertElement(token));
        return Result::Done;
    case T::nobr:
        reconstructFormattingElements();
        if (inScope(T::nobr)) {
            parseError();
            HTMLToken endTag;
            endTag.kind = HTMLToken::Kind::EndTag;
            endTag.name = u"nobr";
            if (!runAdoptionAgency(endTag))
                anyOtherEndTag(endTag);
            m_tokenTag = T::nobr;
            reconstructFormattingElements();
        }
        pushFormattingElement(insertElement(token));
        return Result::Done;
    case T::applet:
    case T::marquee:
    case T::object:
        reconstructFormattingElements();
        insertElement(token);
        insertMarker();
        m_framesetOK = false;
        return Result::Done;
    case T::table:
        if (m_quirksMode != QuirksMode::Quirks)
            closePInButtonScope();
        insertElement(token);
        m_framesetOK = false;
        m_mode = Mode::InTable;
        return Result::Done;
    case T::area:
    case T::br:
    case T::embed:
    case T::img:
    case T::keygen:
    case T::wbr:
        reconstructFormattingElements();
        insertElement(token);
        pop();
        m_framesetOK = false;
        return Result::Done;
    case T::input: {
        // An input closes an open select (one that is the fragment's context stays).
        if (isInSelectContext()) {
            parseError();
            return Result::Done;
        }
        if (inScope(T::select)) {
            parseError();
            popUntil(T::select);
        }
        auto* type = token.attribute(u"type");
        if (!type || !equalsIgnoringASCIICase(type->value, u"hidden"))
            m_framesetOK = false;
        reconstructFormattingElements();
        insertElement(token);
        pop();
        return Result::Done;
    }
    case T::param:
    case T::source:
    case T::track:
        insertElement(token);
        pop();
        return Result::Done;
    case T::hr:
        closePInButtonScope();
        if (inScope(T::select)) {
            generateImpliedEndTags();
            if (inScope(T::option) || inScope(T::optgroup))
                parseError();
        }
        insertElement(token);
        pop();
        m_framesetOK = false;
        return Result::Done;
    case T::image:
        parseError();
        token.name = u"img";
        m_tokenTag = T::img;
        return Result::Reprocess;
    case T::textarea:
        insertElement(token);
        m_skipNewline = true;
        m_tokenizer.setState(HTMLTokenizer::State::RCDATA);
        m_originalMode = m_mode;
        m_framesetOK = false;
        m_mode = Mode::Text;
        return Result::Done;
    case T::xmp:
        closePInButtonScope();
        reconstructFormattingElements();
        m_framesetOK = false;
        parseGenericText(token, HTMLTokenizer::State::RAWTEXT);
        return Result::Done;
    case T::iframe:
        m_framesetOK = false;
        parseGenericText(token, HTMLTokenizer::State::RAWTEXT);
        return Result::Done;
    case T::noembed:
        parseGenericText(token, HTMLTokenizer::State::RAWTEXT);
        return Result::Done;
    case T::select:
        // Selects do not nest: a select inside one closes it.
        if (isInSelectContext()) {
            parseError();
            return Result::Done;
        }
        if (inScope(T::select)) {
            parseError();
            popUntil(T::select);
            return Result::Done;
        }
        reconstructFormattingElements();
        insertElement(token);
        m_framesetOK = false;
        return Result::Done;
    case T::optgroup:
    case T::option:
        if (inScope(T::select)) {
            // An option ends the option before it; an optgroup also the optgroup.
            generateImpliedEndTags(m_tokenTag == T::option ? T::optgroup : T::Unknown);
            if (inScope(T::option) || (m_tokenTag == T::optgroup && inScope(T::optgroup)))
                parseError();
        } else if (current().is(T::option))
            pop();
        reconstructFormattingElements();
        insertElement(token);
        return Result::Done;
    case T::rb:
    case T::rtc:
        if (inScope(T::ruby)) {
            generateImpliedEndTags();
            if (!current().is(T::ruby))
                parseError();
        }
        insertElement(token);
        return Result::Done;
    case T::rp:
    case T::rt:
        if (inScope(T::ruby)) {
            generateImpliedEndTags(T::rtc);
            if (!current().is(T::ruby) && !current().is(T::rtc))
                parseError();
        }
        insertElement(token);
        return Result::Done;
    case T::math:
    case T::svg:
        reconstructFormattingElements();
        insertForeignElement(token, m_tokenTag == T::math ? Namespace::MathML : Namespace::SVG);
        return Result::Done;
    case T::caption:
    case T::col:
    case T::colgroup:
    case T::frame:
    case T::head:
    case T::tbody:
    case T::td:
    case T::tfoot:
    case T::th:
    case T::thead:
    case T::tr:
        parseError();
        return Result::Done;
    default:
        reconstructFormattingElements();
        insertElement(token);
        return Result::Done;
    }
}

Result TreeBuilder::inBodyEndTag(HTMLToken& token)
{
    switch (m_tokenTag) {
    case T::template_:
        return inHead(token);
    case T::body:
    case T::html:
        if (!inScope(T::body)) {
            parseError();
            return Result::Done;
        }
        m_mode = Mode::AfterBody;
        return m_tokenTag == T::html ? Result::Reprocess : Result::Done;
    case T::address:
    case T::article:
    case T::aside:
    case T::blockquote:
    case T::button:
    case T::center:
    case T::details:
    case T::dialog:
    case T::dir:
    case T::div:
    case T::dl:
    case T::fieldset:
    case T::figcaption:
    case T::figure:
    case T::footer:
    case T::header:
    case T::hgroup:
    case T::listing:
    case T::main:
    case T::menu:
    case T::nav:
    case T::ol:
    case T::pre:
    case T::search:
    case T::section:
    case T::select:
    case T::summary:
    case T::ul:
        if (!inScope(m_tokenTag)) {
            parseError();
            return Result::Done;
        }
        generateImpliedEndTags();
        if (!current().is(m_tokenTag))
            parseError();
        popUntil(m_tokenTag);
        return Result::Done;
    case T::form:
        if (!hasTemplateOnStack()) {
            auto* node = m_form;
            m_form = nullptr;
            if (!node || !elementInScope(node)) {
                parseError();
                return Result::Done;
            }
            generateImpliedEndTags();
            if (current().element != node)
                parseError();
            removeFromStack(stackIndexOf(node));
            return Result::Done;
        }
        if (!inScope(T::form)) {
            parseError();
            return Result::Done;
        }
        generateImpliedEndTags();
        if (!current().is(T::form))
            parseError();
        popUntil(T::form);
        return Result::Done;
    case T::p:
        if (!inScope(T::p, Scope::Button)) {
            parseError();
            insertHTMLElement(u"p");
        }
        closePElement();
        return Result::Done;
    case T::li:
        if (!inScope(T::li, Scope::ListItem)) {
            parseError();
            return Result::Done;
        }
        generateImpliedEndTags(T::li);
        if (!current().is(T::li))
            parseError();
        popUntil(T::li);
        return Result::Done;
    case T::dd:
    case T::dt:
        if (!inScope(m_tokenTag)) {
            parseError();
            return Result::Done;
        }
        generateImpliedEndTags(m_tokenTag);
        if (!current().is(m_tokenTag))
            parseError();
        popUntil(m_tokenTag);
        return Result::Done;
    case T::h1:
    case T::h2:
    case T::h3:
    case T::h4:
    case T::h5:
    case T::h6:
        if (!inScope({ T::h1, T::h2, T::h3, T::h4, T::h5, T::h6 })) {
            parseError();
            return Result::Done;
        }
        generateImpliedEndTags();
        if (!current().is(m_tokenTag))
            parseError();
        popUntil({ T::h1, T::h2, T::h3, T::h4, T::h5, T::h6 });
        return Result::Done;
    case T::a:
    case T::b:
    case T::big:
    case T::code:
    case T::em:
    case T::font:
    case T::i:
    case T::nobr:
    case T::s:
    case T::small:
    case T::strike:
    case T::strong:
    case T::tt:
    case T::u:
        if (!runAdoptionAgency(token))
            anyOtherEndTag(token);
        return Result::Done;
    case T::applet:
    case T::marquee:
    case T::object:
        if (!inScope(m_tokenTag)) {
            parseError();
            return Result::Done;
        }
        generateImpliedEndTags();
        if (!current().is(m_tokenTag))
            parseError();
        popUntil(m_tokenTag);
        clearFormattingElementsToMarker();
        return Result::Done;
    case T::br: {
        parseError();
        token.kind = HTMLToken::Kind::StartTag;
        token.attributes.clear();
        token.selfClosing = false;
        return inBodyStartTag(token);
    }
    default:
        anyOtherEndTag(token);
        return Result::Done;
    }
}

Result TreeBuilder::text(HTMLToken& token)
{
    switch (token.kind) {
    case HTMLToken::Kind::Characters:
        insertCharacters(m_text);
        m_text = {};
        return Result::Done;
    case HTMLToken::Kind::EndOfFile:
        parseError();
        pop();
        m_mode = m_originalMode;
        return Result::Reprocess;
    case HTMLToken::Kind::EndTag:
        pop();
        m_mode = m_originalMode;
        return Result::Done;
    default:
        return Result::Done;
    }
}

Result TreeBuilder::inTableAnythingElse(HTMLToken& token)
{
    parseError();
    m_fosterParenting = true;
    auto result = inBody(token);
    m_fosterParenting = false;
    return result;
}

Result TreeBuilder::inTable(HTMLToken& token)
{
    auto clearToTableContext = [&] { clearStackBackTo({ T::table, T::template_, T::html }); };
    switch (token.kind) {
    case HTMLToken::Kind::Characters:
        if (current().isHTML() && isOneOf(current().tag, { T::table, T::tbody, T::template_, T::tfoot, T::thead, T::tr })) {
            m_pendingTableText.clear();
            m_pendingTableTextHasNonWhitespace = false;
            m_originalMode = m_mode;
            m_mode = Mode::InTableText;
            return Result::Reprocess;
        }
        return inTableAnythingElse(token);
    case HTMLToken::Kind::Comment:
        insertComment(token);
        return Result::Done;
    case HTMLToken::Kind::DOCTYPE:
        parseError();
        return Result::Done;
    case HTMLToken::Kind::StartTag:
        switch (m_tokenTag) {
        case T::caption:
            clearToTableContext();
            insertMarker();
            insertElement(token);
            m_mode = Mode::InCaption;
            return Result::Done;
        case T::colgroup:
            clearToTableContext();
            insertElement(token);
            m_mode = Mode::InColumnGroup;
            return Result::Done;
        case T::col:
            clearToTableContext();
            insertHTMLElement(u"colgroup");
            m_mode = Mode::InColumnGroup;
            return Result::Reprocess;
        case T::tbody:
        case T::tfoot:
        case T::thead:
            clearToTableContext();
            insertElement(token);
            m_mode = Mode::InTableBody;
            return Result::Done;
        case T::td:
        case T::th:
        case T::tr:
            clearToTableContext();
            insertHTMLElement(u"tbody");
            m_mode = Mode::InTableBody;
            return Result::Reprocess;
        case T::table:
            parseError();
            if (!inScope(T::table, Scope::Table))
                return Result::Done;
            popUntil(T::table);
            resetInsertionMode();
            return Result::Reprocess;
        case T::style:
        case T::script:
        case T::template_:
            return inHead(token);
        case T::input: {
            auto* type = token.attribute(u"type");
            if (!type || !equalsIgnoringASCIICase(type->value, u"hidden"))
                break;
            parseError();
            insertElement(token);
            pop();
            return Result::Done;
        }
        case T::form:
            parseError();
            if (hasTemplateOnStack() || m_form)
                return Result::Done;
            m_form = insertElement(token).element;
            pop();
            return Result::Done;
        default:
            break;
        }
        break;
    case HTMLToken::Kind::EndTag:
        switch (m_tokenTag) {
        case T::table:
            if (!inScope(T::table, Scope::Table)) {
                parseError();
                return Result::Done;
            }
            popUntil(T::table);
            resetInsertionMode();
            return Result::Done;
        case T::body:
        case T::caption:
        case T::col:
        case T::colgroup:
        case T::html:
        case T::tbody:
        case T::td:
        case T::tfoot:
        case T::th:
        case T::thead:
        case T::tr:
            parseError();
            return Result::Done;
        case T::template_:
            return inHead(token);
        default:
            break;
        }
        break;
    case HTMLToken::Kind::EndOfFile:
        return inBody(token);
    }
    return inTableAnythingElse(token);
}

Result TreeBuilder::inTableText(HTMLToken& token)
{
    if (token.kind == HTMLToken::Kind::Characters) {
        for (char16_t c : m_text) {
            if (!c) {
                parseError();
                continue;
            }
            if (!isWhitespace(c))
                m_pendingTableTextHasNonWhitespace = true;
            m_pendingTableText += c;
        }
        m_text = {};
        return Result::Done;
    }
    if (!m_pendingTableText.empty()) {
        auto saved = m_text;
        std::u16string pending = std::move(m_pendingTableText);
        m_pendingTableText.clear();
        bool savedMayHoldNull = m_textMayHoldNull;
        m_text = pending;
        m_textMayHoldNull = true;
        if (m_pendingTableTextHasNonWhitespace)
            inTableAnythingElse(m_charactersToken);
        else
            insertCharacters(pending);
        m_text = saved;
        m_textMayHoldNull = savedMayHoldNull;
    }
    m_mode = m_originalMode;
    return Result::Reprocess;
}

Result TreeBuilder::inCaption(HTMLToken& token)
{
    auto closeCaption = [&] {
        if (!inScope(T::caption, Scope::Table)) {
            parseError();
            return false;
        }
        generateImpliedEndTags();
        if (!current().is(T::caption))
            parseError();
        popUntil(T::caption);
        clearFormattingElementsToMarker();
        m_mode = Mode::InTable;
        return true;
    };
    if (isEnd(token) && m_tokenTag == T::caption) {
        closeCaption();
        return Result::Done;
    }
    if ((isStart(token) && isOneOf(m_tokenTag, { T::caption, T::col, T::colgroup, T::tbody, T::td, T::tfoot, T::th, T::thead, T::tr }))
        || (isEnd(token) && m_tokenTag == T::table))
        return closeCaption() ? Result::Reprocess : Result::Done;
    if (isEnd(token) && isOneOf(m_tokenTag, { T::body, T::col, T::colgroup, T::html, T::tbody, T::td, T::tfoot, T::th, T::thead, T::tr })) {
        parseError();
        return Result::Done;
    }
    return inBody(token);
}

Result TreeBuilder::inColumnGroup(HTMLToken& token)
{
    switch (token.kind) {
    case HTMLToken::Kind::Characters:
        if (insertLeadingWhitespace())
            return Result::Done;
        break;
    case HTMLToken::Kind::Comment:
        insertComment(token);
        return Result::Done;
    case HTMLToken::Kind::DOCTYPE:
        parseError();
        return Result::Done;
    case HTMLToken::Kind::StartTag:
        if (m_tokenTag == T::html)
            return inBody(token);
        if (m_tokenTag == T::col) {
            insertElement(token);
            pop();
            return Result::Done;
        }
        if (m_tokenTag == T::template_)
            return inHead(token);
        break;
    case HTMLToken::Kind::EndTag:
        if (m_tokenTag == T::colgroup) {
            if (!current().is(T::colgroup)) {
                parseError();
                return Result::Done;
            }
            pop();
            m_mode = Mode::InTable;
            return Result::Done;
        }
        if (m_tokenTag == T::col) {
            parseError();
            return Result::Done;
        }
        if (m_tokenTag == T::template_)
            return inHead(token);
        break;
    case HTMLToken::Kind::EndOfFile:
        return inBody(token);
    }
    if (!current().is(T::colgroup)) {
        parseError();
        if (token.kind != HTMLToken::Kind::Characters)
            return Result::Done;
        // Characters are ignored one by one: the white space after them still goes in.
        size_t ignored = 0;
        while (ignored < m_text.size() && !isWhitespace(m_text[ignored]))
            ++ignored;
        m_text.remove_prefix(ignored);
        return m_text.empty() ? Result::Done : Result::Reprocess;
    }
    pop();
    m_mode = Mode::InTable;
    return Result::Reprocess;
}

Result TreeBuilder::inTableBody(HTMLToken& token)
{
    auto clearToBodyContext = [&] { clearStackBackTo({ T::tbody, T::tfoot, T::thead, T::template_, T::html }); };
    if (isStart(token)) {
        if (m_tokenTag == T::tr) {
            clearToBodyContext();
            insertElement(token);
            m_mode = Mode::InRow;
            return Result::Done;
        }
        if (m_tokenTag == T::th || m_tokenTag == T::td) {
            parseError();
            clearToBodyContext();
            insertHTMLElement(u"tr");
            m_mode = Mode::InRow;
            return Result::Reprocess;
        }
    }
    if (isEnd(token) && isOneOf(m_tokenTag, { T::tbody, T::tfoot, T::thead })) {
        if (!inScope(m_tokenTag, Scope::Table)) {
            parseError();
            return Result::Done;
        }
        clearToBodyContext();
        pop();
        m_mode = Mode::InTable;
        return Result::Done;
    }
    if ((isStart(token) && isOneOf(m_tokenTag, { T::caption, T::col, T::colgroup, T::tbody, T::tfoot, T::thead }))
        || (isEnd(token) && m_tokenTag == T::table)) {
        if (!inScope({ T::tbody, T::thead, T::tfoot }, Scope::Table)) {
            parseError();
            return Result::Done;
        }
        clearToBodyContext();
        pop();
        m_mode = Mode::InTable;
        return Result::Reprocess;
    }
    if (isEnd(token) && isOneOf(m_tokenTag, { T::body, T::caption, T::col, T::colgroup, T::html, T::td, T::th, T::tr })) {
        parseError();
        return Result::Done;
    }
    return inTable(token);
}

Result TreeBuilder::inRow(HTMLToken& token)
{
    auto clearToRowContext = [&] { clearStackBackTo({ T::tr, T::template_, T::html }); };
    if (isStart(token) && (m_tokenTag == T::th || m_tokenTag == T::td)) {
        clearToRowContext();
        insertElement(token);
        m_mode = Mode::InCell;
        insertMarker();
        return Result::Done;
    }
    auto closeRow = [&] {
        if (!inScope(T::tr, Scope::Table)) {
            parseError();
            return false;
        }
        clearToRowContext();
        pop();
        m_mode = Mode::InTableBody;
        return true;
    };
    if (isEnd(token) && m_tokenTag == T::tr) {
        closeRow();
        return Result::Done;
    }
    if ((isStart(token) && isOneOf(m_tokenTag, { T::caption, T::col, T::colgroup, T::tbody, T::tfoot, T::thead, T::tr }))
        || (isEnd(token) && m_tokenTag == T::table))
        return closeRow() ? Result::Reprocess : Result::Done;
    if (isEnd(token) && isOneOf(m_tokenTag, { T::tbody, T::tfoot, T::thead })) {
        if (!inScope(m_tokenTag, Scope::Table)) {
            parseError();
            return Result::Done;
        }
        return closeRow() ? Result::Reprocess : Result::Done;
    }
    if (isEnd(token) && isOneOf(m_tokenTag, { T::body, T::caption, T::col, T::colgroup, T::html, T::td, T::th })) {
        parseError();
        return Result::Done;
    }
    return inTable(token);
}

Result TreeBuilder::inCell(HTMLToken& token)
{
    auto closeCell = [&] {
        generateImpliedEndTags();
        if (!current().is(T::td) && !current().is(T::th))
            parseError();
        popUntil({ T::td, T::th });
        clearFormattingElementsToMarker();
        m_mode = Mode::InRow;
    };
    if (isEnd(token) && (m_tokenTag == T::td || m_tokenTag == T::th)) {
        if (!inScope(m_tokenTag, Scope::Table)) {
            parseError();
            return Result::Done;
        }
        generateImpliedEndTags();
        if (!current().is(m_tokenTag))
            parseError();
        popUntil(m_tokenTag);
        clearFormattingElementsToMarker();
        m_mode = Mode::InRow;
        return Result::Done;
    }
    if (isStart(token) && isOneOf(m_tokenTag, { T::caption, T::col, T::colgroup, T::tbody, T::td, T::tfoot, T::th, T::thead, T::tr })) {
        if (!inScope({ T::td, T::th }, Scope::Table)) {
            parseError();
            return Result::Done;
        }
        closeCell();
        return Result::Reprocess;
    }
    if (isEnd(token) && isOneOf(m_tokenTag, { T::body, T::caption, T::col, T::colgroup, T::html })) {
        parseError();
        return Result::Done;
    }
    if (isEnd(token) && isOneOf(m_tokenTag, { T::table, T::tbody, T::tfoot, T::thead, T::tr })) {
        if (!inScope(m_tokenTag, Scope::Table)) {
            parseError();
            return Result::Done;
        }
        closeCell();
        return Result::Reprocess;
    }
    return inBody(token);
}

Result TreeBuilder::inTemplate(HTMLToken& token)
{
    auto switchTo = [&](Mode mode) {
        m_templateModes.pop_back();
        m_templateModes.push_back(mode);
        m_mode = mode;
        return Result::Reprocess;
    };
    switch (token.kind) {
    case HTMLToken::Kind::Characters:
    case HTMLToken::Kind::Comment:
    case HTMLToken::Kind::DOCTYPE:
        return inBody(token);
    case HTMLToken::Kind::StartTag:
        switch (m_tokenTag) {
        case T::base:
        case T::basefont:
        case T::bgsound:
        case T::link:
        case T::meta:
        case T::noframes:
        case T::script:
        case T::style:
        case T::template_:
        case T::title:
            return inHead(token);
        case T::caption:
        case T::colgroup:
        case T::tbody:
        case T::tfoot:
        case T::thead:
            return switchTo(Mode::InTable);
        case T::col:
            return switchTo(Mode::InColumnGroup);
        case T::tr:
            return switchTo(Mode::InTableBody);
        case T::td:
        case T::th:
            return switchTo(Mode::InRow);
        default:
            return switchTo(Mode::InBody);
        }
    case HTMLToken::Kind::EndTag:
        if (m_tokenTag == T::template_)
            return inHead(token);
        parseError();
        return Result::Done;
    case HTMLToken::Kind::EndOfFile:
        if (!hasTemplateOnStack()) {
            stopParsing();
            return Result::Done;
        }
        parseError();
        popUntil(T::template_);
        clearFormattingElementsToMarker();
        m_templateModes.pop_back();
        resetInsertionMode();
        return Result::Reprocess;
    }
    return Result::Done;
}

Result TreeBuilder::afterBody(HTMLToken& token)
{
    switch (token.kind) {
    case HTMLToken::Kind::Characters:
        if (isWhitespace(m_text[0])) {
            processLeadingWhitespaceInBody(token);
            return Result::Done;
        }
        break;
    case HTMLToken::Kind::Comment:
        insertComment(token, m_stack.front().element);
        return Result::Done;
    case HTMLToken::Kind::DOCTYPE:
        parseError();
        return Result::Done;
    case HTMLToken::Kind::StartTag:
        if (m_tokenTag == T::html)
            return inBody(token);
        break;
    case HTMLToken::Kind::EndTag:
        if (m_tokenTag == T::html) {
            if (m_isFragment) {
                parseError();
                return Result::Done;
            }
            m_mode = Mode::AfterAfterBody;
            return Result::Done;
        }
        break;
    case HTMLToken::Kind::EndOfFile:
        stopParsing();
        return Result::Done;
    }
    parseError();
    m_mode = Mode::InBody;
    return Result::Reprocess;
}

Result TreeBuilder::inFrameset(HTMLToken& token)
{
    switch (token.kind) {
    case HTMLToken::Kind::Characters: {
        // White space goes in; every other character is dropped.
        std::u16string whitespace;
        for (char16_t c : m_text) {
            if (isWhitespace(c))
                whitespace += c;
            else
                parseError();
        }
        m_text = {};
        insertCharacters(whitespace);
        return Result::Done;
    }
    case HTMLToken::Kind::Comment:
        insertComment(token);
        return Result::Done;
    case HTMLToken::Kind::DOCTYPE:
        parseError();
        return Result::Done;
    case HTMLToken::Kind::StartTag:
        switch (m_tokenTag) {
        case T::html:
            return inBody(token);
        case T::frameset:
            insertElement(token);
            return Result::Done;
        case T::frame:
            insertElement(token);
            pop();
            return Result::Done;
        case T::noframes:
            return inHead(token);
        default:
            parseError();
            return Result::Done;
        }
    case HTMLToken::Kind::EndTag:
        if (m_tokenTag == T::frameset) {
            if (m_stack.size() == 1) {
                parseError();
                return Result::Done;
            }
            pop();
            if (!m_isFragment && !current().is(T::frameset))
                m_mode = Mode::AfterFrameset;
            return Result::Done;
        }
        parseError();
        return Result::Done;
    case HTMLToken::Kind::EndOfFile:
        if (m_stack.size() != 1)
            parseError();
        stopParsing();
        return Result::Done;
    }
    return Result::Done;
}

Result TreeBuilder::afterFrameset(HTMLToken& token)
{
    switch (token.kind) {
    case HTMLToken::Kind::Characters:
        return inFrameset(token);
    case HTMLToken::Kind::Comment:
        insertComment(token);
        return Result::Done;
    case HTMLToken::Kind::DOCTYPE:
        parseError();
        return Result::Done;
    case HTMLToken::Kind::StartTag:
        if (m_tokenTag == T::html)
            return inBody(token);
        if (m_tokenTag == T::noframes)
            return inHead(token);
        parseError();
        return Result::Done;
    case HTMLToken::Kind::EndTag:
        if (m_tokenTag == T::html)
            m_mode = Mode::AfterAfterFrameset;
        else
            parseError();
        return Result::Done;
    case HTMLToken::Kind::EndOfFile:
        stopParsing();
        return Result::Done;
    }
    return Result::Done;
}

Result TreeBuilder::afterAfterBody(HTMLToken& token)
{
    switch (token.kind) {
    case HTMLToken::Kind::Comment:
        insertComment(token, &m_document);
        return Result::Done;
    case HTMLToken::Kind::DOCTYPE:
        return inBody(token);
    case HTMLToken::Kind::Characters:
        if (isWhitespace(m_text[0])) {
            processLeadingWhitespaceInBody(token);
            return Result::Done;
        }
        break;
    case HTMLToken::Kind::StartTag:
        if (m_tokenTag == T::html)
            return inBody(token);
        break;
    case HTMLToken::Kind::EndOfFile:
        stopParsing();
        return Result::Done;
    default:
        break;
    }
    parseError();
    m_mode = Mode::InBody;
    return Result::Reprocess;
}

Result TreeBuilder::afterAfterFrameset(HTMLToken& token)
{
    switch (token.kind) {
    case HTMLToken::Kind::Comment:
        insertComment(token, &m_document);
        return Result::Done;
    case HTMLToken::Kind::DOCTYPE:
        return inBody(token);
    case HTMLToken::Kind::Characters: {
        std::u16string whitespace;
        for (char16_t c : m_text) {
            if (isWhitespace(c))
                whitespace += c;
        }
        m_text = {};
        if (!whitespace.empty()) {
            m_text = whitespace;
            inBody(token);
            m_text = {};
        }
        return Result::Done;
    }
    case HTMLToken::Kind::StartTag:
        if (m_tokenTag == T::html)
            return inBody(token);
        if (m_tokenTag == T::noframes)
            return inHead(token);
        break;
    case HTMLToken::Kind::EndOfFile:
        stopParsing();
        return Result::Done;
    default:
        break;
    }
    parseError();
    return Result::Done;
}

Result TreeBuilder::foreignContent(HTMLToken& token)
{
    switch (token.kind) {
    case HTMLToken::Kind::Characters: {
        std::u16string text(m_text);
        m_text = {};
        for (auto& c : text) {
            if (!c) {
                parseError();
                c = 0xFFFD;
            } else if (!isWhitespace(c))
                m_framesetOK = false;
        }
        insertCharacters(text);
        return Result::Done;
    }
    case HTMLToken::Kind::Comment:
        insertComment(token);
        return Result::Done;
    case HTMLToken::Kind::DOCTYPE:
        parseError();
        return Result::Done;
    case HTMLToken::Kind::StartTag: {
        bool breaksOut = isOneOf(m_tokenTag, { T::b, T::big, T::blockquote, T::body, T::br, T::center, T::code, T::dd,
                                               T::div, T::dl, T::dt, T::em, T::embed, T::h1, T::h2, T::h3, T::h4,
                                               T::h5, T::h6, T::head, T::hr, T::i, T::img, T::li, T::listing,
                                               T::menu, T::meta, T::nobr, T::ol, T::p, T::pre, T::ruby, T::s,
                                               T::small, T::span, T::strong, T::strike, T::sub, T::sup, T::table,
                                               T::tt, T::u, T::ul, T::var })
            || (m_tokenTag == T::font && (token.attribute(u"color") || token.attribute(u"face") || token.attribute(u"size")));
        if (breaksOut) {
            parseError();
            while (!current().isHTML() && !current().isMathMLTextIntegrationPoint() && !current().htmlIntegrationPoint)
                pop();
            return dispatch(m_mode, token);
        }
        insertForeignElement(token, adjustedCurrent().ns);
        return Result::Done;
    }
    case HTMLToken::Kind::EndTag: {
        if (m_tokenTag == T::br || m_tokenTag == T::p) {
            parseError();
            while (!current().isHTML() && !current().isMathMLTextIntegrationPoint() && !current().htmlIntegrationPoint)
                pop();
            return dispatch(m_mode, token);
        }
        if (m_tokenTag == T::script && current().ns == Namespace::SVG && current().element->localName() == u"script") {
            pop();
            return Result::Done;
        }
        size_t index = m_stack.size() - 1;
        if (!equalsIgnoringASCIICase(m_stack[index].element->localName(), token.name))
            parseError();
        while (index > 0) {
            auto& node = m_stack[index];
            if (equalsIgnoringASCIICase(node.element->localName(), token.name)) {
                while (m_stack.size() > index)
                    pop();
                return Result::Done;
            }
            --index;
            if (m_stack[index].isHTML())
                return dispatch(m_mode, token);
        }
        return Result::Done;
    }
    case HTMLToken::Kind::EndOfFile:
        return dispatch(m_mode, token);
    }
    return Result::Done;
}

// Whole documents and fragments.

void TreeBuilder::buildDocument()
{
    run();
    while (!m_stack.empty())
        pop();
    m_formatting.clear();
    if (m_treeReordered) {
        // Nodes went in elsewhere than at the end: the records follow the tree as it stands.
        m_loadingElements.clear();
        m_textUnits->reset();
        for (auto* node = m_document.first(); node; node = node->traverseNext(&m_document)) {
            if (auto* element = dynamicDowncast<DOMElement>(node)) {
                auto& name = element->qualifiedName();
                if (name.isHTML
                    && isOneOf(htmlTagForName(name.localName), { T::link, T::style, T::img, T::iframe, T::frame }))
                    m_loadingElements.push_back(element);
            } else if (node->nodeType() == DOMNode::TEXT_NODE)
                noteTextUnits(downcast<DOMText>(node)->data());
        }
    }
    m_document.treeWasBuilt(m_document);
}

std::shared_ptr<DOMDocumentFragment> TreeBuilder::buildFragment(const DOMElement* context)
{
    m_isFragment = true;
    auto fragment = m_document.createDocumentFragment();
    auto root = DOMNodeArena::makeNode<DOMElement>(m_handle, htmlName(T::html, {}));
    m_kept.push_back(root);
    push({ root.get(), T::html, Namespace::HTML, false });
    if (context) {
        auto& name = context->qualifiedName();
        Namespace ns = name.namespaceURI == SVGNamespace ? Namespace::SVG
            : name.namespaceURI == MathMLNamespace      ? Namespace::MathML
                                                         : Namespace::HTML;
        std::u16string lowered(name.localName);
        for (auto& c : lowered)
            c = c >= 'A' && c <= 'Z' ? c + 0x20 : c;
        T tag = htmlTagForName(lowered);
        // The caller keeps the context; the parse never changes it.
        m_fragmentContext = { const_cast<DOMElement*>(context), tag, ns, false };
        if (ns == Namespace::SVG)
            m_fragmentContext.htmlIntegrationPoint = isOneOf(tag, { T::foreignobject, T::desc, T::title });
        else if (ns == Namespace::MathML && tag == T::annotation_xml) {
            auto* encoding = context->attributeValue(u"encoding");
            m_fragmentContext.htmlIntegrationPoint = encoding
                && (equalsIgnoringASCIICase(*encoding, u"text/html")
                    || equalsIgnoringASCIICase(*encoding, u"application/xhtml+xml"));
        }
        if (ns == Namespace::HTML) {
            switch (tag) {
            case T::title:
            case T::textarea:
                m_tokenizer.setState(HTMLTokenizer::State::RCDATA);
                break;
            case T::style:
            case T::xmp:
            case T::iframe:
            case T::noembed:
            case T::noframes:
                m_tokenizer.setState(HTMLTokenizer::State::RAWTEXT);
                break;
            case T::script:
                m_tokenizer.setState(HTMLTokenizer::State::ScriptData);
                break;
            case T::plaintext:
                m_tokenizer.setState(HTMLTokenizer::State::PLAINTEXT);
                break;
            default:
                break;
            }
        }
        if (m_fragmentContext.is(T::template_))
            m_templateModes.push_back(Mode::InTemplate);
        for (auto* node = static_cast<const DOMNode*>(context); node; node = node->parent()) {
            auto* element = dynamicDowncast<DOMElement>(node);
            if (element && element->hasTagName(u"form")) {
                m_form = const_cast<DOMElement*>(element);
                break;
            }
        }
    } else {
        auto body = DOMNodeArena::makeNode<DOMElement>(m_handle, htmlName(T::body, {}));
        m_kept.push_back(body);
        m_fragmentContext = { body.get(), T::body, Namespace::HTML, false };
    }
    resetInsertionMode();
    run();
    while (!m_stack.empty())
        pop();
    m_formatting.clear();
    std::vector<std::shared_ptr<DOMNode>> children;
    for (auto* child = root->first(); child; child = child->next())
        children.push_back(child->shared_from_this());
    for (auto& child : children) {
        root->removeChildInternal(child.get());
        fragment->appendParsedChild(child);
    }
    return fragment;
}

} // namespace

std::shared_ptr<DOMDocument> buildHTMLDocument(std::u16string_view markup, const HTMLParseOptions& options,
                                               std::vector<HTMLParseError>* outErrors)
{
    auto document = DOMDocument::create(DOMDocument::Kind::HTML);
    // A page of some size has its nodes made in slabs (small ones would each
    // hold a slab mostly empty).
    std::optional<DOMNodeArena> arena;
    if (markup.size() >= DOMNodeArena::slabSize / 2)
        arena.emplace();
    TreeBuilder builder(*document, markup, options);
    builder.buildDocument();
    document->setParsedLoadingElements(builder.takeLoadingElements());
    document->setParsedTextUnits(builder.takeTextUnits());
    if (outErrors)
        *outErrors = builder.errors();
    return document;
}

std::shared_ptr<DOMDocumentFragment> buildHTMLFragment(DOMDocument& document, std::u16string_view markup,
                                                       const DOMElement* context, const HTMLParseOptions& options)
{
    TreeBuilder builder(document, markup, options);
    return builder.buildFragment(context);
}

} // namespace brevanton
