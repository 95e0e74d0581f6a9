#include "html/VornickDocumentWebArchiveFragments.h"

#include "platform/dom/DOMDocument.h"
#include "platform/dom/DOMElement.h"
#include "platform/foundation/Text.h"
#include "platform/web/WebArchive.h"

#include <gtest/gtest.h>

namespace brevanton {
namespace {

Data archiveData(std::string_view page, std::u16string MIMEType, std::u16string encoding)
{
    auto resource = std::make_shared<WebResource>(Data(page.begin(), page.end()),
                                                  *URL::create(std::u16string_view(u"https://example.com/page.html")),
                                                  std::move(MIMEType), std::move(encoding));
    return WebArchive(resource).data();
}

TEST(VornickDocumentWebArchiveFragments, PastedPagesBecomeBodyFragments)
{
    auto document = DOMDocument::parseHTML(u"<!DOCTYPE html><html><head></head><body></body></html>",
                                           u"file:///site/index.html");
    auto fragment = vornick_createCleanedUpDocumentFragmentWithWebArchiveData(
        *document,
        archiveData("<html><head><title>t</title></head><body><p>Caf\xC3\xA9 <b>au lait</b></p></body></html>", u"text/html", u"utf-8"));
    ASSERT_TRUE(fragment);
    auto markup = toUTF8(fragment->innerHTML());
    EXPECT_NE(markup.find("<p>Caf\xC3\xA9 <b>au lait</b></p>"), std::string::npos) << markup;
    EXPECT_EQ(markup.find("title"), std::string::npos) << markup;

    // Not an archive, not HTML, or HTML that cannot be decoded: nothing.
    EXPECT_FALSE(vornick_createCleanedUpDocumentFragmentWithWebArchiveData(*document, Data { 1, 2, 3 }));
    EXPECT_FALSE(vornick_createCleanedUpDocumentFragmentWithWebArchiveData(*document, archiveData("<p>x</p>", u"text/plain", u"utf-8")));
    EXPECT_FALSE(vornick_createCleanedUpDocumentFragmentWithWebArchiveData(*document, archiveData("<p>\xFF</p>", u"text/html", u"utf-8")));
}

} // namespace
} // namespace brevanton
