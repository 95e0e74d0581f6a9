#include "platform/foundation/TypeIdentifiers.h"

#include <gtest/gtest.h>

using namespace brevanton;

TEST(TypeIdentifiers, ExtensionsAndMIMETypesMapToIdentifiers)
{
    EXPECT_EQ(typeIdentifierForFilenameExtension(u"html"), u"public.html");
    EXPECT_EQ(typeIdentifierForFilenameExtension(u"HTM"), u"public.html");
    EXPECT_EQ(typeIdentifierForFilenameExtension(u".xhtml"), u"public.xhtml");
    EXPECT_EQ(typeIdentifierForFilenameExtension(u"jpg"), u"public.jpeg");
    EXPECT_EQ(typeIdentifierForFilenameExtension(u"svg"), u"public.svg-image");
    EXPECT_EQ(typeIdentifierForMIMEType(u"Text/HTML; charset=UTF-8"), u"public.html");
    EXPECT_EQ(typeIdentifierForMIMEType(u"application/xhtml+xml"), u"public.xhtml");

    EXPECT_EQ(preferredMIMETypeForTypeIdentifier(u"public.png"), u"image/png");
    EXPECT_EQ(preferredMIMETypeForTypeIdentifier(u"public.css"), u"text/css");
    EXPECT_EQ(preferredFilenameExtensionForTypeIdentifier(u"public.jpeg"), u"jpeg");
    EXPECT_FALSE(preferredMIMETypeForTypeIdentifier(u"public.image").has_value());
    EXPECT_FALSE(preferredMIMETypeForTypeIdentifier(u"no.such.type").has_value());
}

TEST(TypeIdentifiers, ConformanceFollowsParentsTransitively)
{
    EXPECT_TRUE(typeIdentifierConformsTo(u"public.png", u"public.image"));
    EXPECT_TRUE(typeIdentifierConformsTo(u"public.png", u"public.data"));
    EXPECT_TRUE(typeIdentifierConformsTo(u"public.xhtml", u"public.xml"));
    EXPECT_TRUE(typeIdentifierConformsTo(u"public.xhtml", u"public.text"));
    EXPECT_TRUE(typeIdentifierConformsTo(u"public.mpeg-4", u"public.movie"));
    EXPECT_TRUE(typeIdentifierConformsTo(u"public.mp3", u"public.audio"));
    EXPECT_TRUE(typeIdentifierConformsTo(u"public.html", u"public.html"));
    EXPECT_FALSE(typeIdentifierConformsTo(u"public.html", u"public.xml"));
    EXPECT_FALSE(typeIdentifierConformsTo(u"public.image", u"public.png"));
    EXPECT_FALSE(typeIdentifierConformsTo(u"public.audio", u"public.movie"));
    EXPECT_FALSE(typeIdentifierConformsTo(u"public.folder", u"public.data"));
}

TEST(TypeIdentifiers, UnknownTypesAreDynamic)
{
    std::u16string unknown = typeIdentifierForFilenameExtension(u"zzqqxx");
    EXPECT_TRUE(isDynamicTypeIdentifier(unknown));
    EXPECT_FALSE(isKnownTypeIdentifier(unknown));
    EXPECT_EQ(unknown, typeIdentifierForFilenameExtension(u"ZZQQXX"));
    EXPECT_NE(unknown, typeIdentifierForFilenameExtension(u"zzqqxy"));
    EXPECT_TRUE(typeIdentifierConformsTo(unknown, u"public.data"));
    EXPECT_FALSE(typeIdentifierConformsTo(unknown, u"public.image"));
    EXPECT_FALSE(preferredMIMETypeForTypeIdentifier(unknown).has_value());
    EXPECT_TRUE(isDynamicTypeIdentifier(typeIdentifierForMIMEType(u"application/x-zzqqxx")));
    EXPECT_FALSE(isDynamicTypeIdentifier(u"public.html"));
}
