#include "platform/views/SavePanel.h"
#include "platform/views/View.h"

#include <gtest/gtest.h>

using namespace brevanton;

namespace {

struct SavePanelFixture : ::testing::Test {
    void SetUp() override { SavePanelDriver::shared().reset(); }
    void TearDown() override { SavePanelDriver::shared().reset(); }

    std::shared_ptr<SavePanel> makePanel()
    {
        auto panel = SavePanel::savePanel();
        panel->setAllowedFileTypes({ u"css" });
        panel->setDirectoryURL(URL::fileURLWithPath(std::string_view("/site/styles"), true));
        panel->setNameFieldStringValue(u"main sheet.css");
        panel->setMessage(u"Allow writing the style sheet");
        return panel;
    }
};

} // namespace

TEST_F(SavePanelFixture, AnswersComeFromTheDriverAndNothingIsChosenByDefault)
{
    // No answer queued: cancelled, no file.
    auto panel = makePanel();
    EXPECT_EQ(panel->runModal(), ModalResponseCancel);
    EXPECT_FALSE(panel->url());

    // A confirmation takes the folder and name the panel was set up with.
    SavePanelDriver::shared().enqueueConfirmation();
    ASSERT_EQ(panel->runModal(), ModalResponseOK);
    EXPECT_EQ(panel->url()->fileSystemPath(), "/site/styles/main sheet.css");

    // A chosen file gets an allowed extension when it has none of them.
    SavePanelDriver::shared().enqueueConfirmation(URL::fileURLWithPath(std::string_view("/elsewhere/copy")));
    SavePanelDriver::shared().enqueueConfirmation(URL::fileURLWithPath(std::string_view("/elsewhere/copy.CSS")));
    SavePanelDriver::shared().enqueueCancellation();
    ASSERT_EQ(panel->runModal(), ModalResponseOK);
    EXPECT_EQ(panel->url()->fileSystemPath(), "/elsewhere/copy.css");
    ASSERT_EQ(panel->runModal(), ModalResponseOK);
    EXPECT_EQ(panel->url()->fileSystemPath(), "/elsewhere/copy.CSS");
    EXPECT_EQ(panel->runModal(), ModalResponseCancel);
    EXPECT_FALSE(panel->url()) << "a cancelled run forgets the earlier choice";

    // A responder sees the panel as set up, accessory view included.
    auto accessory = std::make_shared<View>();
    panel->setAccessoryView(accessory);
    SavePanelDriver::shared().setResponder([&](SavePanel& shown) -> std::optional<SavePanelDriver::Answer> {
        EXPECT_TRUE(shown.isRunning());
        EXPECT_EQ(shown.accessoryView(), accessory);
        EXPECT_EQ(shown.message(), u"Allow writing the style sheet");
        return SavePanelDriver::Answer { ModalResponseOK, URL::fileURLWithPath(std::string_view("/x/y.css")) };
    });
    EXPECT_EQ(panel->runModal(), ModalResponseOK);
    EXPECT_FALSE(panel->isRunning());
    EXPECT_EQ(SavePanelDriver::shared().shownPanels().size(), 6u);

    // A confirmation with neither a file nor a name chooses nothing.
    auto bare = SavePanel::savePanel();
    SavePanelDriver::shared().enqueueConfirmation();
    EXPECT_EQ(bare->runModal(), ModalResponseCancel);
}
