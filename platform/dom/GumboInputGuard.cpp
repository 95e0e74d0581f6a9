#include "platform/dom/GumboInputGuard.h"

#include <gumbo.h>

#include <cstdint>
#include <unordered_map>
#include <unordered_set>
#include <vector>

namespace brevanton {

namespace {

using Names = std::unordered_set<std::string_view>;

bool contains(const Names& names, std::string_view name)
{
    return names.find(name) != names.end();
}

const Names& voidElements()
{
    static const Names names { "area", "base", "basefont", "bgsound", "br", "col", "embed", "frame", "hr", "image",
                               "img", "input", "keygen", "link", "meta", "param", "source", "track", "wbr" };
    return names;
}

// Elements whose content the tokenizer reads as text up to their end tag.
const Names& rawTextElements()
{
    static const Names names { "script", "style", "xmp", "iframe", "noembed", "noframes", "textarea", "title" };
    return names;
}

const Names& closesParagraph()
{
    static const Names names { "address", "article", "aside", "blockquote", "center", "details", "dialog", "dir",
                               "div", "dl", "fieldset", "figcaption", "figure", "footer", "header", "hgroup",
                               "main", "menu", "nav", "ol", "p", "search", "section", "summary", "ul", "h1", "h2",
                               "h3", "h4", "h5", "h6", "pre", "listing", "form", "table", "hr", "xmp", "li", "dd",
                               "dt" };
    return names;
}

const Names& specialElements()
{
    static const Names names { "address", "applet", "area", "article", "aside", "base", "basefont", "bgsound",
                               "blockquote", "body", "br", "button", "caption", "center", "col", "colgroup", "dd",
                               "details", "dir", "div", "dl", "dt", "embed", "fieldset", "figcaption", "figure",
                               "footer", "form", "frame", "frameset", "h1", "h2", "h3", "h4", "h5", "h6", "head",
                               "header", "hgroup", "hr", "html", "iframe", "img", "input", "keygen", "li", "link",
                               "listing", "main", "marquee", "menu", "meta", "nav", "noembed", "noframes",
                               "noscript", "object", "ol", "p", "param", "plaintext", "pre", "script", "search",
                               "section", "select", "source", "style", "summary", "table", "tbody", "td",
                               "template", "textarea", "tfoot", "th", "thead", "title", "tr", "track", "ul", "wbr",
                               "xmp" };
    return names;
}

const Names& scopeBoundaries()
{
    static const Names names { "applet", "caption", "html", "table", "td", "th", "marquee", "object", "template" };
    return names;
}

const Names& formattingElements()
{
    static const Names names { "a", "b", "big", "code", "em", "font", "i", "nobr", "s", "small", "strike", "strong",
                               "tt", "u" };
    return names;
}

// Start tags that end foreign content.
const Names& breakoutElements()
{
    static const Names names { "b", "big", "blockquote", "body", "br", "center", "code", "dd", "div", "dl", "dt",
                               "em", "embed", "h1", "h2", "h3", "h4", "h5", "h6", "head", "hr", "i", "img", "li",
                               "listing", "menu", "meta", "nobr", "ol", "p", "pre", "ruby", "s", "small", "span",
                               "strong", "strike", "sub", "sup", "table", "tt", "u", "ul", "var" };
    return names;
}

const Names& ambiguousForeignNames()
{
    static const Names names { "select", "td", "th", "tr", "tbody", "thead", "tfoot", "caption", "colgroup",
                               "template", "frameset", "html", "table", "head", "body" };
    return names;
}

// What the guard asks of a tag name, looked up once per tag rather than once
// per question: the sets above as bits, and a small number for the known
// names that counts their open elements without hashing.
enum NameFlag : uint16_t {
    VoidElement = 1 << 0,
    RawTextElement = 1 << 1,
    ClosesParagraph = 1 << 2,
    SpecialElement = 1 << 3,
    ScopeBoundary = 1 << 4,
    FormattingElement = 1 << 5,
    BreakoutElement = 1 << 6,
    AmbiguousForeignName = 1 << 7,
    DocumentPart = 1 << 8, // html, head, body, frameset
    TablePart = 1 << 9, // caption, colgroup, tbody, thead, tfoot, tr, td, th
};

struct NameInfo {
    static constexpr uint8_t unknown = 0xFF;
    uint16_t flags { 0 };
    uint8_t id { unknown };
};

struct NameTable {
    std::unordered_map<std::string_view, NameInfo> infos;
    size_t count { 0 };

    NameTable()
    {
        add(voidElements(), VoidElement);
        add(rawTextElements(), RawTextElement);
        add(closesParagraph(), ClosesParagraph);
        add(specialElements(), SpecialElement);
        add(scopeBoundaries(), ScopeBoundary);
        add(formattingElements(), FormattingElement);
        add(breakoutElements(), BreakoutElement);
        add(ambiguousForeignNames(), AmbiguousForeignName);
        add({ "html", "head", "body", "frameset" }, DocumentPart);
        add({ "caption", "colgroup", "tbody", "thead", "tfoot", "tr", "td", "th" }, TablePart);
        // Names the guard asks about by name.
        add({ "a", "nobr", "p", "select", "option", "optgroup", "button", "li", "dd", "dt", "svg", "math",
              "plaintext", "annotation-xml", "mglyph", "malignmark", "font" }, 0);
        table = infos.at("table").id;
        paragraph = infos.at("p").id;
        select = infos.at("select").id;
    }
    uint8_t table, paragraph, select;
    template<typename Container>
    void add(const Container& names, uint16_t flag)
    {
        for (std::string_view name : names) {
            auto [entry, added] = infos.try_emplace(name);
            if (added)
                entry->second.id = static_cast<uint8_t>(count++);
            entry->second.flags |= flag;
        }
    }
    void add(std::initializer_list<std::string_view> names, uint16_t flag) { add<std::initializer_list<std::string_view>>(names, flag); }
};

const NameTable& nameTable()
{
    static const NameTable table;
    return table;
}

NameInfo nameInfo(std::string_view name)
{
    auto& infos = nameTable().infos;
    auto found = infos.find(name);
    return found == infos.end() ? NameInfo {} : found->second;
}

bool isSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\f' || c == '\r';
}

bool isAlpha(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

char lower(char c)
{
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c;
}

bool startsWithIgnoringCase(std::string_view text, std::string_view prefix)
{
    if (text.size() < prefix.size())
        return false;
    for (size_t i = 0; i < prefix.size(); ++i) {
        if (lower(text[i]) != prefix[i])
            return false;
    }
    return true;
}

using Namespace = GumboGuardNamespace;

// Gumbo gives every element whose name is not in its tag table the same tag,
// so it takes an end tag of any such name for the end of any such element.
bool isUnknownToGumbo(std::string_view name)
{
    return gumbo_tagn_enum(name.data(), static_cast<unsigned>(name.size())) == GUMBO_TAG_UNKNOWN;
}

struct OpenElement {
    std::string name;
    Namespace ns;
    bool htmlInside; // an integration point: its content follows the HTML rules
    NameInfo info;
    bool unknownToGumbo { false }; // for HTML elements
};

struct Tag {
    size_t begin; // the '<'
    size_t nameEnd;
    size_t end; // past the '>'
    size_t attributesEnd; // before a closing "/>"
    std::string name;
    NameInfo info;
    bool selfClosing;
    std::string_view attributes;
};

class Guard {
public:
    Guard(std::string_view input, const GumboGuardContext& context, unsigned maximumDepth)
        : m_input(input)
        , m_maximumDepth(maximumDepth)
    {
        if (context.contextName.empty())
            return;
        m_fragment = true;
        std::string name(context.contextName);
        NameInfo info = nameInfo(name);
        if (context.contextNamespace == Namespace::HTML) {
            if (info.flags & RawTextElement)
                m_rawText = name;
            else if (name == "plaintext")
                m_position = m_input.size();
            m_tableContext = name == "table" || name == "tbody" || name == "thead" || name == "tfoot" || name == "tr"
                || name == "td" || name == "th" || name == "caption" || name == "colgroup";
        }
        bool htmlInside = context.contextNamespace == Namespace::HTML || isIntegrationPoint(name, context.contextNamespace, {});
        m_open.push_back({ name, context.contextNamespace, htmlInside, info });
        m_foreignOpen = context.contextNamespace != Namespace::HTML;
        m_base = 1;
    }

    GumboGuardedInput run()
    {
        size_t size = m_input.size();
        while (m_position < size) {
            if (!m_rawText.empty()) {
                skipRawText();
                continue;
            }
            size_t open = m_input.find('<', m_position);
            if (open == std::string_view::npos || open + 1 >= size)
                break;
            m_position = open;
            char next = m_input[open + 1];
            if (next == '!')
                skipMarkupDeclaration();
            else if (next == '?')
                skipTo(">", open + 2);
            else if (next == '/') {
                if (open + 2 < size && isAlpha(m_input[open + 2])) {
                    Tag tag;
                    if (!readTag(open, open + 2, tag))
                        break;
                    size_t copied = m_copied;
                    endTag(tag);
                    if (m_copied == copied || m_copied < tag.end)
                        moveAttributes(tag, false);
                } else if (open + 2 < size && m_input[open + 2] == '>')
                    m_position = open + 3;
                else
                    skipTo(">", open + 2);
            } else if (isAlpha(next)) {
                Tag tag;
                if (!readTag(open, open + 1, tag))
                    break;
                size_t copied = m_copied;
                startTag(tag);
                // Unless the tag went for depth.
                if (m_copied == copied || m_copied < tag.end)
                    moveAttributes(tag, true);
            } else
                m_position = open + 1;
        }
        GumboGuardedInput result;
        result.movedAttributes = std::move(m_movedAttributes);
        result.flattenedNesting = m_flattenedNesting;
        if (!m_rewriting)
            return result;
        m_output.append(m_input.substr(m_copied));
        result.changed = true;
        result.markup = std::move(m_output);
        return result;
    }

private:
    // Output: a copy is made from the first change on.
    void replace(size_t from, size_t to, std::string_view with)
    {
        if (!m_rewriting) {
            m_rewriting = true;
            m_output.reserve(m_input.size() + 64);
        }
        m_output.append(m_input.substr(m_copied, from - m_copied));
        m_output.append(with);
        m_copied = to;
    }

    void skipTo(std::string_view terminator, size_t from)
    {
        size_t found = m_input.find(terminator, from);
        m_position = found == std::string_view::npos ? m_input.size() : found + terminator.size();
    }

    void skipMarkupDeclaration()
    {
        auto rest = m_input.substr(m_position);
        if (rest.starts_with("<!--")) {
            if (rest.starts_with("<!-->"))
                m_position += 5;
            else if (rest.starts_with("<!--->"))
                m_position += 6;
            else {
                size_t end = m_input.find("--", m_position + 4);
                while (end != std::string_view::npos) {
                    auto after = m_input.substr(end + 2);
                    if (after.starts_with(">") || after.starts_with("!>"))
                        break;
                    end = m_input.find("--", end + 1);
                }
                m_position = end == std::string_view::npos
                    ? m_input.size()
                    : end + (m_input.substr(end + 2).starts_with(">") ? 3 : 4);
            }
        } else if (rest.starts_with("<![CDATA[") && inForeignContent()) {
            if (!tableIsOpen()) {
                skipTo("]]>", m_position + 9);
                return;
            }
            // In a table gumbo can fail an assertion on CDATA in foreign content (after an end
            // tag it ignores, under an HTML element in an integration point): the section becomes
            // the text it stands for, escaped.
            size_t begin = m_position;
            size_t close = m_input.find("]]>", begin + 9);
            size_t textEnd = close == std::string_view::npos ? m_input.size() : close;
            m_position = close == std::string_view::npos ? m_input.size() : close + 3;
            std::string text;
            for (char c : m_input.substr(begin + 9, textEnd - begin - 9)) {
                if (c == '&')
                    text += "&amp;";
                else if (c == '<')
                    text += "&lt;";
                else
                    text += c;
            }
            replace(begin, m_position, text);
        }
        else if (rest.starts_with("<![CDATA[") && (m_foreignOpen || tableIsOpen())) {
            // Under an integration point, or in a table (where gumbo's view of foreign content can
            // differ from the rules', as after "<svg><foreignObject><c></svg>"), the section is a
            // bogus comment, which gumbo can take for CDATA and then fail an assertion inside
            // tables: it becomes that comment, written out.
            size_t begin = m_position;
            skipTo(">", m_position + 2);
            size_t end = m_input[m_position - 1] == '>' ? m_position - 1 : m_position;
            replace(begin, m_position, "<!--" + std::string(m_input.substr(begin + 2, end - begin - 2)) + "-->");
        } else
            skipTo(">", m_position + 2);
    }

    void skipRawText()
    {
        size_t from = m_position;
        while (true) {
            size_t found = m_input.find("</", from);
            if (found == std::string_view::npos) {
                m_position = m_input.size();
                return;
            }
            size_t after = found + 2 + m_rawText.size();
            if (startsWithIgnoringCase(m_input.substr(found + 2), m_rawText)
                && (after >= m_input.size() || isSpace(m_input[after]) || m_input[after] == '/'
                    || m_input[after] == '>')) {
                m_position = found;
                m_rawText.clear();
                return;
            }
            from = found + 2;
        }
    }

    // Reads a tag whose name starts at `nameBegin`; false at the end of the input inside the tag.
    bool readTag(size_t begin, size_t nameBegin, Tag& tag)
    {
        size_t size = m_input.size();
        size_t i = nameBegin;
        while (i < size && !isSpace(m_input[i]) && m_input[i] != '/' && m_input[i] != '>')
            ++i;
        tag.begin = begin;
        tag.nameEnd = i;
        tag.name.resize(i - nameBegin);
        for (size_t k = nameBegin; k < i; ++k)
            tag.name[k - nameBegin] = lower(m_input[k]);
        tag.info = nameInfo(tag.name);
        size_t attributesBegin = i;
        tag.selfClosing = false;
        m_attributeStarts.clear();
        while (i < size) {
            char c = m_input[i];
            if (c == '>')
                break;
            if (c == '/') {
                tag.selfClosing = i + 1 < size && m_input[i + 1] == '>';
                ++i;
                continue;
            }
            if (isSpace(c)) {
                ++i;
                continue;
            }
            // An attribute name, then perhaps a value.
            m_attributeStarts.push_back(i);
            ++i;
            while (i < size && !isSpace(m_input[i]) && m_input[i] != '/' && m_input[i] != '>' && m_input[i] != '=')
                ++i;
            while (i < size && isSpace(m_input[i]))
                ++i;
            if (i < size && m_input[i] == '=') {
                ++i;
                while (i < size && isSpace(m_input[i]))
                    ++i;
                if (i < size && (m_input[i] == '"' || m_input[i] == '\'')) {
                    size_t close = m_input.find(m_input[i], i + 1);
                    if (close == std::string_view::npos)
                        return false;
                    i = close + 1;
                } else {
                    while (i < size && !isSpace(m_input[i]) && m_input[i] != '>')
                        ++i;
                }
            }
        }
        if (i >= size)
            return false;
        tag.attributes = m_input.substr(attributesBegin, i - attributesBegin);
        tag.attributesEnd = tag.selfClosing ? i - 1 : i;
        tag.end = i + 1;
        m_position = tag.end;
        return true;
    }

    // The value of attribute `name` in an attribute list, lower-cased; empty when absent.
    static std::string attributeValue(std::string_view attributes, std::string_view name)
    {
        size_t at = 0;
        while ((at = attributes.find(name, at)) != std::string_view::npos) {
            bool startsName = at == 0 || isSpace(attributes[at - 1]) || attributes[at - 1] == '/';
            size_t i = at + name.size();
            at = i;
            if (!startsName)
                continue;
            while (i < attributes.size() && isSpace(attributes[i]))
                ++i;
            if (i >= attributes.size() || attributes[i] != '=') {
                if (i >= attributes.size() || attributes[i] == '/' || isSpace(attributes[i - 1]) || i == at)
                    return " "; // present without a value
                continue;
            }
            ++i;
            while (i < attributes.size() && isSpace(attributes[i]))
                ++i;
            std::string value;
            char quote = i < attributes.size() && (attributes[i] == '"' || attributes[i] == '\'') ? attributes[i] : 0;
            if (quote)
                ++i;
            for (; i < attributes.size(); ++i) {
                char c = attributes[i];
                if (quote ? c == quote : isSpace(c))
                    break;
                value += lower(c);
            }
            return value.empty() ? " " : value;
        }
        return {};
    }

    static bool isIntegrationPoint(std::string_view name, Namespace ns, std::string_view attributes)
    {
        if (ns == Namespace::SVG)
            return name == "foreignobject" || name == "desc" || name == "title";
        if (ns != Namespace::MathML)
            return true;
        if (name == "mi" || name == "mo" || name == "mn" || name == "ms" || name == "mtext")
            return true;
        if (name == "annotation-xml") {
            auto encoding = attributeValue(attributes, "encoding");
            return encoding == "text/html" || encoding == "application/xhtml+xml";
        }
        return false;
    }

    bool inForeignContent() const { return !m_open.empty() && !m_open.back().htmlInside; }

    bool isSpecial(const OpenElement& element) const
    {
        if (element.ns == Namespace::HTML)
            return element.info.flags & SpecialElement;
        if (element.ns == Namespace::SVG)
            return element.name == "foreignobject" || element.name == "desc" || element.name == "title";
        return element.name == "mi" || element.name == "mo" || element.name == "mn" || element.name == "ms"
            || element.name == "mtext" || element.name == "annotation-xml";
    }

    bool isScopeBoundary(const OpenElement& element) const
    {
        if (element.ns == Namespace::HTML)
            return element.info.flags & ScopeBoundary;
        return isSpecial(element);
    }

    bool isHTML(size_t index, std::string_view name) const
    {
        return m_open[index].ns == Namespace::HTML && m_open[index].name == name;
    }

    bool isOpen(const std::string& name, NameInfo info) const
    {
        if (info.id != NameInfo::unknown)
            return m_knownOpenCount[info.id] > 0;
        auto found = m_unknownOpenCount.find(name);
        return found != m_unknownOpenCount.end() && found->second > 0;
    }

    bool isOpen(uint8_t knownNameId) const { return m_knownOpenCount[knownNameId] > 0; }

    unsigned& openCount(const std::string& name, NameInfo info)
    {
        return info.id != NameInfo::unknown ? m_knownOpenCount[info.id] : m_unknownOpenCount[name];
    }

    // The index of the topmost open HTML element named `name` in scope, or -1.
    long inScope(std::string_view name, bool tableScope = false) const
    {
        for (size_t i = m_open.size(); i > m_base; --i) {
            auto& element = m_open[i - 1];
            if (element.ns == Namespace::HTML && element.name == name)
                return static_cast<long>(i - 1);
            if (tableScope ? (element.ns == Namespace::HTML
                              && (element.name == "table" || element.name == "html" || element.name == "template"))
                           : isScopeBoundary(element))
                return -1;
        }
        return -1;
    }

    void push(std::string name, NameInfo info, Namespace ns, bool htmlInside)
    {
        ++openCount(name, info);
        m_foreignOpen += ns != Namespace::HTML;
        bool unknownToGumbo = ns == Namespace::HTML && isUnknownToGumbo(name);
        m_open.push_back({ std::move(name), ns, htmlInside, info, unknownToGumbo });
    }

    void popTo(size_t size)
    {
        while (m_open.size() > std::max(size, m_base)) {
            --openCount(m_open.back().name, m_open.back().info);
            m_foreignOpen -= m_open.back().ns != Namespace::HTML;
            m_open.pop_back();
        }
        // What was removed above the cap was inside what is now closed.
        if (!m_overflow.empty()) {
            m_overflow.clear();
            m_overflowCount.clear();
        }
    }

    // A start tag that opens an element nested deeper than the cap goes, and its end tag with it.
    bool dropsForDepth(const Tag& tag, size_t depthAfter)
    {
        if (depthAfter <= m_maximumDepth + m_base)
            return false;
        replace(tag.begin, tag.end, {});
        m_flattenedNesting = true;
        ++m_overflowCount[tag.name];
        m_overflow.push_back(tag.name);
        return true;
    }

    // Attributes past the first GumboGuardAttributesPerTag leave the tag: to
    // the pieces the tree builder adds, or nowhere for an end tag.
    void moveAttributes(const Tag& tag, bool keep)
    {
        if (m_attributeStarts.size() <= GumboGuardAttributesPerTag)
            return;
        size_t tagOffset = m_output.size() + tag.begin - m_copied;
        size_t from = m_attributeStarts[GumboGuardAttributesPerTag];
        if (keep) {
            auto& pieces = m_movedAttributes[tagOffset];
            for (size_t first = GumboGuardAttributesPerTag; first < m_attributeStarts.size();
                 first += GumboGuardAttributesPerTag) {
                size_t last = first + GumboGuardAttributesPerTag;
                size_t end = last < m_attributeStarts.size() ? m_attributeStarts[last] : tag.attributesEnd;
                pieces.emplace_back(m_input.substr(m_attributeStarts[first], end - m_attributeStarts[first]));
            }
        }
        replace(from, tag.attributesEnd, {});
    }

    void startTag(const Tag& tag)
    {
        const std::string& name = tag.name;
        if (inForeignContent()) {
            auto& current = m_open.back();
            // Gumbo parses fragments by older rules, where nothing breaks out of foreign content.
            bool breaksOut = !m_fragment
                && ((tag.info.flags & BreakoutElement)
                    || (name == "font"
                        && (!attributeValue(tag.attributes, "color").empty()
                            || !attributeValue(tag.attributes, "face").empty()
                            || !attributeValue(tag.attributes, "size").empty())));
            if (!breaksOut) {
                Namespace ns = current.ns;
                if (current.ns == Namespace::MathML && current.name == "annotation-xml" && name == "svg")
                    ns = Namespace::SVG;
                foreignStartTag(tag, ns);
                return;
            }
            // The foreign elements close up to the nearest HTML element or integration point.
            size_t size = m_open.size();
            while (size > m_base && !m_open[size - 1].htmlInside)
                --size;
            if (size < m_open.size())
                popTo(size);
        } else if (!m_open.empty() && m_open.back().ns == Namespace::MathML && m_open.back().name != "annotation-xml"
                   && (name == "mglyph" || name == "malignmark")) {
            foreignStartTag(tag, Namespace::MathML);
            return;
        } else if (!m_open.empty() && m_open.back().ns == Namespace::MathML && m_open.back().name == "annotation-xml"
                   && name == "svg") {
            foreignStartTag(tag, Namespace::SVG);
            return;
        }
        htmlStartTag(tag);
    }

    void foreignStartTag(const Tag& tag, Namespace ns)
    {
        if (tag.selfClosing)
            return;
        if (dropsForDepth(tag, m_open.size() + 1))
            return;
        if (tag.info.flags & AmbiguousForeignName)
            replace(tag.nameEnd, tag.nameEnd, GumboGuardNameMark);
        push(tag.name, tag.info, ns, isIntegrationPoint(tag.name, ns, tag.attributes));
    }

    bool tableIsOpen() const { return m_tableContext || isOpen(nameTable().table); }

    void htmlStartTag(const Tag& tag)
    {
        const std::string& name = tag.name;
        uint16_t flags = tag.info.flags;
        if (flags & (DocumentPart | VoidElement))
            return;
        if (flags & RawTextElement) {
            m_rawText = name;
            return;
        }
        if (name == "plaintext") {
            m_position = m_input.size();
            return;
        }
        if (name == "svg" || name == "math") {
            if (tag.selfClosing || dropsForDepth(tag, m_open.size() + 1))
                return;
            push(name, tag.info, name == "svg" ? Namespace::SVG : Namespace::MathML, false);
            return;
        }
        if ((flags & TablePart) && !tableIsOpen())
            return; // ignored outside tables

        size_t size = m_open.size();
        auto walkFor = [&](std::initializer_list<std::string_view> targets,
                           std::initializer_list<std::string_view> stops) -> long {
            for (size_t i = size; i > m_base; --i) {
                auto& element = m_open[i - 1];
                if (element.ns != Namespace::HTML)
                    return -1;
                for (auto target : targets) {
                    if (element.name == target)
                        return static_cast<long>(i - 1);
                }
                for (auto stop : stops) {
                    if (element.name == stop)
                        return -1;
                }
            }
            return -1;
        };
        auto closeTo = [&](long index) {
            if (index >= 0)
                size = std::min(size, static_cast<size_t>(index));
        };

        if (name == "li") {
            for (size_t i = size; i > m_base; --i) {
                auto& element = m_open[i - 1];
                if (isHTML(i - 1, "li")) {
                    closeTo(static_cast<long>(i - 1));
                    break;
                }
                if (isSpecial(element) && element.name != "address" && element.name != "div" && element.name != "p")
                    break;
            }
        } else if (name == "dd" || name == "dt") {
            for (size_t i = size; i > m_base; --i) {
                auto& element = m_open[i - 1];
                if (isHTML(i - 1, "dd") || isHTML(i - 1, "dt")) {
                    closeTo(static_cast<long>(i - 1));
                    break;
                }
                if (isSpecial(element) && element.name != "address" && element.name != "div" && element.name != "p")
                    break;
            }
        } else if (name == "a" || name == "nobr") {
            if (isOpen(name, tag.info)) {
                long index = -1;
                bool specialAbove = false;
                for (size_t i = size; i > m_base; --i) {
                    if (isHTML(i - 1, name)) {
                        index = static_cast<long>(i - 1);
                        break;
                    }
                    specialAbove |= isSpecial(m_open[i - 1]);
                }
                if (!specialAbove)
                    closeTo(index);
            }
        } else if (name == "button")
            closeTo(inScope("button"));
        else if (name == "option")
            closeTo(size > m_base && isHTML(size - 1, "option") ? static_cast<long>(size - 1) : -1);
        else if (name == "optgroup") {
            closeTo(size > m_base && isHTML(size - 1, "option") ? static_cast<long>(size - 1) : -1);
            closeTo(size > m_base && isHTML(size - 1, "optgroup") ? static_cast<long>(size - 1) : -1);
        } else if (name == "select") {
            if (isOpen(nameTable().select)) {
                // A select inside a select closes it.
                closeTo(walkFor({ "select" }, {}));
                if (size < m_open.size())
                    popTo(size);
                return;
            }
        } else if (name == "td" || name == "th")
            closeTo(walkFor({ "td", "th" }, { "tr", "table", "template", "html" }));
        else if (name == "tr")
            closeTo(walkFor({ "tr" }, { "tbody", "thead", "tfoot", "table", "template", "html" }));
        else if (name == "tbody" || name == "thead" || name == "tfoot")
            closeTo(walkFor({ "tbody", "thead", "tfoot" }, { "table", "template", "html" }));
        else if (name == "caption" || name == "colgroup") {
            long table = walkFor({ "table" }, { "template", "html" });
            if (table >= 0)
                closeTo(table + 1);
        } else if (name == "table") {
            if (size > m_base) {
                auto& current = m_open[size - 1];
                if (current.ns == Namespace::HTML
                    && (current.name == "table" || current.name == "tbody" || current.name == "thead"
                        || current.name == "tfoot" || current.name == "tr"))
                    closeTo(walkFor({ "table" }, { "template", "html" }));
            }
        }
        if ((flags & ClosesParagraph) && isOpen(nameTable().paragraph)) {
            long paragraph = -1;
            for (size_t i = size; i > m_base; --i) {
                if (isHTML(i - 1, "p")) {
                    paragraph = static_cast<long>(i - 1);
                    break;
                }
                if (isScopeBoundary(m_open[i - 1]) || isHTML(i - 1, "button"))
                    break;
            }
            closeTo(paragraph);
        }
        if (name.size() == 2 && name[0] == 'h' && name[1] >= '1' && name[1] <= '6' && size > m_base) {
            auto& current = m_open[size - 1];
            if (current.ns == Namespace::HTML && current.name.size() == 2 && current.name[0] == 'h'
                && current.name[1] >= '1' && current.name[1] <= '6')
                --size;
        }
        if (dropsForDepth(tag, size + 1))
            return;
        if (size < m_open.size())
            popTo(size);
        push(name, tag.info, Namespace::HTML, true);
    }

    void endTag(const Tag& tag)
    {
        const std::string& name = tag.name;
        if (auto found = m_overflowCount.empty() ? m_overflowCount.end() : m_overflowCount.find(name);
            found != m_overflowCount.end() && found->second > 0) {
            // The end of an element removed for depth goes too.
            replace(tag.begin, tag.end, {});
            while (!m_overflow.empty()) {
                auto last = std::move(m_overflow.back());
                m_overflow.pop_back();
                --m_overflowCount[last];
                if (last == name)
                    break;
            }
            return;
        }
        // In foreign content, the foreign element of that name above the nearest HTML element
        // ends; otherwise the HTML rules go on with the HTML elements, to which foreign ones
        // are never a match (integration points stop the search as special elements).
        for (size_t i = m_open.size(); i > m_base && m_open[i - 1].ns != Namespace::HTML; --i) {
            if (m_open[i - 1].name == name) {
                foreignEndTag(tag, i - 1);
                return;
            }
        }
        if (isUnknownToGumbo(name)) {
            unknownEndTag();
            return;
        }
        if (!isOpen(name, tag.info))
            return;
        size_t index = m_open.size();
        bool specialAbove = false;
        for (size_t i = m_open.size(); i > m_base; --i) {
            auto& element = m_open[i - 1];
            if (element.ns == Namespace::HTML && element.name == name) {
                index = i - 1;
                break;
            }
            specialAbove |= isSpecial(element);
        }
        if (index == m_open.size())
            return;
        if (tag.info.flags & FormattingElement) {
            // With a block inside, the formatting element is rebuilt inside the block: the depth stays.
            if (!specialAbove)
                popTo(index);
            return;
        }
        if (tag.info.flags & SpecialElement) {
            bool tableScope = name == "table" || name == "tbody" || name == "thead" || name == "tfoot" || name == "tr"
                || name == "td" || name == "th" || name == "caption";
            if (inScope(name, tableScope) == static_cast<long>(index))
                popTo(index);
            return;
        }
        if (!specialAbove)
            popTo(index);
    }

    void foreignEndTag(const Tag& tag, size_t index)
    {
        // Gumbo ends a foreign element only at an end tag that is its bare name: with white
        // space, a slash or attributes after the name (which the parsing rules ignore), the
        // element stayed open, and CDATA after it in a table failed an assertion.
        std::string_view mark = tag.info.flags & AmbiguousForeignName ? GumboGuardNameMark : std::string_view();
        if (tag.end - 1 > tag.nameEnd) {
            replace(tag.nameEnd, tag.end - 1, mark);
            m_attributeStarts.clear();
        } else if (!mark.empty())
            replace(tag.nameEnd, tag.nameEnd, mark);
        popTo(index);
    }

    // An end tag whose name gumbo does not know, past foreign content: as any other end tag,
    // it ends the topmost HTML element that gumbo does not know either, whatever its name,
    // unless a special element comes first. (The parsing rules match names, so `</t>` after
    // `<e><svg>` ends nothing there, while gumbo ends both the svg and the e: taking the svg
    // for open then, the guard missed the CDATA that followed in a table.)
    void unknownEndTag()
    {
        for (size_t i = m_open.size(); i > m_base; --i) {
            auto& element = m_open[i - 1];
            if (element.ns == Namespace::HTML && element.unknownToGumbo) {
                popTo(i - 1);
                return;
            }
            if (isSpecial(element))
                return;
        }
    }

    std::string_view m_input;
    unsigned m_maximumDepth;
    bool m_flattenedNesting { false };
    size_t m_position { 0 };
    std::string m_rawText;
    bool m_tableContext { false };
    bool m_fragment { false };
    size_t m_foreignOpen { 0 }; // foreign elements among the open ones

    std::vector<OpenElement> m_open;
    size_t m_base { 0 }; // the context element of a fragment stays open
    std::vector<unsigned> m_knownOpenCount = std::vector<unsigned>(nameTable().count, 0);
    std::unordered_map<std::string, unsigned> m_unknownOpenCount;
    std::vector<std::string> m_overflow;
    std::unordered_map<std::string, unsigned> m_overflowCount;

    std::vector<size_t> m_attributeStarts;
    std::unordered_map<size_t, std::vector<std::string>> m_movedAttributes;

    bool m_rewriting { false };
    std::string m_output;
    size_t m_copied { 0 };
};

} // namespace

bool isGumboAmbiguousForeignName(std::string_view name)
{
    return contains(ambiguousForeignNames(), name);
}

GumboGuardedInput guardGumboInput(std::string_view utf8, const GumboGuardContext& context,
                                           unsigned maximumDepth)
{
    return Guard(utf8, context, maximumDepth).run();
}

} // namespace brevanton
