// The post list filters popover in a real Qt window (offscreen), chosen from
// with real clicks.
#include "tests/platform/views/qt/QtTestSupport.h"

#include "blog/VornickBlogModel.h"
#include "platform/foundation/FileUtilities.h"
#include "platform/store/ManagedObjectContext.h"
#include "platform/store/PersistentStore.h"
#include "platform/views/Application.h"
#include "platform/views/Popover.h"
#include "platform/views/Window.h"
#include "platform/views/qt/QtWindowBackend.h"
#include "platform/views/qt/QtWindowWidget.h"
#include "publishing/VornickWordPressPostListFilters.h"
#include "publishing/VornickWordPressPostListFiltersUIController.h"

#include <QTest>

#include <gtest/gtest.h>

#include <algorithm>

namespace brevanton {
namespace {

using Objects = std::vector<std::shared_ptr<ManagedObject>>;

struct Editor : VornickWordPressPostListFiltersEditor {
    VornickWordPressPostListFilters filters;
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
    void userChangedPostListFilters(VornickWordPressPostListFiltersUIController&) override {}
};

class VornickWordPressPostListFiltersPopoverQtTests : public ::testing::Test {
protected:
    std::unique_ptr<QtWindowBackend> backend;
    std::shared_ptr<ManagedObjectContext> context;
    std::shared_ptr<ManagedObject> blog;
    std::shared_ptr<Window> blogWindow;
    std::shared_ptr<View> filtersButton;
    Editor editor;
    std::unique_ptr<VornickWordPressPostListFiltersUIController> controller;

    void SetUp() override
    {
        testing::qtApplication();
        backend = std::make_unique<QtWindowBackend>();
        std::string folder = createTemporaryDirectory("filters-popover").value();
        Error error;
        auto store = PersistentStore::open(folder + "/index.brevantonindex", vornickMakeBlogProjectModel(true), &error);
        ASSERT_TRUE(store) << error;
        context = ManagedObjectContext::create(store);
        blog = context->insertNewObject(u"Blog");
        for (const char16_t* title : { u"News", u"Travel" }) {
            auto category = context->insertNewObject(u"BlogCategory");
            category->setValueForKey(Value(title), u"title");
            category->setObjectForKey(blog, u"blog");
        }
        blogWindow = Window::create(Rect(100, 200, 500, 400));
        filtersButton = std::make_shared<View>(Rect(10, 360, 24, 24));
        blogWindow->contentView()->addSubview(filtersButton);
        blogWindow->makeKeyAndOrderFront();
        controller = std::make_unique<VornickWordPressPostListFiltersUIController>(&editor);
    }

    void TearDown() override
    {
        controller.reset();
        blogWindow->close();
        blogWindow.reset();
        backend.reset();
        Application::shared().resetForTesting();
    }

    QtWindowWidget* popoverWidget() const
    {
        auto window = controller->popover()->window();
        return window ? backend->widgetForWindow(*window) : nullptr;
    }

    void show()
    {
        controller->showForWordPressBlog(blog, filtersButton);
        QCoreApplication::processEvents();
        ASSERT_NE(popoverWidget(), nullptr);
        ASSERT_TRUE(popoverWidget()->isVisible());
    }

    // A point of the token's capsule: its middle, or left of its title.
    QPoint tokenPoint(VornickWordPressPostFilterStackItem& row, std::u16string_view title, bool beforeTitle = false)
    {
        auto tokens = row.tokenFilterView();
        const auto& titles = tokens->tokenTitles();
        auto found = std::find(titles.begin(), titles.end(), title);
        EXPECT_NE(found, titles.end());
        Rect rect = tokens->tokenCapsuleRects().at(static_cast<size_t>(found - titles.begin()));
        Point base = tokens->convertPointToView(Point { beforeTitle ? rect.minX() + 4 : rect.midX(), rect.midY() }, nullptr);
        return QPoint(static_cast<int>(base.x), static_cast<int>(popoverWidget()->height() - base.y));
    }

    void click(VornickWordPressPostFilterStackItem& row, std::u16string_view title, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        QPoint point = tokenPoint(row, title);
        QTest::mouseClick(popoverWidget(), Qt::LeftButton, modifiers, point);
        QCoreApplication::processEvents();
    }
};

TEST_F(VornickWordPressPostListFiltersPopoverQtTests, ThePopoverTakesPagesThenACategory)
{
    show();
    // The picture: the selected "All" of the types row is filled, "Pages" is not yet.
    QImage before = popoverWidget()->grab().toImage();
    auto types = controller->postTypesListItem();
    QPoint pages = tokenPoint(*types, u"Pages", true);
    QColor allFill = before.pixelColor(tokenPoint(*types, u"All", true));
    EXPECT_NE(allFill, before.pixelColor(pages)) << "the selected token has its fill";

    click(*types, u"Pages");
    EXPECT_EQ(editor.filters.selectedPostTypes, std::vector<std::u16string> { u"page" });
    EXPECT_FALSE(controller->popover()->isShown());
    EXPECT_FALSE(popoverWidget()->isVisible()) << "a plain click closes the popover";

    show();
    QImage shown = popoverWidget()->grab().toImage();
    EXPECT_EQ(shown.pixelColor(pages), allFill) << "\"Pages\" shows as chosen";

    // A Command-click (Control on this keyboard) keeps the popover open.
    auto categories = controller->categoriesListItem();
    click(*categories, u"News", Qt::ControlModifier);
    EXPECT_TRUE(popoverWidget()->isVisible());
    ASSERT_EQ(editor.filters.selectedCategories.size(), 1u);
    EXPECT_EQ(editor.filters.selectedCategories[0]->valueForKey(u"title"), Value(u"News"));
    click(*categories, u"Travel");
    ASSERT_EQ(editor.filters.selectedCategories.size(), 1u);
    EXPECT_EQ(editor.filters.selectedCategories[0]->valueForKey(u"title"), Value(u"Travel"));
    EXPECT_FALSE(popoverWidget()->isVisible());
    EXPECT_EQ(editor.filters.selectedPostTypes, std::vector<std::u16string> { u"page" });
}

} // namespace
} // namespace brevanton
