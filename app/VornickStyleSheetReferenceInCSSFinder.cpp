#include "app/VornickStyleSheetReferenceInCSSFinder.h"

#include "app/VornickStyleSheetReference.h"
#include "html/VornickCSSScanner.h"
#include "platform/dom/DOMCharacterData.h"
#include "platform/dom/DOMDocument.h"
#include "platform/dom/DOMRange.h"

#include <optional>

namespace brevanton {

namespace {

constexpr std::u16string_view bundledBeginPrefix = u"begin embedded copy of Brevanton stylesheet \"";
constexpr std::u16string_view bundledEnd = u"end embedded copy of Brevanton stylesheet";
constexpr std::u16string_view otherBeginPrefix = u"begin embedded copy of stylesheet \"";
constexpr std::u16string_view otherEnd = u"end embedded copy of stylesheet";

struct Comment {
    std::u16string_view body;
    VornickRange range;
};

class CommentCollector final : public VornickCSSScannerDelegate {
public:
    std::vector<Comment> comments;

    void cssScannerScannedToken(VornickCSSScanner&, VornickCSSScannerToken token, std::u16string_view text,
                                VornickRange range) override
    {
        if (token != VornickCSSScannerTokenComment)
            return;
        // The text between "/*" and "*/", trimmed.
        text.remove_prefix(std::min<size_t>(2, text.size()));
        if (text.ends_with(u"*/"))
            text.remove_suffix(2);
        while (!text.empty() && (text.front() == u' ' || text.front() == u'\t' || text.front() == u'\n' || text.front() == u'\r'))
            text.remove_prefix(1);
        while (!text.empty() && (text.back() == u' ' || text.back() == u'\t' || text.back() == u'\n' || text.back() == u'\r'))
            text.remove_suffix(1);
        comments.push_back({ text, range });
    }
};

struct BeginMarker {
    VornickStyleSheetReferenceKind kind;
    std::u16string name;
    std::optional<std::u16string> version;
};

// `begin embedded copy of Brevanton stylesheet "NAME", Version VERSION` or
// `begin embedded copy of stylesheet "NAME"`.
std::optional<BeginMarker> parseBeginMarker(std::u16string_view body)
{
    BeginMarker marker;
    if (body.starts_with(bundledBeginPrefix)) {
        marker.kind = VornickStyleSheetReferenceKind::EmbeddedBundledStyleSheetCopy;
        body.remove_prefix(bundledBeginPrefix.size());
    } else if (body.starts_with(otherBeginPrefix)) {
        marker.kind = VornickStyleSheetReferenceKind::EmbeddedUserStyleSheetCopy;
        body.remove_prefix(otherBeginPrefix.size());
    } else {
        return std::nullopt;
    }
    auto quote = body.find(u'"');
    if (quote == std::u16string_view::npos || quote == 0)
        return std::nullopt;
    marker.name = std::u16string(body.substr(0, quote));
    auto rest = body.substr(quote + 1);
    if (marker.kind == VornickStyleSheetReferenceKind::EmbeddedBundledStyleSheetCopy) {
        constexpr std::u16string_view versionPrefix = u", Version ";
        if (rest.starts_with(versionPrefix) && rest.size() > versionPrefix.size())
            marker.version = std::u16string(rest.substr(versionPrefix.size()));
    }
    return marker;
}

} // namespace

std::vector<std::shared_ptr<VornickStyleSheetReference>>
VornickStyleSheetReferenceInCSSFinder::findStyleSheetReferencesInCSSString(std::u16string_view css,
                                                                           const std::shared_ptr<DOMText>& textNode) const
{
    std::vector<std::shared_ptr<VornickStyleSheetReference>> references;
    auto document = textNode ? textNode->ownerDocument() : nullptr;
    if (!document)
        return references;

    CommentCollector collector;
    VornickCSSScanner scanner;
    scanner.setDelegate(&collector);
    scanner.parseCSSString(css);

    const auto& comments = collector.comments;
    for (size_t index = 0; index < comments.size(); ++index) {
        auto marker = parseBeginMarker(comments[index].body);
        if (!marker)
            continue;
        auto endBody = marker->kind == VornickStyleSheetReferenceKind::EmbeddedBundledStyleSheetCopy ? bundledEnd : otherEnd;
        size_t endIndex = index + 1;
        while (endIndex < comments.size() && comments[endIndex].body != endBody && !parseBeginMarker(comments[endIndex].body))
            ++endIndex;
        if (endIndex == comments.size() || comments[endIndex].body != endBody)
            continue;
        auto start = comments[index].range.location;
        auto end = comments[endIndex].range.location + comments[endIndex].range.length;
        if (end > textNode->length())
            break;
        auto range = DOMRange::create(*document);
        if (!range->setStart(textNode, static_cast<unsigned>(start)) || !range->setEnd(textNode, static_cast<unsigned>(end)))
            continue;
        references.push_back(VornickStyleSheetReference::createForEmbeddedCopy(marker->kind, std::move(marker->name),
                                                                               std::move(marker->version), *range));
        index = endIndex;
    }
    return references;
}

} // namespace brevanton
