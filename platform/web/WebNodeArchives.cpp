#include "platform/web/WebNodeArchives.h"

#include "platform/dom/DOMDocument.h"
#include "platform/dom/DOMElement.h"
#include "platform/dom/DOMRange.h"
#include "platform/dom/DOMSerializer.h"
#include "platform/foundation/Text.h"
#include "platform/web/WebFrame.h"

namespace brevanton {

namespace {

std::shared_ptr<WebArchive> archive(const std::u16string& markup, const DOMNode& content, const WebFrame& frame)
{
    std::string utf8 = toUTF8(markup);
    URL url = frame.baseURL().value_or(*URL::create(u"about:blank"));
    auto main = std::make_shared<WebResource>(Data(utf8.begin(), utf8.end()), url, u"text/html", u"UTF-8", frame.name());
    std::vector<std::shared_ptr<WebResource>> subresources;
    auto& source = frame.dataSource();
    if (source) {
        auto base = frame.baseURL();
        auto add = [&](const std::u16string& reference) {
            auto referenced = URL::create(reference, base ? &*base : nullptr);
            if (!referenced)
                return;
            auto resource = source->subresourceForURL(referenced->absoluteURL());
            if (resource && std::find(subresources.begin(), subresources.end(), resource) == subresources.end())
                subresources.push_back(resource);
        };
        for (const DOMNode* node = &content; node; node = node->traverseNext(&content)) {
            if (!node->isElementNode())
                continue;
            auto& element = static_cast<const DOMElement&>(*node);
            if (element.hasTagName(u"img") && element.hasAttribute(u"src"))
                add(element.getAttribute(u"src"));
            else if (element.hasTagName(u"link") && element.hasAttribute(u"href"))
                add(element.getAttribute(u"href"));
        }
    }
    return std::make_shared<WebArchive>(std::move(main), std::move(subresources));
}

} // namespace

std::shared_ptr<WebArchive> webArchiveForNode(const DOMNode& node, const WebFrame& frame)
{
    std::u16string markup;
    if (node.isDocumentNode() || node.isDocumentFragmentNode())
        serializeChildrenAsHTML(node, markup);
    else
        serializeNodeAsHTML(node, markup);
    return archive(markup, node, frame);
}

std::shared_ptr<WebArchive> webArchiveForRange(const DOMRange& range, const WebFrame& frame)
{
    auto fragment = range.cloneContents();
    std::u16string markup;
    if (fragment)
        serializeChildrenAsHTML(*fragment, markup);
    if (!fragment)
        return archive(markup, *range.startNode(), frame);
    return archive(markup, *fragment, frame);
}

} // namespace brevanton
