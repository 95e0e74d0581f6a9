// VornickAttachmentPointSettingsUIController: the sheet on a blog editor's
// window that lists every attachment point the blog class offers, shows
// which failed and which the current post needs, and lets the user switch
// each point's own locator on or off and edit its parameters (one
// VornickAttachmentPointSettingsModule per point, in a stack view).
// Accepting stores the edited locator set in the blog; the controller is
// reused, each showing refilling the rows from the blog.
#pragma once

#include "blog/VornickAttachmentPointDescription.h"
#include "platform/views/Alert.h"
#include "ui/VornickStackView.h"

#include <memory>
#include <string>
#include <vector>

namespace brevanton {

class VornickAttachmentPointLocator;
class VornickBlog;
class VornickAttachmentPointLocatorSet;
class VornickAttachmentPointSettingsModule;
class VornickBlogPostViewHost;
class Window;

class VornickAttachmentPointSettingsUIController final : public VornickStackViewDelegate {
public:
    static constexpr const char* AcceptSettingsAction = "acceptSettings:";
    static constexpr const char* CancelEditsAction = "cancelEdits:";
    static constexpr const char* ShowHelpTopicAction = "showHelpTopic:";
    // The return code the sheet ends with, accepted or cancelled.
    static constexpr ModalResponse SheetReturnCode = -1000;

    VornickAttachmentPointSettingsUIController();
    ~VornickAttachmentPointSettingsUIController() override;

    // Not held; the sheet drops it when it ends.
    VornickBlogPostViewHost* blogEditor() const { return m_blogEditor; }
    // A different editor: the rows become its blog class's attachment
    // points, the locator set the one its blog stores (a new empty set when
    // it stores none or it does not decode).
    void setBlogEditor(VornickBlogPostViewHost*);

    bool edited() const { return m_edited; }
    void setEdited(bool edited) { m_edited = edited; }
    const std::shared_ptr<VornickAttachmentPointLocatorSet>& attachmentPointLocatorSet() const { return m_locatorSet; }
    const std::vector<VornickAttachmentPointDescription>& attachmentPointDescriptions() const { return m_descriptions; }
    // Set by the blog editor before showing.
    const std::vector<std::shared_ptr<VornickAttachmentPointLocator>>& defaultAttachmentPointLocators() const { return m_defaultLocators; }
    void setDefaultAttachmentPointLocators(std::vector<std::shared_ptr<VornickAttachmentPointLocator>>);

    // What a blog editor sets as defaults: the blog's candidate selectors,
    // each a locator with its identifier, in order.
    static std::vector<std::shared_ptr<VornickAttachmentPointLocator>> defaultAttachmentPointLocatorsOfBlog(const VornickBlog&);

    // The set's locator for the identifier.
    std::shared_ptr<VornickAttachmentPointLocator> attachmentPointLocatorForIdentifier(const std::u16string&) const;
    // The first default locator whose identifier equals the argument ignoring case.
    std::shared_ptr<VornickAttachmentPointLocator> defaultAttachmentPointLocatorForIdentifier(const std::u16string&) const;

    // Fills the rows and begins the sheet on the parent window; false (and
    // nothing shown) when the parent shows a sheet already.
    [[nodiscard]] bool showForWindow(const std::shared_ptr<Window>& parent, const std::vector<std::u16string>& identifiersOfFailedAttachmentPoints,
                                     const std::vector<std::u16string>& identifiersOfNeededAttachmentPoints);
    // One row per description, in order.
    void updateStackViewContentsWithFailedAttachmentPoints(const std::vector<std::u16string>& failed,
                                                           const std::vector<std::u16string>& needed);
    bool isSheetShown() const { return m_sheetParent.lock() != nullptr; }

    // Actions of the sheet's buttons.
    // Stores every row's locator that is on (its selector parses) in the
    // blog, or clears the blog's settings when no row is on, tells the blog
    // editor, and ends the sheet.
    void acceptSettings();
    // Ends the sheet; nothing is stored.
    void cancelEdits();
    void showHelpTopic();

    // The sheet's window and its stack of rows (made on first request).
    const std::shared_ptr<Window>& sheetWindow();
    const std::shared_ptr<VornickStackView>& stackView();
    std::vector<std::shared_ptr<VornickAttachmentPointSettingsModule>> modules() const;

    // The stack wants another height: the sheet grows or shrinks by the
    // difference (when at least one point), its origin unchanged.
    void wantsToResizeToFitContents(VornickStackView&, Size) override;

private:
    void loadSheet();
    void endSheet(ModalResponse);

    VornickBlogPostViewHost* m_blogEditor { nullptr };
    bool m_edited { false };
    std::shared_ptr<VornickAttachmentPointLocatorSet> m_locatorSet;
    std::vector<VornickAttachmentPointDescription> m_descriptions;
    std::vector<std::shared_ptr<VornickAttachmentPointLocator>> m_defaultLocators;
    std::shared_ptr<Window> m_sheetWindow;
    std::shared_ptr<VornickStackView> m_stackView;
    std::weak_ptr<Window> m_sheetParent;
};

} // namespace brevanton
