#include "ApplicationDelegateTestSupport.h"
#include "EditingTestSupport.h"

#include "app/VornickResourceLoadAttempt.h"
#include "dom/VornickDocumentHeadFields.h"
#include "editing/VornickFragmentSetLoading.h"
#include "html/VornickFragmentSet.h"
#include "html/VornickWebFrameEditingState.h"
#include "toolkit/VornickErrors.h"
#include "toolkit/VornickLog.h"

using namespace brevanton;
using namespace brevanton::testing;

namespace {

class SnippetSetLoading : public EditingViewTest {
protected:
    void SetUp() override
    {
        EditingViewTest::SetUp();
        m_delegate.install(m_folder + "/defaults.plist");
    }
    void TearDown() override
    {
        view.reset();
        m_delegate.remove();
        VornickSetFragmentSetLoaders(VornickDefaultFragmentSetLoaders());
        EditingViewTest::TearDown();
    }

    std::shared_ptr<VornickFragmentSet> userSet() const { return vornick_userFragmentSet(*view->mainFrame()); }
    bool waitForSnippetValidation() const
    {
        return RunLoop::main().runUntil([set = userSet()] { return set && set->numberOfValidationsInProgress() == 0; }, 20);
    }

    TestApplicationDelegate m_delegate;
};

TEST_F(SnippetSetLoading, ADocumentsSnippetSetIsReadFromTheRegistryAndValidatedForItsType)
{
    auto before = contents("snippets.html");
    load("snippets.html");
    EXPECT_EQ(view->loadingState(), VornickContentLoadingState::Succeeded);
    auto set = userSet();
    ASSERT_TRUE(set);
    EXPECT_EQ(set->title(), u"Site");
    // The one object of the file, which the head still names as the author wrote it.
    EXPECT_EQ(VornickFragmentSet::fragmentSetWithContentsOfURL(url("Site.brevantonsnippets")), set);
    EXPECT_EQ(vornick_fragmentSetRelativeURLString(*document()), u"Site.brevantonsnippets");

    // The set is checked against the document's type, and the element rules follow the set.
    ASSERT_TRUE(waitForSnippetValidation());
    auto quote = set->fragmentDescriptionMatchingTabTrigger(u"bq");
    auto emphasis = set->fragmentDescriptionMatchingTabTrigger(u"em");
    ASSERT_TRUE(quote && emphasis);
    EXPECT_EQ(emphasis->validationResultForDocumentType(VornickHTMLDocumentType::HTML5)->validationStatus(),
              VornickFragmentValidationStatus::Valid);
    EXPECT_EQ(quote->validationResultForDocumentType(VornickHTMLDocumentType::HTML5)->validationStatus(),
              VornickFragmentValidationStatus::Errors);
    EXPECT_FALSE(set->bodyElementIsAllowed(u"BLOCKQUOTE"));

    // Saving keeps the document's reference and leaves the set's file alone.
    auto setFile = contents("Site.brevantonsnippets");
    std::vector<Error> errors;
    ASSERT_TRUE(view->writeHTMLDocumentToURL(url("snippets.html"), std::nullopt, false, &errors));
    EXPECT_NE(contents("snippets.html").find("<link rel=\"brevanton-snippet-set\" href=\"Site.brevantonsnippets\""), std::string::npos)
        << contents("snippets.html");
    EXPECT_EQ(contents("Site.brevantonsnippets"), setFile);

    // A second view of another document naming the same file shares the set.
    ASSERT_TRUE(writeFileAtomically(path("other.html"), before));
    auto other = VornickContentEditingView::create(Rect(0, 0, 400, 300));
    Error error;
    ASSERT_TRUE(other->loadContentFromURL(url("other.html"), &error)) << error;
    EXPECT_EQ(vornick_userFragmentSet(*other->mainFrame()), set);
}

TEST_F(SnippetSetLoading, AReferenceFromTheFileEntitlementDelegateReadsTheSameSet)
{
    view->setFileEntitlementDelegate(m_delegate.get());
    load("snippets.html");
    auto set = userSet();
    ASSERT_TRUE(set);
    EXPECT_EQ(set, VornickFragmentSet::fragmentSetWithContentsOfURL(url("Site.brevantonsnippets")));
    ASSERT_TRUE(waitForSnippetValidation());
    EXPECT_TRUE(set->fragmentDescriptionMatchingTabTrigger(u"em")->hasValidationResultForDocumentType(VornickHTMLDocumentType::HTML5));
}

TEST_F(SnippetSetLoading, ASnippetSetThatDoesNotParseIsLoggedAndLeftAsItIs)
{
    const std::string broken = "{\n  \"formatVersion\" : 1,\n  \"title\" : \"Site\"\n  \"groups\" : [ ]\n}\n";
    ASSERT_TRUE(writeFileAtomically(path("Site.brevantonsnippets"), broken));
    load("snippets.html");
    // The document loads, without a set, and nobody writes over the file.
    EXPECT_EQ(view->loadingState(), VornickContentLoadingState::Succeeded);
    EXPECT_FALSE(userSet());
    EXPECT_EQ(contents("Site.brevantonsnippets"), broken);
    auto log = toUTF8(VornickLog::generalLog().text());
    EXPECT_NE(log.find("Site.brevantonsnippets\u201D could not be read: it is not valid JSON at line 4"), std::string::npos) << log;

    std::vector<Error> errors;
    ASSERT_TRUE(view->writeHTMLDocumentToURL(url("snippets.html"), std::nullopt, false, &errors));
    EXPECT_NE(contents("snippets.html").find("href=\"Site.brevantonsnippets\""), std::string::npos);
}

TEST_F(SnippetSetLoading, WithoutReadPermissionTheSetIsAFailedLoadAttempt)
{
    m_delegate->setFileAccessPolicy([](const URL& url) { return url.pathExtension() != u"brevantonsnippets"; });
    load("snippets.html");
    EXPECT_FALSE(userSet());
    EXPECT_EQ(view->loadingState(), VornickContentLoadingState::PartlyFailed);
    ASSERT_EQ(view->failedResourceLoadAttempts().size(), 1u);
    const auto& attempt = *view->failedResourceLoadAttempts().front();
    EXPECT_EQ(attempt.state(), VornickResourceLoadState::FailedForLackOfFileAccess);
    ASSERT_TRUE(attempt.error());
    EXPECT_EQ(attempt.error()->code(), VornickSnippetSetNotReadableError);
}

} // namespace
