// Splitting an element at the insertion point: the nearest (or outermost)
// enclosing element of some kinds is cut in two there, or, at its very start
// or end, a sibling is put beside it; one undo step named "Split <tag>".
#include "editing/VornickContentEditingView.h"

#include "dom/VornickDOMPosition.h"
#include "dom/VornickDOMServices.h"
#include "dom/VornickNodeExtensions.h"
#include "dom/VornickRangeExtensions.h"
#include "editing/commands/VornickUndoableChildSpanExchange.h"
#include "html/VornickDocumentHTMLSpec.h"
#include "html/VornickHTMLSpec.h"
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

std::shared_ptr<DOMElement> elementAtOrAbove(const std::shared_ptr<DOMNode>& node)
{
    if (!node)
        return nullptr;
    if (node->isElementNode())
        return std::static_pointer_cast<DOMElement>(node);
    auto parent = node->parentNode();
    return parent && parent->isElementNode() ? std::static_pointer_cast<DOMElement>(parent) : nullptr;
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

bool VornickContentEditingView::undoableSplitNearestAncestorElementsOfKinds(bool undoable, bool nearest,
                                                                            const std::set<std::u16string>& kinds,
                                                                            std::shared_ptr<DOMRange> range,
                                                                            bool producingCharacterLevelInsertionPoint,
                                                                            bool suppressNewElementIfAtStartOrEnd,
                                                                            std::vector<std::u16string>* exitedElementTags)
{
    if (exitedElementTags)
        exitedElementTags->clear();
    endTypingRun();
    ScopedUndoGroup group(undoable ? undoManager() : nullptr);
    if (!range)
        return false;
    if (!range->collapsed()) {
        deleteSelection();
        range = effectiveOperationRange();
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
        auto parent = element->parentNode();
        element = parent && parent->isElementNode() ? std::static_pointer_cast<DOMElement>(parent) : nullptr;
    }
    if (!candidate)
        return false;
    if (exitedElementTags) {
        for (DOMNode* node = start.get(); node; node = node->parent()) {
            exitedElementTags->insert(exitedElementTags->begin(), asciiLowercase(static_cast<DOMElement*>(node)->tagName()));
            if (node == candidate.get())
                break;
        }
    }
    if (undoable)
        registerTargetRangeUndo();
    return undoableSplitAncestorElement(undoable, candidate, range, producingCharacterLevelInsertionPoint,
                                        suppressNewElementIfAtStartOrEnd);
}

bool VornickContentEditingView::undoableSplitAncestorElement(bool undoable, const std::shared_ptr<DOMElement>& element,
                                                             const std::shared_ptr<DOMRange>& range,
                                                             bool producingCharacterLevelInsertionPoint,
                                                             bool suppressNewElementIfAtStartOrEnd)
{
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
        setTargetRange(caret);
    };

    if (inMiddle) {
        // The element with its block comments, as it stands, for the undo.
        auto outer = m_blockModeHelper->outerRangeOfElementIncludingBlockStartAndEndComments(*element);
        unsigned spanStart = outer->startOffset();
        auto original = outer->cloneContents();
        VornickUndoableEdit edit(editingContext(), undoable);
        edit.begin(u"Split <" + tag + u">");
        // The second half: from the insertion point to just after the element.
        auto cut = range->cloneRange();
        cut->setEndAfter(*element);
        auto secondHalf = cut->extractContents();
        if (!secondHalf)
            return false;
        if (newKind != tag)
            m_blockModeHelper->transformChildElementsInFragment(*secondHalf, tag, newKind, false);
        m_blockModeHelper->blockifyFragment(*secondHalf);
        // The new half goes after the element's block end comment, if any.
        auto endComment = m_blockModeHelper->blockEndCommentAfterNode(*element);
        unsigned insertedAt = (endComment ? static_cast<DOMNode&>(*endComment) : static_cast<DOMNode&>(*element)).index() + 1;
        unsigned insertedCount = secondHalf->childCount();
        parent->insertBefore(secondHalf, parent->childAt(insertedAt));
        auto inserted = document->createRange();
        inserted->setStart(parent, insertedAt);
        inserted->setEnd(parent, insertedAt + insertedCount);
        if (edit.undoable()) {
            // The span from the element's start to the new half's end goes back to the original.
            unsigned spanEnd = insertedAt + insertedCount;
            if (auto span = VornickFreezeChildSpan(parent, spanStart, spanEnd, document)) {
                std::weak_ptr<DOMDocument> weakDocument = document;
                edit.registerInverse([original, span = std::move(*span), weakDocument, substitute](VornickEditingContext& context) {
                    if (auto document = weakDocument.lock())
                        (void)VornickUndoableChildSpanExchange(context, VornickCloneFragment(*original), span, document, substitute,
                                                               std::nullopt)
                            .apply();
                });
            }
            edit.setActionName();
        }
        auto caret = document->createRange();
        if (auto first = vornick_firstCompletelyContainedElement(*inserted))
            caret->setStartBefore(*first);
        else
            caret->setStart(parent, insertedAt);
        caret->collapse(true);
        placeCaret(caret);
        postVornickContentEditingViewDidChangeContentInWebFrame(m_focusedWebFrame, nullptr);
        return true;
    }

    auto startComment = m_blockModeHelper->blockStartCommentBeforeNode(*element);
    auto endComment = m_blockModeHelper->blockEndCommentAfterNode(*element);
    auto placeholder = placeholderSpaceStringForDocumentContainingRange(*range);
    if (atEnd && newKind.empty()) {
        auto next = (endComment ? std::static_pointer_cast<DOMNode>(endComment) : std::static_pointer_cast<DOMNode>(element))->nextSibling();
        if (next && next->isTextNode()
            && vornick_containsOnlyHTMLWhitespaceAndNonBreakingSpaceSubstituteCharacter(static_cast<DOMCharacterData&>(*next).data(),
                                                                                       substitute)) {
            std::shared_ptr<DOMRange> result;
            if (!undoableReplaceRangeWithText(undoable, vornick_innerRange(next), placeholder, false, &result))
                return false;
            auto caret = document->createRange();
            if (producingCharacterLevelInsertionPoint)
                caret->setStart(next, 0);
            else
                caret->setStartBefore(*next);
            caret->collapse(true);
            setTargetRange(caret);
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
    if (atStart)
        at->setStartBefore(startComment ? static_cast<DOMNode&>(*startComment) : static_cast<DOMNode&>(*element));
    else
        at->setStartAfter(endComment ? static_cast<DOMNode&>(*endComment) : static_cast<DOMNode&>(*element));
    at->collapse(true);
    std::shared_ptr<DOMRange> result;
    if (!undoableReplaceRangeWithFragment(undoable, at, fragment, std::nullopt, &result))
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

} // namespace brevanton
