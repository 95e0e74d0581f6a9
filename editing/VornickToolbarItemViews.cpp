#include "editing/VornickToolbarItemViews.h"

#include "editing/VornickFragmentSetPicker.h"
#include "editing/VornickHTMLFormattingPreferencesPicker.h"
#include "editing/VornickStyleSheetPicker.h"
#include "platform/views/Image.h"
#include "platform/views/PopUpButton.h"
#include "platform/views/SegmentedControl.h"
#include "platform/views/Toolbar.h"
#include "ui/VornickToolbarImages.h"
#include "ui/VornickToolbarPickerControls.h"

namespace brevanton {

namespace {

constexpr double controlHeight = 26;
constexpr double imageButtonWidth = 36;
constexpr double editButtonWidth = 30;

std::shared_ptr<VornickToolbarImageButton> makeButton(std::u16string title, Action action, bool toggles = false)
{
    double width = title.empty() ? imageButtonWidth : std::max(imageButtonWidth, 14.0 + 7.0 * static_cast<double>(title.size()));
    auto button = std::make_shared<VornickToolbarImageButton>(Rect(0, 0, width, controlHeight), std::move(title));
    button->setAction(std::move(action));
    if (toggles)
        button->setButtonType(ButtonType::PushOnPushOff);
    return button;
}

// A pop-up button with its edit button joined on the right, at the picker's widest.
std::shared_ptr<View> makePickerComposite(std::shared_ptr<VornickToolbarPickerPopUpButton>& popUp,
                                          std::shared_ptr<VornickToolbarPickerEditButton>& edit)
{
    double width = VornickToolbarItemViews::pickerMaximumWidth;
    auto composite = std::make_shared<View>(Rect(0, 0, width, controlHeight));
    popUp = std::make_shared<VornickToolbarPickerPopUpButton>(Rect(0, 0, width - editButtonWidth + 2, controlHeight));
    popUp->setAutoresizingMask(Autoresizing::WidthSizable);
    edit = std::make_shared<VornickToolbarPickerEditButton>(Rect(width - editButtonWidth, 0, editButtonWidth, controlHeight));
    edit->setAutoresizingMask(Autoresizing::MinXMargin);
    composite->addSubview(popUp);
    composite->addSubview(edit);
    return composite;
}

} // namespace

const std::shared_ptr<VornickToolbarItemViews>& VornickToolbarItemViews::sharedToolbarItemViews()
{
    static const std::shared_ptr<VornickToolbarItemViews> shared = create();
    return shared;
}

std::shared_ptr<VornickToolbarItemViews> VornickToolbarItemViews::create()
{
    auto views = std::shared_ptr<VornickToolbarItemViews>(new VornickToolbarItemViews);
    views->build();
    return views;
}

void VornickToolbarItemViews::build()
{
    VornickRegisterToolbarImages();

    m_fragmentSetPicker = VornickFragmentSetPicker::create();
    m_fragmentSetPickerCompositeView = makePickerComposite(m_fragmentSetPickerPopUpButton, m_fragmentSetPickerOpenButton);
    m_fragmentSetPicker->setPopUpButton(m_fragmentSetPickerPopUpButton);
    m_fragmentSetPicker->setOpenButton(m_fragmentSetPickerOpenButton);

    m_primaryStyleSheetPicker = VornickStyleSheetPicker::create();
    m_primaryStyleSheetPickerCompositeView = makePickerComposite(m_primaryStyleSheetPickerPopUpButton, m_primaryStyleSheetPickerOpenButton);
    m_primaryStyleSheetPicker->setPopUpButton(m_primaryStyleSheetPickerPopUpButton);
    m_primaryStyleSheetPicker->setOpenButton(m_primaryStyleSheetPickerOpenButton);

    m_formattingPreferencesPicker = VornickHTMLFormattingPreferencesPicker::create();
    m_formattingPreferencesChooserCompositeView = makePickerComposite(m_formattingPreferencesChooserPopUpButton, m_formattingPreferencesChooserEditButton);
    m_formattingPreferencesPicker->setPopUpButton(m_formattingPreferencesChooserPopUpButton);
    m_formattingPreferencesPicker->setOpenButton(m_formattingPreferencesChooserEditButton);

    m_backForwardSegmentedControl = std::make_shared<SegmentedControl>(Rect(0, 0, 60, controlHeight));
    m_backForwardSegmentedControl->setSegmentCount(2);
    m_backForwardSegmentedControl->setLabel(u"\u25C0", 0);
    m_backForwardSegmentedControl->setLabel(u"\u25B6", 1);
    m_textSizeSegmentedControl = std::make_shared<VornickTextMagnificationSegmentedControl>(Rect(0, 0, 96, controlHeight));

    m_toggleSourceLoupeButton = makeButton({}, "showOrHideSourceLoupe:", true);
    m_toggleClearViewButton = makeButton({}, "toggleClearView:", true);
    m_toggleBrickHandlesButton = makeButton({}, "vornick_toggleSectionHandlesShown:", true);
    m_jumpToProjectButton = makeButton(u"Project", "showProject:");
    m_editFragmentSetButton = makeButton(u"Snippets", "editFragmentSet:");
    m_editMetadataButton = makeButton(u"Metadata", "editMetadata:");
    m_publishContentButton = makeButton(u"Publish", "publishContent:");
    m_viewContentStatsButton = makeButton(u"Stats", "viewContentStats:");
    m_showMediaLibraryButton = makeButton(u"Media", "showMediaLibrary:");
    m_editBlogSettingsButton = makeButton(u"Settings", {});
    m_workOfflineButton = makeButton({}, "toggleWorkingOffline:", true);
    m_jumpToAccountButton = makeButton(u"Account", {});
    m_startSyncWithHostButton = makeButton(u"Sync", {});
    m_createPostButton = makeButton(u"New Post", {});
    m_createPageButton = makeButton(u"New Page", {});
    m_deletePostsButton = makeButton(u"Trash", {});
    m_openBlogLandingPageButton = makeButton({}, {});
    m_openWordPressAdminButton = makeButton({}, {});
    m_postPropertiesButton = makeButton({}, "showPostProperties:");
    m_sharePostButton = makeButton({}, "sharePost:");
    m_jumpToBlogButton = makeButton(u"Blog", {});
    m_postStatusPopUpButton = std::make_shared<PopUpButton>(Rect(0, 0, 120, controlHeight));
}

std::shared_ptr<ToolbarItem> VornickToolbarItemViews::toolbar(Toolbar&, const std::u16string& identifier, bool)
{
    struct Entry {
        const char16_t* identifier;
        const char16_t* label;
        std::shared_ptr<View> view;
        const char16_t* imageName;
        Action action;
    };
    auto imageButton = [](const std::shared_ptr<VornickToolbarImageButton>& button) { return std::static_pointer_cast<View>(button); };
    const Entry table[] = {
        { VornickEmailPageToolbarItemIdentifier, u"Email", nullptr, ImageNameUser, "emailPage:" },
        { VornickInspectFragmentSetToolbarItemIdenitifer, u"Snippet Set", m_fragmentSetPickerCompositeView, u"BrevantonToolbarIconEditSnippetSetTemplate", {} },
        { VornickInspectPrimaryStyleSheetToolbarItemIdentifier, u"Main Style Sheet", m_primaryStyleSheetPickerCompositeView,
          u"BrevantonToolbarIconEditStyleSheetTemplate", {} },
        { VornickInspectHTMLFormattingPreferencesToolbarItemIdentifier, u"HTML Formatting", m_formattingPreferencesChooserCompositeView,
          u"BrevantonToolbarIconEditHTMLFormattingPreferencesTemplate", {} },
        { VornickToggleSourceLoupeToolbarItemIdenitifer, u"Source Loupe", imageButton(m_toggleSourceLoupeButton), u"BrevantonToolbarIconSourceLoupeTemplate", {} },
        { VornickToggleClearViewToolbarItemIdentifier, u"Clear View", imageButton(m_toggleClearViewButton), u"BrevantonToolbarIconClearViewTemplate", {} },
        { VornickToggleBrickHandlesToolbarItemIdenitifer, u"Show Blocks", imageButton(m_toggleBrickHandlesButton), u"BrevantonToolbarIconBrickModeTemplate", {} },
        { VornickChangeTextSizeToolbarItemIdenitifer, u"Text Size", m_textSizeSegmentedControl, nullptr, {} },
        { VornickStartSyncWithHostToolbarItemIdentifier, u"Sync", imageButton(m_startSyncWithHostButton), nullptr, "vornick_fetchFromHost:" },
        { VornickEditBlogSettingsToolbarItemIdentifier, u"Settings", imageButton(m_editBlogSettingsButton), nullptr, "showBlogProperties:" },
        { VornickWorkOfflineToolbarItemIdentifier, u"Online", imageButton(m_workOfflineButton), ImageNameStatusAvailable, {} },
        { VornickJumpToAccountToolbarItemIdentifier, u"Account", imageButton(m_jumpToAccountButton), nullptr, "showAccountProperties:" },
        { VornickCreatePostToolbarItemIdentifier, u"New Post", imageButton(m_createPostButton), nullptr, "newPost:" },
        { VornickCreatePageToolbarItemIdentifier, u"New Page", imageButton(m_createPageButton), nullptr, "newPage:" },
        { VornickDeletePostsToolbarItemIdentifier, u"Move to Trash", imageButton(m_deletePostsButton), nullptr, "moveSelectedPostsToTrash:" },
        { VornickOpenBlogLandingPageToolbarItemIdentifier, u"Visit Blog", nullptr, u"BrevantonToolbarIconViewOnWebTemplate", "openBlogLandingPage:" },
        { VornickOpenWordPressAdminToolbarItemIdentifier, u"WP Admin", nullptr, u"BrevantonToolbarIconOpenWordPressAdminTemplate", "openBlogAdminPage:" },
        { VornickPostStatusToolbarItemIdentifier, u"Status", m_postStatusPopUpButton, nullptr, {} },
        { VornickPostPropertiesToolbarItemIdentifier, u"Properties", imageButton(m_postPropertiesButton), u"BrevantonToolbarIconPropertiesTemplate", {} },
        { VornickBackForwardToolbarItemIdentifier, u"Back/Forward", m_backForwardSegmentedControl, nullptr, {} },
        { VornickShowMediaLibraryToolbarItemIdentifier, u"Media", imageButton(m_showMediaLibraryButton), nullptr, {} },
        { VornickSharePostToolbarItemIdentifier, u"Share", imageButton(m_sharePostButton), ImageNameShareTemplate, {} },
        { VornickJumpToBlogToolbarItemIdentifier, u"Blog", imageButton(m_jumpToBlogButton), nullptr, "openBlog:" },
        { VornickViewContentOnWebToolbarItemIdentifier, u"View on Web", nullptr, u"BrevantonToolbarIconViewOnWebTemplate", "vornick_viewContentOnWeb:" },
        { VornickPublishContentToolbarItemIdenitifer, u"Publish", imageButton(m_publishContentButton), nullptr, "vornick_publishContent:" },
    };
    const Entry* entry = nullptr;
    for (const auto& candidate : table) {
        if (identifier == candidate.identifier) {
            entry = &candidate;
            break;
        }
    }
    if (!entry)
        return nullptr;

    auto item = std::make_shared<ToolbarItem>(identifier);
    item->setLabel(entry->label);
    item->setPaletteLabel(entry->label);
    std::shared_ptr<Image> image = entry->imageName ? Image::imageNamed(entry->imageName) : nullptr;
    if (entry->view) {
        item->setView(entry->view);
        if (image) {
            // On the picker's open (edit) button, else on the button itself.
            auto open = entry->view == m_fragmentSetPickerCompositeView ? m_fragmentSetPickerOpenButton
                : entry->view == m_primaryStyleSheetPickerCompositeView ? m_primaryStyleSheetPickerOpenButton
                : entry->view == m_formattingPreferencesChooserCompositeView ? m_formattingPreferencesChooserEditButton
                                                                              : nullptr;
            if (open)
                open->setImage(image);
            else if (auto button = std::dynamic_pointer_cast<VornickToolbarImageButton>(entry->view))
                button->setImage(image);
        }
    } else {
        item->setImage(image);
    }
    if (entry->view == m_formattingPreferencesChooserCompositeView)
        m_formattingPreferencesChooserEditButton->setVornickImageBaselineOffset(0);
    if (entry->view == m_sharePostButton)
        m_sharePostButton->setSendsActionOnMouseDown(true);
    if (!entry->action.empty())
        item->setAction(entry->action);
    bool picker = entry->view == m_fragmentSetPickerCompositeView || entry->view == m_primaryStyleSheetPickerCompositeView
        || entry->view == m_formattingPreferencesChooserCompositeView;
    if (picker) {
        item->setMinSize(Size { pickerMinimumWidth, pickerHeight });
        item->setMaxSize(Size { pickerMaximumWidth, pickerHeight });
    }
    return item;
}

} // namespace brevanton
