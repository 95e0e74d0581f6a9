#include "publishing/VornickWordPressPostListFilters.h"

#include "platform/store/FetchRequest.h"
#include "platform/store/ManagedObject.h"
#include "platform/store/ManagedObjectContext.h"

#include <algorithm>

namespace brevanton {

namespace {

// An OR of one comparison per value; none when there are no values.
std::optional<Predicate> anyOf(std::vector<Predicate> terms)
{
    if (terms.empty())
        return std::nullopt;
    if (terms.size() == 1)
        return std::move(terms.front());
    return Predicate::orPredicate(std::move(terms));
}

std::vector<std::shared_ptr<ManagedObject>> presentObjects(const std::vector<std::shared_ptr<ManagedObject>>& objects)
{
    std::vector<std::shared_ptr<ManagedObject>> present;
    for (const auto& object : objects) {
        if (object && !object->isDeleted() && object->managedObjectContext())
            present.push_back(object);
    }
    return present;
}

Value valuesOfKey(const std::vector<std::shared_ptr<ManagedObject>>& objects, std::u16string_view key)
{
    Array values;
    for (const auto& object : objects) {
        if (!object)
            continue;
        Value value = object->valueForKey(key);
        if (value.isString() && std::find(values.begin(), values.end(), value) == values.end())
            values.push_back(std::move(value));
    }
    return Value(std::move(values));
}

} // namespace

bool VornickWordPressPostListFilters::isFiltering() const
{
    return viewingTrash || !selectedPostTypes.empty() || !selectedPostStatuses.empty() || !selectedCategories.empty()
        || !selectedTags.empty();
}

Predicate VornickWordPressPostListFilters::predicateForBlog(const std::shared_ptr<ManagedObject>& blog, const std::u16string& searchString,
                                                            int fieldsToSearch) const
{
    std::vector<Predicate> terms;
    terms.push_back(Predicate::comparison(u"blog", PredicateOperator::EqualTo, blog));
    // A post never given the flag (a new one) is not in the Trash.
    if (viewingTrash)
        terms.push_back(Predicate::comparison(u"inTrash", PredicateOperator::EqualTo, Value(true)));
    else
        terms.push_back(Predicate::comparison(u"inTrash", PredicateOperator::NotEqualTo, Value(true)));

    std::vector<Predicate> types;
    for (const auto& type : selectedPostTypes)
        types.push_back(Predicate::comparison(u"type", PredicateOperator::EqualTo, Value(type)));
    if (auto term = anyOf(std::move(types)))
        terms.push_back(std::move(*term));

    std::vector<Predicate> statuses;
    for (const auto& status : selectedPostStatuses) {
        if (!status)
            continue;
        Value identifier = status->valueForKey(u"identifier");
        if (identifier.isString())
            statuses.push_back(Predicate::comparison(u"status.identifier", PredicateOperator::EqualTo, identifier));
    }
    if (auto term = anyOf(std::move(statuses)))
        terms.push_back(std::move(*term));

    // The chosen objects themselves, not their titles: another term of the
    // same title is another filter. A term deleted meanwhile matches nothing.
    auto chosen = [&](const std::vector<std::shared_ptr<ManagedObject>>& objects, std::u16string_view key) {
        if (objects.empty())
            return;
        terms.push_back(Predicate::comparison(std::u16string(key), PredicateOperator::In, presentObjects(objects), false, true));
    };
    chosen(selectedCategories, u"categories");
    chosen(selectedTags, u"tags");

    if (!searchString.empty()) {
        auto inTitle = Predicate::comparison(u"title", PredicateOperator::Contains, Value(searchString), true);
        if (fieldsToSearch & 1)
            terms.push_back(Predicate::orPredicate(
                { inTitle, Predicate::comparison(u"sourceContentString", PredicateOperator::Contains, Value(searchString), true) }));
        else
            terms.push_back(inTitle);
    }
    return Predicate::andPredicate(std::move(terms));
}

Value VornickWordPressPostListFilters::restorableCategoryTitles() const
{
    return valuesOfKey(selectedCategories, u"title");
}

Value VornickWordPressPostListFilters::restorableTagTitles() const
{
    return valuesOfKey(selectedTags, u"title");
}

Value VornickWordPressPostListFilters::restorableStatusIdentifiers() const
{
    return valuesOfKey(selectedPostStatuses, u"identifier");
}

std::vector<std::shared_ptr<ManagedObject>> VornickWordPressPostListFilters::resolveRestoredValues(
    ManagedObjectContext& context, const std::shared_ptr<ManagedObject>& blog, std::u16string_view entityName, std::u16string_view key,
    const Value& values)
{
    if (!blog || !values.isArray() || values.array().empty())
        return {};
    Array strings;
    for (const auto& value : values.array()) {
        if (value.isString())
            strings.push_back(value);
    }
    if (strings.empty())
        return {};
    FetchRequest request { std::u16string(entityName) };
    request.setPredicate(Predicate::andPredicate({ Predicate::comparison(u"blog", PredicateOperator::EqualTo, blog),
                                                   Predicate::comparison(std::u16string(key), PredicateOperator::In, Value(std::move(strings))) }));
    return context.executeFetchRequest(request, nullptr).value_or(std::vector<std::shared_ptr<ManagedObject>> {});
}

} // namespace brevanton
