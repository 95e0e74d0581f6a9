// The REST agent lists the seeded site: posts of every status and pages in
// pages of 50, categories over two pages with their parents, tags, media
// with their sizes; the same through a proxy that drops the paging headers.
#include "tests/platform/net/LoopbackHTTPServer.h"
#include "tests/wordpress/site/RESTSiteTestSupport.h"

#include <netinet/in.h>
#include <sys/socket.h>

#include <map>
#include <set>

namespace brevanton::testing {
namespace {

constexpr std::u16string_view everyStatus = u"publish,future,draft,pending,private,trash";

class RESTSiteListing : public RESTSiteTest {
protected:
    // Every element of one kind, asked for page after page as a sync does:
    // the next page starts after the elements the server sent.
    std::vector<RecordedAnswer> listAll(const std::function<void(int64_t)>& request, int64_t pageSize)
    {
        std::vector<RecordedAnswer> pages;
        int64_t offset = 0;
        for (int page = 0; page < 20; ++page) {
            size_t before = m_delegate.answers.size();
            request(offset);
            if (!waitForAnswers(before + 1))
                break;
            pages.push_back(m_delegate.answers.back());
            EXPECT_EQ(pages.back().startOffset, offset);
            if (!pages.back().flag || pages.back().name.starts_with("failed"))
                break;
            offset += pageSize;
        }
        return pages;
    }

    std::vector<Dictionary> listPosts(const Dictionary& blog, bool pages)
    {
        auto answers = listAll(
            [&](int64_t offset) {
                if (pages)
                    m_agent->requestPagesForBlogWithDescription(blog, offset);
                else
                    m_agent->requestPostsForBlogWithDescription(blog, offset);
            },
            VornickWordPressRESTAgent::postsPerRequest);
        std::vector<Dictionary> all;
        for (const auto& answer : answers) {
            EXPECT_EQ(answer.name, pages ? "receivedPages" : "receivedPosts") << toUTF8(answer.error.localizedDescription());
            all.insert(all.end(), answer.descriptions.begin(), answer.descriptions.end());
        }
        return all;
    }

    // The number of elements the site itself counts for the route.
    int64_t siteTotal(std::u16string_view route)
    {
        SiteReply reply = site(u"GET", route);
        EXPECT_EQ(reply.status, 200) << toUTF8(route);
        auto total = reply.response ? reply.response->valueForHTTPHeaderField(u"X-WP-Total") : std::nullopt;
        EXPECT_TRUE(total);
        return total ? vornickWordPressIntegerValue(Value(*total)) : -1;
    }
};

TEST_P(RESTSiteListing, PostsOfEveryStatusComeInPagesOfFifty)
{
    // One post in the trash, so that every status shows.
    SiteReply trashed = site(u"DELETE", u"/wp/v2/posts/" + toUTF16(std::to_string(aPublishedPostIdentifier())));
    ASSERT_EQ(trashed.status, 200);

    Dictionary blog = siteBlogDescription();
    URLSession::resetRequestCountsForTesting();
    std::vector<Dictionary> posts = listPosts(blog, false);
    auto counts = URLSession::requestCountsByPathForTesting();
    int64_t total = siteTotal(u"/wp/v2/posts?context=edit&per_page=1&status=" + std::u16string(everyStatus));
    EXPECT_GE(total, 137);
    EXPECT_EQ(static_cast<int64_t>(posts.size()), total);

    std::set<std::u16string> identifiers;
    std::map<std::u16string, int> statuses;
    int inTrash = 0;
    for (const auto& post : posts) {
        identifiers.insert(post.at(u"identifierUsedByBlogService").stringValue());
        ++statuses[post.at(u"status").stringValue()];
        inTrash += post.at(u"inTrash").boolValue();
        EXPECT_EQ(post.at(u"type").stringValue(), u"post");
        EXPECT_TRUE(post.contains(u"sourceContentString"));
        EXPECT_TRUE(post.contains(u"dateLastPublished"));
        // Drafts and pending posts without a date of their own keep it floating.
        bool floating = post.at(u"status").stringValue() == u"draft" || post.at(u"status").stringValue() == u"pending";
        EXPECT_EQ(post.contains(u"dateFirstPublished"), !floating) << toUTF8(post.at(u"title").stringValue());
    }
    EXPECT_EQ(identifiers.size(), posts.size());
    EXPECT_GE(statuses[u"publish"], 120);
    EXPECT_EQ(statuses[u"draft"], 6);
    EXPECT_EQ(statuses[u"pending"], 3);
    EXPECT_EQ(statuses[u"future"], 4);
    EXPECT_EQ(statuses[u"private"], 3);
    EXPECT_EQ(statuses[u"trash"], 1);
    EXPECT_EQ(inTrash, 1);

    int64_t listings = (total + VornickWordPressRESTAgent::postsPerRequest - 1) / VornickWordPressRESTAgent::postsPerRequest;
    if (total % VornickWordPressRESTAgent::postsPerRequest == 0)
        ++listings; // a full last page could be followed by more
    EXPECT_EQ(counts[plain() ? u"/" : u"/wp-json/wp/v2/posts"], listings);
}

TEST_P(RESTSiteListing, PagesCategoriesTagsAndMedia)
{
    Dictionary blog = siteBlogDescription();

    std::vector<Dictionary> pages = listPosts(blog, true);
    EXPECT_GE(pages.size(), 12u);
    EXPECT_EQ(static_cast<int64_t>(pages.size()), siteTotal(u"/wp/v2/pages?context=edit&per_page=1&status=" + std::u16string(everyStatus)));
    for (const auto& page : pages)
        EXPECT_EQ(page.at(u"type").stringValue(), u"page");

    auto categoryPages = listAll([&](int64_t offset) { m_agent->requestCategoriesForBlogWithDescription(blog, offset); },
        VornickWordPressRESTAgent::termsPerRequest);
    ASSERT_EQ(categoryPages.size(), 2u);
    EXPECT_EQ(categoryPages[0].name, "receivedCategories");
    EXPECT_TRUE(categoryPages[0].flag);
    EXPECT_EQ(categoryPages[0].terms.size(), 100u);
    EXPECT_FALSE(categoryPages[1].flag);
    std::map<int64_t, std::optional<int64_t>> parents;
    for (const auto& page : categoryPages) {
        for (const auto& category : page.terms)
            parents[category.identifier] = category.parentIdentifier;
    }
    EXPECT_EQ(static_cast<int64_t>(parents.size()), siteTotal(u"/wp/v2/categories?per_page=1"));
    EXPECT_GE(parents.size(), 121u);
    // Three levels: some category's parent has a parent of its own.
    int grandchildren = 0;
    for (const auto& [identifier, parent] : parents) {
        if (!parent)
            continue;
        ASSERT_TRUE(parents.contains(*parent)) << identifier;
        grandchildren += parents[*parent].has_value();
    }
    EXPECT_GT(grandchildren, 0);

    auto tagPages = listAll([&](int64_t offset) { m_agent->requestTagsForBlogWithDescription(blog, offset); },
        VornickWordPressRESTAgent::termsPerRequest);
    ASSERT_EQ(tagPages.size(), 1u);
    EXPECT_EQ(tagPages[0].name, "receivedTags");
    EXPECT_EQ(tagPages[0].terms.size(), 30u);
    EXPECT_FALSE(tagPages[0].flag);

    auto mediaPages = listAll([&](int64_t offset) { m_agent->requestMediaItemsForBlogWithDescription(blog, offset); },
        VornickWordPressRESTAgent::mediaItemsPerRequest);
    ASSERT_EQ(mediaPages.size(), 1u);
    ASSERT_EQ(mediaPages[0].name, "receivedMedia");
    ASSERT_EQ(mediaPages[0].descriptions.size(), 4u);
    int captioned = 0;
    for (const auto& item : mediaPages[0].descriptions) {
        EXPECT_GT(vornickWordPressIntegerValue(item.at(u"identifierUsedByBlogService")), 0);
        EXPECT_TRUE(item.at(u"remoteURLString").stringValue().starts_with(m_site.url + u"/wp-content/uploads/"));
        EXPECT_GT(item.at(u"pixelsWide").integerValue(), 0);
        EXPECT_FALSE(item.at(u"title").stringValue().empty());
        // Raw texts, not the rendered paragraphs.
        if (item.contains(u"caption") && !item.at(u"caption").stringValue().empty()) {
            ++captioned;
            EXPECT_FALSE(item.at(u"caption").stringValue().starts_with(u"<p>"));
        }
        if (item.contains(u"description")) {
            EXPECT_FALSE(item.at(u"description").stringValue().starts_with(u"<p"));
        }
        ASSERT_TRUE(item.at(u"variants").isDictionary());
        EXPECT_TRUE(item.at(u"variants").dictionary().contains(u"thumbnail"));
    }
    EXPECT_GT(captioned, 0);
}

// Forwards every request to the site and drops Link and X-WP-* from the
// answers, as some proxies and caches do.
class HeaderStrippingProxy {
public:
    explicit HeaderStrippingProxy(uint16_t sitePort)
        : m_sitePort(sitePort)
        , m_server([this](const testserver::TestHTTPRequest& request) { return forward(request); })
    {
    }
    std::u16string url() const { return u"http://127.0.0.1:" + toUTF16(std::to_string(m_server.port())); }

private:
    testserver::TestHTTPResponse forward(const testserver::TestHTTPRequest& request) const
    {
        testserver::TestHTTPResponse answer;
        answer.status = 502;
        int socket = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in address {};
        address.sin_family = AF_INET;
        address.sin_port = htons(m_sitePort);
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        if (socket < 0 || ::connect(socket, reinterpret_cast<sockaddr*>(&address), sizeof address) < 0) {
            if (socket >= 0)
                ::close(socket);
            return answer;
        }
        std::string head = request.method + " " + request.target + " HTTP/1.0\r\nHost: 127.0.0.1:" + std::to_string(m_sitePort)
            + "\r\nConnection: close\r\n";
        for (const auto& [name, value] : request.headers) {
            std::string lower(name);
            std::transform(lower.begin(), lower.end(), lower.begin(), [](unsigned char c) { return std::tolower(c); });
            if (lower != "host" && lower != "connection" && lower != "content-length" && lower != "expect")
                head += name + ": " + value + "\r\n";
        }
        head += "Content-Length: " + std::to_string(request.body.size()) + "\r\n\r\n" + request.body;
        for (size_t sent = 0; sent < head.size();) {
            ssize_t written = ::send(socket, head.data() + sent, head.size() - sent, MSG_NOSIGNAL);
            if (written <= 0)
                break;
            sent += static_cast<size_t>(written);
        }
        std::string reply;
        char buffer[65536];
        for (ssize_t got; (got = ::recv(socket, buffer, sizeof buffer, 0)) > 0;)
            reply.append(buffer, static_cast<size_t>(got));
        ::close(socket);

        size_t headEnd = reply.find("\r\n\r\n");
        if (headEnd == std::string::npos || reply.size() < 12)
            return answer;
        answer.status = std::stoi(reply.substr(9, 3));
        answer.body = reply.substr(headEnd + 4);
        size_t line = reply.find("\r\n") + 2;
        while (line < headEnd) {
            size_t end = reply.find("\r\n", line);
            std::string field = reply.substr(line, end - line);
            line = end + 2;
            size_t colon = field.find(':');
            if (colon == std::string::npos)
                continue;
            std::string name = field.substr(0, colon);
            std::string lower(name);
            std::transform(lower.begin(), lower.end(), lower.begin(), [](unsigned char c) { return std::tolower(c); });
            if (lower == "link" || lower.starts_with("x-wp-") || lower == "content-length" || lower == "connection"
                || lower == "transfer-encoding")
                continue;
            size_t valueStart = field.find_first_not_of(' ', colon + 1);
            answer.headers.emplace_back(name, valueStart == std::string::npos ? std::string() : field.substr(valueStart));
        }
        return answer;
    }

    uint16_t m_sitePort;
    testserver::LoopbackHTTPServer m_server;
};

TEST_P(RESTSiteListing, AProxyDroppingThePagingHeadersChangesNothing)
{
    Dictionary blog = siteBlogDescription();
    std::vector<Dictionary> direct = listPosts(blog, false);

    auto siteURL = URL::create(m_site.url);
    ASSERT_TRUE(siteURL && siteURL->port());
    HeaderStrippingProxy proxy(static_cast<uint16_t>(*siteURL->port()));
    m_account->setRootURLString(proxy.url() + u"/");
    if (plain())
        m_account->setRemoteEndpointURLString(proxy.url() + u"/?rest_route=/");
    // The keychain keeps the password under the account's address: it is given again for the proxy's.
    useUser(m_site.administrator);
    std::vector<Dictionary> proxied = listPosts(blog, false);

    ASSERT_EQ(proxied.size(), direct.size());
    for (size_t index = 0; index < direct.size(); ++index) {
        EXPECT_EQ(proxied[index].at(u"identifierUsedByBlogService"), direct[index].at(u"identifierUsedByBlogService"));
        EXPECT_EQ(proxied[index].at(u"sourceContentString"), direct[index].at(u"sourceContentString"));
    }
}

INSTANTIATE_TEST_SUITE_P(Site, RESTSiteListing, ::testing::Values(Permalinks::Pretty, Permalinks::Plain), permalinksName);

} // namespace
} // namespace brevanton::testing
