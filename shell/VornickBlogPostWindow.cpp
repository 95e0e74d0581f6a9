#include "shell/VornickBlogPostWindow.h"

#include "app/VornickApplicationDelegate.h"
#include "app/VornickProjectOrComponentWindow.h"
#include "blog/VornickWordPressBlog.h"
#include "blog/VornickWordPressBlogPost.h"
#include "documents/VornickProjectIndex.h"
#include "dom/VornickDocumentExtensions.h"
#include "editing/VornickAttachmentPoint.h"
#include "editing/VornickEmbeddedWebView.h"
#include "editing/VornickSourceLoupe.h"
#include "html/VornickHTMLStringTextExtractor.h"
#include "html/VornickWebFrameEditingState.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/Text.h"
#include "platform/foundation/UndoManager.h"
#include "platform/store/ManagedObjectContext.h"
#include "platform/views/Alert.h"
#include "platform/views/Application.h"
#include "platform/views/Event.h"
#include "platform/views/Menu.h"
#include "platform/web/WebFrame.h"
#include "publishing/VornickAttachmentPointSettingsUIController.h"
#include "publishing/VornickProjectEditor.h"
#include "publishing/VornickShareLinksMenu.h"
#include "publishing/VornickWordPressAccountEditor.h"
#include "publishing/VornickWordPressBlogPostEditor.h"
#include "publishing/VornickWordPressPostView.h"
#include "editing/VornickToolbarItemViews.h"
#include "platform/views/Button.h"
#include "platform/views/CurrentEvent.h"
#include "platform/views/Pasteboard.h"
#include "platform/views/PopUpButton.h"
#include "platform/views/TextField.h"
#include "ui/VornickToolbarPickerControls.h"
#include "shell/VornickDocumentWindowActions.h"
#include "shell/VornickErrorAlert.h"
#include "toolkit/VornickErrors.h"
#include "toolkit/VornickManagedObjectContextExtensions.h"
#include "toolkit/VornickLog.h"
#include "toolkit/VornickObjectArchive.h"
#include "toolkit/VornickURLExtensions.h"
#include "snippets/VornickFragmentSetEditor.h"
#include "views/VornickInitialWindowFrame.h"
#include "wordpress/VornickWordPressBlogProject.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <map>

namespace brevanton {

namespace {

constexpr double windowWidth = 1280;
constexpr double windowHeight = 800;
constexpr double windowMargin = 60;
constexpr const char* postFileExtension = ".brevantonwordpresspost";

Rect initialWindowFrame()
{
    return vornick_initialWindowFrame({ windowWidth, windowHeight }, { 400, 300 }, windowMargin);
}

std::u16string fileNameOfPath(const std::string& path)
{
    return u"\u201C" + toUTF16(std::filesystem::path(path).filename().string()) + u"\u201D";
}

std::shared_ptr<VornickBlogPostWindow> failed(Error* outError, std::u16string description)
{
    setError(outError, Error(VornickErrorDomain, VornickPostFileNotInProjectError, std::move(description)));
    return nullptr;
}

} // namespace

bool VornickBlogPostWindow::isBlogPostPath(const std::string& path)
{
    return path.ends_with(postFileExtension);
}

std::shared_ptr<VornickBlogPostWindow> VornickBlogPostWindow::open(const std::string& path, Error* outError, Window* cascadeFrom)
{
    std::error_code fileError;
    if (!std::filesystem::is_regular_file(path, fileError))
        return failed(outError, fileNameOfPath(path) + u" is not a post file: there is no such file.");
    auto projectFile = VornickWordPressBlogProject::projectFilePathAroundPostFile(path);
    if (!projectFile)
        return failed(outError, fileNameOfPath(path) + u" lies in no account project folder.");
    auto projectEditor = VornickProjectEditor::openProjectFileURL(URL::fileURLWithPath(std::string_view(*projectFile), false), outError);
    if (!projectEditor)
        return nullptr;
    auto project = std::dynamic_pointer_cast<VornickWordPressBlogProject>(projectEditor->project());
    auto post = project ? project->postWithFilePath(path) : nullptr;
    if (!post || !post->blog()) {
        projectEditor->attemptCloseIfNoWindowsShownAndNoComponentEditors();
        return failed(outError, u"The account project holds no post in " + fileNameOfPath(path) + u".");
    }
    registerAsPostEditor(cascadeFrom);
    auto editor = std::dynamic_pointer_cast<VornickBlogPostWindow>(projectEditor->openEditorForComponent(post, outError));
    registerAsPostEditor(nullptr);
    return editor;
}

static std::function<void(const std::shared_ptr<VornickBlogPostWindow>&)>& postWindowOpenedHandler()
{
    static std::function<void(const std::shared_ptr<VornickBlogPostWindow>&)> handler;
    return handler;
}

void VornickBlogPostWindow::registerPostOpener(std::function<void(const std::shared_ptr<VornickBlogPostWindow>&)> opened)
{
    postWindowOpenedHandler() = std::move(opened);
    registerAsPostEditor(nullptr);
}

void VornickBlogPostWindow::registerAsPostEditor(Window* cascadeFrom)
{
    VornickProjectEditor::setComponentEditorOpener(u"BlogPost",
        [cascadeFrom](VornickProjectEditor& projectEditor, const std::shared_ptr<VornickProjectComponent>& component, Error* outError)
            -> std::shared_ptr<VornickProjectComponentEditor> {
            auto project = std::dynamic_pointer_cast<VornickWordPressBlogProject>(projectEditor.project());
            auto post = std::dynamic_pointer_cast<VornickWordPressBlogPost>(component);
            if (!project || !post)
                return failed(outError, u"Only WordPress posts open in a post window.");
            auto opened = openPost(std::move(project), std::move(post), cascadeFrom);
            if (opened && postWindowOpenedHandler())
                postWindowOpenedHandler()(opened);
            return opened;
        });
}

std::shared_ptr<VornickBlogPostWindow> VornickBlogPostWindow::openPost(std::shared_ptr<VornickWordPressBlogProject> project,
                                                                       std::shared_ptr<VornickWordPressBlogPost> post, Window* cascadeFrom)
{
    auto editor = std::shared_ptr<VornickBlogPostWindow>(new VornickBlogPostWindow);
    editor->m_project = std::move(project);
    editor->m_post = std::move(post);
    auto& window = editor->m_window;
    Rect frame = initialWindowFrame();
    window = std::make_shared<VornickProjectOrComponentWindow>(frame);
    window->setContentView(std::make_shared<View>(Rect({ 0, 0 }, frame.size)));
    Application::shared().addWindow(window);
    if (cascadeFrom)
        window->cascadeTopLeftFromPoint(cascadeFrom->cascadeTopLeftFromPoint(Point {}));

    editor->m_postEditor = std::make_unique<VornickWordPressBlogPostEditor>(editor->m_post);
    // The toolbar on top, the page under it.
    Rect bounds = window->contentView()->bounds();
    auto container = std::make_shared<View>(bounds);
    container->setAutoresizesSubviews(true);
    bounds.size.height -= Toolbar::height + titleStripHeight;
    editor->m_postView = VornickContentEditingView::create<VornickWordPressPostView>(bounds);
    // The post fills the window: its source loupe, when asked for, is a window of its own.
    editor->m_postView->releaseSourceLoupeFromFooter();
    if (const auto& loupe = editor->m_postView->sourceLoupe())
        loupe->setEmbedded(false);
    editor->m_postView->setAutoresizingMask(Autoresizing::WidthSizable | Autoresizing::HeightSizable);
    editor->m_postView->setDelegate(editor.get());
    editor->installFocusHook();
    container->addSubview(editor->m_postView);
    window->setContentView(container);
    editor->installActions();
    editor->installToolbar(*container);
    editor->installTitleField(*container, container->bounds().height() - Toolbar::height);
    editor->updateTitle();
    window->makeKeyAndOrderFront();

    editor->m_postView->setPost(editor->m_post);
    editor->updateEditedMark();
    window->makeFirstResponder(editor->m_postView->embeddedWebView());
    // A server version kept at the last sync waits beside the local one.
    if (editor->m_post->hasPendingPostDescription())
        editor->setConflictResolutionUIShown(true);
    editor->m_toolbar->validateVisibleItems();
    return editor;
}

VornickBlogPostWindow::~VornickBlogPostWindow()
{
    if (m_postPropertiesController) {
        m_postPropertiesController->cancelEdits();
        m_postPropertiesController->setPostEditor(nullptr);
    }
    VornickProjectComponentEditor::unregisterEditor(*this);
    if (auto* undo = m_window ? m_window->undoManager() : nullptr)
        undo->removeAllActionsWithTarget(this);
    if (m_settingsController)
        m_settingsController->setBlogEditor(nullptr);
    if (m_postView)
        m_postView->setDelegate(nullptr);
    if (m_serverPostView)
        m_serverPostView->setDelegate(nullptr);
    if (m_window && m_window->isVisible())
        m_window->close();
}

std::shared_ptr<Window> VornickBlogPostWindow::window() const
{
    return m_window;
}

std::shared_ptr<VornickProjectComponent> VornickBlogPostWindow::projectComponent() const
{
    return m_post;
}

void VornickBlogPostWindow::showWindows()
{
    m_window->makeKeyAndOrderFront();
}

void VornickBlogPostWindow::closeEditorWindows()
{
    if (m_window->isVisible())
        m_window->close();
}

void VornickBlogPostWindow::windowWillClose()
{
    if (const auto& loupe = m_postView->sourceLoupe(); loupe && loupe->isShown())
        loupe->showOrHide();
    VornickProjectComponentEditor::unregisterEditor(*this);
    if (auto projectEditor = VornickProjectEditor::projectEditorForProject(m_project))
        projectEditor->attemptCloseIfNoWindowsShownAndNoComponentEditors();
}

bool VornickBlogPostWindow::isDocumentEdited() const
{
    return m_post->hasEditsNotYetSavedToSourceFile();
}

void VornickBlogPostWindow::updateTitle()
{
    std::u16string title = vornick_stringbyStrippingHTMLMarkup(m_post->title());
    m_window->setTitle(title.empty() ? u"Untitled Post" : title);
    if (m_titleTextField && m_titleTextField->stringValue() != m_post->title())
        m_titleTextField->setTextString(m_post->title());
}

void VornickBlogPostWindow::updateEditedMark()
{
    bool edited = isDocumentEdited();
    if (edited != m_postView->isDocumentEdited())
        m_postView->setDocumentEdited(edited);
    m_window->setDocumentEdited(edited);
}

void VornickBlogPostWindow::forgetUndoSteps()
{
    if (auto* undo = m_window->undoManager())
        undo->removeAllActions();
}

void VornickBlogPostWindow::updatePostDatesForEdit()
{
    m_postEditor->updatePostDatesForEdit();
}

bool VornickBlogPostWindow::save(Error* outError)
{
    takeTitleFromField();
    // Typing on takes a step of its own, after the save.
    m_postView->endTypingRun();
    m_postView->endBackspaceRun();
    if (!m_postView->updatePostFromContent())
        return setError(outError, Error(VornickErrorDomain, VornickPostNotReadableFromPageError,
                                        u"The post could not be read from its page."));
    updateTitle();
    if (!m_post->hasEditsNotYetSavedToSourceFile()) {
        updateEditedMark();
        return true;
    }
    auto url = m_post->sourceFileURL();
    if (!url)
        return setError(outError, Error(VornickErrorDomain, VornickPostFileNotInProjectError, u"The post has no file to be saved to."));
    // A draft or pending post goes up with every save; a live one only when
    // published. The post is marked for the account's next sync, and the
    // account, when open in its windows, uploads it now.
    bool upload = m_postEditor->shouldUploadChangesOnSave();
    if (upload)
        m_post->ManagedObject::setValueForKey(Value(true), u"publishAtNextSync");
    if (!m_post->writePostToURL(*url, VornickObjectArchiveFormat::JSON, outError))
        return false;
    if (!m_project->index()->commitEditingAndSave(outError))
        return false;
    updateEditedMark();
    if (upload)
        requestUploadOfPost();
    return true;
}

void VornickBlogPostWindow::requestUploadOfPost()
{
    auto projectEditor = VornickProjectEditor::projectEditorForProject(m_project);
    auto account = projectEditor ? std::dynamic_pointer_cast<VornickWordPressAccountEditor>(projectEditor->delegate()) : nullptr;
    // Opened on its own, the post waits for the account's next sync.
    if (!account)
        return;
    Error error;
    if (!account->requestPublicationOfChangesToPost(*m_post, &error))
        VornickGeneralLog(u"The upload of \u201C" + m_post->title() + u"\u201D could not be queued: " + error.localizedDescription());
}

bool VornickBlogPostWindow::saveReportingFailure()
{
    Error error;
    if (save(&error))
        return true;
    presentSaveError(error);
    return false;
}

std::optional<URL> VornickBlogPostWindow::vornickContentEditingViewFindReferencedFileInBlogMediaLibraryOrStageIntoBlogMediaLibrary(
    VornickContentEditingView&, const URL& url)
{
    Error error;
    auto staged = m_postEditor->findReferencedFileInBlogMediaLibraryOrStageIntoBlogMediaLibrary(url, &error);
    if (staged)
        return staged;
    std::u16string reason = VornickUserDescriptionOfError(error);
    VornickGeneralLog(u"** " + reason);
    std::fprintf(stderr, "brevanton: %s\n", toUTF8(reason).c_str());
    if (m_window && !m_window->attachedSheet()) {
        m_alert = VornickAlertForError(u"The file could not be added to the post.", error);
        m_alert->beginSheetModalForWindow(m_window, nullptr);
    }
    return std::nullopt;
}

void VornickBlogPostWindow::presentSaveError(const Error& error)
{
    std::fprintf(stderr, "brevanton: %s: %s\n", toUTF8(m_window->title()).c_str(), toUTF8(VornickUserDescriptionOfError(error)).c_str());
    m_alert = VornickAlertForError(u"The document \u201C" + m_window->title() + u"\u201D could not be saved.", error);
    if (m_window->attachedSheet())
        m_alert->runModal();
    else
        m_alert->beginSheetModalForWindow(m_window, nullptr);
}

void VornickBlogPostWindow::publish()
{
    if (m_postEditor->conflictResolutionUIShown() || m_window->attachedSheet())
        return;
    Error error;
    if (!m_postEditor->publish([this](Error* outError) { return save(outError); }, &error)) {
        presentSaveError(error);
        m_postEditor->populatePostStatusPopUpButton();
        updateEditedMark();
        return;
    }
    m_postEditor->populatePostStatusPopUpButton();
    updateEditedMark();
    // A live post is not uploaded by its save: publishing sends it.
    if (!m_postEditor->shouldUploadChangesOnSave())
        requestUploadOfPost();
    if (!VornickBlogPostEditor::closesAfterPublishing())
        return;
    std::weak_ptr<VornickBlogPostWindow> weak = weak_from_this();
    RunLoop::main().perform([weak] {
        if (auto editor = weak.lock(); editor && editor->m_window->isVisible())
            editor->m_window->close();
    });
}

bool VornickBlogPostWindow::sourceLoupeShown() const
{
    const auto& loupe = m_postView->sourceLoupe();
    return loupe && loupe->isShown();
}

void VornickBlogPostWindow::showOrHideSourceLoupe()
{
    const auto& loupe = m_postView->sourceLoupe();
    if (!loupe)
        return;
    loupe->setActiveContentEditingView(m_postView.get());
    if (!loupe->isShown())
        loupe->placeWindowBeside(*m_window, loupe->window()->frame().width());
    loupe->showOrHide();
    if (loupe->isShown()) {
        loupe->window()->setTitle(m_window->title() + u" \u2014 Source");
        m_postView->scheduleHTMLUpdateForFocusedWebFrameIfNeeded();
    }
}

void VornickBlogPostWindow::toggleClearView()
{
    // The page is made again from the post, which holds what was written back.
    m_postView->setUsingClearView(!m_postView->usingClearView());
    forgetUndoSteps();
    updateEditedMark();
}

std::optional<bool> VornickBlogPostWindow::validateOwnMenuItem(MenuItem& item)
{
    const auto& action = item.action();
    if (action == "copyPermalinksForSelectedPosts:" || action == "shareSelectedPosts:")
        return m_postEditor->postPermalinkURL().has_value();
    if (action == "vornick_publishContent:" || action == "editPostProperties:")
        return !m_postEditor->conflictResolutionUIShown();
    if (action == "toggleClearView:") {
        item.setState(m_postView->usingClearView() ? OnState : OffState);
        return true;
    }
    return std::nullopt;
}

void VornickBlogPostWindow::installFocusHook()
{
    VornickDocumentWindowActions::giveKeyboardToPageOnClick(*m_window, m_postView);
}

void VornickBlogPostWindow::installActions()
{
    auto actions = VornickDocumentWindowActions::install(m_window, weak_from_this());
    m_actions = actions;
    std::weak_ptr<VornickBlogPostWindow> weak = weak_from_this();
    actions->setActionHandler("toggleClearView:", [weak](ActionSender*) {
        if (auto editor = weak.lock())
            editor->toggleClearView();
    });
    actions->setActionHandler("postTitleTextChanged:", [weak](ActionSender*) {
        if (auto editor = weak.lock())
            editor->postTitleTextChanged();
    });
    actions->setActionHandler("editPostProperties:", [weak](ActionSender* sender) {
        auto editor = weak.lock();
        if (!editor)
            return;
        auto button = editor->m_toolbarItemViews ? editor->m_toolbarItemViews->postPropertiesButton() : nullptr;
        bool fromButton = button && sender == static_cast<ActionSender*>(button.get());
        editor->editPostProperties(fromButton ? std::static_pointer_cast<View>(button) : nullptr);
    });
    actions->setActionHandler("postStatusEdited:", [weak](ActionSender*) {
        if (auto editor = weak.lock())
            editor->m_postEditor->takePostStatusFromPopUpButton();
    });
    actions->setActionHandler("vornick_toggleSectionHandlesShown:", [weak](ActionSender*) {
        auto editor = weak.lock();
        if (!editor)
            return;
        bool shown = !editor->m_postView->sectionHandlesShown();
        editor->m_postView->setSectionHandlesShown(shown);
        if (editor->m_serverPostView)
            editor->m_serverPostView->setSectionHandlesShown(shown);
    });
    actions->setActionHandler("discardLocalVersion:", [weak](ActionSender*) {
        if (auto editor = weak.lock())
            editor->discardLocalVersion();
    });
    actions->setActionHandler("discardServerVersion:", [weak](ActionSender*) {
        if (auto editor = weak.lock())
            editor->discardServerVersion();
    });
    actions->setActionHandler("vornick_publishContent:", [weak](ActionSender*) {
        if (auto editor = weak.lock())
            editor->publish();
    });
    actions->setActionHandler("vornick_viewContentOnWeb:", [weak](ActionSender*) {
        if (auto editor = weak.lock())
            editor->viewContentOnWeb();
    });
    actions->setActionHandler("openBlog:", [weak](ActionSender*) {
        if (auto editor = weak.lock())
            editor->openBlog();
    });
    actions->setActionHandler("copyPermalinksForSelectedPosts:", [weak](ActionSender*) {
        auto editor = weak.lock();
        auto url = editor ? editor->m_postEditor->postPermalinkURL() : std::nullopt;
        if (!url)
            return;
        auto pasteboard = Pasteboard::generalPasteboard();
        pasteboard->clearContents();
        static_cast<void>(pasteboard->writeObjects(std::vector<PasteboardItem> { PasteboardItem::itemWithURL(*url) }));
    });
    actions->setActionHandler("shareSelectedPosts:", [weak](ActionSender* sender) {
        if (auto editor = weak.lock())
            editor->sharePost(sender);
    });
    actions->setActionHandler("editAttachmentPointSettings:", [weak](ActionSender*) {
        if (auto editor = weak.lock())
            editor->editAttachmentPointSettings();
    });
}

// --- The blog editor

std::shared_ptr<VornickBlog> VornickBlogPostWindow::blog() const
{
    return m_post->blog();
}

std::shared_ptr<Window> VornickBlogPostWindow::windowForSheet() const
{
    return m_window;
}

void VornickBlogPostWindow::editAttachmentPointSettings()
{
    auto postBlog = blog();
    if (!postBlog)
        return;
    if (!m_settingsController)
        m_settingsController = std::make_unique<VornickAttachmentPointSettingsUIController>();
    if (m_settingsController->isSheetShown())
        return;
    m_settingsController->setBlogEditor(this);
    m_settingsController->setDefaultAttachmentPointLocators(
        VornickAttachmentPointSettingsUIController::defaultAttachmentPointLocatorsOfBlog(*postBlog));
    // Every place the view looked for, found or not.
    std::vector<std::u16string> needed;
    for (const auto& [identifier, point] : m_postView->postAttachmentPointsByIdentifier())
        needed.push_back(identifier);
    for (const auto& identifier : m_postView->identifiersOfFailedAttachmentPoints()) {
        if (std::find(needed.begin(), needed.end(), identifier) == needed.end())
            needed.push_back(identifier);
    }
    static_cast<void>(m_settingsController->showForWindow(m_window, m_postView->identifiersOfFailedAttachmentPoints(), needed));
}

void VornickBlogPostWindow::attachmentPostSettingsDidChange()
{
    if (!m_postView->updatePostFromContent())
        std::fprintf(stderr, "brevanton: the post could not be read from its page before reloading it\n");
    m_postView->reloadPost();
    forgetUndoSteps();
    updateEditedMark();
    auto postBlog = blog();
    auto url = postBlog ? postBlog->sourceFileURL() : std::nullopt;
    Error error;
    if (!url || !postBlog->writeArchivalRepresentationToURL(*url, VornickObjectArchiveFormat::JSON, &error)
        || !m_project->index()->commitEditingAndSave(&error))
        std::fprintf(stderr, "brevanton: the blog's settings could not be saved: %s\n", toUTF8(VornickUserDescriptionOfError(error)).c_str());
}

// --- The post's properties

void VornickBlogPostWindow::editPostProperties(const std::shared_ptr<View>& anchorView)
{
    if (!m_postView->isEditable())
        return;
    if (!m_postPropertiesController) {
        // A post without a type keeps its tags and categories.
        if (!m_post->isPage())
            m_postPropertiesController = VornickWordPressPostPropertiesUIController::create();
        else
            m_postPropertiesController = VornickWordPressPagePropertiesUIController::create();
    }
    if (anchorView && anchorView->window()) {
        m_postPropertiesController->showForWordPressBlogPost(m_post, anchorView, this, std::nullopt);
        return;
    }
    // At the featured image when the page shows one, else at the top of the page.
    std::optional<Rect> anchor;
    auto featured = m_postView->attachmentPointWithIdentifier(VornickAttachmentPointFeaturedImage);
    if (auto range = featured ? VornickBlogPostView::rangeOfAttachmentPoint(*featured) : nullptr) {
        Rect bounds = m_postView->vornick_bestGuessBoundsOfRange(*range);
        if (!bounds.isEmpty() && bounds.intersects(m_postView->visibleRect()))
            anchor = bounds;
    }
    if (!anchor) {
        Rect bounds = m_postView->bounds();
        anchor = Rect(bounds.midX() - 1, bounds.minY(), 2, 2);
    }
    m_postPropertiesController->showForWordPressBlogPost(m_post, m_postView, this, anchor);
}

void VornickBlogPostWindow::postPropertiesEdited()
{
    // The page is made again from the post, the title and body written back
    // first: the template's term lists are replaced when filled, so they
    // cannot be filled a second time in place.
    updatePostDatesForEdit();
    if (!m_postView->updatePostFromContent())
        std::fprintf(stderr, "brevanton: the post could not be read from its page before reloading it\n");
    m_postView->reloadPost();
    forgetUndoSteps();
    updateEditedMark();
}

// --- The toolbar

void VornickBlogPostWindow::installToolbar(View& container)
{
    m_toolbarItemViews = VornickToolbarItemViews::create();
    m_toolbar = Toolbar::create(u"VornickBlogPostEditorToolbar");
    m_toolbar->setDelegate(std::static_pointer_cast<ToolbarDelegate>(shared_from_this()));
    Rect bounds = container.bounds();
    auto toolbarView = m_toolbar->view();
    toolbarView->setFrame(Rect(0, bounds.height() - Toolbar::height, bounds.width(), Toolbar::height));
    toolbarView->setAutoresizingMask(Autoresizing::WidthSizable | Autoresizing::MinYMargin);
    container.addSubview(toolbarView);
    m_window->setToolbar(m_toolbar);
    m_toolbar->layout();
}

std::shared_ptr<ToolbarItem> VornickBlogPostWindow::itemForItemIdentifier(Toolbar& toolbar, const std::u16string& identifier,
                                                                          bool willBeInsertedIntoToolbar)
{
    auto item = m_toolbarItemViews ? m_toolbarItemViews->toolbar(toolbar, identifier, willBeInsertedIntoToolbar) : nullptr;
    if (!item || !willBeInsertedIntoToolbar)
        return item;
    if (identifier == VornickPostPropertiesToolbarItemIdentifier) {
        item->setAction("editPostProperties:");
    } else if (identifier == VornickPostStatusToolbarItemIdentifier) {
        std::weak_ptr<VornickBlogPostWindow> weak = weak_from_this();
        m_postEditor->bindPostStatusPopUpButton(m_toolbarItemViews->postStatusPopUpButton(), [weak] {
            if (auto editor = weak.lock())
                editor->updateEditedMark();
        });
    } else if (identifier == VornickSharePostToolbarItemIdentifier) {
        // Copy Link and Email Link; the button is enabled only with a link.
        item->setAction("shareSelectedPosts:");
        item->setToolTip(u"Share");
    }
    return item;
}

std::vector<std::u16string> VornickBlogPostWindow::defaultItemIdentifiers(Toolbar&)
{
    return VornickWordPressBlogPostEditor::toolbarItemIdentifiers();
}

bool VornickBlogPostWindow::validateToolbarItem(const ToolbarItem& item) const
{
    const auto& identifier = item.itemIdentifier();
    // The toggles show the page's state.
    if (auto button = std::dynamic_pointer_cast<Button>(item.view())) {
        if (identifier == VornickToggleClearViewToolbarItemIdentifier)
            button->setState(m_postView->usingClearView() ? OnState : OffState);
        else if (identifier == VornickToggleSourceLoupeToolbarItemIdenitifer)
            button->setState(sourceLoupeShown() ? OnState : OffState);
        else if (identifier == VornickToggleBrickHandlesToolbarItemIdenitifer)
            button->setState(m_postView->sectionHandlesShown() ? OnState : OffState);
    }
    if (m_postEditor->conflictResolutionUIShown()) {
        for (const char16_t* kept : { VornickJumpToBlogToolbarItemIdentifier, VornickToggleSourceLoupeToolbarItemIdenitifer,
                                      VornickToggleClearViewToolbarItemIdentifier, VornickToggleBrickHandlesToolbarItemIdenitifer,
                                      VornickChangeTextSizeToolbarItemIdenitifer, VornickViewContentOnWebToolbarItemIdentifier }) {
            if (identifier == kept)
                return true;
        }
        return false;
    }
    if (identifier == VornickSharePostToolbarItemIdentifier)
        return m_postEditor->postPermalinkURL().has_value();
    if (identifier == VornickViewContentOnWebToolbarItemIdentifier)
        return m_post->viewOnlineURLString().has_value();
    return true;
}

void VornickBlogPostWindow::sharePost(ActionSender* sender)
{
    auto url = m_postEditor->postPermalinkURL();
    if (!url)
        return;
    std::weak_ptr<VornickBlogPostWindow> weak = weak_from_this();
    auto share = vornick_makeShareLinksMenu({ VornickTitledURL(*url, m_post->title().empty() ? std::nullopt : std::optional(m_post->title())) }, [weak] {
        if (auto editor = weak.lock())
            editor->m_actions->tryToPerform("copyPermalinksForSelectedPosts:", nullptr);
    });
    m_sharingServicePicker = share.menu;
    m_sharingPickerTarget = share.target;
    // Under the clicked button, else at the top of the page.
    vornick_popUpShareLinksMenu(share, sender, m_postView);
}

void VornickBlogPostWindow::viewContentOnWeb()
{
    auto string = m_post->viewOnlineURLString();
    auto url = string ? URL::create(std::u16string_view(*string)) : std::nullopt;
    if (!url)
        return;
    // The address comes from the server: only a web page is opened.
    std::u16string scheme = url->scheme();
    auto delegate = VornickApplicationDelegate::shared();
    if ((scheme != u"http" && scheme != u"https") || !delegate || !delegate->openReferencedURL(*url, windowForSheet()))
        VornickGeneralLog(u"Refusing to open the post's address for safety: " + *string);
}

void VornickBlogPostWindow::openBlog()
{
    // The blog's window comes from the opener the blog window registers.
    auto projectEditor = VornickProjectEditor::projectEditorForProject(m_project);
    auto postBlog = blog();
    Error error;
    if (!projectEditor || !postBlog || !projectEditor->openEditorForComponent(postBlog, &error))
        VornickGeneralLog(u"The blog's window could not be opened: " + VornickUserDescriptionOfError(error));
}

// --- The post view's delegate

std::optional<URL> VornickBlogPostWindow::blogPostViewTemplatesFolderURL(VornickBlogPostView&)
{
    auto postBlog = blog();
    return postBlog ? postBlog->templatesFolderURL() : std::nullopt;
}

void VornickBlogPostWindow::blogPostViewEditedPostProperty(VornickBlogPostView& view, const std::u16string&)
{
    if (&view != m_postView.get())
        return;
    postPropertiesEdited();
}

void VornickBlogPostWindow::vornickContentEditingViewDidChangeContent(VornickContentEditingView& view, WebFrame*, VornickAttachmentPoint* injected)
{
    // Filling the template with the post's fields is no edit, nor is
    // anything in the server's version.
    if (injected || &view != m_postView.get())
        return;
    updatePostDatesForEdit();
    updateEditedMark();
    updateTitleFieldFromContent();
}

std::optional<std::u16string> VornickBlogPostWindow::vornickContentEditingViewPlaceholderContentStringForEmptiedAttachmentPoint(
    VornickContentEditingView&, VornickAttachmentPoint& point)
{
    auto locator = point.locator();
    if (!locator)
        return std::nullopt;
    if (equalsIgnoringASCIICase(locator->identifier(), VornickAttachmentPointTitle))
        return std::u16string(u"Untitled Post");
    if (equalsIgnoringASCIICase(locator->identifier(), VornickAttachmentPointBody))
        return m_post->placeholderSourceContentString();
    return std::nullopt;
}

// --- The end of a load and link clicks

void VornickBlogPostWindow::vornickContentEditingViewEndLoading(VornickContentEditingView& view, VornickContentLoadingState,
                                                                const VornickResourceLoadAttempts&)
{
    auto frame = view.mainFrame();
    auto document = frame ? frame->domDocument() : nullptr;
    auto fileURL = m_post ? m_post->sourceFileURL() : std::nullopt;
    if (document && fileURL)
        vornick_insertBaseElementInHeadWithURL(*document, *fileURL, true);
    if (frame)
        vornick_setHTMLFormattingPreferences(*frame, VornickBlog::blogPostHTMLFormattingPreferences());
}

void VornickBlogPostWindow::vornickContentEditingViewUserClickedLinkElement(VornickContentEditingView&, const std::shared_ptr<DOMElement>&,
                                                                           const URL& url, ModifierFlags modifierFlags)
{
    if (!(modifierFlags & ModifierFlag::Command))
        return;
    std::u16string string = url.absoluteString();
    if (string.ends_with(u'#'))
        return;
    std::u16string scheme = url.scheme();
    bool mayOpen = (scheme == u"http" || scheme == u"https" || scheme == u"mailto") && vornick_shouldOpenWhenClicked(url, nullptr);
    auto delegate = VornickApplicationDelegate::shared();
    if (!mayOpen || !delegate || !delegate->openReferencedURL(url, windowForSheet()))
        VornickGeneralLog(u"Refusing to open clicked URL for safety: " + string);
}

std::shared_ptr<VornickFragmentDescription>
VornickBlogPostWindow::vornickContentEditingViewAddNewFragmentDescriptionToASuitableGroupAndBringForwardForEditing(
    VornickContentEditingView& view, const std::shared_ptr<VornickFragmentDescription>& description)
{
    VornickFragmentSetEditor::addToEditorOfUserFragmentSet(view, description);
    return nullptr;
}

} // namespace brevanton
