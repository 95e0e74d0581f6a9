#include "html/VornickFragmentSet.h"

#include "html/VornickTextPattern.h"
#include "platform/dom/DOMDocument.h"

#include "platform/foundation/Assertions.h"
#include "platform/foundation/FileUtilities.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/Text.h"
#include "platform/foundation/URL.h"
#include "toolkit/VornickEnduringFileReference.h"

#include <gtest/gtest.h>

#include <filesystem>

using namespace brevanton;

namespace {

class SnippetSet : public ::testing::Test {
protected:
    void SetUp() override
    {
        auto folder = createTemporaryDirectory("brevanton-snippet-set");
        ASSERT_TRUE(folder);
        m_folder = *folder;
        std::filesystem::copy_file(std::string(BREVANTON_TEST_DATA_DIR) + "/snippet-sets/Writing.brevantonsnippets",
                                   m_folder + "/Writing.brevantonsnippets");
    }
    void TearDown() override { std::filesystem::remove_all(m_folder); }

    URL url(const std::string& name) const { return URL::fileURLWithPath(m_folder + "/" + name); }
    std::shared_ptr<VornickFragmentSet> writing()
    {
        Error error;
        auto set = VornickFragmentSet::fragmentSetWithContentsOfURL(url("Writing.brevantonsnippets"), &error);
        EXPECT_TRUE(set) << error;
        return set;
    }
    // Runs the main loop until the set's validations are all in.
    static bool waitForValidation(const VornickFragmentSet& set)
    {
        return RunLoop::main().runUntil([&set] { return set.numberOfValidationsInProgress() == 0; }, 20);
    }

    std::string m_folder;
};

TEST_F(SnippetSet, LookupsTakeTheFirstMatchInGroupOrder)
{
    auto set = writing();
    ASSERT_TRUE(set);
    ASSERT_EQ(set->groups().size(), 2u);
    EXPECT_EQ(set->groups()[1]->title(), u"Blocks");
    EXPECT_EQ(set->groups()[1]->fragmentSet(), set);

    // Two snippets share "pq" and, ignoring case, "pull-quote": the first group's wins.
    auto byTrigger = set->fragmentDescriptionMatchingTabTrigger(u"pq");
    ASSERT_TRUE(byTrigger);
    EXPECT_EQ(byTrigger->displayName(), u"Pull Quote");
    EXPECT_EQ(byTrigger->group(), set->groups()[0]);
    EXPECT_EQ(byTrigger->fragmentSet(), set);
    EXPECT_EQ(set->fragmentDescriptionWithIdentifier(u"Pull-Quote"), byTrigger);
    // Triggers compare exactly; names and identifiers ignore case.
    EXPECT_FALSE(set->fragmentDescriptionMatchingTabTrigger(u"PQ"));
    EXPECT_EQ(set->fragmentDescriptionWithDisplayName(u"boxed SECTION")->identifier(), u"boxed");
    EXPECT_EQ(set->fragmentDescriptionWithDisplayName(u"second pull quote")->identifier(), u"PULL-QUOTE");
    // A snippet without a trigger is not what an empty trigger finds.
    EXPECT_FALSE(set->fragmentDescriptionMatchingTabTrigger(u""));
    EXPECT_FALSE(set->fragmentDescriptionWithIdentifier(u""));
    EXPECT_FALSE(set->fragmentDescriptionWithDisplayName(u"Missing"));

    // Beyond ASCII, case is still ignored.
    auto group = VornickFragmentGroup::create(u"Umlaut");
    group->addFragmentDescription(std::make_shared<VornickGeneralFragmentDescription>(u"\u00DCber", u"\u00C4rger", u"", u"", u"<p>x</p>", u""));
    set->addGroup(group);
    EXPECT_TRUE(set->fragmentDescriptionWithIdentifier(u"\u00FCBER"));
    EXPECT_TRUE(set->fragmentDescriptionWithDisplayName(u"\u00E4rger"));
}

TEST_F(SnippetSet, AllowedBodyElementsRestrictOnlyWhenListed)
{
    auto set = writing();
    ASSERT_TRUE(set);
    EXPECT_TRUE(set->bodyElementIsAllowed(u"BLOCKQUOTE"));
    EXPECT_TRUE(set->bodyElementIsAllowed(u"p"));
    EXPECT_FALSE(set->bodyElementIsAllowed(u"DIV"));

    auto plain = VornickFragmentSet::createWithTitle(u"Scratch");
    EXPECT_EQ(plain->title(), u"Scratch");
    EXPECT_FALSE(plain->fileReference());
    EXPECT_TRUE(plain->groups().empty());
    EXPECT_TRUE(plain->bodyElementIsAllowed(u"marquee"));
    plain->setAllowedBodyElements(std::set<std::u16string> { u"TABLE" });
    EXPECT_TRUE(plain->bodyElementIsAllowed(u"table"));
    EXPECT_FALSE(plain->bodyElementIsAllowed(u"marquee"));

    // A group or a snippet belongs to one owner.
    auto group = VornickFragmentGroup::create(u"G");
    plain->addGroup(group);
    EXPECT_THROW(set->addGroup(group), InternalInconsistencyException);
    EXPECT_THROW(group->addFragmentDescription(set->groups()[0]->fragmentDescriptions()[0]), InternalInconsistencyException);
}

TEST_F(SnippetSet, TheRegistryKeepsOneSetPerFileWhileItIsHeld)
{
    auto set = writing();
    ASSERT_TRUE(set);
    ASSERT_TRUE(set->fileReference());
    ASSERT_TRUE(createDirectory(m_folder + "/sub"));
    std::filesystem::create_symlink(m_folder + "/Writing.brevantonsnippets", m_folder + "/Link.brevantonsnippets");

    // Another spelling of the path, a symbolic link and an enduring reference all find the same object.
    auto dotted = URL::fileURLWithPath(m_folder + "/sub/../Writing.brevantonsnippets");
    EXPECT_EQ(VornickFragmentSet::fragmentSetWithContentsOfURL(dotted), set);
    EXPECT_EQ(VornickFragmentSet::fragmentSetWithContentsOfURL(url("Link.brevantonsnippets")), set);
    auto reference = VornickEnduringFileReference::enduringReferenceToFileURL(url("Writing.brevantonsnippets"));
    ASSERT_TRUE(reference);
    EXPECT_EQ(VornickFragmentSet::fragmentSetFromEnduringFileReference(*reference), set);
    EXPECT_EQ(reference->useCount(), 0);

    // Released, the file is read again and its changes are seen.
    std::weak_ptr<VornickFragmentSet> released = set;
    set.reset();
    EXPECT_TRUE(released.expired());
    auto renamed = VornickFragmentSet::createWithTitle(u"Renamed");
    Error error;
    ASSERT_TRUE(renamed->writeToURL(url("Writing.brevantonsnippets"), &error)) << error;
    auto again = writing();
    ASSERT_TRUE(again);
    EXPECT_EQ(again->title(), u"Renamed");

    // A reference to a file that went away gives no set.
    ASSERT_TRUE(removeItem(m_folder + "/Writing.brevantonsnippets"));
    auto stale = VornickEnduringFileReference::enduringReferenceToFileURL(url("Writing.brevantonsnippets"));
    ASSERT_TRUE(stale);
    EXPECT_FALSE(VornickFragmentSet::fragmentSetFromEnduringFileReference(*stale, &error));
    EXPECT_EQ(stale->useCount(), 0);
    EXPECT_FALSE(VornickFragmentSet::fragmentSetNamed(u"No Such Set", &error));
}

TEST_F(SnippetSet, ValidationRunsInTheBackgroundOncePerSnippetAndType)
{
    auto set = writing();
    ASSERT_TRUE(set);
    auto pullQuote = set->fragmentDescriptionWithIdentifier(u"pull-quote");
    auto boxed = set->fragmentDescriptionWithIdentifier(u"boxed");
    auto broken = set->fragmentDescriptionWithIdentifier(u"broken");
    ASSERT_TRUE(pullQuote && boxed && broken);
    EXPECT_EQ(pullQuote->validationResultForDocumentType(VornickHTMLDocumentType::HTML5)->validationStatus(),
              VornickFragmentValidationStatus::NoResultYet);

    set->requestValidationForDocumentType(VornickHTMLDocumentType::HTML5);
    EXPECT_EQ(set->numberOfValidationsInProgress(), 5u);
    // Asking again while they run starts nothing more.
    set->requestValidationForDocumentType(VornickHTMLDocumentType::HTML5);
    EXPECT_EQ(set->numberOfValidationsInProgress(), 5u);
    ASSERT_TRUE(waitForValidation(*set));

    auto html5 = VornickHTMLDocumentType::HTML5;
    EXPECT_EQ(pullQuote->validationResultForDocumentType(html5)->validationStatus(), VornickFragmentValidationStatus::Valid);
    // DIV is not among the set's allowed elements.
    auto boxedResult = boxed->validationResultForDocumentType(html5);
    EXPECT_EQ(boxedResult->validationStatus(), VornickFragmentValidationStatus::Errors);
    ASSERT_FALSE(boxedResult->advisories().empty());
    EXPECT_EQ(boxedResult->advisories()[0].message(), u"<div> disallowed by snippet set");
    EXPECT_EQ(broken->validationResultForDocumentType(html5)->validationStatus(), VornickFragmentValidationStatus::Errors);
    // Results are per type: another type is still pending.
    EXPECT_FALSE(pullQuote->hasValidationResultForDocumentType(VornickHTMLDocumentType::HTML401Strict));

    // Results found already are not sought again.
    set->requestValidationForDocumentType(html5);
    EXPECT_EQ(set->numberOfValidationsInProgress(), 0u);

    // A new list of allowed elements drops every result and every validation on its way.
    set->requestValidationForDocumentType(VornickHTMLDocumentType::XHTML10Strict);
    set->setAllowedBodyElements(std::nullopt);
    EXPECT_EQ(set->numberOfValidationsInProgress(), 0u);
    EXPECT_FALSE(boxed->hasValidationResultForDocumentType(html5));
    RunLoop::main().runFor(0.2);
    EXPECT_FALSE(boxed->hasValidationResultForDocumentType(VornickHTMLDocumentType::XHTML10Strict));
    set->requestValidationForDocumentType(html5);
    ASSERT_TRUE(waitForValidation(*set));
    EXPECT_EQ(boxed->validationResultForDocumentType(html5)->validationStatus(), VornickFragmentValidationStatus::Valid);

    EXPECT_THROW(set->requestValidationForDocumentType(VornickHTMLDocumentType::Unknown), InternalInconsistencyException);
    EXPECT_THROW((void)boxed->validationResultForDocumentType(static_cast<VornickHTMLDocumentType>(9)), InternalInconsistencyException);
}

TEST_F(SnippetSet, AValidationEndingAfterTheSetWentAwayChangesNothing)
{
    auto set = writing();
    ASSERT_TRUE(set);
    auto pullQuote = set->fragmentDescriptionWithIdentifier(u"pull-quote");
    set->requestValidationForDocumentType(VornickHTMLDocumentType::HTML5);
    set.reset();
    RunLoop::main().runFor(0.3);
    EXPECT_FALSE(pullQuote->hasValidationResultForDocumentType(VornickHTMLDocumentType::HTML5));
}

TEST(VornickGeneralFragmentDescription, SummaryIsTheMarkupOnOneShortLine)
{
    VornickGeneralFragmentDescription quote(u"q", u"Quote", u"", u"", u"  <blockquote>\n\t<p>{content}</p>\n</blockquote>\n", u"");
    EXPECT_EQ(quote.summaryForDisplay(), u"<blockquote> <p>{content}</p> </blockquote>");
    std::u16string longMarkup = u"<p>" + std::u16string(56, u'x') + u"\U0001F4AC</p>";
    VornickGeneralFragmentDescription wide(u"w", u"Wide", u"", u"", longMarkup, u"");
    // Cut before a character, never inside one.
    EXPECT_EQ(wide.summaryForDisplay(), u"<p>" + std::u16string(56, u'x') + u"\u2026");
}

} // namespace

namespace {

TEST(VornickShippedSnippetSets, LoadValidateAndOfferEveryEmbedTheTextPatternsName)
{
    Error error;
    auto general = VornickFragmentSet::fragmentSetNamed(u"General HTML", &error);
    ASSERT_TRUE(general) << error;
    auto blocks = VornickFragmentSet::fragmentSetNamed(u"WordPress-blocks", &error);
    ASSERT_TRUE(blocks) << error;
    EXPECT_EQ(VornickFragmentSet::fragmentSetNamed(u"WordPress-blocks"), blocks);
    auto classic = VornickFragmentSet::fragmentSetNamed(u"WordPress-classic", &error);
    ASSERT_TRUE(classic) << error;

    // Every shipped snippet is sound HTML 5.
    for (const auto& set : { general, blocks, classic }) {
        set->requestValidationForDocumentType(VornickHTMLDocumentType::HTML5);
        ASSERT_TRUE(RunLoop::main().runUntil([&set] { return set->numberOfValidationsInProgress() == 0; }, 30));
        for (const auto& group : set->groups()) {
            for (const auto& snippet : group->fragmentDescriptions()) {
                ASSERT_TRUE(snippet->hasValidationResultForDocumentType(VornickHTMLDocumentType::HTML5));
                auto result = snippet->validationResultForDocumentType(VornickHTMLDocumentType::HTML5);
                EXPECT_NE(result->validationStatus(), VornickFragmentValidationStatus::Errors)
                    << toUTF8(set->title()) << ": " << toUTF8(snippet->displayName()) << ": "
                    << (result->advisories().empty() ? "" : toUTF8(result->advisories()[0].message()));
            }
        }
    }

    // Each rule for pasted URLs names an embed snippet of the block set.
    auto& recognizer = VornickTextPatternRecognizer::sharedPatternRecognizer();
    ASSERT_FALSE(recognizer.actions().empty());
    for (const auto& action : recognizer.actions()) {
        ASSERT_TRUE(action->fragmentName());
        auto snippet = blocks->fragmentDescriptionWithDisplayName(*action->fragmentName());
        ASSERT_TRUE(snippet) << toUTF8(*action->fragmentName());
        EXPECT_TRUE(snippet->identifier().starts_with(u"wp:embed-")) << toUTF8(snippet->identifier());
    }
    // Block lookups by type find their snippets.
    for (const char16_t* type : { u"wp:paragraph", u"wp:heading2", u"wp:heading3", u"wp:quote", u"wp:list", u"wp:image",
                                  u"wp:post-terms-categories", u"wp:post-terms-tags", u"wp:embed-youtube" })
        EXPECT_TRUE(blocks->fragmentDescriptionWithIdentifier(type)) << toUTF8(type);
    // A dynamic block keeps its block source beside what the editor shows.
    EXPECT_EQ(blocks->fragmentDescriptionWithIdentifier(u"wp:post-terms-tags")->blockSourceString(),
              u"<!-- wp:post-terms {\"term\":\"post_tag\"} /-->");

    // The embed's URL goes into its block comment and its text alike.
    auto document = DOMDocument::createHTMLDocument(u"t");
    auto fragment = blocks->fragmentDescriptionWithIdentifier(u"wp:embed-youtube")
                        ->createDescribedFragmentWithValues({ { u"url", u"https://youtu.be/abc" } }, *document, nullptr);
    ASSERT_TRUE(fragment);
    auto markup = toUTF8(fragment->innerHTML());
    EXPECT_NE(markup.find("<!-- wp:embed {\"url\":\"https://youtu.be/abc\""), std::string::npos) << markup;
    EXPECT_NE(markup.find("\nhttps://youtu.be/abc\n"), std::string::npos) << markup;
    // A quote in the URL cannot end the attribute's JSON string.
    fragment = blocks->fragmentDescriptionWithIdentifier(u"wp:embed-youtube")
                   ->createDescribedFragmentWithValues({ { u"url", u"https://youtu.be/a\",\"type\":\"x" } }, *document, nullptr);
    ASSERT_TRUE(fragment);
    markup = toUTF8(fragment->innerHTML());
    EXPECT_NE(markup.find("{\"url\":\"https://youtu.be/a\\\",\\\"type\\\":\\\"x\",\"type\":\"video\""), std::string::npos) << markup;
}

} // namespace
