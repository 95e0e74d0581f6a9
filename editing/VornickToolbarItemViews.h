// VornickToolbarItemViews: makes the toolbar items the document windows
// share (the single HTML file window, the blog window, the post window).
// One object builds every control the items show (the builder under the
// name "VornickToolbarItemViews"): the three pickers with their pop-up and
// open buttons, toggles, segmented controls and buttons, and wraps them in
// toolbar items on request. Each document window makes its own (its own
// controls); the shared one serves the project and component editors, which
// take some controls for items of their own. Main thread only.
#pragma once

#include <memory>
#include <string>

namespace brevanton {

class Button;
class PopUpButton;
class SegmentedControl;
class Toolbar;
class ToolbarItem;
class View;
class VornickFragmentSetPicker;
class VornickHTMLFormattingPreferencesPicker;
class VornickStyleSheetPicker;
class VornickTextMagnificationSegmentedControl;
class VornickToolbarImageButton;
class VornickToolbarPickerEditButton;
class VornickToolbarPickerPopUpButton;

// The identifiers, spelled as the stored toolbar configurations have them.
inline constexpr const char16_t* VornickEmailPageToolbarItemIdentifier = u"VornickEmailPageToolbarItemIdentifier";
inline constexpr const char16_t* VornickInspectFragmentSetToolbarItemIdenitifer = u"VornickInspectFragmentSetToolbarItemIdenitifer";
inline constexpr const char16_t* VornickInspectPrimaryStyleSheetToolbarItemIdentifier = u"VornickInspectPrimaryStyleSheetToolbarItemIdentifier";
inline constexpr const char16_t* VornickInspectHTMLFormattingPreferencesToolbarItemIdentifier = u"VornickInspectHTMLFormattingPreferencesToolbarItemIdentifier";
inline constexpr const char16_t* VornickToggleSourceLoupeToolbarItemIdenitifer = u"VornickToggleSourceLoupeToolbarItemIdenitifer";
inline constexpr const char16_t* VornickToggleClearViewToolbarItemIdentifier = u"VornickToggleClearViewToolbarItemIdentifier";
inline constexpr const char16_t* VornickToggleBrickHandlesToolbarItemIdenitifer = u"VornickToggleBrickHandlesToolbarItemIdenitifer";
inline constexpr const char16_t* VornickChangeTextSizeToolbarItemIdenitifer = u"VornickChangeTextSizeToolbarItemIdenitifer";
inline constexpr const char16_t* VornickStartSyncWithHostToolbarItemIdentifier = u"VornickStartSyncWithHostToolbarItemIdentifier";
inline constexpr const char16_t* VornickEditBlogSettingsToolbarItemIdentifier = u"VornickEditBlogSettingsToolbarItemIdentifier";
inline constexpr const char16_t* VornickWorkOfflineToolbarItemIdentifier = u"VornickWorkOfflineToolbarItemIdentifier";
inline constexpr const char16_t* VornickJumpToAccountToolbarItemIdentifier = u"VornickJumpToAccountToolbarItemIdentifier";
inline constexpr const char16_t* VornickCreatePostToolbarItemIdentifier = u"VornickCreatePostToolbarItemIdentifier";
inline constexpr const char16_t* VornickCreatePageToolbarItemIdentifier = u"VornickCreatePageToolbarItemIdentifier";
inline constexpr const char16_t* VornickDeletePostsToolbarItemIdentifier = u"VornickDeletePostsToolbarItemIdentifier";
inline constexpr const char16_t* VornickOpenBlogLandingPageToolbarItemIdentifier = u"VornickOpenBlogLandingPageToolbarItemIdentifier";
inline constexpr const char16_t* VornickOpenWordPressAdminToolbarItemIdentifier = u"VornickOpenWordPressAdminToolbarItemIdentifier";
inline constexpr const char16_t* VornickPostStatusToolbarItemIdentifier = u"VornickPostStatusToolbarItemIdentifier";
inline constexpr const char16_t* VornickPostPropertiesToolbarItemIdentifier = u"VornickPostPropertiesToolbarItemIdentifier";
inline constexpr const char16_t* VornickBackForwardToolbarItemIdentifier = u"VornickBackForwardToolbarItemIdentifier";
inline constexpr const char16_t* VornickShowMediaLibraryToolbarItemIdentifier = u"VornickShowMediaLibraryToolbarItemIdentifier";
inline constexpr const char16_t* VornickSharePostToolbarItemIdentifier = u"VornickSharePostToolbarItemIdentifier";
inline constexpr const char16_t* VornickJumpToBlogToolbarItemIdentifier = u"VornickJumpToBlogToolbarItemIdentifier";
inline constexpr const char16_t* VornickViewContentOnWebToolbarItemIdentifier = u"VornickViewContentOnWebToolbarItemIdentifier";
inline constexpr const char16_t* VornickPublishContentToolbarItemIdenitifer = u"VornickPublishContentToolbarItemIdenitifer";

class VornickToolbarItemViews {
public:
    // The picker items' size limits.
    static constexpr double pickerMinimumWidth = 170;
    static constexpr double pickerMaximumWidth = 256;
    static constexpr double pickerHeight = 26;

    // Made on first use (for the project and component editors).
    static const std::shared_ptr<VornickToolbarItemViews>& sharedToolbarItemViews();
    // A new set of controls (each document window makes its own).
    static std::shared_ptr<VornickToolbarItemViews> create();

    // A new item for the identifier, its palette label its label; null for
    // an identifier not in the table.
    std::shared_ptr<ToolbarItem> toolbar(Toolbar&, const std::u16string& itemIdentifier, bool willBeInsertedIntoToolbar);

    // The pickers and their parts: a composite view holds the pop-up button
    // and, to its right, the open (edit) button.
    const std::shared_ptr<VornickFragmentSetPicker>& fragmentSetPicker() const { return m_fragmentSetPicker; }
    const std::shared_ptr<View>& fragmentSetPickerCompositeView() const { return m_fragmentSetPickerCompositeView; }
    const std::shared_ptr<VornickToolbarPickerPopUpButton>& fragmentSetPickerPopUpButton() const { return m_fragmentSetPickerPopUpButton; }
    const std::shared_ptr<VornickToolbarPickerEditButton>& fragmentSetPickerOpenButton() const { return m_fragmentSetPickerOpenButton; }
    const std::shared_ptr<VornickStyleSheetPicker>& primaryStyleSheetPicker() const { return m_primaryStyleSheetPicker; }
    const std::shared_ptr<View>& primaryStyleSheetPickerCompositeView() const { return m_primaryStyleSheetPickerCompositeView; }
    const std::shared_ptr<VornickToolbarPickerPopUpButton>& primaryStyleSheetPickerPopUpButton() const { return m_primaryStyleSheetPickerPopUpButton; }
    const std::shared_ptr<VornickToolbarPickerEditButton>& primaryStyleSheetPickerOpenButton() const { return m_primaryStyleSheetPickerOpenButton; }
    const std::shared_ptr<VornickHTMLFormattingPreferencesPicker>& formattingPreferencesPicker() const { return m_formattingPreferencesPicker; }
    const std::shared_ptr<View>& formattingPreferencesChooserCompositeView() const { return m_formattingPreferencesChooserCompositeView; }
    const std::shared_ptr<VornickToolbarPickerPopUpButton>& formattingPreferencesChooserPopUpButton() const { return m_formattingPreferencesChooserPopUpButton; }
    const std::shared_ptr<VornickToolbarPickerEditButton>& formattingPreferencesChooserEditButton() const { return m_formattingPreferencesChooserEditButton; }

    const std::shared_ptr<SegmentedControl>& backForwardSegmentedControl() const { return m_backForwardSegmentedControl; }
    const std::shared_ptr<VornickTextMagnificationSegmentedControl>& textSizeSegmentedControl() const { return m_textSizeSegmentedControl; }

    const std::shared_ptr<VornickToolbarImageButton>& toggleSourceLoupeButton() const { return m_toggleSourceLoupeButton; }
    const std::shared_ptr<VornickToolbarImageButton>& toggleClearViewButton() const { return m_toggleClearViewButton; }
    const std::shared_ptr<VornickToolbarImageButton>& toggleBrickHandlesButton() const { return m_toggleBrickHandlesButton; }
    const std::shared_ptr<VornickToolbarImageButton>& jumpToProjectButton() const { return m_jumpToProjectButton; }
    const std::shared_ptr<VornickToolbarImageButton>& editFragmentSetButton() const { return m_editFragmentSetButton; }
    const std::shared_ptr<VornickToolbarImageButton>& editMetadataButton() const { return m_editMetadataButton; }
    const std::shared_ptr<VornickToolbarImageButton>& publishContentButton() const { return m_publishContentButton; }
    const std::shared_ptr<VornickToolbarImageButton>& viewContentStatsButton() const { return m_viewContentStatsButton; }
    const std::shared_ptr<VornickToolbarImageButton>& showMediaLibraryButton() const { return m_showMediaLibraryButton; }
    const std::shared_ptr<VornickToolbarImageButton>& editBlogSettingsButton() const { return m_editBlogSettingsButton; }
    const std::shared_ptr<VornickToolbarImageButton>& workOfflineButton() const { return m_workOfflineButton; }
    const std::shared_ptr<VornickToolbarImageButton>& jumpToAccountButton() const { return m_jumpToAccountButton; }
    const std::shared_ptr<VornickToolbarImageButton>& startSyncWithHostButton() const { return m_startSyncWithHostButton; }
    const std::shared_ptr<VornickToolbarImageButton>& createPostButton() const { return m_createPostButton; }
    const std::shared_ptr<VornickToolbarImageButton>& createPageButton() const { return m_createPageButton; }
    const std::shared_ptr<VornickToolbarImageButton>& deletePostsButton() const { return m_deletePostsButton; }
    const std::shared_ptr<VornickToolbarImageButton>& openBlogLandingPageButton() const { return m_openBlogLandingPageButton; }
    const std::shared_ptr<VornickToolbarImageButton>& openWordPressAdminButton() const { return m_openWordPressAdminButton; }
    const std::shared_ptr<VornickToolbarImageButton>& postPropertiesButton() const { return m_postPropertiesButton; }
    const std::shared_ptr<VornickToolbarImageButton>& sharePostButton() const { return m_sharePostButton; }
    const std::shared_ptr<VornickToolbarImageButton>& jumpToBlogButton() const { return m_jumpToBlogButton; }
    const std::shared_ptr<PopUpButton>& postStatusPopUpButton() const { return m_postStatusPopUpButton; }

private:
    VornickToolbarItemViews() = default;
    void build();

    std::shared_ptr<VornickFragmentSetPicker> m_fragmentSetPicker;
    std::shared_ptr<View> m_fragmentSetPickerCompositeView;
    std::shared_ptr<VornickToolbarPickerPopUpButton> m_fragmentSetPickerPopUpButton;
    std::shared_ptr<VornickToolbarPickerEditButton> m_fragmentSetPickerOpenButton;
    std::shared_ptr<VornickStyleSheetPicker> m_primaryStyleSheetPicker;
    std::shared_ptr<View> m_primaryStyleSheetPickerCompositeView;
    std::shared_ptr<VornickToolbarPickerPopUpButton> m_primaryStyleSheetPickerPopUpButton;
    std::shared_ptr<VornickToolbarPickerEditButton> m_primaryStyleSheetPickerOpenButton;
    std::shared_ptr<VornickHTMLFormattingPreferencesPicker> m_formattingPreferencesPicker;
    std::shared_ptr<View> m_formattingPreferencesChooserCompositeView;
    std::shared_ptr<VornickToolbarPickerPopUpButton> m_formattingPreferencesChooserPopUpButton;
    std::shared_ptr<VornickToolbarPickerEditButton> m_formattingPreferencesChooserEditButton;

    std::shared_ptr<SegmentedControl> m_backForwardSegmentedControl;
    std::shared_ptr<VornickTextMagnificationSegmentedControl> m_textSizeSegmentedControl;

    std::shared_ptr<VornickToolbarImageButton> m_toggleSourceLoupeButton;
    std::shared_ptr<VornickToolbarImageButton> m_toggleClearViewButton;
    std::shared_ptr<VornickToolbarImageButton> m_toggleBrickHandlesButton;
    std::shared_ptr<VornickToolbarImageButton> m_jumpToProjectButton;
    std::shared_ptr<VornickToolbarImageButton> m_editFragmentSetButton;
    std::shared_ptr<VornickToolbarImageButton> m_editMetadataButton;
    std::shared_ptr<VornickToolbarImageButton> m_publishContentButton;
    std::shared_ptr<VornickToolbarImageButton> m_viewContentStatsButton;
    std::shared_ptr<VornickToolbarImageButton> m_showMediaLibraryButton;
    std::shared_ptr<VornickToolbarImageButton> m_editBlogSettingsButton;
    std::shared_ptr<VornickToolbarImageButton> m_workOfflineButton;
    std::shared_ptr<VornickToolbarImageButton> m_jumpToAccountButton;
    std::shared_ptr<VornickToolbarImageButton> m_startSyncWithHostButton;
    std::shared_ptr<VornickToolbarImageButton> m_createPostButton;
    std::shared_ptr<VornickToolbarImageButton> m_createPageButton;
    std::shared_ptr<VornickToolbarImageButton> m_deletePostsButton;
    std::shared_ptr<VornickToolbarImageButton> m_openBlogLandingPageButton;
    std::shared_ptr<VornickToolbarImageButton> m_openWordPressAdminButton;
    std::shared_ptr<VornickToolbarImageButton> m_postPropertiesButton;
    std::shared_ptr<VornickToolbarImageButton> m_sharePostButton;
    std::shared_ptr<VornickToolbarImageButton> m_jumpToBlogButton;
    std::shared_ptr<PopUpButton> m_postStatusPopUpButton;
};

} // namespace brevanton
