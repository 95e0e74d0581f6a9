#include "html/VornickHTMLDocumentType.h"

#include "platform/foundation/Assertions.h"

#include <gtest/gtest.h>

namespace brevanton {
namespace {

TEST(VornickHTMLDocumentType, NamesDeclarationsAndPublicIdentifiers)
{
    for (VornickHTMLDocumentType type = 0; type <= VornickLastHTMLDocumentType; ++type) {
        auto name = VornickHTMLDocumentTypeToPersistableString(type);
        EXPECT_EQ(VornickHTMLDocumentTypeFromPersistableString(name), type);
        if (type >= VornickFirstHTMLDocumentType && type < VornickHTMLDocumentTypeHTML5) {
            EXPECT_EQ(VornickHTMLDocumentTypeForPublicId(VornickHTMLDocumentTypePublicId(type)), type);
        }
    }
    EXPECT_EQ(VornickHTMLDocumentTypeFromPersistableString(u"html 5"), 0);
    EXPECT_THROW(VornickHTMLDocumentTypeToPersistableString(9), InternalInconsistencyException);
    EXPECT_THROW(VornickHTMLDocumentTypeDeclarationForDocumentType(0), InternalInconsistencyException);

    EXPECT_EQ(VornickHTMLDocumentTypeDeclarationForDocumentType(8), u"<!DOCTYPE html>");
    EXPECT_EQ(VornickHTMLDocumentTypeDeclarationForDocumentType(1),
              u"<!DOCTYPE HTML PUBLIC \"-//W3C//DTD HTML 4.01 Transitional//EN\" \"http://www.w3.org/TR/html4/loose.dtd\">");
    EXPECT_EQ(VornickHTMLDocumentTypeDeclarationForDocumentType(5),
              u"<!DOCTYPE html PUBLIC \"-//W3C//DTD XHTML 1.0 Strict//EN\" \"http://www.w3.org/TR/xhtml1/DTD/xhtml1-strict.dtd\">");

    EXPECT_EQ(VornickHTMLDocumentTypeForPublicId(u"-//W3C//DTD HTML 4.01//EN"), 2);
    EXPECT_EQ(VornickHTMLDocumentTypeForPublicId(u"-//w3c//dtd html 4.0 transitional//en"), 1);
    EXPECT_EQ(VornickHTMLDocumentTypeForPublicId(u"-//W3C//DTD HTML 4.0 Frameset//EN"), 3);
    EXPECT_EQ(VornickHTMLDocumentTypeForPublicId(u""), 8);

    EXPECT_FALSE(VornickHTMLDocumentTypeIsXHTML(3));
    EXPECT_TRUE(VornickHTMLDocumentTypeIsXHTML(4));
    EXPECT_TRUE(VornickHTMLDocumentTypeIsXHTML(7));
    EXPECT_FALSE(VornickHTMLDocumentTypeIsXHTML(8));
}

} // namespace
} // namespace brevanton
