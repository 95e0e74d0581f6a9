#include "wordpress/VornickWordPressIntegrator.h"

#include "blog/VornickBlogHostingAccount.h"
#include "blog/VornickBlogServiceIntegratorSupport.h"
#include "blog/VornickBlogSyncStep.h"
#include "blog/VornickComponentFileNames.h"
#include "blog/VornickFileSafeNames.h"
#include "blog/VornickUploadBlogPostsStep.h"
#include "blog/VornickUploadWordPressMediaItemsStep.h"
#include "blog/VornickWordPressBlog.h"
#include "blog/VornickWordPressBlogPost.h"
#include "documents/VornickDiskWebResourceCache.h"
#include "documents/VornickProject.h"
#include "documents/VornickWebResourceCache.h"
#include "platform/foundation/FileUtilities.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/Text.h"
#include "platform/foundation/UUID.h"
#include "platform/net/WebResource.h"
#include "platform/store/ManagedObjectContext.h"
#include "toolkit/VornickFileSnapshot.h"
#include "toolkit/VornickObjectArchive.h"
#include "toolkit/VornickURLExtensions.h"
#include "wordpress/VornickGetWordPressMediaItemsStep.h"
#include "wordpress/VornickWordPressAgent.h"
#include "wordpress/VornickWordPressMediaItem.h"

#include <algorithm>

namespace brevanton {

namespace {

constexpr char16_t MediaItemExtension[] = u"brevantonwordpressmediaitem";

// A number, or text holding one.
std::optional<int64_t> integerOf(const Value* value)
{
    if (!value)
        return std::nullopt;
    if (value->isNumber())
        return value->integerValue();
    if (value->isString() && !value->string().empty()) {
        std::string text = toUTF8(value->string());
        char* end = nullptr;
        long long number = std::strtoll(text.c_str(), &end, 10);
        if (end != text.c_str())
            return number;
    }
    return std::nullopt;
}

const Value* valueOf(const Dictionary& description, std::u16string_view key)
{
    auto found = description.find(key);
    return found == description.end() || found->second.isNull() ? nullptr : &found->second;
}

Dictionary archivalPropertyList(const VornickWordPressMediaItem& item)
{
    auto archive = item.archivalRepresentation();
    return archive ? archive->propertyList() : Dictionary();
}

std::vector<std::shared_ptr<VornickWordPressMediaItem>> mediaItemsOfPost(const VornickWordPressBlogPost& post)
{
    std::vector<std::shared_ptr<VornickWordPressMediaItem>> items;
    auto add = [&](std::shared_ptr<VornickWordPressMediaItem> item) {
        if (item && std::find(items.begin(), items.end(), item) == items.end())
            items.push_back(std::move(item));
    };
    for (auto& item : entityCast<VornickWordPressMediaItem>(post.mediaItemsReferencedBySourceContentString()))
        add(std::move(item));
    add(post.objectForKey<VornickWordPressMediaItem>(u"featuredImageMediaItem"));
    return items;
}

} // namespace

std::shared_ptr<VornickWordPressMediaItem> VornickWordPressIntegrator::existingMediaItemForDescription(const Dictionary& description,
                                                                                                     const std::optional<URL>& sourceFile,
                                                                                                     const VornickWordPressBlog& blog)
{
    auto items = blog.objectsForKey<VornickWordPressMediaItem>(u"mediaItems");
    auto find = [&](std::u16string_view key, const std::u16string& wanted) -> std::shared_ptr<VornickWordPressMediaItem> {
        if (wanted.empty())
            return nullptr;
        for (auto& item : items) {
            if (item->ManagedObject::valueForKey(key).stringValue() == wanted)
                return item;
        }
        return nullptr;
    };
    for (const char16_t* key : { u"identifierUsedByBlogService", u"localURLString", u"remoteURLString", u"uniqueIdentifier" }) {
        if (auto item = find(key, vornick_descriptionString(description, key)))
            return item;
    }
    return sourceFile ? find(u"sourceFileName", sourceFile->lastPathComponent()) : nullptr;
}

std::shared_ptr<VornickWordPressMediaItem> VornickWordPressIntegrator::importMediaItemDescription(
    const Dictionary& description, std::shared_ptr<VornickWordPressMediaItem> item, const std::shared_ptr<VornickWordPressBlog>& blog,
    const std::optional<URL>& sourceFile)
{
    auto* context = this->context();
    if (!blog || !context)
        return nullptr;
    bool isNew = !item;
    if (isNew) {
        item = context->insertNewObject<VornickWordPressMediaItem>();
        if (!item)
            return nullptr;
        item->setObjectForKey(blog, u"blog");
        if (!sourceFile) {
            // A file of its own in the media folder, named after the site's
            // identifier, made safe and never over another item's file.
            std::u16string identifier = vornick_descriptionString(description, u"identifierUsedByBlogService");
            std::u16string stem = vornick_fileSafeName(identifier, u"media item", 200);
            if (identifier.empty())
                stem = UUID().UUIDString();
            auto items = blog->mediaItems();
            item->setSourceFileName(vornick_uniqueComponentFileName(stem, MediaItemExtension, blog->mediaFolderURL(), [&](const std::u16string& name) {
                return std::any_of(items.begin(), items.end(), [&](auto& other) {
                    return other != item && other->valueForKey(u"sourceFileName").stringValue() == name;
                });
            }));
            std::u16string local = vornick_descriptionString(description, u"localURLString");
            std::u16string remote = vornick_descriptionString(description, u"remoteURLString");
            auto cache = blog->webResourceCache();
            auto remoteURL = remote.empty() ? std::nullopt : URL::create(remote);
            if (local.empty() && cache && remoteURL) {
                if (auto cached = cache->cachedFileURLForURL(*remoteURL)) {
                    auto folder = blog->mediaFolderURL();
                    auto relative = folder ? vornick_URLStringRelativeToBaseURL(*cached, *folder) : std::nullopt;
                    local = relative ? *relative : vornick_normalizedUniqueKeyString(*cached);
                }
            }
            if (!local.empty())
                item->ManagedObject::setValueForKey(Value(local), u"localURLString");
        }
    }
    for (const char16_t* key : { u"identifierUsedByBlogService", u"uniqueIdentifier", u"caption", u"remoteURLString", u"localURLString",
                                 u"title" }) {
        std::u16string value = vornick_descriptionString(description, key);
        if (!value.empty())
            item->ManagedObject::setValueForKey(Value(value), key);
    }
    // The service's "description"; files hold it as "htmlDescription".
    for (const char16_t* key : { u"description", u"htmlDescription" }) {
        std::u16string value = vornick_descriptionString(description, key);
        if (!value.empty()) {
            item->ManagedObject::setValueForKey(Value(value), u"htmlDescription");
            break;
        }
    }
    if (auto date = vornick_descriptionDate(valueOf(description, u"dateCreated")))
        item->ManagedObject::setValueForKey(Value(*date), u"dateCreated");
    for (const char16_t* key : { u"pixelsHigh", u"pixelsWide" }) {
        if (auto number = integerOf(valueOf(description, key)))
            item->ManagedObject::setValueForKey(Value(*number), key);
    }
    if (const Value* variants = valueOf(description, u"variants"); variants && variants->isDictionary())
        importVariantDescriptions(variants->dictionary(), *item);
    if (sourceFile) {
        item->setSourceFileName(sourceFile->lastPathComponent());
        auto snapshot = VornickFileSnapshot::createAsStandaloneSnapshotOfURL(*sourceFile);
        item->setSourceFileModificationDate(snapshot->exists() ? std::optional(snapshot->modificationDate()) : std::nullopt);
        item->setHasEditsNotYetSavedToSourceFile(false);
    } else if (isNew) {
        writeMediaItemFile(*item);
    } else {
        item->setHasEditsNotYetSavedToSourceFile(true);
    }
    return item;
}

void VornickWordPressIntegrator::importVariantDescriptions(const Dictionary& variants, VornickWordPressMediaItem& item)
{
    auto* context = this->context();
    if (!context)
        return;
    for (const auto& [name, properties] : variants) {
        if (!properties.isDictionary())
            continue;
        std::shared_ptr<ManagedObject> variant = item.variantWithName(name);
        if (!variant) {
            variant = context->insertNewObject(u"MediaItemVariant");
            variant->setValueForKey(Value(name), u"variantName");
            variant->setObjectForKey(item.shared_from_this(), u"mediaItem");
        }
        const Dictionary& values = properties.dictionary();
        for (const char16_t* key : { u"filename", u"mimeType" }) {
            std::u16string value = vornick_descriptionString(values, key);
            if (!value.empty())
                variant->setValueForKey(Value(value), key);
        }
        for (const char16_t* key : { u"pixelsHigh", u"pixelsWide" }) {
            if (auto number = integerOf(valueOf(values, key)))
                variant->setValueForKey(Value(*number), key);
        }
    }
}

void VornickWordPressIntegrator::importMediaItemDescriptions(const std::vector<VornickWordPressMediaItemDescription>& items,
                                                             const std::shared_ptr<VornickWordPressBlog>& blog)
{
    if (!blog)
        return;
    if (auto folder = blog->mediaFolderURL(); folder && folder->fileSystemPath()) {
        Error error;
        auto project = blog->project();
        if (!project || !project->createFolderInsideSourceRoot(*folder->fileSystemPath(), &error))
            logToSyncLog(u"Failed to create media folder " + folder->absoluteString() + u": " + error.localizedDescription());
    }
    for (const auto& item : items) {
        Dictionary description = item.dictionary();
        importMediaItemDescription(description, existingMediaItemForDescription(description, std::nullopt, *blog), blog, std::nullopt);
    }
    commitMediaItemChangesAndNotifyForBlog(*blog);
}

void VornickWordPressIntegrator::commitMediaItemChangesAndNotifyForBlog(VornickWordPressBlog& blog)
{
    saveContext(u"the media items");
    NotificationCenter::defaultCenter().post(AddedMediaItemsNotification, static_cast<const void*>(&blog));
}

void VornickWordPressIntegrator::writeMediaItemFile(VornickWordPressMediaItem& item)
{
    auto url = item.sourceFileURL();
    if (!url)
        return;
    Error error;
    if (!item.writeArchivalRepresentationToURL(*url, VornickObjectArchiveFormat::JSON, &error))
        logToSyncLog(u"Failed to write the file of media item \"" + item.ManagedObject::valueForKey(u"title").stringValue() + u"\": "
                     + error.localizedDescription());
}

// --- The blogs' web resource caches

void VornickWordPressIntegrator::startWatchingWebCache()
{
    if (m_watchingWebCache)
        return;
    m_webCacheObservation = NotificationCenter::defaultCenter().addObserver(VornickWebResourceCacheDidAddFileNotification, nullptr, nullptr,
        [this](const Notification& notification) { someWebResourceCacheAddedAFile(notification); });
    m_watchingWebCache = true;
}

void VornickWordPressIntegrator::stopWatchingWebCache()
{
    m_webCacheObservation.reset();
    m_watchingWebCache = false;
}

void VornickWordPressIntegrator::someWebResourceCacheAddedAFile(const Notification& notification)
{
    auto account = findHostingAccount();
    if (!account) {
        logToSyncLog(u"** Warning: -someWebResourceCacheAddedAFile: notifcation dropped because -findHostingAccount returned nil");
        return;
    }
    // The blog whose cache it is; the notification's object is only compared.
    std::shared_ptr<VornickWordPressBlog> blog;
    for (auto& candidate : account->objectsForKey<VornickWordPressBlog>(u"blogs")) {
        if (candidate->webResourceCache().get() == notification.object) {
            blog = candidate;
            break;
        }
    }
    auto sourceURL = URL::create(vornick_descriptionString(notification.userInfo, u"sourceURL"));
    auto cachedFileURL = URL::create(vornick_descriptionString(notification.userInfo, u"cachedFileURL"));
    if (!blog || !sourceURL || !cachedFileURL)
        return;
    auto item = entityCast<VornickWordPressMediaItem>(blog->mediaItemForSourceURL(*sourceURL));
    auto itemFile = item ? item->sourceFileURL() : std::nullopt;
    if (!itemFile)
        return;
    auto relative = vornick_URLStringRelativeToBaseURL(*cachedFileURL, itemFile->URLByDeletingLastPathComponent());
    if (!relative || *relative == item->ManagedObject::valueForKey(u"localURLString").stringValue())
        return;
    auto current = item->resolvedLocalURL();
    auto currentPath = current ? current->fileSystemPath() : std::nullopt;
    if (currentPath && fileExists(*currentPath))
        return;
    item->ManagedObject::setValueForKey(Value(*relative), u"localURLString");
    item->setHasEditsNotYetSavedToSourceFile(true);
    writeMediaItemFile(*item);
}

// --- The media library from the site

void VornickWordPressIntegrator::wordPressAgentReceivedMediaItemDescriptions(VornickWordPressAgent& agent,
    const std::vector<VornickWordPressMediaItemDescription>& items,
    const Dictionary& blogDescription, int64_t startOffset, bool couldBeMore)
{
    if (!RunLoop::isMainThread() && vornick_moveAgentAnswerToMainThread(agent, this, [=](auto& integrator, auto& agent) {
            static_cast<VornickWordPressIntegrator&>(integrator).wordPressAgentReceivedMediaItemDescriptions(
                static_cast<VornickWordPressAgent&>(agent), items, blogDescription, startOffset, couldBeMore);
        }))
        return;
    auto step = requestStepNamed(u"getMediaItems", blogDescription);
    auto blog = wordPressBlogForDescription(blogDescription);
    if (!step || !blog || !step->takeAnswer(startOffset))
        return;
    if (startOffset == 0)
        m_allReceivedMediaItemIdentifiers.clear();
    size_t receivedBefore = m_allReceivedMediaItemIdentifiers.size();
    for (const auto& item : items)
        m_allReceivedMediaItemIdentifiers.insert(item.identifierText());
    if (!items.empty() && m_allReceivedMediaItemIdentifiers.size() == receivedBefore) {
        logListingEndsWithoutNewEntries(u"media item", blogDescription, startOffset);
        step->finish(u"Done", VornickSyncStepState::Completed);
        return;
    }
    importMediaItemDescriptions(items, blog);
    step->setProgress(0.5);
    vornick_setStepStatusMessage(*step, u"Got " + toUTF16(std::to_string(items.size() + static_cast<size_t>(startOffset))) + u" media items");
    // Only an exhaustive sync reads the whole library.
    bool exhaustive = syncSession() && syncSession()->type() == VornickSyncSessionType::ExhaustiveManual;
    if (exhaustive && couldBeMore && !items.empty())
        step->requestPageAtOffset(startOffset + static_cast<int64_t>(items.size()));
    else
        step->finish(u"Done", VornickSyncStepState::Completed);
}

void VornickWordPressIntegrator::wordPressAgentFailedToReceiveMediaItemDescriptions(VornickWordPressAgent& agent,
    const Dictionary& blogDescription, int64_t startOffset, const Error& error)
{
    if (!RunLoop::isMainThread() && vornick_moveAgentAnswerToMainThread(agent, this, [=](auto& integrator, auto& agent) {
            static_cast<VornickWordPressIntegrator&>(integrator).wordPressAgentFailedToReceiveMediaItemDescriptions(
                static_cast<VornickWordPressAgent&>(agent), blogDescription, startOffset, error);
        }))
        return;
    auto step = requestStepNamed(u"getMediaItems", blogDescription);
    if (!step || !step->takeAnswer(startOffset))
        return;
    logToSyncLog(u"Failed to get media item descriptions: " + error.localizedDescription());
    step->setError(error);
    step->finish(u"Request failed", VornickSyncStepState::Failed);
}

// --- Uploads

void VornickWordPressIntegrator::injectUploadOfMediaForPost(const Dictionary& /*postDescription*/, const Dictionary& blogDescription,
    const Value& nativePostIdentifier, VornickUploadBlogPostsStep& uploadPostsStep)
{
    auto post = entityCast<VornickWordPressBlogPost>(postForNativeIdentifier(nativePostIdentifier));
    auto* blogStep = uploadPostsStep.blogStep();
    if (!post || !blogStep)
        return;
    std::vector<std::shared_ptr<VornickWordPressMediaItem>> newItems;
    for (auto& item : mediaItemsOfPost(*post)) {
        if (item->identifierUsedByBlogService().empty())
            newItems.push_back(item);
    }
    if (newItems.empty())
        return;
    auto step = addUploadMediaItemsStepToBlogSyncStep(*blogStep);
    if (!step)
        return;
    for (auto& item : newItems) {
        Dictionary description = archivalPropertyList(*item);
        if (auto local = item->resolvedLocalURL(); local && !local->absoluteString().empty())
            description[u"resolvedLocalURLString"] = Value(local->absoluteString());
        logToSyncLog(u"Scheduling upload of media item \"" + item->ManagedObject::valueForKey(u"title").stringValue() + u"\"");
        step->scheduleUploadOfMediaItem(description, blogDescription);
    }
}

std::shared_ptr<VornickWordPressMediaItem> VornickWordPressIntegrator::mediaItemForUploadDescription(const Dictionary& mediaItemDescription,
    const Dictionary& blogDescription)
{
    auto blog = wordPressBlogForDescription(blogDescription);
    if (!blog)
        return nullptr;
    for (const char16_t* key : { u"uniqueIdentifier", u"localURLString" }) {
        std::u16string wanted = vornick_descriptionString(mediaItemDescription, key);
        if (wanted.empty())
            continue;
        for (auto& object : blog->mediaItems()) {
            if (object->valueForKey(key).stringValue() == wanted)
                return entityCast<VornickWordPressMediaItem>(object);
        }
    }
    return nullptr;
}

void VornickWordPressIntegrator::uploadMediaItem(const Dictionary& mediaItemDescription, const Dictionary& blogDescription)
{
    auto item = mediaItemForUploadDescription(mediaItemDescription, blogDescription);
    auto agent = wordPressAgent();
    if (!item || !agent) {
        // The generic answer: the step hears of the failure on a later turn.
        VornickBlogServiceIntegrator::uploadMediaItem(mediaItemDescription, blogDescription);
        return;
    }
    agent->uploadMediaItem(item, blogDescription);
}

bool VornickWordPressIntegrator::postReferencesMediaItem(const Value& nativePostIdentifier, const Dictionary& mediaItemDescription)
{
    auto post = entityCast<VornickWordPressBlogPost>(postForNativeIdentifier(nativePostIdentifier));
    std::u16string wanted = vornick_descriptionString(mediaItemDescription, u"uniqueIdentifier");
    if (!post || wanted.empty())
        return false;
    auto items = mediaItemsOfPost(*post);
    return std::any_of(items.begin(), items.end(), [&](auto& item) { return item->uniqueIdentifier() == wanted; });
}

void VornickWordPressIntegrator::wordPressAgentReceivedPropertiesOfUploadedMediaItem(VornickWordPressAgent& agent,
    const VornickWordPressMediaItemDescription& stored,
    const std::shared_ptr<VornickWordPressMediaItem>& uploadedItem, const Dictionary& blogDescription)
{
    if (!RunLoop::isMainThread() && vornick_moveAgentAnswerToMainThread(agent, this, [=](auto& integrator, auto& agent) {
            static_cast<VornickWordPressIntegrator&>(integrator).wordPressAgentReceivedPropertiesOfUploadedMediaItem(
                static_cast<VornickWordPressAgent&>(agent), stored, uploadedItem, blogDescription);
        }))
        return;
    auto step = activeStepNamed<VornickUploadWordPressMediaItemsStep>(u"uploadMediaItems", blogDescription);
    auto blog = wordPressBlogForDescription(blogDescription);
    if (!step || !blog || !uploadedItem)
        return;
    Dictionary uploadedDescription = archivalPropertyList(*uploadedItem);
    std::shared_ptr<VornickWordPressMediaItem> item;
    if (uploadedItem->blog() == blog)
        item = uploadedItem;
    else if (auto found = existingMediaItemForDescription({ { u"localURLString", Value(vornick_descriptionString(uploadedDescription, u"localURLString")) } },
                 std::nullopt, *blog))
        item = found;
    if (!item) {
        logToSyncLog(u"** The uploaded media item \"" + vornick_descriptionString(uploadedDescription, u"title") + u"\" is not in the blog");
        step->integratorFailedToUploadMediaItem(uploadedDescription, blogDescription);
        return;
    }
    // The item keeps its own unique identifier (the site's answer names its
    // "guid" so): its upload entry and the posts waiting for it know it by that.
    VornickWordPressMediaItemDescription imported = stored;
    if (!item->uniqueIdentifier().empty())
        imported.uniqueIdentifier.clear();
    importMediaItemDescription(imported.dictionary(), item, blog, std::nullopt);
    commitMediaItemChangesAndNotifyForBlog(*blog);
    writeMediaItemFile(*item);
    // The site's address of the picture shows the local file from now on, without a fetch.
    std::u16string remote = item->ManagedObject::valueForKey(u"remoteURLString").stringValue();
    auto remoteURL = remote.empty() ? std::nullopt : URL::create(remote);
    auto localURL = item->resolvedLocalURL();
    auto localPath = localURL ? localURL->fileSystemPath() : std::nullopt;
    auto mimeType = localURL ? vornick_MIMEType(*localURL) : std::nullopt;
    if (auto cache = blog->webResourceCache(); cache && remoteURL && localPath && mimeType) {
        if (auto contents = readFile(*localPath))
            cache->storeCachedWebResource(WebResource(Data(contents->begin(), contents->end()), *remoteURL, *mimeType));
    }
    step->integratorDidUploadMediaItem(archivalPropertyList(*item), blogDescription);
}

void VornickWordPressIntegrator::wordPressAgentFailedToUploadMediaItem(VornickWordPressAgent& agent,
    const std::shared_ptr<VornickWordPressMediaItem>& item, const Dictionary& blogDescription, const Error& error)
{
    if (!RunLoop::isMainThread() && vornick_moveAgentAnswerToMainThread(agent, this, [=](auto& integrator, auto& agent) {
            static_cast<VornickWordPressIntegrator&>(integrator).wordPressAgentFailedToUploadMediaItem(static_cast<VornickWordPressAgent&>(agent),
                item, blogDescription, error);
        }))
        return;
    auto step = activeStepNamed<VornickUploadWordPressMediaItemsStep>(u"uploadMediaItems", blogDescription);
    if (!step || !item)
        return;
    Dictionary description = archivalPropertyList(*item);
    logToSyncLog(u"** Failed to upload media item \"" + vornick_descriptionString(description, u"title") + u"\": " + error.localizedDescription());
    step->integratorFailedToUploadMediaItem(description, blogDescription);
}

} // namespace brevanton
