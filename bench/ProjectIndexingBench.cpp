// The first indexing of a blog project of 10,000 post files (reading every
// file into a new index and saving it) beside reading the same files and
// parsing them with the JSON reader alone, and opening the project again
// when its index is up to date.
#include "blog/VornickBlogModel.h"
#include "blog/VornickPublishedBlog.h"
#include "blog/VornickPublishedBlogPost.h"
#include "blog/VornickPublishedBlogProject.h"
#include "blog/VornickBlogHostingAccount.h"
#include "documents/VornickProjectIndex.h"
#include "platform/foundation/FileReading.h"
#include "platform/foundation/FileUtilities.h"
#include "platform/foundation/JSONReader.h"
#include "platform/foundation/Text.h"
#include "platform/store/ManagedObjectContext.h"
#include "platform/store/PersistentStore.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <malloc.h>
#include <optional>
#include <string>
#include <vector>

using namespace brevanton;

namespace {

constexpr int postCount = 10000;
constexpr int tagCount = 20;

class BenchBlogProject : public VornickPublishedBlogProject {
public:
    std::shared_ptr<const ManagedObjectModel> managedObjectModel() const override
    {
        static std::shared_ptr<const ManagedObjectModel> model = vornickMakeBlogProjectModel(false);
        return model;
    }
};

// A new folder holding the program's own XDG folders.
std::string makeBenchFolder()
{
    std::string folder = createTemporaryDirectory("indexing-bench").value();
    for (const char* variable : { "XDG_DATA_HOME", "XDG_CACHE_HOME", "XDG_CONFIG_HOME" }) {
        std::string home = folder + "/" + variable;
        std::filesystem::create_directories(home);
        setenv(variable, home.c_str(), 1);
    }
    return folder;
}

// A project folder with one blog and `postCount` post files, made once per
// run, with the program's folders inside it.
struct PostFiles {
    std::string folder = makeBenchFolder();
    URL projectFile = URL::fileURLWithPath(folder + "/project/bench.brevantonproject", false);
    std::vector<std::string> postPaths;
    std::string indexPath;
    // Why the files could not be made (a full disk, ...); empty when they were.
    std::string failure;

    PostFiles()
    {
        Error error;
        auto project = VornickProject::createWithNewProjectFileURL<BenchBlogProject>(projectFile, &error);
        if (!project) {
            failure = toUTF8(error.localizedDescription());
            return;
        }
        auto& context = *project->index()->managedObjectContext();
        project->hostingAccount()->setLoginID(u"writer");
        auto blog = std::dynamic_pointer_cast<VornickPublishedBlog>(context.insertNewObject(u"Blog"));
        blog->setBlogFolderName(u"Blog");
        blog->setSourceFileName(u"Blog.brevantonblog");
        blog->setTitle(u"Blog");
        blog->setObjectForKey(project->hostingAccount(), u"hostingAccount");
        blog->setHasEditsNotYetSavedToSourceFile(true);
        ManagedObjects tags;
        for (int t = 0; t < tagCount; ++t) {
            auto tag = context.insertNewObject(u"BlogTag");
            tag->setValueForKey(Value(u"tag " + toUTF16(std::to_string(t))), u"title");
            tag->setValueForKey(Value(toUTF16(std::to_string(100 + t))), u"identifierUsedByBlogService");
            tag->setObjectForKey(blog, u"blog");
            tags.push_back(tag);
        }
        for (int i = 0; i < postCount; ++i) {
            auto post = std::dynamic_pointer_cast<VornickPublishedBlogPost>(context.insertNewObject(u"BlogPost"));
            post->setObjectForKey(blog, u"blog");
            std::u16string number = toUTF16(std::to_string(i));
            post->setSourceFileName(u"post " + number + u".brevantonblogpost");
            post->setTitle(u"Post " + number + (i % 7 == 0 ? u" about Caf\u00e9 Paris" : u" of the week"));
            std::u16string body;
            for (int p = 0; p < 4; ++p)
                body += u"<p>Paragraph " + toUTF16(std::to_string(p)) + u" of post " + number
                    + u", with some words that fill a line of text in the editor.</p>\n";
            post->setSourceContentString(body);
            post->setSourceContentType(u"html");
            post->setValueForKey(Value(toUTF16(std::to_string(5000 + i))), u"identifierUsedByBlogService");
            post->setValueForKey(Value(Date(1.7e9 + i * 600.0)), u"dateLastEditedLocally");
            post->setValueForKey(Value(Date(1.7e9 + i * 600.0)), u"dateFirstPublished");
            post->setValueForKey(Value(i % 13 == 0), u"inTrash");
            post->addObjectForKey(tags[i % tagCount], u"tags");
            post->addObjectForKey(tags[(i * 7 + 3) % tagCount], u"tags");
            post->setHasEditsNotYetSavedToSourceFile(true);
            postPaths.push_back(*post->sourceFileURL()->fileSystemPath());
        }
        if (!project->saveComponentsToSourceFilesIfNeeded(&error) || !project->save(&error)
            || !project->index()->commitEditingAndSave(&error))
            failure = toUTF8(error.localizedDescription());
        indexPath = project->index()->filePath();
    }

    ~PostFiles()
    {
        std::error_code error;
        std::filesystem::remove_all(folder, error);
    }

    static PostFiles& shared()
    {
        static PostFiles instance;
        return instance;
    }
};

// The shared post files, or none (the benchmark skipped saying why) when
// they could not all be made.
PostFiles* postFilesFor(benchmark::State& state)
{
    PostFiles& files = PostFiles::shared();
    if (files.failure.empty())
        return &files;
    state.SkipWithError(("the post files could not be made: " + files.failure).c_str());
    return nullptr;
}

// Bytes the allocator has handed out (freed memory it keeps is not counted).
long allocatedBytes()
{
    return static_cast<long>(mallinfo2().uordblks);
}

void BM_ProjectFirstIndexingOfPostFiles(benchmark::State& state)
{
    PostFiles* shared = postFilesFor(state);
    if (!shared)
        return;
    PostFiles& files = *shared;
    double bytesPerPost = 0;
    size_t posts = 0;
    for (auto _ : state) {
        state.PauseTiming();
        {
            Error error;
            if (!PersistentStore::destroy(files.indexPath, &error)) {
                state.SkipWithError("cannot erase the index");
                break;
            }
        }
        long before = allocatedBytes();
        state.ResumeTiming();
        Error error;
        auto project = VornickProject::createWithContentsOfProjectFileURL<BenchBlogProject>(files.projectFile, &error);
        state.PauseTiming();
        if (!project) {
            state.SkipWithError("cannot open the project");
            break;
        }
        posts = project->hostingAccount()->objectsForKey(u"blogs").at(0)->countForKey(u"posts");
        if (posts != static_cast<size_t>(postCount)) {
            state.SkipWithError("the index lacks posts whose files are there");
            break;
        }
        bytesPerPost = static_cast<double>(allocatedBytes() - before) / postCount;
        project.reset();
        state.ResumeTiming();
    }
    state.counters["posts"] = static_cast<double>(posts);
    state.counters["bytesPerPost"] = bytesPerPost;
}
BENCHMARK(BM_ProjectFirstIndexingOfPostFiles)->Unit(benchmark::kMillisecond)->Iterations(3);
// The same with the CPU time of every thread of the process (the workers
// reading post files ahead, the store's log copy) rather than the main
// thread's alone.
BENCHMARK(BM_ProjectFirstIndexingOfPostFiles)->Unit(benchmark::kMillisecond)->Iterations(3)->MeasureProcessCPUTime();

// Opening the project again: its index is up to date, so no post file is
// read, only their dates compared with the recorded ones.
void BM_ProjectReopenWithUnchangedPostFiles(benchmark::State& state)
{
    PostFiles* shared = postFilesFor(state);
    if (!shared)
        return;
    PostFiles& files = *shared;
    for (auto _ : state) {
        Error error;
        auto project = VornickProject::createWithContentsOfProjectFileURL<BenchBlogProject>(files.projectFile, &error);
        if (!project) {
            state.SkipWithError("cannot open the project");
            break;
        }
        state.PauseTiming();
        project.reset();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_ProjectReopenWithUnchangedPostFiles)->Unit(benchmark::kMillisecond)->Iterations(3);

// The files read and parsed, nothing kept, one after the other on this
// thread. They are read as the indexing reads each (in a folder kept open,
// into one buffer kept from file to file), so that what the indexing spends
// beyond this is its own. The indexing reads and parses on workers beside
// its importing thread where there are several processors: like for like,
// its time of every thread (process_time) is set beside this one's; its
// main thread's elapsed time beside this one's tells how long it takes.
void BM_JSONReadPostFiles(benchmark::State& state)
{
    PostFiles* shared = postFilesFor(state);
    if (!shared)
        return;
    PostFiles& files = *shared;
    size_t parsed = 0;
    std::string buffer;
    for (auto _ : state) {
        parsed = 0;
        std::optional<ReadableFolder> folder;
        for (const auto& path : files.postPaths) {
            size_t slash = path.rfind('/');
            if (!folder || folder->path() != std::string_view(path).substr(0, slash))
                folder = ReadableFolder::open(path.substr(0, slash), nullptr);
            auto file = folder ? ReadableFile::open(*folder, path.substr(slash + 1), FileReadKind::Other, nullptr) : std::nullopt;
            auto value = file && file->readToEnd(buffer, nullptr) ? readJSON(buffer, nullptr) : std::nullopt;
            if (value && value->isDictionary())
                ++parsed;
            benchmark::DoNotOptimize(value);
        }
    }
    state.counters["files"] = static_cast<double>(parsed);
}
BENCHMARK(BM_JSONReadPostFiles)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_JSONReadPostFiles)->Unit(benchmark::kMillisecond)->Iterations(3)->MeasureProcessCPUTime();

} // namespace
