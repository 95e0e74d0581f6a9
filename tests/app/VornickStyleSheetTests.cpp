#include "app/VornickBundledStyleSheet.h"
#include "app/VornickStyleSheet.h"

#include "platform/foundation/Bundle.h"
#include "platform/foundation/FileUtilities.h"

#include <gtest/gtest.h>

using namespace brevanton;

namespace {

TEST(VornickStyleSheet, VersionComesFromTheLeadingCommentOnly)
{
    auto version = [](std::u16string_view css) { return VornickStyleSheet::versionStringForBundledStyleSheetContents(css); };
    EXPECT_EQ(version(u"/*\n  Clarity\n  Version: 1.2 \n*/\nbody {}"), u"1.2");
    EXPECT_EQ(version(u"\uFEFF  /* Version: 3 */ body {}"), u"3") << "up to the comment's end on one line";
    EXPECT_EQ(version(u"/* Version:2.0b\r\n more */"), u"2.0b");
    EXPECT_EQ(version(u"/* Version: */"), std::nullopt) << "nothing after the label";
    EXPECT_EQ(version(u"/* Plain */ /* Version: 9 */"), std::nullopt) << "not the leading comment";
    EXPECT_EQ(version(u"body {} /* Version: 9 */"), std::nullopt);
    EXPECT_EQ(version(u"/* Version: 4"), u"4") << "an unterminated comment still has its first line";
    EXPECT_EQ(version(u""), std::nullopt);
}

TEST(VornickStyleSheet, TitleAndEqualityFollowTheFile)
{
    auto a = VornickStyleSheet::create(URL::fileURLWithPath("/tmp/sheets/Plain Style.css", false));
    auto b = VornickStyleSheet::create(URL::fileURLWithPath("/tmp/sheets/Plain Style.css", false));
    auto c = VornickStyleSheet::create(URL::fileURLWithPath("/tmp/sheets/Other.css", false));
    EXPECT_EQ(a->title(), u"Plain Style");
    EXPECT_TRUE(*a == *b);
    EXPECT_FALSE(*a == *c);
    EXPECT_EQ(a->contents(), std::nullopt) << "no such file";
}

TEST(VornickBundledStyleSheet, LoadsTheCSSFilesOfTheFolderSortedByTitleIgnoringCase)
{
    auto root = createTemporaryDirectory("vornick-bundle").value();
    ASSERT_TRUE(createDirectory(root + "/BundledStyleSheets"));
    for (auto name : { "zeta.css", "Alpha.css", "beta.css", "notes.txt" })
        ASSERT_TRUE(writeFileAtomically(root + "/BundledStyleSheets/" + name, "/* Version: 1 */"));
    ASSERT_TRUE(createDirectory(root + "/BundledStyleSheets/folder.css"));

    std::vector<std::u16string> titles;
    for (const auto& sheet : VornickBundledStyleSheet::loadBundledStyleSheets(Bundle(root)))
        titles.push_back(sheet->title());
    EXPECT_EQ(titles, (std::vector<std::u16string> { u"Alpha", u"beta", u"zeta" }));

    EXPECT_TRUE(VornickBundledStyleSheet::loadBundledStyleSheets(Bundle(root + "/missing")).empty());
    EXPECT_TRUE(removeItem(root));
}

TEST(VornickBundledStyleSheet, TheShippedSheetsCarryTheirVersions)
{
    auto sheets = VornickBundledStyleSheet::loadBundledStyleSheets(Bundle::main());
    ASSERT_GE(sheets.size(), 2u);
    bool foundClarity = false;
    for (const auto& sheet : sheets) {
        EXPECT_TRUE(sheet->version().has_value()) << "sheet without a version";
        foundClarity = foundClarity || sheet->title() == u"Clarity";
    }
    EXPECT_TRUE(foundClarity) << "the default style sheet is shipped";
}

} // namespace
