#include "platform/store/Predicate.h"

#include "platform/store/ManagedObject.h"
#include "platform/store/ManagedObjectModel.h"
#include "platform/store/PersistentStore.h"
#include "platform/store/PredicateNode.h"
#include "platform/foundation/Text.h"

namespace brevanton {

static std::shared_ptr<Predicate::Node> makeNode(Predicate::Node::Kind kind)
{
    auto node = std::make_shared<Predicate::Node>();
    node->kind = kind;
    return node;
}

Predicate Predicate::truePredicate()
{
    return Predicate(makeNode(Node::Kind::True));
}

Predicate Predicate::falsePredicate()
{
    return Predicate(makeNode(Node::Kind::False));
}

Predicate Predicate::comparison(std::u16string keyPath, PredicateOperator op, PredicateArgument value,
                                bool caseInsensitive, bool any)
{
    auto node = makeNode(Node::Kind::Comparison);
    node->keyPath = splitKeyPath(keyPath);
    node->op = op;
    node->value = std::move(value);
    node->caseInsensitive = caseInsensitive;
    node->any = any;
    return Predicate(node);
}

Predicate Predicate::andPredicate(std::vector<Predicate> predicates)
{
    auto node = makeNode(Node::Kind::And);
    for (auto& predicate : predicates)
        node->children.push_back(predicate.m_root);
    return Predicate(node);
}

Predicate Predicate::orPredicate(std::vector<Predicate> predicates)
{
    auto node = makeNode(Node::Kind::Or);
    for (auto& predicate : predicates)
        node->children.push_back(predicate.m_root);
    return Predicate(node);
}

Predicate Predicate::notPredicate(Predicate predicate)
{
    auto node = makeNode(Node::Kind::Not);
    node->children.push_back(predicate.m_root);
    return Predicate(node);
}

bool Predicate::evaluate(const ManagedObject& object) const
{
    auto bound = BoundPredicate::bind(*this, object.entity(), nullptr);
    return bound && bound->evaluate(object);
}

bool Predicate::validateForEntity(const EntityDescription& entity, Error* outError) const
{
    return BoundPredicate::bind(*this, entity, outError) != nullptr;
}

static std::u16string join(const std::vector<std::u16string>& keys)
{
    std::u16string result;
    for (auto& key : keys) {
        if (!result.empty())
            result += u'.';
        result += key;
    }
    return result;
}

static std::u16string describeArgument(const PredicateArgument& argument)
{
    if (auto value = std::get_if<Value>(&argument)) {
        if (value->isNull())
            return u"nil";
        if (value->isString()) {
            std::u16string quoted = u"\"";
            for (char16_t c : value->string()) {
                if (c == u'"' || c == u'\\')
                    quoted += u'\\';
                quoted += c;
            }
            return quoted + u"\"";
        }
        return toUTF16(value->description());
    }
    if (auto object = std::get_if<std::shared_ptr<ManagedObject>>(&argument))
        return *object ? (*object)->objectID().URIString() : u"nil";
    auto& objects = std::get<std::vector<std::shared_ptr<ManagedObject>>>(argument);
    std::u16string result = u"{";
    for (size_t i = 0; i < objects.size(); ++i) {
        if (i)
            result += u", ";
        result += objects[i] ? objects[i]->objectID().URIString() : u"nil";
    }
    return result + u"}";
}

static const char16_t* operatorText(PredicateOperator op)
{
    switch (op) {
    case PredicateOperator::EqualTo: return u"==";
    case PredicateOperator::NotEqualTo: return u"!=";
    case PredicateOperator::LessThan: return u"<";
    case PredicateOperator::LessThanOrEqualTo: return u"<=";
    case PredicateOperator::GreaterThan: return u">";
    case PredicateOperator::GreaterThanOrEqualTo: return u">=";
    case PredicateOperator::Contains: return u"CONTAINS";
    case PredicateOperator::BeginsWith: return u"BEGINSWITH";
    case PredicateOperator::In: return u"IN";
    }
    return u"?";
}

static std::u16string describe(const Predicate::Node& node, bool nested)
{
    switch (node.kind) {
    case Predicate::Node::Kind::True: return u"TRUEPREDICATE";
    case Predicate::Node::Kind::False: return u"FALSEPREDICATE";
    case Predicate::Node::Kind::Not: return u"NOT " + describe(*node.children.front(), true);
    case Predicate::Node::Kind::And:
    case Predicate::Node::Kind::Or: {
        std::u16string result;
        for (auto& child : node.children) {
            if (!result.empty())
                result += node.kind == Predicate::Node::Kind::And ? u" AND " : u" OR ";
            result += describe(*child, true);
        }
        if (node.children.empty())
            return node.kind == Predicate::Node::Kind::And ? u"TRUEPREDICATE" : u"FALSEPREDICATE";
        return nested && node.children.size() > 1 ? u"(" + result + u")" : result;
    }
    case Predicate::Node::Kind::Comparison: {
        std::u16string result = node.any ? u"ANY " : u"";
        result += join(node.keyPath) + u" " + operatorText(node.op);
        if (node.caseInsensitive)
            result += u"[c]";
        return result + u" " + describeArgument(node.value);
    }
    }
    return {};
}

std::u16string Predicate::predicateFormat() const
{
    return describe(*m_root, false);
}

std::vector<std::u16string> splitKeyPath(std::u16string_view keyPath)
{
    std::vector<std::u16string> keys;
    size_t start = 0;
    while (true) {
        size_t dot = keyPath.find(u'.', start);
        keys.emplace_back(keyPath.substr(start, dot == std::u16string_view::npos ? std::u16string_view::npos : dot - start));
        if (dot == std::u16string_view::npos)
            break;
        start = dot + 1;
    }
    return keys;
}

} // namespace brevanton
