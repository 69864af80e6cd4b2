// A host may shut PhysFS down while the engine still holds open files (a font's stream, a music
// stream): PHYSFS_deinit frees them, and the engine must not touch them again.

#include "resources/NovelFolder.hpp"

#include "resources/PhysFsStream.hpp"

#include <gtest/gtest.h>

#include <physfs.h>

#include <memory>
#include <string>

using crvtest::NovelFolder;

TEST(PhysFsLifetime, StreamThatOutlivesDeinitIsClosedAndInert) {
    NovelFolder novel;
    novel.write("Scripts/a.txt", "abc");
    ASSERT_TRUE(PHYSFS_init(nullptr));
    ASSERT_TRUE(PHYSFS_mount(".", nullptr, 1));
    auto stream = std::make_unique<crv::PhysFsStream>(std::string("Scripts/a.txt"));
    ASSERT_TRUE(stream->isOpen());
    ASSERT_EQ(stream->getSize(), 3);

    ASSERT_TRUE(PHYSFS_deinit());
    char buffer[4] = {};
    EXPECT_EQ(stream->read(buffer, 3), -1);
    EXPECT_EQ(stream->seek(1), -1);
    EXPECT_EQ(stream->tell(), -1);
    EXPECT_EQ(stream->getSize(), -1);
    stream.reset(); // closing a file the deinit already freed used to crash here
    EXPECT_FALSE(PHYSFS_isInit());
}
