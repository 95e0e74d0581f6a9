#include "wordpress/VornickWordPressRESTAgent.h"

#include "blog/VornickBlogServiceAgentDelegate.h"
#include "blog/VornickBlogServiceAgentHostingAccount.h"
#include "platform/foundation/FileUtilities.h"
#include "platform/foundation/Text.h"
#include "toolkit/VornickCollections.h"
#include "toolkit/VornickDateFormatterExtensions.h"
#include "toolkit/VornickErrors.h"
#include "toolkit/VornickLog.h"
#include "toolkit/VornickURLExtensions.h"
#include "wordpress/VornickWordPressAccount.h"
#include "wordpress/VornickWordPressAgentDelegate.h"
#include "wordpress/VornickWordPressEntryChecks.h"
#include "wordpress/VornickWordPressMediaItem.h"
#include "wordpress/VornickWordPressRESTPayload.h"

#include <algorithm>

namespace brevanton {

namespace {

constexpr std::u16string_view PostStatusesToList = u"publish,future,draft,pending,private,trash";

template<typename... Args>
void writeLog(const std::shared_ptr<VornickLog>& log, fmt::format_string<VornickLogArgumentType<Args>...> format, Args&&... args)
{
    if (log)
        log->log(format, std::forward<Args>(args)...);
}

std::u16string blogTitle(const Dictionary& blogDescription)
{
    auto found = blogDescription.find(std::u16string_view(u"title"));
    return found != blogDescription.end() ? found->second.stringValue() : std::u16string();
}

std::u16string stringFor(const Dictionary& dictionary, std::u16string_view key)
{
    auto found = dictionary.find(key);
    if (found == dictionary.end())
        return {};
    return vornickWordPressStringOrNumber(found->second).value_or(u"");
}

const Value* member(const Dictionary& dictionary, std::u16string_view key)
{
    auto found = dictionary.find(key);
    return found == dictionary.end() || found->second.isNull() ? nullptr : &found->second;
}

bool isPageType(std::u16string_view type)
{
    return equalsIgnoringASCIICase(type, u"page");
}

// WordPress's own error code in a failed reply: "code" of "wp/v2", "error" of version 1.
std::u16string wordPressErrorCode(const Error& error)
{
    auto json = error.userInfo().find(std::u16string_view(u"json"));
    if (json == error.userInfo().end() || !json->second.isDictionary())
        return {};
    const Dictionary& reply = json->second.dictionary();
    if (const Value* code = member(reply, u"code"); code && code->isString())
        return code->string();
    if (const Value* code = member(reply, u"error"); code && code->isString())
        return code->string();
    return {};
}

// The server's own word that it has no such post (not merely a 404, which a
// blocked endpoint or a missing route gives too).
bool serverSaysNoSuchPost(const Error& error)
{
    if (error.domain() != VornickHTTPErrorDomain)
        return false;
    std::u16string code = wordPressErrorCode(error);
    return code == u"rest_post_invalid_id" || code == u"unknown_post";
}

Error replyWithoutExpectedValueError(const Value& reply, std::u16string_view key, std::u16string_view expectedType)
{
    std::u16string description = u"The server's reply holds no " + std::u16string(expectedType) + u" under \"" + std::u16string(key) + u"\".";
    return Error(VornickErrorDomain, VornickReplyWithoutExpectedValueError,
        Dictionary { { Error::LocalizedDescriptionKey, Value(description) }, { u"dictionary", reply }, { u"key", Value(key) },
            { u"expectedType", Value(expectedType) } });
}

Error replyNotADictionaryError(const std::optional<Value>& reply)
{
    Dictionary userInfo { { Error::LocalizedDescriptionKey, Value(u"The server's reply is not a JSON object.") } };
    if (reply)
        userInfo.emplace(u"jsonObject", *reply);
    return Error(VornickErrorDomain, VornickReplyNotADictionaryError, std::move(userInfo));
}

// A site that takes no file this large says so by a 413 from its web
// server, or by WordPress finding no data (PHP drops a body over its limit):
// the error says so, keeping the status.
Error uploadRefusalError(const Error& error, const std::u16string& fileName)
{
    bool tooLarge = error.domain() == VornickHTTPErrorDomain
        && (error.code() == 413 || wordPressErrorCode(error) == u"rest_upload_no_data" || wordPressErrorCode(error) == u"rest_upload_file_too_big");
    if (!tooLarge)
        return error;
    Error refusal(error.domain(), error.code(), error.userInfo());
    refusal.userInfo().insert_or_assign(Error::LocalizedDescriptionKey,
        Value(u"The site did not accept \"" + fileName + u"\": it is probably larger than the site's upload limit. ("
            + error.localizedDescription() + u")"));
    refusal.setUnderlyingError(error);
    return refusal;
}

// The positive integer a description's identifier stands for, or 0.
int64_t positiveIdentifier(const Dictionary& description)
{
    const Value* identifier = member(description, u"identifierUsedByBlogService");
    return identifier ? vornickWordPressPositiveIdentifier(*identifier).value_or(0) : 0;
}

// "categories" or "tags" of a post to send: identifiers when the post has
// them (an empty list clears the terms), else titles as they are.
void setTermsToSend(Dictionary& body, const Dictionary& changes, std::u16string_view identifiersKey, std::u16string_view titlesKey,
    std::u16string_view bodyKey)
{
    if (const Value* identifiers = member(changes, identifiersKey)) {
        Array numbers;
        if (identifiers->isArray()) {
            for (const auto& element : identifiers->array()) {
                if (!element.isString())
                    continue;
                if (int64_t number = vornickWordPressIntegerValue(element))
                    numbers.emplace_back(number);
            }
        }
        body.insert_or_assign(std::u16string(bodyKey), Value(std::move(numbers)));
    } else if (const Value* titles = member(changes, titlesKey)) {
        body.insert_or_assign(std::u16string(bodyKey), *titles);
    }
}

} // namespace

std::u16string VornickWordPressRESTAgent::protocolDescription() const
{
    return restAPIVersion() == 1 ? u"REST (v1.1)" : u"REST (v2)";
}

int VornickWordPressRESTAgent::restAPIVersion() const
{
    auto account = wordPressAccount();
    return account ? account->restAPIVersion() : 2;
}

std::u16string VornickWordPressRESTAgent::endpointPath(const Dictionary& blogDescription, std::u16string_view path) const
{
    auto account = wordPressAccount();
    if (!account || !account->isMultiSiteAccount())
        return std::u16string(path);
    return u"sites/" + stringFor(blogDescription, u"identifierUsedByBlogService") + u"/" + std::u16string(path);
}

void VornickWordPressRESTAgent::requestBlogDescriptions()
{
    requestBlogDescriptionsUsingWordPressRESTAPI();
}

void VornickWordPressRESTAgent::requestWordPressPostsOfType(std::u16string_view type, const Dictionary& blogDescription, int64_t startOffset)
{
    int version = restAPIVersion();
    bool pages = isPageType(type);
    std::u16string path = endpointPath(blogDescription, version != 1 && pages ? u"pages" : u"posts");
    QueryParameters query { { u"per_page", Value(postsPerRequest) }, { u"offset", Value(startOffset) }, { u"context", Value(u"edit") },
        { u"status", Value(PostStatusesToList) } };
    if (version == 1)
        query.emplace_back(u"type", Value(type));
    std::u16string typeName = type.empty() ? u"post" : std::u16string(type);
    std::u16string title = blogTitle(blogDescription);
    std::string label = fmt::format("{}s {}-{} for \"{}\" ({})", toUTF8(typeName), startOffset, startOffset + postsPerRequest - 1,
        toUTF8(title), toUTF8(path));
    writeLog(log(), "Requesting {}", label);

    std::u16string typeCopy(type);
    auto fail = [this, typeCopy, blogDescription, startOffset, label](const Error& error) {
        if (typeCopy == u"page" && vornick_isTypicalWordPressFetchPermissionFailure(error))
            writeLog(log(), "Failed to get {}: It's possible we don't have permission to fetch pages. ({})", label,
                error.localizedDescription());
        else
            writeLog(log(), "Failed to get {} ({})", label, error.localizedDescription());
        if (continuesAfterFailure()) {
            writeLog(log(), "Continuing to fetch despite this failure");
            requestWordPressPostsOfType(typeCopy, blogDescription, startOffset + postsPerRequest);
            return;
        }
        endTasks();
        if (auto* delegate = this->delegate()) {
            if (isPageType(typeCopy))
                delegate->blogServiceAgentFailedToGetPageDescriptionsWithError(*this, error, blogDescription);
            else
                delegate->blogServiceAgentFailedToGetPostDescriptionsWithError(*this, error, blogDescription);
        }
    };
    postRESTRequestWithEndpointPath(path, 0, u"GET", Value(stringFor(blogDescription, u"identifierUsedByBlogService")), query, nullptr,
        VornickReplyKind::ListingPage, [this, typeCopy, blogDescription, startOffset, title, version, fail](const RESTReply& reply) {
            if (!reply.succeeded()) {
                fail(reply.error);
                return;
            }
            const std::optional<Value>& json = reply.json;
            const Array* list = json ? vornickWordPressListInReply(*json, u"posts") : nullptr;
            if (!list) {
                fail(replyWithoutExpectedValueError(json.value_or(Value()), u"posts", u"array"));
                return;
            }
            std::vector<Dictionary> descriptions;
            descriptions.reserve(list->size());
            for (const auto& element : *list) {
                if (!element.isDictionary())
                    continue;
                Dictionary description = vornickPostDescriptionFromWordPressPostDescription(element.dictionary(), version);
                if (!description.empty())
                    descriptions.push_back(std::move(description));
            }
            bool pages = isPageType(typeCopy);
            auto posts = vornickWordPressPostDescriptions(
                vornickWordPressCheckedDescriptions(std::move(descriptions), pages ? u"page" : u"post", startOffset, log().get()));
            writeLog(log(), "Received {} {}s so far for \"{}\"", startOffset + static_cast<int64_t>(posts.size()), pages ? "page" : "post", title);
            // Another page may follow when the server sent a full one, whatever was kept of it.
            bool couldBeMore = static_cast<int64_t>(list->size()) == postsPerRequest;
            if (auto* delegate = wordPressDelegate()) {
                if (pages)
                    delegate->wordPressAgentReceivedPageDescriptions(*this, posts, blogDescription, startOffset, couldBeMore);
                else
                    delegate->wordPressAgentReceivedPostDescriptions(*this, posts, blogDescription, startOffset, couldBeMore);
            }
        });
}

void VornickWordPressRESTAgent::requestCategoriesForBlogWithDescription(const Dictionary& blogDescription, int64_t startOffset)
{
    requestTerms(VornickWordPressTermKind::Category, blogDescription, startOffset);
}

void VornickWordPressRESTAgent::requestTagsForBlogWithDescription(const Dictionary& blogDescription, int64_t startOffset)
{
    requestTerms(VornickWordPressTermKind::Tag, blogDescription, startOffset);
}

void VornickWordPressRESTAgent::requestTerms(VornickWordPressTermKind kind, const Dictionary& blogDescription, int64_t startOffset)
{
    std::u16string_view kindName = kind == VornickWordPressTermKind::Category ? u"categories" : u"tags";
    std::u16string path = endpointPath(blogDescription, kindName);
    QueryParameters query { { u"per_page", Value(termsPerRequest) }, { u"page", Value(startOffset / termsPerRequest + 1) } };
    std::u16string title = blogTitle(blogDescription);
    writeLog(log(), "Requesting post {} {}-{} for \"{}\" ({})", kindName, startOffset, startOffset + termsPerRequest - 1, title, path);

    postRESTRequestWithEndpointPath(path, 0, u"GET", Value(stringFor(blogDescription, u"identifierUsedByBlogService")), query, nullptr,
        VornickReplyKind::ListingPage, [this, kind, kindName, blogDescription, startOffset, title](const RESTReply& reply) {
            if (!reply.succeeded()) {
                termsFailed(kind, blogDescription, reply.error);
                return;
            }
            const std::optional<Value>& json = reply.json;
            const Array* list = json ? vornickWordPressListInReply(*json, kindName) : nullptr;
            if (!list) {
                termsFailed(kind, blogDescription, replyWithoutExpectedValueError(json.value_or(Value()), kindName, u"array"));
                return;
            }
            writeLog(log(), "Received {} {} for \"{}\"", list->size(), kindName, title);
            auto descriptions = vornickWordPressTermDescriptions(vornickWordPressCheckedDescriptions(
                vornickTermDescriptionsFromWordPressTermDescriptions(*list, kind), kind == VornickWordPressTermKind::Category ? u"category" : u"tag",
                startOffset, log().get()));
            bool couldBeMore = static_cast<int64_t>(list->size()) == termsPerRequest;
            auto* delegate = wordPressDelegate();
            if (!delegate)
                return;
            if (kind == VornickWordPressTermKind::Category)
                delegate->wordPressAgentReceivedCategoryDescriptions(*this, descriptions, blogDescription, startOffset, couldBeMore);
            else
                delegate->wordPressAgentReceivedTagDescriptions(*this, descriptions, blogDescription, startOffset, couldBeMore);
        });
}

void VornickWordPressRESTAgent::termsFailed(VornickWordPressTermKind kind, const Dictionary& blogDescription, const Error& error)
{
    std::u16string_view kindName = kind == VornickWordPressTermKind::Category ? u"categories" : u"tags";
    writeLog(log(), "Failed to get {} for \"{}\" ({})", kindName, blogTitle(blogDescription), error.localizedDescription());
    auto* delegate = wordPressDelegate();
    if (!delegate)
        return;
    if (kind == VornickWordPressTermKind::Category)
        delegate->wordPressAgentFailedToReceiveCategoryDescriptions(*this, blogDescription, error);
    else
        delegate->wordPressAgentFailedToReceiveTagDescriptions(*this, blogDescription, error);
}

void VornickWordPressRESTAgent::requestPostFormatsForBlogWithDescription(const Dictionary& blogDescription)
{
    if (auto* delegate = wordPressDelegate())
        delegate->wordPressAgentReceivedPostFormatDescriptions(*this, constantPostFormatDescriptions(), blogDescription);
}

void VornickWordPressRESTAgent::requestPostStatusesForBlogWithDescription(const Dictionary& blogDescription)
{
    if (auto* delegate = wordPressDelegate())
        delegate->wordPressAgentReceivedPostStatusDescriptions(*this, constantPostStatusDescriptions(), blogDescription);
}

void VornickWordPressRESTAgent::requestMediaItemsForBlogWithDescription(const Dictionary& blogDescription, int64_t startOffset)
{
    std::u16string path = endpointPath(blogDescription, u"media");
    QueryParameters query { { restAPIVersion() == 1 ? u"number" : u"per_page", Value(mediaItemsPerRequest) },
        { u"offset", Value(startOffset) }, { u"context", Value(u"edit") } };
    writeLog(log(), "Requesting media items {}-{} for \"{}\" ({})", startOffset, startOffset + mediaItemsPerRequest - 1,
        blogTitle(blogDescription), path);

    postRESTRequestWithEndpointPath(path, 0, u"GET", Value(stringFor(blogDescription, u"identifierUsedByBlogService")), query, nullptr,
        VornickReplyKind::ListingPage, [this, path, blogDescription, startOffset](const RESTReply& reply) {
            if (!reply.succeeded()) {
                writeLog(log(), "ERROR: Failed {} ({})", path, reply.error.localizedDescription());
                if (auto* delegate = wordPressDelegate())
                    delegate->wordPressAgentFailedToReceiveMediaItemDescriptions(*this, blogDescription, startOffset, reply.error);
                return;
            }
            const std::optional<Value>& json = reply.json;
            const Array* list = json ? vornickWordPressListInReply(*json, u"media") : nullptr;
            auto* delegate = wordPressDelegate();
            if (!list) {
                writeLog(log(), "Got {} response with no media", path);
                if (delegate)
                    delegate->wordPressAgentFailedToReceiveMediaItemDescriptions(*this, blogDescription, startOffset,
                        replyWithoutExpectedValueError(json.value_or(Value()), u"media", u"array"));
                return;
            }
            writeLog(log(), "Got {} response with {} media item descriptions", path, list->size());
            auto descriptions = vornickWordPressMediaItemDescriptions(vornickWordPressCheckedDescriptions(
                vornickMediaItemDescriptionsFromWordPressMediaItemDescriptions(*list), u"media item", startOffset, log().get()));
            bool couldBeMore = static_cast<int64_t>(list->size()) == mediaItemsPerRequest;
            if (delegate)
                delegate->wordPressAgentReceivedMediaItemDescriptions(*this, descriptions, blogDescription, startOffset, couldBeMore);
        });
}

std::shared_ptr<VornickWordPressMultipartFormDataPayload> VornickWordPressRESTAgent::httpBodyDataForMultipartFormUploadOfImageFileURL(
    const URL& fileURL, Error* outError)
{
    std::u16string fileName = fileURL.lastPathComponent();
    if (fileName.empty() || fileName == u"/" || !vornick_MIMEType(fileURL)) {
        setError(outError, Error(VornickErrorDomain, VornickMediaFileUnreadableError, u"The file has no name or no known type."));
        return nullptr;
    }
    return VornickWordPressMultipartFormDataPayload::createWithFileURL({}, u"media[]", fileURL, outError);
}

void VornickWordPressRESTAgent::uploadFailed(const std::shared_ptr<VornickWordPressMediaItem>& mediaItem, const Dictionary& blogDescription,
    const Error& error)
{
    if (auto* delegate = wordPressDelegate())
        delegate->wordPressAgentFailedToUploadMediaItem(*this, mediaItem, blogDescription, error);
}

void VornickWordPressRESTAgent::uploadMediaItem(const std::shared_ptr<VornickWordPressMediaItem>& mediaItem, const Dictionary& blogDescription)
{
    if (!mediaItem)
        return;
    int version = restAPIVersion();
    std::u16string itemTitle = mediaItem->ManagedObject::valueForKey(u"title").stringValue();
    std::optional<URL> fileURL = mediaItem->resolvedLocalURL();
    int64_t identifier = vornickWordPressIntegerValue(Value(mediaItem->identifierUsedByBlogService()));

    std::u16string path;
    std::shared_ptr<const VornickWordPressRESTPayload> payload;
    if (identifier != 0) {
        std::u16string number = toUTF16(std::to_string(identifier));
        path = endpointPath(blogDescription, version == 1 ? u"media/" + number + u"/edit" : u"media/" + number);
    } else {
        path = endpointPath(blogDescription, version == 1 ? u"media/new" : u"media");
        std::optional<std::string> filePath = fileURL ? fileURL->fileSystemPath() : std::nullopt;
        bool readable = filePath && fileExists(*filePath) && !isDirectory(*filePath) && vornick_MIMEType(*fileURL);
        if (readable && version == 1) {
            Error ignored;
            payload = httpBodyDataForMultipartFormUploadOfImageFileURL(*fileURL, &ignored);
        } else if (readable) {
            payload = std::make_shared<VornickWordPressFileAttachmentPayload>(*fileURL);
        }
        if (!payload) {
            std::u16string location = fileURL ? fileURL->absoluteString() : u"(none)";
            writeLog(log(), "Failed to upload media item \"{}\" ({})", itemTitle, location);
            uploadFailed(mediaItem, blogDescription,
                Error(VornickErrorDomain, VornickMediaFileUnreadableError,
                    u"The file of media item \"" + itemTitle + u"\" cannot be read or has no known type (" + location + u")."));
            return;
        }
    }

    std::u16string fileName = fileURL ? fileURL->lastPathComponent() : std::u16string();
    postRESTRequestWithEndpointPath(path, 0, u"POST", Value(stringFor(blogDescription, u"identifierUsedByBlogService")), {}, payload,
        VornickReplyKind::MediaUpload, [this, mediaItem, blogDescription, itemTitle, fileName](const RESTReply& reply) {
            const URLRequest& request = reply.request;
            if (!reply.succeeded()) {
                writeLog(log(), "Failed to upload media item \"{}\" ({})", itemTitle, request.url().absoluteString());
                uploadFailed(mediaItem, blogDescription, uploadRefusalError(reply.error, fileName));
                return;
            }
            const std::optional<Value>& json = reply.json;
            std::vector<Dictionary> descriptions;
            if (json && json->isDictionary()) {
                if (const Value* media = json->find(u"media"); media && media->isArray())
                    descriptions = vornickMediaItemDescriptionsFromWordPressMediaItemDescriptions(media->array());
                else
                    descriptions = vornickMediaItemDescriptionsFromWordPressMediaItemDescriptions(Array { *json });
            }
            // Only an answer naming the stored item by its identifier means it was stored.
            if (descriptions.empty() || !positiveIdentifier(descriptions.front())) {
                writeLog(log(), "Unrecognized REST reply for upload of media item \"{}\", request URL={}", itemTitle,
                    request.url().absoluteString());
                Error error = json && json->isDictionary() ? replyWithoutExpectedValueError(*json, u"id", u"positive integer")
                                                           : replyNotADictionaryError(json);
                uploadFailed(mediaItem, blogDescription, error);
                return;
            }
            auto stored = vornickWordPressMediaItemDescriptions({ descriptions.front() });
            writeLog(log(), "Upload of {} successful (id={})", fileName, stored.front().identifier);
            if (auto* delegate = wordPressDelegate())
                delegate->wordPressAgentReceivedPropertiesOfUploadedMediaItem(*this, stored.front(), mediaItem, blogDescription);
        });
}

void VornickWordPressRESTAgent::sendPostChanges(const Dictionary& postChanges, const Dictionary& blogDescription, const Value& nativePostIdentifier)
{
    int version = restAPIVersion();
    std::u16string title = stringFor(postChanges, u"title");
    const Value* identifierValue = member(postChanges, u"identifierUsedByBlogService");
    int64_t identifier = positiveIdentifier(postChanges);
    // An identifier that is no positive integer names no post: sent as an
    // edit it could reach another ("1.5" would be post 1), as a new post it
    // would make a second copy.
    if (!identifier && identifierValue && !identifierValue->isNull() && *identifierValue != Value(u"") && *identifierValue != Value(u"0")
        && *identifierValue != Value(0)) {
        writeLog(log(), "Not sending \"{}\": its id \"{}\" is not a positive integer", title, vornickWordPressPrintableValue(*identifierValue));
        if (auto* delegate = this->delegate())
            delegate->blogServiceAgentFailedToSendPostChanges(*this, postChanges, blogDescription);
        return;
    }
    std::u16string collection = version != 1 && isPageType(stringFor(postChanges, u"type")) ? u"pages" : u"posts";
    std::u16string path;
    if (identifier != 0) {
        writeLog(log(), "-> Sending updates to WordPress for existing post \"{}\" with postID={}", title, *identifierValue);
        path = collection + u"/" + toUTF16(std::to_string(identifier));
    } else {
        writeLog(log(), "-> Sending a new post \"{}\" to WordPress (postID missing or zero)", title);
        path = version == 1 ? collection + u"/new" : collection;
    }
    path = endpointPath(blogDescription, path);

    Dictionary body;
    // The post's own first publication date only: a post without one gets
    // the site's date when it is published there, and an update never moves
    // it. A draft's, pending or auto-draft post's date (its last edit here)
    // is not sent: its date floats until it is published.
    const Value* sentStatus = member(postChanges, u"status");
    bool floats = sentStatus && sentStatus->isString()
        && (equalsIgnoringASCIICase(sentStatus->string(), u"draft") || equalsIgnoringASCIICase(sentStatus->string(), u"pending")
            || equalsIgnoringASCIICase(sentStatus->string(), u"auto-draft"));
    if (auto date = vornick_dateFromValue(member(postChanges, u"dateFirstPublished")); date && !floats)
        body.emplace(u"date_gmt", Value(vornick_ISO8601StringFromDate(*date)));
    for (auto [from, to] : { std::pair { u"title", u"title" }, std::pair { u"sourceContentString", u"content" } }) {
        if (const Value* value = member(postChanges, from)) {
            if (auto text = vornickWordPressStringOrNumber(*value))
                body.emplace(to, Value(std::move(*text)));
        }
    }
    if (version == 1) {
        if (auto account = wordPressAccount())
            body.emplace(u"author", Value(account->loginID()));
    }
    if (const Value* inTrash = member(postChanges, u"inTrash"); inTrash && inTrash->boolValue())
        body.emplace(u"status", Value(u"trash"));
    else if (const Value* status = member(postChanges, u"status")) {
        if (auto text = vornickWordPressStringOrNumber(*status))
            body.emplace(u"status", Value(std::move(*text)));
    }
    setTermsToSend(body, postChanges, u"categoryIdentifiers", u"categories", u"categories");
    setTermsToSend(body, postChanges, u"tagIdentifiers", u"tags", u"tags");
    if (const Value* format = member(postChanges, u"format")) {
        if (auto text = vornickWordPressStringOrNumber(*format))
            body.emplace(u"format", Value(std::move(*text)));
    }
    const Value* featured = member(postChanges, u"featuredImageIdentifier");
    if (!featured)
        body.emplace(u"featured_media", Value(0));
    else if (featured->isInteger() || featured->isReal())
        body.emplace(u"featured_media", *featured);
    else if (featured->isString())
        body.emplace(u"featured_media", Value(vornickWordPressIntegerValue(*featured)));

    QueryParameters query;
    if (version == 1)
        query.emplace_back(u"context", Value(u"edit"));
    auto payload = std::make_shared<VornickWordPressJSONPayload>(body);

    auto fail = [this, postChanges, blogDescription, title, body](const URLRequest& request, const Error& error) {
        writeLog(log(), "Send of \"{}\" failed:\nrequest URL={}\nrequestParameters={}\npostDescription={}\n{}", title,
            request.url().absoluteString(), Value(body), Value(postChanges), error.localizedDescription());
        if (auto* delegate = this->delegate())
            delegate->blogServiceAgentFailedToSendPostChanges(*this, postChanges, blogDescription);
    };
    postRESTRequestWithEndpointPath(path, 0, u"POST", Value(stringFor(blogDescription, u"identifierUsedByBlogService")), query, payload,
        VornickReplyKind::PostReply, [this, postChanges, blogDescription, nativePostIdentifier, version, fail](const RESTReply& reply) {
            const URLRequest& request = reply.request;
            if (!reply.succeeded()) {
                fail(request, reply.error);
                return;
            }
            const std::optional<Value>& json = reply.json;
            if (!json || !json->isDictionary()) {
                fail(request, replyNotADictionaryError(json));
                return;
            }
            Dictionary newDescription = vornickPostDescriptionFromWordPressPostDescription(json->dictionary(), version);
            // A reply without the stored post's identifier does not say the post was stored.
            if (!positiveIdentifier(newDescription)) {
                fail(request, replyWithoutExpectedValueError(*json, u"id", u"positive integer"));
                return;
            }
            if (auto problem = vornickWordPressDescriptionProblem(newDescription)) {
                fail(request, Error(VornickErrorDomain, VornickReplyWithoutExpectedValueError, u"The server's copy of the post cannot be kept: " + *problem + u"."));
                return;
            }
            if (auto* delegate = this->delegate())
                delegate->blogServiceAgentSuccessfullySentPostChanges(*this, postChanges, blogDescription, nativePostIdentifier,
                    newDescription, false);
        });
}

void VornickWordPressRESTAgent::requestMoveToTrashOfPostWithIdentifier(const std::u16string& postIdentifier, const Value& nativePostIdentifier,
    const Dictionary& blogDescription)
{
    if (!vornickWordPressPositiveIdentifier(Value(postIdentifier))) {
        writeLog(log(), "Can't move post with id=0 or nil to the Trash");
        if (auto* delegate = this->delegate())
            delegate->blogServiceAgentFailedToDeletePostWithIdentifier(*this, postIdentifier, nativePostIdentifier, blogDescription,
                Error(VornickErrorDomain, VornickPostIdentifierMissingError, u"The post has no identifier on the server."));
        return;
    }
    moveToTrashAt(u"posts", postIdentifier, nativePostIdentifier, blogDescription);
}

void VornickWordPressRESTAgent::moveToTrashAt(std::u16string_view collection, const std::u16string& postIdentifier,
    const Value& nativePostIdentifier, const Dictionary& blogDescription)
{
    int version = restAPIVersion();
    std::u16string path = endpointPath(blogDescription, std::u16string(collection) + u"/" + postIdentifier + (version == 1 ? u"/delete" : u""));
    bool triedPages = collection == u"pages";
    postRESTRequestWithEndpointPath(path, 0, version == 1 ? u"POST" : u"DELETE",
        Value(stringFor(blogDescription, u"identifierUsedByBlogService")), {}, nullptr, VornickReplyKind::PostReply,
        [this, postIdentifier, nativePostIdentifier, blogDescription, version, triedPages](const RESTReply& reply) {
            auto* delegate = this->delegate();
            if (reply.succeeded()) {
                if (delegate)
                    delegate->blogServiceAgentSuccessfullyDeletedPostWithIdentifier(*this, postIdentifier, nativePostIdentifier, blogDescription);
                return;
            }
            const Error& error = reply.error;
            if (wordPressErrorCode(error) == u"rest_already_trashed") {
                if (delegate)
                    delegate->blogServiceAgentSuccessfullyDeletedPostWithIdentifier(*this, postIdentifier, nativePostIdentifier,
                        blogDescription);
                return;
            }
            if (serverSaysNoSuchPost(error)) {
                // The posts endpoint knows no pages.
                if (version != 1 && !triedPages) {
                    moveToTrashAt(u"pages", postIdentifier, nativePostIdentifier, blogDescription);
                    return;
                }
                Error notFound(VornickErrorDomain, VornickServerSaysPostNotFoundError,
                    u"The server has no post with the identifier " + postIdentifier + u".");
                notFound.setUnderlyingError(error);
                if (delegate)
                    delegate->blogServiceAgentFailedToDeletePostWithIdentifier(*this, postIdentifier, nativePostIdentifier, blogDescription,
                        notFound);
                return;
            }
            if (delegate)
                delegate->blogServiceAgentFailedToDeletePostWithIdentifier(*this, postIdentifier, nativePostIdentifier, blogDescription, error);
        });
}

void VornickWordPressRESTAgent::requestPostWithIdentifier(const std::u16string& postIdentifier, const Value& nativePostIdentifier,
    const Dictionary& blogDescription)
{
    if (positiveIdentifier({ { u"identifierUsedByBlogService", Value(postIdentifier) } }) == 0) {
        writeLog(log(), "Can't get post with id=0 or nil");
        Error error(VornickErrorDomain, VornickPostIdentifierMissingError, u"The post has no identifier on the server.");
        answerLater([this, postIdentifier, nativePostIdentifier, blogDescription, error] {
            if (auto* delegate = this->delegate())
                delegate->blogServiceAgentFailedToGetPostWithIdentifier(*this, postIdentifier, nativePostIdentifier, blogDescription, error);
        });
        return;
    }
    requestPostAt(u"posts", postIdentifier, nativePostIdentifier, blogDescription);
}

void VornickWordPressRESTAgent::requestPostAt(std::u16string_view collection, const std::u16string& postIdentifier,
    const Value& nativePostIdentifier, const Dictionary& blogDescription)
{
    int version = restAPIVersion();
    std::u16string path = endpointPath(blogDescription, std::u16string(collection) + u"/" + postIdentifier);
    writeLog(log(), "Requesting post {} ({})", postIdentifier, path);
    bool triedPages = collection == u"pages";
    auto fail = [this, postIdentifier, nativePostIdentifier, blogDescription](const Error& error) {
        writeLog(log(), "Failed to get post {} ({})", postIdentifier, error.localizedDescription());
        if (auto* delegate = this->delegate())
            delegate->blogServiceAgentFailedToGetPostWithIdentifier(*this, postIdentifier, nativePostIdentifier, blogDescription, error);
    };
    postRESTRequestWithEndpointPath(path, 0, u"GET", Value(stringFor(blogDescription, u"identifierUsedByBlogService")),
        { { u"context", Value(u"edit") } }, nullptr, VornickReplyKind::PostReply,
        [this, postIdentifier, nativePostIdentifier, blogDescription, version, triedPages, fail](const RESTReply& reply) {
            if (!reply.succeeded()) {
                const Error& error = reply.error;
                if (!serverSaysNoSuchPost(error)) {
                    fail(error);
                    return;
                }
                // The posts endpoint knows no pages.
                if (version != 1 && !triedPages) {
                    requestPostAt(u"pages", postIdentifier, nativePostIdentifier, blogDescription);
                    return;
                }
                Error notFound(VornickErrorDomain, VornickServerSaysPostNotFoundError,
                    u"The server has no post with the identifier " + postIdentifier + u".");
                notFound.setUnderlyingError(error);
                fail(notFound);
                return;
            }
            const std::optional<Value>& json = reply.json;
            if (!json || !json->isDictionary()) {
                fail(replyNotADictionaryError(json));
                return;
            }
            Dictionary description = vornickPostDescriptionFromWordPressPostDescription(json->dictionary(), version);
            if (positiveIdentifier(description) == 0) {
                fail(replyWithoutExpectedValueError(*json, u"id", u"positive post identifier"));
                return;
            }
            if (auto* delegate = this->delegate())
                delegate->blogServiceAgentReceivedPostDescription(*this, description, blogDescription, nativePostIdentifier);
        });
}

void VornickWordPressRESTAgent::confirmServerSideDeletionOfPostWithIdentifier(const std::u16string& postIdentifier,
    const Value& nativePostIdentifier, const Dictionary& blogDescription)
{
    if (!vornickWordPressPositiveIdentifier(Value(postIdentifier))) {
        writeLog(log(), "Can't confirm deletion status of post with id=0 or nil");
        if (auto* delegate = this->delegate())
            delegate->blogServiceAgentFailedToConfirmServerSideDeletionOfPostWithIdentifier(*this, postIdentifier, nativePostIdentifier,
                blogDescription, Error(VornickErrorDomain, VornickPostIdentifierMissingError, u"The post has no identifier on the server."));
        return;
    }
    writeLog(log(), "Requesting confirmation that post {} has been deleted", postIdentifier);
    confirmDeletionAt(u"posts", postIdentifier, nativePostIdentifier, blogDescription);
}

void VornickWordPressRESTAgent::confirmDeletionAt(std::u16string_view collection, const std::u16string& postIdentifier,
    const Value& nativePostIdentifier, const Dictionary& blogDescription)
{
    int version = restAPIVersion();
    std::u16string path = endpointPath(blogDescription, std::u16string(collection) + u"/" + postIdentifier);
    bool triedPages = collection == u"pages";
    postRESTRequestWithEndpointPath(path, 0, u"GET", Value(stringFor(blogDescription, u"identifierUsedByBlogService")), {}, nullptr,
        VornickReplyKind::PostReply, [this, postIdentifier, nativePostIdentifier, blogDescription, version, triedPages](const RESTReply& reply) {
            auto* delegate = this->delegate();
            if (!reply.succeeded()) {
                const Error& error = reply.error;
                if (serverSaysNoSuchPost(error)) {
                    // The posts endpoint knows no pages.
                    if (version != 1 && !triedPages) {
                        confirmDeletionAt(u"pages", postIdentifier, nativePostIdentifier, blogDescription);
                        return;
                    }
                    writeLog(log(), "Server confirms post {} doesn't exist, request URL={}", postIdentifier, reply.request.url().absoluteString());
                    if (delegate)
                        delegate->blogServiceAgentConfirmedServerSideDeletionOfPostWithIdentifier(*this, postIdentifier, nativePostIdentifier,
                            blogDescription, false);
                    return;
                }
                writeLog(log(), "Failed to confirm deletion of post {} ({})", postIdentifier, error.localizedDescription());
                if (delegate)
                    delegate->blogServiceAgentFailedToConfirmServerSideDeletionOfPostWithIdentifier(*this, postIdentifier, nativePostIdentifier,
                        blogDescription, error);
                return;
            }
            const std::optional<Value>& json = reply.json;
            const Value* status = json ? json->find(u"status") : nullptr;
            if (status && status->isString() && equalsIgnoringASCIICase(status->string(), u"trash")) {
                writeLog(log(), "Post {} found to be in Trash on server", postIdentifier);
                if (delegate)
                    delegate->blogServiceAgentConfirmedServerSideDeletionOfPostWithIdentifier(*this, postIdentifier, nativePostIdentifier,
                        blogDescription, true);
                return;
            }
            writeLog(log(), "Post {} found to exist on server, and isn't in server's Trash", postIdentifier);
            if (delegate)
                delegate->blogServiceAgentFailedToConfirmServerSideDeletionOfPostWithIdentifier(*this, postIdentifier, nativePostIdentifier,
                    blogDescription, Error(VornickErrorDomain, VornickPostStillOnServerError));
        });
}

} // namespace brevanton
