#include "views/VornickCharacterEncodingsMenu.h"

#include "platform/foundation/TextEncoding.h"
#include "platform/views/Menu.h"

#include <gtest/gtest.h>

using namespace brevanton;

TEST(VornickStringEncoding, OneTableServesBothDirections)
{
    // Core values with numbers of their own, and the others.
    EXPECT_EQ(VornickStringEncodingForCoreEncoding(0x0201), VornickISOLatin1StringEncoding);
    EXPECT_EQ(VornickStringEncodingForCoreEncoding(0x0000), VornickMacOSRomanStringEncoding);
    EXPECT_EQ(VornickStringEncodingForCoreEncoding(0x08000100), VornickUTF8StringEncoding);
    EXPECT_EQ(VornickStringEncodingForCoreEncoding(0x0502), VornickWindowsCP1251StringEncoding);
    EXPECT_EQ(VornickStringEncodingForCoreEncoding(0x0A02), 0x80000A02u);
    EXPECT_EQ(VornickStringEncodingForCoreEncoding(0xFFFFFFFF), VornickStringEncodingNone);

    // Every number a name gives goes back to a name of the same converter.
    for (const char16_t* name : { u"utf-8", u"latin1", u"Shift_JIS", u"KOI8-R", u"windows-1256", u"GB18030", u"macintosh", u"Big5" }) {
        auto encoding = VornickStringEncodingForIANACharsetName(name);
        ASSERT_NE(encoding, VornickStringEncodingNone) << std::string(name, name + std::char_traits<char16_t>::length(name));
        auto back = VornickCharsetNameForStringEncoding(encoding);
        ASSERT_TRUE(back);
        EXPECT_EQ(textEncodingConverterName(*back), textEncodingConverterName(name));
    }
    EXPECT_EQ(VornickCharsetNameForStringEncoding(VornickUTF8StringEncoding), u"UTF-8");
    // Shift JIS has two numbers; its name keeps the first.
    EXPECT_EQ(VornickCharsetNameForStringEncoding(0x80000A01), u"Shift_JIS");
    EXPECT_EQ(VornickStringEncodingForIANACharsetName(u"Shift_JIS"), VornickShiftJISStringEncoding);
    // No converter, no name.
    EXPECT_FALSE(VornickCharsetNameForStringEncoding(0x80000210)) << "ISO-8859-16 has no converter here";
    EXPECT_FALSE(VornickLocalizedNameOfStringEncoding(0x80000210));
    EXPECT_FALSE(VornickCharsetNameForStringEncoding(0x8000FFFF));
    EXPECT_EQ(VornickLocalizedNameOfStringEncoding(VornickWindowsCP1252StringEncoding), u"Western (Windows)");
}

TEST(VornickCharacterEncodingsMenu, ItemsForEncodingsWithConvertersAndEverySeparator)
{
    auto menu = VornickBuildCharacterEncodingsMenu();
    EXPECT_EQ(menu->title(), u"Character Encodings");
    size_t separators = 0;
    size_t encodings = 0;
    for (uint32_t entry : VornickCharacterEncodingsMenuTable) {
        if (entry == VornickCharacterEncodingsMenuSeparator)
            ++separators;
        else if (VornickCharsetNameForStringEncoding(VornickStringEncodingForCoreEncoding(entry)))
            ++encodings;
    }
    EXPECT_EQ(separators, 14u);
    ASSERT_EQ(static_cast<size_t>(menu->numberOfItems()), separators + encodings);
    // Some entries have no converter here and drop out; most stay.
    EXPECT_LT(encodings, 35u);
    EXPECT_GT(encodings, 25u);

    size_t seenSeparators = 0;
    for (const auto& item : menu->items()) {
        if (item->isSeparatorItem()) {
            ++seenSeparators;
            continue;
        }
        EXPECT_TRUE(item->action().empty());
        EXPECT_TRUE(item->keyEquivalent().empty());
        auto name = VornickCharsetNameForStringEncoding(static_cast<VornickStringEncoding>(item->tag()));
        ASSERT_TRUE(name) << item->tag();
        EXPECT_TRUE(isKnownTextEncoding(*name));
        EXPECT_EQ(VornickLocalizedNameOfStringEncoding(static_cast<VornickStringEncoding>(item->tag())), item->title());
    }
    EXPECT_EQ(seenSeparators, separators);
    EXPECT_EQ(menu->itemAtIndex(0)->tag(), static_cast<long>(VornickISOLatin1StringEncoding));
    EXPECT_EQ(menu->itemAtIndex(0)->title(), u"Western (ISO 8859-1)");
    EXPECT_EQ(menu->itemAtIndex(3)->tag(), static_cast<long>(VornickUTF8StringEncoding));
}
