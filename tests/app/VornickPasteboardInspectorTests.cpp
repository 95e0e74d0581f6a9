#include "app/VornickApplicationDelegate.h"
#include "app/VornickPasteboardInspector.h"
#include "app/VornickPasteboardMonitor.h"

#include "platform/foundation/Bundle.h"
#include "platform/foundation/Color.h"
#include "platform/foundation/FileUtilities.h"
#include "platform/foundation/Text.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/views/Font.h"
#include "platform/views/PopUpButton.h"
#include "platform/views/TabView.h"
#include "platform/views/TextField.h"
#include "platform/views/TextView.h"
#include "platform/views/Window.h"
#include "platform/web/WebArchive.h"

#include <gtest/gtest.h>

using namespace brevanton;

namespace {

class VornickPasteboardInspectorTest : public ::testing::Test {
protected:
    void SetUp() override { Pasteboard::generalPasteboard()->clearContents(); }
    void TearDown() override
    {
        m_inspector.reset();
        VornickInspector::resetSharedInstancesForTesting();
        Pasteboard::generalPasteboard()->clearContents();
    }

    VornickPasteboardInspector& inspector()
    {
        if (!m_inspector)
            m_inspector = VornickPasteboardInspector::sharedPasteboardInspector();
        return *m_inspector;
    }
    static void announceChange()
    {
        NotificationCenter::defaultCenter().post(VornickPasteboardContentsDidChangeNotification, Pasteboard::generalPasteboard().get());
    }
    static void copyWebArchive(const std::string& html, const std::u16string& mimeType = u"text/html")
    {
        auto resource = std::make_shared<WebResource>(Data(html.begin(), html.end()), *URL::create(u"https://example.org/"),
                                                      mimeType, u"utf-8");
        auto pasteboard = Pasteboard::generalPasteboard();
        pasteboard->clearContents();
        ASSERT_TRUE(pasteboard->writeObjects({ pasteboardItemWithWebArchiveData(WebArchive(resource).data()) }));
    }
    std::vector<std::u16string> listedTypes() const
    {
        std::vector<std::u16string> titles;
        for (long index = 0; index < m_inspector->typesPopUpButton()->numberOfItems(); ++index)
            titles.push_back(m_inspector->typesPopUpButton()->itemAtIndex(index)->title());
        return titles;
    }
    std::string shownHTML() const { return toUTF8(m_inspector->htmlTextView()->string()); }
    const std::u16string& shownTab() const { return m_inspector->tabView()->selectedTabViewItemIdentifier(); }

    std::shared_ptr<VornickPasteboardInspector> m_inspector;
};

TEST_F(VornickPasteboardInspectorTest, ListsAtMostAHundredItemsAndTheTypesAPasteReads)
{
    std::vector<PasteboardItem> items;
    for (int i = 0; i < 150; ++i) {
        auto item = PasteboardItem::itemWithURL(*URL::create(u"https://example.org/" + toUTF16(std::to_string(i))), u"Page");
        ASSERT_TRUE(item.setString(u"x", u"com.example.private"));
        items.push_back(std::move(item));
    }
    ASSERT_TRUE(Pasteboard::generalPasteboard()->writeObjects(items));

    inspector();
    EXPECT_TRUE(m_inspector->watchingPasteboard());
    EXPECT_EQ(m_inspector->itemCountTextField()->stringValue(), u"150 items on pasteboard");
    auto& itemsPopUp = *m_inspector->itemsPopUpButton();
    ASSERT_EQ(itemsPopUp.numberOfItems(), 100);
    EXPECT_EQ(itemsPopUp.itemAtIndex(99)->title(), u"Item 99");
    EXPECT_EQ(itemsPopUp.itemAtIndex(99)->tag(), 99);

    EXPECT_EQ(listedTypes(), (std::vector<std::u16string> { PasteboardTypeURL, PasteboardTypeURLName }));
    EXPECT_EQ(m_inspector->typesPopUpButton()->titleOfSelectedItem(), PasteboardTypeURL) << "the URL is preferred";
    EXPECT_EQ(shownTab(), u"text");

    itemsPopUp.chooseItemAtIndex(7);
    EXPECT_EQ(m_inspector->plainTextView()->string(), u"https://example.org/7\r\n");
    const auto& storage = m_inspector->plainTextView()->textStorage();
    ASSERT_NE(storage.attributeAtIndex<Color>(ForegroundColorAttributeName, 0), nullptr);
    EXPECT_EQ(*storage.attributeAtIndex<Color>(ForegroundColorAttributeName, 0), Color::sRGB(0.3, 0.3, 0.3));

    m_inspector->setShowsOnlyRelevantTypes(false);
    EXPECT_EQ(listedTypes().size(), 3u);
    m_inspector->typesPopUpButton()->chooseItemAtIndex(2);
    EXPECT_EQ(shownTab(), u"unknown") << "a type of nobody's text";

    // A smaller pasteboard rebuilds the items; an item that no longer exists shows nothing.
    auto pasteboard = Pasteboard::generalPasteboard();
    pasteboard->clearContents();
    ASSERT_TRUE(pasteboard->setString(u"words", PasteboardTypeString));
    announceChange();
    EXPECT_EQ(m_inspector->itemCountTextField()->stringValue(), u"1 items on pasteboard");
    EXPECT_EQ(itemsPopUp.numberOfItems(), 1);
    EXPECT_EQ(m_inspector->plainTextView()->string(), u"words");
}

TEST_F(VornickPasteboardInspectorTest, AnImageOnlyPasteboardListsNoRelevantType)
{
    ASSERT_TRUE(Pasteboard::generalPasteboard()->setData(Data { 0x89, 'P', 'N', 'G' }, u"image/png"));
    inspector();
    EXPECT_TRUE(listedTypes().empty());
    EXPECT_EQ(shownTab(), u"unknown");
    m_inspector->setShowsOnlyRelevantTypes(false);
    EXPECT_EQ(listedTypes(), (std::vector<std::u16string> { u"image/png" }));
    EXPECT_EQ(shownTab(), u"unknown");
}

TEST_F(VornickPasteboardInspectorTest, WebArchivesShowTheirHTMLAsAPasteWouldSeeIt)
{
    copyWebArchive("<html><head><title>t</title></head><body><p style=\"color:red\"><span>Hello</span> there</p></body></html>");
    inspector();
    EXPECT_EQ(shownTab(), u"webarchive");
    EXPECT_EQ(m_inspector->tidyErrorMessageTextField()->stringValue(), u"");
    std::string cleaned = shownHTML();
    EXPECT_NE(cleaned.find("<p>Hello there</p>"), std::string::npos) << cleaned;
    EXPECT_EQ(cleaned.find("<body"), std::string::npos) << "only the body's children";
    ASSERT_NE(m_inspector->htmlTree(), nullptr);

    m_inspector->setTidyHTML(false);
    EXPECT_EQ(m_inspector->tidyErrorMessageTextField()->stringValue(), u"");
    EXPECT_NE(shownHTML().find("<p>Hello there</p>"), std::string::npos) << "still cleaned";

    m_inspector->setCleanHTML(false);
    EXPECT_NE(shownHTML().find("<p style=\"color:red\"><span>Hello</span>"), std::string::npos) << "the archive's own text";

    copyWebArchive("\x89PNG", u"image/png");
    announceChange();
    EXPECT_EQ(shownTab(), u"webarchive");
    EXPECT_EQ(shownHTML(), "") << "an archive of an image has no HTML";
}

TEST_F(VornickPasteboardInspectorTest, TheApplicationMenuActionShowsAndHidesTheWindow)
{
    auto folder = createTemporaryDirectory("vornick-pasteboard-inspector").value();
    UserDefaults defaults(folder + "/defaults.plist");
    auto delegate = VornickApplicationDelegate::create(defaults, Bundle::main());
    ASSERT_TRUE(delegate->tryToPerform("showOrHidePasteboardInspector:", nullptr));
    EXPECT_TRUE(inspector().isShown());
    EXPECT_TRUE(m_inspector->window()->isVisible());
    ASSERT_TRUE(delegate->tryToPerform("showOrHidePasteboardInspector:", nullptr));
    EXPECT_FALSE(m_inspector->isShown());
    EXPECT_TRUE(removeItem(folder));
}

} // namespace
