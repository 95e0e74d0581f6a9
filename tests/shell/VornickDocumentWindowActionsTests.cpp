#include "shell/VornickDocumentWindowActions.h"

#include "platform/foundation/UndoManager.h"
#include "platform/views/Menu.h"

#include <gtest/gtest.h>

using namespace brevanton;

namespace {

class RecordingDocument final : public VornickDocumentWindowClient {
public:
    int saves = 0;
    bool sourceShown = false;
    bool mayClose = false;
    bool saveReportingFailure() override { return ++saves > 0; }
    bool askToSaveBeforeClosing() override { return mayClose; }
    bool documentSourceShown() const override { return sourceShown; }
    void showOrHideDocumentSource() override { sourceShown = !sourceShown; }
    std::optional<bool> validateOwnMenuItem(MenuItem& item) override
    {
        return item.action() == "publish:" ? std::optional(false) : std::nullopt;
    }
};

bool enabled(Responder& actions, const Action& action, std::u16string* title = nullptr)
{
    auto item = MenuItem::create(u"Item", action);
    bool answer = actions.validateMenuItem(*item);
    if (title)
        *title = item->title();
    return answer;
}

TEST(VornickDocumentWindowActions, AnswerTheDocumentCommandsOfEveryDocumentWindowAlike)
{
    auto window = Window::create(Rect(0, 0, 400, 300));
    auto document = std::make_shared<RecordingDocument>();
    auto actions = VornickDocumentWindowActions::install(window, document);
    ASSERT_EQ(window->delegate().lock().get(), static_cast<WindowDelegate*>(actions.get()));

    // Undo and redo follow the window's undo manager.
    EXPECT_FALSE(enabled(*actions, "undo:"));
    int value = 0;
    auto* undo = window->undoManager();
    undo->registerUndo(&value, [&value, undo] {
        value = 1;
        undo->registerUndo(&value, [&value] { value = 2; });
    });
    EXPECT_TRUE(enabled(*actions, "undo:"));
    EXPECT_TRUE(actions->tryToPerform("undo:", nullptr));
    EXPECT_EQ(value, 1);
    EXPECT_TRUE(enabled(*actions, "redo:"));
    EXPECT_TRUE(actions->tryToPerform("redo:", nullptr));
    EXPECT_EQ(value, 2);

    // The source's item says what choosing it does.
    std::u16string title;
    EXPECT_TRUE(enabled(*actions, "showOrHideSourceLoupe:", &title));
    EXPECT_EQ(title, u"Show Source");
    EXPECT_TRUE(actions->tryToPerform("showOrHideSourceLoupe:", nullptr));
    EXPECT_TRUE(enabled(*actions, "showOrHideSourceLoupe:", &title));
    EXPECT_EQ(title, u"Hide Source");

    // The document's own items are its own; others are enabled.
    EXPECT_FALSE(enabled(*actions, "publish:"));
    EXPECT_TRUE(enabled(*actions, "copy:"));

    EXPECT_TRUE(actions->tryToPerform("saveDocument:", nullptr));
    EXPECT_EQ(document->saves, 1);

    // Closing asks the document; without one the window just closes.
    window->makeKeyAndOrderFront();
    EXPECT_TRUE(actions->tryToPerform("performClose:", nullptr));
    EXPECT_TRUE(window->isVisible());
    document.reset();
    EXPECT_TRUE(actions->tryToPerform("saveDocument:", nullptr));
    EXPECT_TRUE(actions->windowShouldClose(*window));
}

} // namespace
