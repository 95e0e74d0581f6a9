#include "tests/blog/FakeBlogServiceAgent.h"

#include "platform/foundation/FileUtilities.h"
#include "platform/foundation/OperationQueue.h"
#include "platform/foundation/Text.h"
#include "platform/net/URLError.h"
#include "platform/net/URLResponse.h"
#include "toolkit/VornickErrors.h"

#include <algorithm>
#include <unistd.h>

namespace brevanton {

namespace {

std::u16string stringFor(const Dictionary& description, std::u16string_view key)
{
    auto found = description.find(key);
    return found != description.end() && found->second.isString() ? found->second.string() : std::u16string();
}

} // namespace

// --- FakeBlogSite

FakeSiteBlog& FakeBlogSite::addBlog(std::u16string identifier, std::u16string title, std::u16string browseURLString)
{
    m_listings.clear();
    m_blogs.push_back({ std::move(identifier), std::move(title), std::move(browseURLString), {} });
    return m_blogs.back();
}

FakeSiteBlog* FakeBlogSite::blog(std::u16string_view identifier)
{
    auto found = std::find_if(m_blogs.begin(), m_blogs.end(), [&](auto& blog) { return blog.identifier == identifier; });
    return found == m_blogs.end() ? nullptr : &*found;
}

std::u16string FakeBlogSite::addPost(std::u16string_view blogIdentifier, std::u16string title, bool isPage, std::u16string status)
{
    FakeSiteBlog* blog = this->blog(blogIdentifier);
    if (!blog)
        return {};
    FakeSitePost post;
    post.identifier = toUTF16(std::to_string(m_nextIdentifier++));
    post.isPage = isPage;
    post.title = std::move(title);
    post.content = u"<p>" + post.title + u"</p>";
    post.status = std::move(status);
    post.dateFirstPublished = m_now;
    post.dateLastPublished = m_now;
    post.permalink = blog->browseURLString + u"?p=" + post.identifier;
    m_listings.clear();
    blog->posts.push_back(post);
    ++m_createdPostCount;
    return post.identifier;
}

FakeSitePost* FakeBlogSite::post(std::u16string_view postIdentifier)
{
    for (auto& blog : m_blogs) {
        for (auto& post : blog.posts) {
            if (post.identifier == postIdentifier)
                return &post;
        }
    }
    return nullptr;
}

void FakeBlogSite::editPost(std::u16string_view postIdentifier, std::u16string newTitle)
{
    if (FakeSitePost* post = this->post(postIdentifier)) {
        post->title = std::move(newTitle);
        post->dateLastPublished = m_now;
    }
}

void FakeBlogSite::trashPost(std::u16string_view postIdentifier)
{
    if (FakeSitePost* post = this->post(postIdentifier)) {
        m_listings.clear();
        post->status = u"trash";
        post->dateLastPublished = m_now;
    }
}

void FakeBlogSite::deletePost(std::u16string_view postIdentifier)
{
    m_listings.clear();
    for (auto& blog : m_blogs)
        std::erase_if(blog.posts, [&](auto& post) { return post.identifier == postIdentifier; });
}

Dictionary FakeBlogSite::descriptionOfBlog(const FakeSiteBlog& blog)
{
    return { { u"identifierUsedByBlogService", Value(blog.identifier) }, { u"title", Value(blog.title) },
             { u"browseURLString", Value(blog.browseURLString) } };
}

Dictionary FakeBlogSite::descriptionOfPost(const FakeSitePost& post)
{
    Array tags;
    for (auto& tag : post.tags)
        tags.emplace_back(tag);
    // Built in place: a listing makes one a post.
    Dictionary description;
    description.emplace(u"identifierUsedByBlogService", Value(post.identifier));
    description.emplace(u"title", Value(post.title));
    description.emplace(u"sourceContentString", Value(post.content));
    description.emplace(u"sourceContentType", Value(u"html"));
    description.emplace(u"status", Value(post.status));
    description.emplace(u"dateFirstPublished", Value(post.dateFirstPublished));
    description.emplace(u"dateLastPublished", Value(post.dateLastPublished));
    description.emplace(u"permalinkURLString", Value(post.permalink));
    description.emplace(u"tags", Value(std::move(tags)));
    return description;
}

std::vector<Dictionary> FakeBlogSite::listing(std::u16string_view blogIdentifier, bool pages, int64_t offset, bool& couldBeMore) const
{
    couldBeMore = false;
    std::vector<Dictionary> page;
    auto blog = std::find_if(m_blogs.begin(), m_blogs.end(), [&](auto& blog) { return blog.identifier == blogIdentifier; });
    if (blog == m_blogs.end())
        return page;
    // Where the listed posts are, kept until the site changes, so that a
    // listing page by page costs one pass over the posts, not one a page.
    auto& listed = m_listings[{ blog->identifier, pages }];
    if (listed.empty()) {
        for (size_t index = 0; index < blog->posts.size(); ++index) {
            if (blog->posts[index].isPage == pages && blog->posts[index].status != u"trash")
                listed.push_back(index);
        }
    }
    size_t start = static_cast<size_t>(std::max<int64_t>(offset, 0));
    for (size_t index = start; index < listed.size() && page.size() < m_pageSize; ++index)
        page.push_back(descriptionOfPost(blog->posts[listed[index]]));
    couldBeMore = m_couldBeMoreWhenPageIsFull ? page.size() == m_pageSize : start + page.size() < listed.size();
    return page;
}

std::optional<Dictionary> FakeBlogSite::storePostChanges(std::u16string_view blogIdentifier, const Dictionary& changes)
{
    std::u16string identifier = stringFor(changes, u"identifierUsedByBlogService");
    std::u16string title = stringFor(changes, u"title");
    FakeSitePost* post = nullptr;
    if (!identifier.empty()) {
        post = this->post(identifier);
        if (!post)
            return std::nullopt;
    } else {
        bool isPage = stringFor(changes, u"type") == u"page";
        identifier = addPost(blogIdentifier, title, isPage);
        post = this->post(identifier);
        if (!post)
            return std::nullopt;
    }
    if (!title.empty())
        post->title = title;
    if (std::u16string content = stringFor(changes, u"sourceContentString"); !content.empty())
        post->content = content;
    m_listings.clear();
    if (auto inTrash = changes.find(std::u16string_view(u"inTrash")); inTrash != changes.end() && inTrash->second.boolValue())
        post->status = u"trash";
    else if (post->status == u"trash")
        post->status = u"publish";
    post->dateLastPublished = m_now;
    return descriptionOfPost(*post);
}

// --- FakeBlogServiceAgent

FakeBlogServiceAgent::FakeBlogServiceAgent(std::shared_ptr<FakeBlogSite> site)
    : m_site(std::move(site))
{
}

FakeBlogServiceAgent::~FakeBlogServiceAgent()
{
    joinBackgroundAnswers();
}

void FakeBlogServiceAgent::script(RequestKind kind, Behavior behavior, Mangler mangler)
{
    m_scripts[kind].push_back({ behavior, std::move(mangler) });
}

FakeBlogServiceAgent::Step FakeBlogServiceAgent::nextStep(RequestKind kind)
{
    auto& queue = m_scripts[kind];
    if (queue.empty()) {
        auto found = m_defaultBehaviors.find(kind);
        return { found == m_defaultBehaviors.end() ? Behavior::Answer : found->second, nullptr };
    }
    Step step = std::move(queue.front());
    queue.pop_front();
    return step;
}

std::vector<FakeBlogServiceAgent::Request> FakeBlogServiceAgent::requestsOfKind(RequestKind kind) const
{
    std::vector<Request> found;
    std::copy_if(m_requests.begin(), m_requests.end(), std::back_inserter(found), [&](auto& request) { return request.kind == kind; });
    return found;
}

std::string FakeBlogServiceAgent::requestSummary() const
{
    std::string summary;
    for (auto& request : m_requests) {
        if (!summary.empty())
            summary += ' ';
        switch (request.kind) {
        case RequestKind::BlogDescriptions: summary += "blogs"; break;
        case RequestKind::Posts: summary += "posts@" + std::to_string(request.startOffset); break;
        case RequestKind::Pages: summary += "pages@" + std::to_string(request.startOffset); break;
        case RequestKind::SendPostChanges: summary += "send"; break;
        case RequestKind::UpdatedProperties: summary += "properties:" + toUTF8(request.postIdentifier); break;
        case RequestKind::MoveToTrash: summary += "trash:" + toUTF8(request.postIdentifier); break;
        case RequestKind::ConfirmDeletion: summary += "confirm:" + toUTF8(request.postIdentifier); break;
        case RequestKind::SinglePost: summary += "get:" + toUTF8(request.postIdentifier); break;
        }
    }
    return summary;
}

void FakeBlogServiceAgent::deliverNow(const Delivery& delivery)
{
    if (auto* delegate = this->delegate())
        delivery(*delegate, *this);
}

void FakeBlogServiceAgent::deliver(const Step& step, Delivery success, Delivery failure)
{
    std::weak_ptr<VornickBlogServiceAgent> weakThis = weak_from_this();
    auto later = [weakThis](Delivery delivery) {
        OperationQueue::main().addOperation([weakThis, delivery = std::move(delivery)] {
            if (auto agent = weakThis.lock())
                static_cast<FakeBlogServiceAgent&>(*agent).deliverNow(delivery);
        });
    };
    switch (step.behavior) {
    case Behavior::Answer:
        later(std::move(success));
        break;
    case Behavior::AnswerAtOnce:
        deliverNow(success);
        break;
    case Behavior::FailWithHTTP500:
    case Behavior::FailWithTimeout:
        later(std::move(failure));
        break;
    case Behavior::NoAnswer:
        break;
    case Behavior::AnswerTwice:
        later(success);
        later(std::move(success));
        break;
    case Behavior::Hold:
        m_heldAnswers.push_back(std::move(success));
        break;
    case Behavior::OffMainThread: {
        std::lock_guard lock(m_threadsLock);
        m_threads.emplace_back([this, success = std::move(success)] { deliverNow(success); });
        break;
    }
    }
}

void FakeBlogServiceAgent::releaseHeldAnswers()
{
    auto held = std::exchange(m_heldAnswers, {});
    for (auto& delivery : held)
        deliverNow(delivery);
}

void FakeBlogServiceAgent::joinBackgroundAnswers()
{
    std::vector<std::thread> threads;
    {
        std::lock_guard lock(m_threadsLock);
        threads = std::exchange(m_threads, {});
    }
    for (auto& thread : threads)
        thread.join();
}

bool FakeBlogServiceAgent::beginInteractiveAuthenticationIfNeededForBlogWithDescription(const Dictionary*, std::function<void(Error)> completion)
{
    ++m_authenticationRequestCount;
    if (!m_needsInteractiveAuthentication)
        return false;
    m_authenticationCompletion = std::move(completion);
    return true;
}

void FakeBlogServiceAgent::completeInteractiveAuthentication(Error error)
{
    if (auto completion = std::exchange(m_authenticationCompletion, nullptr))
        completion(std::move(error));
}

void FakeBlogServiceAgent::loadRequest(URLRequest request, CompletionHandler handler)
{
    std::u16string url = request.url().absoluteString();
    m_loadedURLs.push_back(url);
    auto found = m_resources.find(url);
    int status = found == m_resources.end() ? 404 : found->second.first;
    std::string body = found == m_resources.end() ? std::string() : found->second.second;
    OperationQueue::main().addOperation([request, handler = std::move(handler), status, body] {
        auto response = std::make_shared<HTTPURLResponse>(request.url(), status, HTTPHeaderFields());
        handler(response, Data(body.begin(), body.end()), Error());
    });
}

void FakeBlogServiceAgent::downloadURL(const URL& url, VornickReplyKind, std::string folderPath, DownloadHandler handler)
{
    loadRequest(URLRequest(url), [folderPath, handler = std::move(handler)](std::shared_ptr<URLResponse> response, Data data, Error error) {
        int fd = -1;
        auto path = createTemporaryFileBeside(folderPath + "/download", fd);
        if (path) {
            bool whole = ::write(fd, data.data(), data.size()) == static_cast<ssize_t>(data.size());
            ::close(fd);
            if (!whole)
                error = Error(URLErrorDomain, URLErrorCannotWriteToFile, u"the reply could not be written to disk");
        }
        handler(std::move(response), path.value_or(""), std::move(error));
        if (path)
            static_cast<void>(removeItem(*path));
    });
}

Error FakeBlogServiceAgent::http500Error()
{
    return Error(VornickHTTPErrorDomain, 500, u"The server answered 500 (Internal Server Error).");
}

Error FakeBlogServiceAgent::timeoutError()
{
    return Error(URLErrorDomain, URLErrorTimedOut, u"The request timed out.");
}

namespace {

Error errorOf(FakeBlogServiceAgent::Behavior behavior)
{
    return behavior == FakeBlogServiceAgent::Behavior::FailWithTimeout ? FakeBlogServiceAgent::timeoutError()
                                                                        : FakeBlogServiceAgent::http500Error();
}

} // namespace

void FakeBlogServiceAgent::requestBlogDescriptions()
{
    m_requests.push_back({ RequestKind::BlogDescriptions, {}, 0, {}, {}, {} });
    Step step = nextStep(RequestKind::BlogDescriptions);
    std::vector<Dictionary> descriptions;
    for (auto& blog : m_site->blogs())
        descriptions.push_back(FakeBlogSite::descriptionOfBlog(blog));
    if (step.mangler)
        step.mangler(descriptions);
    Error error = errorOf(step.behavior);
    deliver(step,
        [descriptions](auto& delegate, auto& agent) { delegate.blogServiceAgentReceivedBlogDescriptions(agent, descriptions); },
        [error](auto& delegate, auto& agent) { delegate.blogServiceAgentFailedToGetBlogDescriptionsWithError(agent, error); });
}

void FakeBlogServiceAgent::requestPostsForBlogWithDescription(const Dictionary& blogDescription, int64_t startOffset)
{
    m_requests.push_back({ RequestKind::Posts, blogDescription, startOffset, {}, {}, {} });
    Step step = nextStep(RequestKind::Posts);
    bool couldBeMore = false;
    auto page = m_site->listing(stringFor(blogDescription, u"identifierUsedByBlogService"), false, startOffset, couldBeMore);
    if (step.mangler)
        step.mangler(page);
    Error error = errorOf(step.behavior);
    deliver(step,
        [page = std::make_shared<const std::vector<Dictionary>>(std::move(page)), blogDescription, startOffset, couldBeMore](auto& delegate,
            auto& agent) {
            delegate.blogServiceAgentReceivedPostDescriptions(agent, *page, blogDescription, startOffset, couldBeMore);
        },
        [error, blogDescription](auto& delegate, auto& agent) {
            delegate.blogServiceAgentFailedToGetPostDescriptionsWithError(agent, error, blogDescription);
        });
}

void FakeBlogServiceAgent::requestPagesForBlogWithDescription(const Dictionary& blogDescription, int64_t startOffset)
{
    m_requests.push_back({ RequestKind::Pages, blogDescription, startOffset, {}, {}, {} });
    Step step = nextStep(RequestKind::Pages);
    bool couldBeMore = false;
    auto page = m_site->listing(stringFor(blogDescription, u"identifierUsedByBlogService"), true, startOffset, couldBeMore);
    if (step.mangler)
        step.mangler(page);
    Error error = errorOf(step.behavior);
    deliver(step,
        [page = std::make_shared<const std::vector<Dictionary>>(std::move(page)), blogDescription, startOffset, couldBeMore](auto& delegate,
            auto& agent) {
            delegate.blogServiceAgentReceivedPageDescriptions(agent, *page, blogDescription, startOffset, couldBeMore);
        },
        [error, blogDescription](auto& delegate, auto& agent) {
            delegate.blogServiceAgentFailedToGetPageDescriptionsWithError(agent, error, blogDescription);
        });
}

void FakeBlogServiceAgent::sendPostChanges(const Dictionary& postChanges, const Dictionary& blogDescription, const Value& nativePostIdentifier)
{
    m_requests.push_back({ RequestKind::SendPostChanges, blogDescription, 0, postChanges, {}, nativePostIdentifier });
    Step step = nextStep(RequestKind::SendPostChanges);
    std::optional<Dictionary> stored;
    bool failing = step.behavior == Behavior::FailWithHTTP500 || step.behavior == Behavior::FailWithTimeout;
    // A failed request changes nothing on the server; one that is never
    // answered (a lost answer) does.
    if (!failing)
        stored = m_site->storePostChanges(stringFor(blogDescription, u"identifierUsedByBlogService"), postChanges);
    if (!failing && !stored)
        step.behavior = Behavior::FailWithHTTP500;
    std::vector<Dictionary> answer;
    if (stored)
        answer.push_back(*stored);
    if (step.mangler)
        step.mangler(answer);
    Dictionary newDescription = answer.empty() ? Dictionary() : answer.front();
    deliver(step,
        [postChanges, blogDescription, nativePostIdentifier, newDescription](auto& delegate, auto& agent) {
            delegate.blogServiceAgentSuccessfullySentPostChanges(agent, postChanges, blogDescription, nativePostIdentifier, newDescription, false);
        },
        [postChanges, blogDescription](auto& delegate, auto& agent) {
            delegate.blogServiceAgentFailedToSendPostChanges(agent, postChanges, blogDescription);
        });
}

void FakeBlogServiceAgent::requestUpdatedPropertiesForJustPublishedPostWithIdentifier(const std::u16string& postIdentifier,
    const Value& nativePostIdentifier, const Dictionary& blogDescription)
{
    m_requests.push_back({ RequestKind::UpdatedProperties, blogDescription, 0, {}, postIdentifier, nativePostIdentifier });
    Step step = nextStep(RequestKind::UpdatedProperties);
    FakeSitePost* post = m_site->post(postIdentifier);
    if (!post && step.behavior == Behavior::Answer)
        step.behavior = Behavior::FailWithHTTP500;
    Dictionary properties;
    if (post)
        properties[u"permalinkURLString"] = Value(post->permalink);
    deliver(step,
        [properties, blogDescription, nativePostIdentifier](auto& delegate, auto& agent) {
            delegate.blogServiceAgentReceivedUpdatedPropertiesForJustPublishedPost(agent, properties, blogDescription, nativePostIdentifier);
        },
        [postIdentifier, blogDescription, nativePostIdentifier](auto& delegate, auto& agent) {
            delegate.blogServiceAgentFailedToReceiveUpdatedPropertiesForJustPublishedPost(agent, postIdentifier, blogDescription,
                nativePostIdentifier);
        });
}

void FakeBlogServiceAgent::requestMoveToTrashOfPostWithIdentifier(const std::u16string& postIdentifier, const Value& nativePostIdentifier,
    const Dictionary& blogDescription)
{
    m_requests.push_back({ RequestKind::MoveToTrash, blogDescription, 0, {}, postIdentifier, nativePostIdentifier });
    Step step = nextStep(RequestKind::MoveToTrash);
    bool failing = step.behavior == Behavior::FailWithHTTP500 || step.behavior == Behavior::FailWithTimeout;
    Error error = errorOf(step.behavior);
    if (!failing) {
        if (m_site->post(postIdentifier)) {
            m_site->trashPost(postIdentifier);
        } else {
            step.behavior = Behavior::FailWithHTTP500;
            error = Error(VornickHTTPErrorDomain, 404, u"No post with that identifier.");
        }
    }
    deliver(step,
        [postIdentifier, nativePostIdentifier, blogDescription](auto& delegate, auto& agent) {
            delegate.blogServiceAgentSuccessfullyDeletedPostWithIdentifier(agent, postIdentifier, nativePostIdentifier, blogDescription);
        },
        [postIdentifier, nativePostIdentifier, blogDescription, error](auto& delegate, auto& agent) {
            delegate.blogServiceAgentFailedToDeletePostWithIdentifier(agent, postIdentifier, nativePostIdentifier, blogDescription, error);
        });
}

void FakeBlogServiceAgent::confirmServerSideDeletionOfPostWithIdentifier(const std::u16string& postIdentifier,
    const Value& nativePostIdentifier, const Dictionary& blogDescription)
{
    m_requests.push_back({ RequestKind::ConfirmDeletion, blogDescription, 0, {}, postIdentifier, nativePostIdentifier });
    Step step = nextStep(RequestKind::ConfirmDeletion);
    FakeSitePost* post = m_site->post(postIdentifier);
    bool inTrash = post && post->status == u"trash";
    auto failure = [postIdentifier, nativePostIdentifier, blogDescription](Error error) -> Delivery {
        return [postIdentifier, nativePostIdentifier, blogDescription, error](auto& delegate, auto& agent) {
            delegate.blogServiceAgentFailedToConfirmServerSideDeletionOfPostWithIdentifier(agent, postIdentifier, nativePostIdentifier,
                blogDescription, error);
        };
    };
    // Every answer about a post the server still has outside its trash says
    // so, as the real agents do; only failures say nothing.
    Delivery answer = post && !inTrash
        ? failure(Error(VornickErrorDomain, VornickPostStillOnServerError, u"The post still exists."))
        : Delivery([postIdentifier, nativePostIdentifier, blogDescription, inTrash](auto& delegate, auto& agent) {
              delegate.blogServiceAgentConfirmedServerSideDeletionOfPostWithIdentifier(agent, postIdentifier, nativePostIdentifier,
                  blogDescription, inTrash);
          });
    deliver(step, std::move(answer), failure(errorOf(step.behavior)));
}

void FakeBlogServiceAgent::requestPostWithIdentifier(const std::u16string& postIdentifier, const Value& nativePostIdentifier,
    const Dictionary& blogDescription)
{
    m_requests.push_back({ RequestKind::SinglePost, blogDescription, 0, {}, postIdentifier, nativePostIdentifier });
    Step step = nextStep(RequestKind::SinglePost);
    // The post as the site holds it when the answer arrives (the latest a
    // server could answer): a change made on the site before then is in it.
    Error error = errorOf(step.behavior);
    deliver(step,
        [site = m_site, mangler = step.mangler, postIdentifier, blogDescription, nativePostIdentifier](auto& delegate, auto& agent) {
            std::vector<Dictionary> answer;
            if (FakeSitePost* post = site->post(postIdentifier))
                answer.push_back(FakeBlogSite::descriptionOfPost(*post));
            if (mangler)
                mangler(answer);
            if (answer.empty()) {
                delegate.blogServiceAgentFailedToGetPostWithIdentifier(agent, postIdentifier, nativePostIdentifier, blogDescription,
                    Error(VornickErrorDomain, VornickServerSaysPostNotFoundError, u"No post with that identifier."));
                return;
            }
            delegate.blogServiceAgentReceivedPostDescription(agent, answer.front(), blogDescription, nativePostIdentifier);
        },
        [postIdentifier, nativePostIdentifier, blogDescription, error](auto& delegate, auto& agent) {
            delegate.blogServiceAgentFailedToGetPostWithIdentifier(agent, postIdentifier, nativePostIdentifier, blogDescription, error);
        });
}

// --- Manglers

FakeBlogServiceAgent::Mangler FakeBlogServiceAgent::numericIdentifiers()
{
    return [](std::vector<Dictionary>& descriptions) {
        for (auto& description : descriptions) {
            std::u16string identifier = stringFor(description, u"identifierUsedByBlogService");
            description[u"identifierUsedByBlogService"] = Value(static_cast<int64_t>(std::stoll(toUTF8(identifier.empty() ? u"0" : identifier))));
        }
    };
}

FakeBlogServiceAgent::Mangler FakeBlogServiceAgent::missingIdentifiers()
{
    return [](std::vector<Dictionary>& descriptions) {
        for (auto& description : descriptions)
            description.erase(u"identifierUsedByBlogService");
    };
}

FakeBlogServiceAgent::Mangler FakeBlogServiceAgent::datesThatAreNotDates()
{
    return [](std::vector<Dictionary>& descriptions) {
        for (auto& description : descriptions) {
            for (const char16_t* key : { u"dateLastPublished", u"dateFirstPublished" }) {
                if (description.contains(std::u16string_view(key)))
                    description[key] = Value(u"yesterday-ish");
            }
        }
    };
}

FakeBlogServiceAgent::Mangler FakeBlogServiceAgent::noStatus()
{
    return [](std::vector<Dictionary>& descriptions) {
        for (auto& description : descriptions)
            description.erase(u"status");
    };
}

FakeBlogServiceAgent::Mangler FakeBlogServiceAgent::firstIdentifierTwice()
{
    return [](std::vector<Dictionary>& descriptions) {
        if (descriptions.size() >= 2)
            descriptions[1][u"identifierUsedByBlogService"] = descriptions[0][u"identifierUsedByBlogService"];
    };
}

} // namespace brevanton
