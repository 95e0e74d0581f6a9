#include "wordpress/VornickWordPressIntegrator.h"

#include "blog/VornickBlogServiceDescriptions.h"
#include "blog/VornickBlogServiceIntegratorSupport.h"
#include "blog/VornickBlogServiceSyncSession.h"
#include "blog/VornickBlogSyncStep.h"
#include "blog/VornickUploadBlogPostsStep.h"
#include "blog/VornickUploadWordPressMediaItemsStep.h"
#include "toolkit/VornickRange.h"
#include "wordpress/VornickGetWordPressMediaItemsStep.h"
#include "wordpress/VornickGetWordPressPostTemplatesStep.h"
#include "wordpress/VornickWordPressAgent.h"

namespace brevanton {

namespace {

std::shared_ptr<VornickWordPressRequestStep> makeRequestStep(std::u16string name, std::u16string title,
                                                             VornickWordPressRequestStep::Request request, bool mediaItems = false)
{
    std::shared_ptr<VornickWordPressRequestStep> step;
    if (mediaItems)
        step = std::make_shared<VornickGetWordPressMediaItemsStep>(std::move(name), std::move(title), std::move(request));
    else
        step = std::make_shared<VornickWordPressRequestStep>(std::move(name), std::move(title), std::move(request));
    std::weak_ptr<VornickWordPressRequestStep> weakStep = step;
    step->setStartBlock([weakStep] {
        if (auto strongStep = weakStep.lock())
            strongStep->start();
    });
    return step;
}

} // namespace

void VornickWordPressIntegrator::addSubstepsToBlogSyncStep(VornickBlogSyncStep& blogStep)
{
    VornickBlogServiceIntegrator::addSubstepsToBlogSyncStep(blogStep);
    auto* session = blogStep.syncSession();
    if (!session)
        return;
    VornickSyncSessionType type = session->type();
    auto wordPressAgent = this->wordPressAgent();

    if (type == VornickSyncSessionType::ExhaustiveManual && wordPressAgent) {
        // Each inserted first: they run blog options, formats, statuses.
        if (wordPressAgent->wantsRequestPostStatusesStep())
            blogStep.insertStep(makeRequestStep(u"getPostStatuses", u"Get Post Statuses", [](VornickWordPressAgent& agent, const Dictionary& blog, int64_t) {
                agent.requestPostStatusesForBlogWithDescription(blog);
            }), 0);
        if (wordPressAgent->wantsRequestPostFormatsStep())
            blogStep.insertStep(makeRequestStep(u"getPostFormats", u"Get Post Formats", [](VornickWordPressAgent& agent, const Dictionary& blog, int64_t) {
                agent.requestPostFormatsForBlogWithDescription(blog);
            }), 0);
        if (wordPressAgent->wantsRequestBlogOptionsSyncStep())
            blogStep.insertStep(makeRequestStep(u"getBlogOptions", u"Get Blog Options", [](VornickWordPressAgent& agent, const Dictionary& blog, int64_t) {
                agent.requestBlogOptionsForBlogWithDescription(blog);
            }), 0);
    }

    if (type != VornickSyncSessionType::TemplateDownload) {
        size_t syncPostsIndex = blogStep.indexOfStepWithName(u"syncPosts");
        if (syncPostsIndex != VornickNotFound) {
            auto syncPages = blogStep.stepWithName(u"syncPages");
            if (!syncPages) {
                auto pages = std::make_shared<VornickSyncStep>(u"syncPages", u"Sync Pages");
                std::weak_ptr<VornickSyncStep> weakPages = pages;
                pages->setStartBlock([weakPages] {
                    auto step = weakPages.lock();
                    auto* integrator = step ? vornick_integratorOfStep(*step) : nullptr;
                    auto* blogStep = step ? step->blogStep() : nullptr;
                    auto agent = integrator ? integrator->agent() : nullptr;
                    if (!agent || !blogStep) {
                        if (step) {
                            step->setStatusMessage(u"Failed: no connection to the blog service");
                            step->setState(VornickSyncStepState::Failed);
                        }
                        return;
                    }
                    agent->requestPagesForBlogWithDescription(blogStep->blogDescription(), 0);
                });
                blogStep.insertStep(pages, syncPostsIndex + 1);
            }
            blogStep.insertStep(makeRequestStep(u"syncCategories", u"Sync Categories", [](VornickWordPressAgent& agent, const Dictionary& blog, int64_t offset) {
                agent.requestCategoriesForBlogWithDescription(blog, offset);
            }), syncPostsIndex);
            if (wordPressAgent && wordPressAgent->wantsRequestTagsStep())
                blogStep.insertStep(makeRequestStep(u"syncTags", u"Sync Tags", [](VornickWordPressAgent& agent, const Dictionary& blog, int64_t offset) {
                    agent.requestTagsForBlogWithDescription(blog, offset);
                }), syncPostsIndex);
            blogStep.insertStep(makeRequestStep(u"getMediaItems", u"Get Media Library Items", [](VornickWordPressAgent& agent, const Dictionary& blog, int64_t offset) {
                agent.requestMediaItemsForBlogWithDescription(blog, offset);
            }, true), blogStep.indexOfStepWithName(u"syncPosts"));
        }
        addUploadMediaItemsStepToBlogSyncStep(blogStep);
    }

    if (type == VornickSyncSessionType::ExhaustiveManual || type == VornickSyncSessionType::TemplateDownload)
        blogStep.addStep(std::make_shared<VornickGetWordPressPostTemplatesStep>(u"getTemplates", u"Update Templates"));
}

std::shared_ptr<VornickUploadWordPressMediaItemsStep> VornickWordPressIntegrator::addUploadMediaItemsStepToBlogSyncStep(VornickBlogSyncStep& blogStep)
{
    if (blogStep.stepWithName(u"uploadMediaItems"))
        return blogStep.stepWithName<VornickUploadWordPressMediaItemsStep>(u"uploadMediaItems");
    auto step = std::make_shared<VornickUploadWordPressMediaItemsStep>(u"uploadMediaItems", u"Upload Media Library Items");
    std::weak_ptr<VornickUploadWordPressMediaItemsStep> weakStep = step;
    step->setStartBlock([weakStep] {
        if (auto strongStep = weakStep.lock())
            strongStep->startUploadingMediaItems();
    });
    size_t uploadPostsIndex = blogStep.indexOfStepWithName(u"uploadPosts");
    if (uploadPostsIndex != VornickNotFound)
        blogStep.insertStep(step, uploadPostsIndex);
    else
        blogStep.addStep(step);
    return step;
}

std::shared_ptr<VornickSyncStepContainer> VornickWordPressIntegrator::activeStepNamed(std::u16string_view name,
                                                                                     const Dictionary& blogDescription) const
{
    const auto& session = syncSession();
    if (!session || !session->active())
        return nullptr;
    auto blogStep = session->stepForBlogWithDescription(blogDescription);
    return blogStep ? blogStep->stepWithName(name) : nullptr;
}

std::shared_ptr<VornickWordPressRequestStep> VornickWordPressIntegrator::requestStepNamed(std::u16string_view name,
                                                                                         const Dictionary& blogDescription) const
{
    return activeStepNamed<VornickWordPressRequestStep>(name, blogDescription);
}

// --- The templates' proxy draft

bool VornickWordPressIntegrator::isTemplateProxyDraftIdentifier(const Value& nativePostIdentifier)
{
    return nativePostIdentifier.isString() && nativePostIdentifier.string() == VornickTemplateProxyDraftMarker;
}

bool VornickWordPressIntegrator::isTemplateProxyDraft(const Dictionary& postDescription)
{
    return vornick_descriptionString(postDescription, u"title") == VornickTemplateProxyDraftMarker;
}

bool VornickWordPressIntegrator::isTemplateProxyDraft(const VornickWordPressPostDescription& post)
{
    return post.title == VornickTemplateProxyDraftMarker;
}

void VornickWordPressIntegrator::blogServiceAgentSuccessfullySentPostChanges(VornickBlogServiceAgent& agent, const Dictionary& postChanges,
    const Dictionary& blogDescription, const Value& nativePostIdentifier, const Dictionary& newPostDescription, bool awaitUpdatedProperties)
{
    if (!isTemplateProxyDraftIdentifier(nativePostIdentifier)) {
        VornickBlogServiceIntegrator::blogServiceAgentSuccessfullySentPostChanges(agent, postChanges, blogDescription, nativePostIdentifier,
                                                                                 newPostDescription, awaitUpdatedProperties);
        return;
    }
    std::u16string identifier = vornick_descriptionString(newPostDescription, u"identifierUsedByBlogService");
    if (auto uploadStep = existingUploadPostsStepForBlogWithDescription(blogDescription))
        uploadStep->integratorDidUploadPostChanges(postChanges, blogDescription, nativePostIdentifier, awaitUpdatedProperties);
    if (auto step = activeStepNamed<VornickGetWordPressPostTemplatesStep>(u"getTemplates", blogDescription))
        step->updatedProxyDraftAndReceivedWordPressIdentifier(identifier.empty() ? std::nullopt : std::optional(identifier));
}

void VornickWordPressIntegrator::blogServiceAgentFailedToSendPostChanges(VornickBlogServiceAgent& agent, const Dictionary& postChanges,
    const Dictionary& blogDescription)
{
    if (!isTemplateProxyDraft(postChanges)) {
        VornickBlogServiceIntegrator::blogServiceAgentFailedToSendPostChanges(agent, postChanges, blogDescription);
        return;
    }
    logToSyncLog(u"Failed to update the templates' proxy draft");
    if (auto uploadStep = existingUploadPostsStepForBlogWithDescription(blogDescription))
        uploadStep->integratorFailedToUploadPostChanges(postChanges, blogDescription);
    if (auto step = activeStepNamed<VornickGetWordPressPostTemplatesStep>(u"getTemplates", blogDescription))
        step->failedToUpdateProxyDraft();
}

void VornickWordPressIntegrator::blogServiceAgentReceivedUpdatedPropertiesForJustPublishedPost(VornickBlogServiceAgent& agent,
    const Dictionary& updatedProperties, const Dictionary& blogDescription, const Value& nativePostIdentifier)
{
    if (isTemplateProxyDraftIdentifier(nativePostIdentifier))
        return;
    VornickBlogServiceIntegrator::blogServiceAgentReceivedUpdatedPropertiesForJustPublishedPost(agent, updatedProperties, blogDescription,
                                                                                               nativePostIdentifier);
}

void VornickWordPressIntegrator::blogServiceAgentSuccessfullyDeletedPostWithIdentifier(VornickBlogServiceAgent& agent,
    const std::u16string& postIdentifier, const Value& nativePostIdentifier, const Dictionary& blogDescription)
{
    if (isTemplateProxyDraftIdentifier(nativePostIdentifier))
        return;
    VornickBlogServiceIntegrator::blogServiceAgentSuccessfullyDeletedPostWithIdentifier(agent, postIdentifier, nativePostIdentifier,
                                                                                       blogDescription);
}

void VornickWordPressIntegrator::blogServiceAgentFailedToDeletePostWithIdentifier(VornickBlogServiceAgent& agent,
    const std::u16string& postIdentifier, const Value& nativePostIdentifier, const Dictionary& blogDescription, const Error& error)
{
    if (isTemplateProxyDraftIdentifier(nativePostIdentifier))
        return;
    VornickBlogServiceIntegrator::blogServiceAgentFailedToDeletePostWithIdentifier(agent, postIdentifier, nativePostIdentifier,
                                                                                  blogDescription, error);
}

void VornickWordPressIntegrator::wordPressAgentReceivedPostDescriptions(VornickWordPressAgent& agent,
    const std::vector<VornickWordPressPostDescription>& posts, const Dictionary& blogDescription, int64_t startOffset, bool couldBeMore)
{
    // The page keeps its length (the next page's offset follows from it);
    // the proxy draft goes without its identifier, which the listing skips.
    std::vector<Dictionary> descriptions;
    descriptions.reserve(posts.size());
    for (const auto& post : posts) {
        descriptions.push_back(post.dictionary());
        if (isTemplateProxyDraft(post))
            descriptions.back().erase(std::u16string(VornickIdentifierUsedByBlogServiceKey));
    }
    VornickBlogServiceIntegrator::blogServiceAgentReceivedPostDescriptions(agent, descriptions, blogDescription, startOffset, couldBeMore);
}

} // namespace brevanton
