#include "app/VornickApplicationDelegate.h"
#include "app/VornickBundledStyleSheet.h"
#include "app/VornickDocumentStyleSheets.h"
#include "app/VornickStyleSheet.h"
#include "app/VornickStyleSheetReference.h"

#include "dom/VornickDocumentExtensions.h"
#include "platform/dom/DOMCharacterData.h"
#include "platform/dom/DOMDocument.h"
#include "platform/dom/DOMElement.h"
#include "platform/dom/DOMRange.h"
#include "platform/foundation/Assertions.h"
#include "platform/foundation/Bundle.h"
#include "platform/foundation/FileUtilities.h"
#include "platform/foundation/Text.h"

#include <gtest/gtest.h>

using namespace brevanton;

namespace {

class VornickStyleSheetReferenceTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_folder = createTemporaryDirectory("vornick-sheet-references").value();
        ASSERT_TRUE(writeFileAtomically(m_folder + "/site.css", "p { color: red }"));
    }
    void TearDown() override
    {
        EXPECT_TRUE(removeItem(m_folder));
    }

    std::shared_ptr<DOMDocument> parse(std::u16string_view markup)
    {
        return DOMDocument::parseHTML(markup, URL::fileURLWithPath(m_folder + "/page.html", false).absoluteString());
    }

    std::string m_folder;
};

constexpr std::u16string_view pageWithEveryKind =
    u"<html><head><title>t</title>"
    u"<link rel=stylesheet href=site.css>"
    u"<style>h1 {}\n"
    u"/* begin embedded copy of Brevanton stylesheet \"Clarity\", Version 1.0 */\nbody { margin: 0 }\n"
    u"/* end embedded copy of Brevanton stylesheet */\n"
    u"/* begin embedded copy of stylesheet \"css/mine.css\" */\np {}\n/* end embedded copy of stylesheet */\n"
    u"</style></head><body><p>text</p></body></html>";

TEST_F(VornickStyleSheetReferenceTest, FindsLinksAndMarkedCopiesInHeadOrder)
{
    auto document = parse(pageWithEveryKind);
    auto references = vornick_styleSheetReferences(*document);
    ASSERT_EQ(references.size(), 3u);

    EXPECT_EQ(references[0]->kind(), VornickStyleSheetReferenceKind::LinkElement);
    EXPECT_EQ(references[0]->relativeURLString(), u"site.css");
    auto linkRange = references[0]->outerRangeInDocument(*document);
    ASSERT_NE(linkRange, nullptr);
    EXPECT_EQ(linkRange->startContainer(), vornick_headElement(*document));

    EXPECT_EQ(references[1]->kind(), VornickStyleSheetReferenceKind::EmbeddedBundledStyleSheetCopy);
    EXPECT_EQ(references[1]->name(), u"Clarity");
    EXPECT_EQ(references[1]->version(), u"1.0");
    auto copyRange = references[1]->outerRangeInDocument(*document);
    ASSERT_NE(copyRange, nullptr);
    auto copyText = copyRange->toString();
    EXPECT_TRUE(copyText.starts_with(u"/* begin embedded copy of Brevanton stylesheet"));
    EXPECT_TRUE(copyText.ends_with(u"/* end embedded copy of Brevanton stylesheet */"));
    EXPECT_EQ(copyText.find(u"h1"), std::u16string::npos) << "CSS before the marker is not part of the copy";

    EXPECT_EQ(references[2]->kind(), VornickStyleSheetReferenceKind::EmbeddedUserStyleSheetCopy);
    EXPECT_EQ(references[2]->relativeURLString(), u"css/mine.css");
}

TEST_F(VornickStyleSheetReferenceTest, CopiesWithoutTheirEndMarkerOrWithTheWrongOneAreNoCopies)
{
    auto document = parse(
        u"<html><head><style>"
        u"/* begin embedded copy of Brevanton stylesheet \"Clarity\", Version 1 */ a {}\n"
        u"/* end embedded copy of stylesheet */\n"
        u"/* begin embedded copy of stylesheet \"\" */ b {} /* end embedded copy of stylesheet */\n"
        u"/* begin embedded copy of stylesheet \"x.css\" */ c {}"
        u"</style></head><body></body></html>");
    EXPECT_TRUE(vornick_styleSheetReferences(*document).empty());
}

TEST_F(VornickStyleSheetReferenceTest, ReferencesThawInARegeneratedDocumentAndFailWhenTheirPlaceIsGone)
{
    auto document = parse(pageWithEveryKind);
    auto references = vornick_styleSheetReferences(*document);
    ASSERT_EQ(references.size(), 3u);
    // The same page parsed again (as after its source was regenerated).
    auto again = parse(pageWithEveryKind);
    auto linkRange = references[0]->outerRangeInDocument(*again);
    ASSERT_NE(linkRange, nullptr);
    auto head = vornick_headElement(*again);
    EXPECT_EQ(linkRange->startContainer(), head);
    EXPECT_EQ(head->childAt(linkRange->startOffset())->nodeName(), u"LINK");
    auto copyRange = references[1]->outerRangeInDocument(*again);
    ASSERT_NE(copyRange, nullptr);
    EXPECT_TRUE(copyRange->toString().starts_with(u"/* begin embedded copy of Brevanton stylesheet"));

    // Something else now stands where the link and the copy were: neither resolves.
    auto changed = parse(
        u"<html><head><title>t</title><link rel=stylesheet href=other.css>"
        u"<style>h1 {}\n/* begin embedded copy of stylesheet \"x.css\" */ p {} /* end embedded copy of stylesheet */"
        u"/* begin embedded copy of stylesheet \"css/mine.css\" */ p {} /* end embedded copy of stylesheet */</style>"
        u"</head><body></body></html>");
    EXPECT_EQ(references[0]->outerRangeInDocument(*changed), nullptr);
    EXPECT_EQ(references[1]->outerRangeInDocument(*changed), nullptr);

    // The STYLE element goes away: its copies no longer resolve.
    head->removeChild(head->lastChild());
    EXPECT_EQ(references[1]->outerRangeInDocument(*again), nullptr);
    EXPECT_THROW(VornickStyleSheetReference::createWithStyleSheetLinkElement(nullptr), InternalInconsistencyException);
}

TEST_F(VornickStyleSheetReferenceTest, ReferencesDesignateTheirSheets)
{
    auto delegate = VornickApplicationDelegate::create();
    auto document = parse(pageWithEveryKind);
    auto references = vornick_styleSheetReferences(*document);
    ASSERT_EQ(references.size(), 3u);

    auto linked = vornick_primaryStyleSheet(*document);
    ASSERT_NE(linked, nullptr);
    EXPECT_EQ(linked->fileURL().fileSystemPath(), m_folder + "/site.css");

    auto bundled = VornickStyleSheet::styleSheetForStyleSheetReference(*references[1], *document);
    ASSERT_NE(bundled, nullptr);
    EXPECT_NE(std::dynamic_pointer_cast<VornickBundledStyleSheet>(bundled), nullptr);
    EXPECT_EQ(bundled->title(), u"Clarity");

    EXPECT_EQ(VornickStyleSheet::styleSheetForStyleSheetReference(*references[2], *document), nullptr)
        << "css/mine.css does not exist";
    ASSERT_TRUE(createDirectory(m_folder + "/css"));
    ASSERT_TRUE(writeFileAtomically(m_folder + "/css/mine.css", "p {}"));
    EXPECT_NE(VornickStyleSheet::styleSheetForStyleSheetReference(*references[2], *document), nullptr);

    auto remote = parse(u"<html><head><link rel=stylesheet href=\"http://example.com/a.css\"></head><body></body></html>");
    EXPECT_EQ(vornick_primaryStyleSheet(*remote), nullptr) << "only local files are sheets";
}

} // namespace
