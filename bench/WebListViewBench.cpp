// The blog post list in its web view: 50 rows of WordPress posts from their
// markup to the painted commands of the visible area, beside parsing the
// same markup as a fragment alone (with the memory a row keeps), and the
// minute's refresh of a list with 1,000 rows loaded and one post changed,
// beside building those rows' markup alone.
#include "WordPressBenchProject.h"

#include "blog/VornickBlogCategory.h"
#include "blog/VornickWordPressBlogPost.h"
#include "documents/VornickProjectIndex.h"
#include "platform/dom/DOMDocument.h"
#include "platform/dom/DOMElement.h"
#include "platform/dom/DOMParsing.h"
#include "platform/foundation/FileUtilities.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/Text.h"
#include "platform/store/ManagedObjectContext.h"
#include "platform/views/GraphicsContext.h"
#include "platform/web/WebFrame.h"
#include "publishing/VornickBlogPostListViewController.h"
#include "ui/VornickWebListView.h"
#include "wordpress/VornickWordPressAccount.h"
#include "wordpress/VornickWordPressBlogProject.h"

#include <benchmark/benchmark.h>
#include <algorithm>
#include <chrono>
#include <malloc.h>

using namespace brevanton;

namespace {

class BenchArrayController : public VornickWebListArrayController {
public:
    std::vector<std::shared_ptr<ManagedObject>> objects;
    const std::vector<std::shared_ptr<ManagedObject>>& arrangedObjects() const override { return objects; }
    std::optional<VornickWebListSortDescriptor> firstSortDescriptor() const override
    {
        return VornickWebListSortDescriptor { u"dateLastPublished", false };
    }
    void setSortDescriptors(std::vector<VornickWebListSortDescriptor>) override { }
    void rearrangeObjects() override { }
    ObserverToken observeArrangedObjects(std::function<void()> changed) override
    {
        return m_center.addObserver("arrangedObjects", nullptr, nullptr, [changed](const Notification&) { changed(); });
    }
    void changed() { m_center.post("arrangedObjects", this); }

private:
    NotificationCenter m_center;
};

// A blog of posts with two categories and three tags each, published over the last weeks.
struct BenchBlog {
    std::shared_ptr<VornickWordPressBlogProject> project;
    std::vector<std::shared_ptr<ManagedObject>> posts;

    explicit BenchBlog(size_t count)
    {
        auto made = makeWordPressBenchProject("web-list-bench");
        project = made.project;
        auto& context = made.context();
        auto blog = made.blog;
        auto status = context.insertNewObject(u"PostStatus");
        status->setValueForKey(Value(u"publish"), u"identifier");
        std::vector<std::shared_ptr<ManagedObject>> terms[2];
        for (int i = 0; i < 20; ++i) {
            auto term = context.insertNewObject(i % 2 ? u"BlogTag" : u"BlogCategory");
            term->setValueForKey(Value(u"Term " + toUTF16(std::to_string(i))), u"title");
            term->setObjectForKey(blog, u"blog");
            terms[i % 2].push_back(term);
        }
        Date now = RunLoop::main().now();
        for (size_t i = 0; i < count; ++i) {
            auto post = std::dynamic_pointer_cast<VornickWordPressBlogPost>(context.insertNewObject(u"BlogPost"));
            (void)post->prepareNewPostAndAssociateWithBlog(blog);
            post->setTitle(u"A post about things & stuff, number " + toUTF16(std::to_string(i)));
            post->setObjectForKey(status, u"status");
            post->setValueForKey(Value(now.addingTimeInterval(-3600.0 * static_cast<double>(i + 1))), u"dateFirstPublished");
            post->setValueForKey(Value(now.addingTimeInterval(-1800.0 * static_cast<double>(i + 1))), u"dateLastPublished");
            for (size_t k = 0; k < 5; ++k) {
                auto& kind = terms[k < 2 ? 0 : 1];
                post->addObjectForKey(kind[(i + k * 3) % kind.size()], k < 2 ? u"categories" : u"tags");
            }
            posts.push_back(post);
        }
    }
};

BenchBlog& benchBlog()
{
    static BenchBlog blog(1000);
    return blog;
}

struct BenchList {
    std::shared_ptr<VornickBlogPostListViewController> controller;
    std::shared_ptr<BenchArrayController> arrayController = std::make_shared<BenchArrayController>();

    BenchList()
    {
        controller = VornickWebListViewController::create<VornickBlogPostListViewController>(Rect(0, 0, 400, 800));
        controller->setAutoRefreshInterval(0);
        RunLoop::main().runUntil([&] { return !controller->webView()->isLoading(); }, 10);
        controller->setArrayController(arrayController);
        controller->refreshListContent();
    }
    void show(std::vector<std::shared_ptr<ManagedObject>> objects)
    {
        arrayController->objects = std::move(objects);
        controller->refreshListContent();
    }
    size_t paint()
    {
        GraphicsContext context;
        controller->webView()->layoutIfNeeded();
        controller->webView()->display(context);
        return context.commands().size();
    }
};

std::vector<std::shared_ptr<ManagedObject>> firstPosts(size_t count)
{
    auto& posts = benchBlog().posts;
    return { posts.begin(), posts.begin() + static_cast<std::ptrdiff_t>(count) };
}

void BM_WebListFiftyRowsMarkupToPaintedCommands(benchmark::State& state)
{
    BenchList list;
    auto rows = firstPosts(50);
    size_t commands = 0;
    auto& layout = list.controller->webView()->mainFrame()->layout();
    uint64_t fullLayouts = 0;
    // Where the time goes: the rows' markup made and parsed into the page, then layout and painting.
    std::chrono::duration<double, std::micro> refreshing {}, painting {};
    for (auto _ : state) {
        state.PauseTiming();
        list.show({});
        list.paint();
        uint64_t full = layout.fullLayoutCount();
        state.ResumeTiming();
        auto start = std::chrono::steady_clock::now();
        list.show(rows);
        auto refreshed = std::chrono::steady_clock::now();
        commands = list.paint();
        painting += std::chrono::steady_clock::now() - refreshed;
        refreshing += refreshed - start;
        fullLayouts += layout.fullLayoutCount() - full;
    }
    double rounds = static_cast<double>(std::max<benchmark::IterationCount>(state.iterations(), 1));
    state.counters["usRefresh"] = refreshing.count() / rounds;
    state.counters["usLayoutAndPaint"] = painting.count() / rounds;
    // Rows put into the list are laid out alone: no pass should start over.
    state.counters["fullLayouts"] = static_cast<double>(fullLayouts);
    state.counters["rows"] = 50;
    state.counters["commands"] = static_cast<double>(commands);
    state.counters["usPerRow"] = benchmark::Counter(50, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert,
                                                    benchmark::Counter::kIs1000);

    // What a row keeps: its DOM, style and boxes. The rows come after fifty
    // others: none goes, so no entry a row left is taken again unseen.
    BenchList fresh;
    auto& posts = benchBlog().posts;
    std::vector<std::shared_ptr<ManagedObject>> shown(posts.begin() + 50, posts.begin() + 100);
    fresh.show(shown);
    fresh.paint();
    malloc_trim(0);
    size_t before = mallinfo2().uordblks;
    shown.insert(shown.end(), rows.begin(), rows.end());
    fresh.show(shown);
    fresh.controller->loadMoreItems();
    fresh.paint();
    size_t after = mallinfo2().uordblks;
    state.counters["bytesPerRow"] = static_cast<double>(after > before ? after - before : 0) / 50;
}
BENCHMARK(BM_WebListFiftyRowsMarkupToPaintedCommands)->Unit(benchmark::kMillisecond);

void BM_WebListFiftyRowsFragmentParseAlone(benchmark::State& state)
{
    BenchList list;
    auto rows = firstPosts(50);
    std::u16string markup;
    for (auto& post : rows) {
        markup += *list.controller->contentStringForRepresentedObject(post);
        markup += u'\n';
    }
    auto document = list.controller->webView()->mainFrameDocument();
    auto element = document->getElementById(u"list");
    for (auto _ : state) {
        auto fragment = parseFragment(*document, markup, element.get());
        benchmark::DoNotOptimize(fragment.get());
    }
    state.counters["usPerRow"] = benchmark::Counter(50, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert,
                                                    benchmark::Counter::kIs1000);
}
BENCHMARK(BM_WebListFiftyRowsFragmentParseAlone)->Unit(benchmark::kMillisecond);

void BM_WebListRefreshThousandRowsOneChanged(benchmark::State& state)
{
    BenchList list;
    auto rows = firstPosts(1000);
    list.show(rows);
    while (list.controller->numberOfItemsLoaded() < rows.size())
        list.controller->loadMoreItems();
    list.paint();
    auto& changed = *std::static_pointer_cast<VornickWordPressBlogPost>(rows[500]);
    bool flip = false;
    // Where the time goes: the rows' markup compared and the changed one replaced, then layout and painting.
    std::chrono::duration<double, std::micro> refreshing {}, painting {};
    for (auto _ : state) {
        changed.setTitle(flip ? u"Changed title" : u"Changed title again");
        flip = !flip;
        auto start = std::chrono::steady_clock::now();
        list.controller->refreshListContent();
        auto refreshed = std::chrono::steady_clock::now();
        list.paint();
        refreshing += refreshed - start;
        painting += std::chrono::steady_clock::now() - refreshed;
    }
    double rounds = static_cast<double>(std::max<benchmark::IterationCount>(state.iterations(), 1));
    state.counters["usRefresh"] = refreshing.count() / rounds;
    state.counters["usLayoutAndPaint"] = painting.count() / rounds;
    state.counters["rows"] = static_cast<double>(list.controller->numberOfItemsLoaded());
}
BENCHMARK(BM_WebListRefreshThousandRowsOneChanged)->Unit(benchmark::kMillisecond);

void BM_WebListThousandRowsMarkupAlone(benchmark::State& state)
{
    BenchList list;
    auto rows = firstPosts(1000);
    list.arrayController->objects = rows;
    for (auto _ : state) {
        size_t length = 0;
        for (auto& post : rows)
            length += list.controller->contentStringForRepresentedObject(post)->size();
        benchmark::DoNotOptimize(length);
    }
}
BENCHMARK(BM_WebListThousandRowsMarkupAlone)->Unit(benchmark::kMillisecond);

} // namespace
