#include "tests/wordpress/FakeWordPressAgent.h"

#include "platform/foundation/RunLoop.h"
#include "platform/foundation/Text.h"
#include "wordpress/VornickWordPressAgentDelegate.h"
#include "wordpress/VornickWordPressMediaItem.h"

#include <algorithm>

namespace brevanton {

std::string FakeWordPressSite::requestSummary() const
{
    std::string summary;
    for (const auto& request : requests)
        summary += (summary.empty() ? "" : " ") + request;
    return summary;
}

bool FakeWordPressAgent::record(const std::string& kind, const std::string& detail)
{
    m_site->requests.push_back(detail.empty() ? kind : kind + detail);
    return !m_site->unanswered.contains(kind);
}

void FakeWordPressAgent::later(std::function<void(FakeWordPressAgent&, VornickWordPressAgentDelegate&)> answer)
{
    std::weak_ptr<VornickBlogServiceAgent> weakSelf = shared_from_this();
    std::string request = m_site->requests.back();
    RunLoop::main().perform([weakSelf, request, answer = std::move(answer)] {
        auto self = std::static_pointer_cast<FakeWordPressAgent>(weakSelf.lock());
        if (!self)
            return;
        if (self->m_site->beforeAnswer)
            self->m_site->beforeAnswer(request);
        if (auto* delegate = self->wordPressDelegate())
            answer(*self, *delegate);
    });
}

std::vector<Dictionary> FakeWordPressAgent::page(const std::vector<Dictionary>& all, int64_t startOffset, bool& couldBeMore) const
{
    size_t begin = m_site->ignoresOffsets ? 0 : std::min(all.size(), static_cast<size_t>(startOffset));
    size_t end = std::min(all.size(), begin + m_site->pageSize);
    // Like the REST agent: a full page may be followed by another.
    couldBeMore = end - begin == m_site->pageSize;
    return { all.begin() + static_cast<ptrdiff_t>(begin), all.begin() + static_cast<ptrdiff_t>(end) };
}

static Error fakeFailure()
{
    return Error("com.example.FakeWordPress", 500, u"The fake site failed.");
}

void FakeWordPressAgent::requestBlogDescriptions()
{
    if (!record("blogs"))
        return;
    later([](FakeWordPressAgent& self, VornickWordPressAgentDelegate& delegate) {
        delegate.blogServiceAgentReceivedBlogDescriptions(self, { self.m_site->blogDescription });
    });
}

void FakeWordPressAgent::requestWordPressPostsOfType(std::u16string_view type, const Dictionary& blogDescription, int64_t startOffset)
{
    bool pages = type == u"page";
    if (!record(pages ? "pages" : "posts", "@" + std::to_string(startOffset)))
        return;
    bool couldBeMore = false;
    auto descriptions = vornickWordPressPostDescriptions(page(pages ? m_site->pages : m_site->posts, startOffset, couldBeMore));
    later([=](FakeWordPressAgent& self, VornickWordPressAgentDelegate& delegate) {
        if (pages)
            delegate.wordPressAgentReceivedPageDescriptions(self, descriptions, blogDescription, startOffset, couldBeMore);
        else
            delegate.wordPressAgentReceivedPostDescriptions(self, descriptions, blogDescription, startOffset, couldBeMore);
    });
}

void FakeWordPressAgent::requestBlogOptionsForBlogWithDescription(const Dictionary& blogDescription)
{
    if (!record("options"))
        return;
    later([=](FakeWordPressAgent& self, VornickWordPressAgentDelegate& delegate) {
        if (self.fails("options"))
            delegate.wordPressAgentFailedToReceiveBlogOptions(self, blogDescription, fakeFailure());
        else
            delegate.wordPressAgentReceivedBlogOptions(self, vornickWordPressSiteSettingsFromXMLRPCOptions(self.m_site->options, Date::now()), blogDescription);
    });
}

void FakeWordPressAgent::requestCategoriesForBlogWithDescription(const Dictionary& blogDescription, int64_t startOffset)
{
    if (!record("categories", "@" + std::to_string(startOffset)))
        return;
    bool couldBeMore = false;
    auto descriptions = vornickWordPressTermDescriptions(page(m_site->categories, startOffset, couldBeMore));
    later([=](FakeWordPressAgent& self, VornickWordPressAgentDelegate& delegate) {
        if (self.fails("categories"))
            delegate.wordPressAgentFailedToReceiveCategoryDescriptions(self, blogDescription, fakeFailure());
        else
            delegate.wordPressAgentReceivedCategoryDescriptions(self, descriptions, blogDescription, startOffset, couldBeMore);
    });
}

void FakeWordPressAgent::requestTagsForBlogWithDescription(const Dictionary& blogDescription, int64_t startOffset)
{
    if (!record("tags", "@" + std::to_string(startOffset)))
        return;
    bool couldBeMore = false;
    auto descriptions = vornickWordPressTermDescriptions(page(m_site->tags, startOffset, couldBeMore));
    later([=](FakeWordPressAgent& self, VornickWordPressAgentDelegate& delegate) {
        delegate.wordPressAgentReceivedTagDescriptions(self, descriptions, blogDescription, startOffset, couldBeMore);
    });
}

void FakeWordPressAgent::requestPostFormatsForBlogWithDescription(const Dictionary& blogDescription)
{
    if (!record("formats"))
        return;
    later([=](FakeWordPressAgent& self, VornickWordPressAgentDelegate& delegate) {
        delegate.wordPressAgentReceivedPostFormatDescriptions(self, self.m_site->formats, blogDescription);
    });
}

void FakeWordPressAgent::requestPostStatusesForBlogWithDescription(const Dictionary& blogDescription)
{
    if (!record("statuses"))
        return;
    later([=](FakeWordPressAgent& self, VornickWordPressAgentDelegate& delegate) {
        delegate.wordPressAgentReceivedPostStatusDescriptions(self, self.m_site->statuses, blogDescription);
    });
}

void FakeWordPressAgent::requestMediaItemsForBlogWithDescription(const Dictionary& blogDescription, int64_t startOffset)
{
    if (!record("media", "@" + std::to_string(startOffset)))
        return;
    bool couldBeMore = false;
    auto descriptions = vornickWordPressMediaItemDescriptions(page(m_site->mediaItems, startOffset, couldBeMore));
    later([=](FakeWordPressAgent& self, VornickWordPressAgentDelegate& delegate) {
        if (self.fails("media"))
            delegate.wordPressAgentFailedToReceiveMediaItemDescriptions(self, blogDescription, startOffset, fakeFailure());
        else
            delegate.wordPressAgentReceivedMediaItemDescriptions(self, descriptions, blogDescription, startOffset, couldBeMore);
    });
}

void FakeWordPressAgent::uploadMediaItem(const std::shared_ptr<VornickWordPressMediaItem>& item, const Dictionary& blogDescription)
{
    std::u16string title = item ? item->ManagedObject::valueForKey(u"title").stringValue() : std::u16string();
    if (!record("upload", ":" + toUTF8(title)))
        return;
    std::string identifier = std::to_string(m_site->nextIdentifier++);
    later([=](FakeWordPressAgent& self, VornickWordPressAgentDelegate& delegate) {
        if (self.fails("upload")) {
            delegate.wordPressAgentFailedToUploadMediaItem(self, item, blogDescription, fakeFailure());
            return;
        }
        std::u16string fileName = item && item->resolvedLocalURL() ? item->resolvedLocalURL()->lastPathComponent() : u"file";
        std::u16string address = u"https://site.example/wp-content/uploads/" + fileName;
        VornickWordPressMediaItemDescription stored;
        stored.identifier = std::stoll(identifier);
        stored.remoteURLString = address;
        if (self.m_site->uploadAnswersWithDescription)
            stored.uniqueIdentifier = u"https://site.example/?attachment_id=" + toUTF16(identifier);
        delegate.wordPressAgentReceivedPropertiesOfUploadedMediaItem(self, stored, item, blogDescription);
    });
}

void FakeWordPressAgent::sendPostChanges(const Dictionary& postChanges, const Dictionary& blogDescription, const Value& nativePostIdentifier)
{
    const Value* title = postChanges.count(u"title") ? &postChanges.at(u"title") : nullptr;
    if (!record("send", ":" + (title ? toUTF8(title->stringValue()) : std::string())))
        return;
    m_site->sentPosts.push_back(postChanges);
    Dictionary answer = postChanges;
    if (!answer.count(u"identifierUsedByBlogService"))
        answer[u"identifierUsedByBlogService"] = Value(toUTF16(std::to_string(m_site->nextIdentifier++)));
    later([=](FakeWordPressAgent& self, VornickWordPressAgentDelegate& delegate) {
        if (self.fails("send"))
            delegate.blogServiceAgentFailedToSendPostChanges(self, postChanges, blogDescription);
        else
            delegate.blogServiceAgentSuccessfullySentPostChanges(self, postChanges, blogDescription, nativePostIdentifier, answer, false);
    });
}

} // namespace brevanton
