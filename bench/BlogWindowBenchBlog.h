// A generated WordPress blog in a real object store on disk, as the blog
// window's benchmarks read it: 10,000 posts and pages (2 KB of body each, 20
// MB in all; drafts, published, private; some in the Trash), 200 categories
// and 1,000 tags (two categories and four tags a post), saved, with the
// store's path for the same queries in raw SQLite. Made once per process;
// its folder is removed at exit. Beside it, the array controller the list
// benchmarks show its posts through.
#pragma once

#include "blog/VornickBlogModel.h"
#include "platform/foundation/FileUtilities.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/Text.h"
#include "platform/store/ManagedObjectContext.h"
#include "platform/store/PersistentStore.h"
#include "ui/VornickWebListArrayController.h"

#include <cstdio>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace brevanton {

struct BlogWindowBenchBlog {
    static constexpr size_t postCount = 10000;
    static constexpr size_t categoryCount = 200;
    static constexpr size_t tagCount = 1000;
    static constexpr size_t bodyLength = 2048;

    std::string folder;
    std::string storePath;
    std::shared_ptr<ManagedObjectContext> context;
    std::shared_ptr<ManagedObject> blog;
    std::vector<std::shared_ptr<ManagedObject>> posts, categories, tags, statuses;

    static const std::vector<std::u16string>& words()
    {
        static const std::vector<std::u16string> words {
            u"garden", u"river", u"winter", u"kitchen", u"travel", u"market", u"music", u"harbour", u"letters", u"bread",
            u"mountain", u"station", u"coffee", u"library", u"orchard", u"Caf\u00e9", u"lantern", u"meadow", u"bicycle", u"island",
            u"workshop", u"autumn", u"theatre", u"pottery", u"village", u"bridge", u"summer", u"garden's", u"notes", u"festival",
            u"harvest", u"tower", u"window", u"evening", u"poems", u"recipe", u"forest", u"journey", u"painting", u"harbor",
        };
        return words;
    }
    static std::u16string number(size_t value) { return toUTF16(std::to_string(value)); }

    static std::u16string titleOfPost(size_t i)
    {
        const auto& vocabulary = words();
        size_t n = vocabulary.size();
        return vocabulary[(i * 7) % n] + u" and the " + vocabulary[(i * 13 + 5) % n] + u", part " + number(i);
    }
    // About 2 KB of paragraphs; one post in 40 mentions a "xylophone".
    static std::u16string bodyOfPost(size_t i)
    {
        const auto& vocabulary = words();
        std::u16string body;
        for (size_t paragraph = 0; body.size() < bodyLength - 120; ++paragraph) {
            body += u"<p>";
            for (size_t word = 0; word < 14; ++word)
                body += vocabulary[(i * 31 + paragraph * 17 + word * 3) % vocabulary.size()] + u" ";
            body += u"and more of post " + number(i) + u".</p>\n";
        }
        if (i % 40 == 7)
            body += u"<p>A xylophone.</p>";
        body.resize(bodyLength, u' ');
        return body;
    }

    BlogWindowBenchBlog()
    {
        folder = createTemporaryDirectory("blog-window-bench").value();
        storePath = folder + "/index.brevantonindex";
        Error error;
        auto store = PersistentStore::open(storePath, vornickMakeBlogProjectModel(true), &error);
        if (!store) {
            std::fprintf(stderr, "%s\n", toUTF8(error.localizedDescription()).c_str());
            std::abort();
        }
        context = ManagedObjectContext::create(store);
        auto& c = *context;
        blog = c.insertNewObject(u"Blog");
        blog->setValueForKey(Value(u"Site"), u"title");
        for (const char16_t* identifier : { u"draft", u"publish", u"private" }) {
            auto status = c.insertNewObject(u"PostStatus");
            status->setValueForKey(Value(identifier), u"identifier");
            status->setValueForKey(Value(identifier), u"title");
            status->setObjectForKey(blog, u"blog");
            statuses.push_back(status);
        }
        for (size_t i = 0; i < categoryCount + tagCount; ++i) {
            bool isCategory = i < categoryCount;
            auto term = c.insertNewObject(isCategory ? u"BlogCategory" : u"BlogTag");
            term->setValueForKey(Value((isCategory ? u"Category " : u"tag ") + words()[i % words().size()] + u" " + number(i)), u"title");
            term->setObjectForKey(blog, u"blog");
            (isCategory ? categories : tags).push_back(term);
        }
        Date now = RunLoop::main().now();
        for (size_t i = 0; i < postCount; ++i) {
            auto post = c.insertNewObject(u"BlogPost");
            post->setValueForKey(Value(titleOfPost(i)), u"title");
            post->setValueForKey(Value(bodyOfPost(i)), u"sourceContentString");
            post->setValueForKey(Value(i % 10 == 3 ? u"page" : u"post"), u"type");
            post->setValueForKey(Value(i % 20 == 11), u"inTrash");
            post->setValueForKey(Value(false), u"publishAtNextSync");
            double age = 3600.0 * static_cast<double>((i * 7919) % postCount + 1);
            post->setValueForKey(Value(now.addingTimeInterval(-age)), u"dateLastEditedLocally");
            post->setValueForKey(Value(now.addingTimeInterval(-age - 86400)), u"dateFirstPublished");
            post->setValueForKey(Value(now.addingTimeInterval(-age - 3600)), u"dateLastPublished");
            post->setObjectForKey(blog, u"blog");
            post->setObjectForKey(statuses[i % 7 == 0 ? 0 : i % 11 == 0 ? 2 : 1], u"status");
            for (size_t k = 0; k < 2; ++k)
                post->addObjectForKey(categories[(i * 3 + k * 101) % categoryCount], u"categories");
            for (size_t k = 0; k < 4; ++k)
                post->addObjectForKey(tags[(i * 11 + k * 257) % tagCount], u"tags");
            posts.push_back(post);
        }
        if (!c.save(&error)) {
            std::fprintf(stderr, "%s\n", toUTF8(error.localizedDescription()).c_str());
            std::abort();
        }
    }
    ~BlogWindowBenchBlog() { (void)removeItem(folder); }

    static BlogWindowBenchBlog& shared()
    {
        static BlogWindowBenchBlog blog;
        return blog;
    }
};

// The list's posts as the benchmark sets them, newest edit first; they
// change only when the benchmark changes them.
class BlogWindowBenchPostsArrayController : public VornickWebListArrayController {
public:
    std::vector<std::shared_ptr<ManagedObject>> objects;
    const std::vector<std::shared_ptr<ManagedObject>>& arrangedObjects() const override { return objects; }
    std::optional<VornickWebListSortDescriptor> firstSortDescriptor() const override
    {
        return VornickWebListSortDescriptor { u"dateLastEditedLocally", false };
    }
    void setSortDescriptors(std::vector<VornickWebListSortDescriptor>) override { }
    void rearrangeObjects() override { }
    ObserverToken observeArrangedObjects(std::function<void()>) override { return {}; }
};

} // namespace brevanton
