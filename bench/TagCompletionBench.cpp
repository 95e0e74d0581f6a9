// A keystroke in a post's tag field over a blog of 10,000 tags, the list
// showing its 30 strongest completions, beside the completion set ranking
// the same titles alone in the same run (the peer).
// Target: within 1.5x of the peer, under 8 ms per keystroke.
#include "blog/VornickBlogModel.h"
#include "blog/VornickWordPressBlogPost.h"
#include "platform/foundation/FileUtilities.h"
#include "platform/foundation/Text.h"
#include "platform/store/ManagedObjectContext.h"
#include "platform/store/PersistentStore.h"
#include "platform/views/Event.h"
#include "platform/views/Window.h"
#include "publishing/VornickBlogPostTagListTokenFieldController.h"
#include "toolkit/VornickCompletionSet.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <filesystem>
#include <random>

using namespace brevanton;

namespace {

std::vector<std::u16string> tagTitles()
{
    const char16_t* words[] = { u"Travel", u"Photo", u"Food", u"Recipe", u"Garden", u"Music", u"Review", u"Guide", u"News",
                                u"Tech", u"Cycling", u"Hiking", u"Books", u"Film", u"Coffee", u"Design", u"Family", u"Science" };
    std::mt19937 random(29);
    std::vector<std::u16string> titles;
    while (titles.size() < 10'000) {
        std::u16string title;
        int count = 1 + static_cast<int>(random() % 3);
        for (int i = 0; i < count; ++i)
            title += (i ? u" " : u"") + std::u16string(words[random() % std::size(words)]);
        titles.push_back(title + u" " + toUTF16(std::to_string(titles.size())));
    }
    return titles;
}

const std::u16string typed = u"travel photo";

Event keyFor(char16_t character)
{
    std::u16string characters(1, character);
    return Event::keyEvent(EventType::KeyDown, {}, 0, 0, nullptr, characters, characters, false, 0);
}

void BM_TagCompletionKeystroke(benchmark::State& state)
{
    std::string folder = createTemporaryDirectory("tag-bench").value();
    Error error;
    auto store = PersistentStore::open(folder + "/index.brevantonindex", vornickMakeBlogProjectModel(true), &error);
    auto context = ManagedObjectContext::create(store);
    auto blog = context->insertNewObject(u"Blog");
    auto titles = tagTitles();
    for (const auto& title : titles) {
        auto tag = context->insertNewObject(u"BlogTag");
        tag->setValueForKey(Value(title), u"title");
        tag->setObjectForKey(blog, u"blog");
    }
    auto post = std::dynamic_pointer_cast<VornickBlogPost>(context->insertNewObject(u"BlogPost"));
    post->setObjectForKey(blog, u"blog");

    auto controller = VornickBlogPostTagListTokenFieldController::create();
    controller->setPost(post);
    auto window = Window::create(Rect(100, 100, 400, 120));
    window->contentView()->addSubview(controller->tokenField());
    window->makeKeyAndOrderFront();
    auto& field = *controller->tokenField();

    VornickCompletionSet peer;
    peer.setFavorsCamelCaps(true);
    peer.setReturnsMatchesForEmptyString(false);
    peer.setUsesLengthBasedGapPenalty(false);
    for (const auto& title : titles)
        peer.addCompletionString(title, &title);

    double fieldSeconds = 0;
    double peerSeconds = 0;
    size_t keystrokes = 0;
    size_t shown = 0;
    for (auto _ : state) {
        field.setObjects({});
        std::u16string search;
        for (char16_t character : typed) {
            search += character;
            auto start = std::chrono::steady_clock::now();
            field.keyDown(keyFor(character));
            auto middle = std::chrono::steady_clock::now();
            auto matches = peer.rankedMatchesForSearchString(search);
            benchmark::DoNotOptimize(matches.data());
            auto end = std::chrono::steady_clock::now();
            fieldSeconds += std::chrono::duration<double>(middle - start).count();
            peerSeconds += std::chrono::duration<double>(end - middle).count();
            shown = std::max(shown, field.completions().size());
            ++keystrokes;
        }
    }
    window->orderOut();
    state.counters["field_ms_per_key"] = fieldSeconds * 1000 / static_cast<double>(keystrokes);
    state.counters["peer_ms_per_key"] = peerSeconds * 1000 / static_cast<double>(keystrokes);
    state.counters["ratio"] = fieldSeconds / peerSeconds;
    state.counters["shown"] = static_cast<double>(shown);
    controller->setPost(nullptr);
    std::filesystem::remove_all(folder);
}

} // namespace

BENCHMARK(BM_TagCompletionKeystroke)->Unit(benchmark::kMillisecond)->Iterations(5);
