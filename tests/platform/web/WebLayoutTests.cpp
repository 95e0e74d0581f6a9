#include "platform/css/DOMCSSComputedStyle.h"
#include "platform/dom/DOMCasts.h"
#include "platform/dom/DOMCharacterData.h"
#include "platform/dom/DOMDocument.h"
#include "platform/dom/DOMElement.h"
#include "platform/dom/DOMRange.h"
#include "platform/foundation/FileUtilities.h"
#include "platform/foundation/RunLoop.h"
#include "platform/web/WebView.h"

#include <gtest/gtest.h>

#include <functional>

using namespace brevanton;

namespace {

class WebLayoutTest : public ::testing::Test {
protected:
    void SetUp() override { webView = WebView::create(Rect(0, 0, 800, 600)); }

    void load(const std::u16string& html)
    {
        webView->mainFrame()->loadHTMLString(html, std::nullopt);
        ASSERT_TRUE(RunLoop::main().runUntil([&] { return !webView->isLoading(); }, 30));
    }
    void loadFile(const std::string& name)
    {
        webView->setMainFrameURL(URL::fileURLWithPath(std::string(BREVANTON_TEST_DATA_DIR) + "/web/" + name).absoluteString());
        ASSERT_TRUE(RunLoop::main().runUntil([&] { return !webView->isLoading(); }, 30));
    }
    std::shared_ptr<DOMElement> element(const char16_t* id) { return webView->mainFrameDocument()->getElementById(id); }
    DOMNode& textOf(const char16_t* id) { return *element(id)->firstChild(); }
    Rect box(const char16_t* id) { return webView->boundingBox(*element(id)); }

    std::shared_ptr<WebView> webView;
};

// 16px text: 8px per character, 20px per line.
constexpr const char16_t* plainBody = u"<body style='margin:0'>";

TEST_F(WebLayoutTest, BlocksStackAndTextWrapsIntoLineBoxes)
{
    webView->setFrameSize({ 80 + 16, 600 });
    load(std::u16string(plainBody) + u"<div id=a style='margin:0 8px'>aaaa bbbb cccc</div>"
         u"<p id=b style='margin:10px 0 0 0;padding-left:4px'>xy</p><span id=empty></span>");
    EXPECT_EQ(box(u"a"), Rect(8, 0, 80, 40));
    auto lines = webView->lineBoxRects(textOf(u"a"));
    ASSERT_EQ(lines.size(), 2u) << "nine characters fit in 80px, two words of four with a space do";
    EXPECT_EQ(lines[0], Rect(8, 0, 72, 20));
    EXPECT_EQ(lines[1], Rect(8, 20, 32, 20));
    EXPECT_EQ(box(u"b"), Rect(0, 50, 96, 20));
    EXPECT_EQ(webView->lineBoxRects(textOf(u"b"))[0], Rect(4, 50, 16, 20));
    auto document = webView->mainFrame()->layout().documentSize();
    EXPECT_EQ(document.height, 70) << "an empty inline element makes no line";
    EXPECT_GE(webView->mainFrame()->frameView()->documentView()->frame().height(), 600);
}

TEST_F(WebLayoutTest, ReplacedElementsTablesAndHiddenContent)
{
    load(std::u16string(plainBody) + u"<div><img id=i width=50 height=40><img id=j width=20>"
         u"<iframe id=f></iframe></div>"
         u"<table id=t style='margin:0'><tr id=r><td id=c1>a</td><td id=c2>b<br>c</td></tr></table>"
         u"<div id=none style='display:none'><p id=inner>x</p></div><div id=after>z</div>");
    EXPECT_EQ(box(u"i"), Rect(0, 0, 50, 40));
    EXPECT_EQ(box(u"j"), Rect(50, 0, 20, 20)) << "a width alone keeps the default shape";
    EXPECT_EQ(box(u"f"), Rect(70, 0, 300, 150));
    Rect table = box(u"t");
    EXPECT_EQ(table.minY(), 150);
    EXPECT_EQ(box(u"c1").width(), box(u"c2").width());
    EXPECT_EQ(box(u"c1").height(), box(u"c2").height()) << "cells take the row's height";
    EXPECT_GT(box(u"c2").height(), 40);
    EXPECT_EQ(box(u"r"), Rect(0, 150, table.width(), box(u"c1").height()));
    EXPECT_TRUE(box(u"none").isEmpty());
    EXPECT_TRUE(box(u"inner").isEmpty());
    EXPECT_EQ(box(u"after").minY(), table.maxY());
}

TEST_F(WebLayoutTest, RelayoutFollowsEditsAndZoom)
{
    load(std::u16string(plainBody) + u"<p id=p style='margin:0'>abc</p><p id=q style='margin:0'>d</p>");
    EXPECT_EQ(box(u"q").minY(), 20);
    downcast<DOMCharacterData>(textOf(u"p")).appendData(u" more words that wrap onto lines again and again "
                                                          u"and again and again and again and again and again and again "
                                                          u"and again and again and again and again and again");
    EXPECT_EQ(box(u"q").minY(), 40) << "layout follows a text change";
    element(u"p")->setAttribute(u"style", u"display:none");
    EXPECT_EQ(box(u"q").minY(), 0);
    webView->setTextSizeMultiplier(2);
    EXPECT_EQ(box(u"q"), Rect(0, 0, 800, 40));
    EXPECT_EQ(webView->lineBoxRects(textOf(u"q"))[0].width(), 16);

    // Zoom steps stay within bounds and come back to the standard size.
    webView->makeTextStandardSize();
    EXPECT_FALSE(webView->canMakeTextStandardSize());
    int steps = 0;
    while (webView->canMakeTextLarger() && steps < 100) {
        webView->makeTextLarger();
        ++steps;
    }
    EXPECT_EQ(steps, 6);
    EXPECT_LE(webView->textSizeMultiplier(), 3);
    webView->makeTextStandardSize();
    EXPECT_EQ(box(u"q").height(), 20);
}

TEST_F(WebLayoutTest, PageFromFilesHasStylesBoxesAndHitTargets)
{
    loadFile("page.html");
    auto document = webView->mainFrameDocument();
    // Computed display of every element of the page.
    std::vector<std::pair<std::u16string, std::u16string>> displays;
    for (DOMNode* node = document->documentElement().get(); node; node = node->traverseNext()) {
        if (node->isElementNode()) {
            auto& element = downcast<DOMElement>(*node);
            displays.emplace_back(element.tagName() + u"#" + element.id(), getComputedStyle(element)->getPropertyValue(u"display"));
        }
    }
    std::vector<std::pair<std::u16string, std::u16string>> expected = {
        { u"HTML#", u"block" }, { u"HEAD#", u"none" }, { u"TITLE#", u"none" }, { u"LINK#", u"none" },
        { u"BODY#", u"block" }, { u"H1#heading", u"block" }, { u"P#para", u"block" }, { u"P#hidden", u"none" },
        { u"IMG#picture", u"inline" }, { u"IFRAME#inner", u"inline" },
    };
    EXPECT_EQ(displays, expected);

    Rect heading = box(u"heading");
    Rect para = box(u"para");
    Rect picture = box(u"picture");
    Rect frame = box(u"inner");
    EXPECT_EQ(heading.minY(), 0) << "the imported sheet's margins apply";
    EXPECT_EQ(heading.maxY(), para.minY());
    EXPECT_TRUE(box(u"hidden").isEmpty());
    EXPECT_EQ(picture.size, (Size { 40, 30 })) << "the image's own size";
    EXPECT_EQ(frame.size, (Size { 300, 150 }));
    EXPECT_EQ(picture.minY(), frame.minY()) << "image and frame share a line";
    EXPECT_EQ(picture.maxX() + 8, frame.minX()) << "one space between them";

    auto atHeading = webView->elementAtPoint({ heading.minX() + 2, heading.midY() });
    ASSERT_TRUE(atHeading);
    EXPECT_EQ(atHeading->domNode.get(), element(u"heading")->firstChild().get());
    auto atPicture = webView->elementAtPoint({ picture.midX(), picture.midY() });
    ASSERT_TRUE(atPicture);
    EXPECT_EQ(atPicture->domNode, element(u"picture"));
    ASSERT_TRUE(atPicture->imageURL);
    EXPECT_EQ(atPicture->imageURL->lastPathComponent(), u"picture.png");

    // Inside the iframe: the child frame's node, in the child frame's coordinates.
    auto inner = webView->mainFrame()->childFrames()[0];
    auto inside = inner->domDocument()->getElementById(u"inside");
    Rect insideBox = webView->boundingBox(*inside);
    EXPECT_EQ(insideBox, Rect(0, 0, 300, 20));
    auto atFrame = webView->elementAtPoint({ frame.minX() + 1, frame.minY() + 1 });
    ASSERT_TRUE(atFrame);
    EXPECT_EQ(atFrame->webFrame, inner);
    EXPECT_EQ(atFrame->domNode.get(), inside->firstChild().get());
    auto belowText = webView->elementAtPoint({ frame.minX() + 1, frame.minY() + 100 });
    ASSERT_TRUE(belowText);
    EXPECT_EQ(belowText->domNode, inner->domDocument()->body());

    // Scrolled, the same point of the view shows another part of the document.
    auto clip = webView->mainFrame()->frameView()->clipView();
    webView->setFrameSize({ 800, 100 });
    webView->layoutIfNeeded();
    clip->scrollToPoint({ 0, frame.minY() });
    auto scrolled = webView->elementAtPoint({ frame.minX() + 1, 1 });
    ASSERT_TRUE(scrolled);
    EXPECT_EQ(scrolled->webFrame, inner);
}

TEST_F(WebLayoutTest, UserStyleSheetAppliesToDocuments)
{
    auto folder = *createTemporaryDirectory("usersheet");
    EXPECT_TRUE(writeFileAtomically(folder + "/user.css", ".private { display: none }"));
    load(std::u16string(plainBody) + u"<p id=a class=private style='margin:0'>a</p><p id=b style='margin:0'>b</p>");
    webView->preferences().userStyleSheetEnabled = true;
    webView->preferences().userStyleSheetLocation = URL::fileURLWithPath(folder + "/user.css");
    Error error;
    ASSERT_TRUE(webView->applyUserStyleSheet(&error)) << error;
    EXPECT_TRUE(box(u"a").isEmpty());
    EXPECT_EQ(box(u"b").minY(), 0);

    webView->preferences().userStyleSheetLocation = URL::fileURLWithPath(folder + "/missing.css");
    EXPECT_FALSE(webView->applyUserStyleSheet(&error));
    webView->preferences().userStyleSheetEnabled = false;
    EXPECT_TRUE(webView->applyUserStyleSheet(&error));
    EXPECT_FALSE(box(u"a").isEmpty());
    EXPECT_TRUE(removeItem(folder));
}

TEST_F(WebLayoutTest, LinksAndCaretPositions)
{
    load(std::u16string(plainBody) + u"<p id=p style='margin:0'>ab <a id=a href='/x/y.html'>link</a> cd</p>");
    auto hit = webView->elementAtPoint({ 3 * 8 + 2, 5 });
    ASSERT_TRUE(hit);
    EXPECT_EQ(hit->domNode.get(), element(u"a")->firstChild().get());
    ASSERT_TRUE(hit->linkURL);
    EXPECT_EQ(hit->linkURL->path(), u"/x/y.html");
    auto caret = webView->caretRangeAtPoint({ 8 * 1 + 1, 5 });
    ASSERT_TRUE(caret);
    EXPECT_EQ(caret->startNode(), &textOf(u"p"));
    EXPECT_EQ(caret->startOffset(), 1u);
    auto end = webView->caretRangeAtPoint({ 700, 5 });
    ASSERT_TRUE(end);
    EXPECT_EQ(end->startNode()->nodeValue(), u" cd");
    EXPECT_EQ(end->startOffset(), 3u);
    EXPECT_FALSE(webView->elementAtPoint({ -5, -5 }) && webView->elementAtPoint({ -5, -5 })->domNode->isTextNode());

    webView->moveDragCaretToPoint({ 8 * 1 + 1, 5 });
    ASSERT_TRUE(webView->dragCaretDOMRange());
    EXPECT_EQ(webView->dragCaretDOMRange()->startOffset(), 1u);
    EXPECT_FALSE(webView->selectedDOMRange()) << "the drag caret is not the selection";
    webView->removeDragCaret();
    EXPECT_FALSE(webView->dragCaretDOMRange());
}

// Every node's box and line boxes in document order, and the document's size.
struct LayoutSnapshot {
    std::vector<Rect> boxes;
    std::vector<std::vector<Rect>> lines;
    Size size;
};

LayoutSnapshot snapshot(const WebLayout& layout, const DOMDocument& document)
{
    LayoutSnapshot result;
    for (DOMNode* node = document.first(); node; node = node->traverseNext()) {
        result.boxes.push_back(layout.boundingBox(*node));
        result.lines.push_back(layout.lineBoxRects(*node));
    }
    result.size = layout.documentSize();
    return result;
}

void expectSameRect(const Rect& a, const Rect& b)
{
    EXPECT_NEAR(a.minX(), b.minX(), 1e-9);
    EXPECT_NEAR(a.minY(), b.minY(), 1e-9);
    EXPECT_NEAR(a.width(), b.width(), 1e-9);
    EXPECT_NEAR(a.height(), b.height(), 1e-9);
}

void expectSameLayout(const LayoutSnapshot& incremental, const LayoutSnapshot& full)
{
    EXPECT_NEAR(incremental.size.width, full.size.width, 1e-9);
    EXPECT_NEAR(incremental.size.height, full.size.height, 1e-9);
    ASSERT_EQ(incremental.boxes.size(), full.boxes.size());
    for (size_t i = 0; i < full.boxes.size(); ++i) {
        SCOPED_TRACE(testing::Message() << "node " << i);
        expectSameRect(incremental.boxes[i], full.boxes[i]);
        ASSERT_EQ(incremental.lines[i].size(), full.lines[i].size());
        for (size_t j = 0; j < full.lines[i].size(); ++j)
            expectSameRect(incremental.lines[i][j], full.lines[i][j]);
    }
}

TEST_F(WebLayoutTest, RelayoutAfterTextEditsMatchesFullLayout)
{
    load(std::u16string(plainBody) + u"<h1 id=h>Heading</h1>"
         u"<div id=outer style='padding:3px;margin:5px'><p id=p1>one <em id=em>two</em> three</p>"
         u"<div id=nested style='padding-bottom:2px'><p id=p2 style='margin:0'>short</p><p id=p3 style='margin:0'>after</p></div>"
         u"<span id=inl>inline <b id=b>bold</b></span><div id=deep><p id=p4>four</p></div></div>"
         u"<pre id=pre>a\nb</pre><div id=hidden style='display:none'><p id=hp>hidden</p></div>"
         u"<table><tr><td id=cell>cell</td><td>x</td></tr></table>"
         u"<div id=fixed style='height:60px;width:300px'><p id=pf style='margin:0'>fixed</p>"
         u"<div id=half style='height:50%'><p id=ph style='margin:0'>half</p></div><p id=pa>after</p></div>"
         u"<div style='height:2em'><div id=grows><p id=pg>grows</p></div></div>"
         u"<p id=last>last <img width=30 height=40></p>");
    auto document = webView->mainFrameDocument();
    auto& layout = webView->mainFrame()->layout();
    double width = webView->mainFrame()->frameView()->clipView()->frame().width();
    auto text = [&](const char16_t* id) -> DOMCharacterData& { return downcast<DOMCharacterData>(textOf(id)); };
    std::u16string longText(300, u'w');
    for (int i = 0; i < 300; i += 7)
        longText[i] = u' ';

    struct Step {
        const char* name;
        std::function<void()> edit;
        bool incremental;
    };
    std::vector<Step> steps = {
        { "same height", [&] { text(u"h").appendData(u"!"); }, true },
        { "wrapping grows a block", [&] { text(u"em").appendData(longText); }, true },
        { "shrinking back", [&] { text(u"em").deleteData(3, 300); }, true },
        { "two blocks at once", [&] { text(u"p1").appendData(longText); text(u"p4").insertData(0, longText); }, true },
        { "first of two in a nested block", [&] { text(u"p2").appendData(longText); }, true },
        { "text directly in a block with inline siblings", [&] { text(u"inl").replaceData(0, 6, longText); }, true },
        { "preformatted lines", [&] { text(u"pre").appendData(u"\nc\nd"); }, true },
        { "hidden text", [&] { text(u"hp").appendData(longText); }, true },
        { "an unbreakable word wider than the view", [&] { text(u"p4").appendData(std::u16string(150, u'z')); }, true },
        { "and gone again", [&] { text(u"p4").deleteData(text(u"p4").length() - 150, 150); }, false },
        { "a table cell: its table alone", [&] { text(u"cell").appendData(longText); }, true },
        { "before the replaced element", [&] { text(u"last").replaceData(0, 4, longText); }, true },
        { "in a block of a fixed height", [&] { text(u"pf").appendData(longText); }, true },
        { "in a percentage of a fixed height", [&] { text(u"ph").appendData(longText); }, true },
        { "inside a block within a fixed height", [&] { text(u"pg").appendData(longText); }, true },
    };
    for (auto& step : steps) {
        SCOPED_TRACE(step.name);
        uint64_t fullLayouts = layout.fullLayoutCount();
        step.edit();
        webView->layoutIfNeeded();
        auto incremental = snapshot(webView->mainFrame()->layout(), *document);
        EXPECT_EQ(layout.fullLayoutCount() == fullLayouts, step.incremental);

        WebLayout full;
        full.layoutIfNeeded(*document, width, 1);
        expectSameLayout(incremental, snapshot(full, *document));
    }
    EXPECT_GT(box(u"last").minY(), box(u"pre").maxY());
    EXPECT_EQ(box(u"fixed").height(), 60) << "content overflows a fixed height";
    EXPECT_EQ(box(u"half").height(), 30);
    EXPECT_EQ(box(u"last").minY() - box(u"fixed").maxY(), 32 + 16) << "after a fixed 2em and the margin";

    // Attribute and tree changes lay out only the blocks that hold them.
    uint64_t fullLayouts = layout.fullLayoutCount();
    element(u"p2")->setAttribute(u"class", u"x");
    webView->layoutIfNeeded();
    element(u"p3")->remove();
    webView->layoutIfNeeded();
    webView->layoutIfNeeded();
    EXPECT_EQ(layout.fullLayoutCount(), fullLayouts);
    WebLayout full;
    full.layoutIfNeeded(*document, width, 1);
    expectSameLayout(snapshot(webView->mainFrame()->layout(), *document), snapshot(full, *document));
}

TEST_F(WebLayoutTest, StyleElementTextEditsRestyleTheLayout)
{
    load(std::u16string(plainBody) + u"<style id=s>p { margin: 0 }</style><p id=a>a</p><p id=b>b</p>");
    EXPECT_EQ(box(u"b").minY(), 20);
    downcast<DOMCharacterData>(textOf(u"s")).appendData(u" #a { display: none }");
    EXPECT_EQ(box(u"b").minY(), 0) << "a STYLE element's text is a style change";
    EXPECT_TRUE(box(u"a").isEmpty());
    // Many edits between two layouts: more than the document remembers.
    downcast<DOMCharacterData>(textOf(u"s")).appendData(u" #a { display: block }");
    auto& b = downcast<DOMCharacterData>(textOf(u"b"));
    for (int i = 0; i < 100; ++i) {
        b.appendData(u"bb");
        b.deleteData(1, 1);
    }
    EXPECT_EQ(box(u"a"), Rect(0, 0, 800, 20));
    EXPECT_EQ(webView->lineBoxRects(b)[0], Rect(0, 20, 8 * 101, 20));
}

class RedirectingResourceDelegate : public WebResourceLoadDelegate {
public:
    std::optional<URLRequest> willSendRequest(WebView&, const WebResourceIdentifier&, const URLRequest& request,
                                              const URLResponse*, WebDataSource&) override
    {
        if (request.url().lastPathComponent() != u"moved.css")
            return request;
        return URLRequest(*URL::create(u"real.css", &request.url()));
    }
};

TEST_F(WebLayoutTest, LinkedSheetsComeAsTheViewLoadedThem)
{
    auto folder = *createTemporaryDirectory("linkedsheets");
    EXPECT_TRUE(writeFileAtomically(folder + "/page.html", "<link rel=stylesheet href=a.css><link rel=stylesheet href=secret.css>"
                                               "<link rel=stylesheet href=moved.css><p id=p>x</p>"));
    EXPECT_TRUE(writeFileAtomically(folder + "/a.css", "p { margin-left: 3px }"));
    EXPECT_TRUE(writeFileAtomically(folder + "/secret.css", "p { padding-left: 5px }"));
    EXPECT_TRUE(writeFileAtomically(folder + "/moved.css", "p { padding-top: 9px }"));
    EXPECT_TRUE(writeFileAtomically(folder + "/real.css", "p { padding-top: 7px }"));
    RedirectingResourceDelegate delegate;
    webView->setResourceLoadDelegate(&delegate);
    webView->setFileAccessPolicy([](const std::string& path) { return path.find("secret") == std::string::npos; });
    webView->setMainFrameURL(URL::fileURLWithPath(folder + "/page.html").absoluteString());
    ASSERT_TRUE(RunLoop::main().runUntil([&] { return !webView->isLoading(); }, 30));

    auto style = getComputedStyle(*element(u"p"));
    EXPECT_EQ(style->getPropertyValue(u"margin-left"), u"3px");
    EXPECT_EQ(style->getPropertyValue(u"padding-left"), u"0px") << "a sheet the view may not read has no rules";
    EXPECT_EQ(style->getPropertyValue(u"padding-top"), u"7px") << "the sheet the delegate asked for instead";
    webView->setResourceLoadDelegate(nullptr);
    EXPECT_TRUE(removeItem(folder));
}

} // namespace

namespace {

// Content nested deeper than the display depth flows as text of the element
// at that depth: laid out, hit tested and painted, nothing hidden shown, and
// no walk recursing once per level of a page as deep as browsers build.
TEST_F(WebLayoutTest, ContentBeyondTheDisplayDepthIsShownAsItsAncestorsText)
{
    for (unsigned depth : { 600u, 100'000u }) {
        SCOPED_TRACE(depth);
        std::u16string page = std::u16string(plainBody) + u"<table><tr><td>";
        for (unsigned level = 0; level < depth; ++level)
            page += u"<div>";
        page += u"<b id=deep>deep</b> <i style='display:none'>hidden</i> <span><span>tail</span></span>";
        load(page);
        auto& layout = webView->mainFrame()->layout();
        auto& deep = textOf(u"deep");
        Rect text = layout.boundingBox(deep);
        ASSERT_GT(text.width(), 0);
        EXPECT_EQ(layout.boundingBox(*element(u"deep")), Rect()) << "an element past the display depth has no box of its own";
        EXPECT_EQ(layout.nodeAtPoint(*webView->mainFrameDocument(), { text.minX() + 1, text.midY() }), &deep);
        std::vector<std::u16string> shown;
        layout.enumerateNodesInRect(*webView->mainFrameDocument(), Rect(0, 0, 800, 600), [&](const DOMNode& node, const Rect&) {
            if (node.isTextNode())
                shown.push_back(downcast<DOMCharacterData>(node).data());
        });
        EXPECT_EQ(shown, (std::vector<std::u16string> { u"deep", u"tail" }));
    }
}

} // namespace
