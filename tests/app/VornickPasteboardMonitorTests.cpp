#include "app/VornickPasteboardMonitor.h"

#include "platform/foundation/FileUtilities.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/PropertyList.h"
#include "platform/foundation/Text.h"
#include "platform/web/WebView.h"

#include <algorithm>

#include <gtest/gtest.h>
#include <sys/stat.h>

using namespace brevanton;

namespace {

class VornickPasteboardMonitorTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        RunLoop::main().useManualClock();
        m_folder = createTemporaryDirectory("vornick-pasteboard-monitor").value();
        m_filePath = m_folder + "/recentPasteboardURLs.plist";
        m_observer = NotificationCenter::defaultCenter().addObserver(VornickPasteboardContentsDidChangeNotification,
                                                                    nullptr, nullptr, [this](const Notification& notification) {
                                                                        ++m_notifications;
                                                                        m_notifiedObject = notification.object;
                                                                    });
    }
    void TearDown() override
    {
        m_monitor.reset();
        m_observer.reset();
        RunLoop::main().useRealClock();
        EXPECT_TRUE(removeItem(m_folder));
    }

    void startMonitor()
    {
        m_monitor = VornickPasteboardMonitor::create(URL::fileURLWithPath(m_filePath, false));
        RunLoop::main().advanceClock(0);
    }
    static void copyURL(const std::u16string& url, std::optional<std::u16string> title = std::nullopt)
    {
        auto pasteboard = Pasteboard::generalPasteboard();
        pasteboard->clearContents();
        ASSERT_TRUE(pasteboard->writeObjects({ PasteboardItem::itemWithURL(*URL::create(url), title) }));
    }
    static void copyText(const std::u16string& text)
    {
        auto pasteboard = Pasteboard::generalPasteboard();
        pasteboard->clearContents();
        ASSERT_TRUE(pasteboard->setString(text, PasteboardTypeString));
    }
    std::vector<std::u16string> urls() const
    {
        std::vector<std::u16string> result;
        for (const auto& entry : m_monitor->recentTitledPasteboardURLs())
            result.push_back(entry.url.absoluteString());
        return result;
    }
    void writeSavedList(const Array& entries) const
    {
        auto data = writePropertyList(Value(entries), PropertyListFormat::XML, nullptr).value();
        ASSERT_TRUE(writeFileAtomically(m_filePath, std::string_view(reinterpret_cast<const char*>(data.data()), data.size())));
    }
    static Value entry(const std::u16string& url, std::optional<std::u16string> title = std::nullopt)
    {
        Dictionary dictionary { { u"URL", Value(url) } };
        if (title)
            dictionary[u"title"] = *title;
        return dictionary;
    }

    std::string m_folder;
    std::string m_filePath;
    ObserverToken m_observer;
    int m_notifications { 0 };
    const void* m_notifiedObject { nullptr };
    std::shared_ptr<VornickPasteboardMonitor> m_monitor;
};

TEST_F(VornickPasteboardMonitorTest, GathersCopiedURLsOfCommonSchemesAndAnnouncesEveryChange)
{
    copyURL(u"https://example.org/launch");
    startMonitor();
    RunLoop::main().advanceClock(0.5);
    EXPECT_TRUE(urls().empty()) << "what was on the pasteboard at launch is not gathered";
    EXPECT_EQ(m_notifications, 0);

    copyText(u"just some words");
    RunLoop::main().advanceClock(0.5);
    EXPECT_EQ(m_notifications, 1) << "plain text is announced";
    EXPECT_EQ(m_notifiedObject, Pasteboard::generalPasteboard().get());
    EXPECT_TRUE(urls().empty());

    copyURL(u"javascript:alert(1)");
    RunLoop::main().advanceClock(0.5);
    EXPECT_EQ(m_notifications, 2);
    EXPECT_TRUE(urls().empty()) << "only common schemes are gathered";

    copyURL(u"https://example.org/a", u"  Page A \n");
    RunLoop::main().advanceClock(0.5);
    RunLoop::main().advanceClock(0.5);
    EXPECT_EQ(m_notifications, 3) << "a poll without a change announces nothing";
    ASSERT_EQ(urls(), (std::vector<std::u16string> { u"https://example.org/a" }));
    EXPECT_EQ(m_monitor->recentTitledPasteboardURLs()[0].title, u"Page A");
}

TEST_F(VornickPasteboardMonitorTest, RecopyingMovesTheEntryLastAndKeepsItsTitle)
{
    startMonitor();
    copyURL(u"https://example.org/a", u"Page A");
    RunLoop::main().advanceClock(0.5);
    copyURL(u"mailto:someone@example.org");
    RunLoop::main().advanceClock(0.5);
    Date firstDate = m_monitor->recentTitledPasteboardURLs()[0].dateGathered;

    copyURL(u"https://example.org/a", u" ");
    RunLoop::main().advanceClock(0.5);
    ASSERT_EQ(urls(), (std::vector<std::u16string> { u"mailto:someone@example.org", u"https://example.org/a" }));
    auto last = m_monitor->recentTitledPasteboardURLs()[1];
    EXPECT_EQ(last.title, u"Page A") << "an empty title keeps the earlier one";
    EXPECT_GT(last.dateGathered, firstDate);

    copyURL(u"https://example.org/a", u"Renamed");
    RunLoop::main().advanceClock(0.5);
    EXPECT_EQ(m_monitor->recentTitledPasteboardURLs().back().title, u"Renamed");
    EXPECT_EQ(urls().size(), 2u);
}

TEST_F(VornickPasteboardMonitorTest, KeepsTheNewestHundredURLs)
{
    startMonitor();
    for (int i = 0; i <= 100; ++i) {
        copyURL(u"https://example.org/" + toUTF16(std::to_string(i)));
        RunLoop::main().advanceClock(0.5);
    }
    auto list = urls();
    ASSERT_EQ(list.size(), 100u);
    EXPECT_EQ(list.front(), u"https://example.org/1");
    EXPECT_EQ(list.back(), u"https://example.org/100");
}

TEST_F(VornickPasteboardMonitorTest, ABurstOfCopiesIsSavedOnceAtomicallyAndReadBack)
{
    startMonitor();
    for (int i = 0; i < 10; ++i) {
        copyURL(u"https://example.org/" + toUTF16(std::to_string(i)), u"Title");
        RunLoop::main().advanceClock(0.25);
    }
    EXPECT_FALSE(fileExists(m_filePath)) << "no save while copies keep coming";
    struct stat before {};
    RunLoop::main().advanceClock(3.0);
    ASSERT_EQ(stat(m_filePath.c_str(), &before), 0);
    RunLoop::main().advanceClock(10.0);
    struct stat after {};
    ASSERT_EQ(stat(m_filePath.c_str(), &after), 0);
    EXPECT_EQ(before.st_ino, after.st_ino) << "written once";

    // A file replaced, not rewritten in place: a link to the old file keeps the old list.
    ASSERT_EQ(link(m_filePath.c_str(), (m_folder + "/old").c_str()), 0);
    copyURL(u"https://example.org/new");
    RunLoop::main().advanceClock(3.5);
    EXPECT_NE(readFile(m_filePath).value(), readFile(m_folder + "/old").value());

    auto saved = urls();
    m_monitor.reset();
    startMonitor();
    EXPECT_EQ(urls(), saved);
    EXPECT_EQ(m_monitor->recentTitledPasteboardURLs()[0].title, u"Title");
}

TEST_F(VornickPasteboardMonitorTest, ASavedListIsReadSkippingBadEntriesAndDuplicatesAndCapped)
{
    Array entries;
    entries.push_back(entry(u"https://example.org/dup", u"Old title"));
    entries.push_back(Dictionary { { u"URL", Value(42) } });
    entries.push_back(Value(u"not a dictionary"));
    for (int i = 0; i < 120; ++i)
        entries.push_back(entry(u"https://example.org/" + toUTF16(std::to_string(i))));
    entries.push_back(entry(u"https://example.org/dup"));
    writeSavedList(entries);

    startMonitor();
    auto list = m_monitor->recentTitledPasteboardURLs();
    ASSERT_EQ(list.size(), 100u);
    EXPECT_EQ(list.back().url.absoluteString(), u"https://example.org/dup");
    EXPECT_EQ(list.back().title, u"Old title");
    EXPECT_EQ(list.front().url.absoluteString(), u"https://example.org/21");
    auto all = urls();
    EXPECT_EQ(std::count(all.begin(), all.end(), u"https://example.org/dup"), 1);

    ASSERT_TRUE(writeFileAtomically(m_filePath, "<plist><dict/></plist>"));
    m_monitor.reset();
    startMonitor();
    EXPECT_TRUE(urls().empty()) << "a list that is not an array is not read";
}

TEST(VornickTitledURLTest, PropertyListAndPasteboardForms)
{
    VornickTitledURL titled(*URL::create(u"https://example.org/x"), u"X", Date(1000.0));
    auto copy = VornickTitledURL::createWithPropertyList(titled.propertyList());
    ASSERT_TRUE(copy);
    EXPECT_EQ(copy->url, titled.url);
    EXPECT_EQ(copy->title, u"X");
    EXPECT_EQ(copy->dateGathered, Date(1000.0));
    EXPECT_EQ(titled.description(), u"VornickTitledURL {URL=https://example.org/x, title=\"X\", dateGathered=1970-01-01 00:16:40 +0000}");
    EXPECT_FALSE(VornickTitledURL::createWithPropertyList(Dictionary { { u"URL", Value(u"no url here") } }));
    EXPECT_FALSE(VornickTitledURL::createWithPropertyList(Value(u"https://example.org/")));

    auto pasteboard = Pasteboard::pasteboardWithName(u"titled-url-test");
    pasteboard->clearContents();
    VornickTitledURL untitled(*URL::create(u"https://example.org/y"), std::nullopt);
    EXPECT_NE(untitled.description().find(u", title=nil, "), std::u16string::npos);
    ASSERT_TRUE(pasteboard->writeObjects({ std::make_shared<const VornickTitledURL>(titled),
                                           std::make_shared<const VornickTitledURL>(untitled) }));
    const auto& items = pasteboard->pasteboardItems();
    ASSERT_EQ(items.size(), 2u);
    EXPECT_EQ(items[0].stringForType(PasteboardTypeURLName), u"X");
    EXPECT_EQ(items[0].stringForType(PasteboardTypeString), u"https://example.org/x");
    EXPECT_FALSE(items[1].hasType(PasteboardTypeURLName));
    EXPECT_EQ(WebView::URLFromPasteboard(*pasteboard), titled.url);
}

} // namespace
