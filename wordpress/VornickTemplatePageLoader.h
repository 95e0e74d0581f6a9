// VornickTemplatePageLoader: loads a page of a blog's site as the post view
// shows it, its subresources and frames with it, for the templates step that
// fetches templates through drafts: the page's answer and document and the
// subresources that came back. Pages load in a web view, which this layer
// does not hold: the program installs how loaders are made, and without that
// no page loads this way.
#pragma once

#include "platform/foundation/Error.h"
#include "platform/foundation/Value.h"
#include "platform/net/URLRequest.h"

#include <functional>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace brevanton {

class DOMDocument;
class URLResponse;
class URLSession;
class WebResource;

struct VornickLoadedTemplatePage {
    // The page's answer; null when none came.
    std::shared_ptr<URLResponse> response;
    Data data;
    // The page as loaded; null when nothing was.
    std::shared_ptr<DOMDocument> document;
    std::vector<std::shared_ptr<WebResource>> subresources;
    // The addresses (as answered, after redirects) of the resources that came
    // back successfully: a 2xx status over HTTP, any answer from a file or data URL.
    std::set<std::u16string> successfullyLoadedURLStrings;
};

class VornickTemplatePageLoader {
public:
    // Decides every load of the page (the page itself, its subresources and
    // frames) before anything is requested: the request to load instead, or
    // null to refuse it.
    using ResourceLoadPolicy = std::function<std::optional<URLRequest>(const URLRequest&)>;
    using Completion = std::function<void(const VornickLoadedTemplatePage&, const std::optional<Error>&)>;

    virtual ~VornickTemplatePageLoader() = default;

    // Starts loading and returns at once; the completion is called once, on
    // the main thread, when the load ended.
    virtual void loadURLRequest(const URLRequest&, Completion) = 0;
    // The session the loads go through, whose cookies keep a login.
    virtual std::shared_ptr<URLSession> urlSession() const = 0;

    using Maker = std::function<std::shared_ptr<VornickTemplatePageLoader>(ResourceLoadPolicy)>;
    // Installs how loaders are made; null uninstalls it.
    static void installMaker(Maker);
    // A loader asking the policy before every load; null while no maker is installed.
    static std::shared_ptr<VornickTemplatePageLoader> make(ResourceLoadPolicy);
};

} // namespace brevanton
