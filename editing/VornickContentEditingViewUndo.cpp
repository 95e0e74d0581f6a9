// The view's side of undo: registering inverses (and removing them from
// every undo manager when the view goes), the selection inverses, and the
// open typing and backspace runs.
#include "editing/VornickContentEditingView.h"

#include "dom/VornickRangeExtensions.h"
#include "editing/VornickContentEditingViewInternals.h"
#include "editing/commands/VornickUndoableTypingRun.h"
#include "platform/dom/DOMDocument.h"
#include "platform/dom/DOMElement.h"
#include "platform/dom/DOMRange.h"
#include "platform/foundation/UndoManager.h"

#include <algorithm>

namespace brevanton {

void VornickContentEditingView::registerUndo(std::function<void(VornickContentEditingView&)> inverse,
                                             std::shared_ptr<const void> keptAlive)
{
    contentWillBeEdited();
    auto undo = undoManager();
    if (!undo)
        return;
    bool known = std::any_of(m_internals->undoManagersRegisteredWith.begin(), m_internals->undoManagersRegisteredWith.end(),
                             [undo](const auto& entry) { return entry.first == undo && !entry.second.expired(); });
    if (!known) {
        std::erase_if(m_internals->undoManagersRegisteredWith, [](const auto& entry) { return entry.second.expired(); });
        m_internals->undoManagersRegisteredWith.emplace_back(undo, undo->lifetime());
    }
    auto weak = weakSelf();
    undo->registerUndo(this, std::move(keptAlive), [weak, inverse = std::move(inverse)] {
        auto self = weak.lock();
        if (!self)
            return;
        // Undo and redo change what an open run's offsets count.
        self->endTypingRun();
        self->endBackspaceRun();
        inverse(*self);
    });
}

void VornickContentEditingView::Internals::removeUndoActionsFromEveryUndoManager(VornickContentEditingView& view)
{
    auto managers = std::move(view.m_internals->undoManagersRegisteredWith);
    view.m_internals->undoManagersRegisteredWith.clear();
    for (const auto& [undo, lifetime] : managers) {
        if (auto alive = lifetime.lock())
            undo->removeAllActionsWithTarget(&view);
    }
    if (auto undo = view.m_internals->ownUndoManager.get())
        undo->removeAllActionsWithTarget(&view);
}

// --- Selection inverses

void VornickContentEditingView::setTargetRangeUndoably(const std::shared_ptr<DOMRange>& range)
{
    auto current = effectiveOperationRange();
    bool differs = !current || !range || !vornick_isSameAsRange(*current, *range);
    if (differs)
        registerTargetRangeUndo();
    setTargetRange(range);
}

void VornickContentEditingView::registerTargetRangeUndo()
{
    auto range = effectiveOperationRange();
    if (!range)
        return;
    auto document = vornick_ownerDocument(*range);
    std::shared_ptr<DOMNode> body = document ? document->body() : nullptr;
    if (!body)
        return;
    auto frozen = VornickFreezeDriedDOMRange::freezeDriedDOMRangeFromRange(*range, body, false);
    if (!frozen)
        return;
    std::weak_ptr<DOMNode> weakBody = body;
    registerUndo([frozen = std::move(*frozen), weakBody](VornickContentEditingView& view) {
        if (auto body = weakBody.lock())
            Internals::undoSetTargetRange(view, frozen, body);
    });
}

void VornickContentEditingView::Internals::undoSetTargetRange(VornickContentEditingView& view, const VornickFreezeDriedDOMRange& frozen, const std::shared_ptr<DOMNode>& body)
{
    auto range = body ? frozen.thawRangeRelativeToNewAncestor(body) : nullptr;
    if (!range)
        return;
    view.registerTargetRangeUndo();
    view.setTargetRange(range);
}

// --- Runs

void VornickContentEditingView::endTypingRun()
{
    m_internals->activeTypingRun.reset();
}

void VornickContentEditingView::endBackspaceRun()
{
    m_internals->activeBackspaceRun.reset();
}

} // namespace brevanton
