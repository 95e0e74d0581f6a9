// The other ways of applying elements and snippets from the editor: the
// apply menus, the block transform, tab triggers, and new snippets made from
// the selection.
#include "editing/VornickContentEditingView.h"

#include "dom/VornickDOMPosition.h"
#include "dom/VornickElementExtensions.h"
#include "dom/VornickNodeExtensions.h"
#include "dom/VornickRangeExtensions.h"
#include "editing/VornickApplyElementOrFragmentMenu.h"
#include "editing/VornickApplyElementOrFragmentMenuItems.h"
#include "editing/VornickContentEditingViewInternals.h"
#include "editing/commands/VornickUndoableElementApplication.h"
#include "editing/commands/VornickUndoableSnippetApplication.h"
#include "html/VornickBlockModeHelper.h"
#include "html/VornickExactSelection.h"
#include "html/VornickFragmentDescription.h"
#include "html/VornickGeneralFragmentDescription.h"
#include "html/VornickHTMLElementSpec.h"
#include "html/VornickHTMLSpec.h"
#include "html/VornickWebFrameEditingState.h"
#include "html/VornickWordPressBlockMetadata.h"
#include "platform/dom/DOMCharacterData.h"
#include "platform/dom/DOMDocument.h"
#include "platform/dom/DOMElement.h"
#include "platform/dom/DOMRange.h"
#include "platform/foundation/Assertions.h"
#include "platform/foundation/Text.h"
#include "platform/views/Sound.h"
#include "platform/web/WebFrame.h"
#include "toolkit/VornickWhitespaceFilter.h"
#include "toolkit/VornickWhitespaceSets.h"

#include <algorithm>
#include <functional>

namespace brevanton {

namespace {

constexpr unsigned longestTabTrigger = 10;

bool tagIs(const DOMElement& element, std::u16string_view kind)
{
    const auto& name = element.localName();
    if (name.size() != kind.size())
        return false;
    for (size_t i = 0; i < name.size(); ++i) {
        auto lower = [](char16_t c) { return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c + 32) : c; };
        if (lower(name[i]) != lower(kind[i]))
            return false;
    }
    return true;
}

// The element a block's content is taken from: the selected element itself
// when it is of the container kind, else its first child element of that kind.
std::shared_ptr<DOMElement> containerElementOfSelectedBlock(const std::shared_ptr<DOMElement>& selected, std::u16string_view kind)
{
    if (tagIs(*selected, kind))
        return selected;
    for (auto child = selected->firstChild(); child; child = child->nextSibling()) {
        if (child->isElementNode() && tagIs(downcast<DOMElement>(*child), kind))
            return downcast<DOMElement>(child);
    }
    return nullptr;
}

// Whole blocks go where the snippet's blocks go: when the snippet's content
// is all of a block of its own (the paragraph inside a quote), the moved
// blocks take that block's place rather than its element's content, which
// would put a paragraph inside a paragraph.
std::shared_ptr<DOMRange> rangeForWholeBlocks(const VornickBlockModeHelper& helper, const std::shared_ptr<DOMRange>& interior)
{
    auto block = helper.blockEnclosingPosition(vornick_startPosition(*interior), {}, false, nullptr);
    if (!block || !block->blockStartComment() || !block->blockEndComment() || !block->element())
        return interior;
    if (block->element()->textContent() != interior->toString())
        return interior;
    auto outer = block->outerRange();
    return outer ? outer : interior;
}

bool isTextLevelContainer(const DOMNode* node)
{
    static const std::u16string_view kinds[] = { u"p", u"pre", u"h1", u"h2", u"h3", u"h4", u"h5", u"h6" };
    if (!node || !node->isElementNode())
        return false;
    const auto& element = downcast<DOMElement>(*node);
    return std::any_of(std::begin(kinds), std::end(kinds), [&](std::u16string_view kind) { return tagIs(element, kind); });
}

// Content for a paragraph or preformatted element: block comments go, and
// each element that is not inline gives its content, one line each.
void flattenToTextLevel(DOMDocumentFragment& contents, const VornickHTMLSpec& spec, bool preformatted)
{
    auto document = contents.ownerDocument();
    if (!document)
        return;
    auto flat = document->createDocumentFragment();
    bool lineOpen = false;
    std::function<void(DOMNode&)> take = [&](DOMNode& parent) {
        while (auto child = parent.firstChild()) {
            if (child->nodeType() == DOMNode::COMMENT_NODE) {
                (void)parent.removeChild(child.get());
                continue;
            }
            if (child->isElementNode() && !spec.isUsuallyInlineElement(asciiLowercase(downcast<DOMElement>(*child).tagName()))) {
                (void)parent.removeChild(child.get());
                lineOpen = false;
                take(*child);
                lineOpen = false;
                continue;
            }
            if (child->isTextNode() && vornick_containsOnlyHTMLWhitespace(downcast<DOMCharacterData>(*child).data())
                && !lineOpen) {
                (void)parent.removeChild(child.get());
                continue;
            }
            if (!lineOpen && flat->firstChild()) {
                if (preformatted)
                    (void)flat->appendChild(document->createTextNode(u"\n"));
                else if (auto lineBreak = document->createElement(u"br"))
                    (void)flat->appendChild(lineBreak);
            }
            lineOpen = true;
            (void)flat->appendChild(child);
        }
    };
    take(contents);
    (void)contents.appendChild(flat);
}

// Whether the fragment holds block comments or elements that are not inline.
bool holdsBlockContent(const DOMNode& node, const VornickHTMLSpec& spec)
{
    for (DOMNode* child = node.first(); child; child = child->next()) {
        if (child->nodeType() == DOMNode::COMMENT_NODE
            && VornickWordPressBlockCommentFromCommentData(downcast<DOMCharacterData>(*child).data()).kind
                   != VornickWordPressBlockCommentKind::None)
            return true;
        if (child->isElementNode()
            && (!spec.isUsuallyInlineElement(asciiLowercase(downcast<DOMElement>(*child).tagName())) || holdsBlockContent(*child, spec)))
            return true;
    }
    return false;
}

} // namespace

void VornickContentEditingView::Internals::installFragmentCompletionActionHandlers(VornickContentEditingView& view)
{
    view.installActionHandler("vornick_initiateFragmentCompletion:", &Internals::vornick_initiateFragmentCompletion);
    view.installActionHandler("vornick_invokeElementFromMenuItem:", &Internals::vornick_invokeElementFromMenuItem);
    view.installActionHandler("vornick_invokeFragmentFromMenuItem:", &VornickContentEditingView::vornick_invokeFragmentFromMenuItem);
    view.installActionHandler("vornick_transformFragmentFromMenuItem:", &VornickContentEditingView::vornick_transformFragmentFromMenuItem);
    view.installActionHandler("vornick_transformElementFromMenuItem:", &VornickContentEditingView::vornick_transformElementFromMenuItem);
    view.installActionHandler("addFragmentDescriptionFromSelection:", &VornickContentEditingView::addFragmentDescriptionFromSelection);
    view.installActionHandler("addFragmentDescriptionWithContentPlaceholderFromSelection:",
            &VornickContentEditingView::addFragmentDescriptionWithContentPlaceholderFromSelection);
}

// --- Applying an element or a snippet

bool VornickContentEditingView::undoableApplyDescribedElement(bool undoable, const VornickHTMLElementSpec& elementSpec,
                                                              const std::shared_ptr<DOMRange>& range)
{
    return undoableApplyDescribedElement(undoable, elementSpec, range, std::nullopt, true);
}

bool VornickContentEditingView::undoableApplyDescribedElement(bool undoable, const VornickHTMLElementSpec& elementSpec,
                                                              const std::shared_ptr<DOMRange>& range, const std::optional<URL>& targetURL,
                                                              bool alwaysShowAttributeEditor)
{
    return VornickUndoableElementApplication(editingContext(), undoable, elementSpec, range, targetURL, alwaysShowAttributeEditor).apply();
}

bool VornickContentEditingView::undoableApplyDescribedFragment(bool undoable, const VornickFragmentDescription& description,
                                                               const std::shared_ptr<DOMRange>& range)
{
    return VornickUndoableSnippetApplication(editingContext(), undoable, description, range).apply();
}

// --- The apply menus

void VornickContentEditingView::Internals::vornick_invokeElementFromMenuItem(VornickContentEditingView& view, ActionSender* sender)
{
    auto* item = dynamic_cast<VornickApplyElementSpecMenuItem*>(sender);
    auto range = view.effectiveOperationRange();
    if (!item || !item->elementSpec() || !range)
        return;
    auto target = range->cloneRange();
    if (view.m_internals->blockModeHelper)
        view.m_internals->blockModeHelper->moveInsertionRangeOutOfBlockDelimiterComments(*target);
    view.undoableApplyDescribedElement(true, *item->elementSpec(), target);
}

void VornickContentEditingView::vornick_invokeFragmentFromMenuItem(ActionSender* sender)
{
    auto* item = dynamic_cast<VornickApplyFragmentMenuItem*>(sender);
    auto range = effectiveOperationRange();
    if (!item || !item->fragmentDescription() || !range)
        return;
    auto target = range->cloneRange();
    if (m_internals->blockModeHelper)
        m_internals->blockModeHelper->moveInsertionRangeOutOfBlockDelimiterComments(*target);
    undoableApplyDescribedFragment(true, *item->fragmentDescription(), target);
}

// The block transform: the selected block becomes a block of the item's
// type, keeping its content. Items of the apply menus name the target by
// their snippet; the context menu's "Transform to" items by their
// represented block type.
void VornickContentEditingView::vornick_transformFragmentFromMenuItem(ActionSender* sender)
{
    std::u16string targetType;
    if (auto* item = dynamic_cast<VornickApplyFragmentMenuItem*>(sender)) {
        if (item->semantic() != VornickApplyFragmentMenuItem::transformSemantic)
            return;
        if (item->fragmentDescription())
            targetType = item->fragmentDescription()->identifier();
    } else if (auto* menuItem = dynamic_cast<MenuItem*>(sender); menuItem && menuItem->representedObject().isString())
        targetType = menuItem->representedObject().stringValue();

    auto range = effectiveOperationRange();
    // An apply menu made for one exact selection transforms that one.
    std::optional<VornickExactSelection> selection;
    if (auto* menuItem = dynamic_cast<MenuItem*>(sender)) {
        auto menu = menuItem->menu();
        auto applyMenu = std::dynamic_pointer_cast<VornickApplyElementOrFragmentMenu>(menu ? menu->supermenu() : nullptr);
        if (applyMenu && applyMenu->exactSelection())
            selection = applyMenu->exactSelection();
    }
    if (!selection && range && m_internals->blockModeHelper)
        selection = m_internals->blockModeHelper->exactSelectionFromRange(*range, true);
    // A caret stands for the block it is in, as when the context menu offered the transform.
    if (!selection && range && range->collapsed() && m_internals->blockModeHelper)
        selection = m_internals->blockModeHelper->blockEnclosingPosition(vornick_startPosition(*range), {}, false,
                                                              vornick_enclosingAttachmentPointElement(*range).get());
    auto blockType = selection ? selection->blockType() : std::nullopt;
    auto transform = blockType && !targetType.empty() ? m_internals->blockModeHelper->transformFromBlockType(*blockType,
                                                    targetType) : std::nullopt;
    auto element = selection ? selection->element() : nullptr;
    auto description = transform ? m_internals->blockModeHelper->fragmentDescriptionForBlockType(targetType, {}) : nullptr;
    auto document = element ? element->ownerDocument() : nullptr;
    if (!transform || !element || !description || !document) {
        Sound::beep();
        return;
    }

    std::shared_ptr<DOMRange> source;
    if (const auto& kind = transform->fromBlockContainerElementKind(); !kind.empty()) {
        auto container = containerElementOfSelectedBlock(element, kind);
        if (!container) {
            Sound::beep();
            return;
        }
        source = vornick_innerRange(container);
    } else
        source = selection->outerRange();
    auto contents = source ? source->cloneContents() : nullptr;

    std::optional<VornickFreezeDriedDOMRange> frozenInterior;
    auto fragment = description->createDescribedFragmentWithValues({ { u"content", u"*" } }, *document, &frozenInterior);
    auto interior = fragment && frozenInterior ? frozenInterior->thawRangeRelativeToNewAncestor(fragment) : nullptr;
    if (!contents || !interior) {
        Sound::beep();
        return;
    }
    // The moved content must fit where it goes: whole blocks where blocks
    // go, text-level content in a paragraph or preformatted element.
    if (transform->fromBlockContainerElementKind().empty()) {
        interior = rangeForWholeBlocks(*m_internals->blockModeHelper, interior);
    } else {
        auto target = interior->commonAncestorContainer();
        if (target && target->isTextNode())
            target = target->parentNode();
        auto spec = m_internals->blockModeHelper->htmlSpec();
        if (isTextLevelContainer(target.get()) && spec && holdsBlockContent(*contents, *spec))
            flattenToTextLevel(*contents, *spec, tagIs(downcast<DOMElement>(*target), u"pre"));
    }
    (void)interior->deleteContents();
    (void)interior->insertNode(contents);
    if (!undoableReplaceRangeWithFragment(true, selection->outerRange(), fragment, std::u16string(u"Transform block")))
        Sound::beep();
}

// --- Tab triggers

void VornickContentEditingView::Internals::forTabTriggerAtInsertionPoint(VornickContentEditingView&, const DOMRange& range,
                                                              const std::function<void(std::u16string_view,
                                                                                       const std::shared_ptr<DOMRange>&)>& block)
{
    auto node = range.startContainer();
    if (!range.collapsed() || !node || !node->isTextNode())
        return;
    const auto& data = downcast<DOMCharacterData>(*node).data();
    unsigned end = std::min<unsigned>(range.startOffset(), static_cast<unsigned>(data.size()));
    unsigned start = end;
    while (start > 0 && end - start < longestTabTrigger && !vornick_isInWhitespaceSet(data[start - 1], VornickPlatformWhitespaceAndNewline))
        --start;
    if (start == end)
        return;
    auto trigger = node->ownerDocument()->createRange();
    trigger->setStart(node, start);
    trigger->setEnd(node, end);
    block(std::u16string_view(data).substr(start, end - start), trigger);
    trigger->detach();
}

// --- New snippets from the selection

std::shared_ptr<VornickFragmentDescription> VornickContentEditingView::undoableAddFragmentDescriptionWithMarkupString(bool,
                                                                                                                    const std::u16string& markup)
{
    auto description = std::make_shared<VornickGeneralFragmentDescription>(u"", u"New Snippet", u"", u"", markup, u"");
    if (!m_internals->delegate)
        return nullptr;
    return m_internals->delegate->vornickContentEditingViewAddNewFragmentDescriptionToASuitableGroupAndBringForwardForEditing(*this,
            description);
}

std::shared_ptr<VornickFragmentDescription> VornickContentEditingView::undoableAddFragmentDescriptionWithContentsOfRange(
    bool undoable, const std::shared_ptr<DOMRange>& range)
{
    if (!range)
        return nullptr;
    auto grown = range->cloneRange();
    if (m_internals->blockModeHelper)
        m_internals->blockModeHelper->growRangeToIncludeBlockStartAndEndComments(*grown);
    auto document = grown->startContainer()->ownerDocument();
    auto frame = document && mainFrame() ? mainFrame()->frameForDocument(*document) : nullptr;
    if (!frame || !vornick_userFragmentSet(*frame))
        return nullptr;
    return undoableAddFragmentDescriptionWithMarkupString(undoable, htmlFragmentStringForRange(*grown));
}

std::shared_ptr<VornickFragmentDescription> VornickContentEditingView::undoableAddFragmentDescriptionWithContentPlaceholderFromElement(
    bool undoable, const std::shared_ptr<DOMElement>& element)
{
    BREVANTON_ASSERT(element, "Invalid parameter not satisfying: element");
    std::u16string markup;
    if (auto start = m_internals->blockModeHelper ? m_internals->blockModeHelper->blockStartCommentBeforeNode(*element) : nullptr)
        markup += u"<!--" + start->data() + u"-->\n";
    markup += vornick_openTagHTML(*element, VornickTagHTMLLowercase | VornickTagHTMLDoubleQuotes | VornickTagHTMLOmitVornickClasses);
    if (element->hasChildNodes())
        markup += u"{content}" + vornick_closeTagHTML(*element, VornickTagHTMLLowercase);
    if (auto end = m_internals->blockModeHelper ? m_internals->blockModeHelper->blockEndCommentAfterNode(*element) : nullptr)
        markup += u"\n<!--" + end->data() + u"-->\n";
    return undoableAddFragmentDescriptionWithMarkupString(undoable, markup);
}

void VornickContentEditingView::addFragmentDescriptionFromSelection(ActionSender*)
{
    auto range = effectiveOperationRange();
    if (range && !range->collapsed())
        (void)undoableAddFragmentDescriptionWithContentsOfRange(true, range);
}

void VornickContentEditingView::addFragmentDescriptionWithContentPlaceholderFromSelection(ActionSender*)
{
    auto range = effectiveOperationRange();
    auto selection = range && m_internals->blockModeHelper ? m_internals->blockModeHelper->exactSelectionFromRange(*range,
            true) : std::nullopt;
    if (selection && selection->element())
        (void)undoableAddFragmentDescriptionWithContentPlaceholderFromElement(true, selection->element());
}

} // namespace brevanton
