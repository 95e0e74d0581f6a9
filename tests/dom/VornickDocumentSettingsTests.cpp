#include "dom/VornickDocumentEncoding.h"
#include "dom/VornickDocumentHeadFields.h"
#include "dom/VornickDocumentResourceReferences.h"
#include "dom/VornickDocumentType.h"
#include "toolkit/VornickStringEncoding.h"

#include "platform/dom/DOMDocument.h"
#include "platform/dom/DOMElement.h"
#include "platform/foundation/Text.h"

#include <gtest/gtest.h>

namespace brevanton {
namespace {

std::shared_ptr<DOMDocument> documentWithHead(std::u16string_view headMarkup, std::u16string_view doctype = u"<!DOCTYPE html>",
                                              const std::u16string& url = u"file:///site/posts/index.html")
{
    return DOMDocument::parseHTML(std::u16string(doctype) + u"<html><head>" + std::u16string(headMarkup)
                                      + u"</head><body><p>x</p></body></html>",
                                  url);
}

std::u16string headMarkup(const DOMDocument& document)
{
    return document.head()->innerHTML();
}

TEST(VornickDocumentSettings, HeadFieldsReadAndWriteTheFirstMatchOnly)
{
    auto document = documentWithHead(u"<title>t</title>"
                                     u"<meta name=\"Brevanton.FormatPrefs\" content=\"first\">"
                                     u"<meta name=\"brevanton.formatprefs\" content=\"second\">");
    EXPECT_EQ(vornick_HTMLFormattingPreferencesString(*document), u"first");

    vornick_setHTMLFormattingPreferencesString(*document, u"changed");
    EXPECT_EQ(vornick_HTMLFormattingPreferencesString(*document), u"changed");

    vornick_setHTMLFormattingPreferencesString(*document, std::nullopt);
    EXPECT_EQ(vornick_HTMLFormattingPreferencesString(*document), u"second");
    EXPECT_EQ(headMarkup(*document), u"<title>t</title><meta name=\"brevanton.formatprefs\" content=\"second\">");

    // Nothing matches: a new field goes last; removing what is absent does nothing.
    EXPECT_EQ(vornick_fragmentSetRelativeURLString(*document), std::nullopt);
    vornick_setFragmentSetRelativeURLString(*document, std::nullopt);
    vornick_setFragmentSetRelativeURLString(*document, u"../sets/Blog.brevantonsnippets");
    EXPECT_EQ(headMarkup(*document), u"<title>t</title><meta name=\"brevanton.formatprefs\" content=\"second\">"
                                     u"<link rel=\"brevanton-snippet-set\" href=\"../sets/Blog.brevantonsnippets\">");
    EXPECT_EQ(vornick_fragmentSetRelativeURLString(*document), u"../sets/Blog.brevantonsnippets");

    // Only direct children of HEAD count, and a LINK is not a META field.
    auto nested = documentWithHead(u"<noscript><meta name=\"x\" content=\"deep\"></noscript><link rel=\"x\" href=\"h\">");
    EXPECT_EQ(vornick_getHeadMetaField(*nested, u"x"), std::nullopt);
    EXPECT_EQ(vornick_getHeadLinkField(*nested, u"X"), u"h");

    // A document without HEAD has no fields and gets none.
    auto bare = DOMDocument::create(DOMDocument::Kind::XML);
    vornick_setHeadMetaField(*bare, u"x", u"y");
    EXPECT_EQ(vornick_getHeadMetaField(*bare, u"x"), std::nullopt);
}

TEST(VornickDocumentSettings, IANANamesMapToPlatformEncodings)
{
    EXPECT_EQ(VornickStringEncodingForIANACharsetName(u"UTF-8"), VornickUTF8StringEncoding);
    EXPECT_EQ(VornickStringEncodingForIANACharsetName(u"utf8"), VornickUTF8StringEncoding);
    EXPECT_EQ(VornickStringEncodingForIANACharsetName(u"latin1"), VornickISOLatin1StringEncoding);
    EXPECT_EQ(VornickStringEncodingForIANACharsetName(u"windows-1252"), VornickWindowsCP1252StringEncoding);
    EXPECT_EQ(VornickStringEncodingForIANACharsetName(u"Shift_JIS"), VornickShiftJISStringEncoding);
    EXPECT_EQ(VornickStringEncodingForIANACharsetName(u"ISO-8859-15"), 0x8000020Fu);
    EXPECT_EQ(VornickStringEncodingForIANACharsetName(u"no-such-charset"), 0u);
    EXPECT_EQ(VornickStringEncodingForIANACharsetName(u""), 0u);

    auto document = documentWithHead(u"");
    document->setCharacterSet(u"ISO-8859-2");
    EXPECT_EQ(vornick_stringEncoding(*document), VornickISOLatin2StringEncoding);
}

TEST(VornickDocumentSettings, SwitchingToUTF8KeepsOneDeclaration)
{
    // Both forms present: the Content-Type meta stays, rewritten; the charset meta goes.
    auto both = documentWithHead(u"<meta charset=\"iso-8859-1\"><title>t</title>"
                                 u"<meta http-equiv=\" content-type \" content=\"text/html; charset=iso-8859-1\">"
                                 u"<meta http-equiv=\"Content-Type\" content=\"text/html; charset=latin1\">");
    EXPECT_TRUE(vornick_setStringEncoding(*both, VornickUTF8StringEncoding));
    EXPECT_EQ(headMarkup(*both),
              u"<title>t</title><meta http-equiv=\" content-type \" content=\"text/html; charset=utf-8\">");

    auto charsetOnly = documentWithHead(u"<title>t</title><meta charset=\"latin1\"><meta charset=\"x\">");
    EXPECT_TRUE(vornick_setStringEncoding(*charsetOnly, VornickUTF8StringEncoding));
    EXPECT_EQ(headMarkup(*charsetOnly), u"<title>t</title><meta charset=\"utf-8\">");

    // Nothing declared: the form follows the document type.
    VornickDocumentTypeResolver html5 = [](const DOMDocument&) { return VornickHTMLDocumentType::HTML5; };
    VornickDocumentTypeResolver xhtml10 = [](const DOMDocument&) { return VornickHTMLDocumentType::XHTML10Transitional; };
    VornickSetDocumentTypeResolver(html5);
    auto modern = documentWithHead(u"<title>t</title>");
    EXPECT_TRUE(vornick_setStringEncoding(*modern, VornickUTF8StringEncoding));
    EXPECT_EQ(headMarkup(*modern), u"<meta charset=\"utf-8\"><title>t</title>");
    VornickSetDocumentTypeResolver(xhtml10);
    auto older = documentWithHead(u"<title>t</title>");
    EXPECT_TRUE(vornick_setStringEncoding(*older, VornickUTF8StringEncoding));
    EXPECT_EQ(headMarkup(*older), u"<meta http-equiv=\"Content-Type\" content=\"text/html; charset=utf-8\"><title>t</title>");
    VornickSetDocumentTypeResolver(nullptr);
    EXPECT_EQ(vornick_documentType(*older), VornickHTMLDocumentType::Unknown);

    // Other encodings, and documents without HEAD, are refused untouched.
    auto latin = documentWithHead(u"<meta charset=\"latin1\">");
    EXPECT_FALSE(vornick_setStringEncoding(*latin, VornickISOLatin1StringEncoding));
    EXPECT_EQ(headMarkup(*latin), u"<meta charset=\"latin1\">");
    auto bare = DOMDocument::create(DOMDocument::Kind::XML);
    EXPECT_FALSE(vornick_setStringEncoding(*bare, VornickUTF8StringEncoding));
}

TEST(VornickDocumentSettings, DeclaringAnotherEncodingNamesItAndTheTakenDeclarationsComeBackExactly)
{
    auto both = documentWithHead(u"<meta charset=\"utf-8\"><title>t</title>"
                                 u"<meta http-equiv=\"Content-Type\" content=\"text/html; charset=utf-8\"><meta name=\"x\" content=\"y\">");
    auto before = headMarkup(*both);
    auto taken = vornick_charsetDeclarations(*both);
    ASSERT_EQ(taken.metas.size(), 2u);
    EXPECT_TRUE(vornick_declareStringEncoding(*both, VornickShiftJISStringEncoding));
    EXPECT_EQ(headMarkup(*both), u"<title>t</title><meta http-equiv=\"Content-Type\" content=\"text/html; charset=shift_jis\">"
                                 u"<meta name=\"x\" content=\"y\">");
    vornick_restoreCharsetDeclarations(*both, taken);
    EXPECT_EQ(headMarkup(*both), before);
    // Taken twice over, they still come back (the copies are never the live elements).
    EXPECT_TRUE(vornick_declareStringEncoding(*both, VornickISOLatin1StringEncoding));
    vornick_restoreCharsetDeclarations(*both, taken);
    EXPECT_EQ(headMarkup(*both), before);

    // Only encodings that are written and read back under their names.
    EXPECT_TRUE(vornick_canDeclareStringEncoding(VornickUTF8StringEncoding));
    EXPECT_TRUE(vornick_canDeclareStringEncoding(VornickISOLatin1StringEncoding));
    EXPECT_FALSE(vornick_canDeclareStringEncoding(VornickStringEncodingNone));
    EXPECT_FALSE(vornick_canDeclareStringEncoding(0x80000003)) << "Korean (Mac OS) is read as something else";
    auto untouched = documentWithHead(u"<meta charset=\"utf-8\">");
    EXPECT_FALSE(vornick_declareStringEncoding(*untouched, 0x80000003));
    EXPECT_EQ(headMarkup(*untouched), u"<meta charset=\"utf-8\">");
}

TEST(VornickDocumentSettings, ResourceReferencesResolveAgainstTheBase)
{
    auto local = documentWithHead(u"");
    auto resolve = [](const DOMDocument& document, std::u16string_view reference) {
        auto url = vornick_resolveResourceFileReference(document, reference);
        return url ? url->absoluteString() : u"(none)";
    };
    EXPECT_EQ(resolve(*local, u"img/a.png"), u"file:///site/posts/img/a.png");
    EXPECT_EQ(resolve(*local, u"../img/a.png"), u"file:///site/img/a.png");
    EXPECT_EQ(resolve(*local, u"https://cdn.example.com/a.png"), u"https://cdn.example.com/a.png");

    // Root-relative and scheme-relative references take the base's scheme and host.
    auto remote = documentWithHead(u"<base href=\"https://example.com/blog/2024/post.html\">");
    EXPECT_EQ(resolve(*remote, u"/img/a.png"), u"https://example.com/img/a.png");
    EXPECT_EQ(resolve(*remote, u"//cdn.example.com/a.png"), u"https://cdn.example.com/a.png");
    EXPECT_EQ(resolve(*remote, u"a.png?v=2#top"), u"https://example.com/blog/2024/a.png?v=2#top");
    EXPECT_EQ(resolve(*local, u"/img/a.png"), u"file:///img/a.png");

    // A relative reference of a document that has no location resolves to nothing.
    auto unsaved = DOMDocument::parseHTML(u"<p>x</p>");
    EXPECT_EQ(resolve(*unsaved, u"/img/a.png"), u"(none)");
    EXPECT_EQ(resolve(*unsaved, u"file:///img/a.png"), u"file:///img/a.png");
}

} // namespace
} // namespace brevanton
