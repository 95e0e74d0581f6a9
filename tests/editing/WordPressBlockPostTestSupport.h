// The editing tests of WordPress block posts: the fixture's view replaced by
// one of a post view class, with the WordPress block mode helper in block
// mode.
#pragma once

#include "EditingTestSupport.h"

#include "html/VornickWordPressBlockModeHelper.h"

#include <memory>

namespace brevanton::testing {

// Replaces the view with a new one of the class, observed by the recorder,
// and gives it a block mode helper working in block mode, which it returns.
template<typename View>
std::shared_ptr<VornickWordPressBlockModeHelper> useBlockModeView(std::shared_ptr<VornickContentEditingView>& view, EditingRecorder& recorder)
{
    view->setDelegate(nullptr);
    view = VornickContentEditingView::create<View>(Rect(0, 0, 800, 600));
    view->setDelegate(&recorder);
    recorder.observe(*view);
    auto helper = std::make_shared<VornickWordPressBlockModeHelper>();
    helper->setOperatingInBlockMode(true);
    view->setBlockModeHelper(helper);
    return helper;
}

} // namespace brevanton::testing
