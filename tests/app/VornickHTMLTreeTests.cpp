#include "app/VornickHTMLTree.h"

#include "platform/dom/DOMDocument.h"
#include "platform/dom/DOMElement.h"
#include "platform/foundation/FileUtilities.h"
#include "platform/foundation/RunLoop.h"
#include "platform/net/URLError.h"
#include "platform/web/WebView.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

using namespace brevanton;

namespace {

class VornickHTMLTreeTest : public ::testing::Test {
protected:
    void SetUp() override { folder = *createTemporaryDirectory("htmltree"); }
    void TearDown() override { EXPECT_TRUE(removeItem(folder)); }
    URL write(const std::string& name, std::string_view contents)
    {
        EXPECT_TRUE(writeFileAtomically(folder + "/" + name, contents));
        return URL::fileURLWithPath(folder + "/" + name);
    }
    std::string read(const std::string& name) { return readFile(folder + "/" + name).value_or("(missing)"); }

    std::string folder;
};

TEST_F(VornickHTMLTreeTest, FailingFrameMattersOnlyWhenSubframeErrorsCount)
{
    auto page = write("page.html", "<p id=p>text</p><iframe src='missing.html'></iframe>");
    Error error;
    auto tree = VornickHTMLTree::createWithContentsOfURL(page, &error, true);
    ASSERT_TRUE(tree) << error;
    EXPECT_TRUE(tree->document()->getElementById(u"p"));
    EXPECT_EQ(tree->url(), page);

    EXPECT_FALSE(VornickHTMLTree::createWithContentsOfURL(page, &error, false));
    EXPECT_EQ(error.code(), URLErrorFileDoesNotExist);
    EXPECT_FALSE(VornickHTMLTree::createWithContentsOfURL(URL::fileURLWithPath(folder + "/none.html"), &error, true));
}

TEST_F(VornickHTMLTreeTest, WaitEndsWhenTheMainFrameHasFinished)
{
    write("inner.html", "<p>inner</p>");
    auto page = write("page.html", "<iframe src='inner.html'></iframe><img src='a.png'><p id=p>x</p>");
    write("a.png", "not really an image");
    Error error;
    auto tree = VornickHTMLTree::createWithContentsOfURL(page, &error, false);
    ASSERT_TRUE(tree) << error;
    // The child frame finishes first; the tree must not stop waiting then.
    EXPECT_FALSE(tree->webView()->isLoading());
    EXPECT_FALSE(tree->webView()->mainFrame()->dataSource()->isLoading());
    EXPECT_TRUE(tree->loadAttemptSucceeded());
}

TEST_F(VornickHTMLTreeTest, StalledLoadEndsWithATimeout)
{
    // A server that takes the connection and never answers.
    int listener = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address {};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ASSERT_EQ(bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    ASSERT_EQ(listen(listener, 4), 0);
    socklen_t length = sizeof address;
    getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length);
    std::string imageURL = "http://127.0.0.1:" + std::to_string(ntohs(address.sin_port)) + "/stalled.png";

    double savedTimeout = VornickHTMLTree::loadTimeout();
    VornickHTMLTree::setLoadTimeout(0.3);
    Error error;
    auto tree = VornickHTMLTree::createWithHTMLString(u"<p>x</p><img src='" + std::u16string(imageURL.begin(), imageURL.end()) + u"'>",
                                                      std::nullopt, &error);
    VornickHTMLTree::setLoadTimeout(savedTimeout);
    close(listener);
    EXPECT_FALSE(tree);
    EXPECT_TRUE(error.is(URLErrorDomain, URLErrorTimedOut)) << error;
}

TEST_F(VornickHTMLTreeTest, AttachmentPointAndAsynchronousLoads)
{
    Error error;
    auto tree = VornickHTMLTree::createWithHTMLString(u"<p>no point</p>", std::nullopt, &error);
    ASSERT_TRUE(tree);
    EXPECT_EQ(tree->attachmentPointElement(), tree->bodyElement());
    EXPECT_EQ(*tree->htmlStringForAttachmentPointContents(), u"<p>no point</p>");

    int calls = 0;
    std::optional<Error> blockError;
    tree->loadURL(write("t.html", "<div id='brevanton-attach-point'></div><p>after</p>"), false,
                  [&](const std::shared_ptr<WebView>& webView, const std::optional<Error>& error) {
                      ++calls;
                      blockError = error;
                      EXPECT_EQ(webView, tree->webView());
                  });
    EXPECT_FALSE(tree->loadAttemptEnded());
    ASSERT_TRUE(RunLoop::main().runUntil([&] { return tree->loadAttemptEnded(); }, 30));
    RunLoop::main().runFor(0.01);
    EXPECT_EQ(calls, 1);
    EXPECT_FALSE(blockError);
    EXPECT_EQ(tree->attachmentPointElement()->id(), u"brevanton-attach-point");
    EXPECT_FALSE(tree->htmlStringForAttachmentPointContents()) << "an empty attachment point has no contents";

    // A block may drop the last reference to the tree; the web view it was
    // handed stays usable for the rest of the call.
    std::u16string seenText;
    auto page = write("u.html", "<p>kept</p>");
    tree->loadURL(page, false, [&](const std::shared_ptr<WebView>& webView, const std::optional<Error>&) {
        tree.reset();
        ASSERT_TRUE(webView);
        seenText = webView->mainFrameDocument()->body()->textContent();
    });
    ASSERT_TRUE(RunLoop::main().runUntil([&] { return !tree; }, 30));
    EXPECT_EQ(seenText, u"kept");
}

TEST_F(VornickHTMLTreeTest, SnippetSetBesideTheFirstLocalStyleSheetIsFoundOnce)
{
    write("site.css", "p { color: red }");
    write("site.brevantonsnippets", "{}");
    write("other.css", "");
    auto page = write("page.html", "<link rel=stylesheet href='https://example.invalid/remote.css'>"
                                   "<link rel=stylesheet href='site.css'><p>x</p>");
    Error error;
    auto tree = VornickHTMLTree::createWithContentsOfURL(page, &error, true);
    ASSERT_TRUE(tree) << error;
    auto found = tree->fragmentSetURL();
    ASSERT_TRUE(found);
    EXPECT_EQ(found->lastPathComponent(), u"site.brevantonsnippets");

    auto page2 = write("page2.html", "<link rel=stylesheet href='other.css'><p>x</p>");
    auto tree2 = VornickHTMLTree::createWithContentsOfURL(page2, &error, true);
    ASSERT_TRUE(tree2);
    EXPECT_FALSE(tree2->fragmentSetURL());
    write("other.brevantonsnippets", "{}");
    EXPECT_FALSE(tree2->fragmentSetURL()) << "the answer is remembered";

    // Loading another page into the same tree forgets the old page's answer.
    EXPECT_TRUE(removeItem(folder + "/other.brevantonsnippets"));
    tree->loadURL(page2, true, nullptr);
    ASSERT_TRUE(RunLoop::main().runUntil([&] { return tree->loadAttemptEnded(); }, 30));
    EXPECT_FALSE(tree->fragmentSetURL()) << "page2 has no snippet set beside its style sheet";
    tree->loadURL(page, true, nullptr);
    EXPECT_FALSE(tree->fragmentSetURL()) << "nothing loaded yet";
    ASSERT_TRUE(RunLoop::main().runUntil([&] { return tree->loadAttemptEnded(); }, 30));
    ASSERT_TRUE(tree->fragmentSetURL()) << "an answer asked for during the load is not remembered";
    EXPECT_EQ(tree->fragmentSetURL()->lastPathComponent(), u"site.brevantonsnippets");
}

TEST_F(VornickHTMLTreeTest, WritingKeepsTheDoctypeTopLevelNodesAndCharacters)
{
    auto page = write("page.html",
                      "<!DOCTYPE html PUBLIC \"-//W3C//DTD XHTML 1.0 Transitional//EN\" "
                      "\"http://www.w3.org/TR/xhtml1/DTD/xhtml1-transitional.dtd\">\n<!-- template of the site -->\n"
                      "<html><head><meta charset=\"windows-1252\"><title>T</title></head><body><p>caf\xe9 \xe2\x80\x94</p></body></html>");
    Error error;
    auto tree = VornickHTMLTree::createWithContentsOfURL(page, &error, false);
    ASSERT_TRUE(tree) << error;
    auto out = URL::fileURLWithPath(folder + "/out.html");
    ASSERT_TRUE(tree->writeToURL(out, &error)) << error;
    std::string written = read("out.html");
    EXPECT_EQ(written.rfind("<!DOCTYPE html PUBLIC \"-//W3C//DTD XHTML 1.0 Transitional//EN\" "
                            "\"http://www.w3.org/TR/xhtml1/DTD/xhtml1-transitional.dtd\">\n<!-- template of the site -->\n<html>", 0), 0u)
        << written;
    // windows-1252: é is one byte.
    EXPECT_NE(written.find("caf\xe9"), std::string::npos) << written;

    // A UTF-16 page keeps the byte-order mark it cannot be read without; a UTF-8 one the mark it had.
    tree->document()->setCharacterSet(u"UTF-16LE");
    ASSERT_TRUE(tree->writeToURL(out, &error)) << error;
    EXPECT_TRUE(read("out.html").starts_with(std::string_view("\xFF\xFE<\0!\0", 6)));
    tree->document()->setCharacterSet(u"UTF-8");
    ASSERT_TRUE(tree->writeToURL(out, &error)) << error;
    EXPECT_TRUE(read("out.html").starts_with("<!DOCTYPE"));
    tree->document()->setHasByteOrderMark(true);
    ASSERT_TRUE(tree->writeToURL(out, &error)) << error;
    EXPECT_TRUE(read("out.html").starts_with("\xEF\xBB\xBF<!DOCTYPE"));

    // An encoding nobody knows is written as UTF-8 instead of failing.
    tree->document()->setCharacterSet(u"x-unknown-charset");
    ASSERT_TRUE(tree->writeToURL(out, &error)) << error;
    EXPECT_NE(read("out.html").find("caf\xc3\xa9"), std::string::npos);

    // Without a document element there is nothing to write.
    tree->document()->removeChild(tree->document()->documentElement());
    EXPECT_FALSE(tree->writeToURL(out, &error));
    EXPECT_TRUE(error.is("com.Orbendalworks.Brevanton.ErrorDomain", 2));
}

} // namespace
