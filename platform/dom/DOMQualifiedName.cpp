#include "platform/dom/DOMQualifiedName.h"

#include "platform/foundation/Text.h"

#include <memory>
#include <mutex>
#include <unordered_map>

namespace brevanton {

namespace {

struct NameTable {
    std::mutex lock;
    std::unordered_map<std::u16string, std::unique_ptr<DOMQualifiedName>> names;
};

NameTable& nameTable()
{
    static NameTable* table = new NameTable;
    return *table;
}

} // namespace

const DOMQualifiedName* DOMQualifiedName::intern(std::u16string_view namespaceURI, std::u16string_view prefix,
                                                 std::u16string_view localName)
{
    std::u16string key;
    key.reserve(namespaceURI.size() + prefix.size() + localName.size() + 2);
    key.append(namespaceURI).push_back(u'\1');
    key.append(prefix).push_back(u'\1');
    key.append(localName);

    auto& table = nameTable();
    std::lock_guard guard(table.lock);
    auto it = table.names.find(key);
    if (it != table.names.end())
        return it->second.get();
    auto name = std::make_unique<DOMQualifiedName>();
    name->namespaceURI = namespaceURI;
    name->prefix = prefix;
    name->localName = localName;
    name->qualifiedName = prefix.empty() ? std::u16string(localName)
                                         : std::u16string(prefix) + u":" + std::u16string(localName);
    name->upperQualifiedName = asciiUppercase(name->qualifiedName);
    name->isHTML = namespaceURI == XHTMLNamespace;
    auto* result = name.get();
    table.names.emplace(std::move(key), std::move(name));
    return result;
}

const DOMQualifiedName* DOMQualifiedName::intern(std::u16string_view namespaceURI, std::u16string_view qualifiedName)
{
    auto colon = qualifiedName.find(u':');
    if (colon == std::u16string_view::npos || colon == 0 || colon + 1 == qualifiedName.size())
        return intern(namespaceURI, {}, qualifiedName);
    return intern(namespaceURI, qualifiedName.substr(0, colon), qualifiedName.substr(colon + 1));
}

} // namespace brevanton
