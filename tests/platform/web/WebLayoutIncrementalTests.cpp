// Layout and styles brought up to date after mutations must equal those of a
// layout made from scratch for the same document.
#include "platform/css/CSSStyleResolver.h"
#include "platform/dom/DOMCasts.h"
#include "platform/dom/DOMCharacterData.h"
#include "platform/dom/DOMCollections.h"
#include "platform/dom/DOMDocument.h"
#include "platform/dom/DOMElement.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/URL.h"
#include "platform/web/WebFrame.h"
#include "platform/web/WebLayout.h"
#include "platform/web/WebView.h"

#include <gtest/gtest.h>

#include <random>
#include <sstream>

using namespace brevanton;

namespace {

// Selectors of every kind the cascade knows, so that changes reach them.
constexpr std::u16string_view testRules = u"p:first-child { margin-top: 7px } [title] { padding-left: 3px }"
                                          u" div > p { font-size: 20px } .x em { display: block } #y { display: none }"
                                          u" li:first-child > span { font-size: 30px } [data-w=\"wide\"] { width: 50% }"
                                          u" div { border: 3px solid; border-left-width: 9px; padding: 2px 5px }"
                                          u" [title] { text-align: center } [data-w=\"wide\"] { margin: 0 auto } .x { text-align: right }";

struct Snapshot {
    std::vector<std::string> entries;
};

std::string describe(const Rect& rect)
{
    std::ostringstream out;
    out << rect.minX() << ',' << rect.minY() << ' ' << rect.width() << 'x' << rect.height();
    return out.str();
}

std::string narrow(const std::u16string& text)
{
    std::string out;
    for (char16_t c : text)
        out += c < 128 ? static_cast<char>(c) : '?';
    return out;
}

Snapshot snapshot(WebFrame& frame)
{
    auto& layout = frame.layout();
    auto& document = *frame.domDocument();
    Snapshot result;
    auto size = layout.documentSize();
    result.entries.push_back("document " + std::to_string(size.width) + "x" + std::to_string(size.height));
    size_t index = 0;
    for (DOMNode* node = document.first(); node; node = node->traverseNext(), ++index) {
        std::string entry = std::to_string(index) + " " + narrow(node->nodeName()) + " " + describe(layout.boundingBox(*node));
        for (auto& line : layout.lineBoxRects(*node))
            entry += " line " + describe(line);
        if (node->isElementNode()) {
            auto values = CSSStyleResolver::computedValuesFor(downcast<DOMElement>(*node));
            for (unsigned id = 0; id < CSSPropertyCount; ++id) {
                if (auto* value = values->values[id])
                    entry += " " + std::to_string(id) + "=" + narrow(value->cssText());
            }
        }
        result.entries.push_back(std::move(entry));
    }
    return result;
}

class WebLayoutIncrementalTest : public ::testing::Test {
protected:
    void SetUp() override { webView = WebView::create(Rect(0, 0, 700, 500)); }

    void loadPage(const std::string& name)
    {
        auto path = std::string(BREVANTON_TEST_DATA_DIR) + "/html-pages/" + name;
        webView->setMainFrameURL(URL::fileURLWithPath(path).absoluteString());
        ASSERT_TRUE(RunLoop::main().runUntil([&] { return !webView->isLoading(); }, 30));
        auto& document = *webView->mainFrameDocument();
        auto style = document.createElement(u"style");
        style->appendChild(document.createTextNode(std::u16string(testRules)));
        std::shared_ptr<DOMNode> parent = document.body() ? document.body() : document.documentElement();
        parent->insertBefore(style, parent->firstChild());
        frame().layout();
    }

    WebFrame& frame() { return *webView->mainFrame(); }

    // The layout as it stands, then one made from scratch; they must agree.
    void expectSameAsFromScratch(const std::string& step)
    {
        Snapshot incremental = snapshot(frame());
        CSSStyleResolver::forDocument(*frame().domDocument()).invalidate();
        frame().layout().invalidate();
        Snapshot full = snapshot(frame());
        ASSERT_EQ(incremental.entries.size(), full.entries.size()) << step;
        for (size_t i = 0; i < full.entries.size(); ++i)
            ASSERT_EQ(incremental.entries[i], full.entries[i]) << step;
    }

    std::vector<DOMNode*> nodesInBody()
    {
        std::vector<DOMNode*> nodes;
        auto body = frame().domDocument()->body();
        if (!body)
            return nodes;
        for (DOMNode* node = body->first(); node; node = node->traverseNext(body.get()))
            nodes.push_back(node);
        return nodes;
    }

    // One random attribute, insertion, removal or text change; a description of it.
    std::string mutate(std::mt19937& random)
    {
        auto& document = *frame().domDocument();
        auto nodes = nodesInBody();
        auto pick = [&](auto&& accept) -> DOMNode* {
            std::vector<DOMNode*> candidates;
            for (auto* node : nodes) {
                if (accept(*node))
                    candidates.push_back(node);
            }
            if (candidates.empty())
                return nullptr;
            return candidates[std::uniform_int_distribution<size_t>(0, candidates.size() - 1)(random)];
        };
        auto isElement = [](const DOMNode& node) { return node.isElementNode(); };
        switch (std::uniform_int_distribution<int>(0, 3)(random)) {
        case 0: {
            static constexpr std::pair<std::u16string_view, std::u16string_view> attributes[] = {
                { u"title", u"t" }, { u"class", u"x" }, { u"id", u"y" }, { u"style", u"margin-top:5px;font-size:10px" },
                { u"width", u"40" }, { u"height", u"12" }, { u"data-w", u"wide" }, { u"lang", u"en" }, { u"colspan", u"2" }
            };
            auto* element = downcast<DOMElement>(pick(isElement));
            if (!element)
                return "nothing";
            auto& [name, value] = attributes[std::uniform_int_distribution<size_t>(0, std::size(attributes) - 1)(random)];
            if (element->hasAttribute(name)) {
                element->removeAttribute(name);
                return "remove attribute " + narrow(std::u16string(name));
            }
            element->setAttribute(name, value);
            return "set attribute " + narrow(std::u16string(name));
        }
        case 1: {
            DOMNode* parent = pick([](const DOMNode& node) {
                return node.isElementNode() && !downcast<DOMElement>(node).hasTagName(u"style");
            });
            if (!parent)
                parent = document.body().get();
            static constexpr std::u16string_view tags[] = { u"p", u"div", u"span", u"em", u"img", u"br", u"li", u"td", u"" };
            auto tag = tags[std::uniform_int_distribution<size_t>(0, std::size(tags) - 1)(random)];
            std::shared_ptr<DOMNode> node;
            if (tag.empty())
                node = document.createTextNode(u"inserted words of text");
            else {
                auto element = document.createElement(tag);
                if (tag != u"img" && tag != u"br")
                    element->appendChild(document.createTextNode(u"new content here"));
                node = element;
            }
            unsigned count = parent->childCount();
            unsigned index = std::uniform_int_distribution<unsigned>(0, count)(random);
            parent->insertBefore(node, index < count ? parent->childAt(index) : nullptr);
            return "insert " + narrow(std::u16string(tag));
        }
        case 2: {
            auto* node = pick([](const DOMNode& node) {
                return !(node.isElementNode() && downcast<DOMElement>(node).hasTagName(u"style"));
            });
            if (!node)
                return "nothing";
            // The parent holds the node's last reference: its name is read first.
            auto description = "remove " + narrow(node->nodeName());
            node->parent()->removeChild(node);
            return description;
        }
        default: {
            auto* node = pick([](const DOMNode& node) {
                return node.isTextNode() && node.parent() && !downcast<DOMElement>(node.parent())->hasTagName(u"style");
            });
            if (!node)
                return "nothing";
            downcast<DOMCharacterData>(*node).appendData(u" more text");
            return "text";
        }
        }
    }

    std::shared_ptr<WebView> webView;
};

TEST_F(WebLayoutIncrementalTest, RandomMutationsOfRealPagesLayOutAsFromScratch)
{
    for (std::string page :
         { "blog-post.html", "legacy.html", "malformed.html", "xhtml-served-as-html.html", "../editing/tables.html" }) {
        loadPage(page);
        std::mt19937 random(20261207);
        for (int step = 0; step < 120; ++step) {
            std::string what = mutate(random);
            expectSameAsFromScratch(page + " step " + std::to_string(step) + ": " + what);
            if (HasFatalFailure())
                return;
        }
    }
}

TEST_F(WebLayoutIncrementalTest, SeveralMutationsBetweenLayoutsAndFewFullLayouts)
{
    loadPage("blog-post.html");
    std::mt19937 random(7);
    int startedOver = 0;
    for (int round = 0; round < 30; ++round) {
        std::string what;
        for (int i = 0; i < 4; ++i)
            what += mutate(random) + "; ";
        uint64_t fullLayouts = frame().layout().fullLayoutCount();
        frame().layout();
        startedOver += frame().layout().fullLayoutCount() != fullLayouts;
        expectSameAsFromScratch("round " + std::to_string(round) + ": " + what);
        if (HasFatalFailure())
            return;
    }
    // Batches of changes lay out from scratch for now.
    EXPECT_LE(startedOver, 30);
}

TEST_F(WebLayoutIncrementalTest, DetachedNodesDoNotTouchTheLiveLayout)
{
    loadPage("legacy.html");
    auto& document = *frame().domDocument();
    uint64_t version = document.connectedStructureVersion();
    uint64_t fullLayouts = frame().layout().fullLayoutCount();
    uint64_t layouts = frame().layout().layoutCount();
    auto fragment = document.createDocumentFragment();
    auto element = document.createElement(u"div");
    fragment->appendChild(element);
    element->setAttribute(u"class", u"x");
    element->appendChild(document.createTextNode(u"detached"));
    fragment->removeChild(element);
    EXPECT_EQ(document.connectedStructureVersion(), version);
    frame().layout();
    EXPECT_EQ(frame().layout().fullLayoutCount(), fullLayouts);
    EXPECT_EQ(frame().layout().layoutCount(), layouts);

    // Once in the document, the same element counts.
    document.body()->appendChild(element);
    EXPECT_NE(document.connectedStructureVersion(), version);
    expectSameAsFromScratch("appended");
}

TEST_F(WebLayoutIncrementalTest, AttributesNoSelectorSeesChangeNothing)
{
    loadPage("blog-post.html");
    auto paragraphs = frame().domDocument()->getElementsByTagName(u"p");
    ASSERT_GT(paragraphs->length(), 0u);
    auto paragraph = downcast<DOMElement>(paragraphs->item(0));
    ASSERT_TRUE(paragraph);
    frame().layout();
    uint64_t layouts = frame().layout().fullLayoutCount();
    Snapshot before = snapshot(frame());
    paragraph->setAttribute(u"lang", u"fr");
    Snapshot after = snapshot(frame());
    EXPECT_EQ(frame().layout().fullLayoutCount(), layouts);
    EXPECT_EQ(before.entries, after.entries);
    // A style sheet's own change starts over.
    downcast<DOMElement>(*frame().domDocument()->body()->firstChild()).setAttribute(u"media", u"print");
    frame().layout();
    EXPECT_GT(frame().layout().fullLayoutCount(), layouts);
    expectSameAsFromScratch("style sheet media");
}

} // namespace
