#include "toolkit/VornickFileTreeEvent.h"

#include "platform/foundation/FileUtilities.h"
#include "toolkit/VornickFileSnapshot.h"

#include <gtest/gtest.h>

using namespace brevanton;

TEST(VornickFileTreeEvent, AnAddedFolderComesWithItsWholeTree)
{
    std::string folder = createTemporaryDirectory("tree-event").value();
    ASSERT_TRUE(createDirectory(folder + "/blogs/A/posts"));
    ASSERT_TRUE(writeFileAtomically(folder + "/blogs/A/posts/p.brevantonblogpost", "{}"));
    URL blogs = URL::fileURLWithPath(folder + "/blogs", true);

    auto added = VornickFileTreeEvent::create(VornickFileTreeEventKind::FileAdded, blogs, 7);
    EXPECT_EQ(added->kind(), VornickFileTreeEventKind::FileAdded);
    EXPECT_EQ(added->eventID(), 7u);
    ASSERT_TRUE(added->fileSnapshot()->isDirectory());
    EXPECT_TRUE(added->fileSnapshot()->childWithRelativeURLString(u"A/posts/p.brevantonblogpost"));

    // Other kinds only say what is at the URL now.
    auto changed = VornickFileTreeEvent::create(VornickFileTreeEventKind::FileChanged, blogs, 8);
    EXPECT_TRUE(changed->fileSnapshot()->exists());
    EXPECT_TRUE(changed->fileSnapshot()->allChildSnapshots().empty());
    EXPECT_TRUE(removeItem(folder));
    auto removed = VornickFileTreeEvent::create(VornickFileTreeEventKind::FileRemoved, blogs, 9);
    EXPECT_FALSE(removed->fileSnapshot()->exists());
}
