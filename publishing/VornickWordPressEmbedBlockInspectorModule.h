// VornickWordPressEmbedBlockInspectorModule: the inspector module of a
// "wp:embed" block: its URL. Entering a new URL replaces the block by a fresh
// embed block for it (made by the block mode helper) as one undo step, "Edit
// Embed URL", then asks the oEmbed agent for the embed's HTML and shows it
// in the new block's wrapper. That HTML is for display only, no part of the
// step: the post keeps the URL there, as the block editor writes it.
//
// When the embed cannot be made, or the agent's answer brings no HTML, the
// module stays open with an error and a Try Again button; a success closes
// the popover.
#pragma once

#include "publishing/VornickWordPressBlockInspectorModule.h"

#include <string>

namespace brevanton {

class Button;
class DOMElement;
class TextField;

class VornickWordPressEmbedBlockInspectorModule final : public VornickWordPressBlockInspectorModule {
public:
    static constexpr const char16_t* editEmbedURLActionName = u"Edit Embed URL";

    using VornickWordPressBlockInspectorModule::VornickWordPressBlockInspectorModule;

    // Blocks of the type "wp:embed" (in any case).
    static bool canInspectTargetOf(const VornickElementEditorUIController&);
    std::u16string nibName() const override { return u"WordPressEmbedBlockInspectorModule"; }

    // --- Outlets, made with the view
    const std::shared_ptr<TextField>& titleTextField() { view(); return m_titleTextField; }
    const std::shared_ptr<TextField>& urlTextField() { view(); return m_urlTextField; }
    const std::shared_ptr<Button>& embedButton() { view(); return m_embedButton; }
    const std::shared_ptr<TextField>& helpLinkTextField() { view(); return m_helpLinkTextField; }
    const std::shared_ptr<TextField>& errorTextField() { view(); return m_errorTextField; }
    const std::shared_ptr<Button>& tryAgainButton() { view(); return m_tryAgainButton; }
    const std::shared_ptr<Button>& convertToLinkButton() { view(); return m_convertToLinkButton; }

    // Whether the last attempt failed.
    bool embedFailed() const { return m_embedFailed; }
    // The error, the help link and Try Again show exactly when the last
    // attempt failed; Convert To Link never shows.
    void updateUI();
    // The block's URL in the field, the error gone (a block without
    // properties changes nothing).
    void updateControlsFromElement() override;

    // --- Actions: each sets the URL field's text.
    void urlChanged(ActionSender*);
    void embed(ActionSender*);
    void tryAgain(ActionSender*);
    // Does nothing (its button is hidden).
    void convertToLink(ActionSender*) {}

    // Replaces the block by an embed of the URL (nothing for a string that
    // is no absolute URL, or for the block's own URL unless the last
    // attempt failed: Return there closes the popover).
    void undoableSetURLString(const std::u16string&);

protected:
    void loadView() override;

private:
    // The agent's answer for the block now in the document.
    void oEmbedAnswered(const std::shared_ptr<DOMElement>& figure, bool success);

    std::shared_ptr<TextField> m_titleTextField;
    std::shared_ptr<TextField> m_urlTextField;
    std::shared_ptr<Button> m_embedButton;
    std::shared_ptr<TextField> m_helpLinkTextField;
    std::shared_ptr<TextField> m_errorTextField;
    std::shared_ptr<Button> m_tryAgainButton;
    std::shared_ptr<Button> m_convertToLinkButton;
    bool m_embedFailed { false };
};

} // namespace brevanton
