#include "toolkit/VornickCollections.h"

#include "platform/foundation/Assertions.h"

#include <gtest/gtest.h>

using namespace brevanton;

TEST(VornickCollections, ChangeDictionariesLeadFromOneDictionaryToTheOther)
{
    Dictionary older { { u"a", Value(1) }, { u"b", Value(2) } };
    Dictionary newer { { u"a", Value(1) }, { u"b", Value(3) }, { u"c", Value(4) } };
    Dictionary changes = vornick_changesSince(newer, older);
    EXPECT_EQ(Value(changes[VornickChangeDictionaryAdditionsAndChangesKey]),
              Value(Dictionary { { u"b", Value(3) }, { u"c", Value(4) } }));
    EXPECT_EQ(changes[VornickChangeDictionaryDeletionsKey].count(), 0u);
    EXPECT_EQ(Value(vornick_dictionaryByApplyingChanges(older, changes)), Value(newer));

    Dictionary removal = vornick_changesSince(Dictionary {}, Dictionary { { u"a", Value(1) } });
    EXPECT_EQ(removal[VornickChangeDictionaryDeletionsKey], Value(Dictionary { { u"a", Value(1) } }));
    EXPECT_EQ(Value(vornick_dictionaryByApplyingChanges(Dictionary { { u"a", Value(1) }, { u"z", Value(9) } }, Value(removal))),
              Value(Dictionary { { u"z", Value(9) } }));

    // A name both changed and deleted is deleted; changes before, between
    // and after the names present are laid in place.
    Dictionary both { { VornickChangeDictionaryAdditionsAndChangesKey,
                        Value(Dictionary { { u"0", Value(0) }, { u"b", Value(20) }, { u"c", Value(30) }, { u"x", Value(1) } }) },
                      { VornickChangeDictionaryDeletionsKey, Value(Dictionary { { u"c", Value() }, { u"d", Value() } }) } };
    EXPECT_EQ(Value(vornick_dictionaryByApplyingChanges(Dictionary { { u"b", Value(2) }, { u"d", Value(4) }, { u"e", Value(5) } }, both)),
              Value(Dictionary { { u"0", Value(0) }, { u"b", Value(20) }, { u"e", Value(5) }, { u"x", Value(1) } }));

    EXPECT_THROW(vornick_dictionaryByApplyingChanges(older, Value(1)), InternalInconsistencyException);
    EXPECT_THROW(vornick_dictionaryByApplyingChanges(older, Dictionary { { VornickChangeDictionaryDeletionsKey, Value(Dictionary {}) } }),
                 InternalInconsistencyException);
}

TEST(VornickCollections, OnlyRefusalsArePermissionFailures)
{
    EXPECT_TRUE(vornick_isTypicalWordPressFetchPermissionFailure(Error(VornickHTTPErrorDomain, 403)));
    EXPECT_TRUE(vornick_isTypicalWordPressFetchPermissionFailure(Error(VornickHTTPErrorDomain, 401)));
    // Outages, missing routes and unreadable replies are real failures.
    for (int64_t status : { 304, 400, 404, 500, 502, 503 })
        EXPECT_FALSE(vornick_isTypicalWordPressFetchPermissionFailure(Error(VornickHTTPErrorDomain, status))) << status;
    EXPECT_FALSE(vornick_isTypicalWordPressFetchPermissionFailure(Error(CocoaErrorDomain, 3840)));
    EXPECT_FALSE(vornick_isTypicalWordPressFetchPermissionFailure(Error("com.Orbendalworks.Brevanton.ErrorDomain", 403)));
    // WordPress's own refusal code counts whatever the status.
    Error refused(VornickHTTPErrorDomain, 400);
    refused.userInfo()[u"json"] = Value(Dictionary { { u"code", Value(u"rest_forbidden_status") } });
    EXPECT_TRUE(vornick_isTypicalWordPressFetchPermissionFailure(refused));
    refused.userInfo()[u"json"] = Value(Dictionary { { u"code", Value(u"rest_invalid_param") } });
    EXPECT_FALSE(vornick_isTypicalWordPressFetchPermissionFailure(refused));
}

TEST(VornickCollections, ArrayHelpers)
{
    std::vector<int> numbers { 1, 2, 3, 4 };
    auto doubled = vornick_arrayByMappingSelector(numbers, [](int n) { return std::optional<int>(n * 2); });
    ASSERT_TRUE(doubled);
    EXPECT_EQ(*doubled, (std::vector<int> { 2, 4, 6, 8 }));
    // One missing result gives no array rather than a shorter one.
    EXPECT_FALSE(vornick_arrayByMappingSelector(numbers, [](int n) { return n == 3 ? std::nullopt : std::optional<int>(n); }));

    EXPECT_EQ(vornick_objectsPassingTest(numbers, [](int n) { return n % 2 == 0; }), (std::vector<int> { 2, 4 }));
    vornick_prependObject(numbers, 0);
    EXPECT_EQ(numbers.front(), 0);

    Array mixed { Value(1), Value(u"Stra\u00dfe"), Value(u"Hello") };
    EXPECT_TRUE(vornick_containsCaseInsensitiveMatchFor(mixed, u"hELLO"));
    EXPECT_TRUE(vornick_containsCaseInsensitiveMatchFor(mixed, u"STRASSE"));
    EXPECT_FALSE(vornick_containsCaseInsensitiveMatchFor(mixed, u"1"));
}
