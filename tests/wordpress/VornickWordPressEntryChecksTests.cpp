#include "wordpress/VornickWordPressEntryChecks.h"

#include "platform/foundation/FileUtilities.h"
#include "toolkit/VornickLog.h"

#include <gtest/gtest.h>

namespace brevanton {
namespace {

Dictionary post(std::u16string identifier, std::u16string title)
{
    return { { u"identifierUsedByBlogService", Value(std::move(identifier)) }, { u"title", Value(std::move(title)) } };
}

TEST(VornickWordPressEntryChecksTests, OnlySoundEntriesReachTheIntegratorEachOtherNamedInTheLog)
{
    auto folder = createTemporaryDirectory("entry-checks").value();
    auto log = VornickLog::create(URL::fileURLWithPath(folder + "/sync.log", false));
    Dictionary withTerms = post(u"5", u"Terms");
    withTerms[u"categoryIdentifiers"] = Value(Array { Value(u"3"), Value(u"4.5") });
    Dictionary withParent { { u"identifierUsedByBlogService", Value(u"6") }, { u"title", Value(u"Child") },
                            { u"parentCategoryIdentifier", Value(u"0") } };
    Dictionary withVariant = post(u"7", u"Image");
    withVariant[u"variants"] = Value(Dictionary { { std::u16string(u"thumb\0", 6), Value(Dictionary()) } });
    struct Case {
        Dictionary description;
        std::optional<std::u16string> problem;
    } cases[] = {
        { post(u"12", u"Caf\u00e9 \U0001F600\ttab\u000Bpasted"), std::nullopt },
        { withParent, std::nullopt },
        { post(u"012", u"Zero first"), u"its id \"012\" is not a positive integer" },
        { post(u"1.5", u"Half"), u"its id \"1.5\" is not a positive integer" },
        { { { u"title", Value(u"No id") } }, u"it has no id" },
        { withTerms, u"its categoryIdentifiers \"4.5\" is not a positive integer" },
        { post(u"8", std::u16string(u"a\0b", 3)), u"its title is not valid text" },
        { post(u"9", u"lone \xD800"), u"its title is not valid text" },
        { post(u"10", u"marked \uFFFF"), u"its title is not valid text" },
        { withVariant, u"its variants is not valid text" },
    };
    std::vector<Dictionary> page;
    for (const auto& test : cases) {
        EXPECT_EQ(vornickWordPressDescriptionProblem(test.description), test.problem) << Value(test.description).description();
        page.push_back(test.description);
    }
    auto kept = vornickWordPressCheckedDescriptions(std::move(page), u"post", 50, log.get());
    ASSERT_EQ(kept.size(), 2u);
    EXPECT_EQ(kept[1], withParent);
    std::string text = toUTF8(log->text());
    EXPECT_NE(text.find("Skipping the post at position 53 of the listing: its id \"1.5\" is not a positive integer"), std::string::npos) << text;
    EXPECT_EQ(text.find('\0'), std::string::npos);
    EXPECT_EQ(vornickWordPressPrintableValue(Value(std::u16string(u"../\0\u00e9", 5) + std::u16string(30, u'x'))),
              "../??" + std::string(19, 'x') + "...");
    EXPECT_TRUE(removeItem(folder));
}

} // namespace
} // namespace brevanton
