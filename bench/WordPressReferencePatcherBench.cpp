// Patching the resource references of a 2 MB block post with 1,000 image
// blocks, each showing a local picture of a blog with 1,000 uploaded media
// items, beside the WordPress tree recognizer's pass alone over the same text
// (the patcher's floor) and WordPress's own parse_blocks() of the same text
// timed inside php-cli, in the same run.
#include "blog/VornickWordPressBlog.h"
#include "documents/VornickProjectIndex.h"
#include "html/VornickScannedHTMLPart.h"
#include "html/VornickWordPressHTMLTreeRecognizer.h"
#include "platform/foundation/FileUtilities.h"
#include "platform/foundation/Text.h"
#include "platform/store/ManagedObjectContext.h"
#include "wordpress/VornickWordPressBlogProject.h"
#include "wordpress/VornickWordPressContentResourceReferencePatcher.h"
#include "WordPressPHPTiming.h"

#include <benchmark/benchmark.h>

namespace {

using namespace brevanton;

constexpr size_t imageCount = 1000;
constexpr size_t postSize = 2 << 20;

std::string pictureName(size_t index) { return "photo-" + std::to_string(index) + ".jpg"; }

// Image blocks as the editor writes a dropped picture, between runs of
// paragraphs, headings and lists, to about 2 MB.
std::string imagePost()
{
    const std::string filler = "<!-- wp:paragraph -->\n<p>A paragraph with <strong>bold</strong> text, <a href=\"https://example.com/a?b=1&amp;c=2\">"
                               "a link</a> and ünïcödé — 日本語, long enough to read like a real one.</p>\n<!-- /wp:paragraph -->\n\n"
                               "<!-- wp:heading {\"level\":3} -->\n<h3 class=\"wp-block-heading\">A heading</h3>\n<!-- /wp:heading -->\n\n"
                               "<!-- wp:list -->\n<ul class=\"wp-block-list\"><!-- wp:list-item -->\n<li>one</li>\n<!-- /wp:list-item -->\n\n"
                               "<!-- wp:list-item -->\n<li>two <em>and</em> more</li>\n<!-- /wp:list-item --></ul>\n<!-- /wp:list -->\n\n";
    std::string post;
    size_t fillersPerImage = 1;
    for (;;) {
        post.clear();
        for (size_t index = 0; index < imageCount; ++index) {
            for (size_t i = 0; i < fillersPerImage; ++i)
                post += filler;
            post += "<!-- wp:image {\"id\":0,\"sizeSlug\":\"large\",\"linkDestination\":\"none\"} -->\n<figure class=\"wp-block-image size-large\">"
                    "<img src=\"../media/" + pictureName(index) + "\" alt=\"A picture\" class=\"wp-image-0\"/>"
                    "<figcaption class=\"wp-element-caption\">Caption</figcaption></figure>\n<!-- /wp:image -->\n\n";
        }
        if (post.size() >= postSize)
            return post;
        ++fillersPerImage;
    }
}

struct Fixture {
    Fixture()
    {
        folder = createTemporaryDirectory("patcher-bench").value();
        Error error;
        project = VornickProject::createWithNewProjectFileURL<VornickWordPressBlogProject>(
            URL::fileURLWithPath(folder + "/project.brevantonwordpressproject", false), &error);
        if (!project)
            return;
        auto& context = *project->index()->managedObjectContext();
        blog = std::dynamic_pointer_cast<VornickWordPressBlog>(context.insertNewObject(u"Blog"));
        blog->setBlogFolderName(u"Site");
        blog->setSourceFileName(u"site.brevantonwordpressblog");
        blog->setObjectForKey(project->rootComponent(), u"hostingAccount");
        for (size_t index = 0; index < imageCount; ++index) {
            auto item = context.insertNewObject(u"MediaItem");
            item->setValueForKey(Value(toUTF16(std::to_string(index + 100))), u"identifierUsedByBlogService");
            item->setValueForKey(Value(toUTF16(pictureName(index))), u"localURLString");
            item->setValueForKey(Value(toUTF16("https://example.com/wp-content/uploads/" + pictureName(index))), u"remoteURLString");
            auto variant = context.insertNewObject(u"MediaItemVariant");
            variant->setValueForKey(Value(u"large"), u"variantName");
            variant->setValueForKey(Value(toUTF16("large-" + pictureName(index))), u"filename");
            variant->setObjectForKey(item, u"mediaItem");
            item->setObjectForKey(blog, u"blog");
        }
        text = imagePost();
        text16 = toUTF16(text);
        baseURL = blog->blogFolderURL()->URLByAppendingPathComponent(u"posts/post.brevantonwordpresspost", false);
    }
    ~Fixture() { (void)removeItem(folder); }

    std::string folder;
    std::shared_ptr<VornickWordPressBlogProject> project;
    std::shared_ptr<VornickWordPressBlog> blog;
    std::string text;
    std::u16string text16;
    std::optional<URL> baseURL;
};

Fixture& fixture()
{
    static Fixture made;
    return made;
}

void BM_WordPressReferencePatcher(benchmark::State& state)
{
    auto& f = fixture();
    if (!f.blog) {
        state.SkipWithError("the blog could not be made");
        return;
    }
    size_t changed = 0;
    for (auto _ : state) {
        VornickWordPressContentResourceReferencePatcher patcher(f.blog, f.baseURL);
        auto patched = patcher.patchReferencesInHTMLString(f.text16);
        changed = patched ? patched->size() : 0;
        benchmark::DoNotOptimize(patched);
    }
    if (changed <= f.text16.size())
        state.SkipWithError("the post's pictures were not patched");
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(f.text.size()));
}
BENCHMARK(BM_WordPressReferencePatcher)->Unit(benchmark::kMillisecond);

// The floor: the tree recognizer's pass over the same text, with a delegate
// that keeps the block start comments as the patcher's does.
void BM_WordPressTreeRecognizerPass(benchmark::State& state)
{
    struct Collector : VornickHTMLTreeRecognizerDelegate {
        void htmlTreeRecognizerWillPopPart(VornickHTMLTreeRecognizer&, const std::shared_ptr<VornickScannedHTMLPart>& part) override
        {
            if (auto comment = std::dynamic_pointer_cast<VornickScannedHTMLBlockStartComment>(part))
                comments.push_back(std::move(comment));
        }
        std::vector<std::shared_ptr<VornickScannedHTMLBlockStartComment>> comments;
    };
    auto& f = fixture();
    for (auto _ : state) {
        VornickWordPressHTMLTreeRecognizer recognizer;
        Collector collector;
        recognizer.setDelegate(&collector);
        benchmark::DoNotOptimize(recognizer.parseHTMLString(f.text16));
        benchmark::DoNotOptimize(collector.comments.size());
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(f.text.size()));
}
BENCHMARK(BM_WordPressTreeRecognizerPass)->Unit(benchmark::kMillisecond);

void BM_WordPressParseBlocksOfImagePost(benchmark::State& state)
{
    bench::timeWordPressParseBlocks(state, fixture().text);
}
BENCHMARK(BM_WordPressParseBlocksOfImagePost)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);

} // namespace
