// The WordPress post view on a 200 KB block post in a Twenty Twenty-Three
// template: opening it (template load, attaching, injection, block
// processing) against the editing view loading the same page with the post
// already in it, and writing the body back against the writer writing the
// body element's children.
#include "EditingViewBenchSupport.h"
#include "WordPressBenchProject.h"

#include "blog/VornickWordPressBlogPost.h"
#include "documents/VornickProjectIndex.h"
#include "html/VornickHTMLWriter.h"
#include "platform/dom/DOMDocument.h"
#include "platform/dom/DOMElement.h"
#include "platform/foundation/Text.h"
#include "platform/store/ManagedObjectContext.h"
#include "publishing/VornickBlogPostViewDelegate.h"
#include "publishing/VornickWordPressPostView.h"
#include "wordpress/VornickWordPressAccount.h"
#include "wordpress/VornickWordPressBlogProject.h"

#include <benchmark/benchmark.h>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace brevanton::bench {

namespace {

std::string twentyTwentyThreeTemplate()
{
    std::ifstream stream(std::string(BREVANTON_TEST_DATA_DIR) + "/wordpress-templates/twentytwentythree-post.html", std::ios::binary);
    std::stringstream buffer;
    buffer << stream.rdbuf();
    return buffer.str();
}

// About `bytes` of paragraph, heading and list blocks.
std::string blockPostBody(size_t bytes)
{
    std::string body;
    for (size_t index = 0; body.size() < bytes; ++index) {
        std::string n = std::to_string(index);
        if (index % 10 == 0)
            body += "<!-- wp:heading -->\n<h2 class=\"wp-block-heading\">Section " + n + "</h2>\n<!-- /wp:heading -->\n\n";
        else if (index % 10 == 5)
            body += "<!-- wp:list -->\n<ul><!-- wp:list-item -->\n<li>Item " + n + " one</li>\n<!-- /wp:list-item -->\n\n"
                    "<!-- wp:list-item -->\n<li>Item " + n + " two</li>\n<!-- /wp:list-item --></ul>\n<!-- /wp:list -->\n\n";
        else
            body += "<!-- wp:paragraph -->\n<p>Paragraph " + n + " of the post, with <strong>some</strong> inline "
                    "<em>markup</em> and a <a href=\"https://site.example/\">link</a> in running text.</p>\n<!-- /wp:paragraph -->\n\n";
    }
    return body;
}

struct PostFixture {
    std::shared_ptr<VornickWordPressBlogProject> project;
    std::shared_ptr<VornickWordPressBlogPost> post;
    WordPressBenchTemplatesDelegate delegate;
    std::string body;

    PostFixture()
    {
        VornickInstallHTMLServices();
        VornickTidyFilter::setTidyExecutablePath(std::string("/nonexistent/tidy"));
        auto made = makeWordPressBenchProject("post-view-bench");
        project = made.project;
        body = blockPostBody(200 * 1024);
        post = addWordPressBenchPost(made, delegate, twentyTwentyThreeTemplate(), body);
    }

    // The page as the site shows the post: the template, the body in place.
    std::string mergedPage() const
    {
        auto page = twentyTwentyThreeTemplate();
        auto start = page.find("<div class=\"entry-content");
        start = page.find('>', start) + 1;
        auto end = page.find("</div>", start);
        page.replace(start, end - start, body);
        return page;
    }

    std::shared_ptr<VornickWordPressPostView> openedView()
    {
        auto view = VornickContentEditingView::create<VornickWordPressPostView>(Rect(0, 0, 1024, 768));
        view->setPaintsLoadedSource(false);
        view->setDelegate(&delegate);
        view->setResourceLoadFilter([](const URLRequest& request) -> std::optional<URLRequest> {
            return request.url().isFileURL() ? std::optional(request) : std::nullopt;
        });
        view->setOEmbedRequester([](const URL&, uint64_t, uint64_t, std::function<void(std::optional<Dictionary>)>) {});
        view->setPost(post);
        while (view->loadingContent() || view->loadingState() == VornickContentLoadingState::InProgress)
            RunLoop::main().runUntil([&] { return !view->loadingContent(); }, 0.01);
        return view;
    }
};

PostFixture& fixture()
{
    static PostFixture made;
    return made;
}

void BM_WordPressPostViewOpensABlockPost(benchmark::State& state)
{
    auto& shared = fixture();
    for (auto _ : state) {
        auto view = shared.openedView();
        state.PauseTiming();
        view->setDelegate(nullptr);
        view.reset();
        state.ResumeTiming();
    }
}

void BM_EditingViewLoadsTheMergedPage(benchmark::State& state)
{
    auto path = writeBenchmarkPage("post-view-bench-merged.html", fixture().mergedPage());
    for (auto _ : state) {
        auto view = VornickContentEditingView::create(Rect(0, 0, 1024, 768));
        view->setPaintsLoadedSource(false);
        Error error;
        if (!view->loadContentFromURL(URL::fileURLWithPath(path), &error))
            state.SkipWithError("the page did not load");
        state.PauseTiming();
        view.reset();
        state.ResumeTiming();
    }
}

void BM_WordPressPostViewWritesTheBodyBack(benchmark::State& state)
{
    auto& shared = fixture();
    auto view = shared.openedView();
    for (auto _ : state)
        benchmark::DoNotOptimize(view->updatePostFromContent());
    view->setDelegate(nullptr);
}

void BM_WriterWritesTheBodyChildren(benchmark::State& state)
{
    auto& shared = fixture();
    auto view = shared.openedView();
    auto point = view->attachmentPointWithIdentifier(u"body");
    auto element = point ? point->findElement() : nullptr;
    if (!element) {
        state.SkipWithError("no body");
        return;
    }
    auto writer = view->htmlWriterForWebFrame(*view->mainFrame());
    for (auto _ : state) {
        auto html = writer->htmlStringFromChildrenOfNode(*element);
        benchmark::DoNotOptimize(html);
    }
    view->setDelegate(nullptr);
}

} // namespace

// CPU time is the main thread's: the editing view converts a large page's
// source on a thread of its own, which it leaves out, so each side is also
// timed by the wall clock with the CPU time of all its threads.
BENCHMARK(BM_WordPressPostViewOpensABlockPost)->Unit(benchmark::kMillisecond)->MinTime(2);
BENCHMARK(BM_WordPressPostViewOpensABlockPost)->Unit(benchmark::kMillisecond)->MinTime(2)->MeasureProcessCPUTime()->UseRealTime();
BENCHMARK(BM_EditingViewLoadsTheMergedPage)->Unit(benchmark::kMillisecond)->MinTime(2);
BENCHMARK(BM_EditingViewLoadsTheMergedPage)->Unit(benchmark::kMillisecond)->MinTime(2)->MeasureProcessCPUTime()->UseRealTime();
BENCHMARK(BM_WordPressPostViewWritesTheBodyBack)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WriterWritesTheBodyChildren)->Unit(benchmark::kMillisecond);

} // namespace brevanton::bench
