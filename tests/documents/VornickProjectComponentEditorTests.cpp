#include "documents/VornickProjectComponentEditor.h"

#include "documents/VornickProjectComponent.h"

#include <gtest/gtest.h>

namespace brevanton {
namespace {

class Editor : public VornickProjectComponentEditor {
public:
    explicit Editor(std::shared_ptr<VornickProjectComponent> component) : m_component(std::move(component)) { }
    std::shared_ptr<VornickProjectComponent> projectComponent() const override { return m_component; }

private:
    std::shared_ptr<VornickProjectComponent> m_component;
};

TEST(VornickProjectComponentEditorTests, TheLatestOpenEditorOfTheComponentIsFound)
{
    auto post = std::make_shared<VornickProjectComponent>();
    auto other = std::make_shared<VornickProjectComponent>();
    EXPECT_FALSE(VornickProjectComponentEditor::editorForComponent(*post));

    auto first = std::make_shared<Editor>(post);
    auto second = std::make_shared<Editor>(post);
    VornickProjectComponentEditor::registerEditor(first);
    VornickProjectComponentEditor::registerEditor(second);
    VornickProjectComponentEditor::registerEditor(first);
    EXPECT_EQ(VornickProjectComponentEditor::editorForComponent(*post), first) << "registering again makes it the latest";
    EXPECT_FALSE(VornickProjectComponentEditor::editorForComponent(*other));

    VornickProjectComponentEditor::unregisterEditor(*first);
    EXPECT_EQ(VornickProjectComponentEditor::editorForComponent(*post), second);
    second.reset();
    EXPECT_FALSE(VornickProjectComponentEditor::editorForComponent(*post)) << "a closed editor that did not unregister is not found";
}

} // namespace
} // namespace brevanton
