// The SQL form of a bound predicate, so that a fetch can have SQLite pick the
// matching rows instead of reading every row into objects first.
//
// Only what SQL answers exactly as the evaluation in memory does translates:
// comparisons of attributes with values of their own kind (equality, order
// of numbers and dates, CONTAINS with or without [c]), comparisons with nil,
// objects compared with to-one and to-many relationships, to-one key paths
// and ANY over a to-many relationship, joined by AND, OR and NOT. Anything
// else (BEGINSWITH, IN with values, == [c], mixed kinds) leaves the whole
// predicate to the evaluation in memory. The condition is never NULL, so NOT
// keeps its meaning.
#pragma once

#include "platform/store/PredicateNode.h"

#include <optional>
#include <string>
#include <vector>

namespace brevanton {

class SQLiteDatabase;
class SQLiteStatement;
struct EntityTable;

class PredicateSQL {
public:
    // The condition on rows of the entity's table (named by its table name),
    // or nullopt when some part has no exact SQL form.
    static std::optional<PredicateSQL> create(const BoundPredicate&, const EntityDescription&,
                                              const std::vector<EntityTable>& tables);

    const std::string& condition() const { return m_condition; }
    // Binds the condition's parameters, counted from `firstIndex`.
    void bind(SQLiteStatement&, int firstIndex = 1) const;

    // Adds the functions the conditions call to a connection.
    [[nodiscard]] static bool registerFunctions(SQLiteDatabase&, Error* outError);

private:
    PredicateSQL() = default;
    std::string m_condition;
    std::vector<Value> m_parameters;
};

} // namespace brevanton
