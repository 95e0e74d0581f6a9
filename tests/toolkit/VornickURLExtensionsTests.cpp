#include "toolkit/VornickURLExtensions.h"

#include "toolkit/VornickResourceFileKinds.h"
#include "platform/foundation/Assertions.h"
#include "platform/foundation/Text.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <set>
#include <thread>

using namespace brevanton;
namespace fs = std::filesystem;

namespace {

class VornickURLFiles : public ::testing::Test {
protected:
    void SetUp() override
    {
        auto path = createTemporaryDirectory("vornick-url-tests");
        ASSERT_TRUE(path.has_value());
        m_folder = *path;
    }
    void TearDown() override { fs::remove_all(m_folder); }

    std::string path(const std::string& relative) const { return m_folder + "/" + relative; }
    void touch(const std::string& relative, const std::string& contents = "") const
    {
        fs::create_directories(fs::path(path(relative)).parent_path());
        std::ofstream(path(relative)) << contents;
    }
    URL folderURL() const { return URL::fileURLWithPath(m_folder, true); }
    std::vector<std::string> namesInFolder() const
    {
        std::vector<std::string> names;
        for (auto& entry : fs::directory_iterator(m_folder))
            names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }

    std::string m_folder;
};

URL url(std::string_view string)
{
    return URL::create(string).value();
}

} // namespace

TEST(VornickURLExtensions, RelativeURLStringsEscapeWholeSegments)
{
    URL base = url("file:///a/b/x/");
    EXPECT_EQ(vornick_URLStringRelativeToBaseURL(url("file:///a/b/c/d.html"), base), u"../c/d.html");
    EXPECT_EQ(vornick_URLStringRelativeToBaseURL(url("file:///a/b/x/d%20e.html"), base), u"d%20e.html");
    EXPECT_EQ(vornick_URLStringRelativeToBaseURL(base, base), u"");
    EXPECT_EQ(vornick_URLStringRelativeToBaseURL(url("file:///a/"), base), u"../../");
    EXPECT_EQ(vornick_URLStringRelativeToBaseURL(url("file:///a/b/x/sub/"), base), u"sub/");
    EXPECT_EQ(vornick_URLStringRelativeToBaseURL(url("file:///q/r.html"), base), u"../../../q/r.html");
    EXPECT_FALSE(vornick_URLStringRelativeToBaseURL(url("http://h/a/b/c.html"), base).has_value());
    // The query and fragment of the reference stay with it.
    EXPECT_EQ(vornick_URLStringRelativeToBaseURL(url("file:///a/b/m/c.jpg?v=2&crop=1"), base), u"../m/c.jpg?v=2&crop=1");
    EXPECT_EQ(vornick_URLStringRelativeToBaseURL(url("file:///a/b/x/p.html#part%202"), base), u"p.html#part%202");
    EXPECT_EQ(vornick_URLStringRelativeToBaseURL(url("file:///a/b/x/font.woff?#iefix"), base), u"font.woff?#iefix");

    // Names holding "#", "?", ";", ":" and "%" must come back as the same file.
    URL odd = URL::fileURLWithPath("/a/b/x/n#1?;v:2 %41.html", false);
    auto relative = vornick_URLStringRelativeToBaseURL(odd, base);
    ASSERT_TRUE(relative.has_value());
    EXPECT_EQ(*relative, u"n%231%3F%3Bv%3A2%20%2541.html");
    auto resolved = URL::create(*relative, &base);
    ASSERT_TRUE(resolved.has_value());
    EXPECT_EQ(resolved->fileSystemPath(), "/a/b/x/n#1?;v:2 %41.html");
    EXPECT_EQ(vornick_URLRelativeToBaseURL(odd, base)->fileSystemPath(), odd.fileSystemPath());
    // A base given without its trailing "/" is still the folder.
    EXPECT_EQ(vornick_URLRelativeToBaseURL(url("file:///a/b/x/y.html"), url("file:///a/b/x"))->absoluteString(),
              u"file:///a/b/x/y.html");
}

TEST(VornickURLExtensions, ReferencesRelocatedToAnotherFolderKeepNamingTheSameFile)
{
    URL from = url("file:///site/pages/p.html");
    struct Case {
        const char16_t* reference;
        const char* to;
        const char16_t* expected;
    } cases[] = {
        { u"poppy.jpg", "file:///site/pages/q.html", u"poppy.jpg" },
        { u"poppy.jpg", "file:///site/pages/sub/q.html", u"../poppy.jpg" },
        { u"poppy.jpg", "file:///site/q.html", u"pages/poppy.jpg" },
        { u"../img/poppy.jpg", "file:///site/pages/sub/q.html", u"../../img/poppy.jpg" },
        { u"../img/poppy.jpg", "file:///site/q.html", u"img/poppy.jpg" },
        { u"img/a%20b.png?v=2#top", "file:///site/q.html", u"pages/img/a%20b.png?v=2#top" },
        { u"other.html#part", "file:///elsewhere/q.html", u"../site/pages/other.html#part" },
        // Not a path from the page's folder: as written.
        { u"#x", "file:///site/q.html", u"#x" },
        { u"?q=1", "file:///site/q.html", u"?q=1" },
        { u"mailto:a@example.com", "file:///site/q.html", u"mailto:a@example.com" },
        { u"data:image/png;base64,AAAA", "file:///site/q.html", u"data:image/png;base64,AAAA" },
        { u"http://example.com/a.png", "file:///site/q.html", u"http://example.com/a.png" },
        { u"//cdn.example.com/a.js", "file:///site/q.html", u"//cdn.example.com/a.js" },
        { u"/img/a.png", "file:///site/q.html", u"/img/a.png" },
        { u"", "file:///site/q.html", u"" },
    };
    for (const auto& c : cases)
        EXPECT_EQ(vornick_referenceRelocated(c.reference, from, url(c.to)), c.expected) << toUTF8(c.reference) << " to " << c.to;
    EXPECT_TRUE(vornick_isFolderRelativeReference(u"a/b:c")) << "a colon after a solidus is in the path";
    EXPECT_FALSE(vornick_isFolderRelativeReference(u"  tel:123"));
}

TEST(VornickURLExtensions, DeepestCommonRoot)
{
    URL a = url("file:///a/b/c/d.html");
    EXPECT_EQ(vornick_deepestRootInCommonWith(a, url("file:///a/b/x/y.html"))->absoluteString(), u"file:///a/b/");
    EXPECT_EQ(vornick_deepestRootInCommonWith(a, url("file:///a/b/"))->absoluteString(), u"file:///a/b/");
    EXPECT_EQ(vornick_deepestRootInCommonWith(url("file:///a/"), a)->absoluteString(), u"file:///a/");
    EXPECT_EQ(vornick_deepestRootInCommonWith(a, url("file:///z"))->absoluteString(), u"file:///");
    EXPECT_FALSE(vornick_deepestRootInCommonWith(a, url("http://h/a/b")).has_value());
}

TEST(VornickURLExtensions, FilenameSuffixGoesIntoTheLastComponent)
{
    EXPECT_EQ(vornick_URLByAppendingFilenameSuffix(url("file:///a/page.html"), u"-2").absoluteString(),
              u"file:///a/page-2.html");
    EXPECT_EQ(vornick_URLByAppendingFilenameSuffix(url("http://h/a/page.html?q=1#top"), u" copy").absoluteString(),
              u"http://h/a/page%20copy.html?q=1#top");
    EXPECT_EQ(vornick_URLByAppendingFilenameSuffix(url("file:///a/folder/"), u"#2").absoluteString(),
              u"file:///a/folder%232/");
    EXPECT_EQ(vornick_URLByAppendingFilenameSuffix(url("file:///a/README"), u"_old").absoluteString(),
              u"file:///a/README_old");
}

TEST(VornickURLExtensions, AbsoluteMeansHavingAScheme)
{
    EXPECT_TRUE(vornick_appearsToBeAbsolute(url("http://h/img/a.png")));
    EXPECT_TRUE(vornick_appearsToBeAbsolute(url("file:///img/a.png")));
    EXPECT_TRUE(vornick_appearsToBeAbsolute(url("mailto:x@example.com")));
    EXPECT_FALSE(vornick_appearsToBeAbsolute(url("/img/a.png")));
    EXPECT_FALSE(vornick_appearsToBeAbsolute(url("img/a.png")));
    EXPECT_FALSE(vornick_appearsToBeAbsolute(url("//cdn.example.com/a.js")));

    EXPECT_TRUE(vornick_schemeIsKnownCommonScheme(url("HTTPS://h/")));
    EXPECT_TRUE(vornick_schemeIsKnownCommonScheme(url("mailto:a@b")));
    EXPECT_FALSE(vornick_schemeIsKnownCommonScheme(url("javascript:void(0)")));
    EXPECT_FALSE(vornick_schemeIsKnownCommonScheme(url("a.html")));
}

TEST(VornickURLExtensions, TypesAndResourceFileKinds)
{
    EXPECT_TRUE(vornick_appearsToBeOfType(url("http://h/a/photo.JPG"), u"public.image"));
    EXPECT_TRUE(vornick_appearsToBeOfType(url("file:///a/page.xhtml"), u"public.xml"));
    EXPECT_FALSE(vornick_appearsToBeOfType(url("file:///a/page.html"), u"public.image"));
    EXPECT_FALSE(vornick_appearsToBeOfType(url("file:///a/noextension"), u"public.data"));
    EXPECT_TRUE(vornick_appearsToBeOfResourceFileKind(url("file:///m/clip.mp4"), u"video"));
    EXPECT_TRUE(vornick_appearsToBeOfResourceFileKind(url("file:///m/song.mp3"), u"audio"));
    EXPECT_FALSE(vornick_appearsToBeOfResourceFileKind(url("file:///m/song.mp3"), u"video"));
    EXPECT_FALSE(vornick_appearsToBeOfResourceFileKind(url("file:///m/a.png"), u"other"));

    EXPECT_EQ(VornickKnownResourceFileKinds().size(), 4u);
    EXPECT_EQ(VornickUTIForResourceFileKind(u"video"), u"public.movie");
    EXPECT_FALSE(VornickUTIForResourceFileKind(u"other").has_value());
    EXPECT_EQ(VornickResourceFileKindForUTI(u"public.png"), u"image");
    EXPECT_EQ(VornickResourceFileKindForUTI(u"public.mpeg-4"), u"video");
    EXPECT_EQ(VornickResourceFileKindForUTI(u"public.mp3"), u"audio");
    EXPECT_EQ(VornickResourceFileKindForUTI(u"public.html"), u"other");
    EXPECT_EQ(VornickResourceFileKindForUTI(u"dyn.extension.zzz"), u"other");
}

TEST(VornickURLExtensions, ShouldOpenWhenClickedAsksTheCallersTest)
{
    EXPECT_TRUE(vornick_shouldOpenWhenClicked(url("file:///p/site.brevantonproject"), nullptr));
    auto isProject = [](std::u16string_view extension) { return extension == u"brevantonproject"; };
    EXPECT_FALSE(vornick_shouldOpenWhenClicked(url("file:///p/site.brevantonproject"), isProject));
    EXPECT_TRUE(vornick_shouldOpenWhenClicked(url("file:///p/page.html"), isProject));
    EXPECT_TRUE(vornick_shouldOpenWhenClicked(url("file:///p/noextension"), isProject));
    EXPECT_TRUE(vornick_shouldOpenWhenClicked(url("http://h/site.brevantonproject"), isProject));
}

TEST(VornickURLExtensions, NormalizedKeysAndEncompassingFolders)
{
    EXPECT_EQ(vornick_normalizedUniqueKeyString(url("file://localhost/a/b.html")),
              vornick_normalizedUniqueKeyString(url("file:///a/b.html")));
    EXPECT_EQ(vornick_normalizedUniqueKeyString(url("file:///a/b.html?applesecurityscope=12")), u"file:///a/b.html");
    EXPECT_EQ(vornick_normalizedUniqueKeyString(url("file:///a/%7Eb.html")), u"file:///a/~b.html");
    EXPECT_EQ(vornick_normalizedUniqueKeyString(url("http://localhost/a?q")), u"http://localhost/a?q");

    URL folder = url("file:///a/b");
    EXPECT_TRUE(vornick_isDirectoryURLThatEncompasses(folder, url("file:///a/b/c.html")));
    EXPECT_TRUE(vornick_isDirectoryURLThatEncompasses(url("file:///a/b/"), url("file://localhost/a/b/c/d")));
    EXPECT_FALSE(vornick_isDirectoryURLThatEncompasses(folder, url("file:///a/bc/d.html")));
    EXPECT_FALSE(vornick_isDirectoryURLThatEncompasses(folder, url("file:///a/")));
}

TEST_F(VornickURLFiles, SameFileComparesIdentityNotCaseFoldedNames)
{
    touch("Page.html", "one");
    touch("page.html", "two");
    URL upper = URL::fileURLWithPath(path("Page.html"), false);
    URL lower = URL::fileURLWithPath(path("page.html"), false);
    EXPECT_FALSE(vornick_pointsToSameFileAsURL(upper, lower));
    EXPECT_FALSE(vornick_pointsToSameFileAsURL(url("http://h/A"), url("http://h/a")));
    EXPECT_TRUE(vornick_pointsToSameFileAsURL(url("http://h/a"), url("http://h/a")));

    fs::create_hard_link(path("Page.html"), path("hard.html"));
    fs::create_symlink(path("Page.html"), path("link.html"));
    EXPECT_TRUE(vornick_pointsToSameFileAsURL(upper, URL::fileURLWithPath(path("hard.html"), false)));
    EXPECT_TRUE(vornick_pointsToSameFileAsURL(upper, URL::fileURLWithPath(path("link.html"), false)));
    EXPECT_TRUE(vornick_pointsToSameFileAsURL(URL::fileURLWithPath(path("./Page.html"), false), upper));
    EXPECT_FALSE(vornick_pointsToSameFileAsURL(URL::fileURLWithPath(path("missing1"), false),
                                               URL::fileURLWithPath(path("missing2"), false)));
}

TEST_F(VornickURLFiles, UniqueFilesTakeTheNextNumberAfterTheLargest)
{
    touch("Untitled.html");
    touch("Untitled 3.html");
    touch("Untitled 3 copy.html");
    Error error;
    auto created = vornick_createUniqueFileOfType(folderURL(), FileKind::Regular, u"Untitled.html", &error);
    ASSERT_TRUE(created.has_value()) << error;
    EXPECT_EQ(created->lastPathComponent(), u"Untitled 4.html");
    EXPECT_TRUE(fs::is_regular_file(path("Untitled 4.html")));

    touch("untitled  7.HTML");
    touch(".Untitled 20.html");
    touch("Untitled 9.htm");
    EXPECT_EQ(vornick_createUniqueFileOfType(folderURL(), FileKind::Regular, u"Untitled.html", &error)->lastPathComponent(),
              u"Untitled 8.html");

    auto folder = vornick_createUniqueFileOfType(folderURL(), FileKind::Directory, u"WordPress Account", &error);
    ASSERT_TRUE(folder.has_value());
    EXPECT_EQ(folder->lastPathComponent(), u"WordPress Account");
    EXPECT_TRUE(folder->hasDirectoryPath());
    EXPECT_TRUE(fs::is_directory(path("WordPress Account")));
    // Numbering starts after the largest number present, so the first copy is 1.
    EXPECT_EQ(vornick_createUniqueFileOfType(folderURL(), FileKind::Directory, u"WordPress Account", &error)
                  ->lastPathComponent(),
              u"WordPress Account 1");
}

TEST_F(VornickURLFiles, UniqueFileCreationNeverReusesAFileThatAppears)
{
    // Many creators at once: every one gets a file of its own and no content is lost.
    touch("Draft.txt", "keep");
    std::vector<std::optional<URL>> results(16);
    std::vector<std::thread> threads;
    for (size_t i = 0; i < results.size(); ++i)
        threads.emplace_back([&, i] {
            results[i] = vornick_createUniqueFileOfType(folderURL(), FileKind::Regular, u"Draft.txt", nullptr);
            if (results[i])
                std::ofstream(*results[i]->fileSystemPath()) << i;
        });
    for (auto& thread : threads)
        thread.join();
    std::set<std::u16string> names;
    for (auto& result : results) {
        ASSERT_TRUE(result.has_value());
        names.insert(result->lastPathComponent());
    }
    EXPECT_EQ(names.size(), results.size());
    EXPECT_FALSE(names.contains(u"Draft.txt"));
    std::ifstream original(path("Draft.txt"));
    std::string contents((std::istreambuf_iterator<char>(original)), std::istreambuf_iterator<char>());
    EXPECT_EQ(contents, "keep");
}

TEST_F(VornickURLFiles, UniqueFileErrors)
{
    touch("plain.txt");
    Error error;
    EXPECT_FALSE(vornick_createUniqueFileOfType(URL::fileURLWithPath(path("plain.txt"), false), FileKind::Regular,
                                                u"a.txt", &error));
    EXPECT_TRUE(error.is(VornickErrorDomain, 26));
    EXPECT_FALSE(vornick_createUniqueFileOfType(URL::fileURLWithPath(path("missing"), true), FileKind::Regular,
                                                u"a.txt", &error));
    EXPECT_TRUE(error.is(POSIXErrorDomain, ENOENT));
    EXPECT_THROW((void)vornick_createUniqueFileOfType(url("http://h/folder/"), FileKind::Regular, u"a.txt", nullptr),
                 InternalInconsistencyException);
}

TEST_F(VornickURLFiles, TemporaryFilesAreCreatedEmptyAndDistinct)
{
    auto first = vornick_temporaryFileURLWithPathExtension(u"html", folderURL());
    auto second = vornick_temporaryFileURLWithPathExtension(u"html", folderURL());
    ASSERT_TRUE(first && second);
    EXPECT_NE(*first, *second);
    EXPECT_EQ(first->pathExtension(), u"html");
    EXPECT_TRUE(first->lastPathComponent().starts_with(u"Vornick."));
    EXPECT_EQ(first->lastPathComponent().size(), std::u16string(u"Vornick.XXXX.html").size());
    EXPECT_EQ(fs::file_size(*first->fileSystemPath()), 0u);
    EXPECT_FALSE(vornick_temporaryFileURLWithPathExtension(u"html", URL::fileURLWithPath(path("missing"), true)));
    EXPECT_FALSE(vornick_temporaryFileURLWithPathExtension(u"html", url("http://h/")));
}

TEST_F(VornickURLFiles, MIMETypesOfExistingFiles)
{
    touch("a.html");
    touch("b.PNG");
    touch("c.zzqqxx");
    fs::create_directory(path("d.html"));
    EXPECT_EQ(vornick_MIMEType(URL::fileURLWithPath(path("a.html"), false)), u"text/html");
    EXPECT_EQ(vornick_MIMEType(URL::fileURLWithPath(path("b.PNG"), false)), u"image/png");
    EXPECT_FALSE(vornick_MIMEType(URL::fileURLWithPath(path("c.zzqqxx"), false)).has_value());
    EXPECT_FALSE(vornick_MIMEType(URL::fileURLWithPath(path("d.html"), true)).has_value());
    EXPECT_FALSE(vornick_MIMEType(url("http://h/a.html")).has_value());
}

TEST_F(VornickURLFiles, EnumerationSkipsHiddenItemsAndHonoursRecursion)
{
    touch("a.html");
    touch("B.HTML");
    touch("c.css");
    touch(".hidden.html");
    touch("sub/d.html");
    touch(".hiddenfolder/e.html");
    fs::create_symlink(path("a.html"), path("link.html"));

    auto collect = [&](bool recurse, auto enumerate) {
        std::vector<std::string> names;
        bool finished = enumerate(recurse, [&](const URL& file, bool&) {
            names.push_back(fs::path(*file.fileSystemPath()).lexically_relative(m_folder).string());
        });
        EXPECT_TRUE(finished);
        return names;
    };
    auto byExtension = [&](bool recurse, const VornickURLEnumerationBlock& block) {
        return vornick_enumerateRegularFilesWithExtension(folderURL(), u"html", recurse, block);
    };
    auto byType = [&](bool recurse, const VornickURLEnumerationBlock& block) {
        return vornick_enumerateRegularFilesOfType(folderURL(), u"public.html", recurse, block);
    };
    EXPECT_EQ(collect(false, byExtension), (std::vector<std::string> { "B.HTML", "a.html" }));
    EXPECT_EQ(collect(true, byExtension), (std::vector<std::string> { "B.HTML", "a.html", "sub/d.html" }));
    EXPECT_EQ(collect(true, byType), (std::vector<std::string> { "B.HTML", "a.html", "sub/d.html" }));

    int visits = 0;
    EXPECT_FALSE(vornick_enumerateRegularFilesWithExtension(folderURL(), u"html", true, [&](const URL&, bool& stop) {
        ++visits;
        stop = true;
    }));
    EXPECT_EQ(visits, 1);
    EXPECT_THROW(vornick_enumerateRegularFilesWithExtension(url("http://h/"), u"html", true, [](const URL&, bool&) {}),
                 InternalInconsistencyException);
}
