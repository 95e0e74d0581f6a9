#include "wordpress/VornickWordPressBlogResourceReferenceReplacer.h"

#include "tests/wordpress/WordPressMediaLibraryTestSupport.h"

#include "documents/VornickDiskWebResourceCache.h"
#include "platform/foundation/Text.h"
#include "platform/net/WebResource.h"

#include <gtest/gtest.h>

namespace brevanton {
namespace {

Data bytes(std::string_view text) { return Data(text.begin(), text.end()); }

TEST(VornickWordPressBlogResourceReferenceReplacer, CachedCopiesOfWebResourcesBecomeTheirAddressesAgain)
{
    testing::WordPressMediaLibrary library;
    auto cache = std::dynamic_pointer_cast<VornickDiskWebResourceCache>(library.blog->webResourceCache());
    ASSERT_TRUE(cache);
    URL remote = *URL::create(u"https://cdn.example/img/a.png?w=300&h=200");
    cache->storeCachedWebResource(WebResource(bytes("PNG"), remote, u"image/png"));
    auto cached = cache->cachedFileURLForURL(remote);
    ASSERT_TRUE(cached);

    // A local file's copy is kept under the file's own URL: it must not be
    // answered, or the post would name a file on this computer.
    std::string picture = library.folder + "/picture.png";
    ASSERT_TRUE(writeFileAtomically(picture, "PNG"));
    auto copy = cache->storeCopyOfFile(URL::fileURLWithPath(picture, false));
    ASSERT_TRUE(copy);
    ASSERT_NE(copy->absoluteString(), cached->absoluteString());

    // Relative to a post beside the cache folder, and absolute.
    URL base = library.blog->blogFolderURL()->URLByAppendingPathComponent(u"posts/post.brevantonwordpresspost", false);
    std::u16string relative = u"../resources/" + cached->lastPathComponent();
    std::u16string text = u"<p><img src=\"" + relative + u"\" srcset=\"" + cached->absoluteString() + u" 2x, https://cdn.example/b.png 3x\">"
        + u"<img src=\"https://cdn.example/img/a.png\"><img src=\"" + copy->absoluteString() + u"\">"
        + u"<img src=\"../media/missing.png\"><a href=\"" + relative + u"\">link</a></p>";
    VornickWordPressBlogResourceReferenceReplacer replacer(text, base, library.blog);
    EXPECT_EQ(replacer.wordPressBlog(), library.blog);
    std::u16string original = u"https://cdn.example/img/a.png?w=300&amp;h=200";
    EXPECT_EQ(replacer.replaceReferencesInHTMLString(),
              u"<p><img src=\"" + original + u"\" srcset=\"" + original + u" 2x, https://cdn.example/b.png 3x\">"
                  + u"<img src=\"https://cdn.example/img/a.png\"><img src=\"" + copy->absoluteString() + u"\">"
                  + u"<img src=\"../media/missing.png\"><a href=\"" + relative + u"\">link</a></p>");

    // Without a blog nothing is replaced.
    VornickWordPressBlogResourceReferenceReplacer orphan(text, base, nullptr);
    EXPECT_EQ(orphan.replaceReferencesInHTMLString(), text);
}

} // namespace
} // namespace brevanton
