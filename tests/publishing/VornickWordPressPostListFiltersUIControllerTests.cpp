#include "publishing/VornickWordPressPostListFiltersUIController.h"

#include "blog/VornickBlogModel.h"
#include "platform/foundation/FileUtilities.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/Text.h"
#include "platform/store/ManagedObjectContext.h"
#include "platform/store/PersistentStore.h"
#include "platform/views/Application.h"
#include "platform/views/EventSynthesizer.h"
#include "platform/views/Popover.h"
#include "platform/views/Window.h"
#include "publishing/VornickWordPressPostListFilters.h"

#include <gtest/gtest.h>

namespace brevanton {
namespace {

using Objects = std::vector<std::shared_ptr<ManagedObject>>;

// The blog window's side: the filters it holds, and how often the user changed them.
struct RecordingEditor : VornickWordPressPostListFiltersEditor {
    VornickWordPressPostListFilters filters;
    int userChanges { 0 };
    bool viewingTrash() const override { return filters.viewingTrash; }
    void setViewingTrash(bool trash) override { filters.viewingTrash = trash; }
    std::vector<std::u16string> selectedPostTypes() const override { return filters.selectedPostTypes; }
    void setSelectedPostTypes(std::vector<std::u16string> types) override { filters.selectedPostTypes = std::move(types); }
    Objects selectedPostStatuses() const override { return filters.selectedPostStatuses; }
    void setSelectedPostStatuses(Objects statuses) override { filters.selectedPostStatuses = std::move(statuses); }
    Objects selectedCategories() const override { return filters.selectedCategories; }
    void setSelectedCategories(Objects categories) override { filters.selectedCategories = std::move(categories); }
    Objects selectedTags() const override { return filters.selectedTags; }
    void setSelectedTags(Objects tags) override { filters.selectedTags = std::move(tags); }
    void userChangedPostListFilters(VornickWordPressPostListFiltersUIController&) override { ++userChanges; }
};

class VornickWordPressPostListFiltersTests : public ::testing::Test {
protected:
    std::shared_ptr<ManagedObjectContext> context;
    std::shared_ptr<ManagedObject> blog;
    std::shared_ptr<ManagedObject> otherBlog;
    RecordingEditor editor;
    std::shared_ptr<Window> window;
    std::shared_ptr<View> filtersButton;
    EventSynthesizer events;

    void SetUp() override
    {
        std::string folder = createTemporaryDirectory("post-list-filters").value();
        Error error;
        auto store = PersistentStore::open(folder + "/index.brevantonindex", vornickMakeBlogProjectModel(true), &error);
        ASSERT_TRUE(store) << error;
        context = ManagedObjectContext::create(store);
        blog = context->insertNewObject(u"Blog");
        otherBlog = context->insertNewObject(u"Blog");

        Application::shared().resetForTesting();
        window = Window::create(Rect(100, 100, 600, 400));
        window->makeKeyAndOrderFront();
        filtersButton = std::make_shared<View>(Rect(10, 10, 24, 24));
        window->contentView()->addSubview(filtersButton);
    }
    void TearDown() override { Application::shared().resetForTesting(); }

    std::shared_ptr<ManagedObject> term(std::u16string_view entity, std::u16string title, const std::shared_ptr<ManagedObject>& owner,
                                        std::u16string identifier = {})
    {
        auto object = context->insertNewObject(entity);
        object->setValueForKey(Value(std::move(title)), u"title");
        if (!identifier.empty())
            object->setValueForKey(Value(std::move(identifier)), u"identifier");
        object->setObjectForKey(owner, u"blog");
        return object;
    }

    std::shared_ptr<ManagedObject> post(std::u16string title, std::u16string type = u"post")
    {
        auto object = context->insertNewObject(u"BlogPost");
        object->setValueForKey(Value(std::move(title)), u"title");
        object->setValueForKey(Value(std::move(type)), u"type");
        object->setValueForKey(Value(false), u"inTrash");
        object->setObjectForKey(blog, u"blog");
        return object;
    }

    std::vector<std::u16string> postTitles(const Predicate& predicate)
    {
        FetchRequest request(u"BlogPost");
        request.setPredicate(predicate);
        request.setSortDescriptors({ { u"title", true } });
        std::vector<std::u16string> titles;
        auto objects = context->executeFetchRequest(request, nullptr);
        EXPECT_TRUE(objects);
        for (auto& object : objects.value_or(Objects {}))
            titles.push_back(object->valueForKey(u"title").stringValue());
        return titles;
    }

    static std::vector<std::u16string> titlesOf(VornickWordPressPostFilterStackItem& row)
    {
        return row.tokenFilterView()->tokenTitles();
    }

    // Clicks the token of that title in the shown popover's window.
    void clickToken(VornickWordPressPostFilterStackItem& row, std::u16string_view title, ModifierFlags flags = 0)
    {
        auto tokens = row.tokenFilterView();
        const auto& titles = tokens->tokenTitles();
        auto found = std::find(titles.begin(), titles.end(), title);
        ASSERT_NE(found, titles.end()) << toUTF8(title);
        Rect rect = tokens->tokenCapsuleRects().at(static_cast<size_t>(found - titles.begin()));
        Point center = tokens->convertPointToView(Point { rect.midX(), rect.midY() }, nullptr);
        events.click(tokens->window(), center, flags);
    }
};

TEST_F(VornickWordPressPostListFiltersTests, RowsComeFromTheBlogAndTheEditorsFilters)
{
    term(u"PostStatus", u"Published", blog, u"publish");
    term(u"PostStatus", u"Trash", blog, u"trash");
    term(u"PostStatus", u"", blog, u"private");
    auto draft = term(u"PostStatus", u"Draft", blog, u"draft");
    term(u"BlogCategory", u"travel", blog);
    auto news = term(u"BlogCategory", u"News", blog);
    term(u"BlogCategory", u"Elsewhere", otherBlog);
    term(u"BlogTag", u"cats", blog);

    VornickWordPressPostListFiltersUIController controller(&editor);
    editor.filters.selectedPostStatuses = { draft };
    editor.filters.selectedCategories = { news };
    controller.showForWordPressBlog(blog, filtersButton);
    ASSERT_TRUE(controller.popover()->isShown());

    auto& stack = *controller.filterStackView();
    std::vector<std::shared_ptr<VornickStackItem>> order { controller.activeOrInTrashListItem(), controller.postStatusesListItem(),
                                                           controller.postTypesListItem(), controller.categoriesListItem(),
                                                           controller.tagsListItem() };
    EXPECT_EQ(stack.items(), order) << "state, statuses, types, categories, tags";
    for (size_t i = 1; i < order.size(); ++i)
        EXPECT_GT(order[i]->view()->frame().minY(), order[i - 1]->view()->frame().minY());

    EXPECT_EQ(titlesOf(*controller.activeOrInTrashListItem()), (std::vector<std::u16string> { u"Active", u"Trash" }));
    EXPECT_EQ(controller.activeOrInTrashListItem()->tokenFilterView()->selectedObjects(), (VornickTokenObjectSet { u"active" }));
    EXPECT_FALSE(controller.activeOrInTrashListItem()->tokenFilterView()->wraps());
    EXPECT_EQ(titlesOf(*controller.postTypesListItem()), (std::vector<std::u16string> { u"All", u"Posts", u"Pages" }));
    EXPECT_EQ(controller.postTypesListItem()->tokenFilterView()->selectedObjects(),
              (VornickTokenObjectSet { VornickTokenFilterView::noFilterSentinel() }));
    EXPECT_EQ(titlesOf(*controller.postStatusesListItem()), (std::vector<std::u16string> { u"All", u"Draft", u"Published" }))
        << "no token for the trash status nor for a status without a title";
    EXPECT_EQ(controller.postStatusesListItem()->tokenFilterView()->selectedObjects(), (VornickTokenObjectSet { draft }));
    EXPECT_EQ(titlesOf(*controller.categoriesListItem()), (std::vector<std::u16string> { u"All", u"News", u"travel" }))
        << "this blog's categories by title, case ignored";
    EXPECT_EQ(controller.categoriesListItem()->tokenFilterView()->selectedObjects(), (VornickTokenObjectSet { news }));
    EXPECT_EQ(titlesOf(*controller.tagsListItem()), (std::vector<std::u16string> { u"All", u"cats" }));

    // Another blog: its own lists only; a blog without categories has "All" alone.
    controller.setBlog(otherBlog);
    EXPECT_EQ(titlesOf(*controller.categoriesListItem()), (std::vector<std::u16string> { u"All", u"Elsewhere" }));
    EXPECT_EQ(titlesOf(*controller.tagsListItem()), (std::vector<std::u16string> { u"All" }));
    EXPECT_EQ(titlesOf(*controller.postStatusesListItem()), (std::vector<std::u16string> { u"All" }));

    // A category added while the popover is up shows at the end of the turn.
    term(u"BlogCategory", u"Dogs", otherBlog);
    RunLoop::main().runOnce();
    EXPECT_EQ(titlesOf(*controller.categoriesListItem()), (std::vector<std::u16string> { u"All", u"Dogs", u"Elsewhere" }));

    // Without a blog nothing is shown.
    controller.popover()->close();
    controller.showForWordPressBlog(nullptr, filtersButton);
    EXPECT_FALSE(controller.popover()->isShown());
}

TEST_F(VornickWordPressPostListFiltersTests, ClicksSetTheFiltersAndCommandClicksKeepThePopoverOpen)
{
    auto news = term(u"BlogCategory", u"News", blog);
    auto travel = term(u"BlogCategory", u"Travel", blog);
    VornickWordPressPostListFiltersUIController controller(&editor);
    controller.showForWordPressBlog(blog, filtersButton);

    clickToken(*controller.postTypesListItem(), u"Pages");
    EXPECT_EQ(editor.filters.selectedPostTypes, std::vector<std::u16string> { u"page" });
    EXPECT_EQ(editor.userChanges, 1);
    EXPECT_FALSE(controller.popover()->isShown()) << "a plain click closes the popover";

    controller.showForWordPressBlog(blog, filtersButton);
    EXPECT_EQ(controller.postTypesListItem()->tokenFilterView()->selectedObjects(), (VornickTokenObjectSet { u"page" }));
    clickToken(*controller.categoriesListItem(), u"News", ModifierFlag::Command);
    clickToken(*controller.categoriesListItem(), u"Travel", ModifierFlag::Command);
    EXPECT_TRUE(controller.popover()->isShown()) << "Command-clicks keep it open";
    EXPECT_EQ(editor.filters.selectedCategories, (Objects { news, travel }));
    clickToken(*controller.activeOrInTrashListItem(), u"Trash", ModifierFlag::Command);
    EXPECT_TRUE(editor.filters.viewingTrash);

    // "All" clears its row's filter, and shows selected the next time.
    clickToken(*controller.categoriesListItem(), u"All");
    EXPECT_TRUE(editor.filters.selectedCategories.empty());
    EXPECT_FALSE(controller.popover()->isShown());
    controller.showForWordPressBlog(blog, filtersButton);
    EXPECT_EQ(controller.categoriesListItem()->tokenFilterView()->selectedObjects(),
              (VornickTokenObjectSet { VornickTokenFilterView::noFilterSentinel() }));
    EXPECT_EQ(controller.activeOrInTrashListItem()->tokenFilterView()->selectedObjects(), (VornickTokenObjectSet { u"trash" }));

    controller.clearFilters();
    EXPECT_EQ(editor.filters, VornickWordPressPostListFilters {});
    EXPECT_FALSE(controller.popover()->isShown());
    EXPECT_EQ(controller.activeOrInTrashListItem()->tokenFilterView()->selectedObjects(), (VornickTokenObjectSet { u"active" }));
}

TEST_F(VornickWordPressPostListFiltersTests, ManyTagsWrapAndTheStackGrows)
{
    for (int i = 0; i < 40; ++i)
        term(u"BlogTag", u"tag number " + toUTF16(std::to_string(i)), blog);
    VornickWordPressPostListFiltersUIController controller(&editor);
    controller.showForWordPressBlog(blog, filtersButton);
    auto tags = controller.tagsListItem();
    double oneLine = controller.postTypesListItem()->view()->frame().height();
    EXPECT_GT(tags->view()->frame().height(), 3 * oneLine) << "the tags row grew with its lines";
    EXPECT_EQ(tags->tokenFilterView()->frame().height(), tags->view()->frame().height());
    auto& stack = *controller.filterStackView();
    EXPECT_DOUBLE_EQ(stack.frame().height(), tags->view()->frame().maxY() + stack.padding());
    EXPECT_EQ(controller.popover()->window()->frame().size, stack.frame().size) << "the popover follows the stack";
    EXPECT_FALSE(tags->tokenFilterView()->lastTokenCapsuleRectIsOverflowMenuCapsule());
}

TEST_F(VornickWordPressPostListFiltersTests, CategoriesAndTagsFilterByTheObjectsAndRestoreByTitle)
{
    auto news = term(u"BlogCategory", u"News", blog);
    auto otherNews = term(u"BlogCategory", u"News", blog);
    auto tag = term(u"BlogTag", u"cats", blog);
    auto draft = term(u"PostStatus", u"Draft", blog, u"draft");
    auto first = post(u"first");
    first->addObjectForKey(news, u"categories");
    first->addObjectForKey(tag, u"tags");
    auto second = post(u"second");
    second->addObjectForKey(otherNews, u"categories");
    auto page = post(u"page", u"page");
    page->setObjectForKey(draft, u"status");
    page->addObjectForKey(news, u"categories");
    auto trashed = post(u"trashed");
    trashed->setValueForKey(Value(true), u"inTrash");
    auto elsewhere = context->insertNewObject(u"BlogPost");
    elsewhere->setValueForKey(Value(u"elsewhere"), u"title");
    elsewhere->setValueForKey(Value(false), u"inTrash");
    elsewhere->setObjectForKey(otherBlog, u"blog");

    VornickWordPressPostListFilters filters;
    EXPECT_FALSE(filters.isFiltering());
    EXPECT_EQ(postTitles(filters.predicateForBlog(blog, u"", 3)), (std::vector<std::u16string> { u"first", u"page", u"second" }));

    filters.selectedCategories = { news };
    EXPECT_TRUE(filters.isFiltering());
    EXPECT_EQ(postTitles(filters.predicateForBlog(blog, u"", 3)), (std::vector<std::u16string> { u"first", u"page" }))
        << "the other category of the same title is another filter";
    filters.selectedPostTypes = { u"page" };
    filters.selectedPostStatuses = { draft };
    EXPECT_EQ(postTitles(filters.predicateForBlog(blog, u"", 3)), (std::vector<std::u16string> { u"page" }));
    filters = {};
    filters.selectedTags = { tag };
    EXPECT_EQ(postTitles(filters.predicateForBlog(blog, u"", 3)), (std::vector<std::u16string> { u"first" }));

    filters = {};
    filters.viewingTrash = true;
    EXPECT_TRUE(filters.isFiltering());
    EXPECT_EQ(postTitles(filters.predicateForBlog(blog, u"", 3)), (std::vector<std::u16string> { u"trashed" }));

    // The search is no filter; bit 0 looks into the source too.
    filters = {};
    second->setValueForKey(Value(u"<p>About FIRST things</p>"), u"sourceContentString");
    EXPECT_EQ(postTitles(filters.predicateForBlog(blog, u"First", 2)), (std::vector<std::u16string> { u"first" }));
    EXPECT_EQ(postTitles(filters.predicateForBlog(blog, u"First", 3)), (std::vector<std::u16string> { u"first", u"second" }));
    EXPECT_FALSE(filters.isFiltering());

    // Kept by title (statuses by identifier); restored from the blog by
    // those, values without a match dropped.
    filters.selectedCategories = { news };
    filters.selectedTags = { tag };
    filters.selectedPostStatuses = { draft };
    EXPECT_EQ(filters.restorableCategoryTitles(), Value(Array { Value(u"News") }));
    EXPECT_EQ(filters.restorableStatusIdentifiers(), Value(Array { Value(u"draft") }));
    auto restored = VornickWordPressPostListFilters::resolveRestoredValues(*context, blog, u"BlogCategory", u"title",
                                                                           Value(Array { Value(u"News"), Value(u"Gone"), Value(3) }));
    EXPECT_EQ(restored, (Objects { news, otherNews }));
    EXPECT_EQ(VornickWordPressPostListFilters::resolveRestoredValues(*context, blog, u"BlogTag", u"title", filters.restorableTagTitles()),
              Objects { tag });
    EXPECT_EQ(VornickWordPressPostListFilters::resolveRestoredValues(*context, otherBlog, u"BlogTag", u"title", filters.restorableTagTitles()),
              Objects {}) << "only the blog's own tags";
    EXPECT_TRUE(VornickWordPressPostListFilters::resolveRestoredValues(*context, blog, u"PostStatus", u"identifier", Value(u"draft")).empty())
        << "a value that is not a set finds nothing";

    // A chosen category deleted meanwhile matches nothing rather than everything.
    filters = {};
    filters.selectedCategories = { otherNews };
    context->deleteObject(otherNews);
    EXPECT_TRUE(postTitles(filters.predicateForBlog(blog, u"", 3)).empty());
}

} // namespace
} // namespace brevanton
