#include "platform/dom/DOMParsing.h"

#include "platform/dom/DOMCharacterData.h"
#include "platform/dom/DOMDocument.h"
#include "platform/dom/DOMElement.h"
#include "platform/foundation/Text.h"

#include <libxml/HTMLparser.h>
#include <libxml/entities.h>
#include <libxml/parser.h>
#include <libxml/tree.h>

#include <algorithm>
#include <cstring>
#include <vector>

namespace brevanton {

namespace {

constexpr int xmlParseOptions = XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING | XML_PARSE_RECOVER;

std::u16string fromXML(const xmlChar* text)
{
    std::u16string result;
    if (text)
        appendUTF8AsUTF16(result, reinterpret_cast<const char*>(text), std::strlen(reinterpret_cast<const char*>(text)));
    return result;
}

std::u16string attributeValue(xmlAttr* attribute)
{
    xmlChar* value = xmlNodeListGetString(attribute->doc, attribute->children, 1);
    auto result = fromXML(value);
    xmlFree(value);
    return result;
}

class XMLTreeBuilder {
public:
    explicit XMLTreeBuilder(DOMDocument& document)
        : m_handle(document.documentHandle())
    {
    }

    void buildChildren(xmlNode* first, DOMNode& target)
    {
        struct Item {
            xmlNode* node;
            DOMNode* parent;
            unsigned depth;
        };
        std::vector<Item> stack;
        auto pushSiblings = [&](xmlNode* node, DOMNode* parent, unsigned depth) {
            size_t mark = stack.size();
            for (; node; node = node->next)
                stack.push_back({ node, parent, depth });
            std::reverse(stack.begin() + static_cast<long>(mark), stack.end());
        };
        pushSiblings(first, &target, 1);
        while (!stack.empty()) {
            auto item = stack.back();
            stack.pop_back();
            xmlNode* node = item.node;
            switch (node->type) {
            case XML_ELEMENT_NODE: {
                if (item.depth > DOMMaximumNestingDepth) {
                    pushSiblings(node->children, item.parent, item.depth);
                    break;
                }
                auto element = makeElement(node);
                auto* raw = element.get();
                item.parent->insertChild(element, nullptr);
                pushSiblings(node->children, raw, item.depth + 1);
                break;
            }
            case XML_TEXT_NODE:
                appendText(*item.parent, fromXML(node->content));
                break;
            case XML_CDATA_SECTION_NODE:
                item.parent->insertChild(std::make_shared<DOMCDATASection>(m_handle, fromXML(node->content)), nullptr);
                break;
            case XML_COMMENT_NODE:
                item.parent->insertChild(std::make_shared<DOMComment>(m_handle, fromXML(node->content)), nullptr);
                break;
            case XML_PI_NODE:
                item.parent->insertChild(std::make_shared<DOMProcessingInstruction>(m_handle, fromXML(node->name),
                                                                                    fromXML(node->content)),
                                         nullptr);
                break;
            case XML_ENTITY_REF_NODE: {
                // Internal entities expand to their text; HTML's named
                // characters are known without a DTD; anything else is dropped.
                xmlEntity* entity = xmlGetDocEntity(node->doc, node->name);
                if (entity && entity->etype == XML_INTERNAL_GENERAL_ENTITY)
                    appendText(*item.parent, fromXML(entity->content));
                else if (!entity || entity->etype != XML_EXTERNAL_GENERAL_PARSED_ENTITY) {
                    if (auto* description = htmlEntityLookup(node->name)) {
                        std::u16string text;
                        unsigned codePoint = description->value;
                        if (codePoint >= 0x10000) {
                            codePoint -= 0x10000;
                            text += static_cast<char16_t>(0xD800 + (codePoint >> 10));
                            text += static_cast<char16_t>(0xDC00 + (codePoint & 0x3FF));
                        } else
                            text += static_cast<char16_t>(codePoint);
                        appendText(*item.parent, text);
                    }
                }
                break;
            }
            default:
                break;
            }
        }
    }

private:
    void appendText(DOMNode& parent, std::u16string text)
    {
        if (text.empty())
            return;
        if (auto* last = parent.last(); last && last->nodeType() == DOMNode::TEXT_NODE) {
            static_cast<DOMText*>(last)->appendData(text);
            return;
        }
        parent.insertChild(std::make_shared<DOMText>(m_handle, std::move(text)), nullptr);
    }

    std::shared_ptr<DOMElement> makeElement(xmlNode* node)
    {
        std::u16string ns = node->ns ? fromXML(node->ns->href) : std::u16string();
        std::u16string prefix = node->ns && node->ns->prefix ? fromXML(node->ns->prefix) : std::u16string();
        auto element = std::make_shared<DOMElement>(m_handle, DOMQualifiedName::intern(ns, prefix, fromXML(node->name)));
        for (xmlNs* declaration = node->nsDef; declaration; declaration = declaration->next) {
            std::u16string name = declaration->prefix ? u"xmlns:" + fromXML(declaration->prefix) : u"xmlns";
            element->appendAttributeWithoutChecks(std::move(name), fromXML(declaration->href));
        }
        for (xmlAttr* attribute = node->properties; attribute; attribute = attribute->next) {
            std::u16string name;
            if (attribute->ns && attribute->ns->prefix)
                name = fromXML(attribute->ns->prefix) + u":";
            name += fromXML(attribute->name);
            if (!element->hasAttribute(name))
                element->appendAttributeWithoutChecks(std::move(name), attributeValue(attribute));
        }
        return element;
    }

    DOMDocumentHandlePtr m_handle;
};

void ensureParserInitialized()
{
    static bool initialized = [] {
        xmlInitParser();
        return true;
    }();
    (void)initialized;
}

} // namespace

std::shared_ptr<DOMDocument> parseXMLDocument(std::string_view bytes, Error* outError)
{
    ensureParserInitialized();
    xmlDoc* source = xmlReadMemory(bytes.data(), static_cast<int>(bytes.size()), nullptr, nullptr, xmlParseOptions);
    if (!source || !xmlDocGetRootElement(source)) {
        if (source)
            xmlFreeDoc(source);
        setDOMError(outError, DOMExceptionCode::SyntaxError, u"The XML document could not be read.");
        return nullptr;
    }
    auto document = DOMDocument::create(DOMDocument::Kind::XML);
    document->setCharacterSet(source->encoding ? fromXML(source->encoding) : u"UTF-8");
    if (xmlNode* root = xmlDocGetRootElement(source); root->ns && root->ns->href
        && fromXML(root->ns->href) == XHTMLNamespace)
        document->setContentType(u"application/xhtml+xml");
    if (xmlDtd* dtd = source->intSubset) {
        document->insertChild(document->createDocumentType(fromXML(dtd->name), fromXML(dtd->ExternalID),
                                                           fromXML(dtd->SystemID)),
                              nullptr);
    }
    XMLTreeBuilder builder(*document);
    builder.buildChildren(source->children, *document);
    xmlFreeDoc(source);
    return document;
}

std::shared_ptr<DOMDocumentFragment> parseXMLFragment(DOMDocument& document, std::u16string_view markup,
                                                      const DOMElement* context)
{
    ensureParserInitialized();
    auto fragment = document.createDocumentFragment();
    std::u16string ns = context ? context->namespaceURI() : std::u16string(XHTMLNamespace);
    if (!context && document.contentType() != u"application/xhtml+xml")
        ns.clear();
    std::string wrapped = "<fragment-root";
    if (!ns.empty()) {
        wrapped += " xmlns=\"";
        for (char c : toUTF8(ns)) {
            if (c == '"')
                wrapped += "&quot;";
            else if (c == '&')
                wrapped += "&amp;";
            else
                wrapped += c;
        }
        wrapped += "\"";
    }
    wrapped += ">" + toUTF8(markup) + "</fragment-root>";
    xmlDoc* source = xmlReadMemory(wrapped.data(), static_cast<int>(wrapped.size()), nullptr, "UTF-8", xmlParseOptions);
    if (!source)
        return fragment;
    if (xmlNode* root = xmlDocGetRootElement(source)) {
        XMLTreeBuilder builder(document);
        builder.buildChildren(root->children, *fragment);
    }
    xmlFreeDoc(source);
    return fragment;
}

} // namespace brevanton
