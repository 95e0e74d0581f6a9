// A scripted WordPress agent for the WordPress integrator's tests, and the
// fake site it reads: one blog with posts, pages, categories, tags, media
// items (each listed page by page, `pageSize` at a time), post formats and
// statuses and blog options. Requests are recorded in the site ("categories@0",
// "options", "upload:Title", "send:Title") and answered on a later turn of the
// main run loop, as real agents do, except those the test silences.
#pragma once

#include "platform/foundation/Value.h"
#include "wordpress/VornickWordPressAgent.h"

#include <functional>
#include <memory>
#include <set>
#include <string>
#include <vector>

namespace brevanton {

struct FakeWordPressSite {
    Dictionary blogDescription { { u"identifierUsedByBlogService", Value(u"1") }, { u"title", Value(u"Fake Site") },
                                 { u"browseURLString", Value(u"https://site.example/") } };
    std::vector<Dictionary> posts;
    std::vector<Dictionary> pages;
    std::vector<Dictionary> categories;
    std::vector<Dictionary> tags;
    std::vector<Dictionary> mediaItems;
    Dictionary formats;
    Dictionary statuses;
    Dictionary options;
    size_t pageSize { 2 };
    // Answers every listing with its first page, whatever the offset (as a
    // cache that ignores the query does).
    bool ignoresOffsets { false };
    // What the agent says it wants.
    bool wantsTags { true };
    bool wantsBlogOptions { true };
    bool wantsPostFormats { true };
    bool wantsPostStatuses { true };
    // Request kinds ("categories", "media", "options", ...) that get no answer.
    std::set<std::string> unanswered;
    // Uploads are answered with the item's "guid" as its unique identifier,
    // as REST does, beside its identifier and address.
    bool uploadAnswersWithDescription { false };
    // Request kinds that fail.
    std::set<std::string> failing;

    // Called with the request's record just before its answer is delivered.
    std::function<void(const std::string& request)> beforeAnswer;

    std::vector<std::string> requests;
    // The post changes sent, in order.
    std::vector<Dictionary> sentPosts;
    int nextIdentifier { 900 };

    // "categories@0 categories@2 ..." of the requests so far.
    std::string requestSummary() const;
};

class FakeWordPressAgent final : public VornickWordPressAgent {
public:
    explicit FakeWordPressAgent(std::shared_ptr<FakeWordPressSite> site) : m_site(std::move(site)) { }

    // Keeps the account without watching its host: the fake site is always there.
    void setAccount(std::shared_ptr<VornickBlogServiceAgentAccount> account) override { VornickBlogServiceAgent::setAccount(std::move(account)); }
    std::u16string protocolDescription() const override { return u"Fake WordPress"; }
    bool wantsRequestBlogOptionsSyncStep() const override { return m_site->wantsBlogOptions; }
    bool wantsRequestPostFormatsStep() const override { return m_site->wantsPostFormats; }
    bool wantsRequestPostStatusesStep() const override { return m_site->wantsPostStatuses; }
    bool wantsRequestTagsStep() const override { return m_site->wantsTags; }
    bool canRequestSinglePosts() const override { return false; }

    void requestBlogDescriptions() override;
    void requestWordPressPostsOfType(std::u16string_view type, const Dictionary& blogDescription, int64_t startOffset) override;
    void requestBlogOptionsForBlogWithDescription(const Dictionary& blogDescription) override;
    void requestCategoriesForBlogWithDescription(const Dictionary& blogDescription, int64_t startOffset) override;
    void requestTagsForBlogWithDescription(const Dictionary& blogDescription, int64_t startOffset) override;
    void requestPostFormatsForBlogWithDescription(const Dictionary& blogDescription) override;
    void requestPostStatusesForBlogWithDescription(const Dictionary& blogDescription) override;
    void requestMediaItemsForBlogWithDescription(const Dictionary& blogDescription, int64_t startOffset) override;
    // Gives the item the next identifier and an address on the site.
    void uploadMediaItem(const std::shared_ptr<VornickWordPressMediaItem>&, const Dictionary& blogDescription) override;
    void sendPostChanges(const Dictionary& postChanges, const Dictionary& blogDescription, const Value& nativePostIdentifier) override;

private:
    // Records the request; answers false when it is to go unanswered.
    bool record(const std::string& kind, const std::string& detail = {});
    bool fails(const std::string& kind) const { return m_site->failing.contains(kind); }
    // Delivers the answer to the last request recorded on a later turn.
    void later(std::function<void(FakeWordPressAgent&, VornickWordPressAgentDelegate&)>);
    std::vector<Dictionary> page(const std::vector<Dictionary>&, int64_t startOffset, bool& couldBeMore) const;

    std::shared_ptr<FakeWordPressSite> m_site;
};

} // namespace brevanton
