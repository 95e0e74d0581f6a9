#include "documents/VornickDiskWebResourceCache.h"

#include "platform/foundation/FileUtilities.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/Text.h"
#include "platform/net/URLResponse.h"
#include "platform/net/WebResource.h"
#include "toolkit/VornickErrors.h"

#include <gtest/gtest.h>

#include <thread>
#include <vector>

using namespace brevanton;

namespace {

struct CacheFolder {
    std::string root = createTemporaryDirectory("cache").value();
    std::string path = root + "/blogs/My Blog/resources";
    URL url = URL::fileURLWithPath(path, true);
    ~CacheFolder() { (void)removeItem(root); }
};

Data bytes(std::string_view text) { return Data(text.begin(), text.end()); }

} // namespace

TEST(VornickDiskWebResourceCache, KeepsResourcesAcrossReopening)
{
    CacheFolder folder;
    URL image = *URL::create(u"https://example.com/wp-content/uploads/caf%C3%A9.png?w=300");
    URL page = *URL::create(u"https://example.com/style.css");
    {
        Error error;
        auto cache = VornickDiskWebResourceCache::createWithCacheDirectoryURL(folder.url, &error);
        ASSERT_TRUE(cache) << toUTF8(error.localizedDescription());
        EXPECT_TRUE(fileExists(folder.path + "/index.brevantoncachedb"));
        EXPECT_FALSE(cache->cachedWebResourceForURL(image));
        EXPECT_FALSE(cache->cachedFileURLForURL(image));

        cache->storeCachedWebResource(WebResource(bytes("PNG"), image, u"image/png"));
        HTTPHeaderFields fields;
        fields.set(u"Content-Type", u"text/css; charset=utf-8");
        HTTPURLResponse response(page, 200, fields);
        EXPECT_TRUE(cache->storeCachedURLResponse(response, bytes("p { }")));
    }

    auto cache = VornickDiskWebResourceCache::createWithCacheDirectoryURL(folder.url);
    ASSERT_TRUE(cache);
    EXPECT_EQ(cache->cachedSourceURLs(), (std::set<std::u16string> { image.absoluteString(), page.absoluteString() }));
    auto found = cache->cachedWebResourceForURL(*URL::create(image.absoluteString() + u"#top"));
    ASSERT_TRUE(found);
    EXPECT_EQ(found->data(), bytes("PNG"));
    EXPECT_EQ(found->MIMEType(), u"image/png");
    auto css = cache->cachedWebResourceForURL(page);
    ASSERT_TRUE(css);
    EXPECT_EQ(css->MIMEType(), u"text/css");
    EXPECT_EQ(css->textEncodingName(), u"utf-8");

    // The cached file lies in the folder under the URL's (decoded) name, and
    // maps back to its source.
    auto fileURL = cache->cachedFileURLForURL(image);
    ASSERT_TRUE(fileURL);
    EXPECT_EQ(toUTF8(fileURL->path()), folder.path + "/café.png");
    EXPECT_EQ(readFile(*fileURL->fileSystemPath()), "PNG");
    EXPECT_EQ(cache->originalURLForCachedFileURL(*fileURL)->absoluteString(), image.absoluteString());
    EXPECT_EQ(cache->cachedFileURLForURL(*fileURL), fileURL); // already inside the cache
    EXPECT_FALSE(cache->cachedFileURLForURL(URL::fileURLWithPath(folder.path + "/../../outside.png", false)));
    EXPECT_FALSE(cache->originalURLForCachedFileURL(URL::fileURLWithPath(folder.path + "/none.png", false)));
    EXPECT_FALSE(cache->originalURLForCachedFileURL(URL::fileURLWithPath(folder.root + "/café.png", false)));

    // A newer copy replaces the contents in the same file.
    cache->storeCachedWebResource(WebResource(bytes("PNG2"), image, u"image/png"));
    EXPECT_EQ(cache->cachedWebResourceForURL(image)->data(), bytes("PNG2"));
    EXPECT_EQ(cache->cachedFileURLForURL(image), fileURL);
    EXPECT_EQ(cache->cachedSourceURLs().size(), 2u);

    // A file removed behind the cache's back is no longer answered.
    ASSERT_TRUE(removeItem(*fileURL->fileSystemPath()));
    EXPECT_FALSE(cache->cachedWebResourceForURL(image));

    cache->removeAllCachedResources();
    EXPECT_TRUE(cache->cachedSourceURLs().empty());
    EXPECT_EQ(directoryEntryNames(folder.path)->size(), 3u); // the index, its -wal and -shm
}

TEST(VornickDiskWebResourceCache, FileNamesNeverCollideOrEscapeTheFolder)
{
    CacheFolder folder;
    auto cache = VornickDiskWebResourceCache::createWithCacheDirectoryURL(folder.url);
    ASSERT_TRUE(cache);
    // Same last component on two sites; an escaped "/" and a hidden name; a
    // name the index uses; no name at all.
    std::vector<std::u16string> urls { u"https://a.example/logo.png", u"https://b.example/logo.png",
                                       u"https://c.example/..%2F..%2Fescape.png", u"https://d.example/.hidden",
                                       u"https://e.example/index.brevantoncachedb", u"https://f.example/" };
    for (const auto& string : urls)
        cache->storeCachedWebResource(WebResource(bytes(toUTF8(string)), *URL::create(string), u"image/png"));

    std::set<std::string> paths;
    for (const auto& string : urls) {
        auto fileURL = cache->cachedFileURLForURL(*URL::create(string));
        ASSERT_TRUE(fileURL) << toUTF8(string);
        std::string path = *fileURL->fileSystemPath();
        EXPECT_EQ(parentDirectory(path), folder.path);
        EXPECT_NE(path.substr(folder.path.size() + 1, 1), ".");
        EXPECT_EQ(readFile(path), toUTF8(string));
        paths.insert(path);
    }
    EXPECT_EQ(paths.size(), urls.size());
    EXPECT_EQ(readFile(folder.path + "/logo.png"), "https://a.example/logo.png");
    EXPECT_EQ(readFile(folder.path + "/logo 2.png"), "https://b.example/logo.png");
    EXPECT_FALSE(fileExists(folder.root + "/blogs/escape.png"));
    // The index was not touched by the resource named like it.
    EXPECT_EQ(cache->cachedSourceURLs().size(), urls.size());
}

TEST(VornickDiskWebResourceCache, StoresCopiesOfLocalFilesOfKnownTypes)
{
    CacheFolder folder;
    auto cache = VornickDiskWebResourceCache::createWithCacheDirectoryURL(folder.url);
    ASSERT_TRUE(cache);
    ASSERT_TRUE(writeFileAtomically(folder.root + "/photo.jpg", "JPEG"));
    ASSERT_TRUE(writeFileAtomically(folder.root + "/notes.unknownextension", "?"));

    URL photo = URL::fileURLWithPath(folder.root + "/photo.jpg", false);
    auto copy = cache->storeCopyOfFile(photo);
    ASSERT_TRUE(copy);
    EXPECT_EQ(readFile(*copy->fileSystemPath()), "JPEG");
    EXPECT_EQ(cache->cachedWebResourceForURL(photo)->MIMEType(), u"image/jpeg");
    EXPECT_EQ(cache->originalURLForCachedFileURL(*copy), photo);

    EXPECT_FALSE(cache->storeCopyOfFile(URL::fileURLWithPath(folder.root + "/notes.unknownextension", false)));
    EXPECT_FALSE(cache->storeCopyOfFile(URL::fileURLWithPath(folder.root + "/missing.jpg", false)));
    EXPECT_FALSE(cache->storeCopyOfFile(*URL::create(u"https://example.com/remote.jpg")));
    EXPECT_EQ(cache->cachedSourceURLs().size(), 1u);
}

TEST(VornickDiskWebResourceCache, DamagedIndexIsSetAsideAndAnUnusableFolderIsAnError)
{
    CacheFolder folder;
    ASSERT_TRUE(createDirectory(folder.path));
    ASSERT_TRUE(writeFileAtomically(folder.path + "/index.brevantoncachedb", std::string(4096, 'x')));
    auto cache = VornickDiskWebResourceCache::createWithCacheDirectoryURL(folder.url);
    ASSERT_TRUE(cache);
    EXPECT_TRUE(fileExists(folder.path + "/index.brevantoncachedb.unreadable"));
    cache->storeCachedWebResource(WebResource(bytes("x"), *URL::create(u"https://example.com/x.png"), u"image/png"));
    EXPECT_EQ(cache->cachedSourceURLs().size(), 1u);

    ASSERT_TRUE(writeFileAtomically(folder.root + "/file", "not a folder"));
    Error error;
    EXPECT_FALSE(VornickDiskWebResourceCache::createWithCacheDirectoryURL(
        URL::fileURLWithPath(folder.root + "/file/resources", true), &error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_FALSE(VornickDiskWebResourceCache::createWithCacheDirectoryURL(*URL::create(u"https://example.com/"), &error));
    EXPECT_TRUE(error.is(VornickErrorDomain, VornickWebResourceCacheIndexError));
}

TEST(VornickDiskWebResourceCache, IsSafeFromSeveralThreadsAndSeveralCachesOnOneFolder)
{
    CacheFolder folder;
    auto cache = VornickDiskWebResourceCache::createWithCacheDirectoryURL(folder.url);
    auto second = VornickDiskWebResourceCache::createWithCacheDirectoryURL(folder.url);
    ASSERT_TRUE(cache && second);
    constexpr int threads = 8, perThread = 25;
    std::vector<std::thread> workers;
    for (int t = 0; t < threads; ++t) {
        workers.emplace_back([&, t] {
            auto& mine = t % 2 ? *cache : *second;
            for (int i = 0; i < perThread; ++i) {
                std::string name = "https://example.com/t" + std::to_string(t) + "/image.png?i=" + std::to_string(i);
                URL url = *URL::create(name);
                mine.storeCachedWebResource(WebResource(bytes(name), url, u"image/png"));
                auto back = mine.cachedWebResourceForURL(url);
                EXPECT_TRUE(back && back->data() == bytes(name));
                (void)mine.cachedSourceURLs();
            }
        });
    }
    for (auto& worker : workers)
        worker.join();
    EXPECT_EQ(cache->cachedSourceURLs().size(), size_t(threads * perThread));
    // Every entry has a file of its own with its own contents.
    std::set<std::string> files;
    for (const auto& source : cache->cachedSourceURLs()) {
        auto fileURL = cache->cachedFileURLForURL(*URL::create(source));
        ASSERT_TRUE(fileURL);
        EXPECT_EQ(readFile(*fileURL->fileSystemPath()), toUTF8(source));
        files.insert(*fileURL->fileSystemPath());
    }
    EXPECT_EQ(files.size(), size_t(threads * perThread));
}

TEST(VornickDiskWebResourceCache, TellsOfEachNewFileOnTheMainThread)
{
    // What earlier stores queued is told first.
    RunLoop::main().runFor(0.05);
    CacheFolder folder;
    auto cache = VornickDiskWebResourceCache::createWithCacheDirectoryURL(folder.url);
    ASSERT_TRUE(cache);
    std::vector<Notification> heard;
    std::vector<bool> onMainThread;
    auto token = NotificationCenter::defaultCenter().addObserver(VornickWebResourceCacheDidAddFileNotification, nullptr, nullptr,
        [&](const Notification& notification) {
            heard.push_back(notification);
            onMainThread.push_back(RunLoop::isMainThread());
        });

    URL image = *URL::create(u"https://example.com/a/picture.png");
    cache->storeCachedWebResource(WebResource(bytes("PNG"), image, u"image/png"));
    ASSERT_EQ(heard.size(), 1u);
    EXPECT_EQ(heard[0].object, cache.get());
    EXPECT_EQ(heard[0].userInfo.at(u"sourceURL").stringValue(), image.absoluteString());
    EXPECT_EQ(heard[0].userInfo.at(u"cachedFileURL").stringValue(), cache->cachedFileURLForURL(image)->absoluteString());

    // Stored again, the entry keeps its file: nothing new to tell.
    cache->storeCachedWebResource(WebResource(bytes("PNG2"), image, u"image/png"));
    EXPECT_EQ(heard.size(), 1u);

    // A store on another thread is told on the main thread, once the loop runs.
    URL page = *URL::create(u"https://example.com/style.css");
    std::thread worker([&] {
        HTTPURLResponse response(page, 200, HTTPHeaderFields());
        EXPECT_TRUE(cache->storeCachedURLResponse(response, bytes("p { }")));
    });
    worker.join();
    EXPECT_EQ(heard.size(), 1u);
    EXPECT_TRUE(RunLoop::main().runUntil([&] { return heard.size() == 2; }, 30));
    ASSERT_EQ(heard.size(), 2u);
    EXPECT_EQ(heard[1].userInfo.at(u"sourceURL").stringValue(), page.absoluteString());
    EXPECT_EQ(onMainThread, (std::vector<bool> { true, true }));

    // A failed store tells nothing.
    ASSERT_TRUE(removeItem(folder.path));
    cache->storeCachedWebResource(WebResource(bytes("X"), *URL::create(u"https://example.com/gone.png"), u"image/png"));
    RunLoop::main().runFor(0.01);
    EXPECT_EQ(heard.size(), 2u);
}
