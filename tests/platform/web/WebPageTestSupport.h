// A web view in a test: load a page, find its elements and boxes, and read
// what its document view records when it is displayed.
#pragma once

#include "platform/dom/DOMDocument.h"
#include "platform/dom/DOMElement.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/URL.h"
#include "platform/views/GraphicsContext.h"
#include "platform/web/WebFrame.h"
#include "platform/web/WebFrameView.h"
#include "platform/web/WebLayout.h"
#include "platform/web/WebView.h"

#include <gtest/gtest.h>

#include <string>

namespace brevanton {

class WebPageTest : public ::testing::Test {
protected:
    explicit WebPageTest(Rect frame = Rect(0, 0, 800, 600))
        : m_frame(frame)
    {
    }
    void SetUp() override { webView = WebView::create(m_frame); }
    void TearDown() override
    {
        if (!webView->preferences().userStyleSheetEnabled)
            return;
        webView->preferences().userStyleSheetEnabled = false;
        (void)webView->applyUserStyleSheet();
    }

    // The editing view's own style sheet as the view's user sheet.
    void useEditingStyleSheet()
    {
        webView->preferences().userStyleSheetEnabled = true;
        webView->preferences().userStyleSheetLocation
            = URL::fileURLWithPath(std::string(BREVANTON_RESOURCES_DIR) + "/VornickEditingViewUserStyleSheet.css");
        ASSERT_TRUE(webView->applyUserStyleSheet());
    }
    void load(const std::u16string& html)
    {
        webView->mainFrame()->loadHTMLString(html, std::nullopt);
        ASSERT_TRUE(RunLoop::main().runUntil([&] { return !webView->isLoading(); }, 30));
        webView->layoutIfNeeded();
    }
    // A body without margins: with the default metrics 16px text is 8px per
    // character and 20px per line.
    void loadBody(const std::u16string& body) { load(u"<body style='margin:0'>" + body); }

    std::shared_ptr<DOMElement> element(const char16_t* id) { return webView->mainFrameDocument()->getElementById(id); }
    DOMNode& textOf(const char16_t* id) { return *element(id)->firstChild(); }
    Rect box(const char16_t* id) { return webView->boundingBox(*element(id)); }
    Rect line(const char16_t* id, size_t index = 0) { return webView->lineBoxRects(textOf(id)).at(index); }
    WebLayout& layout() { return webView->mainFrame()->layout(); }

    // What the document view records when the whole web view is displayed.
    std::vector<DrawCommand> paint()
    {
        GraphicsContext context;
        webView->display(context);
        return context.commandsOfView(webView->mainFrame()->frameView()->documentView().get());
    }
    static std::vector<DrawCommand> ofKind(const std::vector<DrawCommand>& commands, DrawCommand::Kind kind)
    {
        std::vector<DrawCommand> result;
        for (auto& command : commands) {
            if (command.kind == kind)
                result.push_back(command);
        }
        return result;
    }

    std::shared_ptr<WebView> webView;

private:
    Rect m_frame;
};

} // namespace brevanton
