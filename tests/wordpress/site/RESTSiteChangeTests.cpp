// The REST agent changes the site: posts and pages created, updated,
// published, moved to the trash, found there and found gone after another
// client deleted them for good; content and dates read back as sent.
#include "tests/wordpress/site/RESTSiteTestSupport.h"

#include "toolkit/VornickDateFormatterExtensions.h"

namespace brevanton::testing {
namespace {

// Block comments, white space at both ends, non-ASCII text, an entity and a
// bare "<" that an editor must not lose or change.
const std::u16string trickyContent = u"\n  <!-- wp:paragraph -->\n<p>Caf\u00e9 &amp; cr\u00e8me \u2014 1 < 2, \u65e5\u672c\u8a9e \U0001F600</p>\n"
                                     u"<!-- /wp:paragraph -->\n\n<!-- wp:html -->\n<div data-x=\"a&amp;b\">\t</div>\n<!-- /wp:html -->\n\t ";

class RESTSiteChanges : public RESTSiteTest {
protected:
    // Sends the changes; the new description the agent made of the reply.
    Dictionary send(const Dictionary& changes, const Value& native)
    {
        size_t before = m_delegate.answers.size();
        m_agent->sendPostChanges(changes, m_blog, native);
        if (!waitForAnswers(before + 1))
            return {};
        const RecordedAnswer& answer = m_delegate.answers.back();
        EXPECT_EQ(answer.name, "sent");
        EXPECT_EQ(answer.nativePostIdentifier, native);
        return answer.dictionary;
    }

    const RecordedAnswer& trash(const std::u16string& identifier)
    {
        size_t before = m_delegate.answers.size();
        m_agent->requestMoveToTrashOfPostWithIdentifier(identifier, Value(u"native"), m_blog);
        EXPECT_TRUE(waitForAnswers(before + 1));
        return m_delegate.answers.back();
    }

    const RecordedAnswer& confirmDeletion(const std::u16string& identifier)
    {
        size_t before = m_delegate.answers.size();
        m_agent->confirmServerSideDeletionOfPostWithIdentifier(identifier, Value(u"native"), m_blog);
        EXPECT_TRUE(waitForAnswers(before + 1));
        return m_delegate.answers.back();
    }

    // The post as the site keeps it (context=edit).
    Dictionary onSite(std::u16string_view collection, const std::u16string& identifier)
    {
        SiteReply reply = site(u"GET", u"/wp/v2/" + std::u16string(collection) + u"/" + identifier + u"?context=edit");
        EXPECT_EQ(reply.status, 200);
        return reply.json && reply.json->isDictionary() ? reply.json->dictionary() : Dictionary();
    }

    void createUpdatePublishTrashAndDelete(std::u16string_view type, std::u16string_view collection);

    Dictionary m_blog;
};

void RESTSiteChanges::createUpdatePublishTrashAndDelete(std::u16string_view type, std::u16string_view collection)
{
    m_blog = siteBlogDescription();
    ASSERT_FALSE(m_blog.empty());

    // A new draft: its date stays floating.
    Dictionary changes { { u"title", Value(u"Tom & Jerry \u2014 <notes>") }, { u"sourceContentString", Value(trickyContent) },
        { u"status", Value(u"draft") }, { u"type", Value(type) } };
    Dictionary created = send(changes, Value(u"native-1"));
    std::u16string identifier = created[u"identifierUsedByBlogService"].stringValue();
    ASSERT_GT(vornickWordPressIntegerValue(Value(identifier)), 0);
    EXPECT_EQ(created[u"sourceContentString"].stringValue(), trickyContent);
    EXPECT_EQ(created[u"title"].stringValue(), u"Tom & Jerry \u2014 <notes>");
    EXPECT_FALSE(created.contains(u"dateFirstPublished"));
    Dictionary stored = onSite(collection, identifier);
    EXPECT_EQ(stored[u"content"][u"raw"].stringValue(), trickyContent);
    EXPECT_EQ(stored[u"status"].stringValue(), u"draft");
    EXPECT_EQ(stored[u"type"].stringValue(), type);

    // Updating the draft keeps it floating.
    changes[u"identifierUsedByBlogService"] = Value(identifier);
    changes[u"sourceContentString"] = Value(trickyContent + u"<p>more</p>");
    Dictionary updated = send(changes, Value(u"native-1"));
    EXPECT_EQ(updated[u"sourceContentString"].stringValue(), trickyContent + u"<p>more</p>");
    EXPECT_FALSE(updated.contains(u"dateFirstPublished"));

    // Published with a date of its own (UTC): it reads back equal.
    Date published(1678000000); // 2023-03-05T07:06:40Z
    changes[u"status"] = Value(u"publish");
    changes[u"dateFirstPublished"] = Value(published);
    Dictionary publishedDescription = send(changes, Value(u"native-1"));
    EXPECT_EQ(publishedDescription[u"status"].stringValue(), u"publish");
    ASSERT_TRUE(publishedDescription[u"dateFirstPublished"].isDate());
    EXPECT_EQ(publishedDescription[u"dateFirstPublished"].date().timeIntervalSince1970(), published.timeIntervalSince1970());
    EXPECT_EQ(onSite(collection, identifier)[u"date_gmt"].stringValue(), u"2023-03-05T07:06:40");

    // A later edit without the date never moves the publication date.
    changes.erase(u"dateFirstPublished");
    changes[u"title"] = Value(u"Renamed");
    Dictionary renamed = send(changes, Value(u"native-1"));
    EXPECT_EQ(renamed[u"title"].stringValue(), u"Renamed");
    ASSERT_TRUE(renamed[u"dateFirstPublished"].isDate());
    EXPECT_EQ(renamed[u"dateFirstPublished"].date().timeIntervalSince1970(), published.timeIntervalSince1970());
    EXPECT_EQ(onSite(collection, identifier)[u"date_gmt"].stringValue(), u"2023-03-05T07:06:40");

    // Into the trash, where it is found; a second move is done too.
    URLSession::resetRequestCountsForTesting();
    EXPECT_EQ(trash(identifier).name, "trashed");
    EXPECT_EQ(onSite(collection, identifier)[u"status"].stringValue(), u"trash");
    EXPECT_EQ(trash(identifier).name, "trashed");
    const RecordedAnswer& inTrash = confirmDeletion(identifier);
    EXPECT_EQ(inTrash.name, "confirmedDeletion");
    EXPECT_TRUE(inTrash.flag);
    if (!plain()) {
        auto counts = URLSession::requestCountsByPathForTesting();
        EXPECT_GE(counts[u"/wp-json/wp/v2/" + std::u16string(collection) + u"/" + identifier], 2);
    }

    // Another client deletes it for good: gone, and said so.
    SiteReply deleted = site(u"DELETE", u"/wp/v2/" + std::u16string(collection) + u"/" + identifier + u"?force=true");
    EXPECT_EQ(deleted.status, 200);
    const RecordedAnswer& gone = confirmDeletion(identifier);
    EXPECT_EQ(gone.name, "confirmedDeletion") << toUTF8(gone.error.localizedDescription());
    EXPECT_FALSE(gone.flag);
    const RecordedAnswer& trashGone = trash(identifier);
    EXPECT_EQ(trashGone.name, "failedToTrash");
    EXPECT_EQ(trashGone.error.code(), VornickServerSaysPostNotFoundError);
}

TEST_P(RESTSiteChanges, APostIsCreatedUpdatedPublishedTrashedAndFoundGone)
{
    createUpdatePublishTrashAndDelete(u"post", u"posts");
}

TEST_P(RESTSiteChanges, APageIsCreatedUpdatedPublishedTrashedAndFoundGone)
{
    createUpdatePublishTrashAndDelete(u"page", u"pages");
}

TEST_P(RESTSiteChanges, AServerEditShowsInTheListingAndAPostStillThereIsNotConfirmedGone)
{
    m_blog = siteBlogDescription();
    int64_t identifier = aPublishedPostIdentifier();
    ASSERT_GT(identifier, 0);
    std::u16string text = toUTF16(std::to_string(identifier));
    Dictionary before = onSite(u"posts", text);

    SiteReply edited = site(u"POST", u"/wp/v2/posts/" + text, Value(Dictionary { { u"content", Value(u"<p>Edited elsewhere</p>") } }));
    ASSERT_EQ(edited.status, 200);
    m_agent->requestPostsForBlogWithDescription(m_blog, 0);
    ASSERT_TRUE(waitForAnswers(2));
    bool found = false;
    for (const auto& post : m_delegate.answers.back().descriptions) {
        if (post.at(u"identifierUsedByBlogService").stringValue() != text)
            continue;
        found = true;
        EXPECT_EQ(post.at(u"sourceContentString").stringValue(), u"<p>Edited elsewhere</p>");
        // The edit is seen by its modification date, read as UTC.
        auto modified = vornick_dateFromISO8601String(onSite(u"posts", text)[u"modified_gmt"].stringValue() + u"Z");
        ASSERT_TRUE(modified);
        EXPECT_EQ(post.at(u"dateLastPublished").date().timeIntervalSince1970(), modified->timeIntervalSince1970());
        auto date = vornick_dateFromISO8601String(before[u"date_gmt"].stringValue() + u"Z");
        ASSERT_TRUE(date);
        EXPECT_EQ(post.at(u"dateFirstPublished").date().timeIntervalSince1970(), date->timeIntervalSince1970());
    }
    EXPECT_TRUE(found);

    const RecordedAnswer& stillThere = confirmDeletion(text);
    EXPECT_EQ(stillThere.name, "failedToConfirmDeletion");
    EXPECT_EQ(stillThere.error.code(), VornickPostStillOnServerError);
}

INSTANTIATE_TEST_SUITE_P(Site, RESTSiteChanges, ::testing::Values(Permalinks::Pretty, Permalinks::Plain), permalinksName);

} // namespace
} // namespace brevanton::testing
