// The post window's answers to the server: a server version beside the
// local one until the user keeps one, a replaced post shown again, and the
// post the server deleted.
#include "shell/VornickBlogPostWindow.h"

#include "app/VornickProjectOrComponentWindow.h"
#include "blog/VornickBlogTemplateResourcePolicy.h"
#include "blog/VornickWordPressBlogPost.h"
#include "editing/VornickEmbeddedWebView.h"
#include "platform/foundation/PropertyList.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/Text.h"
#include "platform/views/Alert.h"
#include "platform/views/Button.h"
#include "platform/views/SplitView.h"
#include "platform/views/TextField.h"
#include "platform/views/Toolbar.h"
#include "platform/views/Window.h"
#include "publishing/VornickWordPressBlogPostEditor.h"
#include "publishing/VornickWordPressPostView.h"
#include "shell/VornickErrorAlert.h"
#include "toolkit/VornickErrors.h"

#include <cmath>
#include <cstdio>

namespace brevanton {

namespace {

constexpr double bannerHeight = 40;
constexpr double minimumVersionWidth = 100;

} // namespace

void VornickBlogPostWindow::postWillReceiveNewPendingDescription()
{
    // The local version is on disk before the server's is kept beside it.
    saveWithoutUploadingReportingFailure();
}

void VornickBlogPostWindow::postDidReceiveNewPendingDescription()
{
    setConflictResolutionUIShown(true);
    m_toolbar->validateVisibleItems();
}

void VornickBlogPostWindow::postDidReceiveReplacementFromServer()
{
    m_postView->updateContentFromPost();
    forgetUndoSteps();
    updateTitle();
    updateEditedMark();
}

void VornickBlogPostWindow::saveAlreadyIntegratedChanges()
{
    // What the engine put into the post (its identifier, its dates) goes
    // to the file, edited or not.
    m_post->setHasEditsNotYetSavedToSourceFile(true);
    saveWithoutUploadingReportingFailure();
}

void VornickBlogPostWindow::saveDocumentWithoutUploadingDraftChanges()
{
    saveWithoutUploadingReportingFailure();
}

void VornickBlogPostWindow::saveWithoutUploadingReportingFailure()
{
    Error error;
    if (!m_postEditor->saveDocumentWithoutUploadingDraftChanges([this](Error* outError) { return save(outError); }, &error))
        presentSaveError(error);
}

void VornickBlogPostWindow::setConflictResolutionUIShown(bool show)
{
    auto container = m_window->contentView();
    if (show && !m_serverPostView) {
        Rect frame = m_postView->frame();
        double height = frame.height() - bannerHeight;
        auto split = std::make_shared<SplitView>(Rect(frame.minX(), frame.minY(), frame.width(), height));
        split->setVertical(true);
        split->setDividerStyle(SplitViewDividerStyle::Thin);
        split->setAutoresizingMask(Autoresizing::WidthSizable | Autoresizing::HeightSizable);
        split->setDelegate(std::static_pointer_cast<SplitViewDelegate>(shared_from_this()));
        double half = std::floor(frame.width() * 0.5);
        m_postView->removeFromSuperview();
        m_postView->setFrame(Rect(0, 0, half, height));
        split->addSubview(m_postView);
        m_serverPostView = VornickContentEditingView::create<VornickWordPressPostView>(Rect(half, 0, half, height));
        m_serverPostView->setEditable(false);
        m_serverPostView->setDelegate(this);
        // The server's version has no post of its own: it loads what the
        // post's blog may load.
        auto policy = std::make_shared<VornickBlogTemplateResourcePolicy>(m_post->blog());
        m_serverPostView->setResourceLoadFilter([policy](const URLRequest& request) { return policy->requestToLoad(request); });
        split->addSubview(m_serverPostView);
        split->adjustSubviews();
        container->addSubview(split);
        m_conflictSplitView = split;

        auto banner = std::make_shared<View>(Rect(frame.minX(), frame.minY() + height, frame.width(), bannerHeight));
        banner->setAutoresizingMask(Autoresizing::WidthSizable | Autoresizing::MinYMargin);
        auto label = TextField::labelWithString(u"The server has a newer version of this post. Keep yours (left) or the server\u2019s (right).");
        label->setFrame(Rect(12, 10, std::max(100.0, frame.width() - 360), 20));
        label->setAutoresizingMask(Autoresizing::WidthSizable);
        banner->addSubview(label);
        auto keepLocal = std::make_shared<Button>(Rect(frame.width() - 336, 8, 160, 24), u"Keep My Version");
        keepLocal->setAction("discardServerVersion:");
        keepLocal->setAutoresizingMask(Autoresizing::MinXMargin);
        auto keepServer = std::make_shared<Button>(Rect(frame.width() - 168, 8, 160, 24), u"Keep Server Version");
        keepServer->setAction("discardLocalVersion:");
        keepServer->setAutoresizingMask(Autoresizing::MinXMargin);
        banner->addSubview(keepLocal);
        banner->addSubview(keepServer);
        container->addSubview(banner);
        m_conflictBannerView = banner;
        m_window->makeFirstResponder(m_postView->embeddedWebView());
    } else if (!show && m_serverPostView) {
        Rect frame = m_conflictSplitView->frame();
        frame.size.height += bannerHeight;
        m_serverPostView->setDelegate(nullptr);
        m_serverPostView->removeFromSuperview();
        m_serverPostView = nullptr;
        m_postView->removeFromSuperview();
        m_conflictSplitView->removeFromSuperview();
        m_conflictSplitView = nullptr;
        m_conflictBannerView->removeFromSuperview();
        m_conflictBannerView = nullptr;
        m_postView->setFrame(frame);
        container->addSubview(m_postView);
        m_window->makeFirstResponder(m_postView->embeddedWebView());
    }
    if (show)
        refreshServerPostView();
}

double VornickBlogPostWindow::constrainMinCoordinate(SplitView&, double, long)
{
    return minimumVersionWidth;
}

double VornickBlogPostWindow::constrainMaxCoordinate(SplitView& split, double, long)
{
    return split.bounds().width() - minimumVersionWidth;
}

void VornickBlogPostWindow::refreshServerPostView()
{
    Value pending = m_post->valueForKey(u"pendingPostDescriptionData");
    auto description = pending.isData() ? readPropertyList(pending.data(), nullptr) : std::nullopt;
    if (m_serverPostView && description && description->isDictionary())
        m_serverPostView->setPostDescription(description->dictionary(), m_post->blog());
}

void VornickBlogPostWindow::confirmDiscard(std::u16string title, std::u16string text, std::function<void()> discard)
{
    if (m_window->attachedSheet())
        return;
    m_alert = Alert::create();
    m_alert->setMessageText(std::move(title));
    m_alert->setInformativeText(std::move(text));
    m_alert->addButtonWithTitle(u"Cancel");
    m_alert->addButtonWithTitle(u"Discard");
    m_alert->beginSheetModalForWindow(m_window, [discard = std::move(discard)](ModalResponse response) {
        if (response == AlertSecondButtonReturn)
            RunLoop::main().perform(discard);
    });
}

void VornickBlogPostWindow::discardLocalVersion()
{
    std::weak_ptr<VornickBlogPostWindow> weak = weak_from_this();
    confirmDiscard(u"Discard Local Version?",
        u"Discard your Local version of this post, and keep the Server version instead? This operation cannot be undone.", [weak] {
            auto editor = weak.lock();
            if (!editor)
                return;
            // The server's version goes in first; the two halves stay until it has.
            Error error;
            if (!editor->m_postEditor->discardLocalVersion(&error)) {
                editor->m_alert = VornickAlertForError(u"The server\u2019s version could not be kept.", error);
                editor->m_alert->beginSheetModalForWindow(editor->m_window, nullptr);
                return;
            }
            editor->setConflictResolutionUIShown(false);
            editor->postDidReceiveReplacementFromServer();
            editor->m_postEditor->populatePostStatusPopUpButton();
            editor->m_toolbar->validateVisibleItems();
        });
}

void VornickBlogPostWindow::discardServerVersion()
{
    std::weak_ptr<VornickBlogPostWindow> weak = weak_from_this();
    confirmDiscard(u"Discard Server Version?",
        u"Discard the Server's version of this post, and keep your Local changes instead? This operation cannot be undone.", [weak] {
            auto editor = weak.lock();
            if (!editor)
                return;
            editor->m_postEditor->discardServerVersion();
            editor->setConflictResolutionUIShown(false);
            editor->updateEditedMark();
            editor->m_toolbar->validateVisibleItems();
        });
}

void VornickBlogPostWindow::enqueueServerSideDeletionOfPost(bool inTrashOnServer)
{
    if (m_window->attachedSheet())
        return;
    m_alert = Alert::create();
    m_alert->setMessageText(inTrashOnServer ? u"Post in Trash" : u"Post Deleted");
    m_alert->setInformativeText(u"This post has been " + std::u16string(inTrashOnServer ? u"moved to the Trash" : u"deleted")
                                + u" on the server. You can click \u201CRevive Post\u201D to get the post back. Click \u201CMove Post to Trash\u201D "
                                  u"if you no longer want the post.");
    m_alert->addButtonWithTitle(u"Revive Post");
    m_alert->addButtonWithTitle(u"Move Post to Trash");
    std::weak_ptr<VornickBlogPostWindow> weak = weak_from_this();
    m_alert->beginSheetModalForWindow(m_window, [weak](ModalResponse response) {
        RunLoop::main().perform([weak, response] {
            auto editor = weak.lock();
            if (!editor)
                return;
            Error error;
            if (response == AlertSecondButtonReturn) {
                // The window goes; a failed write of the trashed post is still told.
                auto postEditor = editor->m_postEditor.get();
                auto title = editor->m_window->title();
                editor->m_window->close();
                if (!postEditor->movePostToTrash(&error)) {
                    std::fprintf(stderr, "brevanton: %s: %s\n", toUTF8(title).c_str(), toUTF8(VornickUserDescriptionOfError(error)).c_str());
                    editor->m_alert = VornickAlertForError(u"The post \u201C" + title + u"\u201D could not be moved to the Trash.", error);
                    editor->m_alert->runModal();
                }
                return;
            }
            if (!editor->m_postEditor->revivePost([&](Error* outError) { return editor->save(outError); }, &error))
                editor->presentSaveError(error);
            editor->m_postEditor->populatePostStatusPopUpButton();
            editor->updateEditedMark();
        });
    });
}

} // namespace brevanton
