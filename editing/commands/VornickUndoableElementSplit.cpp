#include "editing/commands/VornickUndoableElementSplit.h"

#include "dom/VornickDOMPosition.h"
#include "dom/VornickDOMServices.h"
#include "dom/VornickNodeExtensions.h"
#include "dom/VornickRangeExtensions.h"
#include "editing/commands/VornickEditingContext.h"
#include "editing/commands/VornickUndoableChildSpanExchange.h"
#include "editing/commands/VornickUndoableFragmentReplacement.h"
#include "editing/commands/VornickUndoableTextReplacement.h"
#include "html/VornickBlockModeHelper.h"
#include "html/VornickDocumentHTMLSpec.h"
#include "html/VornickHTMLSpec.h"
#include "platform/dom/DOMCasts.h"
#include "platform/dom/DOMCharacterData.h"
#include "platform/dom/DOMDocument.h"
#include "platform/dom/DOMElement.h"
#include "platform/dom/DOMRange.h"
#include "platform/foundation/Assertions.h"
#include "platform/foundation/Text.h"
#include "platform/foundation/UndoManager.h"
#include "toolkit/VornickWhitespaceFilter.h"

namespace brevanton {

namespace {

// Kinds whose split keeps the kind only in the middle of the element.
bool isSameKindSplit(std::u16string_view tag)
{
    static const std::set<std::u16string, std::less<>> kinds { u"address", u"p", u"h1", u"h2", u"h3", u"h4", u"h5", u"h6" };
    return kinds.count(tag) != 0;
}

// The list item a paragraph (or heading, or address) opens or closes, where
// the position is at the paragraph's start or end: Return there starts a new
// item of the same inner shape, as in an item that holds text directly.
std::shared_ptr<DOMElement> listItemAtEdgeOfParagraph(const DOMElement& element, const VornickDOMPosition& position, bool atStart,
                                                      char16_t substitute)
{
    auto item = dynamicDowncast<DOMElement>(element.parentNode());
    if (!item || !equalsIgnoringASCIICase(item->tagName(), u"li"))
        return nullptr;
    bool atItemEdge = atStart ? VornickPositionIsAtStartOfElementIgnoringWhitespace(position, *item, substitute)
                              : VornickPositionIsAtEndOfElementIgnoringWhitespace(position, *item, substitute);
    return atItemEdge ? item : nullptr;
}

std::shared_ptr<DOMElement> elementAtOrAbove(const std::shared_ptr<DOMNode>& node)
{
    if (!node)
        return nullptr;
    if (node->isElementNode())
        return downcast<DOMElement>(node);
    return dynamicDowncast<DOMElement>(node->parentNode());
}

// Closes the undo group it opened, however the split ends.
class ScopedUndoGroup {
public:
    explicit ScopedUndoGroup(UndoManager* undo) : m_undo(undo)
    {
        if (m_undo)
            m_undo->beginUndoGrouping();
    }
    ~ScopedUndoGroup()
    {
        if (m_undo)
            m_undo->endUndoGrouping();
    }
    ScopedUndoGroup(const ScopedUndoGroup&) = delete;
    ScopedUndoGroup& operator=(const ScopedUndoGroup&) = delete;

private:
    UndoManager* m_undo;
};

} // namespace

VornickUndoableElementSplit::VornickUndoableElementSplit(VornickEditingContext& context, bool undoable, std::shared_ptr<DOMElement> element,
                                                         std::shared_ptr<DOMRange> at, bool producingCharacterLevelInsertionPoint,
                                                         bool suppressNewElementIfAtStartOrEnd)
    : VornickUndoableEdit(context, undoable)
    , m_splitsGivenElement(true)
    , m_element(std::move(element))
    , m_range(std::move(at))
    , m_producingCharacterLevelInsertionPoint(producingCharacterLevelInsertionPoint)
    , m_suppressNewElementIfAtStartOrEnd(suppressNewElementIfAtStartOrEnd)
{
}

VornickUndoableElementSplit::VornickUndoableElementSplit(VornickEditingContext& context, bool undoable, std::set<std::u16string> kinds,
                                                         bool nearest, std::shared_ptr<DOMRange> at,
                                                         bool producingCharacterLevelInsertionPoint, bool suppressNewElementIfAtStartOrEnd)
    : VornickUndoableEdit(context, undoable)
    , m_kinds(std::move(kinds))
    , m_nearest(nearest)
    , m_range(std::move(at))
    , m_producingCharacterLevelInsertionPoint(producingCharacterLevelInsertionPoint)
    , m_suppressNewElementIfAtStartOrEnd(suppressNewElementIfAtStartOrEnd)
{
}

bool VornickUndoableElementSplit::apply(std::vector<std::u16string>* exitedElementTags)
{
    if (m_splitsGivenElement)
        return splitElement(m_element, m_range);
    return splitNearestAncestorOfKinds(exitedElementTags);
}

bool VornickUndoableElementSplit::splitNearestAncestorOfKinds(std::vector<std::u16string>* exitedElementTags)
{
    const auto& kinds = m_kinds;
    bool nearest = m_nearest;
    auto range = m_range;
    if (exitedElementTags)
        exitedElementTags->clear();
    context().endTypingRun();
    ScopedUndoGroup group(undoManager());
    if (!range)
        return false;
    if (!range->collapsed()) {
        context().deleteSelection();
        range = context().effectiveOperationRange();
        if (!range || !range->collapsed())
            return false;
    }
    auto start = elementAtOrAbove(range->startContainer());
    auto document = vornick_ownerDocument(*range);
    BREVANTON_ASSERT(document && vornick_htmlSpecForDocType(*document), "documentSpec == nil");
    auto spec = vornick_htmlSpecForDocType(*document);
    auto limit = vornick_enclosingAttachmentPointElement(*range);
    if (!start || start == limit)
        return false;

    std::shared_ptr<DOMElement> candidate;
    for (auto element = start; element && element != limit;) {
        auto tag = asciiLowercase(element->tagName());
        if (kinds.count(tag)) {
            candidate = element;
            if (nearest)
                break;
        } else if (!spec->isUsuallyInlineElement(tag)) {
            break;
        }
        element = dynamicDowncast<DOMElement>(element->parentNode());
    }
    if (!candidate)
        return false;
    if (exitedElementTags) {
        for (DOMNode* node = start.get(); node; node = node->parent()) {
            exitedElementTags->insert(exitedElementTags->begin(), asciiLowercase(downcast<DOMElement>(node)->tagName()));
            if (node == candidate.get())
                break;
        }
    }
    registerSelectionUndo();
    bool split = splitElement(candidate, range);
    // A new list item beside the paragraph is the split of the item.
    if (split && m_addedListItem && exitedElementTags)
        exitedElementTags->insert(exitedElementTags->begin(), u"li");
    return split;
}

bool VornickUndoableElementSplit::splitElement(const std::shared_ptr<DOMElement>& element, const std::shared_ptr<DOMRange>& range)
{
    bool producingCharacterLevelInsertionPoint = m_producingCharacterLevelInsertionPoint;
    bool suppressNewElementIfAtStartOrEnd = m_suppressNewElementIfAtStartOrEnd;
    auto* helper = context().blockModeHelper();
    auto parent = element ? element->parentNode() : nullptr;
    auto document = element ? element->ownerDocument() : nullptr;
    if (!parent || !document || !range)
        return false;
    auto tag = asciiLowercase(element->tagName());
    char16_t substitute = vornick_nonBreakingSpaceSubstituteCharacter(*element);
    auto position = vornick_startPosition(*range);
    bool atStart = VornickPositionIsAtStartOfElementIgnoringWhitespace(position, *element, substitute);
    bool atEnd = !atStart && VornickPositionIsAtEndOfElementIgnoringWhitespace(position, *element, substitute);
    bool inMiddle = !atStart && !atEnd;

    std::u16string newKind;
    if (tag == u"dt")
        newKind = u"dd";
    else if (tag == u"dd")
        newKind = u"dt";
    else if (isSameKindSplit(tag))
        newKind = inMiddle ? tag : u"";
    else
        newKind = !inMiddle && suppressNewElementIfAtStartOrEnd ? u"" : tag;

    auto placeCaret = [&](std::shared_ptr<DOMRange> caret) {
        if (producingCharacterLevelInsertionPoint)
            vornick_pushRangeEndpointsDownToTextNodes(*caret);
        context().setTargetRange(caret);
    };

    if (inMiddle) {
        // The element with its block comments, as it stands, for the undo.
        auto outer = helper->outerRangeOfElementIncludingBlockStartAndEndComments(*element);
        unsigned spanStart = outer->startOffset();
        auto original = outer->cloneContents();
        begin(u"Split <" + tag + u">");
        // The second half: from the insertion point to just after the element.
        auto cut = range->cloneRange();
        cut->setEndAfter(*element);
        auto secondHalf = cut->extractContents();
        if (!secondHalf)
            return false;
        if (newKind != tag)
            helper->transformChildElementsInFragment(*secondHalf, tag, newKind, false);
        helper->blockifyFragment(*secondHalf);
        // The new half goes after the element's block end comment, if any.
        auto endComment = helper->blockEndCommentAfterNode(*element);
        unsigned insertedAt = (endComment ? endComment->index() : element->index()) + 1;
        unsigned insertedCount = secondHalf->childCount();
        parent->insertBefore(secondHalf, parent->childAt(insertedAt));
        auto inserted = document->createRange();
        inserted->setStart(parent, insertedAt);
        inserted->setEnd(parent, insertedAt + insertedCount);
        if (undoable()) {
            // The span from the element's start to the new half's end goes back to the original.
            unsigned spanEnd = insertedAt + insertedCount;
            if (auto span = VornickFreezeChildSpan(parent, spanStart, spanEnd, document)) {
                std::weak_ptr<DOMDocument> weakDocument = document;
                registerInverse([original, span = std::move(*span), weakDocument, substitute](VornickEditingContext& context) {
                    if (auto document = weakDocument.lock())
                        (void)VornickUndoableChildSpanExchange(context, VornickCloneFragment(*original), span, document, substitute,
                                                               std::nullopt)
                            .apply();
                });
            }
            setActionName();
        }
        auto caret = document->createRange();
        if (auto first = vornick_firstCompletelyContainedElement(*inserted))
            caret->setStartBefore(*first);
        else
            caret->setStart(parent, insertedAt);
        caret->collapse(true);
        placeCaret(caret);
        context().contentDidChangeInWebFrame(context().focusedWebFrame());
        return true;
    }

    auto placeholder = context().placeholderSpaceStringForDocumentContainingRange(*range);
    if (isSameKindSplit(tag)) {
        if (auto item = listItemAtEdgeOfParagraph(*element, position, atStart, substitute))
            return addListItemBeside(item, element, atStart, placeholder);
    }
    auto startComment = helper->blockStartCommentBeforeNode(*element);
    auto endComment = helper->blockEndCommentAfterNode(*element);
    if (atEnd && newKind.empty()) {
        auto next = endComment ? endComment->nextSibling() : element->nextSibling();
        if (next && next->isTextNode()
            && vornick_containsOnlyHTMLWhitespaceAndNonBreakingSpaceSubstituteCharacter(downcast<DOMCharacterData>(*next).data(),
                                                                                       substitute)) {
            std::shared_ptr<DOMRange> result;
            if (!VornickUndoableTextReplacement(context(), undoable(), vornick_innerRange(next), placeholder, false).apply(&result))
                return false;
            auto caret = document->createRange();
            if (producingCharacterLevelInsertionPoint)
                caret->setStart(next, 0);
            else
                caret->setStartBefore(*next);
            caret->collapse(true);
            context().setTargetRange(caret);
            return true;
        }
    }
    auto fragment = document->createDocumentFragment();
    if (!newKind.empty()) {
        auto sibling = document->createElement(newKind);
        sibling->appendChild(document->createTextNode(placeholder));
        fragment->appendChild(sibling);
    } else {
        fragment->appendChild(document->createTextNode(placeholder));
    }
    auto at = document->createRange();
    if (atStart && startComment)
        at->setStartBefore(*startComment);
    else if (atStart)
        at->setStartBefore(*element);
    else if (endComment)
        at->setStartAfter(*endComment);
    else
        at->setStartAfter(*element);
    at->collapse(true);
    std::shared_ptr<DOMRange> result;
    if (!VornickUndoableFragmentReplacement(context(), undoable(), at, fragment).apply(&result))
        return false;
    auto caret = document->createRange();
    if (atEnd && result) {
        caret->setStart(result->startContainer(), result->startOffset());
    } else {
        caret->setStart(element, 0);
    }
    caret->collapse(true);
    placeCaret(caret);
    return true;
}

bool VornickUndoableElementSplit::addListItemBeside(const std::shared_ptr<DOMElement>& item, const std::shared_ptr<DOMElement>& paragraph,
                                                    bool before, const std::u16string& placeholder)
{
    auto document = item->ownerDocument();
    auto innerTag = asciiLowercase(paragraph->tagName());
    auto fragment = document->createDocumentFragment();
    auto newItem = document->createElement(asciiLowercase(item->tagName()));
    auto inner = document->createElement(innerTag);
    inner->appendChild(document->createTextNode(placeholder));
    newItem->appendChild(inner);
    fragment->appendChild(newItem);
    auto at = document->createRange();
    if (before)
        at->setStartBefore(*item);
    else
        at->setStartAfter(*item);
    at->collapse(true);
    std::shared_ptr<DOMRange> result;
    if (!VornickUndoableFragmentReplacement(context(), undoable(), at, fragment).apply(&result))
        return false;
    // Before a new item the caret stays at the start of the paragraph; after
    // one it goes into the new paragraph.
    auto caret = document->createRange();
    if (before || !result)
        caret->setStart(paragraph, 0);
    else
        caret->setStart(result->startContainer(), result->startOffset());
    caret->collapse(true);
    if (m_producingCharacterLevelInsertionPoint)
        vornick_pushRangeEndpointsDownToTextNodes(*caret);
    context().setTargetRange(caret);
    m_addedListItem = true;
    return true;
}

} // namespace brevanton
