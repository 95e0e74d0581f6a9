// The parsed form of a Predicate, and its evaluation on objects with key
// paths resolved once per entity.
#pragma once

#include "platform/store/FetchRequest.h"
#include "platform/store/Predicate.h"

#include <memory>
#include <string>
#include <vector>

namespace brevanton {

class ManagedObject;
class EntityDescription;

struct Predicate::Node {
    enum class Kind { True, False, And, Or, Not, Comparison };
    Kind kind { Kind::True };
    std::vector<std::shared_ptr<const Node>> children;
    // Comparisons.
    std::vector<std::u16string> keyPath;
    PredicateOperator op { PredicateOperator::EqualTo };
    bool caseInsensitive { false };
    bool any { false };
    PredicateArgument value;
};

// One step of a key path resolved on an entity.
struct KeyPathStep {
    bool isAttribute { true };
    int index { -1 };
    bool toMany { false };
    const EntityDescription* destination { nullptr };
};

// Resolves `keyPath` on `entity`; false with an Error when a key is unknown,
// when an attribute is followed by more keys, or when a to-many relationship
// is not the last key (and `allowToMany` is false: ANY allows one).
[[nodiscard]] bool resolveKeyPath(const EntityDescription& entity, const std::vector<std::u16string>& keyPath,
                                  bool allowToMany, std::vector<KeyPathStep>& steps, Error* outError);

// A predicate bound to an entity: key paths resolved, string arguments folded.
class BoundPredicate {
public:
    [[nodiscard]] static std::unique_ptr<BoundPredicate> bind(const Predicate&, const EntityDescription&, Error* outError);
    ~BoundPredicate();
    bool evaluate(const ManagedObject&) const;

    struct Node;
    const Node& root() const { return *m_root; }

private:
    BoundPredicate() = default;
    std::unique_ptr<Node> m_root;
};

struct BoundPredicate::Node {
    enum class Argument { Null, Value, Object, Objects };
    Predicate::Node::Kind kind { Predicate::Node::Kind::True };
    std::vector<std::unique_ptr<Node>> children;
    std::vector<KeyPathStep> steps;
    PredicateOperator op { PredicateOperator::EqualTo };
    bool caseInsensitive { false };
    Argument argument { Argument::Null };
    Value value; // strings folded when case-insensitive; IN arrays element by element
    std::vector<int64_t> numbers; // sorted object numbers (Object, Objects)
};

// Splits "a.b.c" into keys.
std::vector<std::u16string> splitKeyPath(std::u16string_view keyPath);

// Case folding for [c] comparisons and case-insensitive sorts.
std::u16string foldedForComparison(std::u16string_view text);
// Whether `haystack` folded contains `foldedNeedle` (CONTAINS[c]).
bool containsFolded(std::u16string_view haystack, std::u16string_view foldedNeedle);

// Comparison of two attribute values for sorting: null first, then numbers,
// dates and strings in their order (strings by code unit, folded case or the
// user's collation); -1, 0 or 1.
int compareValuesForSort(const Value& a, const Value& b, SortComparison);

} // namespace brevanton
