#include "EditingTestSupport.h"

#include "editing/VornickDOMPathBar.h"
#include "platform/dom/DOMRange.h"
#include "platform/views/GraphicsContext.h"
#include "platform/views/Menu.h"

using namespace brevanton;
using namespace brevanton::testing;

namespace {

using PathBar = EditingViewTest;

std::vector<std::u16string> textsDrawn(VornickDOMPathBar& bar)
{
    GraphicsContext context;
    bar.draw(bar.bounds(), context);
    std::vector<std::u16string> texts;
    for (const auto& command : context.commands()) {
        if (command.kind == DrawCommand::Kind::Text)
            texts.push_back(command.text);
    }
    return texts;
}

TEST_F(PathBar, DrawsTheCaretsElementPathAndTheValidationSummary)
{
    load("page.html");
    auto bar = view->domPathBar();
    auto text = element(u"EM")->firstChild();
    auto caret = document()->createRange();
    caret->setStart(text, 1);
    caret->setEnd(text, 1);
    view->setTargetRange(caret);
    ASSERT_TRUE(waitForValidation());
    auto texts = textsDrawn(*bar);
    ASSERT_EQ(texts.size(), 2u);
    EXPECT_EQ(texts[0], view->tidyStatusSummaryForDisplayToUser());
    EXPECT_NE(texts[1].find(u"<p> \u203A <em>"), std::u16string::npos) << toUTF8(texts[1]);
    // The summary stands at the right end, clear of the path.
    EXPECT_NEAR(bar->validationSegmentRect().maxX(), bar->bounds().maxX() - 8, 0.5);
}

TEST_F(PathBar, ItsAdvisoriesEachTakeTheCaretToTheirPlaceInThePage)
{
    load("broken.html");
    ASSERT_TRUE(waitForValidation());
    auto advisories = view->tidyValidationAdvisoriesNotYetResolvedForFocusedWebFrame();
    ASSERT_FALSE(advisories.empty()) << "the unclosed <b> is reported";
    auto bar = view->domPathBar();
    auto menu = bar->advisoriesMenu();
    ASSERT_EQ(menu->numberOfItems(), static_cast<long>(advisories.size()));
    EXPECT_EQ(menu->itemAtIndex(0)->title(), advisories[0].description());

    // Chosen, an advisory puts the caret on its line of the page: the <b>'s.
    auto image = element(u"IMG");
    auto elsewhere = document()->createRange();
    ASSERT_TRUE(elsewhere->selectNode(*image));
    view->setTargetRange(elsewhere);
    size_t onLine8 = advisories.size();
    for (size_t index = 0; index < advisories.size(); ++index) {
        if (advisories[index].line() == 8)
            onLine8 = index;
    }
    ASSERT_LT(onLine8, advisories.size()) << toUTF8(advisories[0].description());
    ASSERT_TRUE(menu->performActionForItemAtIndex(static_cast<long>(onLine8)));
    auto range = view->effectiveOperationRange();
    ASSERT_TRUE(range);
    auto paragraph = element(u"P");
    EXPECT_TRUE(paragraph->contains(range->startContainer().get()))
        << "the caret went into the first paragraph";

    // A page without advisories lists that there are none.
    load("page.html");
    ASSERT_TRUE(waitForValidation());
    auto none = bar->advisoriesMenu();
    if (view->tidyValidationAdvisoriesNotYetResolvedForFocusedWebFrame().empty()) {
        ASSERT_EQ(none->numberOfItems(), 1);
        EXPECT_FALSE(Menu::validateItem(*none->itemAtIndex(0)));
    }
}

} // namespace
