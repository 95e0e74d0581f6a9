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
}
