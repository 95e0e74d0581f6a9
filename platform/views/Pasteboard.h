// Pasteboard: named pasteboards (general, find, drag) holding items, each item
// holding data under one or more type names. Whoever writes first clears the
// pasteboard, which raises its change count (the way watchers notice a copy),
// then adds items or writes to the first one. Readers ask for the first of
// several types they prefer, for strings, property lists, URLs, or for objects
// of the classes they can read.
//
// Plain text and HTML carry the desktop clipboard's interchange names, and a
// URL is a one-line "text/uri-list"; every other type is named by the program
// ("com.Orbendalworks.Brevanton.webarchive", ...). The headless view layer
// keeps the pasteboards in the process; a GUI backend can later mirror the
// general pasteboard to the desktop clipboard. Main thread only.
#pragma once

#include "platform/foundation/URL.h"
#include "platform/foundation/Value.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace brevanton {

inline constexpr const char16_t* PasteboardTypeString = u"text/plain;charset=utf-8";
inline constexpr const char16_t* PasteboardTypeHTML = u"text/html";
inline constexpr const char16_t* PasteboardTypeURL = u"text/uri-list";
inline constexpr const char16_t* PasteboardTypeURLName = u"com.Orbendalworks.Brevanton.url-name";

inline constexpr const char16_t* PasteboardNameGeneral = u"general";
inline constexpr const char16_t* PasteboardNameFind = u"find";
inline constexpr const char16_t* PasteboardNameDrag = u"drag";

class Pasteboard;

// One item: data under type names, in the order written.
class PasteboardItem {
public:
    PasteboardItem() = default;
    // An item holding the string as plain text.
    static PasteboardItem itemWithString(std::u16string_view);
    // An item holding the URL's absolute string, and the title when given.
    static PasteboardItem itemWithURL(const URL&, const std::optional<std::u16string>& title = std::nullopt);

    std::vector<std::u16string> types() const;
    bool hasType(std::u16string_view type) const { return find(type) != nullptr; }
    bool isEmpty() const { return m_entries.empty(); }
    // The first of `types` (in the caller's order of preference) this item holds.
    std::optional<std::u16string> availableTypeFromArray(const std::vector<std::u16string>& types) const;

    // Each replaces what the item held under the type. An empty type name is refused.
    [[nodiscard]] bool setData(Data, std::u16string_view type);
    // The string as UTF-8.
    [[nodiscard]] bool setString(std::u16string_view, std::u16string_view type);
    // A string as UTF-8 text, any other value as an XML property list; false
    // for a value a property list cannot hold (a null).
    [[nodiscard]] bool setPropertyList(const Value&, std::u16string_view type);

    std::optional<Data> dataForType(std::u16string_view type) const;
    // The data read as UTF-8 (a byte order mark skipped); nothing when the
    // type is absent or the data is not UTF-8.
    std::optional<std::u16string> stringForType(std::u16string_view type) const;
    // A property list when the data is one, else the string.
    std::optional<Value> propertyListForType(std::u16string_view type) const;

private:
    struct Entry {
        std::u16string type;
        Data data;
    };
    const Entry* find(std::u16string_view type) const;
    std::vector<Entry> m_entries;
};

// What an object writes to a pasteboard: the types it offers and, for each,
// a property list (a string is written as text).
class PasteboardWriting {
public:
    virtual ~PasteboardWriting() = default;
    virtual std::vector<std::u16string> writableTypesForPasteboard(const Pasteboard&) const = 0;
    virtual std::optional<Value> pasteboardPropertyListForType(std::u16string_view type) const = 0;
};

// The classes of objects a pasteboard can be read as.
enum class PasteboardReadingClass {
    String, // the item's plain text
    URL, // the absolute URLs of the item's URL list
};
using PasteboardObject = std::variant<std::u16string, URL>;

class Pasteboard {
public:
    static std::shared_ptr<Pasteboard> generalPasteboard();
    // One pasteboard per name for the life of the process.
    static std::shared_ptr<Pasteboard> pasteboardWithName(std::u16string_view name);

    const std::u16string& name() const { return m_name; }
    int64_t changeCount() const { return m_changeCount; }

    // Removes every item and raises the change count; answers the new count.
    int64_t clearContents();

    const std::vector<PasteboardItem>& pasteboardItems() const { return m_items; }
    // The types of all items, each once, in item order.
    std::vector<std::u16string> types() const;
    // The first of `types` (in the caller's order of preference) any item holds.
    std::optional<std::u16string> availableTypeFromArray(const std::vector<std::u16string>& types) const;
    bool canReadItemWithDataConformingToTypes(const std::vector<std::u16string>& types) const
    {
        return availableTypeFromArray(types).has_value();
    }

    // Writing to the first item, which is made when there is none.
    [[nodiscard]] bool setData(Data, std::u16string_view type);
    [[nodiscard]] bool setString(std::u16string_view, std::u16string_view type);
    [[nodiscard]] bool setPropertyList(const Value&, std::u16string_view type);

    // Adds the items after those already on the pasteboard; false, with
    // nothing added, when an item is empty or no items are given.
    [[nodiscard]] bool writeObjects(const std::vector<PasteboardItem>&);
    // Each object as an item of its writable types; an object whose types
    // give no property list fails the whole write.
    [[nodiscard]] bool writeObjects(const std::vector<std::shared_ptr<const PasteboardWriting>>&);

    // Reading from the first item that holds the type.
    std::optional<Data> dataForType(std::u16string_view type) const;
    std::optional<std::u16string> stringForType(std::u16string_view type) const;
    std::optional<Value> propertyListForType(std::u16string_view type) const;

    // For each item in order, the objects of the first class (in the
    // caller's order) that can read it; items no class reads are skipped.
    std::vector<PasteboardObject> readObjectsForClasses(const std::vector<PasteboardReadingClass>&) const;

    explicit Pasteboard(std::u16string name) : m_name(std::move(name)) {}

private:
    PasteboardItem& firstItem();

    std::u16string m_name;
    int64_t m_changeCount { 0 };
    std::vector<PasteboardItem> m_items;
};

// The absolute URLs of a "text/uri-list" (comment lines and lines that are
// no absolute URL skipped), and the list for URLs.
std::vector<URL> URLsFromURIList(std::u16string_view);
std::u16string URIListFromURLs(const std::vector<URL>&);

} // namespace brevanton
