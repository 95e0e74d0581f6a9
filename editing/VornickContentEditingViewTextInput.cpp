// Typed text: the view performs every insertion the web view proposed, on a
// later turn of the main loop, as undoable edits with its own rules for
// white space, non-breaking spaces, pending inline styles and paragraphs.
#include "editing/VornickContentEditingView.h"

#include "dom/VornickDOMPosition.h"
#include "dom/VornickDOMServices.h"
#include "dom/VornickNodeExtensions.h"
#include "dom/VornickRangeExtensions.h"
#include "dom/VornickWebFrameExtensions.h"
#include "editing/VornickAttachmentPoint.h"
#include "editing/VornickContentEditingViewInternals.h"
#include "editing/VornickEmbeddedWebView.h"
#include "editing/commands/VornickUndoableTypedTextInsertion.h"
#include "platform/dom/DOMCharacterData.h"
#include "platform/dom/DOMDocument.h"
#include "platform/dom/DOMElement.h"
#include "platform/dom/DOMRange.h"
#include "platform/foundation/Assertions.h"
#include "platform/foundation/Text.h"
#include "platform/views/Pasteboard.h"
#include "platform/views/Sound.h"
#include "platform/web/WebFrame.h"
#include "toolkit/VornickCharacterSets.h"
#include "toolkit/VornickWhitespaceFilter.h"

#include <algorithm>

#include <utility>

namespace brevanton {

namespace {

constexpr char16_t nonBreakingSpace = 0xA0;

const std::u16string& textOf(const DOMNode& node)
{
    return downcast<DOMCharacterData>(node).data();
}

// White space that typing may condense: the HTML white space and newlines,
// and the editor's own U+00A0 when the frame shows the user's non-breaking
// spaces as a substitute (which is never condensed, nor is a U+00A0 of a
// frame without one: both are the user's).
bool isCondensableSpace(char16_t c, char16_t substitute)
{
    if (c == nonBreakingSpace)
        return substitute != 0;
    return c != substitute && vornick_whitespaceNonBreakingSpaceAndNewlineCharacterSet().contains(c);
}

} // namespace

// --- Deferred insertion

void VornickContentEditingView::Internals::deferredInsertProposedText(VornickContentEditingView& view, const std::u16string& proposedText, const std::shared_ptr<DOMRange>&,
                                                          WebViewInsertAction action)
{
    // A cloaked attachment point is not editable text.
    if (auto range = view.effectiveOperationRange()) {
        auto attachmentPoint = std::dynamic_pointer_cast<VornickAttachmentPoint>(vornick_enclosingAttachmentPoint(*range));
        if (attachmentPoint && attachmentPoint->cloaked()) {
            Sound::beep();
            return;
        }
    }
    VornickUndoableTypedTextInsertion(view.editingContext(), proposedText, action == VornickInsertActionReplacementText).apply();
}

// --- White space left behind

void VornickContentEditingView::Internals::condenseWhitespaceAtOffset(VornickContentEditingView& view, int32_t offset,
                                                                      const std::shared_ptr<DOMNode>& textNode)
{
    if (!textNode || !textNode->isTextNode() || !textNode->ownerDocument() || !textNode->isConnected())
        return;
    const std::u16string& data = textOf(*textNode);
    if (offset < 0 || static_cast<size_t>(offset) >= data.size())
        return;
    char16_t substitute = vornick_nonBreakingSpaceSubstituteCharacter(*textNode);
    auto isSpace = [substitute](char16_t c) { return isCondensableSpace(c, substitute); };
    size_t start = static_cast<size_t>(offset);
    while (start > 0 && isSpace(data[start - 1]))
        --start;
    size_t end = static_cast<size_t>(offset);
    while (end < data.size() && isSpace(data[end]))
        ++end;
    if (end - start < 2)
        return;
    auto run = data.substr(start, end - start);
    auto condensed = vornick_stringByFilteringWhitespaceWithOptions(
        run, VornickWhitespaceFilteringCollapse | VornickWhitespaceFilteringKeepSubstitutes, substitute, nullptr);
    if (condensed == run)
        return;
    auto range = textNode->ownerDocument()->createRange();
    range->setStart(textNode, static_cast<unsigned>(start));
    range->setEnd(textNode, static_cast<unsigned>(end));
    // Undoable, so that the offsets the undo steps recorded in this node stay true.
    (void)view.undoableReplaceRangeWithText(true, range, condensed, false);
}

// --- Text entry points that go through the web view's proposal

void VornickContentEditingView::Internals::insertExplicitNonBreakingSpace(VornickContentEditingView& editingView)
{
    // A view that may not be edited takes no text, whatever sends it.
    if (!editingView.m_internals->editable)
        return;
    auto range = editingView.effectiveOperationRange();
    editingView.shouldInsertText(*editingView.m_internals->webView, std::u16string(1, nonBreakingSpace), range.get(), WebViewInsertActionTyped);
}

void VornickContentEditingView::Internals::insertLoremIpsum(VornickContentEditingView& view)
{
    auto range = view.effectiveOperationRange();
    view.shouldInsertText(*view.m_internals->webView,
                     u"Lorem ipsum dolor sit amet, consectetur adipisicing elit, sed do eiusmod tempor incididunt ut labore et dolore "
                     u"magna aliqua. Ut enim ad minim veniam, quis nostrud exercitation ullamco laboris nisi ut aliquip ex ea commodo "
                     u"consequat. Duis aute irure dolor in reprehenderit in voluptate velit esse cillum dolore eu fugiat nulla "
                     u"pariatur. Excepteur sint occaecat cupidatat non proident, sunt in culpa qui officia deserunt mollit anim id est "
                     u"laborum.",
                     range.get(), WebViewInsertActionTyped);
}

void VornickContentEditingView::Internals::pasteAsPlainText(VornickContentEditingView& view)
{
    if (!view.m_internals->editable)
        return;
    auto pasteboard = Pasteboard::generalPasteboard();
    for (const auto& object : pasteboard->readObjectsForClasses({ PasteboardReadingClass::String })) {
        if (auto string = std::get_if<std::u16string>(&object)) {
            auto range = view.effectiveOperationRange();
            view.shouldInsertText(*view.m_internals->webView, *string, range.get(), WebViewInsertActionPasted);
        }
    }
}

// --- Deletion

} // namespace brevanton
