#include "wordpress/VornickWordPressContentResourceReferencePatcher.h"

#include "blog/VornickWordPressBlog.h"
#include "html/VornickScannedHTMLPart.h"
#include "html/VornickWordPressBlockMetadata.h"
#include "html/VornickWordPressHTMLTreeRecognizer.h"
#include "platform/foundation/Text.h"
#include "toolkit/VornickURLExtensions.h"
#include "wordpress/VornickWordPressMediaItem.h"

#include <algorithm>
#include <charconv>

namespace brevanton {

namespace {

constexpr std::u16string_view imageClassPrefix = u"wp-image-";

bool isQuote(char16_t c) { return c == u'"' || c == u'\''; }

// The leading integer of a text, as services write identifiers: blanks, an
// optional sign, then digits; 0 when there are none or they overflow.
int64_t leadingIntegerValue(std::u16string_view text)
{
    size_t i = 0;
    while (i < text.size() && isHTMLWhitespace(text[i]))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == u'-' || text[i] == u'+'))
        negative = text[i++] == u'-';
    std::string digits;
    while (i < text.size() && text[i] >= u'0' && text[i] <= u'9')
        digits += char(text[i++]);
    int64_t value = 0;
    if (digits.empty() || std::from_chars(digits.data(), digits.data() + digits.size(), value).ec != std::errc())
        return 0;
    return negative ? -value : value;
}

std::u16string decimalString(int64_t value)
{
    return toUTF16(std::to_string(value));
}

// A value written between `quote`: the quote itself always escaped; when the
// value is plain text (not markup taken from the source), "&", "<" and ">" too.
std::u16string escapedForQuote(std::u16string_view value, char16_t quote, bool valueIsMarkup)
{
    std::u16string escaped;
    escaped.reserve(value.size());
    for (char16_t c : value) {
        if (c == quote)
            escaped += quote == u'"' ? u"&quot;" : u"&#39;";
        else if (valueIsMarkup)
            escaped += c;
        else if (c == u'&')
            escaped += u"&amp;";
        else if (c == u'<')
            escaped += u"&lt;";
        else if (c == u'>')
            escaped += u"&gt;";
        else
            escaped += c;
    }
    return escaped;
}

// A value that can be rewritten in place: none, unquoted, or between a pair
// of the same quotes (not one whose closing quote is missing).
bool hasRewritableValue(const VornickScannedHTMLAttributeAssignment& assignment)
{
    const auto& value = assignment.attributeValue();
    if (!value || value->empty() || assignment.attributeValueRange().location == VornickNotFound || !isQuote(value->front()))
        return true;
    return value->size() >= 2 && value->back() == value->front();
}

// The opening comment's text for the metadata. The usual form leaves out
// empty strings, which the server keeps as attributes: when the usual form
// would not read back as the same properties, all of them are written in key
// order.
std::u16string commentTextKeepingProperties(const VornickWordPressBlockMetadata& metadata)
{
    auto text = metadata.encodedAsCommentText();
    auto readBack = VornickWordPressBlockMetadata::blockMetadataWithOpeningCommentText(text);
    const auto& properties = metadata.properties();
    if (readBack && readBack->properties().value_or(Dictionary()) == properties.value_or(Dictionary()))
        return text;
    return u" " + metadata.typeName() + u" " + VornickWordPressBlockMetadata::encodedProperties(properties.value_or(Dictionary()), false) + u" ";
}

} // namespace

VornickWordPressContentResourceReferencePatcher::VornickWordPressContentResourceReferencePatcher(std::shared_ptr<VornickWordPressBlog> blog,
                                                                                                 std::optional<URL> baseURL)
    : m_blog(std::move(blog))
    , m_baseURL(std::move(baseURL))
{
}

VornickWordPressContentResourceReferencePatcher::~VornickWordPressContentResourceReferencePatcher() = default;

void VornickWordPressContentResourceReferencePatcher::htmlTreeRecognizerWillPopPart(VornickHTMLTreeRecognizer&,
                                                                                    const std::shared_ptr<VornickScannedHTMLPart>& part)
{
    if (auto comment = std::dynamic_pointer_cast<VornickScannedHTMLBlockStartComment>(part))
        m_blockStartComments.push_back(std::move(comment));
}

std::optional<std::u16string> VornickWordPressContentResourceReferencePatcher::patchReferencesInHTMLString(const std::u16string& htmlString)
{
    m_blockStartComments.clear();
    m_indexedMediaItems = false;
    m_mediaItemsByIdentifier.clear();
    m_mediaItemsByLocalURLString.clear();
    m_mediaFolderPath.reset();
    VornickWordPressHTMLTreeRecognizer recognizer;
    recognizer.setDelegate(this);
    bool parsed = recognizer.parseHTMLString(htmlString);
    // Blocks left open at the end are blocks too.
    while (!recognizer.partStack().empty())
        recognizer.popPartAndNotify();
    recognizer.setDelegate(nullptr);
    if (!parsed) {
        m_blockStartComments.clear();
        return std::nullopt;
    }
    if (m_blockStartComments.empty())
        return htmlString;

    std::vector<Edit> edits;
    for (size_t i = m_blockStartComments.size(); i-- > 0;)
        patchReferencesInWordPressBlock(*m_blockStartComments[i], htmlString, edits);
    if (edits.empty())
        return htmlString;

    // Each edit lies in one block's own comment or picture tag: none
    // overlaps another, so they apply in one pass in the order of the text.
    std::stable_sort(edits.begin(), edits.end(), [](const Edit& a, const Edit& b) { return a.range.location < b.range.location; });
    std::u16string patched;
    patched.reserve(htmlString.size() + edits.size() * 32);
    size_t copied = 0;
    for (const auto& edit : edits) {
        if (edit.range.location < copied || edit.range.end() > htmlString.size())
            continue;
        patched.append(htmlString, copied, edit.range.location - copied);
        patched += edit.replacement;
        copied = edit.range.end();
    }
    patched.append(htmlString, copied, std::u16string::npos);
    return patched;
}

void VornickWordPressContentResourceReferencePatcher::patchReferencesInWordPressBlock(const VornickScannedHTMLBlockStartComment& block,
                                                                                      std::u16string_view string, std::vector<Edit>& edits)
{
    if (equalsIgnoringASCIICase(block.typeName(), u"wp:image"))
        patchReferencesInWordPressImageBlock(block, string, edits);
}

void VornickWordPressContentResourceReferencePatcher::indexMediaItems()
{
    if (m_indexedMediaItems || !m_blog)
        return;
    m_indexedMediaItems = true;
    // The first of several items with the same key wins, as in a search.
    for (auto& item : m_blog->mediaItems()) {
        std::u16string identifier = item->valueForKey(u"identifierUsedByBlogService").stringValue();
        if (!identifier.empty())
            m_mediaItemsByIdentifier.try_emplace(std::move(identifier), item);
        std::u16string local = item->valueForKey(u"localURLString").stringValue();
        if (!local.empty())
            m_mediaItemsByLocalURLString.try_emplace(std::move(local), item);
    }
    auto folder = m_blog->mediaFolderURL();
    if (auto path = folder ? folder->fileSystemPath() : std::nullopt; path && !path->empty()) {
        m_mediaFolderPath = *path;
        if (m_mediaFolderPath->back() != '/')
            *m_mediaFolderPath += '/';
    }
}

std::shared_ptr<ManagedObject> VornickWordPressContentResourceReferencePatcher::mediaItemForImage(
    const std::optional<std::u16string>& blockIdentifier, const std::optional<std::u16string>& source)
{
    indexMediaItems();
    auto itemWithLocalURLString = [&](const std::u16string& local) -> std::shared_ptr<ManagedObject> {
        auto found = m_mediaItemsByLocalURLString.find(local);
        return found != m_mediaItemsByLocalURLString.end() ? found->second : nullptr;
    };
    if (blockIdentifier) {
        int64_t identifier = leadingIntegerValue(*blockIdentifier);
        if (identifier >= 1) {
            if (auto found = m_mediaItemsByIdentifier.find(decimalString(identifier)); found != m_mediaItemsByIdentifier.end())
                return found->second;
        }
    }
    if (!source || source->empty())
        return nullptr;
    if (auto item = itemWithLocalURLString(*source))
        return item;
    auto resolved = URL::create(*source, m_baseURL ? &*m_baseURL : nullptr);
    if (!resolved || resolved->scheme().empty())
        return nullptr;
    if (auto item = itemWithLocalURLString(vornick_normalizedUniqueKeyString(*resolved)))
        return item;
    // Items also keep their files' paths within the blog's media folder.
    auto path = resolved->isFileURL() && m_mediaFolderPath ? resolved->fileSystemPath() : std::nullopt;
    if (!path || path->size() <= m_mediaFolderPath->size() || !path->starts_with(*m_mediaFolderPath))
        return nullptr;
    return itemWithLocalURLString(toUTF16(path->substr(m_mediaFolderPath->size())));
}

void VornickWordPressContentResourceReferencePatcher::patchReferencesInWordPressImageBlock(const VornickScannedHTMLBlockStartComment& block,
                                                                                           std::u16string_view string, std::vector<Edit>& edits)
{
    auto figure = block.firstChildElementOfKind(u"figure");
    if (!figure)
        return;
    auto image = figure->firstChildElementOfKind(u"img");
    // A linked picture stands inside its link.
    if (!image) {
        if (auto link = figure->firstChildElementOfKind(u"a"))
            image = link->firstChildElementOfKind(u"img");
    }
    auto inner = block.innerRange();
    if (!image || inner.location == VornickNotFound || inner.end() > string.size())
        return;
    auto metadata = VornickWordPressBlockMetadata::blockMetadataWithOpeningCommentText(string.substr(inner.location, inner.length));
    if (!metadata)
        return;

    auto sourceAssignment = image->firstAssignmentOfAttribute(u"src");
    auto classAssignment = image->firstAssignmentOfAttribute(u"class");
    if ((sourceAssignment && !hasRewritableValue(*sourceAssignment)) || (classAssignment && !hasRewritableValue(*classAssignment)))
        return;
    auto item = mediaItemForImage(metadata->stringForProperty(u"id"),
                                  sourceAssignment ? sourceAssignment->attributeValueWithoutQuotes() : std::nullopt);
    if (!item)
        return;
    // The found item's own identifier: a block "id" naming another item (or
    // none) would point the published block at the wrong picture.
    int64_t identifier = leadingIntegerValue(item->valueForKey(u"identifierUsedByBlogService").stringValue());
    if (identifier <= 0)
        return;

    std::optional<std::u16string> address;
    if (auto sizeSlug = metadata->stringForProperty(u"sizeSlug")) {
        auto variant = entityCast<VornickWordPressMediaItem>(item)->variantWithName(*sizeSlug);
        if (auto url = variant ? variant->resolvedSourceURL() : std::nullopt)
            address = url->absoluteString();
    }
    if (!address) {
        std::u16string remote = item->valueForKey(u"remoteURLString").stringValue();
        if (!remote.empty())
            address = std::move(remote);
    }
    std::u16string className = std::u16string(imageClassPrefix) + decimalString(identifier);

    if (classAssignment)
        edits.push_back(setStringValue(replaceClassNamesWithPrefix(imageClassPrefix, *classAssignment, className), *classAssignment, true));
    else {
        // After the last attribute, before any "/" or ">" that ends the tag.
        auto tagRange = image->range();
        size_t at = tagRange.location + 1 + image->tagName().size();
        for (const auto& assignment : image->attributeAssignments())
            at = std::max(at, assignment->range().end());
        if (at <= tagRange.end())
            edits.push_back({ { at, 0 }, u" class=\"" + className + u"\"" });
    }
    if (address && sourceAssignment)
        edits.push_back(setStringValue(*address, *sourceAssignment, false));

    Dictionary properties = metadata->properties().value_or(Dictionary());
    properties[u"id"] = Value(identifier);
    metadata->setProperties(properties);
    edits.push_back({ inner, commentTextKeepingProperties(*metadata) });
}

std::u16string VornickWordPressContentResourceReferencePatcher::replaceClassNamesWithPrefix(std::u16string_view prefix,
                                                                                            const VornickScannedHTMLAttributeAssignment& classAssignment,
                                                                                            std::u16string_view className)
{
    std::u16string value = classAssignment.attributeValueWithoutQuotes().value_or(std::u16string());
    std::u16string result;
    size_t i = 0;
    while (i < value.size()) {
        while (i < value.size() && isHTMLWhitespace(value[i]))
            ++i;
        size_t start = i;
        while (i < value.size() && !isHTMLWhitespace(value[i]))
            ++i;
        std::u16string_view token = std::u16string_view(value).substr(start, i - start);
        if (token.empty() || token.starts_with(prefix))
            continue;
        result += token;
        result += u' ';
    }
    return result + std::u16string(className);
}

VornickWordPressContentResourceReferencePatcher::Edit VornickWordPressContentResourceReferencePatcher::setStringValue(
    std::u16string_view value, const VornickScannedHTMLAttributeAssignment& assignment, bool valueIsMarkup)
{
    auto valueRange = assignment.attributeValueRange();
    const auto& written = assignment.attributeValue();
    if (!written || valueRange.location == VornickNotFound) {
        // A name without a value: it gets one.
        auto range = assignment.range();
        return { range, assignment.attributeName() + u"=\"" + escapedForQuote(value, u'"', valueIsMarkup) + u"\"" };
    }
    char16_t quote = !written->empty() && isQuote(written->front()) ? written->front() : u'"';
    return { valueRange, quote + escapedForQuote(value, quote, valueIsMarkup) + quote };
}

} // namespace brevanton
