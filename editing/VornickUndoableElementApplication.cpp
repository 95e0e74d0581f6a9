// Applying an element of the document's HTML specification to a range: a new
// element at a caret (the caret goes inside it), or wrapped around a
// selection. Images, figures and pictures at a caret, video and audio are
// media: the user chooses the file and the selection is replaced with it. Tables come with a header row and, where allowed, a caption;
// definition lists with a term; links get their URL; every new element gets
// the attributes its kind requires, and the attribute editor opens on the
// first of them.
#include "editing/VornickContentEditingView.h"

#include "dom/VornickDocumentExtensions.h"
#include "dom/VornickElementExtensions.h"
#include "dom/VornickNodeExtensions.h"
#include "dom/VornickRangeExtensions.h"
#include "app/VornickApplicationDelegate.h"
#include "editing/VornickCommandStepName.h"
#include "html/VornickBlockModeHelper.h"
#include "html/VornickHTMLElementSpec.h"
#include "html/VornickHTMLSpec.h"
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
#include "platform/views/Sound.h"

namespace brevanton {

namespace {

bool hasTag(const DOMNode* node, std::u16string_view tag)
{
    return node && node->isElementNode() && equalsIgnoringASCIICase(static_cast<const DOMElement*>(node)->tagName(), tag);
}

std::shared_ptr<DOMElement> firstChildElementOfKind(const DOMNode& parent, std::u16string_view tag)
{
    for (DOMNode* child = parent.first(); child; child = child->next()) {
        if (hasTag(child, tag))
            return std::static_pointer_cast<DOMElement>(child->shared_from_this());
    }
    return nullptr;
}

std::shared_ptr<DOMElement> ancestorOfKind(std::shared_ptr<DOMNode> node, std::u16string_view tag)
{
    for (; node; node = node->parentNode()) {
        if (hasTag(node.get(), tag))
            return std::static_pointer_cast<DOMElement>(node);
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

bool VornickContentEditingView::undoableApplyDescribedElement(bool undoable, const VornickHTMLElementSpec& elementSpec,
                                                              const std::shared_ptr<DOMRange>& range)
{
    return undoableApplyDescribedElement(undoable, elementSpec, range, std::nullopt, true);
}

bool VornickContentEditingView::undoableApplyDescribedElement(bool, const VornickHTMLElementSpec& elementSpec,
                                                              const std::shared_ptr<DOMRange>& givenRange,
                                                              const std::optional<URL>& targetURL, bool alwaysShowAttributeEditor)
{
    endTypingRun();
    endBackspaceRun();
    auto range = givenRange ? givenRange->cloneRange() : nullptr;
    auto document = range ? vornick_ownerDocument(*range) : nullptr;
    if (!range || !document || !m_blockModeHelper)
        return false;
    const std::u16string& tag = elementSpec.tagName();
    auto openEditor = [this](const std::shared_ptr<DOMElement>& element, const std::optional<std::u16string>& attribute) {
        if (element && element->isConnected())
            showAttributeEditorForElement(element, attribute);
    };

    // Media elements reference a file: the user picks it in the open panel,
    // and the selection is replaced when the file arrives.
    if (equalsIgnoringASCIICase(tag, u"IMG")) {
        auto deepest = vornick_deepestElementThatSpansEntireRange(*range);
        if (hasTag(deepest.get(), u"PICTURE")) {
            if (auto image = firstChildElementOfKind(*deepest, u"IMG")) {
                setTargetRangeUndoably(vornick_outerRange(*image));
                openEditor(image, std::nullopt);
                return true;
            }
        }
        chooseImageAndReplaceSelection(nullptr);
        return true;
    }
    if (range->collapsed() && equalsIgnoringASCIICase(tag, u"FIGURE")) {
        chooseImageAndReplaceSelectionWithFigure(nullptr);
        return true;
    }
    if (range->collapsed() && equalsIgnoringASCIICase(tag, u"PICTURE")) {
        chooseImageAndReplaceSelectionWithPicture(nullptr);
        return true;
    }
    if (equalsIgnoringASCIICase(tag, u"VIDEO")) {
        chooseVideoAndReplaceSelectionUsingElementKind(u"VIDEO");
        return true;
    }
    if (equalsIgnoringASCIICase(tag, u"AUDIO")) {
        chooseAudioFileAndReplaceSelectionUsingElementKind(u"AUDIO");
        return true;
    }

    // The new element, with the placeholder space in it unless it is void.
    std::shared_ptr<DOMDocumentFragment> fragment;
    std::shared_ptr<DOMElement> newElement;
    std::shared_ptr<DOMText> newText;
    std::u16string space = placeholderSpaceStringForDocumentContainingRange(*range);
    if (equalsIgnoringASCIICase(tag, u"TABLE")) {
        newElement = vornick_createTableWithRows(*document, 2, 2, true, m_blockModeHelper->tablesCanHaveCaptions());
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
        bool inBlock = m_blockModeHelper->blockEnclosingPosition(vornick_startPosition(*range), {}, false, attachmentPoint.get())
                           .has_value();
        if (elementSpec.isEmptyElement())
            fragment = m_blockModeHelper->createFragmentWithCommentDelimitedElement(asciiLowercase(tag), *document, inBlock, &newElement);
        else
            fragment = m_blockModeHelper->createFragmentWithCommentDelimitedElement(asciiLowercase(tag), *document, space, inBlock,
                                                                                     &newElement, &newText);
    }
    if (!fragment || !newElement) {
        Sound::beep();
        return false;
    }
    std::vector<std::u16string> addedAttributes;
    if (auto spec = elementSpec.parentHTMLSpec())
        addedAttributes = vornick_addMissingRequiredAttributesForHTMLSpec(*newElement, spec);

    // The step keeps the name of the insertion or the wrap through the
    // follow-up edits (a caption, a link's URL).
    VornickCommandStepName stepName(editingContext(), true);
    stepName.open();
    auto closeStep = [&] {
        auto undo = undoManager();
        stepName.close(undo ? std::optional<std::u16string>(undo->undoActionName()) : std::nullopt);
    };
    std::optional<std::u16string> name;
    if (range->collapsed()) {
        std::shared_ptr<DOMRange> result;
        if (!undoableReplaceRangeWithFragment(true, range, fragment, std::nullopt, &result) || !result) {
            closeStep();
            return false;
        }
        if (newText) {
            auto shrunk = result->cloneRange();
            vornick_shrinkRangeToOmitOuterComments(*shrunk);
            if (auto selected = vornick_exactlySelectedNode(*shrunk)) {
                if (auto inside = vornick_innerRange(selected)) {
                    inside->collapse(true);
                    vornick_pushRangeEndpointsDownToTextNodes(*inside);
                    setTargetRange(inside);
                }
            }
        }
    } else {
        auto grown = range->cloneRange();
        m_blockModeHelper->growRangeToIncludeBlockStartAndEndComments(*grown);
        auto interior = VornickFreezeDriedDOMRange::freezeDriedDOMRangeFromStartPosition({ newElement, 0 }, { newElement, 1 }, fragment,
                                                                                          false);
        if (!undoableWrapRange(true, grown, fragment, interior)) {
            closeStep();
            Sound::beep();
            return false;
        }
    }
    if (auto undo = undoManager())
        name = undo->undoActionName();

    if (equalsIgnoringASCIICase(tag, u"TABLE")) {
        if (auto caption = newElement->caption())
            setTargetRangeUndoably(insideOf(caption));
    } else if (equalsIgnoringASCIICase(tag, u"FIGURE")) {
        auto current = effectiveOperationRange();
        auto selected = current ? vornick_exactlySelectedNode(*current) : nullptr;
        auto figure = hasTag(selected.get(), u"FIGURE") ? std::static_pointer_cast<DOMElement>(selected)
                                                        : (current ? ancestorOfKind(current->commonAncestorContainer(), u"FIGURE") : nullptr);
        if (figure && !firstChildElementOfKind(*figure, u"FIGCAPTION")) {
            auto captionFragment = document->createDocumentFragment();
            auto caption = document->createElement(u"figcaption");
            caption->appendChild(document->createTextNode(u"Caption"));
            captionFragment->appendChild(caption);
            if (insertFragmentAtPosition(captionFragment, { figure, static_cast<int32_t>(figure->childCount()) }, true, std::nullopt))
                setTargetRangeUndoably(insideOf(caption));
        }
    }

    if (equalsIgnoringASCIICase(tag, u"A")) {
        std::u16string href;
        auto linked = linkTarget(targetURL);
        if (linked)
            href = vornick_relativeURLStringForReferencingTargetURL(*document, &linked->url).value_or(linked->url.absoluteString());
        (void)undoableSetValue(true, href, u"href", newElement);
        if (linked && linked->title && !linked->title->empty())
            (void)undoableSetValue(true, *linked->title, u"title", newElement);
        bool localOrNone = !linked || linked->url.scheme().empty() || linked->url.scheme() == u"file";
        if (alwaysShowAttributeEditor || !localOrNone)
            openEditor(newElement, u"href");
    } else if (!addedAttributes.empty()) {
        openEditor(newElement, addedAttributes.front());
    }
    stepName.close(name);
    return true;
}

} // namespace brevanton
