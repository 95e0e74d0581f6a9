#include "wordpress/VornickWordPressContentResourceReferencePatcher.h"

#include "tests/wordpress/WordPressMediaLibraryTestSupport.h"

#include "platform/foundation/Text.h"

#include <gtest/gtest.h>

namespace brevanton {
namespace {

class VornickWordPressContentResourceReferencePatcherTests : public ::testing::Test {
protected:
    testing::WordPressMediaLibrary library;

    std::optional<std::u16string> patch(std::u16string_view text, std::optional<URL> baseURL)
    {
        VornickWordPressContentResourceReferencePatcher patcher(library.blog, std::move(baseURL));
        return patcher.patchReferencesInHTMLString(std::u16string(text));
    }
    std::optional<std::u16string> patch(std::u16string_view text) { return patch(text, library.postFileURL()); }

    static std::u16string imageBlock(std::u16string_view attributes, std::u16string_view imageTag)
    {
        return u"<!-- wp:image " + std::u16string(attributes) + u" -->\n<figure class=\"wp-block-image size-large\">" + std::u16string(imageTag)
            + u"</figure>\n<!-- /wp:image -->";
    }
};

TEST_F(VornickWordPressContentResourceReferencePatcherTests, TextsWithNothingToPatchComeBackAsTheyAre)
{
    library.addItem(u"42", u"photo.jpg", u"https://site.example/uploads/photo.jpg");
    library.addItem(u"", u"pending.jpg", u"");
    const std::u16string unchanged[] = {
        u"",
        u"<p>A classic post <img src=\"../media/photo.jpg\"></p>",
        u"<!-- wp:paragraph -->\n<p>No pictures.</p>\n<!-- /wp:paragraph -->",
        // An image block without a figure, without a picture, or whose comment is not block metadata.
        u"<!-- wp:image {\"id\":0} --><img src=\"../media/photo.jpg\"><!-- /wp:image -->",
        u"<!-- wp:image {\"id\":0} --><figure><figcaption>x</figcaption></figure><!-- /wp:image -->",
        u"<!-- wp:image [1,2] --><figure><img src=\"../media/photo.jpg\"></figure><!-- /wp:image -->",
        // A picture no item stands for; an item not uploaded yet (no identifier).
        imageBlock(u"{\"id\":0}", u"<img src=\"../media/other.jpg\" class=\"wp-image-0\">"),
        imageBlock(u"{\"id\":0}", u"<img src=\"../media/pending.jpg\" class=\"wp-image-0\">"),
        // A self-closing image block has no markup of its own.
        u"<!-- wp:image {\"id\":42} /-->",
        // Only "wp:image" blocks are patched.
        u"<!-- wp:my/image {\"id\":42} --><figure><img src=\"../media/photo.jpg\"></figure><!-- /wp:my/image -->",
    };
    for (const auto& text : unchanged)
        EXPECT_EQ(patch(text), text) << toUTF8(text);

    // An unterminated comment or tag cannot be parsed.
    EXPECT_EQ(patch(u"<!-- wp:paragraph --><p>x</p><!-- /wp:paragraph --><!-- never closed"), std::nullopt);
}

TEST_F(VornickWordPressContentResourceReferencePatcherTests, LocalPictureTakesItsItemsIdentifierAddressAndClass)
{
    library.addItem(u"42", u"photo.jpg", u"https://site.example/uploads/2026/photo.jpg");
    auto text = imageBlock(u"{\"id\":0,\"sizeSlug\":\"full\",\"linkDestination\":\"none\",\"className\":\"is-style-rounded\"}",
                           u"<img src=\"../media/photo.jpg\" alt=\"A photo\" class=\"wp-image-0 alignleft wp-image-17 size-full\"/>");
    EXPECT_EQ(patch(u"<p>before</p>" + text + u"<p>after</p>"),
              u"<p>before</p>" + imageBlock(u"{\"id\":42,\"sizeSlug\":\"full\",\"linkDestination\":\"none\",\"className\":\"is-style-rounded\"}",
                                            u"<img src=\"https://site.example/uploads/2026/photo.jpg\" alt=\"A photo\" "
                                            u"class=\"alignleft size-full wp-image-42\"/>")
                  + u"<p>after</p>");
}

TEST_F(VornickWordPressContentResourceReferencePatcherTests, ItemsAreFoundByIdentifierThenAddressAsWrittenThenResolved)
{
    auto byIdentifier = library.addItem(u"7", u"", u"https://site.example/uploads/seven.jpg");
    auto asWritten = library.addItem(u"8", u"raw/eight.jpg", u"https://site.example/uploads/eight.jpg");
    auto absolute = library.addItem(u"9", u"", u"https://site.example/uploads/nine.jpg");
    absolute->setValueForKey(Value(library.blog->blogFolderURL()->URLByAppendingPathComponent(u"elsewhere/nine.jpg", false).absoluteString()),
                             u"localURLString");
    library.addItem(u"10", u"caf\u00e9 noir.png", u"https://site.example/uploads/ten.png");
    // Another blog's item is never used.
    auto other = std::dynamic_pointer_cast<VornickWordPressBlog>(library.context().insertNewObject(u"Blog"));
    library.addItem(u"11", u"foreign.jpg", u"https://other.example/foreign.jpg", other);

    struct Case {
        std::u16string attributes;
        std::u16string source;
        std::u16string expectedAttributes;
        std::u16string expectedSource;
    };
    const Case cases[] = {
        { u"{\"id\":7}", u"https://old.example/x.jpg", u"{\"id\":7}", u"https://site.example/uploads/seven.jpg" },
        // The identifier as a string, and with trailing text, as services write it.
        { u"{\"id\":\"7\"}", u"x.jpg", u"{\"id\":7}", u"https://site.example/uploads/seven.jpg" },
        { u"{\"id\":0}", u"raw/eight.jpg", u"{\"id\":8}", u"https://site.example/uploads/eight.jpg" },
        { u"{}", u"../elsewhere/nine.jpg", u"{\"id\":9}", u"https://site.example/uploads/nine.jpg" },
        { u"{\"id\":0}", u"../media/caf%C3%A9%20noir.png", u"{\"id\":10}", u"https://site.example/uploads/ten.png" },
        { u"{\"id\":0}", u"../media/foreign.jpg", u"{\"id\":0}", u"../media/foreign.jpg" },
    };
    for (const auto& c : cases) {
        auto expectedClass = c.expectedSource == c.source ? u"wp-image-0" : u"wp-image-" + c.expectedAttributes.substr(6, c.expectedAttributes.size() - 7);
        EXPECT_EQ(patch(imageBlock(c.attributes, u"<img src=\"" + c.source + u"\" class=\"wp-image-0\">")),
                  imageBlock(c.expectedAttributes, u"<img src=\"" + c.expectedSource + u"\" class=\"" + expectedClass + u"\">"))
            << toUTF8(c.attributes + u" " + c.source);
    }

    // Without a base URL a relative address finds nothing.
    auto text = imageBlock(u"{\"id\":0}", u"<img src=\"../media/caf%C3%A9%20noir.png\" class=\"wp-image-0\">");
    EXPECT_EQ(patch(text, std::nullopt), text);
}

TEST_F(VornickWordPressContentResourceReferencePatcherTests, SizeSlugPicksTheItemsVariantElseItsAddress)
{
    auto item = library.addItem(u"5", u"sea.jpg", u"https://site.example/uploads/2026/sea.jpg");
    library.addVariant(item, u"large", u"sea-1024x768.jpg");
    library.addVariant(item, u"thumbnail", u"sea-150x150.jpg");
    auto block = [&](std::u16string_view attributes, std::u16string_view source) {
        return imageBlock(attributes, u"<img src=\"" + std::u16string(source) + u"\" alt=\"\" class=\"wp-image-5\"/>");
    };
    EXPECT_EQ(patch(block(u"{\"id\":5,\"sizeSlug\":\"large\"}", u"../media/sea.jpg")),
              block(u"{\"id\":5,\"sizeSlug\":\"large\"}", u"https://site.example/uploads/2026/sea-1024x768.jpg"));
    EXPECT_EQ(patch(block(u"{\"id\":5,\"sizeSlug\":\"medium\"}", u"../media/sea.jpg")),
              block(u"{\"id\":5,\"sizeSlug\":\"medium\"}", u"https://site.example/uploads/2026/sea.jpg"));

    // An item without an address: only the identifier and the class are written.
    library.addItem(u"6", u"lake.jpg", u"");
    EXPECT_EQ(patch(imageBlock(u"{}", u"<img src=\"../media/lake.jpg\" class=\"x wp-image-1\">")),
              imageBlock(u"{\"id\":6}", u"<img src=\"../media/lake.jpg\" class=\"x wp-image-6\">"));
}

// A block "id" naming no item of the blog, kept while the picture's own item
// was found by its address, would make the published block show another
// picture; the found item's identifier is written instead.
TEST_F(VornickWordPressContentResourceReferencePatcherTests, FoundItemsIdentifierReplacesAStaleBlockIdentifier)
{
    library.addItem(u"42", u"photo.jpg", u"https://site.example/uploads/photo.jpg");
    EXPECT_EQ(patch(imageBlock(u"{\"id\":999,\"sizeSlug\":\"large\"}", u"<img src=\"../media/photo.jpg\" class=\"wp-image-999\">")),
              imageBlock(u"{\"id\":42,\"sizeSlug\":\"large\"}", u"<img src=\"https://site.example/uploads/photo.jpg\" class=\"wp-image-42\">"));
}

// A picture without a class would otherwise go up still naming its local file.
TEST_F(VornickWordPressContentResourceReferencePatcherTests, PictureWithoutClassGetsItsAddressAndClass)
{
    library.addItem(u"42", u"photo.jpg", u"https://site.example/uploads/photo.jpg");
    EXPECT_EQ(patch(imageBlock(u"{\"id\":0}", u"<img src=\"../media/photo.jpg\" alt=\"A\"/>")),
              imageBlock(u"{\"id\":42}", u"<img src=\"https://site.example/uploads/photo.jpg\" alt=\"A\" class=\"wp-image-42\"/>"));
    EXPECT_EQ(patch(imageBlock(u"{\"id\":0}", u"<img src=../media/photo.jpg>")),
              imageBlock(u"{\"id\":42}", u"<img src=\"https://site.example/uploads/photo.jpg\" class=\"wp-image-42\">"));
    // A class without a value gets one.
    EXPECT_EQ(patch(imageBlock(u"{\"id\":0}", u"<img class src='../media/photo.jpg'>")),
              imageBlock(u"{\"id\":42}", u"<img class=\"wp-image-42\" src='https://site.example/uploads/photo.jpg'>"));
}

TEST_F(VornickWordPressContentResourceReferencePatcherTests, NewValuesAreEscapedForTheirQuotes)
{
    library.addItem(u"3", u"it's.jpg", u"https://site.example/get?name=it's&size=2");
    // Found by the address as written, quotes and all.
    EXPECT_EQ(patch(imageBlock(u"{}", u"<img src=\"it's.jpg\" class='a'>")),
              imageBlock(u"{\"id\":3}", u"<img src=\"https://site.example/get?name=it's&amp;size=2\" class='a wp-image-3'>"));
    EXPECT_EQ(patch(imageBlock(u"{\"id\":3}", u"<img src='x.jpg' class=\"a\">")),
              imageBlock(u"{\"id\":3}", u"<img src='https://site.example/get?name=it&#39;s&amp;size=2' class=\"a wp-image-3\">"));
}

TEST_F(VornickWordPressContentResourceReferencePatcherTests, EveryImageBlockIsPatchedWhereverItStands)
{
    library.addItem(u"1", u"one.jpg", u"https://site.example/one.jpg");
    library.addItem(u"2", u"two.jpg", u"https://site.example/two.jpg");
    auto image = [&](std::u16string_view number, std::u16string_view source) {
        return u"<!-- wp:image {\"id\":" + std::u16string(number) + u"} --><figure class=\"wp-block-image\"><a href=\"../media/x.jpg\">"
            + u"<img src=\"" + std::u16string(source) + u"\" class=\"wp-image-" + std::u16string(number) + u"\"></a></figure><!-- /wp:image -->";
    };
    auto gallery = [&](std::u16string_view inner) {
        return u"<!-- wp:gallery {\"linkTo\":\"none\"} --><figure class=\"wp-block-gallery\">" + std::u16string(inner)
            + u"</figure><!-- /wp:gallery -->";
    };
    // In a gallery, linked, repeated, and a last block left unclosed.
    std::u16string text = gallery(image(u"0", u"../media/one.jpg") + image(u"0", u"../media/two.jpg")) + image(u"0", u"../media/one.jpg")
        + u"<!-- wp:image {\"id\":0} --><figure><img src=\"../media/two.jpg\" class=\"wp-image-0\"></figure>";
    EXPECT_EQ(patch(text), gallery(image(u"1", u"https://site.example/one.jpg") + image(u"2", u"https://site.example/two.jpg"))
                               + image(u"1", u"https://site.example/one.jpg")
                               + u"<!-- wp:image {\"id\":2} --><figure><img src=\"https://site.example/two.jpg\" class=\"wp-image-2\"></figure>");
}

} // namespace
} // namespace brevanton
