#include "app/VornickDocumentStyleSheets.h"

#include "app/VornickStyleSheet.h"
#include "app/VornickStyleSheetReference.h"
#include "platform/dom/DOMDocument.h"
#include "platform/foundation/FileUtilities.h"
#include "platform/foundation/URL.h"

#include <gtest/gtest.h>

namespace brevanton {
namespace {

// What each reference names: the linked or copied file, or the bundled sheet's name.
std::vector<std::u16string> names(const DOMDocument& document)
{
    std::vector<std::u16string> result;
    for (auto& reference : vornick_styleSheetReferences(document)) {
        bool bundled = reference->kind() == VornickStyleSheetReferenceKind::EmbeddedBundledStyleSheetCopy;
        result.push_back(bundled ? reference->name() : reference->relativeURLString());
    }
    return result;
}

TEST(VornickDocumentStyleSheets, HeadReferencesInOrder)
{
    std::string folder = createTemporaryDirectory("vornick-document-sheets").value();
    ASSERT_TRUE(writeFileAtomically(folder + "/first.css", "p {}"));
    auto document = DOMDocument::parseHTML(
        u"<html><head>"
        u"<link rel=StyleSheet href=first.css>"
        u"<style>/* begin embedded copy of Brevanton stylesheet \"Clarity\", Version 1.0 */ p {}"
        u" /* end embedded copy of Brevanton stylesheet */"
        u" /* begin embedded copy of stylesheet \"print.css\" */ p {} /* end embedded copy of stylesheet */</style>"
        u"<link rel=stylesheet href=site.css>"
        u"<link rel=\"alternate stylesheet\" href=alt.css><link rel=stylesheet href=\"\"><link rel=icon href=i.png>"
        u"<style type=\"text/less\">/* begin embedded copy of stylesheet \"less.css\" */ /* end embedded copy of stylesheet */</style>"
        u"<style type=TEXT/CSS></style>"
        u"<style type=text/css>/* begin embedded copy of stylesheet \"last.css\" */ a {} /* end embedded copy of stylesheet */</style>"
        u"</head><body><link rel=stylesheet href=body.css></body></html>",
        URL::fileURLWithPath(folder + "/page.html", false).absoluteString());
    EXPECT_EQ(names(*document),
              (std::vector<std::u16string> { u"first.css", u"Clarity", u"print.css", u"site.css", u"last.css" }));
    EXPECT_EQ(vornick_primaryStyleSheetReference(*document)->relativeURLString(), u"first.css");
    ASSERT_NE(vornick_primaryStyleSheet(*document), nullptr);
    EXPECT_EQ(vornick_primaryStyleSheet(*document)->fileURL().fileSystemPath(), folder + "/first.css");

    auto plain = DOMDocument::parseHTML(u"<html><head><title>t</title></head><body></body></html>");
    EXPECT_EQ(vornick_primaryStyleSheetReference(*plain), nullptr);
    EXPECT_EQ(vornick_primaryStyleSheet(*plain), nullptr);
    EXPECT_TRUE(removeItem(folder));
}

} // namespace
} // namespace brevanton
