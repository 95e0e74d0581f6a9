#include "platform/store/Predicate.h"
#include "platform/store/PredicateNode.h"

#include "tests/platform/store/StoreTestSupport.h"

#include "platform/foundation/Text.h"

#include <gtest/gtest.h>

namespace brevanton {
namespace {

// Posts of two blogs with tags and statuses, some values unset.
class PredicateTests : public ::testing::Test {
protected:
    std::string folder = makeStoreFolder();
    NotificationCenter center;
    std::shared_ptr<PersistentStore> store;
    std::shared_ptr<ManagedObjectContext> context;
    std::shared_ptr<ManagedObject> blog, otherBlog, draft, publish, news, misc;

    void SetUp() override
    {
        Error error;
        store = PersistentStore::open(folder + "/p.brevantonindex", makeTestModel(), &error);
        ASSERT_TRUE(store) << error;
        context = ManagedObjectContext::create(store, &center);
        blog = make(u"Blog", u"Mine");
        otherBlog = make(u"Blog", u"Theirs");
        draft = make(u"PostStatus", u"Draft");
        draft->setValueForKey(Value(u"draft"), u"identifier");
        publish = make(u"PostStatus", u"Published");
        publish->setValueForKey(Value(u"publish"), u"identifier");
        news = make(u"BlogTag", u"News");
        misc = make(u"BlogTag", u"Misc");
        post(u"Caf\u00e9 au lait", u"<p>Body</p>", blog, draft, { news }, 10, false);
        post(u"\u00c9T\u00c9 \u00c0 PARIS", u"Stra\u00dfe", blog, publish, { news, misc }, 250, false);
        post(u"plain", u"", blog, nullptr, {}, 0, true);
        post(u"Elsewhere", u"caf\u00c9", otherBlog, publish, { misc }, 99, false);
        auto untitled = context->insertNewObject(u"BlogPost");
        untitled->setObjectForKey(otherBlog, u"blog");
        Error saveError;
        ASSERT_TRUE(context->save(&saveError)) << saveError;
    }

    std::shared_ptr<ManagedObject> make(std::u16string_view entity, std::u16string title)
    {
        auto object = context->insertNewObject(entity);
        object->setValueForKey(Value(std::move(title)), u"title");
        return object;
    }

    void post(std::u16string title, std::u16string body, const std::shared_ptr<ManagedObject>& owner,
              const std::shared_ptr<ManagedObject>& status, ManagedObjects tags, int words, bool trashed)
    {
        auto object = make(u"BlogPost", std::move(title));
        object->setValueForKey(Value(std::move(body)), u"sourceContentString");
        object->setObjectForKey(owner, u"blog");
        object->setObjectForKey(status, u"status");
        object->setObjectsForKey(tags, u"tags");
        object->setValueForKey(Value(words), u"wordCount");
        object->setValueForKey(Value(trashed), u"inTrash");
        object->setValueForKey(Value(Date(1000.0 * words)), u"dateLastEditedLocally");
    }

    // Titles of the objects matching, in id order ("<nil>" for none).
    static std::vector<std::u16string> titles(ManagedObjectContext& context, std::u16string_view entity, const Predicate& predicate)
    {
        FetchRequest request { std::u16string(entity) };
        request.setPredicate(predicate);
        Error error;
        auto objects = context.executeFetchRequest(request, &error);
        EXPECT_TRUE(objects) << toUTF8(predicate.predicateFormat()) << ": " << error;
        std::vector<std::u16string> titles;
        if (objects) {
            for (auto& object : *objects)
                titles.push_back(object->valueForKey(u"title").stringValue(u"<nil>"));
        }
        return titles;
    }

    // Titles of the posts (or objects of `entity`) matching. While the
    // context has no unsaved changes, the answer must be the same in a new
    // context, whose first fetch has SQLite pick the rows, and in one that
    // holds every object, where the predicate is evaluated in memory.
    std::vector<std::u16string> matching(std::u16string_view format, std::vector<PredicateArgument> arguments = {},
                                         std::u16string_view entity = u"BlogPost")
    {
        Error error;
        auto predicate = Predicate::predicateWithFormat(format, arguments, &error);
        EXPECT_TRUE(predicate) << toUTF8(format) << ": " << error;
        if (!predicate)
            return { u"<unparsed>" };
        auto answer = titles(*context, entity, *predicate);
        if (!context->hasChanges()) {
            auto fresh = ManagedObjectContext::create(store, &center);
            EXPECT_EQ(titles(*fresh, entity, *predicate), answer) << "first fetch: " << toUTF8(format);
            auto loaded = ManagedObjectContext::create(store, &center);
            for (const auto& each : store->model().entities())
                EXPECT_TRUE(loaded->executeFetchRequest(FetchRequest(each->name()), &error)) << error;
            EXPECT_EQ(titles(*loaded, entity, *predicate), answer) << "in memory: " << toUTF8(format);
        }
        return answer;
    }

    using Titles = std::vector<std::u16string>;
    const Titles cafe { u"Caf\u00e9 au lait" };
    const Titles ete { u"\u00c9T\u00c9 \u00c0 PARIS" };
};

TEST_F(PredicateTests, ComparisonsOfValues)
{
    EXPECT_EQ(matching(u"title == 'plain'"), Titles { u"plain" });
    EXPECT_EQ(matching(u"title = \"plain\""), Titles { u"plain" });
    EXPECT_EQ(matching(u"%K == %@", { Value(u"title"), Value(u"plain") }), Titles { u"plain" });
    EXPECT_EQ(matching(u"title == 'PLAIN'"), Titles {});
    EXPECT_EQ(matching(u"title ==[c] 'PLAIN'"), Titles { u"plain" });
    EXPECT_EQ(matching(u"wordCount > 99"), ete);
    EXPECT_EQ(matching(u"wordCount >= 99"), (Titles { ete[0], u"Elsewhere" }));
    EXPECT_EQ(matching(u"wordCount < 10"), (Titles { u"plain" })); // unset values never order
    EXPECT_EQ(matching(u"wordCount <= 10"), (Titles { cafe[0], u"plain" }));
    EXPECT_EQ(matching(u"wordCount =< 10 AND wordCount => 10"), cafe);
    EXPECT_EQ(matching(u"wordCount != 10"), (Titles { ete[0], u"plain", u"Elsewhere", u"<nil>" }));
    EXPECT_EQ(matching(u"wordCount <> 10 && wordCount != nil"), (Titles { ete[0], u"plain", u"Elsewhere" }));
    EXPECT_EQ(matching(u"inTrash == YES"), Titles { u"plain" });
    EXPECT_EQ(matching(u"inTrash == 1"), Titles { u"plain" });
    EXPECT_EQ(matching(u"inTrash == FALSE"), (Titles { cafe[0], ete[0], u"Elsewhere" }));
    EXPECT_EQ(matching(u"dateLastEditedLocally > %@", { Value(Date(99000.0)) }), ete);
    EXPECT_EQ(matching(u"wordCount IN %@", { Value(Array { Value(0), Value(99), Value(7) }) }), (Titles { u"plain", u"Elsewhere" }));
    EXPECT_EQ(matching(u"title IN { 'plain', 'Elsewhere' }"), (Titles { u"plain", u"Elsewhere" }));
    EXPECT_EQ(matching(u"title BEGINSWITH 'Els'"), Titles { u"Elsewhere" });
    EXPECT_EQ(matching(u"title BEGINSWITH[c] '\u00e9t\u00e9'"), ete);
    EXPECT_EQ(matching(u"title CONTAINS 'au'"), cafe);
    // A value of another kind matches nothing but !=.
    EXPECT_EQ(matching(u"title == 3"), Titles {});
}

TEST_F(PredicateTests, NilMatchesUnsetValuesAndMissingObjects)
{
    EXPECT_EQ(matching(u"title == nil"), Titles { u"<nil>" });
    EXPECT_EQ(matching(u"title = NULL"), Titles { u"<nil>" });
    EXPECT_EQ(matching(u"title != nil").size(), 4u);
    EXPECT_EQ(matching(u"status == nil"), (Titles { u"plain", u"<nil>" }));
    EXPECT_EQ(matching(u"status != nil"), (Titles { cafe[0], ete[0], u"Elsewhere" }));
    // Through a missing to-one object the value is nil too.
    EXPECT_EQ(matching(u"status.identifier == nil"), (Titles { u"plain", u"<nil>" }));
    EXPECT_EQ(matching(u"%K == %@", { Value(u"status"), PredicateArgument(std::shared_ptr<ManagedObject>()) }),
              (Titles { u"plain", u"<nil>" }));
    EXPECT_EQ(matching(u"title != 'plain'"), (Titles { cafe[0], ete[0], u"Elsewhere", u"<nil>" }));
}

TEST_F(PredicateTests, KeyPathsObjectsAndToManyRelationships)
{
    EXPECT_EQ(matching(u"blog == %@", { blog }), (Titles { cafe[0], ete[0], u"plain" }));
    EXPECT_EQ(matching(u"blog != %@", { blog }), (Titles { u"Elsewhere", u"<nil>" }));
    EXPECT_EQ(matching(u"blog IN %@", { ManagedObjects { otherBlog } }), (Titles { u"Elsewhere", u"<nil>" }));
    EXPECT_EQ(matching(u"status.identifier == 'publish'"), (Titles { ete[0], u"Elsewhere" }));
    EXPECT_EQ(matching(u"%K == %@", { Value(u"status.identifier"), Value(u"draft") }), cafe);
    EXPECT_EQ(matching(u"blog.title ==[c] 'theirs'"), (Titles { u"Elsewhere", u"<nil>" }));
    EXPECT_EQ(matching(u"ANY tags == %@", { misc }), (Titles { ete[0], u"Elsewhere" }));
    EXPECT_EQ(matching(u"SOME tags.title == 'News'"), (Titles { cafe[0], ete[0] }));
    EXPECT_EQ(matching(u"ANY tags IN %@", { ManagedObjects { news, misc } }), (Titles { cafe[0], ete[0], u"Elsewhere" }));
    EXPECT_EQ(matching(u"NOT ANY tags == %@", { news }), (Titles { u"plain", u"Elsewhere", u"<nil>" }));
}

TEST_F(PredicateTests, CaseInsensitiveContainsBeyondASCII)
{
    EXPECT_EQ(matching(u"title CONTAINS[c] 'CAF\u00c9'"), cafe);
    EXPECT_EQ(matching(u"title CONTAINS[c] '\u00e9t\u00e9 \u00e0'"), ete);
    EXPECT_EQ(matching(u"title CONTAINS '\u00e9t\u00e9'"), Titles {});
    EXPECT_EQ(matching(u"title CONTAINS[c] %@ OR sourceContentString CONTAINS[c] %@", { Value(u"caf\u00e9"), Value(u"caf\u00e9") }),
              (Titles { cafe[0], u"Elsewhere" }));
    EXPECT_EQ(matching(u"sourceContentString CONTAINS[c] 'STRA\u00dfE'"), ete);
    EXPECT_EQ(matching(u"title CONTAINS[c] ''").size(), 4u);
    // Keywords in any case, as the post list's filters write them.
    EXPECT_EQ(matching(u"(title contains[c] %@) OR (sourceContentString contains[c] %@)", { Value(u"body"), Value(u"body") }), cafe);
    EXPECT_EQ(matching(u"%K != NIL and inTrash == %@", { Value(u"status"), Value(0) }), (Titles { cafe[0], ete[0], u"Elsewhere" }));

    // An ASCII word in a text with other characters, evaluated in memory;
    // letters that lower into ASCII (Kelvin sign, capital I with a dot) count.
    auto text = make(u"BlogPost", u"");
    auto contains = [&](std::u16string haystack, std::u16string needle) {
        text->setValueForKey(Value(std::move(haystack)), u"title");
        return Predicate::comparison(u"title", PredicateOperator::Contains, Value(std::move(needle)), true).evaluate(*text);
    };
    EXPECT_TRUE(contains(u"Caf\u00e9 in the GARDEN, \u00e9t\u00e9", u"garden"));
    EXPECT_TRUE(contains(u"\u00e9t\u00e9 \U0001F600 Garden", u"GARDEN"));
    EXPECT_FALSE(contains(u"Caf\u00e9 in the GARDE\u00d1", u"garden"));
    EXPECT_FALSE(contains(u"Caf\u00e9", u"cafe"));
    EXPECT_TRUE(contains(u"5 \u212Aelvin and caf\u00e9", u"kelvin"));
    EXPECT_TRUE(contains(u"\u0130 caf\u00e9", u"i"));
    EXPECT_TRUE(contains(u"na\u00efve GARDEN", u"na\u00efve garden"));
}

TEST(CaseInsensitiveContains, AnASCIIWordIsFoundWhereverItStandsInTextOfAnyLength)
{
    // Beside a plain search of the text with its ASCII capitals lowered.
    auto reference = [](std::u16string text, const std::u16string& needle) {
        for (auto& unit : text) {
            if (unit >= u'A' && unit <= u'Z')
                unit = static_cast<char16_t>(unit + 32);
        }
        return text.find(needle) != std::u16string::npos;
    };
    // Filler holding the needle's first and last letters, capitals, and
    // units whose high byte is set (never capitals, whatever their low byte).
    const std::u16string filler = u"x-oX\u00d6\u5858O\u8041\uff38 \u0130ylxo";
    for (std::u16string needle : { u"x", u"xo", u"xylo", u"xylophone" }) {
        for (size_t length = 0; length < 40; ++length) {
            std::u16string base;
            for (size_t i = 0; i < length; ++i)
                base += filler[(i * 7 + length) % filler.size()];
            EXPECT_EQ(containsFolded(base, needle), reference(base, needle)) << toUTF8(needle) << " in " << toUTF8(base);
            // The word, in capitals or not, at every place.
            for (size_t at = 0; at <= length; ++at) {
                for (bool capitals : { false, true }) {
                    std::u16string word = capitals ? asciiUppercase(needle) : needle;
                    std::u16string text = base.substr(0, at) + word + base.substr(at);
                    ASSERT_TRUE(containsFolded(text, needle)) << toUTF8(needle) << " in " << toUTF8(text);
                    // Cut short by one: found only where the text has it whole anyway.
                    std::u16string cut = base.substr(0, at) + word.substr(0, word.size() - 1);
                    EXPECT_EQ(containsFolded(cut, needle), reference(cut, needle)) << toUTF8(needle) << " in " << toUTF8(cut);
                }
            }
        }
    }
    // Letters that lower into ASCII from beyond it still match.
    EXPECT_TRUE(containsFolded(u"A \u212Aey", u"key"));
    EXPECT_FALSE(containsFolded(u"short", u"shorter"));
}

TEST_F(PredicateTests, CompoundPredicatesAndPrecedence)
{
    // AND binds tighter than OR; NOT tighter than both.
    EXPECT_EQ(matching(u"title == 'plain' OR wordCount == 10 AND inTrash == YES"), Titles { u"plain" });
    EXPECT_EQ(matching(u"(title == 'plain' OR wordCount == 10) AND inTrash == NO"), cafe);
    EXPECT_EQ(matching(u"NOT inTrash == YES AND blog == %@", { blog }), (Titles { cafe[0], ete[0] }));
    EXPECT_EQ(matching(u"! (inTrash == YES || blog == %@)", { blog }), (Titles { u"Elsewhere", u"<nil>" }));
    EXPECT_EQ(matching(u"TRUEPREDICATE").size(), 5u);
    EXPECT_EQ(matching(u"FALSEPREDICATE"), Titles {});
    EXPECT_EQ(matching(u"truepredicate AND title == 'plain'"), Titles { u"plain" });

    // The post-list fetch of a blog window.
    EXPECT_EQ(matching(u"blog == %@ && inTrash == NO && status.identifier == %@ && ANY tags == %@ && "
                       u"(title CONTAINS[c] %@ || sourceContentString CONTAINS[c] %@)",
                       { blog, Value(u"publish"), news, Value(u"paris"), Value(u"paris") }),
              ete);

    // Built predicates answer the same.
    auto built = Predicate::andPredicate({ Predicate::comparison(u"blog", PredicateOperator::EqualTo, blog),
                                           Predicate::notPredicate(Predicate::comparison(u"tags", PredicateOperator::EqualTo, news, false, true)) });
    FetchRequest request(u"BlogPost");
    request.setPredicate(built);
    Error error;
    auto objects = context->executeFetchRequest(request, &error);
    ASSERT_TRUE(objects) << error;
    ASSERT_EQ(objects->size(), 1u);
    EXPECT_EQ((*objects)[0]->valueForKey(u"title"), Value(u"plain"));
    EXPECT_TRUE(built.evaluate(*(*objects)[0]));
    EXPECT_NE(built.predicateFormat().find(u"ANY tags =="), std::u16string::npos);
}

TEST_F(PredicateTests, RelationshipsBothWaysNilAlongPathsAndNegations)
{
    // matching() checks each answer on a first fetch (rows picked by SQLite)
    // and on objects in memory as well.
    const Titles mine { u"Mine" }, theirs { u"Theirs" }, both { u"Mine", u"Theirs" };
    EXPECT_EQ(matching(u"ANY posts.title == 'plain'", {}, u"Blog"), mine);
    EXPECT_EQ(matching(u"ANY posts.wordCount > 200", {}, u"Blog"), mine);
    EXPECT_EQ(matching(u"NOT (ANY posts.inTrash == YES)", {}, u"Blog"), theirs);
    EXPECT_EQ(matching(u"ANY posts.status.identifier == 'publish'", {}, u"Blog"), both);
    EXPECT_EQ(matching(u"ANY posts.title == nil", {}, u"Blog"), theirs);
    EXPECT_EQ(matching(u"ANY posts.blog == %@", { otherBlog }, u"BlogTag"), Titles { u"Misc" });
    EXPECT_EQ(matching(u"ANY posts.title CONTAINS[c] 'paris'", {}, u"BlogTag"), (Titles { u"News", u"Misc" }));
    EXPECT_EQ(matching(u"ANY posts.blog.title == 'Theirs'", {}, u"PostStatus"), Titles { u"Published" });
    EXPECT_EQ(matching(u"ANY posts == nil", {}, u"PostStatus"), Titles {});

    EXPECT_EQ(matching(u"status.title != 'Draft'"), (Titles { ete[0], u"plain", u"Elsewhere", u"<nil>" }));
    EXPECT_EQ(matching(u"NOT (status.identifier == 'publish')"), (Titles { cafe[0], u"plain", u"<nil>" }));
    EXPECT_EQ(matching(u"status.blog == nil").size(), 5u);
    EXPECT_EQ(matching(u"status.blog.title == nil").size(), 5u);
    EXPECT_EQ(matching(u"status.blog.title != nil"), Titles {});
    EXPECT_EQ(matching(u"status != %@", { draft }), (Titles { ete[0], u"plain", u"Elsewhere", u"<nil>" }));
    EXPECT_EQ(matching(u"status IN %@", { ManagedObjects {} }), Titles {});
    EXPECT_EQ(matching(u"NOT status IN %@", { ManagedObjects {} }).size(), 5u);
    EXPECT_EQ(matching(u"ANY tags != %@", { news }), (Titles { ete[0], u"Elsewhere" }));
    EXPECT_EQ(matching(u"ANY tags.title != 'News'"), (Titles { ete[0], u"Elsewhere" }));
    EXPECT_EQ(matching(u"ANY tags == nil"), Titles {});
    EXPECT_EQ(matching(u"ANY tags != nil"), (Titles { cafe[0], ete[0], u"Elsewhere" }));
    EXPECT_EQ(matching(u"ANY tags IN %@", { ManagedObjects {} }), Titles {});
    EXPECT_EQ(matching(u"blog.title CONTAINS[c] 'THEIR'"), (Titles { u"Elsewhere", u"<nil>" }));
    EXPECT_EQ(matching(u"NOT (title CONTAINS[c] 'caf' OR sourceContentString CONTAINS[c] 'caf')"), (Titles { ete[0], u"plain", u"<nil>" }));
    EXPECT_EQ(matching(u"inTrash != YES"), (Titles { cafe[0], ete[0], u"Elsewhere", u"<nil>" }));
    EXPECT_EQ(matching(u"NOT (wordCount > 50)"), (Titles { cafe[0], u"plain", u"<nil>" }));
}

TEST_F(PredicateTests, ValuesOfEachKindAndTextSearch)
{
    EXPECT_EQ(matching(u"sourceContentString CONTAINS '\u00df'"), ete);
    EXPECT_EQ(matching(u"sourceContentString CONTAINS[c] '<P>'"), cafe);
    EXPECT_EQ(matching(u"title CONTAINS '%' OR title CONTAINS '_'"), Titles {});
    EXPECT_EQ(matching(u"title CONTAINS[c] 'A'"), (Titles { cafe[0], ete[0], u"plain" }));
    EXPECT_EQ(matching(u"sourceContentString CONTAINS ''"), (Titles { cafe[0], ete[0], u"plain", u"Elsewhere" }));
    EXPECT_EQ(matching(u"dateLastEditedLocally <= %@", { Value(Date(10000.0)) }), (Titles { cafe[0], u"plain" }));
    EXPECT_EQ(matching(u"dateLastEditedLocally == %@", { Value(Date(99000.0)) }), Titles { u"Elsewhere" });
    EXPECT_EQ(matching(u"wordCount > 9.5"), (Titles { cafe[0], ete[0], u"Elsewhere" }));
    EXPECT_EQ(matching(u"wordCount == 99.0"), Titles { u"Elsewhere" });
    EXPECT_EQ(matching(u"inTrash == 2"), Titles {});
    EXPECT_EQ(matching(u"wordCount < 'z'"), Titles {});
    EXPECT_EQ(matching(u"title != 3").size(), 5u);
    // Parts with no SQL form leave the whole predicate to the evaluation in memory.
    EXPECT_EQ(matching(u"title BEGINSWITH 'E' OR blog == %@", { blog }), (Titles { cafe[0], ete[0], u"plain", u"Elsewhere" }));
    EXPECT_EQ(matching(u"title ==[c] 'PLAIN' AND ANY tags == nil"), Titles {});

    // Only A to Z fold: the characters next to them stay as they are.
    make(u"BlogPost", u"AT@[Z]^ and more text");
    Error error;
    ASSERT_TRUE(context->save(&error)) << error;
    EXPECT_EQ(matching(u"title CONTAINS[c] 'at@[z]^'"), Titles { u"AT@[Z]^ and more text" });
    for (std::u16string_view folded : { u"`", u"{", u"~", u"at`" })
        EXPECT_EQ(matching(u"title CONTAINS[c] %@", { Value(std::u16string(folded)) }), Titles {}) << toUTF8(folded);
}

TEST_F(PredicateTests, FirstFetchMakesObjectsOfTheMatchingRowsOnly)
{
    auto fresh = ManagedObjectContext::create(store, &center);
    Error error;
    auto predicate = Predicate::predicateWithFormat(u"blog == %@ && inTrash == NO && status.identifier == %@ && ANY tags == %@",
                                                    { blog, Value(u"publish"), news }, &error);
    ASSERT_TRUE(predicate) << error;
    EXPECT_EQ(titles(*fresh, u"BlogPost", *predicate), ete);
    EXPECT_EQ(ManagedObjectContextTestPeer::registeredCount(*fresh, u"BlogPost"), 1u);
    EXPECT_EQ(ManagedObjectContextTestPeer::registeredCount(*fresh, u"BlogTag"), 0u);
    // The same row answers the same object.
    auto first = fresh->executeFetchRequest(FetchRequest(u"BlogPost"), &error);
    ASSERT_TRUE(first) << error;
    EXPECT_EQ(ManagedObjectContextTestPeer::registeredCount(*fresh, u"BlogPost"), 5u);
    auto again = Predicate::predicateWithFormat(u"title == %@", { Value(ete[0]) }, &error);
    FetchRequest request(u"BlogPost");
    request.setPredicate(again);
    auto found = fresh->executeFetchRequest(request, &error);
    ASSERT_TRUE(found && found->size() == 1) << error;
    EXPECT_EQ((*found)[0], (*first)[1]);

    // With an unsaved change every row is read, and the change counts.
    auto other = ManagedObjectContext::create(store, &center);
    auto inserted = other->insertNewObject(u"BlogPost");
    inserted->setValueForKey(Value(u"new"), u"title");
    inserted->setValueForKey(Value(false), u"inTrash");
    auto unsaved = Predicate::predicateWithFormat(u"inTrash == NO", &error);
    EXPECT_EQ(titles(*other, u"BlogPost", *unsaved), (Titles { cafe[0], ete[0], u"Elsewhere", u"new" }));
    EXPECT_EQ(ManagedObjectContextTestPeer::registeredCount(*other, u"BlogPost"), 6u);
}

TEST_F(PredicateTests, FirstFetchesSeeWhatAnotherContextSaved)
{
    auto reader = ManagedObjectContext::create(store, &center);
    Error error;
    auto trashed = Predicate::predicateWithFormat(u"inTrash == YES", &error);
    auto kept = titles(*reader, u"BlogPost", *trashed);
    EXPECT_EQ(kept, Titles { u"plain" });
    auto plain = context->executeFetchRequest(FetchRequest(u"BlogPost"), &error)->at(2);
    auto cafePost = context->executeFetchRequest(FetchRequest(u"BlogPost"), &error)->at(0);
    plain->setValueForKey(Value(u"renamed"), u"title");
    cafePost->setValueForKey(Value(true), u"inTrash");
    ASSERT_TRUE(context->save(&error)) << error;
    EXPECT_EQ(titles(*reader, u"BlogPost", *trashed), (Titles { cafe[0], u"renamed" }));
    context->deleteObject(plain);
    ASSERT_TRUE(context->save(&error)) << error;
    EXPECT_EQ(titles(*reader, u"BlogPost", *trashed), cafe);
}

TEST_F(PredicateTests, UnsavedChangesCount)
{
    auto fresh = make(u"BlogPost", u"fresh paris");
    fresh->setObjectForKey(blog, u"blog");
    fresh->addObjectForKey(news, u"tags");
    auto all = matching(u"ANY tags == %@", { news });
    EXPECT_EQ(all, (Titles { cafe[0], ete[0], u"fresh paris" }));
    auto first = context->existingObjectWithID(blog->objectsForKey(u"posts")[0]->objectID());
    first->removeObjectForKey(news, u"tags");
    EXPECT_EQ(matching(u"ANY tags == %@", { news }), (Titles { ete[0], u"fresh paris" }));
    context->deleteObject(fresh);
    EXPECT_EQ(matching(u"title CONTAINS[c] 'paris'"), ete);
}

TEST_F(PredicateTests, TextThatDoesNotParseIsAnError)
{
    for (std::u16string_view format :
         { u"", u"title ==", u"title == 'open", u"== 'x'", u"title === 'x'", u"title LIKE 'x'", u"title == 'x' AND",
           u"(title == 'x'", u"title == 'x')", u"title == %d", u"title == %@", u"%K == 'x'", u"title ==[z] 'x'", u"title 'x'",
           u"title == 'x' garbage", u"ANY == 'x'", u"title # 'x'" }) {
        Error error;
        auto predicate = Predicate::predicateWithFormat(format, &error);
        EXPECT_FALSE(predicate) << toUTF8(format) << " parsed as " << (predicate ? toUTF8(predicate->predicateFormat()) : "");
        EXPECT_TRUE(error.is(PersistentStoreErrorDomain, PredicateFormatError)) << toUTF8(format) << ": " << error;
    }
    // A key argument must be a string.
    Error error;
    EXPECT_FALSE(Predicate::predicateWithFormat(u"%K == 1", { Value(3) }, &error));

    // Hostile nesting is refused before it can exhaust the stack; ordinary
    // nesting parses.
    for (std::u16string opener : { u"(", u"NOT ", u"!" }) {
        std::u16string deep;
        for (int level = 0; level < 100000; ++level)
            deep += opener;
        deep += u"title == 'x'";
        if (opener == u"(")
            deep += std::u16string(100000, u')');
        EXPECT_FALSE(Predicate::predicateWithFormat(deep, &error));
        EXPECT_TRUE(error.is(PersistentStoreErrorDomain, PredicateFormatError)) << error;
    }
    EXPECT_TRUE(Predicate::predicateWithFormat(u"((NOT (title == 'x')) AND !(trashed == YES))", &error)) << error;

    // Keys the entity does not have fail the fetch instead of matching.
    for (std::u16string_view format : { u"noSuchKey == 1", u"status.noSuchKey == 1", u"title.length == 1", u"tags.title == 'x'",
                                        u"ANY title == 'x'" }) {
        auto predicate = Predicate::predicateWithFormat(format, &error);
        ASSERT_TRUE(predicate) << toUTF8(format);
        FetchRequest request(u"BlogPost");
        request.setPredicate(predicate);
        EXPECT_FALSE(context->executeFetchRequest(request, &error)) << toUTF8(format);
        EXPECT_TRUE(error.is(PersistentStoreErrorDomain, PersistentStoreFetchError)) << toUTF8(format) << ": " << error;
    }
}

} // namespace
} // namespace brevanton
