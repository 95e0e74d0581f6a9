// A value a program gives a text field shows on screen at once: the widget
// repaints the field, whatever kind of field it is and whether or not it has
// the keyboard, and the field's new text is what was drawn.
#include "tests/platform/views/qt/QtBackendWindowTest.h"

#include "platform/foundation/Text.h"
#include "platform/views/SearchField.h"
#include "platform/views/SecureTextField.h"
#include "platform/views/TextField.h"

#include <gtest/gtest.h>

#include <QImage>

#include <functional>
#include <string>

using namespace brevanton;

namespace {

using FieldWindow = brevanton::testing::QtBackendWindowTest<View>;

TEST_F(FieldWindow, AValueSetByTheProgramRepaintsTheFieldWithItsNewText)
{
    struct Case {
        const char* name;
        std::function<std::shared_ptr<TextField>()> make;
        bool drawsText;
    };
    const Case cases[] = {
        { "label", [] { return TextField::labelWithString(u"Status"); }, true },
        { "editable field",
          [] {
              auto field = std::make_shared<TextField>();
              field->setEditable(true);
              field->setDrawsBackground(true);
              return field;
          },
          true },
        { "search field", [] { return std::make_shared<SearchField>(); }, true },
        { "password field", [] { return std::make_shared<SecureTextField>(); }, false },
    };
    const Rect frame(20, 80, 220, 24);
    for (const auto& test : cases) {
        for (bool focused : { false, true }) {
            SCOPED_TRACE(std::string(test.name) + (focused ? ", with the keyboard" : ""));
            auto field = test.make();
            if (focused && !field->acceptsFirstResponder())
                continue;
            field->setFrame(frame);
            view->addSubview(field);
            if (focused) {
                ASSERT_TRUE(window->makeFirstResponder(field));
            }
            QCoreApplication::processEvents();
            QImage before = widget()->grab().toImage();
            unsigned painted = widget()->paintCount();

            field->setStringValue(u"Wxyz 0123");
            QCoreApplication::processEvents();
            EXPECT_GT(widget()->paintCount(), painted) << "the widget was not repainted";
            QImage after = widget()->grab().toImage();
            // The field's rows, counted from the widget's top.
            QRect shown(static_cast<int>(frame.minX()), widget()->height() - static_cast<int>(frame.maxY()),
                        static_cast<int>(frame.width()), static_cast<int>(frame.height()));
            EXPECT_NE(before.copy(shown), after.copy(shown)) << "the field shows what it showed before";
            std::u16string drawn;
            for (const auto& command : widget()->lastPaintedCommands()) {
                if (command.view == field.get())
                    drawn += command.text;
            }
            EXPECT_EQ(drawn.find(u"Wxyz 0123") != std::u16string::npos, test.drawsText) << "drawn: " << toUTF8(drawn);

            ASSERT_TRUE(window->makeFirstResponder(nullptr));
            field->removeFromSuperview();
            QCoreApplication::processEvents();
        }
    }
}

} // namespace
