// Predicate: a condition on the objects of an entity, parsed from the format
// syntax or built. The format syntax knows:
//   key paths (`title`, to-one paths such as `status.identifier`), `%K` for a
//   key path argument, `%@` for a value argument (a property-list value, an
//   object, or a collection of objects), literals ('text', "text", numbers,
//   YES/NO/TRUE/FALSE, nil/NULL), comparisons `==` `=` `!=` `<>` `<` `<=`
//   `>` `>=` `CONTAINS` `BEGINSWITH` `IN`, the options `[c]` (ignore case),
//   `ANY`/`SOME` before a to-many key path, `NOT`/`!`, `AND`/`&&`, `OR`/`||`,
//   parentheses, TRUEPREDICATE and FALSEPREDICATE.
// Text that does not parse is an Error: never a predicate that matches all.
// A comparison with nil matches an unset value (== nil) or a set one (!= nil);
// ordering comparisons never match an unset value.
#pragma once

#include "platform/foundation/Error.h"
#include "platform/foundation/Value.h"

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace brevanton {

class ManagedObject;
class EntityDescription;

// A `%@` or `%K` argument, or the value side of a built comparison.
using PredicateArgument = std::variant<Value, std::shared_ptr<ManagedObject>, std::vector<std::shared_ptr<ManagedObject>>>;

enum class PredicateOperator {
    EqualTo,
    NotEqualTo,
    LessThan,
    LessThanOrEqualTo,
    GreaterThan,
    GreaterThanOrEqualTo,
    Contains,
    BeginsWith,
    In,
};

class Predicate {
public:
    struct Node;

    [[nodiscard]] static std::optional<Predicate> predicateWithFormat(std::u16string_view format,
                                                                      const std::vector<PredicateArgument>& arguments,
                                                                      Error* outError);
    [[nodiscard]] static std::optional<Predicate> predicateWithFormat(std::u16string_view format, Error* outError)
    {
        return predicateWithFormat(format, {}, outError);
    }

    static Predicate truePredicate();
    static Predicate falsePredicate();
    // keyPath op value; `any` compares each object of a to-many key path
    // (the path's last key is then read from each of them).
    static Predicate comparison(std::u16string keyPath, PredicateOperator, PredicateArgument value,
                                bool caseInsensitive = false, bool any = false);
    static Predicate andPredicate(std::vector<Predicate>);
    static Predicate orPredicate(std::vector<Predicate>);
    static Predicate notPredicate(Predicate);

    bool evaluate(const ManagedObject&) const;

    // Asserts nothing: answers false with an Error when a key path names no
    // attribute or relationship of `entity` (or goes through a to-many
    // relationship without ANY).
    [[nodiscard]] bool validateForEntity(const EntityDescription& entity, Error* outError) const;

    // A readable form of the predicate (for logs and test failures).
    std::u16string predicateFormat() const;

    const Node& root() const { return *m_root; }

private:
    explicit Predicate(std::shared_ptr<const Node> root) : m_root(std::move(root)) {}
    std::shared_ptr<const Node> m_root;
};

} // namespace brevanton
