#include "shell/VornickDocumentWindowActions.h"

#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/UndoManager.h"
#include "platform/views/Alert.h"
#include "platform/views/Menu.h"

#include <gtest/gtest.h>

using namespace brevanton;

namespace {

class RecordingDocument final : public VornickDocumentWindowClient {
public:
    int saves = 0;
    bool sourceShown = false;
    bool edited = false;
    bool saveSucceeds = true;
    bool saveReportingFailure() override
    {
        ++saves;
        return saveSucceeds;
    }
    bool isDocumentEdited() const override { return edited; }
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

    // Without the document the actions do nothing and the window just closes.
    document.reset();
    EXPECT_TRUE(actions->tryToPerform("saveDocument:", nullptr));
    EXPECT_TRUE(actions->windowShouldClose(*window));
}

TEST(VornickDocumentWindowActions, CloseAnEditedDocumentAsTheQuestionIsAnswered)
{
    struct Case {
        const char* name;
        bool edited;
        std::optional<ModalResponse> answer;
        bool saveSucceeds;
        int saves;
        bool closed;
        bool cancelled;
    };
    const Case cases[] = {
        { "unedited", false, std::nullopt, true, 0, true, false },
        { "Save", true, AlertFirstButtonReturn, true, 1, true, false },
        { "Save fails", true, AlertFirstButtonReturn, false, 1, false, false },
        { "Cancel", true, AlertSecondButtonReturn, true, 0, false, true },
        { "Don't Save", true, AlertThirdButtonReturn, true, 0, true, false },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        auto window = Window::create(Rect(0, 0, 400, 300));
        auto document = std::make_shared<RecordingDocument>();
        document->edited = c.edited;
        document->saveSucceeds = c.saveSucceeds;
        auto actions = VornickDocumentWindowActions::install(window, document);
        bool cancelled = false;
        auto observation = NotificationCenter::defaultCenter().addObserver(VornickDocumentWindowActions::CloseCancelledNotification,
                                                                           window.get(), nullptr, [&](const Notification&) { cancelled = true; });
        window->makeKeyAndOrderFront();
        EXPECT_TRUE(actions->tryToPerform("performClose:", nullptr));
        if (c.answer) {
            EXPECT_TRUE(window->isVisible());
            EXPECT_TRUE(window->attachedSheet());
            ASSERT_TRUE(AlertDriver::shared().answerSheet(*window, *c.answer));
            RunLoop::main().runOnce();
        }
        EXPECT_EQ(document->saves, c.saves);
        EXPECT_EQ(!window->isVisible(), c.closed);
        EXPECT_EQ(cancelled, c.cancelled);
    }
    AlertDriver::shared().reset();
}

} // namespace
