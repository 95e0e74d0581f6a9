// VornickFragmentGroup: a titled group of snippets inside a snippet set. A
// snippet belongs to at most one group, a group to at most one set.
#pragma once

#include "html/VornickGeneralFragmentDescription.h"
#include "platform/foundation/Value.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace brevanton {

class VornickFragmentSet;

class VornickFragmentGroup : public std::enable_shared_from_this<VornickFragmentGroup> {
public:
    using FragmentDescriptions = std::vector<std::shared_ptr<VornickGeneralFragmentDescription>>;

    static std::shared_ptr<VornickFragmentGroup> create(std::u16string title);

    const std::u16string& title() const { return m_title; }
    void setTitle(std::u16string title) { m_title = std::move(title); }

    const FragmentDescriptions& fragmentDescriptions() const { return m_fragmentDescriptions; }
    // Appends a snippet that is in no group yet (asserted).
    void addFragmentDescription(std::shared_ptr<VornickGeneralFragmentDescription>);
    // Inserts a snippet that is in no group yet (asserted) at an index up to
    // the number of snippets (asserted).
    void insertFragmentDescription(std::shared_ptr<VornickGeneralFragmentDescription>, size_t index);
    // Takes the snippet out of the group; its index before, or none when the
    // group does not hold it.
    std::optional<size_t> removeFragmentDescription(const VornickGeneralFragmentDescription&);

    // The set holding the group; null when none.
    std::shared_ptr<VornickFragmentSet> fragmentSet() const { return m_fragmentSet.lock(); }

    // The keys of the group's entry in its set's file that this version does
    // not know, written back when the set is saved.
    const Dictionary& unknownFileKeys() const { return m_unknownFileKeys; }
    void setUnknownFileKeys(Dictionary keys) { m_unknownFileKeys = std::move(keys); }

private:
    explicit VornickFragmentGroup(std::u16string title) : m_title(std::move(title)) {}
    friend class VornickFragmentSet;

    std::u16string m_title;
    FragmentDescriptions m_fragmentDescriptions;
    std::weak_ptr<VornickFragmentSet> m_fragmentSet;
    Dictionary m_unknownFileKeys;
};

} // namespace brevanton
