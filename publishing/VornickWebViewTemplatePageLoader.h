// VornickWebViewTemplatePageLoader: the templates step's page loader on an
// HTML tree: the page loads in a web view that is never shown, as the post
// view shows it, asking the step's resource policy before every load.
#pragma once

#include "wordpress/VornickTemplatePageLoader.h"

#include <memory>

namespace brevanton {

class VornickHTMLTree;

class VornickWebViewTemplatePageLoader final : public VornickTemplatePageLoader {
public:
    explicit VornickWebViewTemplatePageLoader(ResourceLoadPolicy);

    void loadURLRequest(const URLRequest&, Completion) override;
    std::shared_ptr<URLSession> urlSession() const override;

    // Makes the templates step's loaders of these from now on; the program
    // installs it at start.
    static void install();

private:
    std::shared_ptr<VornickHTMLTree> m_tree;
};

} // namespace brevanton
