#include "toolkit/VornickCollections.h"

#include "platform/foundation/Assertions.h"
#include "platform/foundation/Text.h"

namespace brevanton {

bool vornick_containsCaseInsensitiveMatchFor(const Array& array, std::u16string_view string)
{
    for (const Value& element : array) {
        if (element.isString() && compareIgnoringCase(element.string(), string) == 0)
            return true;
    }
    return false;
}

bool vornick_containsCaseInsensitiveMatchFor(const std::vector<std::u16string>& array, std::u16string_view string)
{
    for (const std::u16string& element : array) {
        if (compareIgnoringCase(element, string) == 0)
            return true;
    }
    return false;
}

bool vornick_isTypicalWordPressFetchPermissionFailure(const Error& error)
{
    if (error.domain() != VornickHTTPErrorDomain)
        return false;
    if (error.code() == 401 || error.code() == 403)
        return true;
    // WordPress names the refusal in its error reply even where the status
    // does not say so.
    auto json = error.userInfo().find(std::u16string_view(u"json"));
    if (json == error.userInfo().end())
        return false;
    const Value& code = json->second[u"code"];
    if (!code.isString())
        return false;
    static const std::u16string_view forbiddenCodes[] = {
        u"rest_forbidden", u"rest_forbidden_context", u"rest_forbidden_status", u"rest_cannot_read",
        u"rest_cannot_view", u"rest_user_cannot_view", u"rest_not_logged_in",
    };
    for (auto forbidden : forbiddenCodes) {
        if (code.string() == forbidden)
            return true;
    }
    return false;
}

Dictionary vornick_changesSince(const Dictionary& dictionary, const Dictionary& older)
{
    Dictionary additionsAndChanges;
    Dictionary deletions;
    for (const auto& [key, value] : dictionary) {
        auto it = older.find(key);
        if (it == older.end() || !(it->second == value))
            additionsAndChanges.emplace(key, value);
    }
    for (const auto& [key, value] : older) {
        if (dictionary.find(key) == dictionary.end())
            deletions.emplace(key, value);
    }
    Dictionary changes;
    changes.emplace(VornickChangeDictionaryAdditionsAndChangesKey, Value(std::move(additionsAndChanges)));
    changes.emplace(VornickChangeDictionaryDeletionsKey, Value(std::move(deletions)));
    return changes;
}

Dictionary vornick_dictionaryByApplyingChanges(const Dictionary& dictionary, const Value& changes)
{
    BREVANTON_ASSERT(changes.isDictionary(), "[changes isKindOfClass:[NSDictionary class]]");
    return vornick_dictionaryByApplyingChanges(dictionary, changes.dictionary());
}

Dictionary vornick_dictionaryByApplyingChanges(const Dictionary& dictionary, const Dictionary& changes)
{
    auto additionsAndChanges = changes.find(std::u16string_view(VornickChangeDictionaryAdditionsAndChangesKey));
    auto deletions = changes.find(std::u16string_view(VornickChangeDictionaryDeletionsKey));
    BREVANTON_ASSERT(additionsAndChanges != changes.end() && additionsAndChanges->second.isDictionary(),
                     "[additionsAndChanges isKindOfClass:[NSDictionary class]]");
    BREVANTON_ASSERT(deletions != changes.end() && deletions->second.isDictionary(),
                     "[deletions isKindOfClass:[NSDictionary class]]");
    // Both sides are in key order: merge them in one pass. A change replaces
    // the entry it names, and a deletion wins over a change.
    const Dictionary& added = additionsAndChanges->second.dictionary();
    const Dictionary& deleted = deletions->second.dictionary();
    Dictionary::Storage merged;
    merged.reserve(dictionary.size() + added.size());
    auto keep = [&](const Dictionary::value_type& entry) {
        if (!deleted.contains(entry.first))
            merged.push_back(entry);
    };
    auto a = dictionary.begin();
    auto b = added.begin();
    while (a != dictionary.end() || b != added.end()) {
        if (b == added.end() || (a != dictionary.end() && a->first < b->first)) {
            keep(*a++);
            continue;
        }
        if (a != dictionary.end() && a->first == b->first)
            ++a;
        keep(*b++);
    }
    return Dictionary::fromMembers(std::move(merged));
}

} // namespace brevanton
