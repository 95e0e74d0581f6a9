// The WordPress post body: automatic paragraphs, the "more" marker,
// comment-only blocks, embeds and their oEmbed answers, block validation.
#include "publishing/VornickWordPressPostView.h"

#include "dom/VornickDocumentExtensions.h"
#include "dom/VornickElementExtensions.h"
#include "dom/VornickNodeExtensions.h"
#include "html/VornickGeneralFragmentDescription.h"
#include "html/VornickWebFrameEditingState.h"
#include "html/VornickWordPressAutoParagraphAdder.h"
#include "html/VornickWordPressBlockMetadata.h"
#include "publishing/VornickOEmbedHTMLCleaning.h"
#include "platform/dom/DOMCharacterData.h"
#include "platform/dom/DOMDocument.h"
#include "platform/dom/DOMDocument.h"
#include "platform/dom/DOMElement.h"
#include "platform/dom/DOMRange.h"
#include "platform/foundation/Text.h"
#include "platform/web/WebFrame.h"
#include "toolkit/VornickURLExtensions.h"
#include "wordpress/VornickOEmbedAgent.h"

#include <cmath>

namespace brevanton {

namespace {

bool isElementNamed(const DOMElement& element, std::u16string_view name)
{
    return equalsIgnoringASCIICase(element.tagName(), name);
}

bool isConnectedTo(const DOMNode& node, const DOMDocument& document)
{
    const DOMNode* walk = &node;
    while (walk->parent())
        walk = walk->parent();
    return walk == &document;
}

// Whether the first node before this one that is not text is a comment
// opening an embed: else no embed's start comment precedes it.
bool followsEmbedStartComment(const DOMNode& node)
{
    const DOMNode* previous = node.previous();
    while (previous && previous->isTextNode())
        previous = previous->previous();
    if (!previous || previous->nodeType() != DOMNode::COMMENT_NODE)
        return false;
    auto typeName = VornickWordPressBlockMetadata::typeNameOfOpeningCommentText(downcast<DOMComment>(*previous).data());
    return equalsIgnoringASCIICase(typeName, u"wp:embed");
}

} // namespace

std::u16string VornickWordPressPostView::preprocessPostBodyBeforeInjecting(const std::u16string& body)
{
    auto helper = blockModeHelper();
    if (helper && helper->operatingInBlockMode())
        return body;
    return VornickWordPressAutoParagraphAdder::addImplicitParagraphsAndLineBreaksToPostBody(body, false);
}

void VornickWordPressPostView::postprocessPostBodyAfterInjectingIntoRootElement(const std::shared_ptr<DOMElement>& root)
{
    auto frame = mainFrame();
    auto document = mainFrameDocument();
    auto helper = wordPressBlockModeHelper();
    if (!frame || !document || !root || !helper)
        return;
    ++m_injectionSerial;
    // A frame without a base set of its own keeps the helper's WordPress set
    // (embeds and images are made from its snippets).
    if (auto set = vornick_baseFragmentSet(*frame))
        helper->setFragmentSet(std::move(set));

    if (!helper->operatingInBlockMode()) {
        std::shared_ptr<DOMNode> more;
        vornick_enumerateNodeTreeWithOptions(root, 0, [&more](const std::shared_ptr<DOMNode>& node, bool& stop) {
            if (node->nodeType() == DOMNode::COMMENT_NODE && downcast<DOMComment>(*node).data() == u"more") {
                more = node;
                stop = true;
            }
        });
        if (more && more->parentNode()) {
            auto span = document->createElement(u"span");
            span->setAttribute(u"class", u"brevanton-empty-block-interior");
            span->appendChild(document->createTextNode(u"Read More"));
            more->parentNode()->replaceChild(span, more);
        }
        return;
    }

    vornick_setUserFragmentSet(*frame, nullptr);
    // Comment-only blocks, last first so that earlier ranges stay valid. The
    // walk is the one the body's block check made as the body went in.
    std::vector<std::pair<std::shared_ptr<DOMRange>, std::shared_ptr<DOMDocumentFragment>>> replacements;
    auto blocks = m_bodyBlockCheck.blocksWithoutElementAmongChildrenOfElement(*helper, *root);
    for (auto block = blocks.rbegin(); block != blocks.rend(); ++block) {
        auto general = std::dynamic_pointer_cast<const VornickGeneralFragmentDescription>(
            helper->fragmentDescriptionForBlockStartComment(*block->blockStartComment()));
        if (!general)
            continue;
        auto metadata = VornickWordPressBlockMetadata::blockMetadataWithOpeningCommentText(block->blockStartComment()->data());
        if (!metadata)
            continue;
        std::shared_ptr<DOMDocumentFragment> replacement;
        if (equalsIgnoringASCIICase(metadata->typeName(), u"wp:embed"))
            replacement = helper->createEmbedPlaceholderWithProperties(metadata->properties().value_or(Dictionary()),
                                                                       general->displayName() + u" URL", *document);
        else
            replacement = general->createDescribedFragmentWithValues({}, *document, nullptr);
        if (replacement)
            replacements.emplace_back(block->outerRange(), replacement);
    }
    for (auto& [range, fragment] : replacements) {
        if (!range)
            continue;
        (void)range->deleteContents();
        (void)range->insertNode(fragment);
    }
    replaceEmbedWrappersWithPlaceholders(*root);
}

void VornickWordPressPostView::replaceEmbedWrappersWithPlaceholders(DOMElement& root)
{
    auto helper = wordPressBlockModeHelper();
    auto document = mainFrameDocument();
    if (!helper || !document)
        return;
    uint64_t serial = m_injectionSerial;
    for (DOMNode* child = root.first(); child; child = child->next()) {
        if (child->nodeType() != DOMNode::ELEMENT_NODE)
            continue;
        // A long post has thousands of other blocks: an element goes on only
        // when the nearest comment before it, past text, opens an embed.
        if (!followsEmbedStartComment(*child))
            continue;
        auto comment = helper->blockStartCommentBeforeNode(*child);
        auto metadata = comment ? VornickWordPressBlockMetadata::blockMetadataWithOpeningCommentText(comment->data()) : nullptr;
        if (!metadata || !equalsIgnoringASCIICase(metadata->typeName(), u"wp:embed"))
            continue;
        auto element = std::static_pointer_cast<DOMElement>(downcast<DOMElement>(*child).shared_from_this());
        std::shared_ptr<DOMElement> wrapper;
        vornick_enumerateElementTreeWithOptions(element, 0, [&wrapper](const std::shared_ptr<DOMElement>& candidate, bool& stop) {
            if (isElementNamed(*candidate, u"div") && vornick_hasClass(*candidate, u"wp-block-embed__wrapper")) {
                wrapper = candidate;
                stop = true;
            }
        });
        if (!wrapper)
            continue;
        while (auto grandchild = wrapper->firstChild())
            wrapper->removeChild(grandchild);
        auto placeholder = document->createElement(u"div");
        placeholder->setAttribute(u"class", u"brevanton-embed-placeholder");
        placeholder->setAttribute(u"style", u"background: #404040; width: 640px; height: 360px;");
        wrapper->appendChild(placeholder);

        std::optional<URL> url;
        if (auto& properties = metadata->properties()) {
            if (auto found = properties->find(u"url"); found != properties->end() && found->second.isString())
                url = URL::create(found->second.stringValue());
        }
        // Only an embed of a web address is asked about: a post never makes
        // the program open a file of this computer.
        if (!url || !vornick_isWebAddress(*url))
            continue;
        auto bounds = vornick_bestGuessBoundsOfRange(*[&] {
            auto range = document->createRange();
            (void)range->selectNode(*element);
            return range;
        }());
        auto dimension = [](double value) -> uint64_t { return value > 100 ? static_cast<uint64_t>(std::lround(value)) : 0; };
        std::weak_ptr<VornickWordPressPostView> weakThis = std::static_pointer_cast<VornickWordPressPostView>(shared_from_this());
        std::weak_ptr<DOMElement> weakWrapper = wrapper;
        auto handler = [weakThis, weakWrapper, serial](std::optional<Dictionary> answer) {
            auto view = weakThis.lock();
            auto wrapper = weakWrapper.lock();
            if (!view || !wrapper || !answer)
                return;
            auto html = answer->find(u"html");
            if (html == answer->end() || !html->second.isString())
                return;
            view->injectOEmbedHTML(wrapper, html->second.stringValue(), serial);
        };
        requestOEmbedInstructions(*url, dimension(bounds.width()), dimension(bounds.height()), handler);
    }
}

void VornickWordPressPostView::requestOEmbedInstructions(const URL& url, uint64_t maxWidth, uint64_t maxHeight,
                                                         std::function<void(std::optional<Dictionary>)> handler)
{
    if (m_oEmbedRequester) {
        m_oEmbedRequester(url, maxWidth, maxHeight, std::move(handler));
        return;
    }
    VornickOEmbedAgent::sharedOEmbedAgent()->requestEmbeddingInstructionsForURL(
        url, maxWidth, maxHeight, [handler = std::move(handler)](std::optional<Dictionary> answer, Error) { handler(std::move(answer)); });
}

void VornickWordPressPostView::injectOEmbedHTML(const std::shared_ptr<DOMElement>& wrapper, const std::u16string& html, uint64_t serial)
{
    // An answer for a page that is gone is dropped.
    if (serial == m_injectionSerial)
        (void)showOEmbedHTMLInWrapper(wrapper, html);
}

bool VornickWordPressPostView::showOEmbedHTMLInWrapper(const std::shared_ptr<DOMElement>& wrapper, const std::u16string& html)
{
    // A wrapper the user removed is left alone.
    auto document = mainFrameDocument();
    auto body = attachmentPointWithIdentifier(VornickAttachmentPointBody);
    if (!wrapper || !document || !body || !isConnectedTo(*wrapper, *document))
        return false;
    auto fragment = vornick_createCleanedUpDocumentFragmentWithHTMLString(*document, html, nullptr);
    if (!fragment)
        return false;
    vornick_removeActiveContentFromFragment(*fragment);
    while (auto child = wrapper->firstChild())
        wrapper->removeChild(child);
    wrapper->appendChild(fragment);
    // An injection: not the user's edit, and no undo step.
    postVornickContentEditingViewDidChangeContentInWebFrame(mainFrame(), body);
    return true;
}

std::vector<VornickBlockError> VornickWordPressPostView::validateContent()
{
    auto helper = blockModeHelper();
    auto body = attachmentPointWithIdentifier(VornickAttachmentPointBody);
    auto element = body ? body->findElement() : nullptr;
    if (!helper || !helper->operatingInBlockMode() || !element)
        return {};
    return m_bodyBlockCheck.errorsOfChildBlocksOfElement(*helper, *element);
}

} // namespace brevanton
