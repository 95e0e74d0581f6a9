// The post templates step against the real site: the sample pages of a
// synced blog become "page.html" and "post-standard.html"; with drafts, the
// step logs in with the login password over XML-RPC, previews its proxy draft
// and moves the draft to the site's trash. Only 127.0.0.1 is ever reached.
#include "blog/VornickBlogServiceSyncSession.h"
#include "blog/VornickBlogSyncStep.h"
#include "blog/VornickPublishedBlog.h"
#include "blog/VornickPublishedBlogSynchronizer.h"
#include "blog/VornickWordPressBlog.h"
#include "blog/VornickWordPressBlogPost.h"
#include "documents/VornickProjectIndex.h"
#include "platform/foundation/FileUtilities.h"
#include "platform/foundation/Text.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/keychain/FileKeychainStore.h"
#include "platform/net/HTTPCookieStorage.h"
#include "platform/store/ManagedObjectContext.h"
#include "tests/wordpress/site/RESTSiteTestSupport.h"
#include "toolkit/VornickLog.h"
#include "toolkit/VornickObjectArchive.h"
#include "wordpress/VornickGetWordPressPostTemplatesStep.h"
#include "wordpress/VornickWordPressAccount.h"
#include "wordpress/VornickWordPressAgentFactory.h"
#include "wordpress/VornickWordPressBlogProject.h"
#include "wordpress/VornickWordPressIntegrator.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>

namespace brevanton::testing {
namespace {

// Makes the account's agent, gives the blog the post formats and statuses an
// exhaustive session would fetch first, and hands the proxy draft's answers
// to the templates step, keeping them out of the index.
class TemplatesSiteIntegrator final : public VornickWordPressIntegrator {
public:
    std::shared_ptr<VornickWordPressAccount> account;
    std::shared_ptr<VornickGetWordPressPostTemplatesStep> templatesStep;
    std::vector<std::u16string> trashedDrafts;

    std::shared_ptr<VornickBlogServiceAgent> agent() override
    {
        if (!VornickBlogServiceIntegrator::agent())
            setAgent(vornickMakeWordPressAgentForAccount(account));
        return VornickBlogServiceIntegrator::agent();
    }

    std::shared_ptr<VornickPublishedBlog> importBlogDescription(const Dictionary& description, std::shared_ptr<VornickPublishedBlog> blog,
                                                                const std::optional<URL>& sourceFile) override
    {
        auto imported = VornickWordPressIntegrator::importBlogDescription(description, std::move(blog), sourceFile);
        if (!imported)
            return imported;
        auto* context = this->context();
        auto addIfMissing = [&](const char16_t* entity, const char16_t* relationship, const char16_t* identifier) {
            for (auto& existing : imported->objectsForKey(relationship)) {
                if (existing->valueForKey(u"identifier") == Value(identifier))
                    return;
            }
            auto object = context->insertNewObject(entity);
            object->setValueForKey(Value(identifier), u"identifier");
            object->setValueForKey(Value(identifier), u"title");
            object->setObjectForKey(imported, u"blog");
        };
        // "aside" has no published post: with drafts, its template comes from the proxy draft.
        for (auto format : { u"standard", u"aside" })
            addIfMissing(u"PostFormat", u"postFormats", format);
        for (auto status : { u"publish", u"draft", u"pending", u"private", u"future" })
            addIfMissing(u"PostStatus", u"postStatuses", status);
        return imported;
    }

    static bool isProxyDraft(const Value& nativeIdentifier) { return nativeIdentifier == Value(VornickTemplateProxyDraftMarker); }

    void blogServiceAgentSuccessfullySentPostChanges(VornickBlogServiceAgent& agent, const Dictionary& changes, const Dictionary& blog,
                                                     const Value& nativeIdentifier, const Dictionary& newDescription, bool await) override
    {
        if (!isProxyDraft(nativeIdentifier)) {
            VornickWordPressIntegrator::blogServiceAgentSuccessfullySentPostChanges(agent, changes, blog, nativeIdentifier, newDescription, await);
            return;
        }
        auto found = newDescription.find(u"identifierUsedByBlogService");
        templatesStep->updatedProxyDraftAndReceivedWordPressIdentifier(
            found != newDescription.end() && found->second.isString() ? std::optional(found->second.string()) : std::nullopt);
    }
    void blogServiceAgentFailedToSendPostChanges(VornickBlogServiceAgent& agent, const Dictionary& changes, const Dictionary& blog) override
    {
        // The draft's first upload carries its title, later ones only its identifier and format.
        auto title = changes.find(u"title");
        bool draft = title != changes.end() ? title->second == Value(VornickTemplateProxyDraftMarker)
                                            : changes.size() == 2 && changes.contains(u"format") && changes.contains(u"identifierUsedByBlogService");
        if (draft)
            templatesStep->failedToUpdateProxyDraft();
        else
            VornickWordPressIntegrator::blogServiceAgentFailedToSendPostChanges(agent, changes, blog);
    }
    void blogServiceAgentReceivedUpdatedPropertiesForJustPublishedPost(VornickBlogServiceAgent& agent, const Dictionary& properties,
                                                                       const Dictionary& blog, const Value& nativeIdentifier) override
    {
        if (!isProxyDraft(nativeIdentifier))
            VornickWordPressIntegrator::blogServiceAgentReceivedUpdatedPropertiesForJustPublishedPost(agent, properties, blog, nativeIdentifier);
    }
    void blogServiceAgentFailedToReceiveUpdatedPropertiesForJustPublishedPost(VornickBlogServiceAgent& agent, const std::u16string& identifier,
                                                                              const Dictionary& blog, const Value& nativeIdentifier) override
    {
        if (!isProxyDraft(nativeIdentifier))
            VornickWordPressIntegrator::blogServiceAgentFailedToReceiveUpdatedPropertiesForJustPublishedPost(agent, identifier, blog,
                                                                                                              nativeIdentifier);
    }
    void blogServiceAgentSuccessfullyDeletedPostWithIdentifier(VornickBlogServiceAgent& agent, const std::u16string& identifier,
                                                               const Value& nativeIdentifier, const Dictionary& blog) override
    {
        if (isProxyDraft(nativeIdentifier))
            trashedDrafts.push_back(identifier);
        else
            VornickWordPressIntegrator::blogServiceAgentSuccessfullyDeletedPostWithIdentifier(agent, identifier, nativeIdentifier, blog);
    }
};

class TemplatesSiteProject final : public VornickWordPressBlogProject {
public:
    TemplatesSiteIntegrator& siteIntegrator() { return static_cast<TemplatesSiteIntegrator&>(integrator()); }

protected:
    std::unique_ptr<VornickBlogServiceIntegrator> makeIntegrator() const override { return std::make_unique<TemplatesSiteIntegrator>(); }
};

class TemplatesSite : public ::testing::Test {
protected:
    // A synced account project; with drafts, one that logs in with the login password over XML-RPC.
    void setUpSite(bool drafts)
    {
        BREVANTON_REQUIRE_WORDPRESS_SITE(site);
        m_site = site;
        std::string output;
        ASSERT_TRUE(runWordPressSiteScript("restore", {}, &output)) << output;
        URLSession::setOnlyLoopbackForTesting(true);
        m_folder = createTemporaryDirectory("wordpress-templates-site").value();
        if (const char* dataHome = std::getenv("XDG_DATA_HOME"))
            m_savedDataHome = dataHome;
        ASSERT_TRUE(createDirectory(m_folder + "/data"));
        ::setenv("XDG_DATA_HOME", (m_folder + "/data").c_str(), 1);
        KeychainStore::setDefaultStore(std::make_shared<FileKeychainStore>(m_folder + "/Keychain.json"));
        UserDefaults::standard().setBool(drafts, u"FetchWordPressTemplatesByCreatingDrafts");

        Error error;
        m_project = VornickProject::createWithNewProjectFileURL<TemplatesSiteProject>(
            URL::fileURLWithPath(m_folder + "/Site.brevantonwordpressproject", false), &error);
        ASSERT_TRUE(m_project) << error;
        m_account = m_project->wordPressAccount();
        m_account->setRootURLString(m_site.url + u"/");
        m_account->setUseXMLRPC(drafts);
        m_account->setLoginID(m_site.administrator.username);
        ASSERT_TRUE(m_account->setPassword(drafts ? m_site.administrator.password : m_site.administrator.applicationPassword, &error)) << error;
        auto& integrator = m_project->siteIntegrator();
        integrator.account = m_account;
        m_log = m_project->syncLog();
        integrator.setSyncLog(m_log);

        auto& synchronizer = m_project->synchronizer();
        ASSERT_TRUE(synchronizer.queueManualSync());
        ASSERT_TRUE(RunLoop::main().runUntil([&] { return !synchronizer.currentSyncSession(); }, 180)) << "the sync is still running";
        m_blog = std::dynamic_pointer_cast<VornickWordPressBlog>(
            integrator.existingBlogForDescription({ { u"identifierUsedByBlogService", Value(u"1") } }));
        ASSERT_TRUE(m_blog) << toUTF8(m_log->text());
        // WordPress's own sample page, as the pages' sync would bring it.
        if (m_blog->pagesOnly().empty()) {
            auto page = std::dynamic_pointer_cast<VornickWordPressBlogPost>(m_project->index()->managedObjectContext()->insertNewObject(u"BlogPost"));
            ASSERT_TRUE(page->prepareNewPageAndAssociateWithBlog(m_blog));
            page->setValueForKey(Value(u"page"), u"type");
            page->setValueForKey(Value(m_site.url + u"/sample-page/"), u"permalinkURLString");
            for (auto& status : m_blog->objectsForKey(u"postStatuses")) {
                if (status->valueForKey(u"identifier") == Value(u"publish"))
                    page->setObjectForKey(status, u"status");
            }
        }
    }

    void TearDown() override
    {
        if (m_project) {
            m_project->siteIntegrator().setSyncSession(nullptr);
            m_project->siteIntegrator().setAgent(nullptr);
            m_project->siteIntegrator().templatesStep.reset();
        }
        if (m_blog)
            m_blog->releaseWebResourceCache();
        m_blog.reset();
        m_project.reset();
        HTTPCookieStorage::shared()->removeAllCookies();
        UserDefaults::standard().removeObjectForKey(u"FetchWordPressTemplatesByCreatingDrafts");
        KeychainStore::setDefaultStore(nullptr);
        if (!m_folder.empty()) {
            ::setenv("XDG_DATA_HOME", m_savedDataHome.c_str(), 1);
            EXPECT_TRUE(removeItem(m_folder));
        }
        URLSession::setOnlyLoopbackForTesting(false);
    }

    // Runs a template download session holding the step until it ends.
    std::shared_ptr<VornickGetWordPressPostTemplatesStep> downloadTemplates()
    {
        auto& integrator = m_project->siteIntegrator();
        auto session = std::make_shared<VornickBlogServiceSyncSession>(VornickSyncSessionType::TemplateDownload);
        auto blogStep = session->addStepForBlogWithDescription(m_blog->archivalRepresentation()->propertyList());
        auto step = std::make_shared<VornickGetWordPressPostTemplatesStep>(u"getTemplates", u"Update Templates");
        blogStep->addStep(step);
        integrator.templatesStep = step;
        integrator.setSyncSession(session);
        session->setState(VornickSyncStepState::Active);
        EXPECT_TRUE(RunLoop::main().runUntil([&] { return !session->active(); }, 180)) << "the session is still running";
        RunLoop::main().runFor(0.5);
        return step;
    }

    std::string templateText(const std::string& name)
    {
        std::ifstream stream(*m_blog->templatesFolderURL()->fileSystemPath() + "/" + name);
        return std::string(std::istreambuf_iterator<char>(stream), {});
    }

    WordPressSite m_site;
    std::string m_folder;
    std::string m_savedDataHome;
    std::shared_ptr<TemplatesSiteProject> m_project;
    std::shared_ptr<VornickWordPressAccount> m_account;
    std::shared_ptr<VornickWordPressBlog> m_blog;
    std::shared_ptr<VornickLog> m_log;
};

TEST_F(TemplatesSite, SamplePagesBecomeThePageAndStandardTemplates)
{
    setUpSite(false);
    if (HasFatalFailure() || IsSkipped())
        return;
    auto step = downloadTemplates();
    EXPECT_EQ(step->state(), VornickSyncStepState::Completed) << toUTF8(m_log->text());
    std::string base = "<base href=\"" + toUTF8(m_site.url) + "/";
    for (auto name : { "page.html", "post-standard.html" }) {
        std::string page = templateText(name);
        EXPECT_NE(page.find(base), std::string::npos) << name << "\n" << toUTF8(m_log->text());
        EXPECT_NE(page.find("wp-site-blocks"), std::string::npos) << name;
        EXPECT_EQ(page.find("error404"), std::string::npos) << name;
    }
}

TEST_F(TemplatesSite, DraftModeLogsInPreviewsTheDraftAndTrashesIt)
{
    setUpSite(true);
    if (HasFatalFailure() || IsSkipped())
        return;
    auto step = downloadTemplates();
    std::string log = toUTF8(m_log->text());
    EXPECT_EQ(step->state(), VornickSyncStepState::Completed) << log;
    EXPECT_TRUE(step->loginSucceeded()) << log;
    EXPECT_NE(log.find("Login succeeded."), std::string::npos) << log;
    EXPECT_EQ(log.find(toUTF8(m_site.administrator.password)), std::string::npos);
    for (auto name : { "post-standard.html", "post-aside.html" }) {
        std::string page = templateText(name);
        EXPECT_NE(page.find("wp-site-blocks"), std::string::npos) << name << "\n" << log;
        EXPECT_EQ(page.find("error404"), std::string::npos) << name;
    }

    ASSERT_TRUE(step->proxyDraftWordPressIdentifier()) << log;
    ASSERT_TRUE(RunLoop::main().runUntil([&] { return !m_project->siteIntegrator().trashedDrafts.empty(); }, 30)) << log;
    EXPECT_EQ(m_project->siteIntegrator().trashedDrafts, std::vector<std::u16string> { *step->proxyDraftWordPressIdentifier() });
    SiteReply reply = siteRESTRequest(m_site, m_site.administrator, u"GET",
                                      u"/wp/v2/posts/" + *step->proxyDraftWordPressIdentifier() + u"?context=edit");
    ASSERT_TRUE(reply.json);
    EXPECT_EQ((*reply.json)[u"status"], Value(u"trash"));
}

} // namespace
} // namespace brevanton::testing
