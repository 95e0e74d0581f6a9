// Character data nodes: text, CDATA sections (text everywhere text is
// expected), comments and processing instructions. Every edit goes through
// replaceData so that live ranges follow it.
#pragma once

#include "platform/dom/DOMNode.h"

namespace brevanton {

class DOMCharacterData : public DOMNode {
public:
    const std::u16string& data() const { return m_data; }
    // Replaces the whole data (replace-data from 0 over the old length).
    void setData(const std::u16string&);
    unsigned length() const { return static_cast<unsigned>(m_data.size()); }

    // Offsets and counts are UTF-16 units. An offset past the length is an IndexSizeError.
    std::u16string substringData(unsigned offset, unsigned count, Error* outError = nullptr) const;
    void appendData(const std::u16string&);
    bool insertData(unsigned offset, const std::u16string&, Error* outError = nullptr);
    bool deleteData(unsigned offset, unsigned count, Error* outError = nullptr);
    bool replaceData(unsigned offset, unsigned count, const std::u16string&, Error* outError = nullptr);

    std::shared_ptr<DOMElement> previousElementSibling() const;
    std::shared_ptr<DOMElement> nextElementSibling() const;

protected:
    DOMCharacterData(NodeType type, const DOMDocumentHandlePtr& handle, std::u16string&& data)
        : DOMNode(type, handle)
        , m_data(std::move(data))
    {
    }

    std::u16string m_data;
};

class DOMText : public DOMCharacterData {
public:
    DOMText(const DOMDocumentHandlePtr& handle, std::u16string&& data)
        : DOMCharacterData(TEXT_NODE, handle, std::move(data))
    {
    }
    DOMText(const DOMDocumentHandlePtr& handle, const std::u16string& data)
        : DOMCharacterData(TEXT_NODE, handle, std::u16string(data))
    {
    }

    // Splits at `offset`; the new node holds the rest and follows this one.
    std::shared_ptr<DOMText> splitText(unsigned offset, Error* outError = nullptr);
    // The text of this node and its adjacent text siblings.
    std::u16string wholeText() const;

protected:
    DOMText(NodeType type, const DOMDocumentHandlePtr& handle, std::u16string&& data)
        : DOMCharacterData(type, handle, std::move(data))
    {
    }
public:
    std::shared_ptr<DOMNode> cloneSelf(DOMDocument*) const; // internal: see DOMNode::cloneNodeInto
};

class DOMCDATASection final : public DOMText {
public:
    DOMCDATASection(DOMDocumentHandlePtr handle, std::u16string data)
        : DOMText(CDATA_SECTION_NODE, std::move(handle), std::move(data))
    {
    }

protected:
public:
    std::shared_ptr<DOMNode> cloneSelf(DOMDocument*) const; // internal: see DOMNode::cloneNodeInto
};

class DOMComment final : public DOMCharacterData {
public:
    DOMComment(const DOMDocumentHandlePtr& handle, std::u16string data)
        : DOMCharacterData(COMMENT_NODE, handle, std::move(data))
    {
    }

protected:
public:
    std::shared_ptr<DOMNode> cloneSelf(DOMDocument*) const; // internal: see DOMNode::cloneNodeInto
};

class DOMProcessingInstruction final : public DOMCharacterData {
public:
    DOMProcessingInstruction(DOMDocumentHandlePtr handle, std::u16string target, std::u16string data)
        : DOMCharacterData(PROCESSING_INSTRUCTION_NODE, std::move(handle), std::move(data))
        , m_target(std::move(target))
    {
    }
    const std::u16string& target() const { return m_target; }

protected:
public:
    std::shared_ptr<DOMNode> cloneSelf(DOMDocument*) const; // internal: see DOMNode::cloneNodeInto

private:
    std::u16string m_target;
};

} // namespace brevanton
