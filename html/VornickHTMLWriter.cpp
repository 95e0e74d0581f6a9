#include "html/VornickHTMLWriter.h"
#include "html/VornickHTMLWriterTextRecord.h"

#include "toolkit/VornickCollections.h"
#include "dom/VornickComputedStyle.h"
#include "dom/VornickDOMServices.h"
#include "dom/VornickElementExtensions.h"
#include "toolkit/VornickLog.h"
#include "dom/VornickNodeExtensions.h"
#include "toolkit/VornickStringExtensions.h"
#include "dom/VornickStyleQueries.h"
#include "toolkit/VornickURLExtensions.h"
#include "toolkit/VornickWhitespaceFilter.h"
#include "html/VornickGeneralFragmentDescription.h"
#include "html/VornickHTMLSpec.h"
#include "html/VornickNamedCharacterReferenceMap.h"
#include "html/VornickScriptText.h"
#include "html/VornickWordPressBlockMetadata.h"
#include "platform/dom/DOMCasts.h"
#include "platform/dom/DOMCharacterData.h"
#include "platform/dom/DOMDocument.h"
#include "platform/dom/DOMElement.h"
#include "platform/dom/DOMParsing.h"
#include "platform/dom/DOMQualifiedName.h"
#include "platform/dom/DOMRange.h"
#include "platform/dom/DOMSerializer.h"
#include "platform/foundation/Assertions.h"
#include "platform/foundation/Text.h"
#include "platform/foundation/TextEncoding.h"
#include "platform/foundation/TextEncodingLabels.h"
#include "toolkit/VornickErrors.h"

#include <unicode/utf16.h>

#include <algorithm>
#include <array>
#include <map>

namespace brevanton {

// What the writer needs to know of one kind of element, found once per write.
struct VornickHTMLWriter::ElementTraits {
    std::u16string writtenName;
    bool uppercaseAttributeNames { false };
    bool known { false };
    bool usuallyEmpty { false };
    bool usuallyInline { false };
    bool heading { false };
    bool contentUsuallyInline { false };
    bool isVoid { false };
    bool preformatted { false }; // whitespace is content: pre, textarea, listing
    bool rawText { false };      // script, style and the other elements whose content is raw text
    bool code { false };         // often styled to keep its whitespace: written exactly too
    bool plaintext { false };    // nothing after its start tag ends it
    bool nonRendered { false };  // never laid out: whitespace on both sides of it collapses into one
    bool inlineUnlessBlockChild { false };
    bool br { false };
    bool headBodyOrFrameset { false };
    bool body { false };
    bool head { false };
    bool img { false };
    bool picture { false };
    bool figure { false };
    bool div { false };
    bool continuesContiguousText { false };
    std::u16string lowerName;
    std::shared_ptr<VornickHTMLElementSpec> elementSpec;
    std::map<std::u16string, bool, std::less<>> booleanAttributes;

    // Inline for layout and whitespace: unknown elements (custom elements,
    // foreign content) are taken as inline, so no whitespace is ever added
    // next to them.
    bool layoutInline() const { return usuallyInline || !known; }
};

struct VornickHTMLWriter::Block {
    std::u16string typeName;
    const DOMNode* openingComment { nullptr };
    bool replaced { false };
    bool firstElement { true };
};

struct VornickHTMLWriter::Output {
    std::u16string text;
    bool attributed { false };
    // Start offset and kind of each run of one kind.
    std::vector<std::pair<size_t, VornickSyntaxColoringTokenKind>> runs;
    std::shared_ptr<VornickDOMToNSRangeMap> map;
    size_t contiguousStart { 0 };
    std::vector<VornickRange> contiguousRanges;
    size_t lastLength { 0 };
    size_t lastRunCount { 0 };
};

namespace {

// Attributes beyond the URL attributes that name a file the page needs
// (its scripts, media sources, embedded objects and image map areas): a page
// written to another folder takes them along.
bool namesFileOfPageBesideURLAttributes(std::u16string_view attributeName, std::u16string_view lowerTagName)
{
    std::u16string name = asciiLowercase(attributeName);
    if (lowerTagName == u"script" || lowerTagName == u"source" || lowerTagName == u"embed" || lowerTagName == u"input")
        return name == u"src";
    if (lowerTagName == u"area")
        return name == u"href";
    if (lowerTagName == u"object")
        return name == u"data";
    return false;
}

bool isInBody(const DOMNode& node)
{
    for (const DOMNode* ancestor = node.parent(); ancestor; ancestor = ancestor->parent()) {
        if (ancestor->nodeType() == DOMNode::ELEMENT_NODE
            && equalsIgnoringASCIICase(downcast<DOMElement>(ancestor)->localName(), u"body"))
            return true;
    }
    return false;
}

constexpr std::array<std::u16string_view, 25> contiguousTextElements {
    u"a", u"abbr", u"b", u"br", u"code", u"del", u"dfn", u"em", u"hr", u"i", u"img", u"ins", u"kbd",
    u"mark", u"pre", u"q", u"samp", u"small", u"span", u"strong", u"sub", u"sup", u"time", u"var", u"wbr",
};

// Whether a change dictionary (vornick_changesSince) adds, changes or deletes anything.
bool changesAnything(const Dictionary& changes)
{
    return std::any_of(changes.begin(), changes.end(),
                       [](const auto& entry) { return entry.second.isDictionary() && !entry.second.dictionary().empty(); });
}

bool mentionsWhiteSpace(std::u16string_view css)
{
    return asciiLowercase(css).find(u"white-space") != std::u16string::npos;
}

// Whether a style of the node's document may set white-space: a STYLE
// element or a style attribute that names it, or a linked style sheet.
bool stylesMayKeepWhitespace(const DOMNode& node)
{
    const DOMNode* root = node.document();
    if (!root)
        root = &node;
    for (const DOMNode* current = root->first(); current;) {
        if (auto* element = dynamicDowncast<DOMElement>(current)) {
            const auto& name = element->localName();
            if (auto style = element->getAttribute(u"style"); !style.empty() && mentionsWhiteSpace(style))
                return true;
            if (equalsIgnoringASCIICase(name, u"style") && mentionsWhiteSpace(element->textContent()))
                return true;
            if (equalsIgnoringASCIICase(name, u"link") && asciiLowercase(element->getAttribute(u"rel")).find(u"stylesheet") != std::u16string::npos)
                return true;
        }
        if (auto* child = current->first()) {
            current = child;
            continue;
        }
        while (current && current != root && !current->next())
            current = current->parent();
        current = current && current != root ? current->next() : nullptr;
    }
    return false;
}

bool isSpaceCharacter(char16_t c)
{
    return c == u' ' || c == u'\t' || c == u'\n' || c == u'\f' || c == u'\r';
}

// Whitespace that a browser collapses: the five HTML space characters. A
// no-break space is content, except where the editor uses a substitute for
// the no-break spaces the user typed: then the platform's own no-break spaces
// stand for ordinary spaces.
bool isCollapsibleWhitespaceOnly(std::u16string_view text, char16_t substitute)
{
    for (char16_t c : text) {
        if (!isSpaceCharacter(c) && !(substitute && c == 0xA0))
            return false;
    }
    return true;
}

std::u16string_view trimmedOfSpaces(std::u16string_view text, bool start, bool end)
{
    size_t from = 0;
    size_t to = text.size();
    if (start) {
        while (from < to && isSpaceCharacter(text[from]))
            ++from;
    }
    if (end) {
        while (to > from && isSpaceCharacter(text[to - 1]))
            --to;
    }
    return text.substr(from, to - from);
}

bool holdsEveryCharacter(std::u16string_view encoding)
{
    std::u16string name = asciiLowercase(encoding);
    return name.empty() || name == u"utf-8" || name == u"utf8" || name.starts_with(u"utf-16") || name.starts_with(u"utf-32")
        || name == u"gb18030";
}

// The closing tag of a raw text element inside its own text would end it early.
std::u16string neutralizedRawText(std::u16string_view text, std::u16string_view lowerTagName)
{
    std::u16string result(text);
    for (size_t i = result.find(u"</"); i != std::u16string::npos; i = result.find(u"</", i + 2)) {
        size_t after = i + 2 + lowerTagName.size();
        if (after < result.size() && !isSpaceCharacter(result[after]) && result[after] != u'/' && result[after] != u'>')
            continue;
        if (equalsIgnoringASCIICase(std::u16string_view(result).substr(i + 2, lowerTagName.size()), lowerTagName))
            result.insert(i + 1, 1, u'\\');
    }
    return result;
}

// A NUL cannot stand in a name: the parser reads it as U+FFFD.
std::u16string withoutNUL(std::u16string_view name)
{
    std::u16string result(name);
    std::replace(result.begin(), result.end(), u'\0', u'\uFFFD');
    return result;
}

// The byte-order mark of a Unicode encoding; empty for any other.
std::string_view byteOrderMark(std::u16string_view encoding)
{
    if (equalsIgnoringASCIICase(encoding, u"UTF-8"))
        return "\xEF\xBB\xBF";
    if (equalsIgnoringASCIICase(encoding, u"UTF-16LE"))
        return "\xFF\xFE";
    if (equalsIgnoringASCIICase(encoding, u"UTF-16BE"))
        return "\xFE\xFF";
    return {};
}

// An XML declaration whose encoding names `encoding` in its own words, or
// names it after the document changed encoding.
// The encoding an XML parser reads for a label: the Encoding Standard's,
// but for the labels of ISO-8859-1 and ASCII, which the web reads as
// windows-1252 and XML as what they name.
std::optional<std::u16string> xmlEncodingForLabel(std::u16string_view label)
{
    std::u16string name = asciiLowercase(label);
    for (const char16_t* latin1 : { u"iso-8859-1", u"iso8859-1", u"iso88591", u"iso_8859-1", u"iso_8859-1:1987", u"latin1", u"l1",
                                    u"iso-ir-100", u"csisolatin1", u"cp819", u"ibm819" }) {
        if (name == latin1)
            return u"ISO-8859-1";
    }
    for (const char16_t* ascii : { u"us-ascii", u"ascii", u"ansi_x3.4-1968" }) {
        if (name == ascii)
            return u"US-ASCII";
    }
    return textEncodingForLabel(label);
}

// The label of a document's XML declaration; empty for none.
std::u16string_view declaredXMLLabel(std::u16string_view declaration, size_t* quoteOut = nullptr, size_t* endOut = nullptr)
{
    size_t name = declaration.find(u"encoding");
    if (name == std::u16string_view::npos)
        return {};
    size_t quote = declaration.find_first_of(u"\"'", name);
    if (quote == std::u16string_view::npos)
        return {};
    size_t end = declaration.find(declaration[quote], quote + 1);
    if (end == std::u16string_view::npos)
        return {};
    if (quoteOut)
        *quoteOut = quote;
    if (endOut)
        *endOut = end;
    return declaration.substr(quote + 1, end - quote - 1);
}

std::u16string declarationForEncoding(const std::u16string& declaration, const std::u16string& encoding)
{
    size_t quote = 0;
    size_t end = 0;
    auto label = declaredXMLLabel(declaration, &quote, &end);
    if (label.empty())
        return declaration;
    auto declared = xmlEncodingForLabel(label);
    if (declared && (equalsIgnoringASCIICase(*declared, encoding) || (isUTF16Encoding(*declared) && isUTF16Encoding(encoding))))
        return declaration;
    return declaration.substr(0, quote + 1) + encoding + declaration.substr(end);
}

// Comment data that would end the comment early is broken up. XML allows
// no "--" at all in a comment, nor a "-" before its end.
std::u16string safeCommentData(std::u16string_view data, bool xml)
{
    std::u16string result(data);
    for (size_t i = result.find(u"--"); i != std::u16string::npos; i = result.find(u"--", i + 2)) {
        if (xml) {
            result.insert(i + 1, 1, u' ');
            i -= 1;
        } else if (i + 2 < result.size() && (result[i + 2] == u'>' || result[i + 2] == u'!')) {
            result.insert(i + 2, 1, u' ');
        }
    }
    if (result.starts_with(u">") || result.starts_with(u"->"))
        result.insert(0, 1, u' ');
    if (xml && result.ends_with(u'-'))
        result += u' ';
    return result;
}

// A DOCTYPE identifier in the quotes it does not contain.
std::u16string quotedIdentifier(const std::u16string& identifier)
{
    char16_t quote = identifier.find(u'"') == std::u16string::npos ? u'"' : u'\'';
    return quote + identifier + quote;
}

// The nearest sibling that is neither a comment nor whitespace-only text.
const DOMNode* contentSibling(const DOMNode& node, bool forward, char16_t substitute)
{
    const DOMNode* sibling = forward ? node.next() : node.previous();
    while (sibling
           && (sibling->nodeType() == DOMNode::COMMENT_NODE || sibling->nodeType() == DOMNode::PROCESSING_INSTRUCTION_NODE
               || (sibling->isTextNode()
                   && isCollapsibleWhitespaceOnly(downcast<DOMCharacterData>(sibling)->data(), substitute))))
        sibling = forward ? sibling->next() : sibling->previous();
    return sibling;
}

// A class list that the writer's cleaning leaves as it is: no class of the
// editor's own, names separated by single spaces, none around them.
bool isWrittenAsItsOwnClassList(std::u16string_view value)
{
    if (value.empty() || value.front() == u' ' || value.back() == u' ')
        return false;
    bool spaceBefore = true;
    for (size_t i = 0; i < value.size(); ++i) {
        char16_t c = value[i];
        if (c == u' ') {
            if (spaceBefore)
                return false;
            spaceBefore = true;
            continue;
        }
        if (isSpaceCharacter(c))
            return false;
        if (spaceBefore && value.substr(i).starts_with(VornickClassPrefix))
            return false;
        spaceBefore = false;
    }
    return true;
}

bool hasClass(const DOMElement& element, std::u16string_view className)
{
    const std::u16string* value = element.attributeValue(u"class");
    if (!value)
        return false;
    std::u16string_view classes(*value);
    size_t i = 0;
    while (i < classes.size()) {
        while (i < classes.size() && isSpaceCharacter(classes[i]))
            ++i;
        size_t start = i;
        while (i < classes.size() && !isSpaceCharacter(classes[i]))
            ++i;
        if (classes.substr(start, i - start) == className)
            return true;
    }
    return false;
}

// The specification of a document's type: by the DOCTYPE's public
// identifier, then its system identifier; "<!DOCTYPE html>" is HTML 5; any
// other document gets a specification of its own of the unknown type.
std::shared_ptr<VornickHTMLSpec> specForDocument(const DOMDocument* document)
{
    auto doctype = document ? document->doctype() : nullptr;
    std::shared_ptr<VornickHTMLSpec> spec;
    if (doctype) {
        if (!doctype->publicId().empty())
            spec = VornickHTMLSpec::htmlSpecForPublicId(doctype->publicId());
        if (!spec && !doctype->systemId().empty())
            spec = VornickHTMLSpec::htmlSpecForSystemId(doctype->systemId());
        if (!spec && doctype->publicId().empty() && doctype->systemId().empty()
            && equalsIgnoringASCIICase(doctype->name(), u"html"))
            spec = VornickHTMLSpec::htmlSpecForDocumentType(VornickHTMLDocumentType::HTML5);
    }
    if (!spec) {
        spec = std::make_shared<VornickHTMLSpec>();
        if (doctype) {
            spec->setPublicId(doctype->publicId());
            spec->setSystemId(doctype->systemId());
        }
    }
    return spec;
}

} // namespace

// --- Creation and settings

std::unique_ptr<VornickHTMLWriter> VornickHTMLWriter::htmlWriterWithFormattingPreferences(
    const VornickHTMLFormattingPreferences& preferences, char16_t substitute, VornickNewlineConvention newlineConvention)
{
    return std::make_unique<VornickHTMLWriter>(preferences, substitute, newlineConvention);
}

VornickHTMLWriter::VornickHTMLWriter(const VornickHTMLFormattingPreferences& preferences, char16_t substitute,
                                     VornickNewlineConvention newlineConvention)
    : m_formattingPreferences(preferences)
    , m_substitute(substitute)
    , m_newlineConvention(newlineConvention)
    , m_output(std::make_unique<Output>())
{
    BREVANTON_ASSERT(newlineConvention == VornickNewlineConvention::LF || newlineConvention == VornickNewlineConvention::CR
                         || newlineConvention == VornickNewlineConvention::CRLF,
                     "Invalid parameter not satisfying: newlineConvention == VornickNewlineConvention::LF || newlineConvention == "
                     "VornickNewlineConvention::CR || newlineConvention == VornickNewlineConvention::CRLF");
    m_newlineString = &vornick_newlineStringForConvention(newlineConvention);
}

VornickHTMLWriter::~VornickHTMLWriter() = default;


std::shared_ptr<const VornickHTMLSyntaxColoringPreferences> VornickHTMLWriter::syntaxColoringPreferences() const
{
    if (!m_syntaxColoringPreferences)
        m_syntaxColoringPreferences = VornickHTMLSyntaxColoringPreferences::usersDefaultHTMLSyntaxHighlightingPreferences();
    return m_syntaxColoringPreferences;
}

void VornickHTMLWriter::setSyntaxColoringPreferences(std::shared_ptr<const VornickHTMLSyntaxColoringPreferences> preferences)
{
    m_syntaxColoringPreferences = std::move(preferences);
}

void VornickHTMLWriter::setDocumentURLForAbsoluteURLResolution(std::optional<URL> url)
{
    m_documentURLForAbsoluteURLResolution = url ? std::optional<URL>(url->standardized()) : std::nullopt;
    m_resolvedURLAttributeValues.clear();
    m_documentFolderURL.reset();
}

void VornickHTMLWriter::setRootFileURLWithinWhichReferencesShouldBeRelative(std::optional<URL> url)
{
    m_rootFileURL = std::move(url);
    m_resolvedURLAttributeValues.clear();
    m_rootFileKeyPrefix.reset();
}

void VornickHTMLWriter::setRelocatedDocumentURL(std::optional<URL> url)
{
    m_relocatedDocumentURL = std::move(url);
    m_resolvedURLAttributeValues.clear();
}

void VornickHTMLWriter::setBodyElementStyleChangesToApply(std::optional<Dictionary> changes)
{
    m_bodyElementStyleChangesToApply = std::move(changes);
}

void VornickHTMLWriter::setCommentToFragmentDescriptionLookupBlock(VornickCommentToFragmentDescriptionLookupBlock block)
{
    m_lookup = std::move(block);
}

// --- Public writes

std::u16string VornickHTMLWriter::htmlStringFromDocument(DOMDocument& document)
{
    write(document, Target::Document);
    return std::move(m_output->text);
}

std::u16string VornickHTMLWriter::htmlStringFromElement(DOMElement& element)
{
    write(element, Target::Element);
    return std::move(m_output->text);
}

std::u16string VornickHTMLWriter::htmlStringFromChildrenOfNode(DOMNode& node)
{
    write(node, Target::Children);
    return std::move(m_output->text);
}

std::u16string VornickHTMLWriter::htmlStringFromRange(const DOMRange* range)
{
    BREVANTON_ASSERT(range != nullptr, "range");
    auto fragment = range->cloneContents();
    if (!fragment)
        return *m_newlineString;
    // The copy has left the body its text stands in.
    auto common = range->commonAncestorContainer();
    m_writingRangeInBody = common
        && ((common->isElementNode() && equalsIgnoringASCIICase(downcast<DOMElement>(*common).localName(), u"body")) || isInBody(*common));
    auto written = htmlStringFromChildrenOfNode(*fragment);
    m_writingRangeInBody = false;
    return written;
}

std::optional<std::string> VornickHTMLWriter::htmlDataFromDocument(DOMDocument& document, Error* outError)
{
    return documentDataFromWrittenString(document, htmlStringFromDocument(document), outError);
}

std::optional<std::string> VornickHTMLWriter::documentDataFromWrittenString(const DOMDocument& document,
                                                                            std::u16string_view written,
                                                                            Error* outError)
{
    // Bytes the document's encoding could not decode were read as U+FFFD;
    // writing that character in their place would lose them without a word.
    // (An encoding without it holds it as a numeric reference.)
    // Only a document read with such bytes is searched for it.
    auto writesReplacement = [written] {
        return written.find(u'\uFFFD') != std::u16string_view::npos || written.find(u"&#xFFFD;") != std::u16string_view::npos
            || written.find(u"&#65533;") != std::u16string_view::npos;
    };
    if (document.hasReplacedUndecodableBytes() && writesReplacement()) {
        setError(outError, Error(VornickErrorDomain, VornickDocumentUndecodableBytesError,
                                 u"The file has bytes that are not valid " + document.characterSet()
                                     + u", shown as \uFFFD; saving would replace them. Remove those characters, "
                                       u"or fix the file\u2019s encoding declaration and open it again."));
        return std::nullopt;
    }
    return encodedDocumentData(written, document.hasByteOrderMark(), outError);
}

std::optional<std::string> VornickHTMLWriter::encodedDocumentData(std::u16string_view written, bool hadByteOrderMark,
                                                                  Error* outError)
{
    auto data = dataUsingDocumentEncodingFromString(written, outError);
    // UTF-16 cannot be read back without its mark; a UTF-8 file keeps the one it had.
    auto mark = byteOrderMark(m_encodingName);
    if (data && !mark.empty() && (hadByteOrderMark || mark.size() == 2))
        data->insert(0, mark);
    return data;
}

std::optional<std::string> VornickHTMLWriter::htmlDataFromElement(DOMElement& element, Error* outError)
{
    return dataUsingDocumentEncodingFromString(htmlStringFromElement(element), outError);
}

std::optional<std::string> VornickHTMLWriter::htmlDataFromChildrenOfNode(DOMNode& node, Error* outError)
{
    return dataUsingDocumentEncodingFromString(htmlStringFromChildrenOfNode(node), outError);
}

std::optional<std::string> VornickHTMLWriter::dataUsingDocumentEncodingFromString(std::u16string_view string, Error* outError)
{
    if (m_encodingName.empty()) {
        VornickGeneralLog(u"ERROR: Failed writing HTML because cfEncoding == kCFStringEncodingInvalidId");
        setError(outError, Error(CocoaErrorDomain, 517, u"The document has no character encoding to write in."));
        return std::nullopt;
    }
    return encodeText(string, m_encodingName, outError);
}

std::u16string VornickHTMLWriter::detectOutputStringEncodingForDocument(const DOMDocument& document) const
{
    std::u16string name = !m_stringEncodingOverride.empty() ? m_stringEncodingOverride : document.characterSet();
    if (name.empty())
        return u"UTF-8";
    // An XML parser reads ISO-8859-1 and ASCII as what they name: characters
    // outside them are written as references, never as windows-1252 bytes.
    if (!document.isHTMLDocument() && m_stringEncodingOverride.empty()) {
        auto label = declaredXMLLabel(document.xmlDeclaration());
        if (auto encoding = label.empty() ? std::nullopt : xmlEncodingForLabel(label);
            encoding && (*encoding == u"ISO-8859-1" || *encoding == u"US-ASCII")
            && textEncodingForLabel(label) == textEncodingForLabel(name))
            return *encoding;
    }
    // A label is written in the encoding it means on the web ("ISO-8859-1" is windows-1252).
    if (auto encoding = textEncodingForLabel(name); encoding && isKnownTextEncoding(*encoding))
        return *encoding;
    if (!isKnownTextEncoding(name))
        return u"UTF-8";
    return name;
}

void VornickHTMLWriter::writeAttributedStringFromDocument(DOMDocument& document, bool forSearch,
                                                          const AttributedCompletion& completion)
{
    m_generatingSearchString = forSearch;
    m_recordingText = !forSearch;
    write(document, Target::Document, true);
    m_recordingText = false;
    m_generatingSearchString = false;

    Output& output = *m_output;
    if (m_textRecord) {
        m_textRecord->document = document.weak_from_this();
        m_textRecord->treeAndAttributeVersion = document.treeAndAttributeVersion();
        m_textRecord->characterDataVersion = document.characterDataVersion();
        m_textRecord->characterSet = document.characterSet();
        m_textRecord->xmlDeclaration = document.xmlDeclaration();
        m_textRecord->encodingName = m_encodingName;
        m_textRecord->outputLength = output.text.size();
        m_textRecord->runKinds.reserve(output.runs.size());
        for (const auto& run : output.runs)
            m_textRecord->runKinds.push_back(run.second);
        // Outside search the whole output is one run of contiguous text, so
        // every piece below is one run of one kind.
        if (output.contiguousRanges.size() != 1 || m_textRecord->wroteTemplateContents)
            m_textRecord.reset();
    }

    // Colours and fonts per kind, with the contiguous text range of each run.
    std::array<TextAttributes, TK_LAST + 1> kindAttributes;
    auto attributesForKind = [&](VornickSyntaxColoringTokenKind kind) -> const TextAttributes& {
        if (!kindAttributes[kind])
            kindAttributes[kind] = attributesForTokenKind(kind, kindAttributes);
        return kindAttributes[kind];
    };
    std::map<std::pair<VornickSyntaxColoringTokenKind, size_t>, TextAttributes> combined;
    auto attributesFor = [&](VornickSyntaxColoringTokenKind kind, size_t rangeIndex) -> TextAttributes {
        if (rangeIndex >= output.contiguousRanges.size())
            return attributesForKind(kind);
        auto& slot = combined[{ kind, rangeIndex }];
        if (!slot) {
            auto dictionary = std::make_shared<TextAttributeDictionary>(*attributesForKind(kind));
            (*dictionary)[VornickContiguousTextRangeAttributeName] = output.contiguousRanges[rangeIndex];
            slot = std::move(dictionary);
        }
        return slot;
    };

    std::vector<AttributedString::Run> runs;
    runs.reserve(output.runs.size() + output.contiguousRanges.size());
    size_t length = output.text.size();
    size_t rangeIndex = 0;
    for (size_t i = 0; i < output.runs.size(); ++i) {
        size_t start = output.runs[i].first;
        size_t end = i + 1 < output.runs.size() ? output.runs[i + 1].first : length;
        auto kind = output.runs[i].second;
        while (start < end) {
            while (rangeIndex < output.contiguousRanges.size() && output.contiguousRanges[rangeIndex].end() <= start)
                ++rangeIndex;
            size_t pieceEnd = end;
            size_t index = output.contiguousRanges.size();
            if (rangeIndex < output.contiguousRanges.size()) {
                auto& range = output.contiguousRanges[rangeIndex];
                if (range.location <= start) {
                    index = rangeIndex;
                    pieceEnd = std::min(end, range.end());
                } else {
                    pieceEnd = std::min(end, range.location);
                }
            }
            runs.push_back({ start, pieceEnd - start, attributesFor(kind, index) });
            start = pieceEnd;
        }
    }
    auto attributed = std::make_shared<const AttributedString>(std::move(output.text), std::move(runs));
    auto map = std::move(output.map);
    output.runs.clear();
    output.contiguousRanges.clear();
    if (completion)
        completion(std::move(attributed), std::move(map));
}

TextAttributes VornickHTMLWriter::attributesForTokenKind(VornickSyntaxColoringTokenKind kind,
                                                       std::array<TextAttributes, TK_LAST + 1>& cache) const
{
    if (!cache[kind]) {
        auto preferences = syntaxColoringPreferences();
        cache[kind] = preferences ? preferences->attributesDictionaryForTokenKind(kind, m_formattingPreferences.spacesPerTab()) : nullptr;
        if (!cache[kind])
            cache[kind] = std::make_shared<const TextAttributeDictionary>();
    }
    return cache[kind];
}

// --- The write

void VornickHTMLWriter::write(DOMNode& node, Target target, bool attributed)
{
    m_commentsNotToReplace.clear();
    for (;;) {
        writeOnce(node, target, attributed);
        // A replaced block that never closed would swallow the rest of the
        // document: write that block's DOM instead.
        if (!m_unclosedReplacedBlockComment || m_commentsNotToReplace.count(m_unclosedReplacedBlockComment))
            break;
        m_commentsNotToReplace.insert(m_unclosedReplacedBlockComment);
        m_recordingText = false;
    }
    m_commentsNotToReplace.clear();
}

void VornickHTMLWriter::prepareForNode(const DOMNode& node)
{
    const DOMDocument* document = node.isDocumentNode() ? downcast<DOMDocument>(&node) : node.document();
    m_spec = specForDocument(document);
    m_writingXML = document && !document->isHTMLDocument();
    m_writeBooleanAttributesAsNameOnly = !m_spec->isXHTML() && !m_writingXML;

    std::u16string encoding = document ? detectOutputStringEncodingForDocument(*document) : std::u16string(u"UTF-8");
    if (encoding != m_encodingName) {
        m_encodingName = std::move(encoding);
        m_encodingHoldsEverything = holdsEveryCharacter(m_encodingName);
        m_encodability.clear();
    }
    if (m_traitsSpec != m_spec.get())
        m_traits.clear();
    m_traitsSpec = m_spec.get();
}

void VornickHTMLWriter::writeOnce(DOMNode& node, Target target, bool attributed)
{
    resetOutput(attributed, target == Target::Document ? m_expectedDocumentOutputLength : 0);
    prepareForNode(node);
    m_stylesMayKeepWhitespace = stylesMayKeepWhitespace(node);
    // The layout rules may have changed since the last write.
    m_traits.clear();
    m_textRecord.reset();
    if (m_recordingText && attributed && target == Target::Document) {
        m_textRecord = std::make_unique<TextRecord>();
        m_textRecord->formattingPreferences = VornickFormattingFingerprint(m_formattingPreferences);
        m_textRecord->documentURL = m_documentURLForAbsoluteURLResolution;
        m_textRecord->rootFileURL = m_rootFileURL;
        m_textRecord->relocatedDocumentURL = m_relocatedDocumentURL;
        m_textRecord->bodyElementStyleChanges = m_bodyElementStyleChangesToApply;
        m_textRecord->stringEncodingOverride = m_stringEncodingOverride;
        m_textRecord->keepsWordPressBlockLayout = m_keepsWordPressBlockLayout;
        for (const auto& omitted : m_nodesToOmit)
            m_textRecord->nodesToOmit.push_back(omitted.lock().get());
        m_textRecord->documentSubstitute = vornick_nonBreakingSpaceSubstituteCharacter(node);
    }

    switch (target) {
    case Target::Document: {
        // An XML declaration can only stand first in the file.
        auto isXMLDeclaration = [](const DOMNode& child) {
            if (child.nodeType() != DOMNode::COMMENT_NODE)
                return false;
            auto& data = downcast<DOMCharacterData>(child).data();
            return data.starts_with(u"?xml") && data.ends_with(u"?");
        };
        for (DOMNode* child = node.first(); child; child = child->next()) {
            if (isXMLDeclaration(*child))
                appendHTMLForNode(*child, 0);
        }
        // An XML parser reads a file without a declaration as UTF-8 (or
        // UTF-16 by its byte order mark): any other encoding must be declared.
        std::u16string encoding = asciiLowercase(m_encodingName);
        auto& declaration = downcast<DOMDocument>(node).xmlDeclaration();
        if (m_writingXML && !m_generatingSearchString && !declaration.empty()) {
            appendStringWithNewlines(declarationForEncoding(declaration, m_encodingName), TK_XML_DECLARATION);
            appendString(*m_newlineString, TK_OTHER_TEXT);
        } else if (m_writingXML && !m_generatingSearchString && encoding != u"utf-8" && encoding != u"utf8"
                   && !encoding.starts_with(u"utf-16")) {
            appendString(u"<?xml version=\"1.0\" encoding=\"" + m_encodingName + u"\"?>", TK_XML_DECLARATION);
            appendString(*m_newlineString, TK_OTHER_TEXT);
        }
        for (DOMNode* child = node.first(); child; child = child->next()) {
            if (!isXMLDeclaration(*child))
                appendHTMLForNode(*child, 0);
        }
        closeOpenWhitespaceNode();
        break;
    }
    case Target::Children:
        appendHTMLForChildrenOfNode(node, 0);
        break;
    case Target::Element:
        appendHTMLForNode(node, 0);
        closeOpenWhitespaceNode();
        break;
    }
    finishWrite();
}

void VornickHTMLWriter::finishWrite()
{
    m_unclosedReplacedBlockComment = nullptr;
    for (auto& block : m_blocks) {
        if (block.replaced) {
            m_unclosedReplacedBlockComment = block.openingComment;
            break;
        }
    }
    m_blocks.clear();
    m_replacedBlockCount = 0;
    m_lastNodeWasBR = false;
    m_spec = nullptr;
    m_preformattedDepth = 0;
    appendString(*m_newlineString, TK_OTHER_TEXT);
    m_output->lastLength = m_output->text.size();
    m_output->lastRunCount = m_output->runs.size();
    if (m_output->attributed) {
        ElementTraits html;
        html.lowerName = u"html";
        breakContiguousTextAtBoundaryOfElement(html);
    }
}

void VornickHTMLWriter::resetOutput(bool attributed, size_t expectedLength)
{
    m_inPlaintext = false;
    m_suppressEscaping = false;
    m_lastBlockLayoutWhitespace = nullptr;
    m_lastClassifiedComment = nullptr;
    m_inReplacedWhitespace = false;
    m_replacedWhitespaceIsSignificant = false;
    m_replacedWhitespaceHasLineBreak = false;
    m_lastNodeWasBR = false;
    m_preformattedDepth = 0;
    m_blocks.clear();
    m_replacedBlockCount = 0;
    m_unclosedReplacedBlockComment = nullptr;

    Output& output = *m_output;
    // One output buffer, sized by the last write or the length expected. The
    // first write of a loaded file adds the indentation the file may not have
    // had: a buffer that doubles on its last megabytes holds three times the
    // page while it is copied.
    output.text.clear();
    size_t length = std::max(output.lastLength, expectedLength);
    output.text.reserve(length + (output.lastLength ? length / 8 : length / 4));
    output.runs.clear();
    if (attributed)
        output.runs.reserve(output.lastRunCount + output.lastRunCount / 8);
    output.contiguousRanges.clear();
    output.contiguousStart = 0;
    output.attributed = attributed;
    output.map = attributed ? std::make_shared<VornickDOMToNSRangeMap>(true) : nullptr;
}

// --- Appending

void VornickHTMLWriter::appendString(std::u16string_view string, VornickSyntaxColoringTokenKind kind)
{
    BREVANTON_ASSERT(kind <= TK_LAST, "tokenKind <= TK_LAST");
    if (string.empty() || m_inPlaintext)
        return;
    Output& output = *m_output;
    if (output.attributed && (output.runs.empty() || output.runs.back().second != kind))
        output.runs.emplace_back(output.text.size(), kind);
    output.text.append(string);
}

// Line breaks of the content in the output's convention: a parser reads
// every convention back as a line feed.
void VornickHTMLWriter::appendStringWithNewlines(std::u16string_view string, VornickSyntaxColoringTokenKind kind)
{
    if (m_newlineConvention == VornickNewlineConvention::LF || string.find(u'\n') == std::u16string_view::npos) {
        appendString(string, kind);
        return;
    }
    size_t start = 0;
    for (size_t i = string.find(u'\n'); i != std::u16string_view::npos; i = string.find(u'\n', start)) {
        appendString(string.substr(start, i - start), kind);
        appendString(*m_newlineString, kind);
        start = i + 1;
    }
    appendString(string.substr(start), kind);
}

void VornickHTMLWriter::appendCharacter(char16_t character, VornickSyntaxColoringTokenKind kind)
{
    appendString(std::u16string_view(&character, 1), kind);
}

bool VornickHTMLWriter::outputEndsWith(std::u16string_view string) const
{
    return std::u16string_view(m_output->text).ends_with(string);
}

std::u16string VornickHTMLWriter::whitespaceStringForIndentLevel(unsigned level) const
{
    unsigned spacesPerIndent = m_formattingPreferences.spacesPerIndent();
    size_t count = static_cast<size_t>(spacesPerIndent) * std::min(level, maximumIndentLevel);
    if (!count)
        return {};
    std::u16string result;
    if (m_formattingPreferences.useTabs()) {
        unsigned tabWidth = m_formattingPreferences.spacesPerTab() ? m_formattingPreferences.spacesPerTab() : 8;
        result.append(count / tabWidth, u'\t');
        result.append(count % tabWidth, u' ');
    } else {
        result.append(count, u' ');
    }
    return result;
}

void VornickHTMLWriter::appendIndentation(unsigned level)
{
    if (level)
        appendString(whitespaceStringForIndentLevel(level), TK_OTHER_TEXT);
}

void VornickHTMLWriter::appendLineBreak(unsigned indentLevel, bool indent, bool blankLineFirst)
{
    if (m_inReplacedWhitespace)
        m_replacedWhitespaceHasLineBreak = true;
    if (blankLineFirst)
        appendString(*m_newlineString, TK_OTHER_TEXT);
    appendString(*m_newlineString, TK_OTHER_TEXT);
    if (indent)
        appendIndentation(indentLevel);
}

// A line break of the text before counts, whatever its convention: another
// one would only grow that text on every save.
void VornickHTMLWriter::appendLineBreaksUnlessPresent(size_t wanted)
{
    const auto& text = m_output->text;
    auto isLineBreak = [](char16_t c) { return c == u'\n' || c == u'\r'; };
    size_t present = 0;
    for (size_t i = text.size(); i > 0 && present < wanted; --i) {
        if (text[i - 1] == u'\n' && i >= 2 && text[i - 2] == u'\r')
            --i;
        if (!isLineBreak(text[i - 1]))
            break;
        ++present;
    }
    for (; present < wanted; ++present)
        appendString(*m_newlineString, TK_OTHER_TEXT);
}

// Whitespace of a block post's layout, written as the post holds it.
void VornickHTMLWriter::appendBlockLayoutWhitespace(DOMNode& node)
{
    m_lastNodeWasBR = false;
    closeOpenWhitespaceNode();
    if (m_output->map)
        m_output->map->beginWhitespaceNodeAtOffset(m_output->text.size());
    appendStringWithNewlines(downcast<DOMCharacterData>(node).data(), TK_OTHER_TEXT);
    if (m_output->map)
        m_output->map->endWhitespaceNodeAtOffset(m_output->text.size());
    m_lastBlockLayoutWhitespace = &node;
}

bool VornickHTMLWriter::clearBRWithIndentLevel(unsigned indentLevel)
{
    if (!m_lastNodeWasBR)
        return false;
    m_lastNodeWasBR = false;
    if (!m_formattingPreferences.newLineAfterBR() || m_preformattedDepth)
        return false;
    auto& preferences = m_formattingPreferences;
    bool indent = !inWordPressBlock() && preferences.indentAfterBR() && indentLevel >= 2 && preferences.putBlockElementTagsOnNewLine();
    appendLineBreak(indentLevel - 1, indent);
    return true;
}

// --- The range map

void VornickHTMLWriter::beginMapNode(uint16_t type, std::u16string_view name)
{
    if (m_output->map)
        m_output->map->beginNodeOfType(type, name, m_output->text.size());
}

void VornickHTMLWriter::endMapNode(uint16_t type, std::u16string_view name)
{
    if (m_output->map)
        m_output->map->endNodeOfType(type, name, m_output->text.size());
}

// An element's tag name is looked up only when there is a map to take it.
void VornickHTMLWriter::beginMapElement(const DOMElement& element)
{
    if (m_output->map)
        m_output->map->beginNodeOfType(DOMNode::ELEMENT_NODE, element.tagName(), m_output->text.size());
}

void VornickHTMLWriter::endMapElement(const DOMElement& element)
{
    if (m_output->map)
        m_output->map->endNodeOfType(DOMNode::ELEMENT_NODE, element.tagName(), m_output->text.size());
}

void VornickHTMLWriter::breakContiguousTextAtBoundaryOfElement(const ElementTraits& traits)
{
    Output& output = *m_output;
    if (!output.attributed)
        return;
    bool continues = false;
    for (auto name : contiguousTextElements) {
        if (name == traits.lowerName) {
            continues = true;
            break;
        }
    }
    if (continues)
        return;
    size_t end = output.text.size();
    if (end > output.contiguousStart)
        output.contiguousRanges.push_back(VornickMakeRange(output.contiguousStart, end - output.contiguousStart));
    output.contiguousStart = end;
}

// --- Whitespace between nodes

// A script or style amid inline content is no block edge: a line break
// beside it would render as a space between the text around it.
bool VornickHTMLWriter::nonRenderedElementIsAmidInlineContent(const DOMElement& element)
{
    DOMNode* parent = element.parent();
    auto* parentElement = toElement(parent);
    if (!parentElement || traitsForElement(*parentElement).head || traitsForElement(*parentElement).lowerName == u"html")
        return false;
    for (bool forward : { false, true }) {
        const DOMNode* sibling = &element;
        for (;;) {
            sibling = contentSibling(*sibling, forward, m_substitute);
            auto* siblingElement = toElement(sibling);
            if (!siblingElement || !traitsForElement(*siblingElement).nonRendered)
                break;
        }
        if (!sibling) {
            if (!isLaidOutAsBlock(*parentElement))
                return true;
            continue;
        }
        if (sibling->isTextNode())
            return true;
        if (auto* siblingElement = toElement(sibling)) {
            if (!traitsForElement(*siblingElement).br && !isLaidOutAsBlock(*siblingElement))
                return true;
        }
    }
    return false;
}

bool VornickHTMLWriter::keepsWhitespaceByStyle(const DOMElement& element)
{
    auto style = vornick_computedStyle(element);
    if (!style)
        return false;
    auto whiteSpace = style->getPropertyValue(u"white-space");
    return whiteSpace == u"pre" || whiteSpace == u"pre-wrap" || whiteSpace == u"pre-line" || whiteSpace == u"break-spaces";
}

bool VornickHTMLWriter::isLaidOutAsBlock(const DOMElement& element)
{
    auto& traits = traitsForElement(element);
    if (!traits.layoutInline())
        return !(traits.nonRendered && nonRenderedElementIsAmidInlineContent(element));
    if (!traits.inlineUnlessBlockChild)
        return false;
    // A link (or del, ins) around blocks is laid out as a block.
    for (DOMNode* child = element.first(); child; child = child->next()) {
        if (auto* childElement = toElement(child))
            return !traitsForElement(*childElement).layoutInline();
    }
    return false;
}

bool VornickHTMLWriter::isBlockBoundaryNeighbour(const DOMNode* neighbour, const DOMNode& parent)
{
    if (!neighbour) {
        // The edge of the parent: a block edge unless the parent is inline.
        auto* parentElement = toElement(&parent);
        return !parentElement || isLaidOutAsBlock(*parentElement);
    }
    if (neighbour->isTextNode())
        return false;
    if (auto* element = toElement(neighbour))
        return traitsForElement(*element).br || isLaidOutAsBlock(*element);
    return true;
}

// Whitespace between two pieces of inline content renders as a space and
// must be kept; whitespace next to a block edge does not render.
bool VornickHTMLWriter::whitespaceNodeSeparatesInlineContent(const DOMNode& node)
{
    DOMNode* parent = node.parent();
    if (!parent)
        return true;
    return !isBlockBoundaryNeighbour(contentSibling(node, false, m_substitute), *parent)
        && !isBlockBoundaryNeighbour(contentSibling(node, true, m_substitute), *parent);
}

void VornickHTMLWriter::skipWhitespaceNode(DOMNode& node)
{
    closeOpenWhitespaceNode();
    if (m_output->map)
        m_output->map->beginWhitespaceNodeAtOffset(m_output->text.size());
    m_inReplacedWhitespace = true;
    m_replacedWhitespaceIsSignificant = whitespaceNodeSeparatesInlineContent(node);
    m_replacedWhitespaceHasLineBreak = false;
}

void VornickHTMLWriter::closeOpenWhitespaceNode()
{
    if (!m_inReplacedWhitespace)
        return;
    // The whitespace was replaced by a line break, or stands as one space.
    if (m_replacedWhitespaceIsSignificant && !m_replacedWhitespaceHasLineBreak && !inReplacedWordPressBlock())
        appendCharacter(u' ', TK_OTHER_TEXT);
    if (m_output->map)
        m_output->map->endWhitespaceNodeAtOffset(m_output->text.size());
    m_inReplacedWhitespace = false;
    m_replacedWhitespaceIsSignificant = false;
    m_replacedWhitespaceHasLineBreak = false;
}

// --- Element kinds

const VornickHTMLWriter::ElementTraits& VornickHTMLWriter::traitsForElement(const DOMElement& element)
{
    // Indexed by the interned name's number: one look-up per element.
    const auto& name = element.qualifiedName();
    if (name.index >= m_traits.size())
        m_traits.resize(name.index + 1);
    auto& slot = m_traits[name.index];
    if (slot)
        return *slot;
    slot = std::make_unique<ElementTraits>();
    ElementTraits& traits = *slot;
    bool html = name.isHTML;
    traits.lowerName = html ? asciiLowercase(name.localName) : name.qualifiedName;
    const VornickHTMLSpec& spec = *m_spec;
    if (html) {
        traits.known = spec.elementKindRecord(traits.lowerName) != nullptr;
        traits.usuallyEmpty = spec.isUsuallyEmptyElement(traits.lowerName);
        traits.usuallyInline = spec.isUsuallyInlineElement(traits.lowerName);
        traits.heading = spec.elementIsHeading(traits.lowerName);
        traits.contentUsuallyInline = spec.elementContentIsUsuallyInline(traits.lowerName);
        traits.isVoid = isHTMLVoidElementName(traits.lowerName);
        const auto& n = traits.lowerName;
        traits.preformatted = n == u"pre" || n == u"textarea" || n == u"listing";
        // Their content is text to the parser, written as it is.
        traits.rawText = n == u"script" || n == u"style" || n == u"xmp" || n == u"iframe" || n == u"noembed"
            || n == u"noframes" || n == u"plaintext";
        traits.inlineUnlessBlockChild = n == u"a" || n == u"del" || n == u"ins";
        traits.code = n == u"code";
        traits.plaintext = n == u"plaintext";
        traits.nonRendered = n == u"script" || n == u"style" || n == u"template" || n == u"link" || n == u"meta";
        traits.br = n == u"br";
        traits.head = n == u"head";
        traits.body = n == u"body";
        traits.headBodyOrFrameset = traits.head || traits.body || n == u"frameset";
        traits.img = n == u"img";
        traits.picture = n == u"picture";
        traits.figure = n == u"figure";
        traits.div = n == u"div";
        traits.elementSpec = spec.elementSpecForTagName(n);
    }
    // Names as the document holds them in XML and in foreign content; in
    // HTML by the case rule.
    if (!html || m_writingXML) {
        traits.writtenName = name.qualifiedName;
    } else if (spec.isXHTML() || m_formattingPreferences.useLowercaseTagNames()) {
        traits.writtenName = traits.lowerName;
    } else {
        traits.writtenName = asciiUppercase(name.qualifiedName);
        traits.uppercaseAttributeNames = true;
    }
    if (!m_writingXML)
        traits.writtenName = withoutNUL(traits.writtenName);
    return traits;
}

bool VornickHTMLWriter::isAttributeBoolean(const ElementTraits& constTraits, std::u16string_view attributeName)
{
    auto& traits = const_cast<ElementTraits&>(constTraits);
    auto found = traits.booleanAttributes.find(attributeName);
    if (found != traits.booleanAttributes.end())
        return found->second;
    std::shared_ptr<VornickHTMLAttributeSpec> attributeSpec = traits.elementSpec
        ? traits.elementSpec->attributeSpecForAttributeName(attributeName)
        : m_spec->globalAttributeSpecForAttributeName(asciiLowercase(attributeName));
    bool isBoolean = attributeSpec && equalsIgnoringASCIICase(attributeSpec->valueKind(), u"Boolean");
    traits.booleanAttributes.emplace(std::u16string(attributeName), isBoolean);
    return isBoolean;
}

// --- Dispatch

bool VornickHTMLWriter::isNodeToOmit(const DOMNode& node) const
{
    for (const auto& omitted : m_nodesToOmit) {
        if (omitted.lock().get() == &node)
            return true;
    }
    return false;
}

// An element whose start tag is written and whose children are still to come.
struct VornickHTMLWriter::OpenElement {
    DOMElement* element { nullptr };
    const ElementTraits* traits { nullptr };
    DOMNode* contents { nullptr };
    unsigned indentLevel { 0 };
    unsigned childIndentLevel { 0 };
    bool forSearch { false };
    bool writesOwnChildren { true };
    bool indent { false };
    bool isInline { false };
    bool blockContent { false };
    bool headingGap { false };
    bool formatting { false };
    bool keepsWhitespace { false };
    bool savedSuppressEscaping { false };
};

// Pages nest as deep as browsers build them, so the walk keeps its own stack
// of children lists rather than recursing once per level.
void VornickHTMLWriter::appendHTMLForNode(DOMNode& node, unsigned indentLevel)
{
    auto open = appendHTMLForNodeOpening(node, indentLevel);
    if (open)
        appendHTMLForOpenElements(std::move(*open), nullptr, indentLevel);
}

void VornickHTMLWriter::appendHTMLForChildrenOfNode(DOMNode& node, unsigned indentLevel)
{
    appendHTMLForOpenElements(std::nullopt, node.first(), indentLevel);
}

void VornickHTMLWriter::appendHTMLForOpenElements(std::optional<OpenElement> root, DOMNode* firstChild,
                                                  unsigned indentLevel)
{
    // One children list: a template's contents, or an element's (or the
    // starting node's) own children.
    struct ChildrenList {
        DOMNode* next;
        unsigned indentLevel;
        std::optional<OpenElement> owner;
        bool ownChildrenFollow;
    };
    std::vector<ChildrenList> lists;
    auto beginChildrenOf = [&](OpenElement&& open) {
        if (open.contents) {
            DOMNode* first = open.contents->first();
            unsigned level = open.childIndentLevel;
            bool ownFollow = open.writesOwnChildren;
            lists.push_back({ first, level, std::move(open), ownFollow });
        } else if (open.writesOwnChildren) {
            DOMNode* first = open.element->first();
            unsigned level = open.childIndentLevel;
            lists.push_back({ first, level, std::move(open), false });
        } else {
            appendHTMLForElementClosing(open);
        }
    };
    if (root)
        beginChildrenOf(std::move(*root));
    else
        lists.push_back({ firstChild, indentLevel, std::nullopt, false });

    while (!lists.empty()) {
        if (DOMNode* child = lists.back().next) {
            lists.back().next = child->next();
            if (auto open = appendHTMLForNodeOpening(*child, lists.back().indentLevel))
                beginChildrenOf(std::move(*open));
            continue;
        }
        closeOpenWhitespaceNode();
        ChildrenList finished = std::move(lists.back());
        lists.pop_back();
        if (!finished.owner)
            continue;
        if (finished.ownChildrenFollow) {
            DOMNode* first = finished.owner->element->first();
            unsigned level = finished.owner->childIndentLevel;
            lists.push_back({ first, level, std::move(finished.owner), false });
            continue;
        }
        appendHTMLForElementClosing(*finished.owner);
    }
}

std::optional<VornickHTMLWriter::OpenElement> VornickHTMLWriter::appendHTMLForNodeOpening(DOMNode& node,
                                                                                         unsigned indentLevel)
{
    if (!m_nodesToOmit.empty() && isNodeToOmit(node)) {
        closeOpenWhitespaceNode();
        bool isElement = node.nodeType() == DOMNode::ELEMENT_NODE;
        std::u16string_view name = isElement ? std::u16string_view(downcast<DOMElement>(node).tagName()) : u"DOMText";
        uint16_t type = isElement ? DOMNode::ELEMENT_NODE : DOMNode::TEXT_NODE;
        beginMapNode(type, name);
        endMapNode(type, name);
        return std::nullopt;
    }
    switch (node.nodeType()) {
    case DOMNode::ELEMENT_NODE:
        return appendHTMLForElementOpening(downcast<DOMElement>(node), indentLevel);
    case DOMNode::TEXT_NODE:
    case DOMNode::CDATA_SECTION_NODE:
        appendHTMLForText(node, indentLevel);
        break;
    case DOMNode::COMMENT_NODE:
        appendHTMLForComment(downcast<DOMComment>(node), indentLevel);
        break;
    case DOMNode::DOCUMENT_TYPE_NODE:
        appendHTMLForDocumentTypeNode(downcast<DOMDocumentType>(node));
        break;
    case DOMNode::PROCESSING_INSTRUCTION_NODE:
        appendHTMLForProcessingInstruction(node);
        break;
    default:
        break;
    }
    return std::nullopt;
}

// --- Elements

// Writes the start tag; the element is returned open when its children and
// end tag are still to be written (appendHTMLForElementClosing).
std::optional<VornickHTMLWriter::OpenElement> VornickHTMLWriter::appendHTMLForElementOpening(DOMElement& element,
                                                                                            unsigned indentLevel)
{
    if (inReplacedWordPressBlock())
        return std::nullopt;
    const ElementTraits& traits = traitsForElement(element);
    // A template's contents are written as its children (before any children
    // of its own, which a parser would add to the contents as well).
    DOMNode* contents = element.templateContent();
    const bool hasChildren = element.first() || (contents && contents->first());
    // Only an element that has no end tag in HTML is written without one.
    const bool empty = !hasChildren && (m_writingXML ? traits.usuallyEmpty : traits.isVoid);

    OpenElement open;
    open.element = &element;
    open.traits = &traits;
    open.contents = contents;
    open.indentLevel = indentLevel;

    if (m_generatingSearchString) {
        breakContiguousTextAtBoundaryOfElement(traits);
        closeOpenWhitespaceNode();
        beginMapElement(element);
        if (empty || traits.head) {
            endMapElement(element);
            return std::nullopt;
        }
        open.forSearch = true;
        return open;
    }

    const auto& preferences = m_formattingPreferences;
    DOMElement* parentElement = toElement(element.parent());
    bool isInline = traits.layoutInline() || (traits.nonRendered && nonRenderedElementIsAmidInlineContent(element));
    if (!inWordPressBlock() && traits.img && parentElement && traitsForElement(*parentElement).picture)
        isInline = false;
    bool blockContent = false;
    if (traits.inlineUnlessBlockChild) {
        isInline = true;
        for (DOMNode* child = element.first(); child; child = child->next()) {
            if (auto* childElement = toElement(child)) {
                if (!traitsForElement(*childElement).layoutInline())
                    isInline = false;
                break;
            }
        }
        blockContent = !isInline;
    }
    const bool indent = preferences.indentBlockElements() && !isInline
        && !(preferences.dontIndentHeadOrBody() && traits.headBodyOrFrameset);
    const bool headingGap = preferences.insertBlankLineBeforeAndAfterHeadings() && traits.heading;
    const bool formatting = m_preformattedDepth == 0;
    Block* block = m_blocks.empty() ? nullptr : &m_blocks.back();
    auto layoutSeparator = m_keepsWordPressBlockLayout ? blockLayoutSeparatorBefore(element) : std::nullopt;

    if (layoutSeparator) {
        m_lastNodeWasBR = false;
        closeOpenWhitespaceNode();
        appendStringWithNewlines(*layoutSeparator, TK_OTHER_TEXT);
    } else if (formatting && (!block || block->firstElement) && preferences.putBlockElementTagsOnNewLine() && !isInline
               && parentElement) {
        m_lastNodeWasBR = false;
        appendLineBreak(indentLevel, indent, headingGap);
    } else {
        clearBRWithIndentLevel(indentLevel);
    }

    closeOpenWhitespaceNode();
    beginMapElement(element);

    appendCharacter(u'<', TK_MARKUP_PUNCTUATION);
    appendString(traits.writtenName, TK_TAG_NAME);
    if (element.hasAttributes())
        appendAttributes(element, traits);
    if (empty && (m_writingXML || m_spec->isXHTML() || preferences.closeEmptyElementsWithASlash())) {
        if (preferences.insertSpaceBeforeEmptyElementSlash())
            appendCharacter(u' ', TK_OTHER_TEXT);
        appendCharacter(u'/', TK_MARKUP_PUNCTUATION);
    }
    appendCharacter(u'>', TK_MARKUP_PUNCTUATION);
    if (block)
        block->firstElement = false;

    open.indent = indent;
    open.isInline = isInline;
    open.blockContent = blockContent;
    open.headingGap = headingGap;
    open.formatting = formatting;
    if (empty) {
        finishElement(open);
        return std::nullopt;
    }

    if (contents && m_textRecord)
        m_textRecord->wroteTemplateContents = true;
    open.keepsWhitespace = traits.preformatted || traits.rawText || traits.code
        || (formatting && m_stylesMayKeepWhitespace && keepsWhitespaceByStyle(element));
    open.savedSuppressEscaping = m_suppressEscaping;
    if (traits.rawText && !m_writingXML)
        m_suppressEscaping = true;
    if (open.keepsWhitespace)
        ++m_preformattedDepth;
    // The parser drops one line break right after these start tags.
    if (traits.preformatted && !m_writingXML && element.first() && element.first()->isTextNode()
        && downcast<DOMCharacterData>(element.first())->data().starts_with(u'\n'))
        appendString(*m_newlineString, TK_OTHER_TEXT);

    bool wroteEmbedURL = traits.div && inWordPressBlock() && parentElement && traitsForElement(*parentElement).figure
        && hasClass(element, u"wp-block-embed__wrapper") && writeEmbedWrapperURL(element);
    open.writesOwnChildren = !wroteEmbedURL;
    open.childIndentLevel = indent ? indentLevel + 1 : indentLevel;
    return open;
}

void VornickHTMLWriter::appendHTMLForElementClosing(const OpenElement& open)
{
    const ElementTraits& traits = *open.traits;
    if (open.forSearch) {
        breakContiguousTextAtBoundaryOfElement(traits);
        endMapElement(*open.element);
        return;
    }
    // The parser reads everything after a plaintext start tag as its text.
    if (traits.plaintext && !m_writingXML)
        m_inPlaintext = true;

    if (open.keepsWhitespace)
        --m_preformattedDepth;
    m_suppressEscaping = open.savedSuppressEscaping;

    if (open.formatting && !open.keepsWhitespace
        && (open.blockContent
            || (!inWordPressBlock() && !open.isInline && !traits.contentUsuallyInline
                && m_formattingPreferences.putBlockElementTagsOnNewLine()))) {
        m_lastNodeWasBR = false;
        appendLineBreak(open.indentLevel, open.indent);
    }
    // A void element has no end tag in HTML; "</br>" would even make another one.
    if (m_writingXML || !traits.isVoid) {
        appendCharacter(u'<', TK_MARKUP_PUNCTUATION);
        appendCharacter(u'/', TK_MARKUP_PUNCTUATION);
        appendString(traits.writtenName, TK_TAG_NAME);
        appendCharacter(u'>', TK_MARKUP_PUNCTUATION);
    }
    finishElement(open);
}

void VornickHTMLWriter::finishElement(const OpenElement& open)
{
    if (open.formatting && !inWordPressBlock() && open.headingGap
        && m_formattingPreferences.putBlockElementTagsOnNewLine())
        appendString(*m_newlineString, TK_OTHER_TEXT);

    endMapElement(*open.element);
    m_lastNodeWasBR = open.traits->br;
}

bool VornickHTMLWriter::writeEmbedWrapperURL(DOMElement& wrapper)
{
    DOMNode* figure = wrapper.parent();
    auto comment = vornick_previousCommentWithPrefix(*figure, u"wp:");
    if (!comment)
        return false;
    auto metadata = VornickWordPressBlockMetadata::blockMetadataWithOpeningCommentText(
        downcast<DOMCharacterData>(*comment).data());
    if (!metadata)
        return false;
    auto url = metadata->stringForProperty(u"url");
    if (!url)
        return false;
    // The properties are the post's own text: the URL is escaped like any text.
    appendString(*m_newlineString, TK_OTHER_TEXT);
    appendString(stringByEscapingSpecialCharactersToHTMLEntitiesInString(*url), TK_OTHER_TEXT);
    appendString(*m_newlineString, TK_OTHER_TEXT);
    return true;
}

void VornickHTMLWriter::appendAttributes(DOMElement& element, const ElementTraits& traits)
{
    const auto& preferences = m_formattingPreferences;
    const char16_t quote = preferences.encloseAttributeValuesInDoubleQuotes() ? u'"' : u'\'';
    std::u16string scratch;
    for (const auto& attribute : element.attributeList()) {
        const std::u16string& name = attribute.name;
        std::u16string_view value = attribute.value;
        // Only a value that says nothing more than the name is left out.
        const bool isBoolean = m_writeBooleanAttributesAsNameOnly
            && (attribute.value.empty() || equalsIgnoringASCIICase(attribute.value, name)) && isAttributeBoolean(traits, name);

        // The body's style is written again only to take back what making
        // the page editable changed in it; else it stays as written.
        if (traits.body && m_bodyElementStyleChangesToApply && changesAnything(*m_bodyElementStyleChangesToApply)
            && equalsIgnoringASCIICase(name, u"style")) {
            Dictionary properties;
            if (auto style = element.style()) {
                for (auto& [property, propertyValue] : vornick_propertiesDictionary(*style))
                    properties[property] = Value(propertyValue);
            }
            properties = vornick_dictionaryByApplyingChanges(properties, *m_bodyElementStyleChangesToApply);
            if (properties.empty())
                continue;
            scratch.clear();
            for (auto& [property, propertyValue] : properties)
                scratch += property + u": " + propertyValue.stringValue() + u"; ";
            value = scratch;
        } else if (equalsIgnoringASCIICase(name, u"class") && !isWrittenAsItsOwnClassList(value)) {
            // Without the editor's own classes, single spaces between names;
            // an attribute that held only the editor's classes goes.
            scratch.clear();
            bool hadEditorClass = false;
            size_t i = 0;
            while (i < value.size()) {
                while (i < value.size() && isSpaceCharacter(value[i]))
                    ++i;
                size_t start = i;
                while (i < value.size() && !isSpaceCharacter(value[i]))
                    ++i;
                auto className = value.substr(start, i - start);
                if (className.starts_with(VornickClassPrefix))
                    hadEditorClass = true;
                if (className.empty() || className.starts_with(VornickClassPrefix))
                    continue;
                if (!scratch.empty())
                    scratch += u' ';
                scratch += className;
            }
            if (scratch.empty() && hadEditorClass)
                continue;
            value = scratch;
        } else if (m_documentURLForAbsoluteURLResolution
                   && (vornick_isURLAttributeOnElementKind(name, traits.lowerName)
                       || (m_relocatedDocumentURL && namesFileOfPageBesideURLAttributes(name, traits.lowerName)))
                   && !vornick_containsOnlyHTMLWhitespace(value)) {
            scratch = resolvedURLAttributeValue(attribute.value);
            value = scratch;
        }

        appendCharacter(u' ', TK_OTHER_TEXT);
        if (traits.uppercaseAttributeNames || (!m_writingXML && name.find(u'\0') != std::u16string::npos)) {
            std::u16string writtenName = traits.uppercaseAttributeNames ? asciiUppercase(name) : name;
            appendString(m_writingXML ? writtenName : withoutNUL(writtenName), TK_ATTRIBUTE_NAME);
        } else {
            appendString(name, TK_ATTRIBUTE_NAME);
        }
        if (isBoolean)
            continue;
        appendCharacter(u'=', TK_MARKUP_PUNCTUATION);
        appendCharacter(quote, TK_MARKUP_PUNCTUATION);
        appendEscapedAttributeValue(value, quote);
        appendCharacter(quote, TK_MARKUP_PUNCTUATION);
    }
}

std::u16string VornickHTMLWriter::resolvedURLAttributeValue(const std::u16string& value)
{
    if (auto found = m_resolvedURLAttributeValues.find(value); found != m_resolvedURLAttributeValues.end())
        return found->second;
    const URL& documentURL = *m_documentURLForAbsoluteURLResolution;
    auto written = [&]() -> std::u16string {
        if (m_relocatedDocumentURL)
            return vornick_referenceRelocated(value, documentURL, *m_relocatedDocumentURL);
        auto resolved = URL::create(value, &documentURL);
        if (!resolved)
            return value;
        URL absolute = resolved->absoluteURL().standardized();
        if (m_rootFileURL) {
            if (!m_rootFileKeyPrefix) {
                // As vornick_isDirectoryURLThatEncompasses compares them.
                m_rootFileKeyPrefix = vornick_normalizedUniqueKeyString(*m_rootFileURL);
                if (m_rootFileKeyPrefix->empty() || m_rootFileKeyPrefix->back() != u'/')
                    *m_rootFileKeyPrefix += u'/';
            }
            if (vornick_normalizedUniqueKeyString(absolute).starts_with(*m_rootFileKeyPrefix)) {
                if (!m_documentFolderURL)
                    m_documentFolderURL = documentURL.URLByDeletingLastPathComponent();
                if (auto relative = vornick_URLStringRelativeToBaseURL(absolute, *m_documentFolderURL))
                    return *relative;
            }
        }
        return absolute.absoluteString();
    }();
    return m_resolvedURLAttributeValues.emplace(value, std::move(written)).first->second;
}

// --- Escaping

bool VornickHTMLWriter::encodingHoldsCharacter(char32_t character)
{
    if (m_encodingHoldsEverything || character < 0x80)
        return true;
    if (character < 0x10000 && !m_encodability.empty() && m_encodability[character])
        return m_encodability[character] == 1;
    bool held = canEncode(character, m_encodingName);
    if (character < 0x10000) {
        if (m_encodability.empty())
            m_encodability.assign(0x10000, 0);
        m_encodability[character] = held ? 1 : 2;
    }
    return held;
}

void VornickHTMLWriter::appendNumericReference(char32_t character)
{
    char buffer[16];
    if (m_formattingPreferences.useDecimalCharacterReferences())
        std::snprintf(buffer, sizeof buffer, "&#%u;", static_cast<unsigned>(character));
    else
        std::snprintf(buffer, sizeof buffer, "&#x%X;", static_cast<unsigned>(character));
    appendString(toUTF16(buffer), TK_ATTRIBUTE_VALUE);
}

void VornickHTMLWriter::appendEscapedAttributeValue(std::u16string_view value, char16_t quote)
{
    size_t runStart = 0;
    auto flush = [&](size_t end) {
        if (end > runStart)
            appendString(value.substr(runStart, end - runStart), TK_ATTRIBUTE_VALUE);
    };
    for (size_t i = 0; i < value.size(); ++i) {
        char16_t c = value[i];
        const char16_t* replacement = nullptr;
        if (c == u'&')
            replacement = u"&amp;";
        else if (c == quote)
            // "&apos;" came from XML: HTML 4 does not know it.
            replacement = quote == u'"' ? u"&quot;" : (m_writingXML || m_spec->isXHTML()
                                                   || m_spec->documentType() == VornickHTMLDocumentType::HTML5 ? u"&apos;" : u"&#39;");
        else if (m_writingXML && c == u'<')
            replacement = u"&lt;";
        else if (m_writingXML && c == u'\t')
            replacement = u"&#9;";
        else if (m_writingXML && c == u'\n')
            replacement = u"&#10;";
        else if (c == u'\r')
            replacement = u"&#13;";
        else if (VornickIsControlCharacterWrittenAsReference(c)) {
            // Raw, a parser would give back U+FFFD.
            flush(i);
            appendNumericReference(c);
            runStart = i + 1;
            continue;
        }
        if (replacement) {
            flush(i);
            appendString(replacement, TK_ATTRIBUTE_VALUE);
            runStart = i + 1;
            continue;
        }
        if (c < 0x80 || m_encodingHoldsEverything)
            continue;
        char32_t character = c;
        size_t units = 1;
        if (U16_IS_LEAD(c) && i + 1 < value.size() && U16_IS_TRAIL(value[i + 1])) {
            character = U16_GET_SUPPLEMENTARY(c, value[i + 1]);
            units = 2;
        } else if (U16_IS_SURROGATE(c)) {
            character = 0xFFFD;
        }
        if (units == 1 && character == c && encodingHoldsCharacter(character))
            continue;
        if (units == 2 && encodingHoldsCharacter(character)) {
            ++i;
            continue;
        }
        flush(i);
        appendNumericReference(character);
        i += units - 1;
        runStart = i + 1;
    }
    flush(value.size());
}

std::u16string VornickHTMLWriter::stringByEscapingSpecialCharactersToHTMLEntitiesInString(std::u16string_view text)
{
    return m_spec->stringByEscapingSpecialCharactersInString(text, m_encodingName, escapeOptions());
}

unsigned VornickHTMLWriter::escapeOptions() const
{
    const auto& preferences = m_formattingPreferences;
    unsigned options = 0;
    if (preferences.useNativeSpecialCharacters())
        options |= VornickEscapeOptionNativeCharacters;
    if (preferences.useNamedCharacterReferences() && !m_spec->isXHTML() && !m_writingXML)
        options |= VornickEscapeOptionNamedReferences;
    if (preferences.useDecimalCharacterReferences())
        options |= VornickEscapeOptionDecimalReferences;
    if (preferences.dontEscapeGreaterThanCharacter())
        options |= VornickEscapeOptionDontEscapeGreaterThan;
    return options;
}

// --- Text

void VornickHTMLWriter::appendHTMLForText(DOMNode& node, unsigned indentLevel)
{
    if (inReplacedWordPressBlock())
        return;
    const std::u16string& data = downcast<DOMCharacterData>(node).data();
    // Whitespace-only text leaves a pending line break to the next node, so
    // that a break and a closing line break never make a blank line.
    if (!m_preformattedDepth && node.nodeType() == DOMNode::TEXT_NODE && isCollapsibleWhitespaceOnly(data, m_substitute)) {
        if (m_keepsWordPressBlockLayout && writesBlockLayoutWhitespace(node))
            appendBlockLayoutWhitespace(node);
        else
            skipWhitespaceNode(node);
        return;
    }
    const bool brWroteLineBreak = clearBRWithIndentLevel(indentLevel);

    if (m_writingXML && node.nodeType() == DOMNode::CDATA_SECTION_NODE && !m_generatingSearchString) {
        closeOpenWhitespaceNode();
        beginMapNode(DOMNode::TEXT_NODE, u"DOMText");
        std::u16string section = u"<![CDATA[";
        for (size_t i = 0; i < data.size(); ++i) {
            if (data.compare(i, 3, u"]]>") == 0) {
                section += u"]]]]><![CDATA[>";
                i += 2;
            } else {
                section += data[i];
            }
        }
        section += u"]]>";
        appendStringWithNewlines(section, TK_OTHER_TEXT);
        endMapNode(DOMNode::TEXT_NODE, u"DOMText");
        return;
    }

    closeOpenWhitespaceNode();
    // The map leaves out whitespace-only text, as the map of a file's own
    // source does: a place in either source finds the same node.
    const bool mappedAsWhitespace = m_output->map && m_output->map->omitsWhitespaceNodes()
        && node.nodeType() == DOMNode::TEXT_NODE && vornick_containsOnlyHTMLWhitespace(data);
    if (mappedAsWhitespace)
        m_output->map->beginWhitespaceNodeAtOffset(m_output->text.size());
    else
        beginMapNode(DOMNode::TEXT_NODE, u"DOMText");

    // Most texts hold neither U+00A0 nor the substitute: unless the splice
    // record needs it, no look at their ancestors is made for them.
    const bool mapSubstitute = m_substitute
        && (m_textRecord || std::any_of(data.begin(), data.end(), [this](char16_t c) { return c == 0xA0 || c == m_substitute; }))
        && (m_writingRangeInBody || isInBody(node));
    bool trimStart = false;
    bool trimEnd = false;
    if (!m_preformattedDepth) {
        DOMNode* parent = node.parent();
        auto* parentElement = toElement(parent);
        bool parentIsBlock = !parentElement || isLaidOutAsBlock(*parentElement);
        DOMNode* next = node.next();
        trimStart = brWroteLineBreak || (!node.previous() && parentIsBlock);
        // Nor does whitespace after a block: kept, it would grow by the
        // line break written after the block on every save.
        if (auto* previousElement = toElement(node.previous()))
            trimStart = trimStart || isLaidOutAsBlock(*previousElement);
        trimEnd = (!next && parentIsBlock);
        if (auto* nextElement = toElement(next))
            trimEnd = isLaidOutAsBlock(*nextElement);
    }

    // The map counts offsets in the span from the first character written,
    // which is not the node's first when leading whitespace is trimmed.
    if (trimStart && !mappedAsWhitespace && m_output->map)
        m_output->map->setDOMStartOffsetOfOpenNode(VornickLeadingTrimmedLength(data, mapSubstitute));

    if (m_generatingSearchString || m_suppressEscaping) {
        std::u16string text = data;
        if (mapSubstitute) {
            const std::pair<char16_t, char16_t> replacements[] = { { 0xA0, u' ' }, { m_substitute, 0xA0 } };
            vornick_mapCharactersUsingReplacements(text, replacements);
        }
        if (m_generatingSearchString)
            text = vornick_stringByRevertingTypographicSubstitutions(text);
        std::u16string_view prepared = trimmedOfSpaces(text, trimStart, trimEnd);
        auto* parentElement = toElement(node.parent());
        const ElementTraits* parentTraits = parentElement && !m_generatingSearchString ? &traitsForElement(*parentElement) : nullptr;
        if (m_generatingSearchString)
            appendString(prepared, TK_OTHER_TEXT);
        else if (parentTraits && parentTraits->lowerName == u"script")
            appendStringWithNewlines(VornickScriptTextReadingBackAsItself(prepared), TK_OTHER_TEXT);
        else if (parentTraits && parentTraits->rawText && !parentTraits->plaintext)
            appendStringWithNewlines(neutralizedRawText(prepared, parentTraits->lowerName), TK_OTHER_TEXT);
        else
            appendStringWithNewlines(prepared, TK_OTHER_TEXT);
    } else {
        // Written straight into the output, without a string of its own.
        Output& output = *m_output;
        size_t start = output.text.size();
        if (!m_inPlaintext) {
            appendWrittenText(output.text, data, mapSubstitute, trimStart, trimEnd);
            if (output.attributed && output.text.size() > start && (output.runs.empty() || output.runs.back().second != TK_OTHER_TEXT))
                output.runs.emplace_back(start, TK_OTHER_TEXT);
        }
        if (m_textRecord && !mappedAsWhitespace && !m_inPlaintext && node.nodeType() == DOMNode::TEXT_NODE)
            recordWrittenText(node, start, mapSubstitute, trimStart, trimEnd);
    }
    if (mappedAsWhitespace)
        m_output->map->endWhitespaceNodeAtOffset(m_output->text.size());
    else
        endMapNode(DOMNode::TEXT_NODE, u"DOMText");
}

void VornickHTMLWriter::recordWrittenText(DOMNode& node, size_t start, bool mapSubstitute, bool trimStart, bool trimEnd)
{
    const std::u16string& data = downcast<DOMCharacterData>(node).data();
    size_t length = m_output->text.size() - start;
    if (!length || VornickIsWhitespaceForTextRecord(data, m_substitute, m_textRecord->documentSubstitute))
        return;
    TextRecord::Text text { &node, start, length, mapSubstitute, trimStart, trimEnd };
    if (trimStart)
        text.trimmedBefore = VornickLeadingTrimmedLength(data, mapSubstitute);
    auto* parent = toElement(node.parent());
    if (parent && !m_writingXML && parent->first() == &node && traitsForElement(*parent).preformatted) {
        text.firstInPreformatted = true;
        text.startsWithLineBreak = data.starts_with(u'\n');
    }
    m_textRecord->texts.push_back(text);
}

std::u16string VornickHTMLWriter::writtenText(std::u16string_view data, bool mapSubstitute, bool trimStart, bool trimEnd)
{
    std::u16string written;
    written.reserve(data.size() + data.size() / 8);
    appendWrittenText(written, data, mapSubstitute, trimStart, trimEnd);
    return written;
}

void VornickHTMLWriter::appendWrittenText(std::u16string& out, std::u16string_view data, bool mapSubstitute, bool trimStart,
                                          bool trimEnd)
{
    std::u16string mapped;
    if (mapSubstitute) {
        mapped = data;
        const std::pair<char16_t, char16_t> replacements[] = { { 0xA0, u' ' }, { m_substitute, 0xA0 } };
        vornick_mapCharactersUsingReplacements(mapped, replacements);
        data = mapped;
    }
    const size_t start = out.size();
    m_spec->appendByEscapingSpecialCharacters(out, trimmedOfSpaces(data, trimStart, trimEnd), m_encodingName, escapeOptions());
    // "]]>" may not stand in XML text, whatever the rule for ">".
    if (m_writingXML) {
        for (size_t i = out.find(u"]]>", start); i != std::u16string::npos; i = out.find(u"]]>", i + 2))
            out.replace(i + 2, 1, u"&gt;");
    }
    // Line breaks of the content in the output's convention.
    if (m_newlineConvention == VornickNewlineConvention::LF || out.find(u'\n', start) == std::u16string::npos)
        return;
    std::u16string escaped = out.substr(start);
    out.resize(start);
    out.reserve(start + escaped.size() + escaped.size() / 8);
    for (char16_t c : escaped) {
        if (c == u'\n')
            out += *m_newlineString;
        else
            out += c;
    }
}

// --- Comments and WordPress blocks

void VornickHTMLWriter::appendHTMLForComment(DOMComment& comment, unsigned indentLevel)
{
    const std::u16string& data = comment.data();
    const bool search = m_generatingSearchString;
    auto blockComment = search ? VornickWordPressBlockComment() : VornickWordPressBlockCommentFromCommentData(data);

    // Ends the block that a closing comment matches; answers whether that
    // block was replaced (its closing comment is then not written).
    auto closeBlock = [&](bool& matched) {
        matched = false;
        for (size_t index = m_blocks.size(); index-- > 0;) {
            if (m_blocks[index].typeName != blockComment.typeName)
                continue;
            matched = true;
            bool replaced = m_blocks[index].replaced;
            bool enclosedInReplaced = false;
            for (size_t outer = 0; outer < index; ++outer)
                enclosedInReplaced = enclosedInReplaced || m_blocks[outer].replaced;
            // A replaced block left open inside would have swallowed content.
            for (size_t inner = m_blocks.size(); inner-- > index + 1;) {
                if (m_blocks[inner].replaced && !m_unclosedReplacedBlockComment)
                    m_unclosedReplacedBlockComment = m_blocks[inner].openingComment;
            }
            for (size_t popped = index; popped < m_blocks.size(); ++popped) {
                if (m_blocks[popped].replaced)
                    --m_replacedBlockCount;
            }
            m_blocks.resize(index);
            return replaced || enclosedInReplaced;
        }
        return false;
    };

    if (inReplacedWordPressBlock()) {
        // Nothing inside a replaced block is written; its structure is followed.
        if (blockComment.kind == VornickWordPressBlockCommentKind::Opening)
            m_blocks.push_back({ blockComment.typeName, &comment, false, true });
        else if (blockComment.kind == VornickWordPressBlockCommentKind::Closing) {
            bool matched = false;
            closeBlock(matched);
        }
        return;
    }

    if (m_textRecord && !m_textRecord->texts.empty()) {
        // What follows may look back at the last characters of a text.
        auto& last = m_textRecord->texts.back();
        if (last.start + last.length == m_output->text.size())
            last.followedByLookBack = true;
    }
    if (!search)
        clearBRWithIndentLevel(indentLevel);
    const bool whitespaceBefore = m_inReplacedWhitespace;
    closeOpenWhitespaceNode();
    beginMapNode(DOMNode::COMMENT_NODE, u"*");
    if (search) {
        endMapNode(DOMNode::COMMENT_NODE, u"*");
        return;
    }

    const bool childOfDocument = comment.parent() && comment.parent()->isDocumentNode();
    if (childOfDocument && data.starts_with(u"?xml") && data.ends_with(u"?")) {
        appendString(u"<" + data + u">", TK_XML_DECLARATION);
        appendString(*m_newlineString, TK_OTHER_TEXT);
        endMapNode(DOMNode::COMMENT_NODE, u"*");
        return;
    }

    auto layoutSeparator = m_keepsWordPressBlockLayout ? blockLayoutSeparatorBefore(comment) : std::nullopt;
    std::u16string written = data;
    switch (blockComment.kind) {
    case VornickWordPressBlockCommentKind::Opening:
    case VornickWordPressBlockCommentKind::SelfClosing: {
        bool replaceable = !m_commentsNotToReplace.count(&comment);
        std::shared_ptr<const VornickGeneralFragmentDescription> description;
        if (replaceable && m_lookup) {
            description = m_lookup(comment);
            if (m_textRecord)
                m_textRecord->blockLookups.emplace_back(&comment, description);
        }
        if (description && !description->blockSourceString().empty()) {
            auto source = trimmedOfSpaces(description->blockSourceString(), true, true);
            if (!m_keepsWordPressBlockLayout) {
                appendString(std::u16string(source) + u"\n\n", TK_COMMENT);
            } else {
                // The whitespace after the block is the post's own.
                if (layoutSeparator)
                    appendStringWithNewlines(*layoutSeparator, TK_OTHER_TEXT);
                else if (!m_output->text.empty())
                    appendLineBreaksUnlessPresent(2);
                appendString(source, TK_COMMENT);
            }
            if (blockComment.kind == VornickWordPressBlockCommentKind::Opening) {
                m_blocks.push_back({ blockComment.typeName, &comment, true, true });
                ++m_replacedBlockCount;
            }
            endMapNode(DOMNode::COMMENT_NODE, u"*");
            return;
        }
        if (blockComment.kind == VornickWordPressBlockCommentKind::Opening) {
            m_blocks.push_back({ blockComment.typeName, &comment, false, true });
            auto next = vornick_nextSiblingSkippingWhitespaceOnlyNodes(comment);
            auto nextElement = toElement(next);
            if (replaceable && nextElement && hasClass(*nextElement, u"brevanton-empty-block-interior")) {
                if (!trimmedOfSpaces(data, true, true).ends_with(u'/'))
                    written += u'/';
                m_blocks.back().replaced = true;
                ++m_replacedBlockCount;
            }
        }
        break;
    }
    case VornickWordPressBlockCommentKind::Closing: {
        bool matched = false;
        if (closeBlock(matched)) {
            endMapNode(DOMNode::COMMENT_NODE, u"*");
            return;
        }
        break;
    }
    case VornickWordPressBlockCommentKind::None:
        break;
    }

    // A line break between two pieces of inline content would render as a
    // space: only where there is whitespace already, or at a block edge.
    if (layoutSeparator) {
        appendStringWithNewlines(*layoutSeparator, TK_OTHER_TEXT);
    } else if (m_formattingPreferences.putCommentsOnNewLine() && !m_preformattedDepth
               && (whitespaceBefore || (!m_output->text.empty() && isSpaceCharacter(m_output->text.back()))
                   || !whitespaceNodeSeparatesInlineContent(comment))) {
        appendLineBreaksUnlessPresent(inWordPressBlock() ? 2 : 1);
    }
    appendStringWithNewlines(u"<!--" + safeCommentData(written, m_writingXML) + u"-->", TK_COMMENT);
    if (childOfDocument)
        appendString(*m_newlineString, TK_OTHER_TEXT);
    endMapNode(DOMNode::COMMENT_NODE, u"*");
}

// --- Document type and processing instructions

void VornickHTMLWriter::appendHTMLForDocumentTypeNode(DOMDocumentType& doctype)
{
    if (inReplacedWordPressBlock())
        return;
    closeOpenWhitespaceNode();
    beginMapNode(DOMNode::DOCUMENT_TYPE_NODE, u"DOCTYPE");
    if (!m_generatingSearchString) {
        appendCharacter(u'<', TK_MARKUP_PUNCTUATION);
        appendCharacter(u'!', TK_MARKUP_PUNCTUATION);
        appendString(u"DOCTYPE", TK_DOCTYPE);
        appendCharacter(u' ', TK_OTHER_TEXT);
        appendString(doctype.name(), TK_ATTRIBUTE_NAME);
        if (!doctype.publicId().empty()) {
            appendCharacter(u' ', TK_OTHER_TEXT);
            appendString(u"PUBLIC", TK_ATTRIBUTE_NAME);
            appendCharacter(u' ', TK_OTHER_TEXT);
            appendString(quotedIdentifier(doctype.publicId()), TK_ATTRIBUTE_NAME);
            if (!doctype.systemId().empty()) {
                appendCharacter(u' ', TK_OTHER_TEXT);
                appendString(quotedIdentifier(doctype.systemId()), TK_ATTRIBUTE_NAME);
            }
        } else if (!doctype.systemId().empty()) {
            appendCharacter(u' ', TK_OTHER_TEXT);
            appendString(u"SYSTEM", TK_ATTRIBUTE_NAME);
            appendCharacter(u' ', TK_OTHER_TEXT);
            appendString(quotedIdentifier(doctype.systemId()), TK_ATTRIBUTE_NAME);
        }
        if (m_writingXML && !doctype.internalSubset().empty()) {
            appendString(u" [", TK_OTHER_TEXT);
            appendStringWithNewlines(doctype.internalSubset(), TK_DOCTYPE);
            appendCharacter(u']', TK_OTHER_TEXT);
        }
        appendCharacter(u'>', TK_MARKUP_PUNCTUATION);
        appendString(*m_newlineString, TK_OTHER_TEXT);
    }
    endMapNode(DOMNode::DOCUMENT_TYPE_NODE, u"DOCTYPE");
}

void VornickHTMLWriter::appendHTMLForProcessingInstruction(DOMNode& node)
{
    // Only XML has processing instructions; an HTML parser reads them as comments.
    if (inReplacedWordPressBlock() || !m_writingXML)
        return;
    auto& instruction = downcast<DOMProcessingInstruction>(node);
    closeOpenWhitespaceNode();
    beginMapNode(DOMNode::PROCESSING_INSTRUCTION_NODE, instruction.target());
    if (!m_generatingSearchString) {
        std::u16string text = u"<?" + instruction.target();
        if (!instruction.data().empty())
            text += u" " + instruction.data();
        text += u"?>";
        appendString(text, TK_XML_DECLARATION);
        if (node.parent() && node.parent()->isDocumentNode())
            appendString(*m_newlineString, TK_OTHER_TEXT);
    }
    endMapNode(DOMNode::PROCESSING_INSTRUCTION_NODE, instruction.target());
}

} // namespace brevanton
