// Dictionary: the keyed container of property-list values. Its entries live in
// one vector sorted by key in code unit order, so lookups are binary searches
// (a scan comparing key lengths first in a small one), iteration is in key
// order and a dictionary is one allocation. Inserting a key
// that sorts after every other one appends; building from many members at once
// goes through fromMembers(), which sorts once.
//
// Unlike a tree, inserting or erasing moves entries: references, pointers and
// iterators into a dictionary do not survive an insertion or an erasure.
//
// Include platform/foundation/Value.h, which completes Value and defines the
// members below.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace brevanton {

class Value;

class Dictionary {
public:
    using key_type = std::u16string;
    using mapped_type = Value;
    using value_type = std::pair<std::u16string, Value>;
    using Storage = std::vector<value_type>;
    using iterator = Storage::iterator;
    using const_iterator = Storage::const_iterator;
    using size_type = std::size_t;

    Dictionary() = default;
    // The first of repeated keys is kept, as insert() would.
    Dictionary(std::initializer_list<value_type>);
    template<typename Iterator> Dictionary(Iterator first, Iterator last);

    // Builds a dictionary from members in the order they were read; the last of
    // repeated keys is kept, as assigning them one by one would.
    static Dictionary fromMembers(Storage members);
    // The order that sorted the members of the last dictionary built with
    // it. Readers whose objects repeat their members in one order (each
    // post of a reply) keep one: members it sorts, free of repeats, are
    // placed by it without a sort.
    class MemberOrder {
        friend class Dictionary;
        std::array<uint8_t, 64> m_places {};
        size_t m_count { 0 };
    };
    // Moves the members out of a reader's own storage (left holding
    // moved-from entries) straight to their places in the dictionary's one
    // allocation.
    static Dictionary fromMembers(std::span<value_type> members, MemberOrder& lastOrder);

    iterator begin();
    iterator end();
    const_iterator begin() const;
    const_iterator end() const;
    const_iterator cbegin() const { return begin(); }
    const_iterator cend() const { return end(); }

    size_type size() const;
    bool empty() const;
    void clear();
    void reserve(size_type);

    iterator find(std::u16string_view key);
    const_iterator find(std::u16string_view key) const;
    size_type count(std::u16string_view key) const { return contains(key) ? 1 : 0; }
    bool contains(std::u16string_view key) const;
    iterator lower_bound(std::u16string_view key);
    const_iterator lower_bound(std::u16string_view key) const;

    // Throws std::out_of_range for a missing key.
    Value& at(std::u16string_view key);
    const Value& at(std::u16string_view key) const;

    Value& operator[](std::u16string_view key);

    std::pair<iterator, bool> insert(value_type entry);
    template<typename Iterator> void insert(Iterator first, Iterator last);
    void insert(std::initializer_list<value_type>);

    template<typename... Arguments>
    std::pair<iterator, bool> try_emplace(std::u16string_view key, Arguments&&... arguments);
    template<typename Key, typename... Arguments>
    std::pair<iterator, bool> emplace(Key&& key, Arguments&&... arguments);
    template<typename V>
    std::pair<iterator, bool> insert_or_assign(std::u16string_view key, V&& value);

    size_type erase(std::u16string_view key);
    iterator erase(const_iterator position);
    iterator erase(const_iterator first, const_iterator last);

    void swap(Dictionary& other) noexcept;

    friend bool operator==(const Dictionary&, const Dictionary&);
    template<typename Predicate> friend size_type erase_if(Dictionary&, Predicate);

private:
    // Dictionaries of at most this many entries are scanned by find(), not searched.
    static constexpr size_type LinearLookupSize = 16;
    // Where key is or would go, and whether it is there.
    std::pair<iterator, bool> slot(std::u16string_view key);
    enum class RepeatedKeys { KeepFirst, KeepLast };
    void sortAndDropRepeats(RepeatedKeys, MemberOrder* lastOrder = nullptr);

    Storage m_entries;
};

} // namespace brevanton
