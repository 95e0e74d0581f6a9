// Operations the system adds to arrays, dictionaries and errors: mapping and
// filtering, change dictionaries (the difference between two dictionaries and
// applying it), and the test that classifies a failed WordPress fetch.
#pragma once

#include "toolkit/VornickErrors.h"

#include "platform/foundation/Error.h"
#include "platform/foundation/Value.h"

#include <optional>
#include <string_view>
#include <vector>

namespace brevanton {

// A new array of `transform`'s results in order; nullopt as soon as one
// result is nullopt.
template<typename T, typename F>
auto vornick_arrayByMappingSelector(const std::vector<T>& array, F transform)
    -> std::optional<std::vector<typename decltype(transform(array.front()))::value_type>>
{
    using Result = typename decltype(transform(array.front()))::value_type;
    std::vector<Result> results;
    results.reserve(array.size());
    for (const T& element : array) {
        auto result = transform(element);
        if (!result)
            return std::nullopt;
        results.push_back(std::move(*result));
    }
    return results;
}

// True when some element is a string equal to `string` ignoring case.
bool vornick_containsCaseInsensitiveMatchFor(const Array& array, std::u16string_view string);
bool vornick_containsCaseInsensitiveMatchFor(const std::vector<std::u16string>& array, std::u16string_view string);

// The elements for which `test` answers true, in order.
template<typename T, typename F>
std::vector<T> vornick_objectsPassingTest(const std::vector<T>& array, F test)
{
    std::vector<T> passing;
    for (const T& element : array) {
        if (test(element))
            passing.push_back(element);
    }
    return passing;
}

// Inserts `object` at the front.
template<typename T>
void vornick_prependObject(std::vector<T>& array, T object)
{
    array.insert(array.begin(), std::move(object));
}


// True for the failures WordPress answers when the user may not list an item
// kind: an HTTP-domain error with status 401 or 403, or one whose WordPress
// error code (user info "json" -> "code") is one of its forbidden codes.
// Other statuses (a server outage, a missing route) and unreadable JSON are
// real failures.
bool vornick_isTypicalWordPressFetchPermissionFailure(const Error&);

// Change dictionaries.
inline constexpr const char16_t* VornickChangeDictionaryAdditionsAndChangesKey =
    u"VornickChangeDictionaryAdditionsAndChangesKey";
inline constexpr const char16_t* VornickChangeDictionaryDeletionsKey = u"VornickChangeDictionaryDeletionsKey";

// The change dictionary leading from `older` to `dictionary`: pairs that are
// new or changed under additions and changes, pairs of `older` whose key is
// gone under deletions.
Dictionary vornick_changesSince(const Dictionary& dictionary, const Dictionary& older);

// A copy of `dictionary` with additions and changes set, then deletions
// removed. Asserts that `changes` and both members are dictionaries.
Dictionary vornick_dictionaryByApplyingChanges(const Dictionary& dictionary, const Value& changes);
Dictionary vornick_dictionaryByApplyingChanges(const Dictionary& dictionary, const Dictionary& changes);

} // namespace brevanton
