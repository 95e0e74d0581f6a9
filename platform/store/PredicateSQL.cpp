#include "platform/store/PredicateSQL.h"

#include "platform/store/ManagedObjectModel.h"
#include "platform/store/PersistentStoreInternals.h"
#include "platform/foundation/Text.h"

#include <sqlite3.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string_view>

namespace brevanton {

namespace {

using Node = BoundPredicate::Node;
using Argument = BoundPredicate::Node::Argument;

constexpr const char* containsFunctionName = "brevanton_contains";

// CONTAINS on UTF-8 text, answering as the evaluation in memory does on the
// same text in UTF-16: an ASCII text is searched with ASCII case folding,
// any other is folded as a whole.
bool textContains(std::string_view haystack, std::string_view needle, bool caseInsensitive)
{
    if (needle.empty())
        return true;
    if (!caseInsensitive)
        return memmem(haystack.data(), haystack.size(), needle.data(), needle.size()) != nullptr;
    // Lower-cased into a buffer of the thread (SQLite calls on the thread
    // running the query), noticing non-ASCII bytes on the way.
    thread_local std::string lowered;
    lowered.resize(haystack.size());
    // Eight bytes at a time: a byte of 'A'...'Z' gets 0x20 added; any byte
    // with its high bit set marks the text as not ASCII.
    constexpr uint64_t ones = 0x0101010101010101;
    constexpr uint64_t highBits = 0x80 * ones;
    uint64_t seen = 0;
    size_t i = 0;
    for (; i + 8 <= haystack.size(); i += 8) {
        uint64_t word;
        std::memcpy(&word, haystack.data() + i, 8);
        seen |= word;
        uint64_t aboveA = word + (0x80 - 'A') * ones;
        uint64_t aboveZ = word + (0x80 - 'Z' - 1) * ones;
        uint64_t upper = (aboveA ^ aboveZ) & ~word & highBits;
        word |= upper >> 2;
        std::memcpy(lowered.data() + i, &word, 8);
    }
    for (; i < haystack.size(); ++i) {
        unsigned char c = static_cast<unsigned char>(haystack[i]);
        seen |= c;
        lowered[i] = static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c);
    }
    if (seen & highBits)
        return containsFolded(toUTF16(haystack), toUTF16(needle));
    return memmem(lowered.data(), lowered.size(), needle.data(), needle.size()) != nullptr;
}

void containsFunction(sqlite3_context* context, int, sqlite3_value** arguments)
{
    const unsigned char* haystack = sqlite3_value_text(arguments[0]);
    int haystackSize = sqlite3_value_bytes(arguments[0]);
    const unsigned char* needle = sqlite3_value_text(arguments[1]);
    int needleSize = sqlite3_value_bytes(arguments[1]);
    if (!haystack || !needle) {
        sqlite3_result_int(context, 0);
        return;
    }
    bool found = textContains(std::string_view(reinterpret_cast<const char*>(haystack), static_cast<size_t>(haystackSize)),
                              std::string_view(reinterpret_cast<const char*>(needle), static_cast<size_t>(needleSize)),
                              sqlite3_value_int(arguments[2]) != 0);
    sqlite3_result_int(context, found ? 1 : 0);
}

// How costly a condition is to test on a row: plain column tests first,
// then subqueries, then function calls, so that AND stops early.
int costOf(const std::string& condition)
{
    if (condition.find(containsFunctionName) != std::string::npos)
        return 2;
    if (condition.find("EXISTS") != std::string::npos)
        return 1;
    return 0;
}

class Translator {
public:
    explicit Translator(const std::vector<EntityTable>& tables) : m_tables(tables) {}

    std::vector<Value> parameters;

    std::optional<std::string> node(const Node& node, const EntityDescription& entity, const std::string& row)
    {
        switch (node.kind) {
        case Predicate::Node::Kind::True:
            return "1";
        case Predicate::Node::Kind::False:
            return "0";
        case Predicate::Node::Kind::Not: {
            auto child = this->node(*node.children.front(), entity, row);
            if (!child)
                return std::nullopt;
            return "NOT (" + *child + ")";
        }
        case Predicate::Node::Kind::And:
        case Predicate::Node::Kind::Or: {
            bool isAnd = node.kind == Predicate::Node::Kind::And;
            // Each child's parameters are kept with it, so that the children
            // can be reordered by cost.
            std::vector<std::pair<std::string, std::vector<Value>>> children;
            for (auto& child : node.children) {
                std::vector<Value> outer = std::exchange(parameters, {});
                auto condition = this->node(*child, entity, row);
                std::vector<Value> own = std::exchange(parameters, std::move(outer));
                if (!condition)
                    return std::nullopt;
                children.emplace_back(std::move(*condition), std::move(own));
            }
            if (children.empty())
                return isAnd ? "1" : "0";
            std::stable_sort(children.begin(), children.end(),
                             [](const auto& a, const auto& b) { return costOf(a.first) < costOf(b.first); });
            std::string joined;
            for (auto& [condition, own] : children) {
                joined += (joined.empty() ? "(" : (isAnd ? " AND " : " OR ")) + condition;
                parameters.insert(parameters.end(), own.begin(), own.end());
            }
            return joined + ")";
        }
        case Predicate::Node::Kind::Comparison:
            return path(node, entity, row, 0);
        }
        return std::nullopt;
    }

private:
    const EntityTable& table(const EntityDescription& entity) const { return m_tables[entity.index()]; }
    std::string newAlias() { return "t" + std::to_string(++m_aliases); }

    static bool comparesObjects(const Node& node) { return node.argument == Argument::Object || node.argument == Argument::Objects; }
    // What the comparison answers for a missing operand (an unset value or
    // no object), and for an object that is not one of the compared objects.
    static bool holdsForNil(const Node& node)
    {
        return node.argument == Argument::Null ? node.op == PredicateOperator::EqualTo : node.op == PredicateOperator::NotEqualTo;
    }
    static bool holdsForOtherObject(const Node& node) { return node.op == PredicateOperator::NotEqualTo; }

    // "(?, ?, ...)" of the compared objects' numbers.
    std::string numberList(const Node& node)
    {
        std::string list;
        for (int64_t number : node.numbers) {
            list += list.empty() ? "(?" : ", ?";
            parameters.emplace_back(static_cast<long long>(number));
        }
        return list + ")";
    }

    // Whether a column holding the number of an object is one of the
    // compared objects; never NULL.
    std::string numberIsListed(const std::string& column, const Node& node)
    {
        if (node.numbers.empty())
            return "0";
        return "(" + column + " IS NOT NULL AND " + column + " IN " + numberList(node) + ")";
    }

    std::optional<std::string> path(const Node& node, const EntityDescription& entity, const std::string& row, size_t index)
    {
        const KeyPathStep& step = node.steps[index];
        bool last = index + 1 == node.steps.size();
        if (step.isAttribute)
            return attribute(node, entity.attributes()[step.index], row + "." + quotedSQLIdentifier(entity.attributes()[step.index].name));

        const RelationshipDescription& relationship = entity.relationships()[step.index];
        const EntityDescription& destination = *step.destination;
        const std::string& destinationTable = table(destination).tableName;
        if (!step.toMany) {
            std::string column = row + "." + quotedSQLIdentifier(relationship.name);
            if (last && comparesObjects(node)) {
                switch (node.op) {
                case PredicateOperator::EqualTo:
                case PredicateOperator::In:
                    return numberIsListed(column, node);
                case PredicateOperator::NotEqualTo:
                    return "NOT " + numberIsListed(column, node);
                default:
                    return "0";
                }
            }
            std::string alias = newAlias();
            std::string exists = "EXISTS (SELECT 1 FROM " + destinationTable + " " + alias + " WHERE " + alias + ".id = " + column;
            bool nil = holdsForNil(node);
            if (last) {
                bool present = holdsForOtherObject(node);
                if (present == nil)
                    return present ? "1" : "0";
                return (present ? "" : "NOT ") + exists + ")";
            }
            auto rest = path(node, destination, alias, index + 1);
            if (!rest)
                return std::nullopt;
            std::string condition = exists + " AND " + *rest + ")";
            if (!nil)
                return condition;
            std::string other = newAlias();
            return "(NOT EXISTS (SELECT 1 FROM " + destinationTable + " " + other + " WHERE " + other + ".id = " + column + ") OR "
                + condition + ")";
        }

        // A to-many relationship (under ANY): some destination passes.
        std::string alias = newAlias();
        std::string from;
        std::string owned;
        const EntityTable& ownTable = table(entity);
        switch (ownTable.storage[step.index]) {
        case RelationshipStorage::InverseColumn:
            from = destinationTable + " " + alias;
            owned = alias + "." + quotedSQLIdentifier(relationship.inverseName) + " = " + row + ".id";
            break;
        case RelationshipStorage::JoinTableOwner:
        case RelationshipStorage::JoinTableOther: {
            bool owner = ownTable.storage[step.index] == RelationshipStorage::JoinTableOwner;
            std::string join = newAlias();
            from = quotedSQLIdentifier(toUTF16(ownTable.joinTables[step.index])) + " " + join;
            owned = join + (owner ? ".owner" : ".other") + " = " + row + ".id";
            std::string member = join + (owner ? ".other" : ".owner");
            if (last && comparesObjects(node) && node.op != PredicateOperator::NotEqualTo) {
                if (node.op != PredicateOperator::EqualTo && node.op != PredicateOperator::In)
                    return "0";
                if (node.numbers.empty())
                    return "0";
                return "EXISTS (SELECT 1 FROM " + from + " WHERE " + owned + " AND " + member + " IN " + numberList(node) + ")";
            }
            from += " JOIN " + destinationTable + " " + alias + " ON " + alias + ".id = " + member;
            break;
        }
        case RelationshipStorage::Column:
            return std::nullopt;
        }
        std::string condition;
        if (last) {
            if (comparesObjects(node)) {
                switch (node.op) {
                case PredicateOperator::EqualTo:
                case PredicateOperator::In:
                    condition = numberIsListed(alias + ".id", node);
                    break;
                case PredicateOperator::NotEqualTo:
                    condition = "NOT " + numberIsListed(alias + ".id", node);
                    break;
                default:
                    return "0";
                }
            } else if (!holdsForOtherObject(node)) {
                return "0";
            } else {
                condition = "1";
            }
        } else {
            auto rest = path(node, destination, alias, index + 1);
            if (!rest)
                return std::nullopt;
            condition = *rest;
        }
        return "EXISTS (SELECT 1 FROM " + from + " WHERE " + owned + " AND " + condition + ")";
    }

    std::optional<std::string> attribute(const Node& node, const AttributeDescription& attribute, const std::string& column)
    {
        switch (node.argument) {
        case Argument::Null:
            if (node.op == PredicateOperator::EqualTo)
                return column + " IS NULL";
            if (node.op == PredicateOperator::NotEqualTo)
                return column + " IS NOT NULL";
            return "0";
        case Argument::Object:
        case Argument::Objects:
            return holdsForOtherObject(node) ? "1" : "0";
        case Argument::Value:
            break;
        }
        const Value& value = node.value;
        bool isNumeric = attribute.type == AttributeType::Integer || attribute.type == AttributeType::Double
            || attribute.type == AttributeType::Boolean;
        bool sameKind = (attribute.type == AttributeType::String && value.isString()) || (isNumeric && value.isNumber())
            || (attribute.type == AttributeType::Date && value.isDate());
        if (!sameKind)
            return std::nullopt;
        std::string test;
        switch (node.op) {
        case PredicateOperator::EqualTo:
        case PredicateOperator::NotEqualTo:
            if (node.caseInsensitive && value.isString())
                return std::nullopt;
            test = column + (node.op == PredicateOperator::EqualTo ? " = ?" : " <> ?");
            break;
        case PredicateOperator::LessThan:
        case PredicateOperator::LessThanOrEqualTo:
        case PredicateOperator::GreaterThan:
        case PredicateOperator::GreaterThanOrEqualTo: {
            if (value.isString())
                return std::nullopt;
            const char* symbol = node.op == PredicateOperator::LessThan ? " < ?"
                : node.op == PredicateOperator::LessThanOrEqualTo   ? " <= ?"
                : node.op == PredicateOperator::GreaterThan         ? " > ?"
                                                                    : " >= ?";
            test = column + symbol;
            break;
        }
        case PredicateOperator::Contains:
            if (!value.isString())
                return std::nullopt;
            test = std::string(containsFunctionName) + "(" + column + ", ?, " + (node.caseInsensitive ? "1" : "0") + ")";
            break;
        case PredicateOperator::BeginsWith:
        case PredicateOperator::In:
            return std::nullopt;
        }
        parameters.push_back(value);
        // An unset value passes only !=.
        if (node.op == PredicateOperator::NotEqualTo)
            return "(" + column + " IS NULL OR " + test + ")";
        return "(" + column + " IS NOT NULL AND " + test + ")";
    }

    const std::vector<EntityTable>& m_tables;
    int m_aliases { 0 };
};

} // namespace

std::optional<PredicateSQL> PredicateSQL::create(const BoundPredicate& predicate, const EntityDescription& entity,
                                                 const std::vector<EntityTable>& tables)
{
    Translator translator(tables);
    auto condition = translator.node(predicate.root(), entity, tables[entity.index()].tableName);
    if (!condition)
        return std::nullopt;
    PredicateSQL sql;
    sql.m_condition = std::move(*condition);
    sql.m_parameters = std::move(translator.parameters);
    return sql;
}

void PredicateSQL::bind(SQLiteStatement& statement, int firstIndex) const
{
    int index = firstIndex;
    for (const Value& value : m_parameters) {
        switch (value.type()) {
        case Value::Type::String:
            statement.bindText(index, std::u16string_view(value.string()));
            break;
        case Value::Type::Boolean:
            statement.bindInteger(index, value.boolValue() ? 1 : 0);
            break;
        case Value::Type::Integer:
            statement.bindInteger(index, value.integerValue());
            break;
        case Value::Type::Real:
            statement.bindDouble(index, value.doubleValue());
            break;
        case Value::Type::Date:
            statement.bindDouble(index, value.date().timeIntervalSince1970());
            break;
        default:
            statement.bindNull(index);
            break;
        }
        ++index;
    }
}

bool PredicateSQL::registerFunctions(SQLiteDatabase& database, Error* outError)
{
    int result = sqlite3_create_function_v2(database.handle(), containsFunctionName, 3, SQLITE_UTF8 | SQLITE_DETERMINISTIC, nullptr,
                                            containsFunction, nullptr, nullptr, nullptr);
    if (result != SQLITE_OK) {
        setError(outError, database.errorForResult(result, "create function"));
        return false;
    }
    return true;
}

} // namespace brevanton
