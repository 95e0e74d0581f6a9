#include "platform/dom/DOMCasts.h"
#include "platform/dom/DOMCharacterData.h"
#include "platform/dom/DOMDocument.h"
#include "platform/dom/DOMElement.h"

#include <gtest/gtest.h>

using namespace brevanton;

TEST(DOMCharacterDataChanges, VersionsAndRecordOfChangedNodes)
{
    auto document = DOMDocument::parseHTML(std::u16string_view(u"<p id=p>a</p><p id=q>b<!--c--></p>"));
    auto* a = downcast<DOMCharacterData>(document->getElementById(u"p")->first());
    auto q = document->getElementById(u"q");
    auto* b = downcast<DOMCharacterData>(q->first());
    auto* comment = downcast<DOMCharacterData>(b->next());
    uint64_t tree = document->treeAndAttributeVersion();
    uint64_t start = document->characterDataVersion();
    uint64_t content = document->contentVersion();

    a->appendData(u"1");
    comment->appendData(u"2");
    a->setData(u"3");
    EXPECT_EQ(document->treeAndAttributeVersion(), tree) << "text edits are not tree or attribute changes";
    EXPECT_EQ(document->characterDataVersion(), start + 3);
    EXPECT_EQ(document->contentVersion(), content + 3);
    std::vector<std::shared_ptr<DOMNode>> changes;
    ASSERT_TRUE(document->characterDataChangesSince(start + 1, changes));
    ASSERT_EQ(changes.size(), 2u);
    EXPECT_EQ(changes[0].get(), comment);
    EXPECT_EQ(changes[1].get(), a);
    changes.clear();
    EXPECT_TRUE(document->characterDataChangesSince(document->characterDataVersion(), changes));
    EXPECT_TRUE(changes.empty());

    // Destroyed nodes drop out; a record overrun says so.
    b->appendData(u"4");
    q->remove();
    q.reset();
    EXPECT_NE(document->treeAndAttributeVersion(), tree);
    changes.clear();
    ASSERT_TRUE(document->characterDataChangesSince(start, changes));
    EXPECT_EQ(changes.size(), 2u) << "the second paragraph went with its text and comment";
    for (int i = 0; i < 100; ++i)
        a->appendData(u"x");
    changes.clear();
    EXPECT_FALSE(document->characterDataChangesSince(start, changes));
    EXPECT_TRUE(document->characterDataChangesSince(document->characterDataVersion() - 10, changes));
    EXPECT_EQ(changes.size(), 10u);

    document->getElementById(u"p")->setAttribute(u"class", u"c");
    EXPECT_EQ(document->characterDataVersion(), start + 104);
}
