#include "EditingTestSupport.h"

#include "html/VornickFragmentCompletionSet.h"
#include "html/VornickHTMLSpec.h"
#include "html/VornickWebFrameEditingState.h"
#include "tests/editing/VornickContentEditingViewTestPeer.h"

using namespace brevanton;
using namespace brevanton::testing;

namespace {

// A completion set that offers no tables.
class TablelessCompletionSet : public VornickFragmentCompletionSet {
public:
    using VornickFragmentCompletionSet::VornickFragmentCompletionSet;
    bool shouldIncludeElement(std::u16string_view tagName) const override { return tagName != u"table"; }
};

class TablelessView : public VornickContentEditingView {
public:
    using VornickContentEditingView::VornickContentEditingView;
    FragmentCompletionSetClass fragmentCompletionSetClass() const override
    {
        return [](auto base, auto user, auto spec) { return std::make_shared<TablelessCompletionSet>(base, user, spec); };
    }
};

bool offers(const VornickFragmentCompletionSet& set, std::u16string_view tag)
{
    for (const auto& match : set.rankedMatchesForSearchString(tag)) {
        if (match.completionString() == tag)
            return true;
    }
    return false;
}

class FragmentCompletionSetOfFrames : public EditingViewTest { };

TEST_F(FragmentCompletionSetOfFrames, EachFrameGetsASetOfTheViewsClassWhileItHasASpecification)
{
    view = VornickContentEditingView::create<TablelessView>(Rect(0, 0, 800, 600));
    load("page.html");
    auto frame = view->mainFrame();
    auto set = VornickContentEditingViewTestPeer::rebuildFragmentCompletionSetForWebFrame(*view, *frame);
    ASSERT_TRUE(std::dynamic_pointer_cast<TablelessCompletionSet>(set));
    EXPECT_EQ(vornick_fragmentCompletionSet(*frame), set);
    EXPECT_TRUE(offers(*set, u"blockquote"));
    EXPECT_FALSE(offers(*set, u"table"));

    vornick_setHTMLSpec(*frame, nullptr);
    EXPECT_FALSE(VornickContentEditingViewTestPeer::rebuildFragmentCompletionSetForWebFrame(*view, *frame));
    EXPECT_FALSE(vornick_fragmentCompletionSet(*frame));
}

} // namespace
