// A password field in a real window: Qt's keys type into it, the input
// method is told the text is hidden and sensitive, the painted commands hold
// only bullets, and Ctrl+C copies nothing.
#include "tests/platform/views/qt/QtBackendWindowTest.h"

#include "platform/foundation/Text.h"
#include "platform/views/Pasteboard.h"
#include "platform/views/SecureTextField.h"
#include "platform/views/TextField.h"
#include "platform/views/qt/QtSecureTextInput.h"

#include <gtest/gtest.h>

#include <QClipboard>
#include <QGuiApplication>
#include <QInputMethodEvent>
#include <QTest>

using namespace brevanton;

namespace {

class SecureFieldWindow : public brevanton::testing::QtBackendWindowTest<View> {
protected:
    void prepareWindow() override
    {
        plain->setEditable(true);
        view->addSubview(secure);
        view->addSubview(plain);
        ASSERT_TRUE(window->makeFirstResponder(secure));
    }
    void repaint()
    {
        widget()->repaint();
        QCoreApplication::processEvents();
    }

    std::shared_ptr<SecureTextField> secure = std::make_shared<SecureTextField>(Rect(10, 150, 200, 22));
    std::shared_ptr<TextField> plain = std::make_shared<TextField>(Rect(10, 100, 200, 22));
};

} // namespace

TEST_F(SecureFieldWindow, QtKeysTypeBulletsAndTheInputMethodIsToldTheTextIsHidden)
{
    ASSERT_TRUE(widget());
    EXPECT_EQ(widget()->inputMethodHints(), QtSecureTextInputHints);
    EXPECT_EQ(Qt::InputMethodHints(widget()->inputMethodQuery(Qt::ImHints).toInt()), QtSecureTextInputHints);

    QTest::keyClicks(widget(), "pa ss");
    QInputMethodEvent commit;
    commit.setCommitString(QStringLiteral("\u00FC"));
    QCoreApplication::sendEvent(widget(), &commit);
    EXPECT_EQ(secure->stringValue(), u"pa ss\u00FC");

    repaint();
    bool bullets = false;
    for (const auto& command : widget()->lastPaintedCommands()) {
        EXPECT_EQ(command.text.find(u"pa"), std::u16string::npos);
        EXPECT_EQ(command.text.find(u'\u00FC'), std::u16string::npos);
        bullets |= command.view == secure.get() && command.text == u"\u2022\u2022\u2022\u2022\u2022\u2022";
    }
    EXPECT_TRUE(bullets);

    // Ctrl+C and Ctrl+X: the pasteboard and Qt's clipboard stay as they were.
    QGuiApplication::clipboard()->setText(QStringLiteral("before"));
    int64_t changes = Pasteboard::generalPasteboard()->changeCount();
    QTest::keyClick(widget(), Qt::Key_C, Qt::ControlModifier);
    QTest::keyClick(widget(), Qt::Key_X, Qt::ControlModifier);
    EXPECT_EQ(Pasteboard::generalPasteboard()->changeCount(), changes);
    EXPECT_EQ(QGuiApplication::clipboard()->text(), QStringLiteral("before"));
    EXPECT_EQ(secure->stringValue(), u"pa ss\u00FC");

    // Another field takes the keyboard: plain text again, and back.
    ASSERT_TRUE(window->makeFirstResponder(plain));
    EXPECT_EQ(widget()->inputMethodHints(), Qt::InputMethodHints(Qt::ImhNone));
    EXPECT_EQ(widget()->inputMethodQuery(Qt::ImHints).toInt(), 0);
    QTest::keyClicks(widget(), "x");
    EXPECT_EQ(plain->stringValue(), u"x");
    ASSERT_TRUE(window->makeFirstResponder(secure));
    EXPECT_EQ(widget()->inputMethodHints(), QtSecureTextInputHints);
}
