#include "html/VornickHTMLFormattingPreferences.h"

#include "platform/foundation/FileUtilities.h"
#include "platform/foundation/Text.h"
#include "platform/foundation/UserDefaults.h"

#include <random>

#include <gtest/gtest.h>

using namespace brevanton;

namespace {

std::optional<VornickHTMLFormattingPreferences> parsed(std::u16string_view string)
{
    return VornickHTMLFormattingPreferences::createWithStringRepresentation(string);
}

} // namespace

TEST(VornickHTMLFormattingPreferences, CompactStringCurrentForm)
{
    VornickHTMLFormattingPreferences defaults;
    EXPECT_EQ(defaults.stringRepresentation(), u"4,4");
    auto fourFour = parsed(u"4,4");
    ASSERT_TRUE(fourFour);
    EXPECT_TRUE(fourFour->hasSameSavedValuesAs(defaults));

    auto twoFour = parsed(u"2,4-t");
    ASSERT_TRUE(twoFour);
    EXPECT_EQ(twoFour->spacesPerIndent(), 2u);
    EXPECT_FALSE(twoFour->useTabs());
    EXPECT_EQ(twoFour->stringRepresentation(), u"2,4-t");

    auto tix = parsed(u"2,8-tix");
    ASSERT_TRUE(tix);
    EXPECT_FALSE(tix->useTabs());
    EXPECT_FALSE(tix->indentBlockElements());
    EXPECT_FALSE(tix->dontIndentHeadOrBody());
    EXPECT_TRUE(tix->putBlockElementTagsOnNewLine());
    EXPECT_EQ(tix->spacesPerTab(), 8u);

    // Unknown letters are skipped; text after the widths without "-" is ignored.
    auto skipped = parsed(u"4,4-fz9q");
    ASSERT_TRUE(skipped);
    EXPECT_FALSE(skipped->encloseAttributeValuesInDoubleQuotes());
    EXPECT_EQ(skipped->stringRepresentation(), u"4,4-q");
    EXPECT_TRUE(parsed(u"4,4x"));

    // "-" turns every rule on before the letters turn some off.
    VornickHTMLFormattingPreferences allOff;
    ASSERT_TRUE(allOff.setPropertiesFromStringRepresentation(u"4,4-tixbeshqoracnd"));
    ASSERT_TRUE(allOff.setPropertiesFromStringRepresentation(u"4,4-"));
    EXPECT_TRUE(allOff.hasSameSavedValuesAs(defaults));

    auto clamped = parsed(u"0,99");
    ASSERT_TRUE(clamped);
    EXPECT_EQ(clamped->spacesPerIndent(), 1u);
    EXPECT_EQ(clamped->spacesPerTab(), 10u);
    EXPECT_TRUE(parsed(u"99999999999999999999,4"));

    for (auto bad : { u"", u"x4,4", u"4,", u"4,x", u"4x4", u"4:4" })
        EXPECT_FALSE(parsed(bad)) << toUTF8(bad);
    VornickHTMLFormattingPreferences alone;
    alone.setUseTabs(false);
    EXPECT_FALSE(alone.setPropertiesFromStringRepresentation(u"12"));
    EXPECT_TRUE(alone.useTabs());
    EXPECT_EQ(alone.spacesPerIndent(), 12u); // not clamped on failure
}

TEST(VornickHTMLFormattingPreferences, CompactStringOlderForm)
{
    auto all = parsed(u"4y4yyyyyyyyyyyyy");
    ASSERT_TRUE(all);
    EXPECT_TRUE(all->hasSameSavedValuesAs(VornickHTMLFormattingPreferences()));

    VornickHTMLFormattingPreferences early;
    early.setPutBlockElementTagsOnNewLine(false);
    EXPECT_FALSE(early.setPropertiesFromStringRepresentation(u"4n4yn"));
    EXPECT_FALSE(early.useTabs());
    EXPECT_TRUE(early.indentBlockElements());
    EXPECT_FALSE(early.dontIndentHeadOrBody());
    EXPECT_TRUE(early.putBlockElementTagsOnNewLine());

    EXPECT_FALSE(parsed(u"4y4yyx"));
    EXPECT_FALSE(parsed(u"4y"));
    auto mixed = parsed(u"3n2nynynynynynyn");
    ASSERT_TRUE(mixed);
    EXPECT_FALSE(mixed->indentBlockElements());
    EXPECT_TRUE(mixed->dontIndentHeadOrBody());
    EXPECT_FALSE(mixed->useDecimalCharacterReferences());
}

TEST(VornickHTMLFormattingPreferences, SavedFormsRoundTrip)
{
    std::mt19937 random(11);
    const std::u16string letters = u"tixbeshqoracnd";
    for (int i = 0; i < 200; ++i) {
        std::u16string string = toUTF16(std::to_string(random() % 12) + "," + std::to_string(random() % 12) + "-");
        for (char16_t letter : letters) {
            if (random() % 2)
                string += letter;
        }
        auto preferences = parsed(string);
        ASSERT_TRUE(preferences) << toUTF8(string);
        auto again = parsed(preferences->stringRepresentation());
        ASSERT_TRUE(again);
        EXPECT_TRUE(again->hasSameSavedValuesAs(*preferences)) << toUTF8(string);
        auto fromList = VornickHTMLFormattingPreferences::createWithPropertyList(Value(preferences->propertyList()), nullptr);
        ASSERT_TRUE(fromList);
        EXPECT_EQ(fromList->stringRepresentation(), preferences->stringRepresentation());
    }

    VornickHTMLFormattingPreferences preferences;
    EXPECT_EQ(preferences.propertyList().size(), 16u);
    // Missing keys read as off and as width 1.
    Dictionary partial = preferences.propertyList();
    partial.erase(u"spacesPerTab");
    partial.erase(u"useTabs");
    auto read = VornickHTMLFormattingPreferences::createWithPropertyList(Value(partial), nullptr);
    ASSERT_TRUE(read);
    EXPECT_EQ(read->spacesPerTab(), 1u);
    EXPECT_FALSE(read->useTabs());

    Error error;
    EXPECT_FALSE(VornickHTMLFormattingPreferences::createWithPropertyList(Value(u"4,4"), &error));
    EXPECT_EQ(error.code(), 3);
    EXPECT_EQ(error.domain(), "com.Orbendalworks.Brevanton.ErrorDomain");

    // The code-only rules are not copied.
    preferences.setPutCommentsOnNewLine(true);
    preferences.setDontEscapeGreaterThanCharacter(true);
    auto copy = preferences.mutableCopy();
    EXPECT_FALSE(copy.putCommentsOnNewLine());
    EXPECT_FALSE(copy.dontEscapeGreaterThanCharacter());
}

TEST(VornickHTMLFormattingPreferences, DocumentStringsNeverChangeTheSharedSets)
{
    auto initial = VornickHTMLFormattingPreferences::initialDefaultHTMLFormattingPreferences();
    auto document = VornickHTMLFormattingPreferences::preferencesByApplyingStringRepresentation(*initial, u"2,4-tb");
    ASSERT_TRUE(document);
    EXPECT_EQ(document->stringRepresentation(), u"2,4-tb");
    EXPECT_EQ(initial->stringRepresentation(), u"4,4");
    EXPECT_EQ(VornickHTMLFormattingPreferences::initialDefaultHTMLFormattingPreferences()->stringRepresentation(), u"4,4");
    EXPECT_FALSE(VornickHTMLFormattingPreferences::preferencesByApplyingStringRepresentation(*initial, u"bad"));

    auto folder = createTemporaryDirectory("brevanton-prefs");
    ASSERT_TRUE(folder);
    {
        UserDefaults defaults(*folder + "/defaults.plist");
        VornickUsersDefaultHTMLFormattingPreferences::registerInitialDefaults(defaults);
        auto users = VornickUsersDefaultHTMLFormattingPreferences::usersDefaultHTMLFormattingPreferencesInDefaults(defaults);
        ASSERT_TRUE(users);
        auto perDocument = VornickHTMLFormattingPreferences::preferencesByApplyingStringRepresentation(*users, u"3,3-q");
        ASSERT_TRUE(perDocument);
        perDocument->setUseTabs(false);
        EXPECT_EQ(users->stringRepresentation(), u"4,4");
        EXPECT_EQ(defaults.dictionaryForKey(VornickHTMLFormattingPreferencesDefaultsKey)[u"spacesPerIndent"].integerValue(), 4);
    }
    EXPECT_TRUE(removeItem(*folder));
}

TEST(VornickHTMLFormattingPreferences, UsersDefaultSetWritesItselfBack)
{
    auto folder = createTemporaryDirectory("brevanton-prefs");
    ASSERT_TRUE(folder);
    std::string path = *folder + "/defaults.plist";
    {
        UserDefaults defaults(path);
        // Nothing registered yet: no set.
        EXPECT_FALSE(VornickUsersDefaultHTMLFormattingPreferences::usersDefaultHTMLFormattingPreferencesInDefaults(defaults));
        VornickUsersDefaultHTMLFormattingPreferences::registerInitialDefaults(defaults);
        auto users = VornickUsersDefaultHTMLFormattingPreferences::usersDefaultHTMLFormattingPreferencesInDefaults(defaults);
        ASSERT_TRUE(users);
        users->setSpacesPerIndent(2);
        users->setUseTabs(false);
        users->setPutCommentsOnNewLine(true); // code only: not saved
    }
    UserDefaults reopened(path);
    auto users = VornickUsersDefaultHTMLFormattingPreferences::usersDefaultHTMLFormattingPreferencesInDefaults(reopened);
    ASSERT_TRUE(users);
    EXPECT_EQ(users->stringRepresentation(), u"2,4-t");
    EXPECT_FALSE(users->putCommentsOnNewLine());
    EXPECT_EQ(reopened.dictionaryForKey(VornickHTMLFormattingPreferencesDefaultsKey).size(), 16u);
    EXPECT_TRUE(removeItem(*folder));
}
