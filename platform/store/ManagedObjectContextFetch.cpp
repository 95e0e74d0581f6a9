// Fetching: the objects of an entity are registered once (their rows read in
// one pass), then requests are answered from the context's objects, so that
// unsaved changes count. Until then, a context without unsaved changes has
// SQLite pick the rows of a predicate that translates to SQL.
#include "platform/store/ManagedObjectContext.h"

#include "platform/store/ManagedObjectContextInternals.h"
#include "platform/store/PredicateNode.h"
#include "platform/store/PredicateSQL.h"
#include "platform/store/StoreObjectAccess.h"
#include "platform/foundation/Collation.h"
#include "platform/foundation/Text.h"

#include <algorithm>
#include <cstdint>
#include <numeric>
#include <optional>
#include <string>
#include <set>

namespace brevanton {

namespace {

struct ResolvedSort {
    std::vector<KeyPathStep> steps;
    bool ascending { true };
    SortComparison comparison { SortComparison::Exact };
};

// The value a sort compares, and the object holding it (null when none).
const Value& sortValue(const ManagedObject& object, const ResolvedSort& sort, const ManagedObject** holder)
{
    *holder = nullptr;
    const ManagedObject* current = &object;
    for (size_t i = 0; i + 1 < sort.steps.size(); ++i) {
        current = StoreObjectAccess::toOne(*current, sort.steps[i].index);
        if (!current)
            return Value::null();
    }
    const KeyPathStep& last = sort.steps.back();
    if (!last.isAttribute)
        return Value::null();
    *holder = current;
    return StoreObjectAccess::attribute(*current, last.index);
}

// The string's key in the user's collation, made again only when the text changed.
const std::optional<std::string>& collationKeyFor(ManagedObjectContext::Private& d, const ManagedObject& holder, int attribute,
                                                  const std::u16string& text)
{
    auto [found, added] = d.collationKeys.try_emplace({ StoreObjectAccess::number(holder), attribute });
    auto& entry = found->second;
    if (added || entry.text != text) {
        entry.text = text;
        entry.key = localizedIgnoringCaseSortKey(text);
    }
    return entry.key;
}

// Sorts stably. Each object's values are read once, and the strings of a
// sort in the user's collation are keyed once, so that the comparisons
// (n log n of them) neither walk to the objects nor collate again.
void sortObjects(ManagedObjectContext::Private& d, ManagedObjects& objects, const std::vector<ResolvedSort>& sorts)
{
    // Numbers and dates compare as the seconds or the number they hold.
    enum class Scalar : uint8_t { None, Number, Date };
    struct Cell {
        const Value* value;
        const std::optional<std::string>* collationKey;
        Scalar scalar { Scalar::None };
        double number { 0 };
    };
    size_t width = sorts.size();
    std::vector<Cell> cells;
    cells.reserve(objects.size() * width);
    for (const auto& object : objects) {
        for (const auto& sort : sorts) {
            const ManagedObject* holder = nullptr;
            const Value& value = sortValue(*object, sort, &holder);
            Cell cell { &value, nullptr };
            if (sort.comparison == SortComparison::LocalizedCaseInsensitive && value.isString() && holder)
                cell.collationKey = &collationKeyFor(d, *holder, sort.steps.back().index, value.string());
            else if (value.isNumber())
                cell = { &value, nullptr, Scalar::Number, value.doubleValue() };
            else if (value.isDate())
                cell = { &value, nullptr, Scalar::Date, value.date().timeIntervalSince1970() };
            cells.push_back(cell);
        }
    }
    std::vector<size_t> order(objects.size());
    std::iota(order.begin(), order.end(), size_t { 0 });
    std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) {
        for (size_t s = 0; s < width; ++s) {
            const Cell& first = cells[a * width + s];
            const Cell& second = cells[b * width + s];
            int result;
            if (first.scalar != Scalar::None && first.scalar == second.scalar)
                result = first.number < second.number ? -1 : (first.number > second.number ? 1 : 0);
            else if (first.collationKey && *first.collationKey && second.collationKey && *second.collationKey)
                result = (*first.collationKey)->compare(**second.collationKey);
            else
                result = compareValuesForSort(*first.value, *second.value, sorts[s].comparison);
            if (result != 0)
                return sorts[s].ascending ? result < 0 : result > 0;
        }
        return false;
    });
    ManagedObjects sorted;
    sorted.reserve(objects.size());
    for (size_t index : order)
        sorted.push_back(std::move(objects[index]));
    objects = std::move(sorted);
}

// Every entity a key path reaches, and the to-many relationships it walks
// (entity index, relationship index), so that they are loaded in bulk.
void collectReach(const EntityDescription& entity, const std::vector<KeyPathStep>& steps,
                  std::set<const EntityDescription*>& entities, std::set<std::pair<const EntityDescription*, int>>& toMany)
{
    const EntityDescription* current = &entity;
    for (auto& step : steps) {
        if (step.isAttribute)
            return;
        if (step.toMany)
            toMany.emplace(current, step.index);
        current = step.destination;
        entities.insert(current);
    }
}

void collectPredicateReach(const Predicate::Node& node, const EntityDescription& entity, std::set<const EntityDescription*>& entities,
                           std::set<std::pair<const EntityDescription*, int>>& toMany)
{
    for (auto& child : node.children)
        collectPredicateReach(*child, entity, entities, toMany);
    if (node.kind != Predicate::Node::Kind::Comparison)
        return;
    std::vector<KeyPathStep> steps;
    if (resolveKeyPath(entity, node.keyPath, node.any, steps, nullptr))
        collectReach(entity, steps, entities, toMany);
}

// While an entity's rows are not all read and the context has no unsaved
// changes, the store's rows are what the context holds: SQLite picks the
// matching rows and only those become objects. Answers false when the
// predicate or the sorts need the evaluation in memory.
enum class RowQuery { NotApplicable, Done, Failed };
RowQuery fetchMatchingRows(ManagedObjectContext::Private& d, const EntityDescription& entity, const BoundPredicate* predicate,
                       const std::vector<ResolvedSort>& sorts, ManagedObjects& result, Error* outError)
{
    if (!predicate)
        return RowQuery::NotApplicable;
    d.noticeOtherSaves();
    if (d.fullyLoaded[entity.index()] || !d.changed.empty())
        return RowQuery::NotApplicable;
    std::set<const EntityDescription*> sortEntities;
    std::set<std::pair<const EntityDescription*, int>> sortToMany;
    for (auto& sort : sorts)
        collectReach(entity, sort.steps, sortEntities, sortToMany);
    if (sortEntities.count(&entity))
        return RowQuery::NotApplicable;
    auto condition = PredicateSQL::create(*predicate, entity, d.store->tables);
    if (!condition)
        return RowQuery::NotApplicable;
    for (const EntityDescription* reached : sortEntities) {
        if (!d.loadEntity(*reached, outError))
            return RowQuery::Failed;
    }
    return d.loadMatchingRows(entity, *condition, result, outError) ? RowQuery::Done : RowQuery::Failed;
}

} // namespace

std::optional<ManagedObjects> ManagedObjectContext::executeFetchRequest(const FetchRequest& request, Error* outError)
{
    assertOwnThread();
    Private& d = *m_private;
    const EntityDescription* entity = model().entityNamed(request.entityName());
    if (!entity) {
        setError(outError, Error(PersistentStoreErrorDomain, PersistentStoreFetchError,
                                 u"The model has no entity " + request.entityName()));
        return std::nullopt;
    }
    std::unique_ptr<BoundPredicate> predicate;
    if (request.predicate()) {
        predicate = BoundPredicate::bind(*request.predicate(), *entity, outError);
        if (!predicate)
            return std::nullopt;
    }
    std::vector<ResolvedSort> sorts;
    for (auto& descriptor : request.sortDescriptors()) {
        ResolvedSort sort;
        sort.ascending = descriptor.ascending;
        sort.comparison = descriptor.effectiveComparison();
        if (!resolveKeyPath(*entity, splitKeyPath(descriptor.keyPath), false, sort.steps, outError))
            return std::nullopt;
        if (!sort.steps.back().isAttribute) {
            setError(outError, Error(PersistentStoreErrorDomain, PersistentStoreFetchError,
                                     u"A sort key path must end in an attribute: " + descriptor.keyPath));
            return std::nullopt;
        }
        sorts.push_back(std::move(sort));
    }

    ManagedObjects result;
    RowQuery query = fetchMatchingRows(d, *entity, predicate.get(), sorts, result, outError);
    if (query == RowQuery::Failed)
        return std::nullopt;
    if (query == RowQuery::NotApplicable) {
        std::set<const EntityDescription*> entities { entity };
        std::set<std::pair<const EntityDescription*, int>> toMany;
        if (request.predicate())
            collectPredicateReach(request.predicate()->root(), *entity, entities, toMany);
        for (auto& sort : sorts)
            collectReach(*entity, sort.steps, entities, toMany);
        for (const EntityDescription* reached : entities) {
            if (!d.loadEntity(*reached, outError))
                return std::nullopt;
        }
        for (auto& [owner, relationship] : toMany) {
            if (!d.loadRelationshipForAll(*owner, relationship, outError))
                return std::nullopt;
        }
        for (auto& [number, object] : d.registered[entity->index()]) {
            if (object->isDeleted())
                continue;
            if (predicate && !predicate->evaluate(*object))
                continue;
            result.push_back(object);
        }
    }
    // Registered objects come in id order, and the sort is stable: ties stay by id.
    if (!sorts.empty())
        sortObjects(d, result, sorts);
    if (request.fetchLimit() && result.size() > request.fetchLimit())
        result.resize(request.fetchLimit());
    return result;
}

} // namespace brevanton
