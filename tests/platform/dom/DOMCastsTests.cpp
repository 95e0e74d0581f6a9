#include "platform/dom/DOMCasts.h"

#include "platform/dom/DOMCharacterData.h"
#include "platform/dom/DOMDocument.h"
#include "platform/dom/DOMElement.h"

#include <gtest/gtest.h>

using namespace brevanton;

namespace {

std::shared_ptr<DOMDocument> documentWithEveryKind()
{
    return DOMDocument::parseHTML(u"<!DOCTYPE html><body><p>text</p><!-- note --></body>");
}

} // namespace

TEST(DOMCasts, IsTellsTheClassOfEveryKindOfNode)
{
    auto document = documentWithEveryKind();
    auto paragraph = document->body()->firstChild();
    auto text = paragraph->firstChild();
    auto comment = paragraph->nextSibling();
    auto fragment = document->createDocumentFragment();
    auto doctype = document->firstChild();

    EXPECT_TRUE(is<DOMElement>(paragraph));
    EXPECT_TRUE(is<DOMContainerNode>(paragraph));
    EXPECT_FALSE(is<DOMCharacterData>(paragraph));

    EXPECT_TRUE(is<DOMText>(text));
    EXPECT_TRUE(is<DOMCharacterData>(text));
    EXPECT_FALSE(is<DOMComment>(text));
    EXPECT_FALSE(is<DOMContainerNode>(text));

    EXPECT_TRUE(is<DOMComment>(comment));
    EXPECT_TRUE(is<DOMCharacterData>(comment));
    EXPECT_FALSE(is<DOMText>(comment));

    EXPECT_TRUE(is<DOMDocumentFragment>(fragment));
    EXPECT_TRUE(is<DOMContainerNode>(fragment));
    EXPECT_FALSE(is<DOMElement>(fragment));

    EXPECT_TRUE(is<DOMDocument>(*document));
    EXPECT_TRUE(is<DOMDocumentType>(doctype));
    EXPECT_FALSE(is<DOMElement>(doctype));

    EXPECT_FALSE(is<DOMNode>(static_cast<DOMNode*>(nullptr)));
    EXPECT_FALSE(is<DOMElement>(std::shared_ptr<DOMNode>()));
}

TEST(DOMCasts, CastsKeepIdentityAndOwnership)
{
    auto document = documentWithEveryKind();
    std::shared_ptr<DOMNode> node = document->body()->firstChild();
    std::shared_ptr<const DOMNode> constNode = node;

    std::shared_ptr<DOMElement> element = downcast<DOMElement>(node);
    EXPECT_EQ(element.get(), node.get());
    EXPECT_EQ(element.use_count(), node.use_count());
    std::shared_ptr<const DOMElement> constElement = downcast<DOMElement>(constNode);
    EXPECT_EQ(constElement.get(), node.get());
    EXPECT_EQ(&downcast<DOMElement>(*node), element.get());
    EXPECT_EQ(downcast<DOMElement>(node.get()), element.get());
    EXPECT_EQ(downcast<DOMElement>(static_cast<DOMNode*>(nullptr)), nullptr);
    EXPECT_EQ(downcast<DOMElement>(std::shared_ptr<DOMNode>()), nullptr);

    EXPECT_EQ(dynamicDowncast<DOMElement>(node), element);
    EXPECT_EQ(dynamicDowncast<DOMText>(node), nullptr);
    EXPECT_EQ(dynamicDowncast<DOMText>(node.get()), nullptr);
    EXPECT_NE(dynamicDowncast<DOMText>(node->firstChild()), nullptr);
    EXPECT_EQ(dynamicDowncast<DOMComment>(constNode), nullptr);
}

TEST(DOMCasts, ADowncastToTheWrongClassIsCaughtWhereCastsAreChecked)
{
    if (!checkedDOMCastsEnabled)
        GTEST_SKIP() << "casts are checked in debug and sanitizer builds";
    auto document = documentWithEveryKind();
    std::shared_ptr<DOMNode> text = document->body()->firstChild()->firstChild();
    EXPECT_THROW((void)downcast<DOMElement>(text), InternalInconsistencyException);
    EXPECT_THROW((void)downcast<DOMComment>(*text), InternalInconsistencyException);
    EXPECT_THROW((void)downcast<DOMDocument>(text.get()), InternalInconsistencyException);
    EXPECT_NO_THROW((void)downcast<DOMCharacterData>(text));
}
