// The formatting commands of the editing view: inline style toggles, links
// (to a URL or to a file), heading levels, the conversion between ordinary
// and non-breaking spaces, unwrapping an element and stripping a selection
// of its markup. Each command acts on the effective operation range through
// the undoable primitives, as one undo step named by the command; each
// validator answers true exactly when its command would change something, so
// an enabled item always does what it says and a disabled one never would.
#include "editing/VornickContentEditingView.h"

#include "app/VornickApplicationDelegate.h"
#include "dom/VornickDOMServices.h"
#include "dom/VornickDocumentExtensions.h"
#include "dom/VornickNodeExtensions.h"
#include "dom/VornickRangeExtensions.h"
#include "dom/VornickRelativeDOMPath.h"
#include "dom/VornickWebFrameExtensions.h"
#include "editing/VornickCommandStepName.h"
#include "editing/VornickContentEditingViewInternals.h"
#include "editing/commands/VornickUndoableCharacterRunReplacement.h"
#include "editing/commands/VornickUndoableInlineStyleToggle.h"
#include "editing/commands/VornickUndoableElementKindRemoval.h"
#include "editing/commands/VornickUndoableTransform.h"
#include "editing/commands/VornickUndoableUnwrap.h"
#include "editing/commands/VornickUndoableWrap.h"
#include "html/VornickBlockModeHelper.h"
#include "html/VornickDocumentHTMLSpec.h"
#include "html/VornickHTMLElementSpec.h"
#include "html/VornickHTMLSpec.h"
#include "html/VornickWebFrameEditingState.h"
#include "platform/dom/DOMCharacterData.h"
#include "platform/dom/DOMDocument.h"
#include "platform/dom/DOMElement.h"
#include "platform/dom/DOMRange.h"
#include "platform/foundation/Text.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/views/Menu.h"
#include "platform/views/Sound.h"
#include "platform/web/WebFrame.h"
#include "toolkit/VornickEnduringFileReference.h"

#include <array>

namespace brevanton {

namespace {

constexpr char16_t nonBreakingSpace = 0x00A0;

const std::vector<std::u16string>& headingKinds()
{
    static const std::vector<std::u16string> kinds { u"H1", u"H2", u"H3", u"H4", u"H5", u"H6" };
    return kinds;
}

const std::vector<std::u16string>& headingAndParagraphKinds()
{
    static const std::vector<std::u16string> kinds { u"H1", u"H2", u"H3", u"H4", u"H5", u"H6", u"P" };
    return kinds;
}

bool isElementOfKind(const DOMNode* node, std::u16string_view kind)
{
    return node && node->isElementNode() && equalsIgnoringASCIICase(downcast<DOMElement>(node)->tagName(), kind);
}

std::u16string headingKindForLevel(long level)
{
    return u"H" + std::u16string(1, static_cast<char16_t>(u'0' + level));
}

long normalizedHeadingLevel(long tag)
{
    return tag >= 1 && tag <= 6 ? tag : 2;
}

// The element of the outer range a transform answers (its block comments left out).
std::shared_ptr<DOMElement> elementOfOuterRange(const DOMRange& outer)
{
    auto shrunk = outer.cloneRange();
    vornick_shrinkRangeToOmitOuterComments(*shrunk);
    auto node = vornick_exactlySelectedNode(*shrunk);
    return node && node->isElementNode() ? downcast<DOMElement>(node) : nullptr;
}

// The start or end of an element's content, in its text where it has some.
VornickDOMPosition contentEdgeOfElement(const std::shared_ptr<DOMElement>& element, bool start)
{
    auto inside = vornick_innerRange(element);
    if (!inside)
        return {};
    vornick_pushRangeEndpointsDownToTextNodes(*inside);
    return start ? vornick_startPosition(*inside) : vornick_endPosition(*inside);
}

// The number of characters between two positions.
size_t textLengthBetween(DOMDocument& document, const VornickDOMPosition& from, const VornickDOMPosition& to)
{
    auto range = document.createRange();
    range->setStart(from.node, static_cast<unsigned>(from.offset));
    range->setEnd(to.node, static_cast<unsigned>(to.offset));
    return range->toString().size();
}

// The position that many characters into the element's text (its end when
// the text is shorter).
VornickDOMPosition positionAtTextOffsetInElement(const std::shared_ptr<DOMElement>& element, size_t offset)
{
    size_t passed = 0;
    for (DOMNode* node = element->first(); node; node = node->traverseNext(element.get())) {
        if (!node->isTextNode())
            continue;
        size_t length = downcast<DOMCharacterData>(node)->data().size();
        if (offset <= passed + length)
            return { node->shared_from_this(), static_cast<int32_t>(offset - passed) };
        passed += length;
    }
    return contentEdgeOfElement(element, false);
}

std::shared_ptr<VornickHTMLSpec> htmlSpecOfFrame(const std::shared_ptr<WebFrame>& frame)
{
    return frame ? vornick_HTMLSpec(*frame) : nullptr;
}

// The specification a link is made with: the frame's, else that of HTML 5.
std::shared_ptr<VornickHTMLElementSpec> linkElementSpec(const std::shared_ptr<WebFrame>& frame)
{
    if (auto spec = htmlSpecOfFrame(frame)) {
        if (auto link = spec->elementSpecForTagName(u"A"))
            return link;
    }
    auto html5 = VornickHTMLSpec::htmlSpecForDocumentType(VornickHTMLDocumentType::HTML5);
    return html5 ? html5->elementSpecForTagName(u"A") : nullptr;
}

// What the link commands act on: the wrap-or-replace range, when there is
// one, and the link it selects or lies in; else the first link the
// effective operation range infers.
struct LinkPlace {
    std::shared_ptr<DOMRange> wrapOrReplaceRange;
    std::shared_ptr<DOMElement> link;
};

LinkPlace linkPlace(const VornickContentEditingView& view)
{
    LinkPlace place;
    place.wrapOrReplaceRange = view.effectiveOperationRangeForWrapOrReplace();
    if (place.wrapOrReplaceRange) {
        place.link = vornick_exactlySelectedElementOrElementThatSpansEntireRangeOfKinds(*place.wrapOrReplaceRange, { u"A" });
    } else if (auto range = view.effectiveOperationRange()) {
        auto inferred = vornick_inferredTargetElementsOfKinds(*range, { u"A" });
        if (!inferred.empty())
            place.link = inferred.front();
    }
    return place;
}

// Whether the range's text holds the character.
bool rangeTextContains(const DOMRange& range, char16_t character)
{
    return !vornick_enumerateTextSpansWithOptions(range, 0, [&](const std::shared_ptr<DOMText>& text, size_t start, size_t end,
                                                  bool& stop) {
        if (downcast<DOMCharacterData>(*text).data().substr(start, end - start).find(character) != std::u16string::npos)
            stop = true;
    });
}

// The character the user's non-breaking spaces show as in the range's frame.
char16_t nonBreakingSpaceShownIn(const DOMRange& range)
{
    char16_t substitute = range.startContainer() ? vornick_nonBreakingSpaceSubstituteCharacter(*range.startContainer()) : 0;
    return substitute ? substitute : nonBreakingSpace;
}

// The element an unwrap would take away, with the name of its step.
std::shared_ptr<DOMElement> elementToUnwrap(const VornickContentEditingView& view)
{
    auto selection = view.exactSelectionToUnwrapOrDeleteForEffectiveOperationRange();
    if (!selection || !selection->element() || selection->blockStartComment() || !selection->element()->parentNode())
        return nullptr;
    // What the element holds must be allowed where it would go.
    const auto& element = selection->element();
    auto document = element->ownerDocument();
    auto spec = document ? vornick_htmlSpecForDocType(*document) : nullptr;
    if (spec && !VornickParentMayTakeChildrenOfElement(*spec, *element))
        return nullptr;
    return element;
}

} // namespace

// --- Pending inline styles

void VornickContentEditingView::Internals::clearToggledInlineStyleElementsForCaretMove(VornickContentEditingView& view)
{
    if (view.m_internals->insertingTypedText)
        return;
    view.m_internals->toggledInlineStyleElementsForTyping.clear();
    view.m_internals->toggledInlineStyleElementsCaret = {};
}

void VornickContentEditingView::Internals::dropToggledInlineStyleElementsIfCaretMoved(VornickContentEditingView& view)
{
    if (view.m_internals->toggledInlineStyleElementsForTyping.empty() || !view.m_internals->toggledInlineStyleElementsCaret.node)
        return;
    // An edit that moves the caret (a deletion, say) moves it without
    // setting a new selection: the caret is compared with where it was.
    auto range = view.effectiveOperationRange();
    if (!range || !range->collapsed() || !(vornick_startPosition(*range) == view.m_internals->toggledInlineStyleElementsCaret)) {
        view.m_internals->toggledInlineStyleElementsForTyping.clear();
        view.m_internals->toggledInlineStyleElementsCaret = {};
    }
}

// --- Inline style toggles

bool VornickContentEditingView::undoableToggleApplicationOfInlineStyleElement(bool undoable, const std::u16string& tagName)
{
    return VornickUndoableInlineStyleToggle(editingContext(), undoable, tagName).apply();
}

bool VornickContentEditingView::canToggleApplicationOfInlineStyleElement(const std::u16string& tagName) const
{
    // A selection always changes: its text either loses the kind or gets it.
    if (!m_internals->editable || !m_internals->blockModeHelper || !m_internals->focusedWebFrame || !vornick_HTMLSpec(*m_internals->focusedWebFrame))
        return false;
    if (m_internals->blockModeHelper->canToggleApplicationOfInlineStyleElement(tagName, *this))
        return true;
    // Taking a kind off is allowed where putting it on would not be (bold
    // over two whole paragraphs).
    auto range = effectiveOperationRange();
    if (!range || range->collapsed())
        return false;
    auto copy = range->cloneRange();
    vornick_pushRangeEndpointsDownToTextNodes(*copy);
    return vornick_rangeMeetsElementOfKind(*copy, tagName) && vornick_allCharactersAreContainedInElementsOfKind(*copy, tagName);
}

namespace {

void performInlineStyleToggle(VornickContentEditingView& view, const std::u16string& tagName)
{
    if (!view.canToggleApplicationOfInlineStyleElement(tagName)) {
        Sound::beep();
        return;
    }
    (void)view.undoableToggleApplicationOfInlineStyleElement(true, tagName);
}

} // namespace

#define VORNICK_INLINE_STYLE_TOGGLE(Name, tag)                                  \
    void VornickContentEditingView::Internals::toggle##Name(VornickContentEditingView& view, ActionSender*) \
    {                                                                                                    \
        performInlineStyleToggle(view, tag);                                                             \
    }                                                                                                    \
    bool VornickContentEditingView::Internals::canToggle##Name(const VornickContentEditingView& view)     \
    {                                                                                                    \
        return view.canToggleApplicationOfInlineStyleElement(tag);                                       \
    }

VORNICK_INLINE_STYLE_TOGGLE(Emphasized, u"EM")
VORNICK_INLINE_STYLE_TOGGLE(StronglyEmphasized, u"STRONG")
VORNICK_INLINE_STYLE_TOGGLE(Italics, u"I")
VORNICK_INLINE_STYLE_TOGGLE(Boldface, u"B")
VORNICK_INLINE_STYLE_TOGGLE(Superscript, u"SUP")
VORNICK_INLINE_STYLE_TOGGLE(Subscript, u"SUB")
VORNICK_INLINE_STYLE_TOGGLE(Code, u"CODE")
VORNICK_INLINE_STYLE_TOGGLE(Deleted, u"DEL")
VORNICK_INLINE_STYLE_TOGGLE(Inserted, u"INS")
VORNICK_INLINE_STYLE_TOGGLE(Kbd, u"KBD")
VORNICK_INLINE_STYLE_TOGGLE(Marked, u"MARK")
VORNICK_INLINE_STYLE_TOGGLE(Samp, u"SAMP")
VORNICK_INLINE_STYLE_TOGGLE(Var, u"VAR")

#undef VORNICK_INLINE_STYLE_TOGGLE

// --- Links

bool VornickContentEditingView::canInsertOrWrapInLink() const
{
    if (!m_internals->editable)
        return false;
    auto spec = htmlSpecOfFrame(m_internals->focusedWebFrame);
    auto linkSpec = spec ? spec->elementSpecForTagName(u"A") : nullptr;
    auto range = effectiveOperationRange();
    if (!range)
        return false;
    // Without a specification to ask, links are made with that of HTML 5.
    if (!spec || !linkSpec)
        return true;
    auto userFragmentSet = vornick_userFragmentSet(*m_internals->focusedWebFrame);
    auto place = linkPlace(*this);
    if (place.wrapOrReplaceRange) {
        if (place.link)
            return true;
        if (m_internals->blockModeHelper && !m_internals->blockModeHelper->mayOfferElementInCompletionList(u"a", place.wrapOrReplaceRange.get()))
            return false;
        return spec->mayWrapContentsOfRangeInElementWithSpec(*place.wrapOrReplaceRange, *linkSpec, userFragmentSet.get(), nullptr);
    }
    if (place.link)
        return true;
    if (!range->collapsed())
        return false;
    return spec->mayInsertElementWithSpec(*linkSpec, vornick_startPosition(*range), userFragmentSet.get(), nullptr);
}

void VornickContentEditingView::Internals::insertOrWrapInLink(VornickContentEditingView& view, ActionSender*)
{
    if (!view.canInsertOrWrapInLink()) {
        Sound::beep();
        return;
    }
    auto place = linkPlace(view);
    if (place.link) {
        view.showAttributeEditorForElement(place.link, std::u16string(u"href"));
        return;
    }
    auto linkSpec = linkElementSpec(view.m_internals->focusedWebFrame);
    auto range = place.wrapOrReplaceRange ? place.wrapOrReplaceRange : view.effectiveOperationRange();
    if (!linkSpec || !range)
        return;
    VornickCommandStepName stepName(view.editingContext(), true, u"Make Link");
    stepName.open();
    (void)view.undoableApplyDescribedElement(true, *linkSpec, range, std::nullopt,
                                        UserDefaults::standard().boolForKey(u"ShowURLAttributeEditorWhenCreatingALink"));
    stepName.close();
}

bool VornickContentEditingView::Internals::canInsertOrWrapInLinkToFile(const VornickContentEditingView& view)
{
    return view.m_internals->blockModeHelper && view.m_internals->blockModeHelper->canInsertOrWrapInLinkToFileInContentEditingView(view);
}

void VornickContentEditingView::Internals::insertOrWrapInLinkToFile(VornickContentEditingView& view, ActionSender*)
{
    if (!Internals::canInsertOrWrapInLinkToFile(view)) {
        Sound::beep();
        return;
    }
    auto delegate = VornickApplicationDelegate::shared();
    auto document = view.m_internals->focusedWebFrame ? view.m_internals->focusedWebFrame->domDocument() : nullptr;
    if (!delegate || !document)
        return;
    auto weak = view.weakSelf();
    auto linkToFile = [weak](const URL& target) {
        auto self = weak.lock();
        if (!self || !Internals::canInsertOrWrapInLinkToFile(*self))
            return;
        VornickCommandStepName stepName(self->editingContext(), true, u"Link to File");
        stepName.open();
        auto place = linkPlace(*self);
        if (place.link) {
            auto linkDocument = place.link->ownerDocument();
            auto relative = linkDocument ? vornick_relativeURLStringForReferencingTargetURL(*linkDocument, &target) : std::nullopt;
            (void)self->undoableSetValue(true, relative.value_or(target.absoluteString()), u"href", place.link);
        } else if (auto linkSpec = linkElementSpec(self->focusedWebFrame())) {
            auto range = place.wrapOrReplaceRange ? place.wrapOrReplaceRange : self->effectiveOperationRange();
            if (range)
                (void)self->undoableApplyDescribedElement(true, *linkSpec, range, target, false);
        }
        stepName.close();
    };
    delegate->chooseFileOfAllowedTypes({}, vornick_baseDirectoryURLForResourceFileResolution(*document), view.window(),
                                       std::u16string(u"Please choose a file to link to."),
                                       [linkToFile](std::shared_ptr<VornickEnduringFileReference> file) {
                                           if (!file)
                                               return;
                                           Error error;
                                           (void)file->resolveAndUse(linkToFile, &error);
                                       });
}

// --- Heading levels

bool VornickContentEditingView::Internals::canChangeHeadingLevel(const VornickContentEditingView& view)
{
    return view.m_internals->editable && view.m_internals->blockModeHelper && view.m_internals->blockModeHelper->canChangeHeadingLevelInContentEditingView(view);
}

bool VornickContentEditingView::Internals::canChangeHeadingLevelTo(const VornickContentEditingView& view, long level)
{
    if (!Internals::canChangeHeadingLevel(view))
        return false;
    auto range = view.effectiveOperationRange();
    auto targets = vornick_inferredTargetElementsOfKinds(*range, headingAndParagraphKinds());
    if (targets.empty())
        return true;
    auto kind = headingKindForLevel(normalizedHeadingLevel(level));
    for (const auto& target : targets) {
        if (!isElementOfKind(target.get(), kind))
            return true;
    }
    return false;
}

void VornickContentEditingView::Internals::changeHeadingLevel(VornickContentEditingView& view, ActionSender* sender)
{
    long level = normalizedHeadingLevel(sender ? sender->tag() : 0);
    if (!Internals::canChangeHeadingLevelTo(view, level)) {
        Sound::beep();
        return;
    }
    auto kind = headingKindForLevel(level);
    view.endTypingRun();
    auto current = view.effectiveOperationRange();
    auto document = current ? vornick_ownerDocument(*current) : nullptr;
    if (!document)
        return;
    auto range = current->cloneRange();
    bool collapsed = range->collapsed();
    auto start = vornick_startPosition(*range);
    auto end = vornick_endPosition(*range);
    std::optional<VornickDOMPosition> newStart;
    std::optional<VornickDOMPosition> newEnd;
    VornickCommandStepName stepName(view.editingContext(), true, u"Change Heading Level");

    auto targets = vornick_inferredTargetElementsOfKinds(*range, headingAndParagraphKinds());
    if (!targets.empty()) {
        // Each paragraph or heading becomes one of the new kind; one already
        // of that kind stays as it is, and so do positions inside it.
        std::vector<std::shared_ptr<DOMElement>> changing;
        for (const auto& target : targets) {
            if (!isElementOfKind(target.get(), kind))
                changing.push_back(target);
            else if (vornick_hasAncestor(*start.node, target.get()) || start.node == target)
                newStart = start;
            if (isElementOfKind(target.get(), kind) && (vornick_hasAncestor(*end.node, target.get()) || end.node == target))
                newEnd = end;
        }
        stepName.open();
        for (size_t index = 0; index < changing.size(); ++index) {
            const auto& element = changing[index];
            auto startPath = VornickRelativeDOMPath::pathToPosition(start, element.get(), false);
            auto endPath = VornickRelativeDOMPath::pathToPosition(end, element.get(), false);
            std::shared_ptr<DOMRange> result;
            if (!view.undoableTransformElement(true, element, kind, &result) || !result)
                continue;
            auto replacement = elementOfOuterRange(*result);
            if (!replacement)
                continue;
            // A position in the element keeps its place in the new one; one
            // outside every changed element goes to the edge of the content
            // of the first (for the start) or last (for the end) of them.
            if (startPath)
                newStart = startPath->positionRelativeToNewAncestor(replacement);
            else if (index == 0 && !newStart)
                newStart = contentEdgeOfElement(replacement, true);
            if (endPath)
                newEnd = endPath->positionRelativeToNewAncestor(replacement);
            else if (index + 1 == changing.size() && !newEnd)
                newEnd = contentEdgeOfElement(replacement, false);
        }
    } else {
        auto spec = htmlSpecOfFrame(view.m_internals->focusedWebFrame);
        auto elementSpec = spec ? spec->elementSpecForTagName(kind) : nullptr;
        auto wrapped = range->cloneRange();
        if (!elementSpec || (collapsed && !vornick_expandToEncompassAdjacentContentThatCanBeWrappedInElementKind(*wrapped, kind)))
            return;
        // The selection is kept as character offsets into the wrapped text.
        size_t startOffset = textLengthBetween(*document, vornick_startPosition(*wrapped), start);
        size_t endOffset = textLengthBetween(*document, vornick_startPosition(*wrapped), end);
        stepName.open();
        if (view.undoableApplyDescribedElement(true, *elementSpec, wrapped)) {
            auto after = view.effectiveOperationRange();
            auto common = after ? after->commonAncestorContainer() : nullptr;
            if (common && common->isTextNode())
                common = common->parentNode();
            if (isElementOfKind(common.get(), kind)) {
                auto heading = downcast<DOMElement>(common);
                newStart = positionAtTextOffsetInElement(heading, startOffset);
                newEnd = positionAtTextOffsetInElement(heading, endOffset);
            }
        }
    }

    if (newStart && newStart->node && (collapsed || (newEnd && newEnd->node))) {
        auto selection = document->createRange();
        selection->setStart(newStart->node, static_cast<unsigned>(newStart->offset));
        if (collapsed)
            selection->collapse(true);
        else
            selection->setEnd(newEnd->node, static_cast<unsigned>(newEnd->offset));
        view.setTargetRangeUndoably(selection);
    }
    stepName.close();
}

bool VornickContentEditingView::Internals::canClearHeadingLevel(const VornickContentEditingView& view)
{
    return view.m_internals->editable && view.m_internals->blockModeHelper && view.m_internals->blockModeHelper->canClearHeadingLevelInContentEditingView(view);
}

void VornickContentEditingView::Internals::clearHeadingLevel(VornickContentEditingView& view, ActionSender*)
{
    if (!Internals::canClearHeadingLevel(view)) {
        Sound::beep();
        return;
    }
    view.endTypingRun();
    auto range = view.effectiveOperationRange();
    auto headings = vornick_inferredTargetElementsOfKinds(*range, headingKinds());
    if (headings.empty())
        return;
    VornickCommandStepName stepName(view.editingContext(), true, u"Clear Heading");
    stepName.open();
    std::shared_ptr<DOMRange> all;
    for (const auto& heading : headings) {
        std::shared_ptr<DOMRange> result;
        if (!view.undoableTransformElement(true, heading, u"P", &result) || !result)
            continue;
        if (all)
            vornick_addRange(*all, *result);
        else
            all = result->cloneRange();
    }
    if (all)
        view.setTargetRangeUndoably(all);
    stepName.close();
}

// --- Spaces

bool VornickContentEditingView::Internals::canReplaceWhitespaceWithNonBreakingSpaces(const VornickContentEditingView& view)
{
    auto range = view.effectiveOperationRange();
    return view.m_internals->editable && range && !range->collapsed() && rangeTextContains(*range, u' ');
}

bool VornickContentEditingView::Internals::canReplaceWhitespaceWithOrdinarySpaces(const VornickContentEditingView& view)
{
    auto range = view.effectiveOperationRange();
    return view.m_internals->editable && range && !range->collapsed() && rangeTextContains(*range, nonBreakingSpaceShownIn(*range));
}

bool VornickContentEditingView::undoableReplaceRunsOfCharacter(bool undoable, char16_t character, const std::shared_ptr<DOMRange>& range,
                                                              const std::u16string& replacement)
{
    return VornickUndoableCharacterRunReplacement(editingContext(), undoable, character, range, replacement).apply();
}

void VornickContentEditingView::Internals::replaceWhitespaceWithNonBreakingSpaces(VornickContentEditingView& view, ActionSender*)
{
    if (!Internals::canReplaceWhitespaceWithNonBreakingSpaces(view)) {
        Sound::beep();
        return;
    }
    view.endTypingRun();
    auto range = view.effectiveOperationRange()->cloneRange();
    VornickCommandStepName stepName(view.editingContext(), true, u"Replace Spaces with Non-Breaking Spaces");
    stepName.open();
    (void)view.undoableReplaceRunsOfCharacter(true, u' ', range, std::u16string(1, nonBreakingSpaceShownIn(*range)));
    stepName.close();
}

void VornickContentEditingView::Internals::replaceWhitespaceWithOrdinarySpaces(VornickContentEditingView& view, ActionSender*)
{
    if (!Internals::canReplaceWhitespaceWithOrdinarySpaces(view)) {
        Sound::beep();
        return;
    }
    view.endTypingRun();
    auto range = view.effectiveOperationRange()->cloneRange();
    VornickCommandStepName stepName(view.editingContext(), true, u"Replace Non-Breaking Spaces with Spaces");
    stepName.open();
    (void)view.undoableReplaceRunsOfCharacter(true, nonBreakingSpaceShownIn(*range), range, u" ");
    stepName.close();
}

// --- Unwrapping and stripping markup

bool VornickContentEditingView::Internals::canUnwrapElement(const VornickContentEditingView& view)
{
    return view.m_internals->editable && elementToUnwrap(view) != nullptr;
}

void VornickContentEditingView::Internals::unwrapElement(VornickContentEditingView& view, ActionSender*)
{
    auto element = view.m_internals->editable ? elementToUnwrap(view) : nullptr;
    if (!element) {
        Sound::beep();
        return;
    }
    // Named as the menu item is: "Unwrap <p>", or "Delete <img>" for an
    // element with nothing in it.
    std::u16string name = (element->hasChildNodes() ? u"Unwrap <" : u"Delete <") + asciiLowercase(element->tagName()) + u">";
    VornickCommandStepName stepName(view.editingContext(), true, name);
    stepName.open();
    (void)view.undoableUnwrapElement(true, element);
    stepName.close();
}

bool VornickContentEditingView::Internals::canRemoveAllElements(const VornickContentEditingView& view)
{
    auto range = view.effectiveOperationRange();
    if (!view.m_internals->editable || !range || range->collapsed() || !view.m_internals->blockModeHelper)
        return false;
    // Text within one text node has no markup to lose.
    if (range->startContainer() == range->endContainer() && range->startContainer()->isTextNode())
        return false;
    // The text goes where the range starts, which must take text: across a
    // row's cells it would stand in the row.
    if (const auto& start = range->startContainer(); start->isElementNode()) {
        auto document = start->ownerDocument();
        auto spec = document ? vornick_htmlSpecForDocType(*document) : nullptr;
        auto tag = asciiLowercase(downcast<DOMElement>(*start).tagName());
        if (spec && !spec->elementKindMayContainNode(tag, *document->createTextNode(u"x"), nullptr))
            return false;
    }
    bool touchesBlock = false;
    view.m_internals->blockModeHelper->enumerateBlocksIntersectingRange(*range, 0, [&](const VornickExactSelection&, bool& stop) {
        touchesBlock = stop = true;
    });
    if (touchesBlock)
        return false;
    auto contents = range->cloneContents();
    for (DOMNode* node = contents ? contents->first() : nullptr; node; node = node->traverseNext(contents.get())) {
        if (!node->isTextNode())
            return true;
    }
    // Only text: replacing it by itself would change nothing, unless the
    // range ends in another element than it starts in.
    auto startParent = range->startContainer()->isTextNode() ? range->startContainer()->parentNode() : range->startContainer();
    auto endParent = range->endContainer()->isTextNode() ? range->endContainer()->parentNode() : range->endContainer();
    return startParent != endParent;
}

void VornickContentEditingView::Internals::removeAllElements(VornickContentEditingView& view, ActionSender*)
{
    if (!Internals::canRemoveAllElements(view)) {
        Sound::beep();
        return;
    }
    view.endTypingRun();
    auto range = view.effectiveOperationRange()->cloneRange();
    VornickCommandStepName stepName(view.editingContext(), true, u"Remove All Markup");
    stepName.open();
    std::shared_ptr<DOMRange> result;
    if (view.undoableReplaceRangeWithText(true, range, range->toString(), false, &result) && result)
        view.setTargetRangeUndoably(result);
    stepName.close();
}

// --- Actions and their validation

// --- Element kinds, wrapping and unwrapping (editing/commands/)

bool VornickContentEditingView::undoableRemoveApplicationsOfElementKind(bool undoable, const std::u16string& tagName,
                                                                        const std::shared_ptr<DOMRange>& range)
{
    return VornickUndoableElementKindRemoval(editingContext(), undoable, tagName, range).apply();
}

bool VornickContentEditingView::undoableTransformElement(bool undoable, const std::shared_ptr<DOMElement>& element,
                                                         const std::u16string& tagName, std::shared_ptr<DOMRange>* outResultRange)
{
    return VornickUndoableTransform(editingContext(), undoable, element, tagName).apply(outResultRange);
}

bool VornickContentEditingView::undoableUnwrapElement(bool undoable, const std::shared_ptr<DOMNode>& elementToUnwrap)
{
    return VornickUndoableUnwrap(editingContext(), undoable, elementToUnwrap).apply();
}

bool VornickContentEditingView::undoableWrapRange(bool undoable, const std::shared_ptr<DOMRange>& range,
                                                  const std::shared_ptr<DOMDocumentFragment>& fragment,
                                                  const std::optional<VornickFreezeDriedDOMRange>& freezeDriedInteriorRange)
{
    return VornickUndoableWrap(editingContext(), undoable, range, fragment, freezeDriedInteriorRange).apply();
}

void VornickContentEditingView::Internals::installFormattingActionHandlers(VornickContentEditingView& view)
{
    view.installActionHandler("toggleEmphasized:", &Internals::toggleEmphasized);
    view.installActionHandler("toggleStronglyEmphasized:", &Internals::toggleStronglyEmphasized);
    view.installActionHandler("toggleItalics:", &Internals::toggleItalics);
    view.installActionHandler("toggleBoldface:", &Internals::toggleBoldface);
    view.installActionHandler("toggleSuperscript:", &Internals::toggleSuperscript);
    view.installActionHandler("toggleSubscript:", &Internals::toggleSubscript);
    view.installActionHandler("toggleCode:", &Internals::toggleCode);
    view.installActionHandler("toggleDeleted:", &Internals::toggleDeleted);
    view.installActionHandler("toggleInserted:", &Internals::toggleInserted);
    view.installActionHandler("toggleKbd:", &Internals::toggleKbd);
    view.installActionHandler("toggleMarked:", &Internals::toggleMarked);
    view.installActionHandler("toggleSamp:", &Internals::toggleSamp);
    view.installActionHandler("toggleVar:", &Internals::toggleVar);
    view.installActionHandler("insertOrWrapInLink:", &Internals::insertOrWrapInLink);
    view.installActionHandler("insertOrWrapInLinkToFile:", &Internals::insertOrWrapInLinkToFile);
    view.installActionHandler("changeHeadingLevel:", &Internals::changeHeadingLevel);
    view.installActionHandler("clearHeadingLevel:", &Internals::clearHeadingLevel);
    view.installActionHandler("replaceWhitespaceWithNonBreakingSpaces:", &Internals::replaceWhitespaceWithNonBreakingSpaces);
    view.installActionHandler("replaceWhitespaceWithOrdinarySpaces:", &Internals::replaceWhitespaceWithOrdinarySpaces);
    view.installActionHandler("unwrapElement:", &Internals::unwrapElement);
    view.installActionHandler("removeAllElements:", &Internals::removeAllElements);
    view.installActionHandler("transformBlockOrElement:", &VornickContentEditingView::transformBlockOrElement);
}

} // namespace brevanton
