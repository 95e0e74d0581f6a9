#include "html/VornickFragmentCompletionSet.h"

#include "html/VornickFragmentSet.h"
#include "html/VornickHTMLSpec.h"
#include "platform/foundation/Assertions.h"
#include "platform/foundation/Text.h"

#include <gtest/gtest.h>

using namespace brevanton;

namespace {

std::shared_ptr<VornickFragmentSet> setWith(const char16_t* title, std::initializer_list<std::pair<const char16_t*, const char16_t*>> snippets)
{
    auto set = VornickFragmentSet::createWithTitle(title);
    auto group = VornickFragmentGroup::create(u"Group");
    for (const auto& [name, trigger] : snippets)
        group->addFragmentDescription(std::make_shared<VornickGeneralFragmentDescription>(name, name, trigger, u"", u"<p>{content}</p>", u""));
    set->addGroup(group);
    return set;
}

// What each match offers: "<tag>" for an element, the name for a snippet.
std::vector<std::string> offered(const VornickFragmentCompletionSet& set, std::u16string_view search)
{
    std::vector<std::string> names;
    for (const auto& match : set.rankedMatchesForSearchString(search)) {
        if (auto spec = VornickFragmentCompletionSet::elementSpecOfMatch(match))
            names.push_back("<" + toUTF8(asciiLowercase(spec->tagName())) + ">");
        else if (auto description = VornickFragmentCompletionSet::fragmentDescriptionOfMatch(match))
            names.push_back(toUTF8(description->displayName()));
    }
    return names;
}

TEST(VornickFragmentCompletionSet, OffersElementsAndSnippetsOnceEach)
{
    auto spec = VornickHTMLSpec::htmlSpecForDocumentType(VornickHTMLDocumentType::HTML5);
    ASSERT_TRUE(spec);
    auto base = setWith(u"Base", { { u"Pull Quote", u"pq" }, { u"Aside Note", u"" } });
    auto user = setWith(u"User", { { u"Boxed", u"em" } });
    VornickFragmentCompletionSet completion(base, user, spec);
    completion.rebuildIndex();

    // Found by its trigger and by its name, the snippet comes once.
    auto pq = offered(completion, u"pq");
    ASSERT_FALSE(pq.empty());
    EXPECT_EQ(pq[0], "Pull Quote");
    EXPECT_EQ(std::count(pq.begin(), pq.end(), "Pull Quote"), 1);

    // Elements by tag name; the user's trigger "em" took that string from the element.
    auto block = offered(completion, u"blockquote");
    ASSERT_FALSE(block.empty());
    EXPECT_EQ(block[0], "<blockquote>");
    auto em = offered(completion, u"em");
    ASSERT_FALSE(em.empty());
    EXPECT_EQ(em[0], "Boxed");
    EXPECT_EQ(std::count(em.begin(), em.end(), "<em>"), 0);
    EXPECT_EQ(offered(completion, u"aside note")[0], "Aside Note");

    // Head elements are not offered.
    for (const auto& name : offered(completion, u"title"))
        EXPECT_NE(name, "<title>");
}

TEST(VornickFragmentCompletionSet, ASubclassLeavesElementsOut)
{
    struct NoParagraphs : VornickFragmentCompletionSet {
        using VornickFragmentCompletionSet::VornickFragmentCompletionSet;
        bool shouldIncludeElement(std::u16string_view tagName) const override { return tagName != u"p"; }
    };
    NoParagraphs completion(nullptr, nullptr, VornickHTMLSpec::htmlSpecForDocumentType(VornickHTMLDocumentType::HTML5));
    completion.rebuildIndex();
    auto names = offered(completion, u"p");
    EXPECT_EQ(std::count(names.begin(), names.end(), "<p>"), 0);
    EXPECT_EQ(std::count(names.begin(), names.end(), "<pre>"), 1);
    EXPECT_THROW(VornickFragmentCompletionSet(nullptr, nullptr, nullptr), InternalInconsistencyException);
}

} // namespace
