#include "platform/views/Cursor.h"
#include "platform/views/Sound.h"

#include <gtest/gtest.h>

using namespace brevanton;

TEST(Sound, PlayedSoundsAreRecordedInOrder)
{
    Sound::clearPlayedSounds();
    ASSERT_TRUE(Sound::soundNamed(u"Funk"));
    EXPECT_TRUE(Sound::soundNamed(u"Funk")->play());
    Sound::beep();
    EXPECT_FALSE(Sound::soundNamed(u""));
    EXPECT_EQ(Sound::playedSoundNames(), (std::vector<std::u16string> { u"Funk", Sound::BeepName }));
    Sound::clearPlayedSounds();
    EXPECT_TRUE(Sound::playedSoundNames().empty());
}

TEST(Cursor, TheCurrentCursorAndItsHistory)
{
    Cursor::resetForTesting();
    EXPECT_EQ(Cursor::currentCursor(), Cursor::arrowCursor());
    Cursor::IBeamCursor().set();
    Cursor::pointingHandCursor().set();
    EXPECT_EQ(Cursor::currentCursor().kind(), CursorKind::PointingHand);
    EXPECT_EQ(Cursor::setCursorHistory(), (std::vector<CursorKind> { CursorKind::IBeam, CursorKind::PointingHand }));
    Cursor::resetForTesting();
    EXPECT_TRUE(Cursor::setCursorHistory().empty());

    // A long session (the pointer sets the cursor on every move) keeps only
    // the newest part of the history, and the current cursor is the last set.
    for (size_t index = 0; index < 10 * Cursor::maximumCursorHistoryLength; ++index)
        (index % 2 ? Cursor::IBeamCursor() : Cursor::arrowCursor()).set();
    Cursor::closedHandCursor().set();
    auto history = Cursor::setCursorHistory();
    EXPECT_LE(history.size(), Cursor::maximumCursorHistoryLength);
    EXPECT_GE(history.size(), Cursor::maximumCursorHistoryLength / 2);
    EXPECT_EQ(history.back(), CursorKind::ClosedHand);
    EXPECT_EQ(history[history.size() - 2], CursorKind::IBeam);
    EXPECT_EQ(Cursor::currentCursor().kind(), CursorKind::ClosedHand);
    Cursor::resetForTesting();
}
