#include "platform/dom/DOMDocument.h"
#include "platform/dom/DOMElement.h"
#include "platform/foundation/FileUtilities.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/Text.h"
#include "platform/net/URLError.h"
#include "platform/web/WebDocumentParsedAhead.h"
#include "platform/web/WebView.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sys/stat.h>
#include <unistd.h>

using namespace brevanton;

namespace {

std::string dataPath(const std::string& name)
{
    return std::string(BREVANTON_TEST_DATA_DIR) + "/web/" + name;
}

std::string frameLabel(WebFrame& frame)
{
    return frame.parentFrame() ? toUTF8(frame.name()) : std::string("main");
}

// Records every load callback as one line of text.
class LoadRecorder : public WebFrameLoadDelegate, public WebResourceLoadDelegate {
public:
    std::vector<std::string> events;
    bool mainFrameEnded { false };
    std::optional<Error> mainFrameError;
    std::function<std::optional<URLRequest>(const URLRequest&)> redirect;

    void didStartProvisionalLoadForFrame(WebView&, WebFrame& frame) override { events.push_back("start " + frameLabel(frame)); }
    void didFailProvisionalLoadWithError(WebView&, const Error& error, WebFrame& frame) override
    {
        events.push_back("provisional-failure " + frameLabel(frame) + " " + error.domain() + " " + std::to_string(error.code()));
        noteEnd(frame, error);
    }
    void didCommitLoadForFrame(WebView&, WebFrame& frame) override { events.push_back("commit " + frameLabel(frame)); }
    void didReceiveTitle(WebView&, const std::u16string& title, WebFrame& frame) override
    {
        events.push_back("title " + frameLabel(frame) + " " + toUTF8(title));
    }
    void didFinishLoadForFrame(WebView&, WebFrame& frame) override
    {
        events.push_back("finish " + frameLabel(frame));
        noteEnd(frame, std::nullopt);
    }
    void didFailLoadWithError(WebView&, const Error& error, WebFrame& frame) override
    {
        events.push_back("failure " + frameLabel(frame) + " " + std::to_string(error.code()));
        noteEnd(frame, error);
    }

    WebResourceIdentifier identifierForInitialRequest(WebView&, const URLRequest& request, WebDataSource&) override
    {
        auto name = std::make_shared<std::string>(toUTF8(request.url().lastPathComponent()));
        events.push_back("identifier " + *name);
        return name;
    }
    std::optional<URLRequest> willSendRequest(WebView&, const WebResourceIdentifier& identifier, const URLRequest& request,
                                              const URLResponse*, WebDataSource&) override
    {
        events.push_back("will-send " + name(identifier));
        return redirect ? redirect(request) : request;
    }
    void didReceiveResponse(WebView&, const WebResourceIdentifier& identifier, const URLResponse&, WebDataSource&) override
    {
        events.push_back("response " + name(identifier));
    }
    void didFinishLoadingFromDataSource(WebView&, const WebResourceIdentifier& identifier, WebDataSource&) override
    {
        events.push_back("loaded " + name(identifier));
    }
    void didFailLoadingWithError(WebView&, const WebResourceIdentifier& identifier, const Error& error, WebDataSource&) override
    {
        events.push_back("resource-failure " + name(identifier) + " " + error.domain() + " " + std::to_string(error.code()));
    }

private:
    static std::string name(const WebResourceIdentifier& identifier) { return *std::static_pointer_cast<std::string>(identifier); }
    void noteEnd(WebFrame& frame, std::optional<Error> error)
    {
        if (frame.parentFrame())
            return;
        mainFrameEnded = true;
        mainFrameError = std::move(error);
    }
};

class WebViewLoadingTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        webView = WebView::create(Rect(0, 0, 800, 600));
        webView->setFrameLoadDelegate(&recorder);
        webView->setResourceLoadDelegate(&recorder);
    }
    void TearDown() override
    {
        if (!webView)
            return;
        webView->setFrameLoadDelegate(nullptr);
        webView->setResourceLoadDelegate(nullptr);
    }
    bool waitForMainFrame()
    {
        return RunLoop::main().runUntil([&] { return recorder.mainFrameEnded; }, 30);
    }
    std::shared_ptr<DOMElement> element(const char16_t* id) { return webView->mainFrameDocument()->getElementById(id); }

    LoadRecorder recorder;
    std::shared_ptr<WebView> webView;
};

TEST_F(WebViewLoadingTest, PageWithStyleSheetImportImageAndFrameCallsBackInOrder)
{
    webView->setMainFrameURL(URL::fileURLWithPath(dataPath("page.html")).absoluteString());
    EXPECT_TRUE(recorder.events.empty()) << "loading is asynchronous";
    EXPECT_TRUE(webView->isLoading());
    ASSERT_TRUE(waitForMainFrame());
    EXPECT_FALSE(recorder.mainFrameError);
    EXPECT_FALSE(webView->isLoading());

    std::vector<std::string> expected = {
        "start main", "identifier page.html", "will-send page.html", "response page.html", "commit main",
        "title main Web Page", "loaded page.html",
        // Subresources in document order, then the frame.
        "identifier site.css", "will-send site.css", "identifier picture.png", "will-send picture.png",
        "response site.css", "identifier base.css", "will-send base.css", "loaded site.css",
        "response picture.png", "loaded picture.png",
        "start innerFrame", "identifier frame.html", "will-send frame.html",
        "response base.css", "loaded base.css",
        "response frame.html", "commit innerFrame", "title innerFrame Inner", "loaded frame.html",
        "finish innerFrame", "finish main",
    };
    EXPECT_EQ(recorder.events, expected);
}

TEST_F(WebViewLoadingTest, FrameTreeAndDataSources)
{
    auto pageURL = URL::fileURLWithPath(dataPath("page.html"));
    webView->mainFrame()->loadRequest(URLRequest(pageURL));
    ASSERT_TRUE(waitForMainFrame());

    auto main = webView->mainFrame();
    EXPECT_EQ(main->parentFrame(), nullptr);
    ASSERT_EQ(main->childFrames().size(), 1u);
    auto inner = main->childFrames()[0];
    EXPECT_EQ(inner->name(), u"innerFrame");
    EXPECT_EQ(inner->parentFrame(), main);
    EXPECT_EQ(inner->frameElement(), element(u"inner"));
    EXPECT_EQ(main->findFrameNamed(u"innerFrame"), inner);
    ASSERT_TRUE(inner->domDocument());
    EXPECT_TRUE(inner->domDocument()->getElementById(u"inside"));
    EXPECT_EQ(webView->frameForNode(*inner->domDocument()->getElementById(u"inside")), inner);

    // Child frame views live in the parent's document view.
    EXPECT_EQ(inner->frameView()->superview(), main->frameView()->documentView());
    EXPECT_EQ(main->frameView()->superview().get(), webView.get());
    EXPECT_EQ(main->frameView()->clipView()->documentView(), main->frameView()->documentView());

    auto source = main->dataSource();
    ASSERT_TRUE(source);
    EXPECT_FALSE(source->isLoading());
    EXPECT_EQ(source->initialRequest().url(), pageURL);
    EXPECT_EQ(source->request().url(), pageURL);
    EXPECT_EQ(source->MIMEType(), u"text/html");
    EXPECT_EQ(source->textEncodingName(), u"UTF-8");
    ASSERT_TRUE(source->documentSource());
    EXPECT_NE(source->documentSource()->find(u"<title>Web Page</title>"), std::u16string::npos);
    EXPECT_EQ(source->subresources().size(), 3u);
    auto css = source->subresourceForURL(URL::fileURLWithPath(dataPath("site.css")));
    ASSERT_TRUE(css);
    EXPECT_EQ(css->MIMEType(), u"text/css");
    auto picture = source->subresourceForURL(URL::fileURLWithPath(dataPath("picture.png")));
    ASSERT_TRUE(picture);
    EXPECT_EQ(picture->MIMEType(), u"image/png");
    EXPECT_EQ(source->mainResource()->url(), pageURL);
    EXPECT_EQ(inner->dataSource()->mainResource()->frameName(), u"innerFrame");
}

TEST_F(WebViewLoadingTest, ResourceDelegateChoosesTheRequestLoaded)
{
    auto replacement = URL::fileURLWithPath(dataPath("frame.html"));
    recorder.redirect = [&](const URLRequest& request) -> std::optional<URLRequest> {
        if (request.url().lastPathComponent() == u"page.html")
            return URLRequest(replacement);
        return request;
    };
    auto pageURL = URL::fileURLWithPath(dataPath("page.html"));
    webView->mainFrame()->loadRequest(URLRequest(pageURL));
    ASSERT_TRUE(waitForMainFrame());
    auto source = webView->mainFrame()->dataSource();
    EXPECT_EQ(source->initialRequest().url(), pageURL);
    EXPECT_EQ(source->request().url(), replacement);
    EXPECT_TRUE(webView->mainFrameDocument()->getElementById(u"inside"));
    EXPECT_EQ(webView->mainFrameDocument()->URL(), replacement.absoluteString());
}

TEST_F(WebViewLoadingTest, MissingAndDeniedFilesFail)
{
    auto folder = *createTemporaryDirectory("webview");
    // A missing main file is a provisional failure.
    webView->mainFrame()->loadRequest(URLRequest(URL::fileURLWithPath(folder + "/missing.html")));
    ASSERT_TRUE(waitForMainFrame());
    ASSERT_TRUE(recorder.mainFrameError);
    EXPECT_EQ(recorder.mainFrameError->code(), URLErrorFileDoesNotExist);
    EXPECT_EQ(recorder.events.back(), "provisional-failure main URLErrorDomain -1100");
    EXPECT_EQ(webView->mainFrame()->dataSource(), nullptr);

    // A read the policy refuses is "no file access" (POSIX error 1), for the main resource and for subresources.
    EXPECT_TRUE(writeFileAtomically(folder + "/page.html", "<p>x</p><img src='secret.png'>"));
    EXPECT_TRUE(writeFileAtomically(folder + "/secret.png", "png"));
    webView->setFileAccessPolicy([](const std::string& path) { return path.find("secret") == std::string::npos; });
    recorder.events.clear();
    recorder.mainFrameEnded = false;
    webView->mainFrame()->loadRequest(URLRequest(URL::fileURLWithPath(folder + "/page.html")));
    ASSERT_TRUE(waitForMainFrame());
    EXPECT_FALSE(recorder.mainFrameError) << "a failed subresource does not fail the frame";
    EXPECT_NE(std::find(recorder.events.begin(), recorder.events.end(), "resource-failure secret.png POSIXErrorDomain 1"),
              recorder.events.end());

    webView->setFileAccessPolicy([](const std::string&) { return false; });
    recorder.mainFrameEnded = false;
    webView->mainFrame()->loadRequest(URLRequest(URL::fileURLWithPath(folder + "/page.html")));
    ASSERT_TRUE(waitForMainFrame());
    ASSERT_TRUE(recorder.mainFrameError);
    EXPECT_TRUE(recorder.mainFrameError->is(POSIXErrorDomain, 1));

    // A file the process may not read fails the same way (unless running as root, which reads anything).
    webView->setFileAccessPolicy(nullptr);
    if (geteuid() != 0) {
        chmod((folder + "/page.html").c_str(), 0);
        recorder.mainFrameEnded = false;
        webView->mainFrame()->loadRequest(URLRequest(URL::fileURLWithPath(folder + "/page.html")));
        ASSERT_TRUE(waitForMainFrame());
        ASSERT_TRUE(recorder.mainFrameError);
        EXPECT_TRUE(recorder.mainFrameError->is(POSIXErrorDomain, 1));
    }
    EXPECT_TRUE(removeItem(folder));
}

TEST_F(WebViewLoadingTest, FailingSubframeStillLetsTheMainFrameFinishLast)
{
    auto base = URL::fileURLWithPath(dataPath("page.html"));
    webView->mainFrame()->loadHTMLString(u"<title>T</title><iframe name=a src='nothing-here.html'></iframe>"
                                         u"<iframe name=b src='frame.html'></iframe>", base);
    ASSERT_TRUE(waitForMainFrame());
    EXPECT_FALSE(recorder.mainFrameError);
    EXPECT_EQ(recorder.events.back(), "finish main");
    EXPECT_NE(std::find(recorder.events.begin(), recorder.events.end(), "provisional-failure a URLErrorDomain -1100"),
              recorder.events.end());
    EXPECT_NE(std::find(recorder.events.begin(), recorder.events.end(), "finish b"), recorder.events.end());
    EXPECT_EQ(webView->mainFrameDocument()->URL(), base.absoluteString());
}

TEST_F(WebViewLoadingTest, StringWithoutBaseURLGetsAnUnsavedURL)
{
    webView->mainFrame()->loadHTMLString(u"<p id=p>caf\u00e9</p>", std::nullopt);
    ASSERT_TRUE(waitForMainFrame());
    auto url = URL::create(webView->mainFrameDocument()->URL());
    ASSERT_TRUE(url);
    EXPECT_EQ(url->scheme(), WebStringDocumentScheme);
    EXPECT_EQ(webView->mainFrameDocument()->getElementById(u"p")->textContent(), u"caf\u00e9");
    EXPECT_EQ(*webView->mainFrame()->dataSource()->documentSource(), u"<p id=p>caf\u00e9</p>");
}

TEST_F(WebViewLoadingTest, NewLoadCancelsTheOneInProgress)
{
    webView->mainFrame()->loadHTMLString(u"<p>first</p>", std::nullopt);
    RunLoop::main().runOnce();
    webView->mainFrame()->loadHTMLString(u"<p id=second>second</p>", std::nullopt);
    ASSERT_TRUE(RunLoop::main().runUntil([&] { return !webView->isLoading(); }, 30));
    EXPECT_EQ(recorder.events[0], "start main");
    EXPECT_EQ(recorder.events[3], "resource-failure / URLErrorDomain -999") << "the main resource ends too";
    EXPECT_EQ(recorder.events[4], "provisional-failure main URLErrorDomain -999");
    EXPECT_EQ(recorder.events.back(), "finish main");
    EXPECT_TRUE(webView->mainFrameDocument()->getElementById(u"second"));
}

static size_t countPrefixed(const std::vector<std::string>& events, const std::string& prefix)
{
    return std::count_if(events.begin(), events.end(), [&](auto& event) { return event.starts_with(prefix); });
}

TEST_F(WebViewLoadingTest, CancelledLoadEndsEveryResourceItStarted)
{
    // The resource-load delegate keeps a record per identifier: each must end.
    webView->setMainFrameURL(URL::fileURLWithPath(dataPath("page.html")).absoluteString());
    ASSERT_TRUE(RunLoop::main().runUntil([&] { return countPrefixed(recorder.events, "will-send picture.png"); }, 30));
    webView->mainFrame()->loadHTMLString(u"<p>next</p>", std::nullopt);
    ASSERT_TRUE(RunLoop::main().runUntil([&] { return !webView->isLoading(); }, 30));
    RunLoop::main().runFor(0.01);
    auto& events = recorder.events;
    EXPECT_EQ(countPrefixed(events, "identifier "), countPrefixed(events, "loaded ") + countPrefixed(events, "resource-failure "))
        << testing::PrintToString(events);
    EXPECT_NE(std::find(events.begin(), events.end(), "resource-failure picture.png URLErrorDomain -999"), events.end());
    EXPECT_EQ(events.back(), "finish main");

    // Stopping a finished page ends a load started afterwards (a reset image source).
    recorder.events.clear();
    webView->mainFrame()->reloadSubresource(URL::fileURLWithPath(dataPath("picture.png")));
    webView->stopLoading();
    EXPECT_EQ(recorder.events, (std::vector<std::string> { "identifier picture.png", "will-send picture.png",
                                                           "resource-failure picture.png URLErrorDomain -999" }));
}

TEST_F(WebViewLoadingTest, WebViewClosedByADelegateMidLoadGetsNoFurtherCalls)
{
    size_t eventsAtClose = 0;
    recorder.redirect = [&](const URLRequest& request) -> std::optional<URLRequest> {
        if (request.url().lastPathComponent() == u"first.png") {
            webView.reset();
            eventsAtClose = recorder.events.size();
        }
        return request;
    };
    auto base = URL::fileURLWithPath(dataPath("page.html"));
    webView->mainFrame()->loadHTMLString(u"<img src='first.png'><img src='picture.png'><link rel=stylesheet href='site.css'>"
                                         u"<iframe name=f src='frame.html'></iframe>", base);
    ASSERT_TRUE(RunLoop::main().runUntil([&] { return !webView; }, 30));
    RunLoop::main().runFor(0.02);
    EXPECT_EQ(recorder.events.size(), eventsAtClose) << testing::PrintToString(recorder.events);
}

TEST_F(WebViewLoadingTest, PipesAndDevicesFailInsteadOfBlocking)
{
    char folder[] = "/tmp/webview-pipe-XXXXXX";
    ASSERT_TRUE(mkdtemp(folder));
    std::string pipe = std::string(folder) + "/pipe.png";
    ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);
    webView->mainFrame()->loadHTMLString(u"<img src='pipe.png'><img src='file:///dev/zero'>",
                                         URL::fileURLWithPath(std::string(folder) + "/page.html"));
    ASSERT_TRUE(waitForMainFrame());
    EXPECT_EQ(recorder.events.back(), "finish main");
    EXPECT_EQ(countPrefixed(recorder.events, "resource-failure pipe.png URLErrorDomain"), 1u);
    EXPECT_EQ(countPrefixed(recorder.events, "resource-failure zero URLErrorDomain"), 1u);
    ::unlink(pipe.c_str());
    ::rmdir(folder);
}

// Loads a frame again the first time it commits.
class ReloadingRecorder : public LoadRecorder {
public:
    std::string frameToReload;
    void didCommitLoadForFrame(WebView& view, WebFrame& frame) override
    {
        LoadRecorder::didCommitLoadForFrame(view, frame);
        if (frameLabel(frame) == frameToReload) {
            frameToReload.clear();
            frame.loadRequest(URLRequest(*URL::create(u"frame.html", &frame.dataSource()->request().url())));
        }
    }
};

TEST_F(WebViewLoadingTest, SubframeLoadingAgainKeepsItsParentWaiting)
{
    ReloadingRecorder reloading;
    webView->setFrameLoadDelegate(&reloading);
    webView->setResourceLoadDelegate(&reloading);
    for (std::string frame : { "a", "b" }) {
        reloading.events.clear();
        reloading.mainFrameEnded = false;
        reloading.frameToReload = frame;
        webView->mainFrame()->loadHTMLString(u"<iframe name=a src='frame.html'></iframe><iframe name=b src='frame.html'></iframe>",
                                             URL::fileURLWithPath(dataPath("page.html")));
        ASSERT_TRUE(RunLoop::main().runUntil([&] { return reloading.mainFrameEnded; }, 30));
        RunLoop::main().runFor(0.02);
        auto& events = reloading.events;
        EXPECT_EQ(countPrefixed(events, "finish " + frame), 1u);
        EXPECT_EQ(countPrefixed(events, "failure " + frame + " -999"), 1u);
        EXPECT_EQ(events.back(), "finish main") << frame << ": " << testing::PrintToString(events);
    }
}

TEST_F(WebViewLoadingTest, PagesFramingThemselvesStopAtOneLevel)
{
    char folder[] = "/tmp/webview-frames-XXXXXX";
    ASSERT_TRUE(mkdtemp(folder));
    std::string self = std::string(folder) + "/self.html";
    std::string other = std::string(folder) + "/other.html";
    std::ofstream(self) << "<iframe name=inner src='self.html#x'></iframe><iframe name=other src='other.html'></iframe>";
    std::ofstream(other) << "<iframe name=back src='self.html'></iframe>";
    webView->setMainFrameURL(URL::fileURLWithPath(self).absoluteString());
    ASSERT_TRUE(waitForMainFrame());
    EXPECT_EQ(recorder.events.back(), "finish main");
    auto main = webView->mainFrame();
    ASSERT_EQ(main->childFrames().size(), 2u);
    EXPECT_TRUE(main->childFrames()[0]->childFrames().empty());
    EXPECT_EQ(main->childFrames()[0]->dataSource()->request().url().absoluteString(), u"about:blank");
    auto& back = main->childFrames()[1]->childFrames();
    ASSERT_EQ(back.size(), 1u);
    EXPECT_EQ(back[0]->dataSource()->request().url().absoluteString(), u"about:blank");
    ::unlink(self.c_str());
    ::unlink(other.c_str());
    ::rmdir(folder);
}

class RefusingPolicy : public WebPolicyDelegate {
public:
    void decidePolicyForNavigationAction(WebView&, const WebNavigationAction&, const URLRequest& request, WebFrame&,
                                         WebPolicyDecisionListener& listener) override
    {
        if (request.url().lastPathComponent() == u"refused.html")
            listener.ignore();
        else
            listener.use();
    }
};

TEST_F(WebViewLoadingTest, RefusedFrameDoesNotFinishItsParentBeforeLaterFrames)
{
    RefusingPolicy policy;
    webView->setPolicyDelegate(&policy);
    webView->mainFrame()->loadHTMLString(u"<iframe name=a src='refused.html'></iframe><iframe name=b src='frame.html'></iframe>",
                                         URL::fileURLWithPath(dataPath("page.html")));
    ASSERT_TRUE(RunLoop::main().runUntil([&] { return countPrefixed(recorder.events, "finish b"); }, 30));
    RunLoop::main().runFor(0.01);
    EXPECT_EQ(recorder.events.back(), "finish main") << testing::PrintToString(recorder.events);
    EXPECT_EQ(countPrefixed(recorder.events, "finish main"), 1u);
    webView->setPolicyDelegate(nullptr);
}

TEST_F(WebViewLoadingTest, DataURLsLoadLikeFiles)
{
    // A 1x1 GIF, and a plain-text URL with percent-escapes.
    webView->mainFrame()->loadHTMLString(u"<img id=i src='data:image/gif;base64,R0lGODlhAQABAAAAACwAAAAAAQABAAA='>"
                                         u"<img src='data:text/plain,a%20b'><img src='data:image/png;base64,@@@'>",
                                         std::nullopt);
    ASSERT_TRUE(waitForMainFrame());
    auto& subresources = webView->mainFrame()->dataSource()->subresources();
    ASSERT_EQ(subresources.size(), 2u);
    EXPECT_EQ(subresources[0]->MIMEType(), u"image/gif");
    EXPECT_EQ(subresources[0]->data().size(), 23u);
    EXPECT_EQ(subresources[1]->data(), (Data { 'a', ' ', 'b' }));
    EXPECT_NE(std::find(recorder.events.begin(), recorder.events.end(), "resource-failure png;base64,@@@ URLErrorDomain -1000"),
              recorder.events.end()) << testing::PrintToString(recorder.events);
    EXPECT_EQ(webView->boundingBox(*webView->mainFrameDocument()->getElementById(u"i")).size, (Size { 1, 1 }));
}

class IgnoringPolicy : public WebPolicyDelegate {
public:
    std::vector<WebNavigationType> types;
    void decidePolicyForNavigationAction(WebView&, const WebNavigationAction& action, const URLRequest&, WebFrame&,
                                         WebPolicyDecisionListener& listener) override
    {
        types.push_back(action.navigationType);
        listener.ignore();
    }
};

TEST_F(WebViewLoadingTest, IgnoredNavigationLoadsNothing)
{
    IgnoringPolicy policy;
    webView->setPolicyDelegate(&policy);
    webView->mainFrame()->loadHTMLString(u"<p>x</p>", std::nullopt);
    RunLoop::main().runFor(0.01);
    EXPECT_TRUE(recorder.events.empty());
    EXPECT_FALSE(webView->isLoading());
    EXPECT_EQ(policy.types, std::vector<WebNavigationType> { WebNavigationTypeOther });
    webView->setPolicyDelegate(nullptr);
}

} // namespace

TEST_F(WebViewLoadingTest, ALoadTakesTheDocumentItsHostLoadedOnceAndUnderThePolicy)
{
    std::string folder = createTemporaryDirectory("web-provided").value();
    std::string page = folder + "/page.html";
    ASSERT_TRUE(writeFileAtomically(page, "<title>On disk</title>"));
    struct stat info;
    ASSERT_EQ(::stat(page.c_str(), &info), 0);
    auto stamp = fileStampOfStatus(info);
    auto provide = [&](std::string bytes = "<title>Provided</title>") {
        auto loaded = LoadedDocument::create(page, std::move(bytes), stamp, DocumentTextSyntax::HTML);
        webView->provideLoadedDocument(loaded);
        return loaded;
    };

    // The provided document, with its stamp, stands for the file; once.
    provide();
    EXPECT_TRUE(webView->providedLoadedDocument(page));
    EXPECT_FALSE(webView->providedLoadedDocument(folder + "/other.html"));
    webView->mainFrame()->loadRequest(URLRequest(URL::fileURLWithPath(page)));
    ASSERT_TRUE(waitForMainFrame());
    EXPECT_EQ(webView->mainFrame()->domDocument()->title(), u"Provided");
    ASSERT_TRUE(webView->mainFrame()->dataSource()->response()->fileStamp());
    EXPECT_EQ(*webView->mainFrame()->dataSource()->response()->fileStamp(), stamp);
    EXPECT_FALSE(webView->providedLoadedDocument(page));
    recorder.mainFrameEnded = false;
    webView->mainFrame()->loadRequest(URLRequest(URL::fileURLWithPath(page)));
    ASSERT_TRUE(waitForMainFrame());
    EXPECT_EQ(webView->mainFrame()->domDocument()->title(), u"On disk");

    // Its decoded text is the page's: decoded once, the source shared.
    auto loaded = provide("<meta charset=windows-1252><title>Caf\xe9</title>");
    recorder.mainFrameEnded = false;
    webView->mainFrame()->loadRequest(URLRequest(URL::fileURLWithPath(page)));
    ASSERT_TRUE(waitForMainFrame());
    EXPECT_EQ(webView->mainFrame()->domDocument()->title(), u"Caf\u00e9");
    EXPECT_EQ(webView->mainFrame()->dataSource()->textEncodingName(), u"windows-1252");
    EXPECT_EQ(webView->mainFrame()->dataSource()->sharedDocumentSource(), loaded->source());

    // A file the policy refuses is refused with its document provided.
    provide();
    webView->setFileAccessPolicy([](const std::string&) { return false; });
    recorder.mainFrameEnded = false;
    webView->mainFrame()->loadRequest(URLRequest(URL::fileURLWithPath(page)));
    ASSERT_TRUE(waitForMainFrame());
    ASSERT_TRUE(recorder.mainFrameError);
    EXPECT_TRUE(recorder.mainFrameError->is(POSIXErrorDomain, 1));
    webView->setFileAccessPolicy(nullptr);
    EXPECT_TRUE(removeItem(folder));
}

TEST_F(WebViewLoadingTest, AParseStartedAheadStandsForTheLoadsOwnInItsSyntaxAndOnlyOnce)
{
    std::string folder = createTemporaryDirectory("web-parsed-ahead").value();
    std::string page = folder + "/page.html";
    ASSERT_TRUE(writeFileAtomically(page, "<title>On disk</title>"));
    struct stat info;
    ASSERT_EQ(::stat(page.c_str(), &info), 0);
    auto stamp = fileStampOfStatus(info);
    auto load = [&](const std::string& bytes, DocumentTextSyntax syntax) {
        auto loaded = LoadedDocument::create(page, bytes, stamp, syntax);
        startParsingLoadedDocument(*loaded);
        webView->provideLoadedDocument(loaded);
        recorder.mainFrameEnded = false;
        webView->mainFrame()->loadRequest(URLRequest(URL::fileURLWithPath(page)));
        EXPECT_TRUE(waitForMainFrame());
        return loaded;
    };

    // The load takes the document parsed ahead, its encoding and its source.
    auto taken = load("<meta charset=windows-1252><title>Caf\xe9</title>", DocumentTextSyntax::HTML);
    auto frame = webView->mainFrame();
    EXPECT_FALSE(taken->hasParse());
    EXPECT_EQ(frame->domDocument()->title(), u"Caf\u00e9");
    EXPECT_EQ(frame->dataSource()->textEncodingName(), u"windows-1252");
    ASSERT_TRUE(frame->dataSource()->documentSource());
    EXPECT_EQ(*frame->dataSource()->documentSource(), u"<meta charset=windows-1252><title>Caf\u00e9</title>");

    // Decoded and parsed in another syntax than the load's, it is not taken:
    // the load decodes and parses what it loads.
    auto otherSyntax = load("<title>Provided</title>", DocumentTextSyntax::XML);
    EXPECT_TRUE(otherSyntax->hasParse());
    EXPECT_TRUE(frame->domDocument()->isHTMLDocument());
    EXPECT_EQ(frame->domDocument()->title(), u"Provided");

    // A parse ahead is used once: the next load reads the file.
    recorder.mainFrameEnded = false;
    frame->loadRequest(URLRequest(URL::fileURLWithPath(page)));
    ASSERT_TRUE(waitForMainFrame());
    EXPECT_EQ(frame->domDocument()->title(), u"On disk");
    EXPECT_TRUE(removeItem(folder));
}
