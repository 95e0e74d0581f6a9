// VornickWordPressBlogPropertiesUIController: the blog properties popover of
// a WordPress blog ("VornickWordPressBlogPropertiesUI"), which adds a switch
// for editing the blog's posts in WordPress block mode. While block mode is
// on the snippet set picker is disabled: block mode brings its own rules.
//
// A toggle is one undo step ("Toggle WordPress Block Mode") on the blog
// editor's undo manager; the toggle, its Undo and Redo each write the blog
// file as the blog window's other settings are written, and an open popover
// shows the setting they leave.
#pragma once

#include "publishing/VornickBlogPropertiesUIController.h"

namespace brevanton {

class UndoManager;
class VornickWordPressBlog;

class VornickWordPressBlogPropertiesUIController final : public VornickBlogPropertiesUIController {
public:
    static constexpr const char16_t* toggleActionName = u"Toggle WordPress Block Mode";
    static constexpr const char* toggleWordPressBlockModeAction = "toggleWordPressBlockMode:";

    static std::shared_ptr<VornickWordPressBlogPropertiesUIController> create();

    std::u16string nibName() const override { return u"VornickWordPressBlogPropertiesUI"; }
    const std::shared_ptr<Button>& useWordPressBlockModeCheckBox() const { return m_useWordPressBlockModeCheckBox; }
    std::shared_ptr<VornickWordPressBlog> wordPressBlog() const;

    void populateControls() override;
    // The check box's action.
    void toggleWordPressBlockMode(ActionSender*);

private:
    VornickWordPressBlogPropertiesUIController() = default;
    UndoManager* blogEditorUndoManager() const;
    // Sets the blog's block mode, registering the setting it replaces.
    static void setBlockMode(const std::shared_ptr<VornickWordPressBlog>&, bool, UndoManager*,
                             std::weak_ptr<VornickWordPressBlogPropertiesUIController>);

    std::shared_ptr<Button> m_useWordPressBlockModeCheckBox;
};

} // namespace brevanton
