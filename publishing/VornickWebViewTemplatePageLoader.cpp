#include "publishing/VornickWebViewTemplatePageLoader.h"

#include "app/VornickHTMLTree.h"
#include "platform/net/URLSession.h"
#include "platform/web/WebDataSource.h"
#include "platform/web/WebFrame.h"
#include "platform/web/WebView.h"

#include <utility>

namespace brevanton {

VornickWebViewTemplatePageLoader::VornickWebViewTemplatePageLoader(ResourceLoadPolicy policy)
    : m_tree(VornickHTMLTree::create())
{
    m_tree->setResourceLoadPolicy(std::move(policy));
}

void VornickWebViewTemplatePageLoader::loadURLRequest(const URLRequest& request, Completion completion)
{
    std::weak_ptr<VornickHTMLTree> weakTree = m_tree;
    m_tree->loadURLRequest(request, true, [weakTree, completion = std::move(completion)](const std::shared_ptr<WebView>& webView,
                                                                                          const std::optional<Error>& error) {
        VornickLoadedTemplatePage page;
        auto tree = weakTree.lock();
        auto dataSource = webView && webView->mainFrame() ? webView->mainFrame()->dataSource() : nullptr;
        if (tree && dataSource) {
            page.response = dataSource->response();
            page.data = dataSource->data();
            page.document = tree->document();
            page.subresources = dataSource->subresources();
            page.successfullyLoadedURLStrings = tree->successfullyLoadedURLStrings();
        }
        completion(page, error);
    });
}

std::shared_ptr<URLSession> VornickWebViewTemplatePageLoader::urlSession() const
{
    const auto& webView = m_tree->webView();
    return webView ? webView->urlSession() : URLSession::shared();
}

void VornickWebViewTemplatePageLoader::install()
{
    VornickTemplatePageLoader::installMaker([](ResourceLoadPolicy policy) -> std::shared_ptr<VornickTemplatePageLoader> {
        return std::make_shared<VornickWebViewTemplatePageLoader>(std::move(policy));
    });
}

} // namespace brevanton
