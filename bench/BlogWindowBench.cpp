// The blog window's post list over a generated blog of 10,000 posts in a
// real object store (BlogWindowBenchBlog.h), each beside its peer:
// - a search keystroke (titles, then titles and bodies) to the list
//   refreshed and painted, beside the same query in raw SQLite on the same
//   file (LIKE with ESCAPE);
// - a filter change (another category) and a sort change (title, date),
//   beside the raw query with its ORDER BY;
// - the batch of rows loaded at row 9,950, beside the first batch.
// The list is the window's: the store's ArrayController filtered by the
// WordPress blog window's predicate, adapted for the post list, whose rows
// are laid out and painted into recorded commands (400 by 800).
#include "BlogWindowBenchBlog.h"

#include "platform/dom/DOMElement.h"
#include "platform/foundation/RunLoop.h"
#include "platform/store/ArrayController.h"
#include "platform/views/GraphicsContext.h"
#include "platform/views/TextField.h"
#include "platform/web/WebFrame.h"
#include "publishing/VornickBlogPostListViewController.h"
#include "publishing/VornickWordPressPostListFilters.h"
#include "ui/VornickStoreWebListArrayController.h"
#include "ui/VornickWebListView.h"

#include <benchmark/benchmark.h>
#include <sqlite3.h>

using namespace brevanton;

namespace {

// The list of the blog window: store, array controller, post list, search field.
struct BlogWindowList : VornickWebListViewControllerActionDelegate {
    BlogWindowBenchBlog& blog = BlogWindowBenchBlog::shared();
    std::shared_ptr<ArrayController> posts = ArrayController::create(u"BlogPost");
    std::shared_ptr<VornickStoreWebListArrayController> listArray = std::make_shared<VornickStoreWebListArrayController>(posts);
    std::shared_ptr<VornickBlogPostListViewController> controller;
    std::shared_ptr<TextField> searchField = std::make_shared<TextField>(Rect(0, 0, 200, 22));
    VornickWordPressPostListFilters filters;
    size_t refreshes { 0 };

    BlogWindowList()
    {
        posts->setManagedObjectContext(blog.context);
        // Titles in the user's collation, ties by the date.
        listArray->setSortDescriptorMapping([](const std::vector<VornickWebListSortDescriptor>& descriptors) {
            std::vector<SortDescriptor> sorts;
            for (auto& descriptor : descriptors) {
                SortDescriptor sort { descriptor.key, descriptor.ascending };
                if (descriptor.key == u"title")
                    sort.comparison = SortComparison::LocalizedCaseInsensitive;
                sorts.push_back(sort);
            }
            if (!descriptors.empty() && descriptors.front().key == u"title")
                sorts.push_back({ u"dateLastEditedLocally", false });
            return sorts;
        });
        listArray->setSortDescriptors({ { u"dateLastEditedLocally", false } });
        controller = VornickWebListViewController::create<VornickBlogPostListViewController>(Rect(0, 0, 400, 800));
        controller->setAutoRefreshInterval(0);
        controller->setActionDelegate(this);
        controller->setSearchField(searchField);
        RunLoop::main().runUntil([&] { return !controller->webView()->isLoading(); }, 10);
        controller->setArrayController(listArray);
        search(u"", 3);
    }
    ~BlogWindowList() override { controller->setActionDelegate(nullptr); }

    void webListViewControllerDidRefreshList(VornickWebListViewController&) override { ++refreshes; }

    // The window's filter predicate for the search, as a keystroke in the
    // search field sets it; then the turns until the list refreshed.
    void search(const std::u16string& text, int fieldsToSearch)
    {
        searchField->setTextString(text);
        posts->setFilterPredicate(filters.predicateForBlog(blog.blog, text, fieldsToSearch));
        settle();
    }
    void filter() { search(searchField->stringValue(), 3); }
    void settle()
    {
        // Turns without waiting: the rearrangement runs at the end of one.
        size_t before = refreshes;
        for (int turn = 0; turn < 100 && (refreshes == before || controller->needsListRefresh() || posts->needsRearrangement()); ++turn)
            RunLoop::main().runOnce(0);
    }
    size_t paint()
    {
        GraphicsContext context;
        controller->webView()->layoutIfNeeded();
        controller->webView()->display(context);
        return context.commands().size();
    }
};

BlogWindowList& blogWindowList()
{
    static BlogWindowList list;
    return list;
}

// --- Raw SQLite on the store's file

struct RawQuery {
    sqlite3* database { nullptr };
    sqlite3_stmt* statement { nullptr };

    explicit RawQuery(const std::string& sql)
    {
        sqlite3_open_v2(BlogWindowBenchBlog::shared().storePath.c_str(), &database, SQLITE_OPEN_READONLY, nullptr);
        if (sqlite3_prepare_v2(database, sql.c_str(), -1, &statement, nullptr) != SQLITE_OK)
            std::fprintf(stderr, "%s: %s\n", sql.c_str(), sqlite3_errmsg(database));
    }
    ~RawQuery()
    {
        sqlite3_finalize(statement);
        sqlite3_close(database);
    }
    // Every matching row's columns read, as the list's rows need them.
    size_t run()
    {
        size_t count = 0;
        while (sqlite3_step(statement) == SQLITE_ROW) {
            for (int column = 0; column < sqlite3_column_count(statement); ++column)
                benchmark::DoNotOptimize(sqlite3_column_text(statement, column));
            ++count;
        }
        sqlite3_reset(statement);
        return count;
    }
    void bindText(int index, const std::string& text) { sqlite3_bind_text(statement, index, text.data(), static_cast<int>(text.size()), SQLITE_TRANSIENT); }
    void bindInteger(int index, int64_t value) { sqlite3_bind_int64(statement, index, value); }
};

int64_t storeNumber(const char* sql)
{
    RawQuery query(sql);
    int64_t value = 0;
    if (sqlite3_step(query.statement) == SQLITE_ROW)
        value = sqlite3_column_int64(query.statement, 0);
    return value;
}

// "%text%" with the LIKE wildcards in the text escaped by "\".
std::string likePattern(std::string_view text)
{
    std::string pattern = "%";
    for (char c : text) {
        if (c == '%' || c == '_' || c == '\\')
            pattern += '\\';
        pattern += c;
    }
    return pattern + "%";
}

constexpr const char* rowColumns = "SELECT p.id, p.title, p.type, p.inTrash, p.publishAtNextSync, p.dateLastEditedLocally, p.dateFirstPublished, "
                                   "p.dateLastPublished, p.status FROM BlogPost p ";
constexpr const char* liveRowsOfBlog = "WHERE p.blog = (SELECT min(id) FROM Blog) AND p.inTrash = 0 ";

// --- A search keystroke

const char16_t* const keystrokes[] = { u"gard", u"garde" };
const char* const rawKeystrokes[] = { "gard", "garde" };

void searchKeystroke(benchmark::State& state, int fieldsToSearch, const char16_t* const words[2])
{
    auto& list = blogWindowList();
    list.search(u"", 3);
    size_t round = 0, commands = 0;
    for (auto _ : state) {
        list.search(words[round++ % 2], fieldsToSearch);
        commands = list.paint();
    }
    state.counters["matches"] = static_cast<double>(list.posts->arrangedObjects().size());
    state.counters["commands"] = static_cast<double>(commands);
    list.search(u"", 3);
}

void BM_BlogWindowSearchKeystrokeTitles(benchmark::State& state)
{
    searchKeystroke(state, 2, keystrokes);
}
BENCHMARK(BM_BlogWindowSearchKeystrokeTitles)->Unit(benchmark::kMillisecond);

void BM_SQLiteSearchTitles(benchmark::State& state)
{
    RawQuery query(std::string(rowColumns) + liveRowsOfBlog + "AND p.title LIKE ? ESCAPE '\\' ORDER BY p.dateLastEditedLocally DESC");
    size_t round = 0, count = 0;
    for (auto _ : state) {
        query.bindText(1, likePattern(rawKeystrokes[round++ % 2]));
        count = query.run();
    }
    state.counters["matches"] = static_cast<double>(count);
}
BENCHMARK(BM_SQLiteSearchTitles)->Unit(benchmark::kMillisecond);

// A word of one body in 40: the bodies are all read.
const char16_t* const bodyKeystrokes[] = { u"xylo", u"xylop" };
const char* const rawBodyKeystrokes[] = { "xylo", "xylop" };

void BM_BlogWindowSearchKeystrokeBodies(benchmark::State& state)
{
    searchKeystroke(state, 3, bodyKeystrokes);
}
BENCHMARK(BM_BlogWindowSearchKeystrokeBodies)->Unit(benchmark::kMillisecond);

void BM_SQLiteSearchTitlesAndBodies(benchmark::State& state)
{
    RawQuery query(std::string(rowColumns) + liveRowsOfBlog
                   + "AND (p.title LIKE ?1 ESCAPE '\\' OR p.sourceContentString LIKE ?1 ESCAPE '\\') ORDER BY p.dateLastEditedLocally DESC");
    size_t round = 0, count = 0;
    for (auto _ : state) {
        query.bindText(1, likePattern(rawBodyKeystrokes[round++ % 2]));
        count = query.run();
    }
    state.counters["matches"] = static_cast<double>(count);
}
BENCHMARK(BM_SQLiteSearchTitlesAndBodies)->Unit(benchmark::kMillisecond);

// --- A filter change and a sort change

void BM_BlogWindowFilterChange(benchmark::State& state)
{
    auto& list = blogWindowList();
    auto& blog = list.blog;
    size_t round = 0, commands = 0;
    for (auto _ : state) {
        list.filters.selectedCategories = { blog.categories[round++ % 2 ? 17 : 42] };
        list.filter();
        commands = list.paint();
    }
    state.counters["matches"] = static_cast<double>(list.posts->arrangedObjects().size());
    state.counters["commands"] = static_cast<double>(commands);
    list.filters.selectedCategories.clear();
    list.filter();
}
BENCHMARK(BM_BlogWindowFilterChange)->Unit(benchmark::kMillisecond);

void BM_SQLiteFilterChange(benchmark::State& state)
{
    auto& blog = BlogWindowBenchBlog::shared();
    int64_t first = storeNumber("SELECT min(id) FROM BlogCategory");
    RawQuery query(std::string(rowColumns) + liveRowsOfBlog
                   + "AND EXISTS (SELECT 1 FROM BlogCategory_posts j WHERE j.other = p.id AND j.owner IN (?)) "
                     "ORDER BY p.dateLastEditedLocally DESC");
    (void)blog;
    size_t round = 0, count = 0;
    for (auto _ : state) {
        query.bindInteger(1, first + (round++ % 2 ? 17 : 42));
        count = query.run();
    }
    state.counters["matches"] = static_cast<double>(count);
}
BENCHMARK(BM_SQLiteFilterChange)->Unit(benchmark::kMillisecond);

void BM_BlogWindowSortChange(benchmark::State& state)
{
    auto& list = blogWindowList();
    size_t round = 0, commands = 0;
    for (auto _ : state) {
        if (round++ % 2)
            list.listArray->setSortDescriptors({ { u"dateLastEditedLocally", false } });
        else
            list.listArray->setSortDescriptors({ { u"title", true } });
        list.settle();
        commands = list.paint();
    }
    state.counters["rows"] = static_cast<double>(list.posts->arrangedObjects().size());
    state.counters["commands"] = static_cast<double>(commands);
    list.listArray->setSortDescriptors({ { u"dateLastEditedLocally", false } });
    list.settle();
}
BENCHMARK(BM_BlogWindowSortChange)->Unit(benchmark::kMillisecond);

void BM_SQLiteSortChange(benchmark::State& state)
{
    RawQuery byTitle(std::string(rowColumns) + liveRowsOfBlog + "ORDER BY p.title COLLATE NOCASE, p.dateLastEditedLocally DESC");
    RawQuery byDate(std::string(rowColumns) + liveRowsOfBlog + "ORDER BY p.dateLastEditedLocally DESC");
    size_t round = 0, count = 0;
    for (auto _ : state)
        count = (round++ % 2 ? byDate : byTitle).run();
    state.counters["rows"] = static_cast<double>(count);
}
BENCHMARK(BM_SQLiteSortChange)->Unit(benchmark::kMillisecond);

// --- The batch at row 9,950 and the first

void batchAtRow(benchmark::State& state, size_t row)
{
    auto& blog = BlogWindowBenchBlog::shared();
    auto controller = VornickWebListViewController::create<VornickBlogPostListViewController>(Rect(0, 0, 400, 800));
    controller->setAutoRefreshInterval(0);
    RunLoop::main().runUntil([&] { return !controller->webView()->isLoading(); }, 10);
    auto arrayController = std::make_shared<BlogWindowBenchPostsArrayController>();
    controller->setArrayController(arrayController);
    auto& webView = *controller->webView();
    // The page with `row` rows loaded (none: the list was empty), all 10,000 arranged.
    auto prepare = [&] {
        arrayController->objects.assign(blog.posts.begin(), blog.posts.begin() + static_cast<std::ptrdiff_t>(row));
        controller->refreshListContent();
        while (controller->numberOfItemsLoaded() < row)
            controller->loadMoreItems();
        arrayController->objects = blog.posts;
        webView.layoutIfNeeded();
        if (row)
            webView.scrollNodeIntoViewIfNeeded(*controller->listItemForRow(static_cast<long>(row) - 1));
        GraphicsContext context;
        webView.display(context);
    };
    prepare();
    size_t commands = 0;
    for (auto _ : state) {
        controller->loadMoreItems();
        webView.layoutIfNeeded();
        webView.scrollNodeIntoViewIfNeeded(*controller->listItemForRow(static_cast<long>(row)));
        GraphicsContext context;
        webView.display(context);
        commands = context.commands().size();
        state.PauseTiming();
        prepare();
        state.ResumeTiming();
    }
    state.counters["rowsLoaded"] = static_cast<double>(row + VornickWebListViewController::batchSize);
    state.counters["commands"] = static_cast<double>(commands);
}

void BM_BlogListFirstBatch(benchmark::State& state)
{
    batchAtRow(state, 0);
}
BENCHMARK(BM_BlogListFirstBatch)->Unit(benchmark::kMillisecond);

void BM_BlogListBatchAtRow9950(benchmark::State& state)
{
    batchAtRow(state, 9950);
}
BENCHMARK(BM_BlogListBatchAtRow9950)->Unit(benchmark::kMillisecond)->Iterations(20);

} // namespace
