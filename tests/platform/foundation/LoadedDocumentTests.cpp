#include "platform/foundation/LoadedDocument.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <thread>
#include <vector>

using namespace brevanton;

TEST(LoadedDocument, DecodesOnceForEveryThreadThatAsks)
{
    auto loaded = LoadedDocument::create("/x/page.html", "\xef\xbb\xbf<p>caf\xc3\xa9", FileStamp { {}, 11, 0, 0 },
                                         DocumentTextSyntax::HTML);
    std::vector<const DecodedDocumentText*> decoded(8);
    std::vector<const std::u16string*> sources(8);
    {
        std::vector<std::jthread> threads;
        for (size_t i = 0; i < decoded.size(); ++i) {
            threads.emplace_back([&, i] {
                decoded[i] = &loaded->decoded();
                sources[i] = loaded->source().get();
            });
        }
    }
    for (size_t i = 1; i < decoded.size(); ++i) {
        EXPECT_EQ(decoded[i], decoded[0]);
        EXPECT_EQ(sources[i], sources[0]);
    }
    EXPECT_EQ(loaded->decoded().utf8, "<p>caf\xc3\xa9");
    EXPECT_EQ(loaded->encoding(), u"UTF-8");
    EXPECT_TRUE(loaded->hasByteOrderMark());
    EXPECT_EQ(*loaded->source(), u"<p>caf\u00e9");
    EXPECT_EQ(loaded->stamp().size, 11u);
    EXPECT_EQ(loaded->loadPath(), "/x/page.html");

    // A path given relative to the working folder is loaded by its absolute one.
    auto relative = LoadedDocument::create("page.html", "", {}, DocumentTextSyntax::HTML);
    EXPECT_EQ(relative->path(), "page.html");
    EXPECT_EQ(relative->loadPath(), std::filesystem::current_path() / "page.html");
    EXPECT_EQ(relative->url().fileSystemPath(), relative->loadPath());

    // An XML document reads its own declaration.
    auto xml = LoadedDocument::create("/x/page.xhtml", "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?><p>caf\xe9</p>", {},
                                      DocumentTextSyntax::XML);
    EXPECT_EQ(*xml->source(), u"<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?><p>caf\u00e9</p>");
}

TEST(LoadedDocument, ItsParseGoesToTheFirstTakerAndIsWaitedForWhenItGoes)
{
    auto loaded = LoadedDocument::create("/x/page.html", "<p>x", {}, DocumentTextSyntax::HTML);
    EXPECT_FALSE(loaded->hasParse());
    EXPECT_FALSE(loaded->takeParsedDocument());
    std::promise<std::shared_ptr<DOMDocument>> parse;
    loaded->setParse(parse.get_future().share());
    EXPECT_TRUE(loaded->hasParse());
    parse.set_value(nullptr);
    EXPECT_FALSE(loaded->takeParsedDocument());
    EXPECT_FALSE(loaded->hasParse());

    // Its check is stopped, then waited for, when the document goes.
    bool ended = false;
    {
        auto checked = LoadedDocument::create("/x/page.html", "<p>x", {}, DocumentTextSyntax::HTML);
        std::stop_source stop;
        checked->setCheck(std::async(std::launch::async,
                                     [stop = stop.get_token(), &ended]() -> std::shared_ptr<const void> {
                                         while (!stop.stop_requested())
                                             std::this_thread::sleep_for(std::chrono::milliseconds(1));
                                         ended = true;
                                         return nullptr;
                                     })
                              .share(),
                          stop);
    }
    EXPECT_TRUE(ended);
}
