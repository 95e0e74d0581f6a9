#include "platform/views/Pasteboard.h"

#include "platform/foundation/PropertyList.h"
#include "platform/foundation/Text.h"

#include <algorithm>
#include <map>

namespace brevanton {

namespace {

Data utf8Data(std::u16string_view string)
{
    std::string utf8 = toUTF8(string);
    return Data(utf8.begin(), utf8.end());
}

std::optional<std::u16string> decodeUTF8(const Data& data)
{
    std::string_view bytes(reinterpret_cast<const char*>(data.data()), data.size());
    if (bytes.starts_with("\xEF\xBB\xBF"))
        bytes.remove_prefix(3);
    std::u16string string;
    if (!decodeUTF8Strictly(bytes, string))
        return std::nullopt;
    return string;
}

} // namespace

// --- Items

PasteboardItem PasteboardItem::itemWithString(std::u16string_view string)
{
    PasteboardItem item;
    (void)item.setString(string, PasteboardTypeString);
    return item;
}

PasteboardItem PasteboardItem::itemWithURL(const URL& url, const std::optional<std::u16string>& title)
{
    PasteboardItem item;
    (void)item.setString(URIListFromURLs({ url }), PasteboardTypeURL);
    if (title)
        (void)item.setString(*title, PasteboardTypeURLName);
    return item;
}

const PasteboardItem::Entry* PasteboardItem::find(std::u16string_view type) const
{
    auto found = std::find_if(m_entries.begin(), m_entries.end(), [&](const Entry& entry) { return entry.type == type; });
    return found == m_entries.end() ? nullptr : &*found;
}

std::vector<std::u16string> PasteboardItem::types() const
{
    std::vector<std::u16string> types;
    types.reserve(m_entries.size());
    for (auto& entry : m_entries)
        types.push_back(entry.type);
    return types;
}

std::optional<std::u16string> PasteboardItem::availableTypeFromArray(const std::vector<std::u16string>& types) const
{
    for (auto& type : types) {
        if (hasType(type))
            return type;
    }
    return std::nullopt;
}

bool PasteboardItem::setData(Data data, std::u16string_view type)
{
    if (type.empty())
        return false;
    if (auto* entry = const_cast<Entry*>(find(type)))
        entry->data = std::move(data);
    else
        m_entries.push_back({ std::u16string(type), std::move(data) });
    return true;
}

bool PasteboardItem::setString(std::u16string_view string, std::u16string_view type)
{
    return setData(utf8Data(string), type);
}

bool PasteboardItem::setPropertyList(const Value& value, std::u16string_view type)
{
    if (value.isString())
        return setString(value.string(), type);
    auto data = writePropertyList(value, PropertyListFormat::XML, nullptr);
    return data && setData(std::move(*data), type);
}

std::optional<Data> PasteboardItem::dataForType(std::u16string_view type) const
{
    auto* entry = find(type);
    return entry ? std::optional<Data>(entry->data) : std::nullopt;
}

std::optional<std::u16string> PasteboardItem::stringForType(std::u16string_view type) const
{
    auto* entry = find(type);
    return entry ? decodeUTF8(entry->data) : std::nullopt;
}

std::optional<Value> PasteboardItem::propertyListForType(std::u16string_view type) const
{
    auto* entry = find(type);
    if (!entry)
        return std::nullopt;
    std::string_view bytes(reinterpret_cast<const char*>(entry->data.data()), entry->data.size());
    if (looksLikePropertyList(bytes)) {
        if (auto value = readPropertyList(bytes, nullptr))
            return value;
    }
    if (auto string = decodeUTF8(entry->data))
        return Value(std::move(*string));
    return std::nullopt;
}

// --- Pasteboards

std::shared_ptr<Pasteboard> Pasteboard::generalPasteboard()
{
    return pasteboardWithName(PasteboardNameGeneral);
}

std::shared_ptr<Pasteboard> Pasteboard::pasteboardWithName(std::u16string_view name)
{
    static std::map<std::u16string, std::shared_ptr<Pasteboard>, std::less<>> pasteboards;
    auto found = pasteboards.find(name);
    if (found != pasteboards.end())
        return found->second;
    auto pasteboard = std::make_shared<Pasteboard>(std::u16string(name));
    pasteboards.emplace(std::u16string(name), pasteboard);
    return pasteboard;
}

int64_t Pasteboard::clearContents()
{
    m_items.clear();
    return ++m_changeCount;
}

std::vector<std::u16string> Pasteboard::types() const
{
    std::vector<std::u16string> types;
    for (auto& item : m_items) {
        for (auto& type : item.types()) {
            if (std::find(types.begin(), types.end(), type) == types.end())
                types.push_back(type);
        }
    }
    return types;
}

std::optional<std::u16string> Pasteboard::availableTypeFromArray(const std::vector<std::u16string>& types) const
{
    for (auto& type : types) {
        for (auto& item : m_items) {
            if (item.hasType(type))
                return type;
        }
    }
    return std::nullopt;
}

PasteboardItem& Pasteboard::firstItem()
{
    if (m_items.empty())
        m_items.emplace_back();
    return m_items.front();
}

bool Pasteboard::setData(Data data, std::u16string_view type)
{
    return !type.empty() && firstItem().setData(std::move(data), type);
}

bool Pasteboard::setString(std::u16string_view string, std::u16string_view type)
{
    return !type.empty() && firstItem().setString(string, type);
}

bool Pasteboard::setPropertyList(const Value& value, std::u16string_view type)
{
    if (type.empty())
        return false;
    PasteboardItem written;
    if (!written.setPropertyList(value, type))
        return false;
    return firstItem().setData(*written.dataForType(type), type);
}

bool Pasteboard::writeObjects(const std::vector<PasteboardItem>& items)
{
    if (items.empty() || std::any_of(items.begin(), items.end(), [](auto& item) { return item.isEmpty(); }))
        return false;
    m_items.insert(m_items.end(), items.begin(), items.end());
    return true;
}

bool Pasteboard::writeObjects(const std::vector<std::shared_ptr<const PasteboardWriting>>& objects)
{
    std::vector<PasteboardItem> items;
    for (auto& object : objects) {
        if (!object)
            return false;
        PasteboardItem item;
        for (auto& type : object->writableTypesForPasteboard(*this)) {
            auto value = object->pasteboardPropertyListForType(type);
            if (!value || !item.setPropertyList(*value, type))
                return false;
        }
        items.push_back(std::move(item));
    }
    return writeObjects(items);
}

std::optional<Data> Pasteboard::dataForType(std::u16string_view type) const
{
    for (auto& item : m_items) {
        if (item.hasType(type))
            return item.dataForType(type);
    }
    return std::nullopt;
}

std::optional<std::u16string> Pasteboard::stringForType(std::u16string_view type) const
{
    for (auto& item : m_items) {
        if (item.hasType(type))
            return item.stringForType(type);
    }
    return std::nullopt;
}

std::optional<Value> Pasteboard::propertyListForType(std::u16string_view type) const
{
    for (auto& item : m_items) {
        if (item.hasType(type))
            return item.propertyListForType(type);
    }
    return std::nullopt;
}

std::vector<PasteboardObject> Pasteboard::readObjectsForClasses(const std::vector<PasteboardReadingClass>& classes) const
{
    std::vector<PasteboardObject> objects;
    for (auto& item : m_items) {
        for (auto readingClass : classes) {
            if (readingClass == PasteboardReadingClass::String) {
                if (auto string = item.stringForType(PasteboardTypeString)) {
                    objects.emplace_back(std::move(*string));
                    break;
                }
            } else if (auto list = item.stringForType(PasteboardTypeURL)) {
                auto urls = URLsFromURIList(*list);
                if (!urls.empty()) {
                    objects.insert(objects.end(), urls.begin(), urls.end());
                    break;
                }
            }
        }
    }
    return objects;
}

// --- URL lists

std::vector<URL> URLsFromURIList(std::u16string_view list)
{
    std::vector<URL> urls;
    while (!list.empty()) {
        size_t end = list.find_first_of(u"\r\n");
        std::u16string_view line = list.substr(0, end);
        list.remove_prefix(end == std::u16string_view::npos ? list.size() : end + 1);
        while (!line.empty() && isHTMLWhitespace(line.front()))
            line.remove_prefix(1);
        while (!line.empty() && isHTMLWhitespace(line.back()))
            line.remove_suffix(1);
        if (line.empty() || line.front() == u'#')
            continue;
        auto url = URL::create(line);
        if (url && !url->scheme().empty())
            urls.push_back(std::move(*url));
    }
    return urls;
}

std::u16string URIListFromURLs(const std::vector<URL>& urls)
{
    std::u16string list;
    for (auto& url : urls) {
        list += url.absoluteString();
        list += u"\r\n";
    }
    return list;
}

} // namespace brevanton
