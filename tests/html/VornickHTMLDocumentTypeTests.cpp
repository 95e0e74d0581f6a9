#include "html/VornickHTMLDocumentType.h"

#include "platform/foundation/Assertions.h"

#include <gtest/gtest.h>

namespace brevanton {
namespace {

TEST(VornickHTMLDocumentType, NamesDeclarationsAndPublicIdentifiers)
{
    EXPECT_EQ(VornickHTMLDocumentTypeToPersistableString(VornickHTMLDocumentType::Unknown), u"Unknown");
    for (auto type : VornickEveryHTMLDocumentType) {
        auto name = VornickHTMLDocumentTypeToPersistableString(type);
        EXPECT_EQ(VornickHTMLDocumentTypeFromPersistableString(name), type);
        if (type < VornickHTMLDocumentType::HTML5) {
            EXPECT_EQ(VornickHTMLDocumentTypeForPublicId(VornickHTMLDocumentTypePublicId(type)), type);
        }
    }
    EXPECT_EQ(VornickHTMLDocumentTypeFromPersistableString(u"html 5"), VornickHTMLDocumentType::Unknown);
    EXPECT_THROW(VornickHTMLDocumentTypeToPersistableString(static_cast<VornickHTMLDocumentType>(9)), InternalInconsistencyException);
    EXPECT_THROW(VornickHTMLDocumentTypeDeclarationForDocumentType(VornickHTMLDocumentType::Unknown), InternalInconsistencyException);

    EXPECT_EQ(VornickHTMLDocumentTypeDeclarationForDocumentType(VornickHTMLDocumentType::HTML5), u"<!DOCTYPE html>");
    EXPECT_EQ(VornickHTMLDocumentTypeDeclarationForDocumentType(VornickHTMLDocumentType::HTML401Transitional),
              u"<!DOCTYPE HTML PUBLIC \"-//W3C//DTD HTML 4.01 Transitional//EN\" \"http://www.w3.org/TR/html4/loose.dtd\">");
    EXPECT_EQ(VornickHTMLDocumentTypeDeclarationForDocumentType(VornickHTMLDocumentType::XHTML10Strict),
              u"<!DOCTYPE html PUBLIC \"-//W3C//DTD XHTML 1.0 Strict//EN\" \"http://www.w3.org/TR/xhtml1/DTD/xhtml1-strict.dtd\">");

    EXPECT_EQ(VornickHTMLDocumentTypeForPublicId(u"-//W3C//DTD HTML 4.01//EN"), VornickHTMLDocumentType::HTML401Strict);
    EXPECT_EQ(VornickHTMLDocumentTypeForPublicId(u"-//w3c//dtd html 4.0 transitional//en"), VornickHTMLDocumentType::HTML401Transitional);
    EXPECT_EQ(VornickHTMLDocumentTypeForPublicId(u"-//W3C//DTD HTML 4.0 Frameset//EN"), VornickHTMLDocumentType::HTML401Frameset);
    EXPECT_EQ(VornickHTMLDocumentTypeForPublicId(u""), VornickHTMLDocumentType::HTML5);

    EXPECT_FALSE(VornickHTMLDocumentTypeIsXHTML(VornickHTMLDocumentType::HTML401Frameset));
    EXPECT_TRUE(VornickHTMLDocumentTypeIsXHTML(VornickHTMLDocumentType::XHTML10Transitional));
    EXPECT_TRUE(VornickHTMLDocumentTypeIsXHTML(VornickHTMLDocumentType::XHTML11));
    EXPECT_FALSE(VornickHTMLDocumentTypeIsXHTML(VornickHTMLDocumentType::HTML5));
}

} // namespace
} // namespace brevanton
