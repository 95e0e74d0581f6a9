// A post's tags in a token field completing from its blog's tags, its
// categories in a check box outline, and the two small popovers a post view
// opens over its tag and category lists.
#include "tests/publishing/PostViewTestSupport.h"

#include "blog/VornickBlogTag.h"
#include "platform/views/Button.h"
#include "platform/views/EventSynthesizer.h"
#include "platform/views/ScrollView.h"
#include "platform/views/TextField.h"
#include "platform/views/Window.h"
#include "publishing/VornickBlogPostCategoriesOutlineViewController.h"
#include "publishing/VornickBlogPostTagListEditor.h"
#include "publishing/VornickBlogPostTagListTokenFieldController.h"
#include "publishing/VornickWordPressBlogPostCategoryListEditor.h"

namespace brevanton {

namespace {

class TermEditorsTests : public PostViewTest {
protected:
    std::shared_ptr<VornickBlogTag> tag(const std::u16string& title, const std::u16string& identifier = u"1")
    {
        return std::dynamic_pointer_cast<VornickBlogTag>(term(u"BlogTag", u"identifierUsedByBlogService", identifier, title));
    }
    std::shared_ptr<VornickBlogCategory> category(const std::u16string& title, const std::shared_ptr<VornickBlogCategory>& parent = nullptr)
    {
        auto made = std::dynamic_pointer_cast<VornickBlogCategory>(term(u"BlogCategory", u"identifierUsedByBlogService", u"1", title));
        if (parent)
            made->setObjectForKey(parent, u"parentCategory");
        return made;
    }
    static std::vector<std::u16string> titlesOf(const VornickBlogTags& tags)
    {
        std::vector<std::u16string> titles;
        for (const auto& tag : tags)
            titles.push_back(tag->title());
        return titles;
    }
    static std::vector<std::u16string> titlesOf(const VornickBlogCategories& categories)
    {
        std::vector<std::u16string> titles;
        for (const auto& category : categories)
            titles.push_back(category->title());
        std::sort(titles.begin(), titles.end());
        return titles;
    }
    static std::vector<std::u16string> tagTitlesOfPost(const VornickBlogPost& post)
    {
        std::vector<std::u16string> titles;
        for (const auto& object : post.objectsForKey(u"tags"))
            titles.push_back(object->valueForKey(u"title").stringValue());
        std::sort(titles.begin(), titles.end());
        return titles;
    }
};

using Strings = std::vector<std::u16string>;

} // namespace

TEST_F(TermEditorsTests, CompletionsComeFromTheBlogsTagsLeavingOutTokensAndTheEmptyString)
{
    auto swift = tag(u"Swift");
    tag(u"SwiftUI");
    tag(u"Sweden");
    tag(u"");
    auto post = makePost(u"Post", u"<p>x</p>");
    post->setObjectsForKey({ swift }, u"tags");
    auto controller = VornickBlogPostTagListTokenFieldController::create();
    controller->setPost(post);
    auto& field = *controller->tokenField();

    EXPECT_EQ(controller->tagCompletionSet().count(), 3u) << "a tag without a title is no completion";
    EXPECT_EQ(titlesOf(controller->displayedTags()), Strings { u"Swift" });
    EXPECT_EQ(controller->completionsForSubstring(field, u"sw", 0, 30), (Strings { u"Sweden", u"SwiftUI" }))
        << "the tag already a token is not offered";
    EXPECT_TRUE(controller->completionsForSubstring(field, u"", 0, 30).empty());
    EXPECT_EQ(controller->completionsForSubstring(field, u"sw", 0, 1).size(), 1u);

    // Only a tag of the exact title stands for a typed word.
    EXPECT_TRUE(std::any_cast<std::shared_ptr<VornickBlogTag>>(controller->representedObjectForEditingString(field, u"Sweden")));
    EXPECT_FALSE(controller->representedObjectForEditingString(field, u"sweden").has_value());
    EXPECT_EQ(controller->displayStringForRepresentedObject(field, std::any(42)), u"?");

    // A tag of another blog's post is not completed after the post changes.
    auto other = makePost(u"Other", u"<p>y</p>");
    controller->setPost(other);
    EXPECT_TRUE(controller->displayedTags().empty());
    EXPECT_EQ(controller->completionsForSubstring(field, u"sw", 0, 30).size(), 3u);
}

TEST_F(TermEditorsTests, TypedWordsBecomeTagsOrUnknownTokensAndNeverVanish)
{
    tag(u"Travel");
    tag(u"Food");
    auto post = makePost(u"Post", u"<p>x</p>");
    auto controller = VornickBlogPostTagListTokenFieldController::create();
    controller->setPost(post);
    auto window = Window::create(Rect(0, 0, 400, 100));
    window->contentView()->addSubview(controller->tokenField());
    window->makeKeyAndOrderFront();
    ASSERT_TRUE(window->makeFirstResponder(controller->tokenField()));
    EventSynthesizer events;
    VornickBlogTags committed;
    int commits = 0;
    controller->setCommitHandler([&](const VornickBlogTags& tags) {
        committed = tags;
        ++commits;
    });

    events.typeText(window, u"Food,");
    events.typeText(window, u"trav");
    EXPECT_EQ(controller->tokenField()->completions(), Strings { u"Travel" });
    events.pressKey(window, u'\r');
    events.typeText(window, u"Holidays,");
    EXPECT_EQ(titlesOf(controller->displayedTags()), (Strings { u"Food", u"Travel" }));
    EXPECT_EQ(controller->unknownTagTitles(), Strings { u"Holidays" });
    EXPECT_EQ(commits, 0);
    events.pressKey(window, u'\r');
    EXPECT_EQ(commits, 1) << "Return with nothing typed commits";
    EXPECT_EQ(titlesOf(committed), (Strings { u"Food", u"Travel" }));
    EXPECT_NE(vornick_unknownTagsMessage(controller->unknownTagTitles()).find(u"\u201CHolidays\u201D"), std::u16string::npos);

    // The field shows the post's tags by title.
    post->setObjectsForKey({ tag(u"b"), tag(u"a") }, u"tags");
    controller->updateControlsFromPost();
    EXPECT_EQ(titlesOf(controller->displayedTags()), (Strings { u"a", u"b" }));
    EXPECT_TRUE(controller->unknownTagTitles().empty());
    window->orderOut();
}

TEST_F(TermEditorsTests, CheckingCategoriesKeepsUncategorizedExclusive)
{
    auto uncategorized = category(u"Uncategorized");
    auto travel = category(u"Travel");
    auto europe = category(u"Europe", travel);
    auto asia = category(u"Asia", travel);
    auto food = category(u"Food");
    auto post = makePost(u"Post", u"<p>x</p>");
    post->setObjectsForKey({ uncategorized }, u"categories");
    auto controller = VornickBlogPostCategoriesOutlineViewController::create();
    int changes = 0;
    controller->setProposedCategoriesChangeHandler([&](const VornickBlogCategories&) { ++changes; });
    controller->setPost(post);

    EXPECT_EQ(titlesOf(controller->sortedRootCategories()), (Strings { u"Food", u"Travel", u"Uncategorized" }));
    auto& outline = *controller->categoriesOutlineView();
    ASSERT_EQ(outline.numberOfRows(), 5) << "the tree is shown expanded";
    EXPECT_EQ(outline.itemAtRow(2), asia) << "children by title";
    EXPECT_EQ(controller->child(outline, 7, nullptr), nullptr);
    EXPECT_TRUE(controller->objectValue(outline, {}, uncategorized).boolValue());
    EXPECT_EQ(controller->checkBoxTitle(outline, {}, europe), u"Europe");

    // Unchecking the only category, "Uncategorized", does nothing.
    controller->setCategoryChecked(uncategorized, false);
    EXPECT_EQ(titlesOf(controller->proposedCategories()), Strings { u"Uncategorized" });
    // Checking another unchecks "Uncategorized".
    controller->setCategoryChecked(europe, true);
    EXPECT_EQ(titlesOf(controller->proposedCategories()), Strings { u"Europe" });
    controller->setCategoryChecked(food, true);
    // Checking "Uncategorized" unchecks all others.
    controller->setCategoryChecked(uncategorized, true);
    EXPECT_EQ(titlesOf(controller->proposedCategories()), Strings { u"Uncategorized" });
    // Unchecking the last category other than "Uncategorized" leaves none.
    controller->setCategoryChecked(food, true);
    controller->setCategoryChecked(food, false);
    EXPECT_TRUE(controller->proposedCategories().empty());
    EXPECT_EQ(changes, 6);
    EXPECT_EQ(post->countForKey(u"categories"), 1u) << "only a commit changes the post";

    // A click on a row's box goes through the same rules.
    controller->setCategoryChecked(uncategorized, true);
    long travelRow = outline.rowForItem(travel);
    controller->setObjectValue(outline, Value(true), VornickBlogPostCategoriesOutlineViewController::checkColumn, outline.itemAtRow(travelRow));
    EXPECT_EQ(titlesOf(controller->proposedCategories()), Strings { u"Travel" });
    VornickBlogCategories committed;
    controller->setCommitHandler([&](const VornickBlogCategories& proposed) { committed = proposed; });
    controller->applyCategoryEdits();
    EXPECT_EQ(titlesOf(committed), Strings { u"Travel" });
}

TEST_F(TermEditorsTests, TheTagPopoverGivesThePostItsTagsAndRefusesUnknownWords)
{
    writeTemplate("post-standard.html", twentyTwentyThreePostTemplate());
    auto travel = tag(u"Travel");
    auto food = tag(u"Food");
    auto post = makePost(u"Post", u"<p>x</p>");
    post->setObjectsForKey({ travel }, u"tags");
    show(post);
    auto window = Window::create(Rect(0, 0, 1024, 768));
    window->setContentView(view);
    window->makeKeyAndOrderFront();
    auto point = view->attachmentPointWithIdentifier(u"tags");
    ASSERT_TRUE(point);
    point->actionHandler()(*point);
    auto editor = view->tagListEditor();
    ASSERT_TRUE(editor);
    EXPECT_EQ(delegate.propertiesToEdit, Strings { u"tags" });
    ASSERT_TRUE(editor->popover()->isShown());
    EXPECT_EQ(editor->popover()->preferredEdge(), RectEdge::MinY);
    auto popoverWindow = editor->popover()->window();
    EXPECT_EQ(popoverWindow->firstResponder(), editor->tagsTokenFieldController()->tokenField()) << "the field takes the keyboard";
    EXPECT_EQ(titlesOf(editor->tagsTokenFieldController()->displayedTags()), Strings { u"Travel" });

    EventSynthesizer events;
    events.typeText(popoverWindow, u"Xyz,Food,");
    EXPECT_FALSE(editor->applyTagEdits());
    EXPECT_TRUE(editor->popover()->isShown()) << "a word naming no tag is not dropped";
    EXPECT_FALSE(editor->messageLabel()->isHidden());
    EXPECT_NE(editor->messageLabel()->stringValue().find(u"Xyz"), std::u16string::npos);
    EXPECT_EQ(tagTitlesOfPost(*post), Strings { u"Travel" });

    // Backspace removes the unknown word; Return accepts.
    events.pressKey(popoverWindow, u'\x7f');
    events.pressKey(popoverWindow, u'\x7f');
    EXPECT_EQ(editor->tagsTokenFieldController()->unknownTagTitles(), Strings {});
    events.typeText(popoverWindow, u"Food\r");
    events.pressKey(popoverWindow, u'\r');
    EXPECT_FALSE(editor->popover()->isShown());
    EXPECT_EQ(tagTitlesOfPost(*post), (Strings { u"Food", u"Travel" }));
    EXPECT_TRUE(post->hasEditsNotYetSavedToSourceFile());
    EXPECT_FALSE(editor->post()) << "a closed popover forgets the post";

    // Scrolled out of view: closed without saving.
    post->setHasEditsNotYetSavedToSourceFile(false);
    point = view->attachmentPointWithIdentifier(u"tags");
    point->actionHandler()(*point);
    ASSERT_TRUE(editor->popover()->isShown());
    editor->repositionToTrackTargetRange();
    EXPECT_TRUE(editor->popover()->isShown()) << "still in view";
    events.typeText(editor->popover()->window(), u"\x7f\x7f");
    view->setFrameSize({ 1024, 1 });
    view->embeddedWebViewScrolled();
    EXPECT_FALSE(editor->popover()->isShown());
    EXPECT_EQ(tagTitlesOfPost(*post), (Strings { u"Food", u"Travel" }));
    EXPECT_FALSE(post->hasEditsNotYetSavedToSourceFile());
    window->setContentView(nullptr);
    window->orderOut();
}

TEST_F(TermEditorsTests, TheCategoryPopoverCommitsTheCheckedCategoriesAndHasNoAddOrDelete)
{
    writeTemplate("post-standard.html", twentyTwentyThreePostTemplate());
    auto uncategorized = category(u"Uncategorized");
    auto travel = category(u"Travel");
    auto post = makePost(u"Post", u"<p>x</p>");
    post->setObjectsForKey({ travel }, u"categories");
    show(post);
    auto point = view->attachmentPointWithIdentifier(u"categories");
    ASSERT_TRUE(point);
    point->actionHandler()(*point);
    auto editor = view->categoryListEditor();
    ASSERT_TRUE(editor);
    ASSERT_TRUE(editor->popover()->isShown());
    EXPECT_EQ(delegate.propertiesToEdit, Strings { u"categories" });

    // Only OK and Cancel: categories are made and removed on the site.
    Strings buttons;
    for (const auto& subview : editor->popover()->contentView()->subviews()) {
        if (auto button = std::dynamic_pointer_cast<Button>(subview))
            buttons.push_back(button->title());
    }
    EXPECT_EQ(buttons, (Strings { u"Cancel", u"OK" }));

    auto& controller = *editor->categoriesOutlineViewController();
    controller.setCategoryChecked(uncategorized, true);
    editor->cancelCategoryEdits();
    EXPECT_EQ(post->objectsForKey(u"categories"), (std::vector<std::shared_ptr<ManagedObject>> { travel }));

    point->actionHandler()(*point);
    EXPECT_TRUE(controller.isProposed(*travel)) << "a new showing starts from the post";
    controller.setCategoryChecked(uncategorized, true);
    editor->applyCategoryEdits();
    EXPECT_FALSE(editor->popover()->isShown());
    EXPECT_EQ(post->objectsForKey(u"categories"), (std::vector<std::shared_ptr<ManagedObject>> { uncategorized }));
    EXPECT_TRUE(post->hasEditsNotYetSavedToSourceFile());
}

} // namespace brevanton
