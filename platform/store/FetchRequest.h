// FetchRequest: which objects of an entity a context answers, in which order
// and how many. Sorts compare by key path, strings by code unit unless asked
// to ignore case or to follow the user's collation; unset values come first;
// ties are broken by the next sort, then by object id.
#pragma once

#include "platform/store/Predicate.h"

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace brevanton {

// How a sort compares two strings (other values compare by their kind's order).
enum class SortComparison {
    Exact,
    CaseInsensitive,
    // The user's collation, case ignored (titles in lists).
    LocalizedCaseInsensitive,
};

struct SortDescriptor {
    std::u16string keyPath;
    bool ascending { true };
    bool caseInsensitive { false };
    // Wins over caseInsensitive when not Exact.
    SortComparison comparison { SortComparison::Exact };

    SortComparison effectiveComparison() const
    {
        if (comparison != SortComparison::Exact)
            return comparison;
        return caseInsensitive ? SortComparison::CaseInsensitive : SortComparison::Exact;
    }
    friend bool operator==(const SortDescriptor&, const SortDescriptor&) = default;
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
