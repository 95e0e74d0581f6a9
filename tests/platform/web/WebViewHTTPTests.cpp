#include "platform/dom/DOMDocument.h"
#include "platform/dom/DOMElement.h"
#include "platform/foundation/RunLoop.h"
#include "platform/web/WebView.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <atomic>
#include <map>
#include <netinet/in.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

using namespace brevanton;

namespace {

// A small HTTP/1.0 server on 127.0.0.1 that answers fixed paths.
class LoopbackServer {
public:
    explicit LoopbackServer(std::map<std::string, std::pair<std::string, std::string>> pages)
        : m_pages(std::move(pages))
    {
        m_listener = socket(AF_INET, SOCK_STREAM, 0);
        int yes = 1;
        setsockopt(m_listener, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
        sockaddr_in address {};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        bind(m_listener, reinterpret_cast<sockaddr*>(&address), sizeof address);
        listen(m_listener, 16);
        socklen_t length = sizeof address;
        getsockname(m_listener, reinterpret_cast<sockaddr*>(&address), &length);
        m_port = ntohs(address.sin_port);
        m_thread = std::thread([this] { serve(); });
    }
    ~LoopbackServer()
    {
        m_stop = true;
        shutdown(m_listener, SHUT_RDWR);
        close(m_listener);
        m_thread.join();
    }
    std::u16string url(const std::string& path) const
    {
        std::string text = "http://127.0.0.1:" + std::to_string(m_port) + path;
        return std::u16string(text.begin(), text.end());
    }

private:
    void serve()
    {
        while (!m_stop) {
            int connection = accept(m_listener, nullptr, nullptr);
            if (connection < 0)
                return;
            std::string request;
            char buffer[4096];
            while (request.find("\r\n\r\n") == std::string::npos) {
                ssize_t count = read(connection, buffer, sizeof buffer);
                if (count <= 0)
                    break;
                request.append(buffer, static_cast<size_t>(count));
            }
            std::string path = request.substr(4, request.find(' ', 4) - 4);
            std::string response;
            auto page = m_pages.find(path);
            if (page == m_pages.end())
                response = "HTTP/1.0 404 Not Found\r\nContent-Length: 0\r\n\r\n";
            else
                response = "HTTP/1.0 200 OK\r\nContent-Type: " + page->second.first + "\r\nContent-Length: "
                    + std::to_string(page->second.second.size()) + "\r\n\r\n" + page->second.second;
            ssize_t written = write(connection, response.data(), response.size());
            (void)written;
            close(connection);
        }
    }

    std::map<std::string, std::pair<std::string, std::string>> m_pages;
    int m_listener { -1 };
    int m_port { 0 };
    std::atomic<bool> m_stop { false };
    std::thread m_thread;
};

TEST(WebViewHTTPTest, PagesLoadThroughTheURLSessionWithTheirCharset)
{
    LoopbackServer server({
        { "/page.html", { "text/html; charset=ISO-8859-1", "<title>Remote</title><link rel=stylesheet href='s.css'><p id=p>caf\xe9</p>" } },
        { "/s.css", { "text/css", "p { color: green }" } },
    });
    auto webView = WebView::create(Rect(0, 0, 400, 400));
    webView->setMainFrameURL(server.url("/page.html"));
    ASSERT_TRUE(RunLoop::main().runUntil([&] { return !webView->isLoading(); }, 30));
    auto document = webView->mainFrameDocument();
    ASSERT_TRUE(document);
    EXPECT_EQ(document->getElementById(u"p")->textContent(), u"caf\u00e9");
    auto source = webView->mainFrame()->dataSource();
    EXPECT_EQ(source->textEncodingName(), u"windows-1252") << "the web reads ISO-8859-1 as windows-1252";
    EXPECT_EQ(source->response()->mimeType(), u"text/html");
    ASSERT_EQ(source->subresources().size(), 1u);
    EXPECT_EQ(source->subresources()[0]->MIMEType(), u"text/css");
    EXPECT_EQ(webView->mainFrameURL(), server.url("/page.html"));
}

} // namespace
