#include "editing/commands/VornickUndoableFragmentSetSwitch.h"

#include "dom/VornickDocumentType.h"
#include "html/VornickDocumentHTMLSpec.h"
#include "editing/commands/VornickEditingContext.h"
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

VornickUndoableFragmentSetSwitch::VornickUndoableFragmentSetSwitch(VornickEditingContext& context, bool undoable,
                                                                   std::shared_ptr<VornickFragmentSet> fragmentSet,
                                                                   std::shared_ptr<WebFrame> frame)
    : VornickUndoableEdit(context, undoable)
    , m_fragmentSet(std::move(fragmentSet))
    , m_frame(std::move(frame))
{
}

bool VornickUndoableFragmentSetSwitch::apply()
{
    const auto& frame = m_frame;
    const auto& fragmentSet = m_fragmentSet;
    // The open typing run ends even when nothing changes.
    context().endTypingRun();
    if (!frame)
        return false;
    auto current = vornick_userFragmentSet(*frame);
    if (current == fragmentSet)
        return true;
    // The step is named after the set its forward action switches to: while
    // undoing, that is the set in use before the undo.
    auto undo = undoManager();
    begin(switchStepName(undo && undo->isUndoing() ? current.get() : fragmentSet.get()), TypingRun::End, BackspaceRun::Keep);
    std::weak_ptr<WebFrame> weakFrame = frame;
    registerInverse([weakFrame, current](VornickEditingContext& context) {
        if (auto frame = weakFrame.lock())
            (void)VornickUndoableFragmentSetSwitch(context, true, current, frame).apply();
    });
    setActionName();

    vornick_setUserFragmentSet(*frame, fragmentSet);
    auto document = frame->domDocument();
    if (fragmentSet && document) {
        auto type = VornickEditingDocumentTypeOfDocument(*document);
        if (type != VornickHTMLDocumentType::Unknown)
            fragmentSet->requestValidationForDocumentType(type);
    }
    context().contentDidChangeInWebFrame(frame);
    return true;
}

} // namespace brevanton
