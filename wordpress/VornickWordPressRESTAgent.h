// VornickWordPressRESTAgent: the WordPress agent of an account reached over
// REST: self-hosted sites through "wp/v2", and hosted accounts through the
// service's v1.1 interface (version 1) or "wp/v2". Each request is one call
// of the base's postRESTRequestWithEndpointPath; the replies become the
// descriptions of blog/VornickBlogServiceDescriptions.h (mapping in
// wordpress/VornickWordPressRESTMapping.h) and every request ends in exactly
// one answer to the delegate.
//
// Paths: hosted accounts prefix every path with "sites/<site identifier>/".
// Listings page by offset (posts, pages and media 50 at a time) or by page
// number (categories and tags 100 at a time), never by the reply's Link or
// X-WP-* headers: another page may follow when the reply held a full page.
//
// The agent keeps no state between requests. Main thread only.
#pragma once

#include "wordpress/VornickWordPressAgent.h"
#include "wordpress/VornickWordPressRESTMapping.h"

#include <optional>

namespace brevanton {

class VornickWordPressMultipartFormDataPayload;

class VornickWordPressRESTAgent : public VornickWordPressAgent {
public:
    static constexpr int64_t postsPerRequest = 50;
    static constexpr int64_t mediaItemsPerRequest = 50;
    static constexpr int64_t termsPerRequest = 100;

    // "REST (v1.1)" or "REST (v2)".
    std::u16string protocolDescription() const override;
    bool reportedPostsIncludePostsInTrash() const override { return true; }
    bool wantsRequestBlogOptionsSyncStep() const override { return false; }
    bool wantsRequestPostFormatsStep() const override { return false; }
    bool wantsRequestPostStatusesStep() const override { return false; }
    bool wantsRequestTagsStep() const override { return true; }

    void requestBlogDescriptions() override;
    void requestWordPressPostsOfType(std::u16string_view type, const Dictionary& blogDescription, int64_t startOffset) override;
    void requestCategoriesForBlogWithDescription(const Dictionary& blogDescription, int64_t startOffset) override;
    void requestTagsForBlogWithDescription(const Dictionary& blogDescription, int64_t startOffset) override;
    // No request: the constant tables, told to the delegate at once.
    void requestPostFormatsForBlogWithDescription(const Dictionary& blogDescription) override;
    void requestPostStatusesForBlogWithDescription(const Dictionary& blogDescription) override;
    void requestMediaItemsForBlogWithDescription(const Dictionary& blogDescription, int64_t startOffset) override;
    // Succeeds only when the server answers with the item's positive identifier.
    void uploadMediaItem(const std::shared_ptr<VornickWordPressMediaItem>& mediaItem, const Dictionary& blogDescription) override;
    // Dates go only when the post has one: never "now", never for a draft
    // whose date WordPress should keep moving. Succeeds only when the server
    // answers with the post's positive identifier.
    void sendPostChanges(const Dictionary& postChanges, const Dictionary& blogDescription, const Value& nativePostIdentifier) override;
    // Pages live at "pages/<id>" in "wp/v2": a post identifier the posts
    // endpoint does not know is tried there. A post already in the trash is
    // moved; one the server says it has not fails with
    // VornickServerSaysPostNotFoundError.
    void requestMoveToTrashOfPostWithIdentifier(const std::u16string& postIdentifier, const Value& nativePostIdentifier,
        const Dictionary& blogDescription) override;
    bool canRequestSinglePosts() const override { return true; }
    // The post with context=edit, mapped as listings map it; in "wp/v2" a
    // post identifier the posts endpoint does not know is tried at
    // "pages/<id>". The server's own "no such post" fails with
    // VornickServerSaysPostNotFoundError.
    void requestPostWithIdentifier(const std::u16string& postIdentifier, const Value& nativePostIdentifier,
        const Dictionary& blogDescription) override;
    // Deletion is confirmed only by the server's own "no such post", not by
    // any 404 (a blocked endpoint, a missing route).
    void confirmServerSideDeletionOfPostWithIdentifier(const std::u16string& postIdentifier, const Value& nativePostIdentifier,
        const Dictionary& blogDescription) override;

    // The version 1 upload body of the file: one "media[]" form part with the
    // file name quoted (and in "filename*" too) and its MIME type, around the
    // file's bytes, which are read as the request is sent, under a random
    // boundary the file does not hold. Null with the error when the URL has
    // no file name, the file cannot be read or has no MIME type.
    [[nodiscard]] static std::shared_ptr<VornickWordPressMultipartFormDataPayload> httpBodyDataForMultipartFormUploadOfImageFileURL(
        const URL& fileURL, Error* outError);

private:
    // The account, also when it came wrapped in the agent's view of it.
    int restAPIVersion() const;
    // The path with the hosted site prefix when the account has one.
    std::u16string endpointPath(const Dictionary& blogDescription, std::u16string_view path) const;

    void requestTerms(VornickWordPressTermKind, const Dictionary& blogDescription, int64_t startOffset);
    void termsFailed(VornickWordPressTermKind, const Dictionary& blogDescription, const Error&);
    void uploadFailed(const std::shared_ptr<VornickWordPressMediaItem>&, const Dictionary& blogDescription, const Error&);
    void moveToTrashAt(std::u16string_view collection, const std::u16string& postIdentifier, const Value& nativePostIdentifier,
        const Dictionary& blogDescription);
    void requestPostAt(std::u16string_view collection, const std::u16string& postIdentifier, const Value& nativePostIdentifier,
        const Dictionary& blogDescription);
    void confirmDeletionAt(std::u16string_view collection, const std::u16string& postIdentifier, const Value& nativePostIdentifier,
        const Dictionary& blogDescription);
};

} // namespace brevanton
