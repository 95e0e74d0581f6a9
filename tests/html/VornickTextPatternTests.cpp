#include "html/VornickTextPattern.h"

#include "platform/foundation/FileUtilities.h"
#include "platform/foundation/Text.h"

#include <gtest/gtest.h>

using namespace brevanton;

namespace {

std::u16string expressionFor(std::u16string_view pattern, std::vector<std::u16string>* names = nullptr)
{
    std::u16string expression;
    VornickTextPattern::parsePatternString(pattern, [&](const std::u16string& string, const std::vector<std::u16string>& placeholderNames) {
        expression = string;
        if (names)
            *names = placeholderNames;
    });
    return expression;
}

TEST(TextPattern, CompilesPlaceholdersAndAnchors)
{
    std::vector<std::u16string> names;
    EXPECT_EQ(expressionFor(u"^watch?v={id}$", &names), u"^watch\\?v=(?<id>[-_%A-Za-z0-9]+)$");
    EXPECT_EQ(names, std::vector<std::u16string> { u"id" });

    VornickTextPattern watch(u"^watch?v={id}$");
    auto values = watch.matchString(u"watch?v=a_B-9");
    ASSERT_TRUE(values);
    EXPECT_EQ(*values, (VornickTextPatternValues { { u"id", u"a_B-9" } }));
    EXPECT_FALSE(watch.matchString(u"watch?v=a_B-9&t=3"));
    EXPECT_FALSE(watch.matchString(u"xwatch?v=a"));
    EXPECT_EQ(watch.description(), u"/^watch?v={id}$/");

    // Unanchored patterns match inside a longer text.
    VornickTextPattern photo(u"/photos/{user}/{id}");
    values = photo.matchString(u"see https://flickr.com/photos/jo%20e/123/in/album");
    ASSERT_TRUE(values);
    EXPECT_EQ(*values, (VornickTextPatternValues { { u"user", u"jo%20e" }, { u"id", u"123" } }));
    // Values stop at "." and "/".
    EXPECT_FALSE(photo.matchString(u"/photos/a.b/1"));
    values = photo.matchString(u"/photos/a/1.jpg");
    ASSERT_TRUE(values);
    EXPECT_EQ(values->at(u"id"), u"1");
    EXPECT_FALSE(photo.matchString(u"/photos//1"));

    // A brace that opens no placeholder makes the rest of the pattern literal.
    EXPECT_EQ(expressionFor(u"a{x1}b{y}", &names), u"a\\{x1\\}b\\{y\\}");
    EXPECT_TRUE(names.empty());
    VornickTextPattern literal(u"a{x1}b{y}");
    values = literal.matchString(u"-a{x1}b{y}-");
    ASSERT_TRUE(values);
    EXPECT_TRUE(values->empty());
    EXPECT_FALSE(literal.matchString(u"a{x1}bzz"));
    EXPECT_EQ(expressionFor(u"{a}{}{b}", &names), u"(?<a>[-_%A-Za-z0-9]+)\\{\\}\\{b\\}");
    EXPECT_EQ(names, std::vector<std::u16string> { u"a" });

    // "\$" at the end is a literal backslash and dollar, not an anchor.
    VornickTextPattern dollar(u"cost\\$");
    EXPECT_TRUE(dollar.matchString(u"cost\\$ more"));
    EXPECT_FALSE(dollar.matchString(u"cost"));
    VornickTextPattern anchored(u"{n}$");
    EXPECT_EQ(anchored.matchString(u"a/b")->at(u"n"), u"b");
}

TEST(TextPattern, PatternsWithoutExpressionMatchNothing)
{
    VornickTextPattern none(std::nullopt);
    EXPECT_FALSE(none.hasRegularExpression());
    EXPECT_FALSE(none.matchString(u"anything"));

    // Literal text never becomes an invalid or different expression.
    VornickTextPattern special(u"a(b]c[d)e|f*g+h.i");
    ASSERT_TRUE(special.hasRegularExpression());
    EXPECT_TRUE(special.matchString(u"a(b]c[d)e|f*g+h.i"));
    EXPECT_FALSE(special.matchString(u"a(b]c[d)e|f*g+hxi"));
}

TEST(TextPattern, ActionsAnswerTheFirstMatchingPattern)
{
    auto action = std::make_shared<VornickTextPatternAction>(
        std::vector<std::shared_ptr<const VornickTextPattern>> {
            std::make_shared<VornickTextPattern>(u"^https://vimeo.com/channels/{channel}/{id}"),
            std::make_shared<VornickTextPattern>(u"^https://vimeo.com/{id}") },
        u"Vimeo", std::nullopt);
    auto match = action->matchString(u"https://vimeo.com/channels/staff/42");
    ASSERT_TRUE(match);
    EXPECT_EQ(match->action().get(), action.get());
    EXPECT_EQ(match->values(), (VornickTextPatternValues { { u"channel", u"staff" }, { u"id", u"42" } }));
    EXPECT_EQ(action->matchString(u"https://vimeo.com/42")->values().at(u"id"), u"42");
    EXPECT_FALSE(action->matchString(u"https://example.com/42"));
    EXPECT_FALSE(action->oEmbedEndpointURLString());
}

TEST(TextPattern, RecognizerReadsOnlyWellFormedRules)
{
    std::string folder = *createTemporaryDirectory("h14-text-patterns");
    EXPECT_TRUE(writeFileAtomically(folder + "/VornickTextPatterns.json", R"([
        "not a rule",
        { "patterns": "not an array", "fragmentName": "Skipped" },
        { "patterns": [ 7, "^https://a.example/{id}" ], "fragmentName": 3, "oEmbedEndpointURLString": "https://a.example/oembed" },
        { "patterns": [ "^https://{host}/{id}" ], "fragmentName": "Any" }
    ])"));
    Bundle bundle(folder);
    VornickTextPatternRecognizer recognizer(bundle);
    ASSERT_EQ(recognizer.actions().size(), 2u);
    auto match = recognizer.matchString(u"https://a.example/x1");
    ASSERT_TRUE(match);
    EXPECT_FALSE(match->action()->fragmentName());
    EXPECT_EQ(match->action()->oEmbedEndpointURLString(), u"https://a.example/oembed");
    match = recognizer.matchString(u"https://b/x2");
    ASSERT_TRUE(match);
    EXPECT_EQ(match->action()->fragmentName(), u"Any");
    EXPECT_FALSE(recognizer.matchString(u"ftp://b/x2"));

    // A folder without the resource, or with one that is not an array, gives no rules.
    EXPECT_TRUE(writeFileAtomically(folder + "/VornickTextPatterns.json", R"({ "patterns": [] })"));
    VornickTextPatternRecognizer malformed(bundle);
    EXPECT_FALSE(malformed.matchString(u"https://b/x2"));
    EXPECT_TRUE(removeItem(folder));
}

TEST(TextPattern, SharedRecognizerKnowsTheCommonProviders)
{
    auto& recognizer = VornickTextPatternRecognizer::sharedPatternRecognizer();
    struct Case {
        std::u16string url;
        std::u16string endpointHost;
        std::u16string key;
        std::u16string value;
    };
    const Case cases[] = {
        { u"https://www.youtube.com/watch?v=dQw4w9WgXcQ&t=10", u"youtube.com", u"id", u"dQw4w9WgXcQ" },
        { u"http://youtube.com/watch?v=dQw4w9WgXcQ", u"youtube.com", u"id", u"dQw4w9WgXcQ" },
        { u"https://youtu.be/dQw4w9WgXcQ", u"youtube.com", u"id", u"dQw4w9WgXcQ" },
        { u"https://vimeo.com/76979871", u"vimeo.com", u"id", u"76979871" },
        { u"http://www.vimeo.com/channels/staffpicks/76979871", u"vimeo.com", u"id", u"76979871" },
        { u"https://x.com/someone/status/1234567890", u"twitter.com", u"id", u"1234567890" },
        { u"https://twitter.com/someone/status/1234567890", u"twitter.com", u"user", u"someone" },
        { u"https://soundcloud.com/artist/a-track", u"soundcloud.com", u"track", u"a-track" },
        { u"https://open.spotify.com/track/4uLU6hMCjMI75M1A2tKUQC", u"spotify.com", u"kind", u"track" },
        { u"https://www.flickr.com/photos/someone/12345/", u"flickr.com", u"id", u"12345" },
        { u"https://flic.kr/p/abc", u"flickr.com", u"id", u"abc" },
        { u"https://www.ted.com/talks/some_talk_name", u"ted.com", u"slug", u"some_talk_name" },
    };
    for (const auto& testCase : cases) {
        auto match = recognizer.matchString(testCase.url);
        ASSERT_TRUE(match) << toUTF8(testCase.url);
        ASSERT_TRUE(match->action()->fragmentName()) << toUTF8(testCase.url);
        ASSERT_TRUE(match->action()->oEmbedEndpointURLString());
        EXPECT_NE(match->action()->oEmbedEndpointURLString()->find(testCase.endpointHost), std::u16string::npos) << toUTF8(testCase.url);
        EXPECT_EQ(match->values().at(testCase.key), testCase.value) << toUTF8(testCase.url);
    }
    EXPECT_FALSE(recognizer.matchString(u"https://example.com/watch?v=abc"));
    EXPECT_FALSE(recognizer.matchString(u"https://evil.example/?u=https://youtu.be/abc"));
}

} // namespace
