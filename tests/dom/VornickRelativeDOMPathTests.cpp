#include "dom/VornickRelativeDOMPath.h"

#include "VornickDOMTestSupport.h"
#include "dom/VornickFreezeDriedDOMRange.h"
#include "dom/VornickRangeExtensions.h"
#include "platform/foundation/Assertions.h"

#include <gtest/gtest.h>

namespace brevanton {
namespace {

using namespace testing;

TEST(VornickRelativeDOMPath, PathsResolveInATreeOfTheSameShape)
{
    auto document = documentWithBody(u"<p>a<b>b</b>cdef</p>");
    auto body = document->body();
    auto text = child(body->firstChild(), 2);
    auto path = VornickRelativeDOMPath::pathToPosition({ text, 3 }, body.get(), false);
    ASSERT_TRUE(path);
    EXPECT_EQ(path->description(), u"BODY[0]->P[2]->DOMText[3]");

    auto other = documentWithBody(u"<p>x<i>y</i>zzzz</p>");
    auto position = path->positionRelativeToNewAncestor(other->body());
    EXPECT_EQ(position, (VornickDOMPosition { child(other->body()->firstChild(), 2), 3 }));

    auto shorter = documentWithBody(u"<p>x<i>y</i>z</p>");
    EXPECT_FALSE(path->positionRelativeToNewAncestor(shorter->body()).node) << "past the end of the text";
    auto throughText = documentWithBody(u"<p>x</p>");
    EXPECT_FALSE(path->positionRelativeToNewAncestor(throughText->body()).node);
    EXPECT_FALSE(VornickRelativeDOMPath::pathToPosition({ text, 1 }, other->body().get(), false));
}

TEST(VornickRelativeDOMPath, SkippingWhitespaceMapsGapsBackToTheSameChildren)
{
    ScopedFrameState frame;
    frame.state->substitute = u'\u23D8';
    auto document = documentWithBody(u"\n<p id=a>one</p>\n<p id=b>two</p>\u23D8<p>three</p>\n");
    auto body = document->body();
    auto second = VornickRelativeDOMPath::pathToPosition({ child(byId(document, u"b"), 0), 1 }, body.get(), true);
    ASSERT_TRUE(second);
    EXPECT_EQ(second->pathComponents()[0].offsetInNode(), 1);

    auto compact = documentWithBody(u"<p>one</p><p>two</p>\u23D8<p>three</p>");
    auto resolved = second->positionRelativeToNewAncestor(compact->body());
    EXPECT_EQ(resolved, (VornickDOMPosition { child(child(compact->body(), 1), 0), 1 }));

    // A gap in the body: the one before the third paragraph, counted without blank text.
    auto gap = VornickRelativeDOMPath::pathToPosition({ body, 5 }, body.get(), true);
    EXPECT_EQ(gap->pathComponents().back().offsetInNode(), 2) << "the substitute-only text is blank here";
    EXPECT_EQ(gap->positionRelativeToNewAncestor(body), (VornickDOMPosition { body, 5 })) << "same tree, same place";
    EXPECT_EQ(gap->positionRelativeToNewAncestor(compact->body()), (VornickDOMPosition { compact->body(), 3 }));

    // The end of the body stays the end, in any tree.
    auto end = VornickRelativeDOMPath::pathToPosition({ body, static_cast<int32_t>(body->childCount()) }, body.get(), true);
    EXPECT_EQ(end->positionRelativeToNewAncestor(body), (VornickDOMPosition { body, static_cast<int32_t>(body->childCount()) }));
    EXPECT_EQ(end->positionRelativeToNewAncestor(compact->body()), (VornickDOMPosition { compact->body(), 4 }));
    auto fewer = documentWithBody(u"<p>one</p>");
    EXPECT_FALSE(end->positionRelativeToNewAncestor(fewer->body()).node);
}

TEST(VornickRelativeDOMPath, ArchivingRoundTripsAndRejectsForeignNodeTypes)
{
    auto document = documentWithBody(u"<p>abc</p>");
    auto path = VornickRelativeDOMPath::pathToPosition({ child(document->body()->firstChild(), 0), 2 },
                                                       document->body().get(), true);
    Value archived = path->encodeWithCoder();
    auto decoded = VornickRelativeDOMPath::createWithCoder(archived);
    ASSERT_TRUE(decoded);
    EXPECT_EQ(decoded->description(), path->description());
    EXPECT_TRUE(decoded->skipsWhitespaceNodes());

    auto component = VornickRelativeDOMPathComponent(1, u"P", 0, false).encodeWithCoder();
    EXPECT_FALSE(component.contains(u"offsetSkipsWhitespaceNodes"));
    component.set(u"nodeType", Value(11));
    EXPECT_FALSE(VornickRelativeDOMPathComponent::createWithCoder(component));
    path->insertOffset(4, 0);
    EXPECT_FALSE(VornickRelativeDOMPath::createWithCoder(path->encodeWithCoder())) << "a \"*\" component does not decode";
    EXPECT_FALSE(VornickRelativeDOMPath::createWithCoder(Value(Dictionary {})));

    EXPECT_THROW(VornickRelativeDOMPath({ VornickRelativeDOMPathComponent(1, u"P", 0, true) }, false),
                 InternalInconsistencyException);
}

TEST(VornickFreezeDriedDOMRange, FreezingAndThawing)
{
    auto document = documentWithBody(u"<p>abc</p><p>def</p>");
    auto body = document->body();
    auto range = document->createRange();
    range->setStart(child(body->firstChild(), 0), 1);
    range->setEnd(child(body->lastChild(), 0), 2);
    auto frozen = vornick_freezeDriedRangeRelativeToAncestor(*range, body, false);
    ASSERT_TRUE(frozen);

    auto copy = DOMDocument::parseHTML(u"<body><p>xyz</p><p>uvw</p></body>");
    auto thawed = frozen->thawRangeRelativeToNewAncestor(copy->body());
    ASSERT_TRUE(thawed);
    EXPECT_EQ(thawed->toString(), u"yzuv");

    auto decoded = VornickFreezeDriedDOMRange::createWithCoder(frozen->encodeWithCoder());
    ASSERT_TRUE(decoded);
    EXPECT_EQ(decoded->thawRangeRelativeToNewAncestor(body)->toString(), u"bcde");
    EXPECT_FALSE(VornickFreezeDriedDOMRange::createWithCoder(Value(Dictionary {})));

    range->collapse(true);
    auto collapsed = vornick_freezeDriedRangeRelativeToAncestor(*range, body, false);
    EXPECT_EQ(collapsed->startPositionPath(), collapsed->endPositionPath());
    auto kept = *collapsed;
    collapsed->adjustBaseOffsetsBy(1);
    auto shifted = collapsed->thawRangeRelativeToNewAncestor(body);
    ASSERT_TRUE(shifted);
    EXPECT_TRUE(shifted->collapsed());
    EXPECT_EQ(shifted->startContainer(), child(body->lastChild(), 0)) << "shifted once, not twice";
    auto unshifted = kept.thawRangeRelativeToNewAncestor(body);
    ASSERT_TRUE(unshifted);
    EXPECT_EQ(unshifted->startContainer(), child(body->firstChild(), 0)) << "a copy keeps its own paths";

    auto outside = VornickFreezeDriedDOMRange::freezeDriedDOMRangeFromStartPosition({ body, 0 }, { copy->body(), 0 }, body, false);
    VornickDOMPosition start;
    VornickDOMPosition end;
    EXPECT_FALSE(outside.thawToStartPosition(start, end, body));
    EXPECT_EQ(outside.description(), u"{start=BODY[0], end=(null)}");
}

} // namespace
} // namespace brevanton
