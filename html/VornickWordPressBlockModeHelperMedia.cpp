// Embeds and images as WordPress blocks: the placeholder of an embed block
// waiting for its URL, the embed block a pasted URL becomes when a text
// pattern rule knows its site, and the image block of a media item.
#include "html/VornickWordPressBlockModeHelper.h"

#include "dom/VornickElementExtensions.h"
#include "html/VornickBlockModeHelperInternal.h"
#include "html/VornickFragmentSet.h"
#include "html/VornickGeneralFragmentDescription.h"
#include "html/VornickTextPattern.h"
#include "html/VornickWordPressBlockMetadata.h"
#include "platform/dom/DOMCasts.h"
#include "platform/dom/DOMCharacterData.h"
#include "platform/dom/DOMDocument.h"
#include "platform/dom/DOMElement.h"
#include "platform/foundation/Assertions.h"
#include "platform/foundation/Text.h"

#include <charconv>

namespace brevanton {

using namespace BlockModeHelperDetail;

namespace {

void forEachElement(DOMNode& node, const std::function<void(DOMElement&)>& visit)
{
    for (DOMNode* child = node.first(); child; child = child->next()) {
        if (!child->isElementNode())
            continue;
        visit(downcast<DOMElement>(*child));
        forEachElement(*child, visit);
    }
}

// The first opening block comment among the fragment's top-level nodes.
std::shared_ptr<DOMComment> firstBlockStartComment(DOMDocumentFragment& fragment)
{
    for (DOMNode* child = fragment.first(); child; child = child->next()) {
        if (child->nodeType() != DOMNode::COMMENT_NODE)
            continue;
        auto& comment = downcast<DOMComment>(*child);
        auto kind = VornickWordPressBlockCommentFromCommentData(comment.data()).kind;
        if (kind == VornickWordPressBlockCommentKind::Opening)
            return downcast<DOMComment>(comment.shared_from_this());
    }
    return nullptr;
}

// The decimal identifier as a number (0 when it is none).
long long integerIdentifier(const std::u16string& identifier)
{
    std::string digits = toUTF8(identifier);
    long long value = 0;
    auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
    return error == std::errc() && end == digits.data() + digits.size() ? value : 0;
}

} // namespace

std::shared_ptr<DOMDocumentFragment> VornickWordPressBlockModeHelper::createEmbedPlaceholderWithProperties(
    const Dictionary& properties, const std::u16string& placeholderText, DOMDocument& document)
{
    VornickWordPressBlockMetadata metadata(u"wp:embed", properties);
    std::u16string figureClass = u"wp-block-embed";
    if (auto slug = metadata.stringForProperty(u"providerNameSlug"); slug && !slug->empty())
        figureClass = u"wp-block-embed is-provider-" + *slug + u" wp-block-embed-" + *slug;

    auto figure = document.createElement(u"figure");
    auto wrapper = document.createElement(u"div");
    auto interior = document.createElement(u"span");
    if (!figure || !wrapper || !interior)
        return nullptr;
    (void)figure->setAttribute(u"class", figureClass);
    (void)wrapper->setAttribute(u"class", u"wp-block-embed__wrapper");
    (void)interior->setAttribute(u"class", u"brevanton-empty-block-interior");
    (void)interior->appendChild(document.createTextNode(placeholderText));
    (void)wrapper->appendChild(interior);
    (void)figure->appendChild(wrapper);

    auto fragment = document.createDocumentFragment();
    (void)fragment->appendChild(document.createComment(metadata.encodedAsCommentText()));
    (void)fragment->appendChild(figure);
    (void)fragment->appendChild(document.createComment(u" /wp:embed "));
    return fragment;
}

std::shared_ptr<DOMDocumentFragment> VornickWordPressBlockModeHelper::createFragmentForEmbedWithURLString(const std::u16string& urlString,
                                                                                                       DOMDocument& document)
{
    if (!operatingInBlockMode() || !fragmentSet())
        return nullptr;
    auto match = VornickTextPatternRecognizer::sharedPatternRecognizer().matchString(urlString);
    if (!match || !match->action()->fragmentName())
        return nullptr;
    auto description = fragmentSet()->fragmentDescriptionWithDisplayName(*match->action()->fragmentName());
    if (!description)
        return nullptr;
    auto values = match->values();
    values[u"url"] = urlString;
    auto fragment = description->createDescribedFragmentWithValues(values, document, nullptr);
    if (!fragment)
        return nullptr;
    // The opening comment as WordPress writes a block's attributes ("&", "<",
    // ">", quotes and "--" as escapes), whatever the snippet's JSON spelled.
    for (auto child = fragment->firstChild(); child; child = child->nextSibling()) {
        if (child->nodeType() != DOMNode::COMMENT_NODE)
            continue;
        auto& comment = downcast<DOMCharacterData>(*child);
        if (auto metadata = VornickWordPressBlockMetadata::blockMetadataWithOpeningCommentText(comment.data()))
            (void)comment.setData(metadata->encodedAsCommentText());
        break;
    }
    return fragment;
}

std::shared_ptr<DOMDocumentFragment> VornickWordPressBlockModeHelper::createFragmentForPasteOfURL(const URL& url, const std::u16string& title,
                                                                                                DOMDocument& document)
{
    if (auto embed = createFragmentForEmbedWithURLString(url.absoluteString(), document))
        return embed;
    return VornickBlockModeHelper::createFragmentForPasteOfURL(url, title, document);
}

std::shared_ptr<DOMDocumentFragment> VornickWordPressBlockModeHelper::createImageWithURL(const URL& url, DOMDocument& document,
                                                                                       VornickBlockModeEditingContext* view,
                                                                                       const DOMRange*)
{
    auto* library = dynamic_cast<VornickWordPressMediaLibraryAccess*>(view);
    BREVANTON_ASSERT(library, "[contentEditingView isKindOfClass:[VornickWordPressPostView class]]");
    auto item = library->mediaItemImageForURL(url);
    if (!item)
        return nullptr;
    const std::optional<URL>& used = item->largeVariantSourceURL ? item->largeVariantSourceURL
                                     : item->remoteURL           ? item->remoteURL
                                                                 : item->resolvedLocalURL;
    auto description = fragmentSet() ? fragmentSet()->fragmentDescriptionWithDisplayName(u"Image") : nullptr;
    if (!used || !description)
        return nullptr;

    std::u16string identifier = item->serviceIdentifier.empty() ? std::u16string(u"0") : item->serviceIdentifier;
    std::u16string address = used->absoluteString();
    auto fragment = description->createDescribedFragmentWithValues({ { u"id", identifier },
                                                                     { u"width", toUTF16(std::to_string(item->pixelsWide)) },
                                                                     { u"height", toUTF16(std::to_string(item->pixelsHigh)) },
                                                                     { u"url", address },
                                                                     { u"alt", u"" } },
                                                                   document, nullptr);
    if (!fragment)
        return nullptr;
    forEachElement(*fragment, [&](DOMElement& element) {
        auto tag = lowercaseTagName(element);
        if (tag == u"a") {
            (void)element.setAttribute(u"href", address);
        } else if (tag == u"img") {
            (void)element.setAttribute(u"src", address);
            vornick_addClass(element, u"wp-image-" + identifier);
        } else if (tag == u"figcaption") {
            element.setTextContent(item->caption.empty() ? std::u16string(u"Caption") : item->caption);
        }
    });
    if (auto start = firstBlockStartComment(*fragment)) {
        if (auto metadata = VornickWordPressBlockMetadata::blockMetadataWithOpeningCommentText(start->data())) {
            metadata->setNumber(Value(integerIdentifier(identifier)), u"id");
            metadata->setString(u"none", u"linkDestination");
            start->setData(metadata->encodedAsCommentText());
        }
    }
    return fragment;
}

} // namespace brevanton
