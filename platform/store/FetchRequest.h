// FetchRequest: which objects of an entity a context answers, in which order
// and how many. Sorts compare by key path, case-sensitively unless asked;
// unset values come first; ties are broken by object id.
#pragma once

#include "platform/store/Predicate.h"

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace brevanton {

struct SortDescriptor {
    std::u16string keyPath;
    bool ascending { true };
    bool caseInsensitive { false };
};

class FetchRequest {
public:
    explicit FetchRequest(std::u16string entityName) : m_entityName(std::move(entityName)) {}

    const std::u16string& entityName() const { return m_entityName; }

    const std::optional<Predicate>& predicate() const { return m_predicate; }
    void setPredicate(std::optional<Predicate> predicate) { m_predicate = std::move(predicate); }

    const std::vector<SortDescriptor>& sortDescriptors() const { return m_sortDescriptors; }
    void setSortDescriptors(std::vector<SortDescriptor> sorts) { m_sortDescriptors = std::move(sorts); }

    // 0: no limit.
    size_t fetchLimit() const { return m_fetchLimit; }
    void setFetchLimit(size_t limit) { m_fetchLimit = limit; }

private:
    std::u16string m_entityName;
    std::optional<Predicate> m_predicate;
    std::vector<SortDescriptor> m_sortDescriptors;
    size_t m_fetchLimit { 0 };
};

} // namespace brevanton
