#include "platform/dom/DOMQualifiedName.h"

#include "platform/foundation/Text.h"

#include <memory>
#include <mutex>
#include <unordered_map>

namespace brevanton {

namespace {

constexpr uint32_t chunkSize = 1024;
constexpr uint32_t chunkCount = 4096;

struct NameTable {
    std::mutex lock;
    std::unordered_map<std::u16string, const DOMQualifiedName*> names;
    // Chunks never move, so a number can be read back without the lock.
    DOMQualifiedName* chunks[chunkCount] {};
    uint32_t count { 0 };
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
        return it->second;
    if (table.count == chunkSize * chunkCount) {
        // Past four million distinct names (only hostile input gets here) all
        // further names share the last record.
        return &table.chunks[chunkCount - 1][chunkSize - 1];
    }
    uint32_t index = table.count++;
    auto& chunk = table.chunks[index / chunkSize];
    if (!chunk)
        chunk = new DOMQualifiedName[chunkSize];
    auto* name = &chunk[index % chunkSize];
    name->index = index;
    name->namespaceURI = namespaceURI;
    name->prefix = prefix;
    name->localName = localName;
    name->qualifiedName = prefix.empty() ? std::u16string(localName)
                                         : std::u16string(prefix) + u":" + std::u16string(localName);
    name->upperQualifiedName = asciiUppercase(name->qualifiedName);
    name->isHTML = namespaceURI == XHTMLNamespace;
    table.names.emplace(std::move(key), name);
    return name;
}

const DOMQualifiedName* DOMQualifiedName::byIndex(uint32_t index)
{
    return &nameTable().chunks[index / chunkSize][index % chunkSize];
}

const DOMQualifiedName* DOMQualifiedName::intern(std::u16string_view namespaceURI, std::u16string_view qualifiedName)
{
    auto colon = qualifiedName.find(u':');
    if (colon == std::u16string_view::npos || colon == 0 || colon + 1 == qualifiedName.size())
        return intern(namespaceURI, {}, qualifiedName);
    return intern(namespaceURI, qualifiedName.substr(0, colon), qualifiedName.substr(colon + 1));
}

} // namespace brevanton
