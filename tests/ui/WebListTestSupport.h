// An array controller of plain store objects for web list tests, with a
// recording action delegate, and a list in a window on the manual clock.
#pragma once

#include "platform/dom/DOMDocument.h"
#include "platform/dom/DOMElement.h"
#include "platform/foundation/FileUtilities.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/Text.h"
#include "platform/store/ManagedObjectContext.h"
#include "platform/store/ManagedObjectModel.h"
#include "platform/store/PersistentStore.h"
#include "platform/views/EventSynthesizer.h"
#include "platform/views/Window.h"
#include "platform/web/WebFrame.h"
#include "ui/VornickWebListArrayController.h"
#include "ui/VornickWebListView.h"
#include "ui/VornickWebListViewController.h"

#include <gtest/gtest.h>

namespace brevanton {

class TestListArrayController : public VornickWebListArrayController {
public:
    std::vector<std::shared_ptr<ManagedObject>> objects;
    std::optional<VornickWebListSortDescriptor> sortDescriptor;
    int rearrangements { 0 };

    const std::vector<std::shared_ptr<ManagedObject>>& arrangedObjects() const override { return objects; }
    std::optional<VornickWebListSortDescriptor> firstSortDescriptor() const override { return sortDescriptor; }
    void setSortDescriptors(std::vector<VornickWebListSortDescriptor> descriptors) override
    {
        sortDescriptor = descriptors.empty() ? std::nullopt : std::optional(descriptors[0]);
    }
    void rearrangeObjects() override { ++rearrangements; }
    ObserverToken observeArrangedObjects(std::function<void()> changed) override
    {
        return m_center.addObserver("arrangedObjects", nullptr, nullptr, [changed](const Notification&) { changed(); });
    }
    void setObjects(std::vector<std::shared_ptr<ManagedObject>> newObjects)
    {
        objects = std::move(newObjects);
        m_center.post("arrangedObjects", this);
    }

private:
    NotificationCenter m_center;
};

class RecordingListDelegate : public VornickWebListViewControllerActionDelegate {
public:
    int refreshes { 0 };
    std::vector<std::vector<std::shared_ptr<ManagedObject>>> selections;
    std::vector<std::vector<std::shared_ptr<ManagedObject>>> opened;

    void webListViewControllerDidRefreshList(VornickWebListViewController&) override { ++refreshes; }
    void webListViewControllerSelectionChanged(VornickWebListViewController&, const std::vector<std::shared_ptr<ManagedObject>>& selected) override
    {
        selections.push_back(selected);
    }
    void webListViewControllerOpenObjects(VornickWebListViewController&, const std::vector<std::shared_ptr<ManagedObject>>& objects) override
    {
        opened.push_back(objects);
    }
};

// Items with a title in a store of their own.
class TestListItems {
public:
    TestListItems()
    {
        auto model = std::make_shared<ManagedObjectModel>();
        model->addEntity(u"Item").addAttribute(u"title", AttributeType::String);
        m_folder = createTemporaryDirectory("web-list").value();
        Error error;
        auto store = PersistentStore::open(m_folder + "/items.sqlite", model, &error);
        EXPECT_TRUE(store) << error;
        context = ManagedObjectContext::create(store);
    }
    std::shared_ptr<ManagedObject> make(const std::u16string& title)
    {
        auto item = context->insertNewObject(u"Item");
        item->setValueForKey(Value(title), u"title");
        return item;
    }
    std::vector<std::shared_ptr<ManagedObject>> make(size_t count, const std::u16string& prefix = u"Item ")
    {
        std::vector<std::shared_ptr<ManagedObject>> items;
        for (size_t i = 0; i < count; ++i)
            items.push_back(make(prefix + toUTF16(std::to_string(i))));
        return items;
    }

    std::shared_ptr<ManagedObjectContext> context;

private:
    std::string m_folder;
};

// Each row is the item's title (as given: the tests choose plain titles).
class TitleListController : public VornickWebListViewController {
public:
    int builtRows { 0 };
    std::optional<std::u16string> contentStringForRepresentedObject(const std::shared_ptr<ManagedObject>& object) override
    {
        ++builtRows;
        return u"<li>" + object->valueForKey(u"title").stringValue() + u"</li>";
    }
};

template<typename Controller>
class WebListTestBase : public ::testing::Test {
protected:
    void SetUp() override
    {
        RunLoop::main().useManualClock();
        window = Window::create(Rect(0, 0, 400, 300));
        controller = VornickWebListViewController::create<Controller>(Rect(0, 0, 400, 300));
        window->contentView()->addSubview(controller->webView());
        controller->setActionDelegate(&delegate);
        arrayController = std::make_shared<TestListArrayController>();
        ASSERT_TRUE(RunLoop::main().runUntil([&] { return !controller->webView()->isLoading(); }, 30));
        controller->setArrayController(arrayController);
        turn();
    }
    void TearDown() override
    {
        controller->setActionDelegate(nullptr);
        controller->webView()->removeFromSuperview();
        controller.reset();
        window->close();
        window.reset();
        turn();
        RunLoop::main().useRealClock();
    }
    // Runs what the last changes asked for on the next turn.
    void turn()
    {
        for (int i = 0; i < 10 && RunLoop::main().runOnce(0); ++i) {
        }
    }
    std::shared_ptr<DOMElement> list() { return controller->webView()->mainFrameDocument()->getElementById(u"list"); }
    bool hasPlaceholder() { return controller->webView()->mainFrameDocument()->getElementById(u"placeholder") != nullptr; }
    std::vector<std::u16string> rowTexts()
    {
        std::vector<std::u16string> texts;
        for (auto item = list()->firstElementChild(); item; item = item->nextElementSibling())
            texts.push_back(item->textContent());
        return texts;
    }
    std::vector<long> selectedRowsMarked()
    {
        std::vector<long> rows;
        long row = 0;
        for (auto item = list()->firstElementChild(); item; item = item->nextElementSibling(), ++row) {
            if (item->className().find(u"selected") != std::u16string::npos)
                rows.push_back(row);
        }
        return rows;
    }
    Point centerOfRow(long row)
    {
        auto& view = controller->webView();
        view->layoutIfNeeded();
        Rect box = view->boundingBox(*controller->listItemForRow(row));
        auto& documentView = view->mainFrame()->frameView()->documentView();
        return documentView->convertPointToView(Point { box.midX(), box.midY() }, nullptr);
    }
    WebLayout& layout() { return controller->webView()->mainFrame()->layout(); }
    ClipView& clip() { return *controller->webView()->mainFrame()->frameView()->clipView(); }

    TestListItems items;
    std::shared_ptr<Window> window;
    std::shared_ptr<Controller> controller;
    std::shared_ptr<TestListArrayController> arrayController;
    RecordingListDelegate delegate;
    EventSynthesizer events;
};

} // namespace brevanton
