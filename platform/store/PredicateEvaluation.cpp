// Evaluation of predicates on objects in memory, so that fetches see a
// context's unsaved changes.
#include "platform/store/PredicateNode.h"

#include "platform/store/ManagedObject.h"
#include "platform/store/ManagedObjectModel.h"
#include "platform/store/PersistentStore.h"
#include "platform/store/StoreObjectAccess.h"
#include "platform/foundation/Collation.h"
#include "platform/foundation/Text.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace brevanton {

BoundPredicate::~BoundPredicate() = default;

static bool isASCII(std::u16string_view text)
{
    for (char16_t c : text) {
        if (c >= 0x80)
            return false;
    }
    return true;
}

std::u16string foldedForComparison(std::u16string_view text)
{
    if (isASCII(text))
        return asciiLowercase(text);
    return lowercase(text);
}

static Value foldedValue(const Value& value)
{
    if (value.isString())
        return Value(foldedForComparison(value.string()));
    if (value.isArray()) {
        Array folded;
        for (auto& element : value.array())
            folded.push_back(foldedValue(element));
        return Value(std::move(folded));
    }
    return value;
}

static char16_t asciiLowered(char16_t c)
{
    return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c + 32) : c;
}

// Whether lowering the text's case may give ASCII letters from other
// characters (the capital I with a dot above and the Kelvin sign do).
static bool lowersIntoASCIIFromBeyond(std::u16string_view text)
{
    auto isOne = [](char16_t c) { return c == 0x0130 || c == 0x212A; };
    // Both lie beyond U+00FF: four characters at a time, and only those
    // with a high byte are looked at (the mask fits either byte order).
    size_t i = 0;
    for (; i + 4 <= text.size(); i += 4) {
        uint64_t chunk;
        std::memcpy(&chunk, text.data() + i, sizeof chunk);
        if (!(chunk & 0xFF00FF00FF00FF00ull))
            continue;
        if (isOne(text[i]) || isOne(text[i + 1]) || isOne(text[i + 2]) || isOne(text[i + 3]))
            return true;
    }
    for (; i < text.size(); ++i) {
        if (isOne(text[i]))
            return true;
    }
    return false;
}

// Whether the text at `at`, its ASCII letters lowered, is the lowered needle.
static bool matchesLoweredAt(const char16_t* at, std::u16string_view needle)
{
    for (size_t j = 0; j < needle.size(); ++j) {
        if (asciiLowered(at[j]) != needle[j])
            return false;
    }
    return true;
}

// Whether the text, its ASCII letters lowered in place, contains the
// lowered ASCII needle. Eight places are tried at a time: only those whose
// first and last characters are the needle's are compared whole, and no
// step waits on the one before (where a skipping search would).
static bool containsASCIINeedle(std::u16string_view haystack, std::u16string_view needle)
{
    size_t m = needle.size();
    if (m > haystack.size())
        return false;
#if defined(__SSE2__)
    const char16_t* text = haystack.data();
    const size_t length = haystack.size();
    const __m128i first = _mm_set1_epi16(static_cast<short>(needle[0]));
    const __m128i last = _mm_set1_epi16(static_cast<short>(needle[m - 1]));
    // Signed lanes: characters from U+8000 on are negative, never capitals.
    const __m128i beforeA = _mm_set1_epi16(static_cast<short>(u'A' - 1));
    const __m128i afterZ = _mm_set1_epi16(static_cast<short>(u'Z' + 1));
    const __m128i caseBit = _mm_set1_epi16(32);
    auto lowered = [&](const char16_t* at) {
        __m128i units = _mm_loadu_si128(reinterpret_cast<const __m128i*>(at));
        __m128i capitals = _mm_and_si128(_mm_cmpgt_epi16(units, beforeA), _mm_cmplt_epi16(units, afterZ));
        return _mm_add_epi16(units, _mm_and_si128(capitals, caseBit));
    };
    size_t start = 0;
    for (; start + m - 1 + 8 <= length; start += 8) {
        __m128i firstMatches = _mm_cmpeq_epi16(lowered(text + start), first);
        __m128i lastMatches = _mm_cmpeq_epi16(lowered(text + start + m - 1), last);
        // Two bits a place.
        unsigned candidates = static_cast<unsigned>(_mm_movemask_epi8(_mm_and_si128(firstMatches, lastMatches)));
        while (candidates) {
            unsigned bit = static_cast<unsigned>(__builtin_ctz(candidates));
            if (matchesLoweredAt(text + start + bit / 2, needle))
                return true;
            candidates &= ~(3u << bit);
        }
    }
    for (; start + m <= length; ++start) {
        if (matchesLoweredAt(text + start, needle))
            return true;
    }
    return false;
#else
    uint8_t skip[128];
    uint8_t longest = static_cast<uint8_t>(std::min<size_t>(m, 255));
    std::fill(std::begin(skip), std::end(skip), longest);
    for (size_t i = 0; i + 1 < m; ++i)
        skip[needle[i]] = static_cast<uint8_t>(std::min<size_t>(m - 1 - i, 255));
    char16_t last = needle[m - 1];
    for (size_t end = m - 1; end < haystack.size();) {
        char16_t c = asciiLowered(haystack[end]);
        if (c == last) {
            size_t j = 0;
            while (j + 1 < m && asciiLowered(haystack[end - m + 1 + j]) == needle[j])
                ++j;
            if (j + 1 == m)
                return true;
        }
        end += c < 128 ? skip[c] : longest;
    }
    return false;
#endif
}

bool containsFolded(std::u16string_view haystack, std::u16string_view foldedNeedle)
{
    if (foldedNeedle.empty())
        return true;
    // An ASCII needle matches only ASCII letters, which lower in place: no
    // lowered copy of the text is made (post bodies are long, and searched
    // at each keystroke), unless it holds letters that lower into ASCII.
    if (isASCII(foldedNeedle)) {
        if (containsASCIINeedle(haystack, foldedNeedle))
            return true;
        if (!lowersIntoASCIIFromBeyond(haystack))
            return false;
    } else if (isASCII(haystack)) {
        return false;
    }
    return lowercase(haystack).find(foldedNeedle) != std::u16string::npos;
}

bool resolveKeyPath(const EntityDescription& entity, const std::vector<std::u16string>& keyPath, bool allowToMany,
                    std::vector<KeyPathStep>& steps, Error* outError)
{
    const EntityDescription* current = &entity;
    bool usedToMany = false;
    auto fail = [&](const std::string& message) {
        std::u16string path;
        for (auto& key : keyPath)
            path += (path.empty() ? u"" : u".") + key;
        return setError(outError, Error(PersistentStoreErrorDomain, PersistentStoreFetchError,
                                        toUTF16("Key path \"" + toUTF8(path) + "\" of entity " + toUTF8(entity.name()) + ": " + message)));
    };
    if (keyPath.empty())
        return fail("empty key path");
    for (size_t i = 0; i < keyPath.size(); ++i) {
        if (!current)
            return fail("a key follows an attribute");
        KeyPathStep step;
        if (int index = current->attributeIndex(keyPath[i]); index >= 0) {
            step.isAttribute = true;
            step.index = index;
            current = nullptr;
        } else if (int index = current->relationshipIndex(keyPath[i]); index >= 0) {
            const RelationshipDescription& relationship = current->relationships()[index];
            step.isAttribute = false;
            step.index = index;
            step.toMany = relationship.toMany;
            if (step.toMany) {
                if (!allowToMany || usedToMany)
                    return fail("a to-many relationship needs ANY");
                usedToMany = true;
            }
            step.destination = current->destinationEntity(relationship);
            if (!step.destination)
                return fail("no destination entity");
            current = step.destination;
        } else {
            return fail("no attribute or relationship \"" + toUTF8(keyPath[i]) + "\"");
        }
        steps.push_back(step);
    }
    return true;
}


static std::unique_ptr<BoundPredicate::Node> bindNode(const Predicate::Node& node, const EntityDescription& entity, Error* outError)
{
    auto bound = std::make_unique<BoundPredicate::Node>();
    bound->kind = node.kind;
    for (auto& child : node.children) {
        auto boundChild = bindNode(*child, entity, outError);
        if (!boundChild)
            return nullptr;
        bound->children.push_back(std::move(boundChild));
    }
    if (node.kind != Predicate::Node::Kind::Comparison)
        return bound;

    if (!resolveKeyPath(entity, node.keyPath, node.any, bound->steps, outError))
        return nullptr;
    bool hasToMany = std::any_of(bound->steps.begin(), bound->steps.end(), [](auto& step) { return step.toMany; });
    if (node.any && !hasToMany)
        return setError(outError, Error(PersistentStoreErrorDomain, PersistentStoreFetchError,
                                        u"ANY needs a key path through a to-many relationship")),
               nullptr;
    bound->op = node.op;
    bound->caseInsensitive = node.caseInsensitive;
    if (auto value = std::get_if<Value>(&node.value)) {
        if (value->isNull()) {
            bound->argument = BoundPredicate::Node::Argument::Null;
        } else {
            bound->argument = BoundPredicate::Node::Argument::Value;
            bound->value = node.caseInsensitive ? foldedValue(*value) : *value;
        }
    } else if (auto object = std::get_if<std::shared_ptr<ManagedObject>>(&node.value)) {
        if (*object) {
            bound->argument = BoundPredicate::Node::Argument::Object;
            bound->numbers.push_back((*object)->objectID().number());
        } else {
            bound->argument = BoundPredicate::Node::Argument::Null;
        }
    } else {
        bound->argument = BoundPredicate::Node::Argument::Objects;
        for (auto& element : std::get<std::vector<std::shared_ptr<ManagedObject>>>(node.value)) {
            if (element)
                bound->numbers.push_back(element->objectID().number());
        }
        std::sort(bound->numbers.begin(), bound->numbers.end());
    }
    return bound;
}

std::unique_ptr<BoundPredicate> BoundPredicate::bind(const Predicate& predicate, const EntityDescription& entity, Error* outError)
{
    auto root = bindNode(predicate.root(), entity, outError);
    if (!root)
        return nullptr;
    std::unique_ptr<BoundPredicate> bound(new BoundPredicate);
    bound->m_root = std::move(root);
    return bound;
}

namespace {

// One value the left side of a comparison reads: an attribute value, or an
// object (null: none) at the end of a relationship key path.
struct Operand {
    const Value* value { nullptr };
    const ManagedObject* object { nullptr };
    bool isObject { false };
    bool isNil() const { return isObject ? !object : (!value || value->isNull()); }
};

int compareScalars(const Value& a, const Value& b, bool& comparable)
{
    comparable = true;
    if (a.isNumber() && b.isNumber()) {
        double x = a.doubleValue(), y = b.doubleValue();
        return x < y ? -1 : (x > y ? 1 : 0);
    }
    if (a.isDate() && b.isDate()) {
        double x = a.date().timeIntervalSince1970(), y = b.date().timeIntervalSince1970();
        return x < y ? -1 : (x > y ? 1 : 0);
    }
    if (a.isString() && b.isString()) {
        int order = a.string().compare(b.string());
        return order < 0 ? -1 : (order > 0 ? 1 : 0);
    }
    if (a.type() == b.type())
        return a == b ? 0 : (comparable = false, 0);
    comparable = false;
    return 0;
}

bool valuesEqual(const Value& left, const Value& right, bool caseInsensitive)
{
    if (caseInsensitive && left.isString() && right.isString())
        return foldedForComparison(left.string()) == right.string();
    bool comparable = false;
    int order = compareScalars(left, right, comparable);
    return comparable && order == 0;
}

bool compareOperand(const Operand& operand, const BoundPredicate::Node& node)
{
    using Argument = BoundPredicate::Node::Argument;
    switch (node.argument) {
    case Argument::Null:
        if (node.op == PredicateOperator::EqualTo)
            return operand.isNil();
        if (node.op == PredicateOperator::NotEqualTo)
            return !operand.isNil();
        return false;
    case Argument::Object:
    case Argument::Objects: {
        bool found = operand.isObject && operand.object
            && std::binary_search(node.numbers.begin(), node.numbers.end(), StoreObjectAccess::number(*operand.object));
        if (node.op == PredicateOperator::EqualTo || node.op == PredicateOperator::In)
            return found;
        if (node.op == PredicateOperator::NotEqualTo)
            return !found;
        return false;
    }
    case Argument::Value:
        break;
    }
    if (operand.isObject)
        return node.op == PredicateOperator::NotEqualTo;
    if (operand.isNil())
        return node.op == PredicateOperator::NotEqualTo;
    const Value& left = *operand.value;
    const Value& right = node.value;
    switch (node.op) {
    case PredicateOperator::EqualTo:
        return valuesEqual(left, right, node.caseInsensitive);
    case PredicateOperator::NotEqualTo:
        return !valuesEqual(left, right, node.caseInsensitive);
    case PredicateOperator::LessThan:
    case PredicateOperator::LessThanOrEqualTo:
    case PredicateOperator::GreaterThan:
    case PredicateOperator::GreaterThanOrEqualTo: {
        bool comparable = false;
        int order = 0;
        if (node.caseInsensitive && left.isString() && right.isString()) {
            int raw = foldedForComparison(left.string()).compare(right.string());
            order = raw < 0 ? -1 : (raw > 0 ? 1 : 0);
            comparable = true;
        } else {
            order = compareScalars(left, right, comparable);
        }
        if (!comparable)
            return false;
        switch (node.op) {
        case PredicateOperator::LessThan: return order < 0;
        case PredicateOperator::LessThanOrEqualTo: return order <= 0;
        case PredicateOperator::GreaterThan: return order > 0;
        default: return order >= 0;
        }
    }
    case PredicateOperator::Contains:
        if (!left.isString() || !right.isString())
            return false;
        if (node.caseInsensitive)
            return containsFolded(left.string(), right.string());
        return left.string().find(right.string()) != std::u16string::npos;
    case PredicateOperator::BeginsWith:
        if (!left.isString() || !right.isString())
            return false;
        if (node.caseInsensitive)
            return foldedForComparison(left.string()).starts_with(right.string());
        return left.string().starts_with(right.string());
    case PredicateOperator::In:
        if (right.isArray()) {
            for (auto& element : right.array()) {
                if (valuesEqual(left, element, node.caseInsensitive))
                    return true;
            }
        }
        return false;
    }
    return false;
}

// Walks the key path from `object` and tests every operand it reaches;
// answers whether any passes (there is one operand unless the path goes
// through a to-many relationship).
bool testPath(const ManagedObject* object, const BoundPredicate::Node& node, size_t stepIndex)
{
    if (!object)
        return compareOperand(Operand { nullptr, nullptr, false }, node);
    const KeyPathStep& step = node.steps[stepIndex];
    bool last = stepIndex + 1 == node.steps.size();
    if (step.isAttribute)
        return compareOperand(Operand { &StoreObjectAccess::attribute(*object, step.index), nullptr, false }, node);
    using Argument = BoundPredicate::Node::Argument;
    bool comparesObjects = node.argument == Argument::Object || node.argument == Argument::Objects;
    if (!step.toMany) {
        if (last && comparesObjects) {
            // Object comparisons need only the destination's number.
            int64_t number = StoreObjectAccess::toOneNumber(*object, step.index);
            bool found = number && std::binary_search(node.numbers.begin(), node.numbers.end(), number);
            return node.op == PredicateOperator::NotEqualTo ? !found
                : (node.op == PredicateOperator::EqualTo || node.op == PredicateOperator::In) && found;
        }
        ManagedObject* destination = StoreObjectAccess::toOne(*object, step.index);
        if (last)
            return compareOperand(Operand { nullptr, destination, true }, node);
        return testPath(destination, node, stepIndex + 1);
    }
    if (last && comparesObjects && node.op != PredicateOperator::NotEqualTo) {
        for (int64_t number : StoreObjectAccess::toManyNumbers(*object, step.index)) {
            if (std::binary_search(node.numbers.begin(), node.numbers.end(), number))
                return node.op == PredicateOperator::EqualTo || node.op == PredicateOperator::In;
        }
        return false;
    }
    std::vector<ManagedObject*> destinations;
    StoreObjectAccess::toMany(*object, step.index, destinations);
    for (ManagedObject* destination : destinations) {
        bool passes = last ? compareOperand(Operand { nullptr, destination, true }, node) : testPath(destination, node, stepIndex + 1);
        if (passes)
            return true;
    }
    return false;
}

bool evaluateNode(const BoundPredicate::Node& node, const ManagedObject& object)
{
    switch (node.kind) {
    case Predicate::Node::Kind::True:
        return true;
    case Predicate::Node::Kind::False:
        return false;
    case Predicate::Node::Kind::Not:
        return !evaluateNode(*node.children.front(), object);
    case Predicate::Node::Kind::And:
        for (auto& child : node.children) {
            if (!evaluateNode(*child, object))
                return false;
        }
        return true;
    case Predicate::Node::Kind::Or:
        for (auto& child : node.children) {
            if (evaluateNode(*child, object))
                return true;
        }
        return false;
    case Predicate::Node::Kind::Comparison:
        return testPath(&object, node, 0);
    }
    return false;
}

} // namespace

bool BoundPredicate::evaluate(const ManagedObject& object) const
{
    return evaluateNode(*m_root, object);
}

int compareValuesForSort(const Value& a, const Value& b, SortComparison comparison)
{
    if (a.isNull() || b.isNull())
        return a.isNull() == b.isNull() ? 0 : (a.isNull() ? -1 : 1);
    if (comparison != SortComparison::Exact && a.isString() && b.isString()) {
        int order = comparison == SortComparison::LocalizedCaseInsensitive ? compareLocalizedIgnoringCase(a.string(), b.string())
                                                                            : compareIgnoringCase(a.string(), b.string());
        return order < 0 ? -1 : (order > 0 ? 1 : 0);
    }
    bool comparable = false;
    int order = compareScalars(a, b, comparable);
    if (comparable)
        return order;
    // Values of different kinds sort by kind.
    return a.type() < b.type() ? -1 : (a.type() > b.type() ? 1 : 0);
}

} // namespace brevanton
