#include "html/VornickHTMLStringResourceReferenceFinder.h"

#include "toolkit/VornickLog.h"
#include "toolkit/VornickStringExtensions.h"
#include "platform/foundation/Text.h"

namespace brevanton {

namespace {

bool is(std::u16string_view a, std::u16string_view b) { return equalsIgnoringASCIICase(a, b); }

// Attributes whose value is one resource URL.
bool isResourceURLAttribute(std::u16string_view tag, std::u16string_view attribute)
{
    if (is(attribute, u"href"))
        return is(tag, u"link");
    if (is(attribute, u"src"))
        return is(tag, u"img") || is(tag, u"frame") || is(tag, u"audio") || is(tag, u"track") || is(tag, u"video")
            || is(tag, u"source") || is(tag, u"embed");
    if (is(attribute, u"poster"))
        return is(tag, u"video");
    if (is(attribute, u"icon"))
        return is(tag, u"menuitem");
    if (is(attribute, u"data"))
        return is(tag, u"object");
    return false;
}

// Attributes holding a list of image candidates.
bool isSrcsetAttribute(std::u16string_view tag, std::u16string_view attribute)
{
    return is(attribute, u"srcset") && (is(tag, u"img") || is(tag, u"source"));
}

bool isQuote(char16_t c) { return c == u'"' || c == u'\''; }

// Browsers read a reference with blanks or other characters outside the URL
// syntax ("my photo.png") by escaping them; so does the finder.
std::u16string escapingCharactersOutsideURLSyntax(std::u16string_view text)
{
    std::u16string result;
    for (char c : toUTF8(text)) {
        auto byte = static_cast<unsigned char>(c);
        if (byte <= 0x20 || byte >= 0x7F || std::u16string_view(u"\"<>\\^`{|}").find(char16_t(byte)) != std::u16string_view::npos) {
            static const char16_t hex[] = u"0123456789ABCDEF";
            result += u'%';
            result += hex[byte >> 4];
            result += hex[byte & 15];
        } else
            result += char16_t(byte);
    }
    return result;
}

} // namespace

std::unordered_set<URL> VornickHTMLStringResourceReferenceFinder::URLsReferencedInHTMLString(std::u16string_view htmlString,
                                                                                            const std::optional<URL>& baseURL)
{
    VornickHTMLStringResourceReferenceFinder finder { std::u16string(htmlString), baseURL };
    finder.parseHTMLString();
    return finder.resourceURLs();
}

VornickHTMLStringResourceReferenceFinder::VornickHTMLStringResourceReferenceFinder(std::u16string htmlString, std::optional<URL> baseURL)
    : m_htmlString(std::move(htmlString)), m_baseURL(std::move(baseURL))
{
    m_scanner.setDelegate(this);
}

bool VornickHTMLStringResourceReferenceFinder::parseHTMLString()
{
    return m_scanner.parseHTMLString(m_htmlString);
}

void VornickHTMLStringResourceReferenceFinder::handleFoundURLString(std::u16string_view, VornickRange, const URL& resolvedURL)
{
    m_resourceURLs.insert(resolvedURL);
}

void VornickHTMLStringResourceReferenceFinder::htmlScannerBeginElementAt(VornickHTMLScanner&, size_t, std::u16string_view tagName)
{
    m_currentElementTag = tagName;
    m_currentAttributeName.clear();
    m_pendingAttributes.clear();
    m_inStartTag = true;
}

void VornickHTMLStringResourceReferenceFinder::htmlScannerScannedToken(VornickHTMLScanner&, VornickHTMLScannerToken token,
                                                                       std::u16string_view string, VornickRange range, const std::u16string*)
{
    if (!m_inStartTag)
        return;
    if (token == VornickHTMLScannerTokenElementAttributeName)
        m_currentAttributeName = string;
    else if (token == VornickHTMLScannerTokenElementAttributeValue && !m_currentAttributeName.empty()) {
        m_pendingAttributes.push_back({ m_currentAttributeName, std::u16string(string), range });
        m_currentAttributeName.clear();
    }
}

void VornickHTMLStringResourceReferenceFinder::htmlScannerEndElementOpenTagAt(VornickHTMLScanner&, size_t, std::u16string_view, size_t)
{
    finishStartTag();
}

void VornickHTMLStringResourceReferenceFinder::htmlScannerEndElementAt(VornickHTMLScanner&, size_t, std::u16string_view)
{
    finishStartTag();
    m_currentElementTag.clear();
    m_currentAttributeName.clear();
}

void VornickHTMLStringResourceReferenceFinder::finishStartTag()
{
    if (!m_inStartTag)
        return;
    m_inStartTag = false;
    bool isImageInput = false;
    if (is(m_currentElementTag, u"input")) {
        for (auto& attribute : m_pendingAttributes) {
            if (is(attribute.name, u"type"))
                isImageInput = is(vornick_stringByTrimmingHTMLAttributeQuotes(attribute.value), u"image");
        }
    }
    for (auto& attribute : m_pendingAttributes) {
        // The range inside the quotes, so that a replacement keeps them.
        VornickRange range = attribute.valueRange;
        std::u16string_view value = attribute.value;
        if (value.size() >= 2 && isQuote(value.front()) && value.back() == value.front()) {
            value = value.substr(1, value.size() - 2);
            range = { range.location + 1, range.length - 2 };
        } else if (!value.empty() && isQuote(value.front())) {
            value = value.substr(1);
            range = { range.location + 1, range.length - 1 };
        }
        if (isSrcsetAttribute(m_currentElementTag, attribute.name)) {
            // Candidates are separated by commas; each is a URL and an optional descriptor.
            size_t i = 0;
            while (i < value.size()) {
                while (i < value.size() && (isHTMLWhitespace(value[i]) || value[i] == u','))
                    ++i;
                size_t urlStart = i;
                while (i < value.size() && !isHTMLWhitespace(value[i]))
                    ++i;
                size_t urlEnd = i;
                // A URL ending in commas leaves them to the separator.
                while (urlEnd > urlStart && value[urlEnd - 1] == u',')
                    --urlEnd;
                if (urlEnd > urlStart)
                    reportReference(value.substr(urlStart, urlEnd - urlStart), { range.location + urlStart, urlEnd - urlStart });
                while (i < value.size() && value[i] != u',')
                    ++i;
            }
            continue;
        }
        bool isReference = isResourceURLAttribute(m_currentElementTag, attribute.name)
            || (isImageInput && is(attribute.name, u"src"));
        if (isReference)
            reportReference(value, range);
    }
    m_pendingAttributes.clear();
}

void VornickHTMLStringResourceReferenceFinder::reportReference(std::u16string_view urlString, VornickRange range)
{
    std::u16string trimmed(urlString);
    while (!trimmed.empty() && isHTMLWhitespace(trimmed.back()))
        trimmed.pop_back();
    size_t leading = 0;
    while (leading < trimmed.size() && isHTMLWhitespace(trimmed[leading]))
        ++leading;
    if (leading == trimmed.size())
        return;
    std::u16string_view candidate = std::u16string_view(trimmed).substr(leading);
    auto url = URL::create(candidate, m_baseURL ? &*m_baseURL : nullptr);
    if (!url)
        url = URL::create(escapingCharactersOutsideURLSyntax(candidate), m_baseURL ? &*m_baseURL : nullptr);
    if (!url) {
        VornickGeneralLog("** FAILED to create resolved URL from {}", std::u16string(candidate));
        return;
    }
    handleFoundURLString(candidate, { range.location + leading, candidate.size() }, *url);
}

std::u16string VornickHTMLStringResourceReferenceReplacer::replacementURLStringForURLString(std::u16string_view urlString, const URL&)
{
    return std::u16string(urlString);
}

void VornickHTMLStringResourceReferenceReplacer::handleFoundURLString(std::u16string_view urlString, VornickRange range,
                                                                      const URL& resolvedURL)
{
    m_referenceRanges.push_back(range);
    m_referenceURLStrings.emplace_back(urlString);
    m_referenceResolvedURLs.push_back(resolvedURL);
}

std::u16string VornickHTMLStringResourceReferenceReplacer::replaceReferencesInHTMLString()
{
    m_referenceRanges.clear();
    m_referenceURLStrings.clear();
    m_referenceResolvedURLs.clear();
    m_referenceRanges.reserve(256);
    m_referenceURLStrings.reserve(256);
    m_referenceResolvedURLs.reserve(256);
    parseHTMLString();
    for (size_t i = 0; i < m_referenceRanges.size(); ++i) {
        VornickGeneralLog("TNS: {{{}, {}}}: {}, resolved to {}", m_referenceRanges[i].location, m_referenceRanges[i].length,
                          m_referenceURLStrings[i], m_referenceResolvedURLs[i].absoluteString());
    }
    VornickGeneralLog("TNS: {} reference URLs found in post body", m_referenceRanges.size());
    std::u16string result = htmlString();
    for (size_t i = m_referenceRanges.size(); i-- > 0;) {
        std::u16string replacement = replacementURLStringForURLString(m_referenceURLStrings[i], m_referenceResolvedURLs[i]);
        VornickRange range = m_referenceRanges[i];
        if (replacement != m_referenceURLStrings[i] && range.end() <= result.size())
            result.replace(range.location, range.length, replacement);
    }
    return result;
}

} // namespace brevanton
