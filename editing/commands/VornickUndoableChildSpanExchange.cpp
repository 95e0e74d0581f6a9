#include "editing/commands/VornickUndoableChildSpanExchange.h"

#include "dom/VornickRangeExtensions.h"
#include "editing/commands/VornickEditingContext.h"
#include "platform/dom/DOMDocument.h"
#include "platform/dom/DOMElement.h"
#include "platform/dom/DOMRange.h"
#include "platform/web/WebFrame.h"

namespace brevanton {

VornickUndoableChildSpanExchange::VornickUndoableChildSpanExchange(VornickEditingContext& context,
                                                                   std::shared_ptr<DOMDocumentFragment> fragment,
                                                                   VornickFreezeDriedDOMRange span, std::shared_ptr<DOMDocument> document,
                                                                   char16_t substitute,
                                                                   std::optional<VornickFreezeDriedDOMRange> selectionToRestore)
    : VornickUndoableEdit(context, true)
    , m_fragment(std::move(fragment))
    , m_span(std::move(span))
    , m_document(std::move(document))
    , m_substitute(substitute)
    , m_selectionToRestore(std::move(selectionToRestore))
{
}

bool VornickUndoableChildSpanExchange::apply()
{
    auto& document = m_document;
    auto range = document ? m_span.thawRangeRelativeToNewAncestor(document) : nullptr;
    if (!range || range->startContainer() != range->endContainer() || !range->startContainer()->isContainerNode())
        return false;
    auto container = range->startContainer();
    unsigned start = range->startOffset();
    unsigned end = range->endOffset();
    if (end < start)
        return false;

    // What stands there now goes back on the way back, as do the selection
    // and the substitute it was taken with.
    auto body = document->body();
    std::optional<VornickFreezeDriedDOMRange> selectionNow;
    if (auto effective = context().effectiveOperationRange(); effective && body && vornick_ownerDocument(*effective) == document)
        selectionNow = VornickFreezeDriedDOMRange::freezeDriedDOMRangeFromRange(*effective, body, false);
    char16_t substituteNow = VornickSubstituteInForce(*container);
    auto removed = document->createDocumentFragment();
    for (unsigned index = start; index < end; ++index)
        removed->appendChild(container->childAt(start)->shared_from_this());

    unsigned inserted = 0;
    if (m_fragment) {
        VornickTranslateSubstitute(*m_fragment, m_substitute, substituteNow);
        inserted = m_fragment->childCount();
        container->insertBefore(m_fragment, container->childAt(start));
    }
    if (auto back = VornickFreezeChildSpan(container, start, start + inserted, document)) {
        std::weak_ptr<DOMDocument> weakDocument = document;
        registerInverse([removed, back = std::move(*back), weakDocument, substituteNow, selectionNow](VornickEditingContext& context) {
            if (auto document = weakDocument.lock())
                (void)VornickUndoableChildSpanExchange(context, removed, back, document, substituteNow, selectionNow).apply();
        });
    }
    if (m_selectionToRestore && body) {
        if (auto selection = m_selectionToRestore->thawRangeRelativeToNewAncestor(body))
            context().setTargetRange(selection);
    }
    auto mainFrame = context().mainFrame();
    context().contentDidChangeInWebFrame(mainFrame ? mainFrame->frameForDocument(*document) : nullptr);
    return true;
}

} // namespace brevanton
