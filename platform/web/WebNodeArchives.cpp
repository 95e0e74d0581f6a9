#include "platform/web/WebNodeArchives.h"

#include "platform/dom/DOMDocument.h"
#include "platform/dom/DOMElement.h"
#include "platform/dom/DOMRange.h"
#include "platform/dom/DOMSerializer.h"
#include "platform/foundation/Text.h"
#include "platform/web/WebFrame.h"

namespace brevanton {

namespace {

// The reference a written element loads: an IMG's source, a LINK's target.
std::optional<std::u16string_view> subresourceAttribute(const DOMElement& element)
{
    if (element.hasTagName(u"img"))
        return u"src";
    if (element.hasTagName(u"link"))
        return u"href";
    return std::nullopt;
}

std::shared_ptr<WebArchive> archive(const std::u16string& markup, const std::vector<std::u16string>& references,
                                    const WebFrame& frame)
{
    std::string utf8 = toUTF8(markup);
    URL url = frame.baseURL().value_or(*URL::create(u"about:blank"));
    auto main = std::make_shared<WebResource>(Data(utf8.begin(), utf8.end()), url, u"text/html", u"UTF-8", frame.name());
    std::vector<std::shared_ptr<WebResource>> subresources;
    if (auto& source = frame.dataSource()) {
        auto base = frame.baseURL();
        for (auto& reference : references) {
            auto referenced = URL::create(reference, base ? &*base : nullptr);
            if (!referenced)
                continue;
            auto resource = source->subresourceForURL(referenced->absoluteURL());
            if (resource && std::find(subresources.begin(), subresources.end(), resource) == subresources.end())
                subresources.push_back(resource);
        }
    }
    return std::make_shared<WebArchive>(std::move(main), std::move(subresources));
}

// Notes the references of the elements written, as the caller's filter
// writes them, and passes everything on to that filter.
class ReferenceRecorder final : public HTMLSerializationFilter {
public:
    explicit ReferenceRecorder(HTMLSerializationFilter* filter)
        : m_filter(filter)
    {
    }
    void willWriteElement(const DOMElement& element) override
    {
        if (m_filter)
            m_filter->willWriteElement(element);
        auto name = subresourceAttribute(element);
        auto* value = name ? element.attributeValue(*name) : nullptr;
        if (!value)
            return;
        std::u16string replacement;
        switch (filterAttribute(element, *name, *value, replacement)) {
        case AttributeAction::Keep:
            references.push_back(*value);
            break;
        case AttributeAction::Replace:
            references.push_back(std::move(replacement));
            break;
        case AttributeAction::Omit:
            break;
        }
    }
    std::optional<std::u16string> filteredText(std::u16string_view text) override
    {
        return m_filter ? m_filter->filteredText(text) : std::nullopt;
    }
    AttributeAction filterAttribute(const DOMElement& element, std::u16string_view name, std::u16string_view value,
                                    std::u16string& replacement) override
    {
        return m_filter ? m_filter->filterAttribute(element, name, value, replacement) : AttributeAction::Keep;
    }

    std::vector<std::u16string> references;

private:
    HTMLSerializationFilter* m_filter;
};

} // namespace

std::shared_ptr<WebArchive> webArchiveForNode(const DOMNode& node, const WebFrame& frame)
{
    std::u16string markup;
    ReferenceRecorder recorder(nullptr);
    if (node.isDocumentNode() || node.isDocumentFragmentNode())
        serializeChildrenAsHTML(node, markup, &recorder);
    else
        serializeNodeAsHTML(node, markup, &recorder);
    return archive(markup, recorder.references, frame);
}

std::shared_ptr<WebArchive> webArchiveForRange(const DOMRange& range, const WebFrame& frame, HTMLSerializationFilter* filter,
                                               std::u16string* text)
{
    std::u16string markup;
    ReferenceRecorder recorder(filter);
    if (!serializeRangeContentsAsHTML(range, markup, &recorder, text))
        return nullptr;
    return archive(markup, recorder.references, frame);
}

} // namespace brevanton
