// Switching the snippet set a document uses (none: plain HTML). The new set
// is asked to validate itself for the document's type.
#include "editing/VornickContentEditingView.h"

#include "dom/VornickDocumentType.h"
#include "html/VornickFragmentSet.h"
#include "html/VornickWebFrameEditingState.h"
#include "platform/dom/DOMDocument.h"
#include "platform/foundation/UndoManager.h"
#include "platform/web/WebFrame.h"

namespace brevanton {

namespace {

std::u16string switchStepName(const VornickFragmentSet* set)
{
    if (!set)
        return u"Switch to No Snippet Set (Plain HTML)";
    return u"Switch to Snippet Set: \"" + set->title() + u"\"";
}

} // namespace

bool VornickContentEditingView::undoableSetFragmentSet(bool undoable, const std::shared_ptr<VornickFragmentSet>& fragmentSet,
                                                       const std::shared_ptr<WebFrame>& frame)
{
    endTypingRun();
    if (!frame)
        return false;
    auto current = vornick_userFragmentSet(*frame);
    if (current == fragmentSet)
        return true;
    if (undoable) {
        if (auto undo = undoManager()) {
            std::weak_ptr<WebFrame> weakFrame = frame;
            registerUndo([weakFrame, current](VornickContentEditingView& view) {
                if (auto frame = weakFrame.lock())
                    view.undoableSetFragmentSet(true, current, frame);
            });
            // The step is named after the set its forward action switches
            // to: while undoing, that is the set in use before the undo.
            undo->setActionName(switchStepName(undo->isUndoing() ? current.get() : fragmentSet.get()));
        }
    }
    vornick_setUserFragmentSet(*frame, fragmentSet);
    auto document = frame->domDocument();
    if (fragmentSet && document) {
        auto type = vornick_documentType(*document);
        if (type != VornickHTMLDocumentType::Unknown)
            fragmentSet->requestValidationForDocumentType(type);
    }
    postVornickContentEditingViewDidChangeContentInWebFrame(frame, nullptr);
    return true;
}

} // namespace brevanton
