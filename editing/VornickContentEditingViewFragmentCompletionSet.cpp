// The snippet completion set the view builds for each frame: the body
// elements of the frame's HTML specification and the snippets of its snippet
// sets, made by a class that views for other kinds of content replace.
#include "editing/VornickContentEditingView.h"
#include "editing/VornickContentEditingViewInternals.h"

#include "dom/VornickWebFrameExtensions.h"
#include "html/VornickFragmentCompletionSet.h"
#include "html/VornickWebFrameEditingState.h"
#include "platform/web/WebFrame.h"

namespace brevanton {

VornickContentEditingView::FragmentCompletionSetClass VornickContentEditingView::fragmentCompletionSetClass() const
{
    return [](std::shared_ptr<VornickFragmentSet> base, std::shared_ptr<VornickFragmentSet> user, std::shared_ptr<VornickHTMLSpec> spec) {
        return std::make_shared<VornickFragmentCompletionSet>(std::move(base), std::move(user), std::move(spec));
    };
}

std::shared_ptr<VornickFragmentCompletionSet> VornickContentEditingView::Internals::rebuildFragmentCompletionSetForWebFrame(VornickContentEditingView& view, const WebFrame& frame)
{
    auto spec = vornick_HTMLSpec(frame);
    if (!spec) {
        vornick_setFragmentCompletionSet(frame, nullptr);
        return nullptr;
    }
    auto set = view.fragmentCompletionSetClass()(vornick_baseFragmentSet(frame), vornick_userFragmentSet(frame), std::move(spec));
    if (!set)
        return nullptr;
    set->rebuildIndex();
    vornick_setFragmentCompletionSet(frame, set);
    return set;
}

} // namespace brevanton
