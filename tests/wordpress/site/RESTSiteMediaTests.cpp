// The REST agent uploads images to the site: a small one arrives with its
// identifier.
#include "tests/wordpress/site/RESTSiteTestSupport.h"

namespace brevanton::testing {
namespace {

class RESTSiteMedia : public RESTSiteTest {
protected:
    std::shared_ptr<VornickWordPressMediaItem> mediaItem(const std::string& path, std::u16string_view title)
    {
        auto& context = *m_project->index()->managedObjectContext();
        if (!m_blogObject) {
            m_blogObject = std::dynamic_pointer_cast<VornickWordPressBlog>(context.insertNewObject(u"Blog"));
            m_blogObject->setBlogFolderName(u"Site");
            m_blogObject->setSourceFileName(u"site.brevantonwordpressblog");
        }
        auto item = std::dynamic_pointer_cast<VornickWordPressMediaItem>(context.insertNewObject(u"MediaItem"));
        item->setObjectForKey(m_blogObject, u"blog");
        item->setValueForKey(Value(URL::fileURLWithPath(path).absoluteString()), u"localURLString");
        item->setValueForKey(Value(title), u"title");
        item->setValueForKey(Value(u"0"), u"identifierUsedByBlogService");
        return item;
    }

    std::shared_ptr<VornickWordPressBlog> m_blogObject;
};

TEST_P(RESTSiteMedia, AnImageIsUploadedAndListed)
{
    Dictionary blog = siteBlogDescription();
    auto picture = readFile(std::string(BREVANTON_TEST_DATA_DIR) + "/web/picture.png");
    ASSERT_TRUE(picture);
    std::string path = m_folder + "/harbour; view\r\nX-Injected: 1.png";
    ASSERT_TRUE(writeFileAtomically(path, *picture));

    m_agent->uploadMediaItem(mediaItem(path, u"Harbour"), blog);
    ASSERT_TRUE(waitForAnswers(2));
    const RecordedAnswer& uploaded = m_delegate.answers.back();
    ASSERT_EQ(uploaded.name, "uploaded") << toUTF8(uploaded.error.localizedDescription());
    std::u16string identifier = uploaded.dictionary.at(u"identifierUsedByBlogService").stringValue();
    EXPECT_GT(vornickWordPressIntegerValue(Value(identifier)), 0);
    EXPECT_TRUE(uploaded.dictionary.at(u"remoteURLString").stringValue().starts_with(m_site.url + u"/wp-content/uploads/"));

    SiteReply stored = site(u"GET", u"/wp/v2/media/" + identifier + u"?context=edit");
    ASSERT_EQ(stored.status, 200);
    EXPECT_EQ((*stored.json)[u"mime_type"].stringValue(), u"image/png");
    EXPECT_EQ((*stored.json)[u"media_details"][u"filesize"].integerValue(), static_cast<int64_t>(picture->size()));
    SiteReply file = site(u"GET", u"/wp/v2/media?per_page=100");
    ASSERT_TRUE(file.json && file.json->isArray());
    EXPECT_EQ(file.json->array().size(), 5u);
}

INSTANTIATE_TEST_SUITE_P(Site, RESTSiteMedia, ::testing::Values(Permalinks::Pretty, Permalinks::Plain), permalinksName);

} // namespace
} // namespace brevanton::testing
