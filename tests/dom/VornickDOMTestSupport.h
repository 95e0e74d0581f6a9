// Small helpers for the DOM operation tests: documents from inline markup,
// elements by id, and providers that stand in for the editing layer.
#pragma once

#include "dom/VornickDOMServices.h"
#include "platform/dom/DOMCasts.h"
#include "platform/dom/DOMCharacterData.h"
#include "platform/dom/DOMDocument.h"
#include "platform/dom/DOMElement.h"
#include "platform/dom/DOMRange.h"
#include "platform/foundation/Text.h"

#include <memory>
#include <string>

namespace brevanton::testing {

// A document whose body holds `bodyMarkup` exactly as written (no whitespace added).
inline std::shared_ptr<DOMDocument> documentWithBody(std::u16string_view bodyMarkup)
{
    return DOMDocument::parseHTML(u"<!DOCTYPE html><html><head></head><body>" + std::u16string(bodyMarkup)
                                  + u"</body></html>");
}

inline std::shared_ptr<DOMElement> byId(const std::shared_ptr<DOMDocument>& document, std::u16string_view id)
{
    return document->getElementById(id);
}

inline std::shared_ptr<DOMNode> child(const std::shared_ptr<DOMNode>& node, unsigned index)
{
    DOMNode* found = node->childAt(index);
    return found ? found->shared_from_this() : nullptr;
}

inline std::shared_ptr<DOMText> textChild(const std::shared_ptr<DOMNode>& node, unsigned index)
{
    return downcast<DOMText>(child(node, index));
}

// The body's inner HTML.
inline std::u16string bodyHTML(const std::shared_ptr<DOMDocument>& document)
{
    return document->body()->innerHTML();
}

// Stands in for the per-frame state of the editor.
class TestFrameState final : public VornickFrameStateProvider {
public:
    class Point final : public VornickAttachmentPointReference {
    public:
        explicit Point(std::shared_ptr<DOMElement> element)
            : m_element(std::move(element))
        {
        }
        std::shared_ptr<DOMElement> findElement() const override { return m_element; }

    private:
        std::shared_ptr<DOMElement> m_element;
    };

    char16_t nonBreakingSpaceSubstituteCharacter(const DOMDocument&) const override { return substitute; }
    std::vector<std::shared_ptr<VornickAttachmentPointReference>> attachmentPoints(const DOMDocument&) const override
    {
        return points;
    }

    char16_t substitute { 0 };
    std::vector<std::shared_ptr<VornickAttachmentPointReference>> points;
};

// Installs a frame state for the life of a test.
class ScopedFrameState {
public:
    ScopedFrameState()
        : state(std::make_shared<TestFrameState>())
    {
        VornickSetFrameStateProvider(state);
    }
    ~ScopedFrameState() { VornickSetFrameStateProvider(nullptr); }
    std::shared_ptr<TestFrameState> state;
};

} // namespace brevanton::testing
