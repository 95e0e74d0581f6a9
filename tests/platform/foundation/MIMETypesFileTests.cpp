#include "platform/foundation/MIMETypesFile.h"

#include <gtest/gtest.h>

using namespace brevanton;

TEST(MIMETypesFile, ReadsTypesWithExtensionsSkippingCommentsAndTypesWithoutAny)
{
    auto types = parseMIMETypesFile("# comment line\n"
                                    "text/HTML\thtml  HTM shtml # the web\r\n"
                                    "application/x-nothing\n"
                                    "   \n"
                                    "notatype ext\n"
                                    "image/png png\x0b"
                                    "\n"
                                    "audio/ogg oga ogg");
    ASSERT_EQ(types.size(), 3u);
    EXPECT_EQ(types[0].mimeType, u"text/html");
    EXPECT_EQ(types[0].extensions, (std::vector<std::u16string> { u"html", u"htm", u"shtml" }));
    EXPECT_EQ(types[1].mimeType, u"image/png");
    EXPECT_EQ(types[1].extensions, std::vector<std::u16string> { u"png" });
    // The last line needs no line end.
    EXPECT_EQ(types[2].extensions, (std::vector<std::u16string> { u"oga", u"ogg" }));
    EXPECT_TRUE(parseMIMETypesFile("").empty());
    EXPECT_TRUE(parseMIMETypesFile("#text/html html").empty());
}
