// ManagedObjectID: the permanent identity of a stored object, given when it is
// inserted and never given again in the same store: the store's identifier,
// the entity and a number. Its URI representation names all three, so that it
// resolves in no other store.
#pragma once

#include "platform/foundation/URL.h"

#include <cstdint>
#include <string>

namespace brevanton {

class ManagedObjectID {
public:
    ManagedObjectID() = default;
    ManagedObjectID(std::u16string storeIdentifier, std::u16string entityName, int64_t number)
        : m_storeIdentifier(std::move(storeIdentifier)), m_entityName(std::move(entityName)), m_number(number) {}

    bool isEmpty() const { return m_number == 0; }
    const std::u16string& storeIdentifier() const { return m_storeIdentifier; }
    const std::u16string& entityName() const { return m_entityName; }
    int64_t number() const { return m_number; }

    // "x-brevanton-store://<store identifier>/<entity>/p<number>".
    URL URIRepresentation() const;
    std::u16string URIString() const;

    friend bool operator==(const ManagedObjectID&, const ManagedObjectID&) = default;
    friend auto operator<=>(const ManagedObjectID& a, const ManagedObjectID& b)
    {
        if (auto order = a.m_number <=> b.m_number; order != 0)
            return order;
        if (auto order = a.m_entityName.compare(b.m_entityName); order != 0)
            return order <=> 0;
        return a.m_storeIdentifier.compare(b.m_storeIdentifier) <=> 0;
    }

private:
    std::u16string m_storeIdentifier;
    std::u16string m_entityName;
    int64_t m_number { 0 };
};

// The scheme of object URIs.
inline constexpr const char16_t* ManagedObjectURIScheme = u"x-brevanton-store";

} // namespace brevanton
