#include "editing/commands/VornickUndoableElementApplication.h"

#include "app/VornickApplicationDelegate.h"
#include "dom/VornickDocumentExtensions.h"
#include "dom/VornickElementExtensions.h"
#include "dom/VornickNodeExtensions.h"
#include "dom/VornickRangeExtensions.h"
#include "editing/VornickCommandStepName.h"
#include "editing/commands/VornickEditingContext.h"
#include "editing/commands/VornickUndoableAttributeValue.h"
#include "editing/commands/VornickUndoableFragmentInsertion.h"
#include "editing/commands/VornickUndoableFragmentReplacement.h"
#include "editing/commands/VornickUndoableWrap.h"
#include "html/VornickBlockModeHelper.h"
#include "html/VornickHTMLElementSpec.h"
#include "html/VornickHTMLSpec.h"
#include "platform/dom/DOMCasts.h"
#include "platform/dom/DOMCharacterData.h"
#include "platform/dom/DOMDocument.h"
#include "platform/dom/DOMElement.h"
#include "platform/dom/DOMRange.h"
#include "platform/foundation/Text.h"
#include "platform/foundation/UndoManager.h"
#include "platform/foundation/URL.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/views/Pasteboard.h"
#include "toolkit/VornickURLExtensions.h"

namespace brevanton {

namespace {

bool hasTag(const DOMNode* node, std::u16string_view tag)
{
    return node && node->isElementNode() && equalsIgnoringASCIICase(downcast<DOMElement>(node)->tagName(), tag);
}

std::shared_ptr<DOMElement> firstChildElementOfKind(const DOMNode& parent, std::u16string_view tag)
{
    for (DOMNode* child = parent.first(); child; child = child->next()) {
        if (hasTag(child, tag))
            return downcast<DOMElement>(child->shared_from_this());
    }
    return nullptr;
}

std::shared_ptr<DOMElement> ancestorOfKind(std::shared_ptr<DOMNode> node, std::u16string_view tag)
{
    for (; node; node = node->parentNode()) {
        if (hasTag(node.get(), tag))
            return downcast<DOMElement>(node);
    }
    return nullptr;
}

// Where a new link points: the URL given; else a URL on the general
// pasteboard of a common scheme, with its title; else, when the user lets
// links be filled from the pasteboard's history, the URL copied last.
std::optional<VornickTitledURL> linkTarget(const std::optional<URL>& targetURL)
{
    if (targetURL)
        return VornickTitledURL { *targetURL, std::nullopt, {} };
    auto pasteboard = Pasteboard::generalPasteboard();
    if (auto list = pasteboard->stringForType(PasteboardTypeURL)) {
        auto urls = URLsFromURIList(*list);
        if (!urls.empty() && vornick_schemeIsKnownCommonScheme(urls.front()))
            return VornickTitledURL { urls.front(), pasteboard->stringForType(PasteboardTypeURLName), {} };
    }
    if (UserDefaults::standard().boolForKey(u"AutofillURLsFromPasteboardHistory")) {
        if (auto delegate = VornickApplicationDelegate::shared()) {
            auto recent = delegate->recentTitledPasteboardURLs();
            if (!recent.empty())
                return recent.back();
        }
    }
    return std::nullopt;
}

std::shared_ptr<DOMRange> insideOf(const std::shared_ptr<DOMNode>& node)
{
    auto range = vornick_innerRange(node);
    if (range)
        vornick_pushRangeEndpointsDownToTextNodes(*range);
    return range;
}

} // namespace

VornickUndoableElementApplication::VornickUndoableElementApplication(VornickEditingContext& context, bool undoable,
                                                                     const VornickHTMLElementSpec& elementSpec, std::shared_ptr<DOMRange> range,
                                                                     std::optional<URL> targetURL, bool alwaysShowAttributeEditor)
    : VornickUndoableEdit(context, undoable)
    , m_elementSpec(elementSpec)
    , m_range(std::move(range))
    , m_targetURL(std::move(targetURL))
    , m_alwaysShowAttributeEditor(alwaysShowAttributeEditor)
{
}

void VornickUndoableElementApplication::editElement(const std::shared_ptr<DOMElement>& element, const std::optional<std::u16string>& attribute)
{
    if (element && element->isConnected())
        context().showAttributeEditorForElement(element, attribute);
}

// Its parts are undoable whatever the caller asks: the step is the user's.
bool VornickUndoableElementApplication::apply()
{
    begin();
    auto range = m_range ? m_range->cloneRange() : nullptr;
    auto document = range ? vornick_ownerDocument(*range) : nullptr;
    auto* blockModeHelper = context().blockModeHelper();
    if (!range || !document || !blockModeHelper)
        return false;
    const std::u16string& tag = m_elementSpec.tagName();

    // Media elements reference a file: the user picks it in the open panel,
    // and the selection is replaced when the file arrives.
    if (equalsIgnoringASCIICase(tag, u"IMG")) {
        auto deepest = vornick_deepestElementThatSpansEntireRange(*range);
        if (hasTag(deepest.get(), u"PICTURE")) {
            if (auto image = firstChildElementOfKind(*deepest, u"IMG")) {
                context().setTargetRangeUndoably(vornick_outerRange(*image));
                editElement(image, std::nullopt);
                return true;
            }
        }
        context().chooseMediaFileAndReplaceSelection(u"IMG");
        return true;
    }
    if (range->collapsed() && equalsIgnoringASCIICase(tag, u"FIGURE")) {
        context().chooseMediaFileAndReplaceSelection(u"FIGURE");
        return true;
    }
    if (range->collapsed() && equalsIgnoringASCIICase(tag, u"PICTURE")) {
        context().chooseMediaFileAndReplaceSelection(u"PICTURE");
        return true;
    }
    if (equalsIgnoringASCIICase(tag, u"VIDEO")) {
        context().chooseMediaFileAndReplaceSelection(u"VIDEO");
        return true;
    }
    if (equalsIgnoringASCIICase(tag, u"AUDIO")) {
        context().chooseMediaFileAndReplaceSelection(u"AUDIO");
        return true;
    }

    // The new element, with the placeholder space in it unless it is void.
    std::shared_ptr<DOMDocumentFragment> fragment;
    std::shared_ptr<DOMElement> newElement;
    std::shared_ptr<DOMText> newText;
    std::u16string space = context().placeholderSpaceStringForDocumentContainingRange(*range);
    if (equalsIgnoringASCIICase(tag, u"TABLE")) {
        newElement = vornick_createTableWithRows(*document, 2, 2, true, blockModeHelper->tablesCanHaveCaptions());
        if (newElement) {
            fragment = document->createDocumentFragment();
            fragment->appendChild(newElement);
        }
    } else if (equalsIgnoringASCIICase(tag, u"DL")) {
        newElement = document->createElement(u"dl");
        auto term = document->createElement(u"dt");
        newText = document->createTextNode(space);
        term->appendChild(newText);
        newElement->appendChild(term);
        fragment = document->createDocumentFragment();
        fragment->appendChild(newElement);
    } else {
        auto attachmentPoint = vornick_enclosingAttachmentPointElement(*range);
        bool inBlock = blockModeHelper->blockEnclosingPosition(vornick_startPosition(*range), {}, false, attachmentPoint.get()).has_value();
        if (m_elementSpec.isEmptyElement())
            fragment = blockModeHelper->createFragmentWithCommentDelimitedElement(asciiLowercase(tag), *document, inBlock, &newElement);
        else
            fragment = blockModeHelper->createFragmentWithCommentDelimitedElement(asciiLowercase(tag), *document, space, inBlock, &newElement,
                                                                                   &newText);
    }
    if (!fragment || !newElement) {
        context().beep();
        return false;
    }
    std::vector<std::u16string> addedAttributes;
    if (auto spec = m_elementSpec.parentHTMLSpec())
        addedAttributes = vornick_addMissingRequiredAttributesForHTMLSpec(*newElement, spec);

    // The step keeps the name of the insertion or the wrap through the
    // follow-up edits (a caption, a link's URL).
    VornickCommandStepName stepName(context(), true);
    stepName.open();
    auto nameOfStep = [this]() -> std::optional<std::u16string> {
        if (auto undo = context().undoManager())
            return undo->undoActionName();
        return std::nullopt;
    };
    if (range->collapsed()) {
        std::shared_ptr<DOMRange> result;
        if (!VornickUndoableFragmentReplacement(context(), true, range, fragment).apply(&result) || !result) {
            stepName.close(nameOfStep());
            return false;
        }
        if (newText) {
            auto shrunk = result->cloneRange();
            vornick_shrinkRangeToOmitOuterComments(*shrunk);
            if (auto selected = vornick_exactlySelectedNode(*shrunk)) {
                if (auto inside = vornick_innerRange(selected)) {
                    inside->collapse(true);
                    vornick_pushRangeEndpointsDownToTextNodes(*inside);
                    context().setTargetRange(inside);
                }
            }
        }
    } else {
        auto grown = range->cloneRange();
        blockModeHelper->growRangeToIncludeBlockStartAndEndComments(*grown);
        auto interior = VornickFreezeDriedDOMRange::freezeDriedDOMRangeFromStartPosition({ newElement, 0 }, { newElement, 1 }, fragment,
                                                                                          false);
        if (!VornickUndoableWrap(context(), true, grown, fragment, interior).apply()) {
            stepName.close(nameOfStep());
            context().beep();
            return false;
        }
    }
    auto name = nameOfStep();

    if (equalsIgnoringASCIICase(tag, u"TABLE")) {
        if (auto caption = newElement->caption())
            context().setTargetRangeUndoably(insideOf(caption));
    } else if (equalsIgnoringASCIICase(tag, u"FIGURE")) {
        auto current = context().effectiveOperationRange();
        auto selected = current ? vornick_exactlySelectedNode(*current) : nullptr;
        auto figure = hasTag(selected.get(), u"FIGURE") ? downcast<DOMElement>(selected)
                                                        : (current ? ancestorOfKind(current->commonAncestorContainer(), u"FIGURE") : nullptr);
        if (figure && !firstChildElementOfKind(*figure, u"FIGCAPTION")) {
            auto captionFragment = document->createDocumentFragment();
            auto caption = document->createElement(u"figcaption");
            caption->appendChild(document->createTextNode(u"Caption"));
            captionFragment->appendChild(caption);
            if (VornickUndoableFragmentInsertion(context(), true, captionFragment, { figure, static_cast<int32_t>(figure->childCount()) })
                    .apply())
                context().setTargetRangeUndoably(insideOf(caption));
        }
    }

    if (equalsIgnoringASCIICase(tag, u"A")) {
        std::u16string href;
        auto linked = linkTarget(m_targetURL);
        if (linked)
            href = vornick_relativeURLStringForReferencingTargetURL(*document, &linked->url).value_or(linked->url.absoluteString());
        VornickUndoableAttributeValue(context(), true, newElement, u"href", href).apply();
        if (linked && linked->title && !linked->title->empty())
            VornickUndoableAttributeValue(context(), true, newElement, u"title", *linked->title).apply();
        bool localOrNone = !linked || linked->url.scheme().empty() || linked->url.scheme() == u"file";
        if (m_alwaysShowAttributeEditor || !localOrNone)
            editElement(newElement, u"href");
    } else if (!addedAttributes.empty()) {
        editElement(newElement, addedAttributes.front());
    }
    stepName.close(name);
    return true;
}

} // namespace brevanton
