#include "publishing/VornickWordPressBlogPostEditor.h"

#include "blog/VornickWordPressBlog.h"
#include "blog/VornickWordPressBlogPost.h"
#include "editing/VornickToolbarItemViews.h"
#include "platform/foundation/Text.h"
#include "platform/store/ArrayController.h"
#include "platform/views/Menu.h"
#include "platform/views/PopUpButton.h"
#include "wordpress/VornickWordPressBlogProject.h"
#include "wordpress/VornickWordPressIntegrator.h"

namespace brevanton {

namespace {

std::u16string statusIdentifierOfPost(const VornickWordPressBlogPost& post)
{
    auto status = post.objectForKey(u"status");
    return status ? asciiLowercase(status->valueForKey(u"identifier").stringValue()) : std::u16string();
}

} // namespace

VornickWordPressBlogPostEditor::VornickWordPressBlogPostEditor(std::shared_ptr<VornickWordPressBlogPost> post)
    : VornickBlogPostEditor(post)
    , m_wordPressPost(std::move(post))
{
    m_postStatusesArrayController = ArrayController::create(u"PostStatus");
    m_postStatusesArrayController->setSortDescriptors({ { u"title", true, false, SortComparison::LocalizedCaseInsensitive } });
    auto blog = m_wordPressPost->blog();
    m_postStatusesArrayController->setFilterPredicate(Predicate::andPredicate({
        Predicate::comparison(u"blog", PredicateOperator::EqualTo, std::static_pointer_cast<ManagedObject>(blog)),
        Predicate::comparison(u"identifier", PredicateOperator::NotEqualTo, Value(u"auto-draft")) }));
    auto* context = m_wordPressPost->managedObjectContext();
    m_postStatusesArrayController->setManagedObjectContext(context ? context->shared_from_this() : nullptr);
    m_postStatusesArrayController->rearrangeObjects();
}

VornickWordPressBlogPostEditor::~VornickWordPressBlogPostEditor() = default;

std::vector<std::u16string> VornickWordPressBlogPostEditor::toolbarItemIdentifiers()
{
    return { VornickJumpToBlogToolbarItemIdentifier, VornickPostPropertiesToolbarItemIdentifier, VornickPostStatusToolbarItemIdentifier,
             VornickToggleClearViewToolbarItemIdentifier, VornickToggleSourceLoupeToolbarItemIdenitifer,
             VornickToggleBrickHandlesToolbarItemIdenitifer, VornickChangeTextSizeToolbarItemIdenitifer, VornickSharePostToolbarItemIdentifier,
             VornickViewContentOnWebToolbarItemIdentifier, VornickPublishContentToolbarItemIdenitifer };
}

std::optional<URL> VornickWordPressBlogPostEditor::postPermalinkURL() const
{
    auto string = m_wordPressPost->valueForKey(u"permalinkURLString").stringValue();
    return string.empty() ? std::nullopt : URL::create(std::u16string_view(string));
}

bool VornickWordPressBlogPostEditor::shouldUploadChangesOnSave() const
{
    // A live post goes up only when published.
    return VornickBlogPostEditor::shouldUploadChangesOnSave() && !m_wordPressPost->currentlyPublished() && !m_wordPressPost->inTrash();
}

void VornickWordPressBlogPostEditor::updatePostDatesForEdit()
{
    VornickBlogPostEditor::updatePostDatesForEdit();
    // A post not yet out carries its last edit as its date; a scheduled or
    // private post keeps the date it was given, and a live one its own.
    // "dateLastPublished" stays the server's time of its last change: a sync
    // compares the server's copy with it, and moved to now it would hide
    // another client's edit made before or just after this one.
    std::u16string status = statusIdentifierOfPost(*m_wordPressPost);
    if (!status.empty() && status != u"draft" && status != u"pending" && status != u"auto-draft")
        return;
    Value edited = m_wordPressPost->valueForKey(u"dateLastEditedLocally");
    m_wordPressPost->setValueForKey(edited, u"dateFirstPublished");
    m_wordPressPost->setHasEditsNotYetSavedToSourceFile(true);
}

void VornickWordPressBlogPostEditor::preparePostForPublishing()
{
    std::u16string status = statusIdentifierOfPost(*m_wordPressPost);
    if (!status.empty() && status != u"draft")
        return;
    updatePostDatesForEdit();
    auto blog = m_wordPressPost->wordPressBlog();
    auto project = blog ? std::dynamic_pointer_cast<VornickWordPressBlogProject>(blog->project()) : nullptr;
    auto* integrator = project ? dynamic_cast<VornickWordPressIntegrator*>(&project->integrator()) : nullptr;
    auto publish = integrator ? integrator->existingOrNewPostStatusWithIdentifier(u"publish", *blog) : nullptr;
    if (publish)
        m_wordPressPost->setObjectForKey(publish, u"status");
}

void VornickWordPressBlogPostEditor::forgetServerStateOfRevivedPost()
{
    m_wordPressPost->setValueForKey(Value(), u"permalinkURLString");
    m_wordPressPost->setValueForKey(Value(), u"dateFirstPublished");
    m_wordPressPost->setValueForKey(Value(), u"dateLastPublished");
    m_wordPressPost->ManagedObject::setValueForKey(Value(false), u"publishAtNextSync");
    for (auto& status : m_wordPressPost->blog()->objectsForKey(u"postStatuses")) {
        if (status->valueForKey(u"identifier").stringValue() == u"draft") {
            m_wordPressPost->setObjectForKey(status, u"status");
            break;
        }
    }
}

void VornickWordPressBlogPostEditor::bindPostStatusPopUpButton(const std::shared_ptr<PopUpButton>& popUp, std::function<void()> edited)
{
    m_postStatusPopUpButton = popUp;
    m_statusEdited = std::move(edited);
    // The window's responder takes the pop-up's action (and validates it).
    popUp->setAction("postStatusEdited:");
    m_statusesObservation = std::make_unique<ArrangedObjectsObservation>(
        m_postStatusesArrayController->addArrangedObjectsObserver([this](ArrayController&) { populatePostStatusPopUpButton(); }));
    populatePostStatusPopUpButton();
}

void VornickWordPressBlogPostEditor::populatePostStatusPopUpButton()
{
    auto popUp = m_postStatusPopUpButton.lock();
    if (!popUp)
        return;
    popUp->removeAllItems();
    auto current = m_wordPressPost->objectForKey(u"status");
    long selected = -1;
    const auto& statuses = m_postStatusesArrayController->arrangedObjects();
    for (size_t index = 0; index < statuses.size(); ++index) {
        auto status = statuses[index];
        auto title = status->valueForKey(u"title").stringValue();
        popUp->addItemWithTitle(title.empty() ? status->valueForKey(u"identifier").stringValue() : title);
        if (status == current)
            selected = static_cast<long>(index);
    }
    if (selected >= 0)
        popUp->selectItemAtIndex(selected);
}

void VornickWordPressBlogPostEditor::takePostStatusFromPopUpButton()
{
    auto popUp = m_postStatusPopUpButton.lock();
    long index = popUp ? popUp->indexOfSelectedItem() : -1;
    const auto& statuses = m_postStatusesArrayController->arrangedObjects();
    if (index < 0 || static_cast<size_t>(index) >= statuses.size() || statuses[index] == m_wordPressPost->objectForKey(u"status"))
        return;
    m_wordPressPost->setObjectForKey(statuses[index], u"status");
    postStatusEdited();
}

void VornickWordPressBlogPostEditor::postStatusEdited()
{
    updatePostDatesForEdit();
    m_wordPressPost->setHasEditsNotYetSavedToSourceFile(true);
    if (m_statusEdited)
        m_statusEdited();
}

} // namespace brevanton
