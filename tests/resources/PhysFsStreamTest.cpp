// The virtual file system over a real novel folder and real ZIP archives: mount order, the stream
// adapter, the text reader and what bad input does.

#include "resources/NovelFolder.hpp"

#include "core/Text.hpp"
#include "resources/PhysFsStream.hpp"
#include "resources/ResourcePool.hpp"

#include <gtest/gtest.h>

#include <physfs.h>

#include <string>
#include <vector>

using crvtest::makeZip;
using crvtest::NovelFolder;
using crvtest::NovelSession;

namespace {

std::vector<std::string> searchPath() {
    std::vector<std::string> out;
    char** list = PHYSFS_getSearchPath();
    for (char** entry = list; entry && *entry; ++entry)
        out.emplace_back(*entry);
    PHYSFS_freeList(list);
    return out;
}

} // namespace

TEST(VirtualFileSystem, NovelFolderFirstThenTheArchivesAndLooseFilesWin) {
    NovelSession session([](NovelFolder& novel) {
        novel.write("Scripts/a.txt", "loose");
        novel.write("Scripts.crvdat",
                    makeZip({{"Scripts/a.txt", "archived"}, {"Scripts/only.txt", "only archived"}}));
        novel.write("Images.crvdat", makeZip({{"Images/x.txt", "x"}}));
    });
    const auto path = searchPath();
    ASSERT_EQ(path.size(), 3u);
    EXPECT_EQ(path[0], ".");
    EXPECT_NE(path[1].find("Images.crvdat"), std::string::npos);
    EXPECT_NE(path[2].find("Scripts.crvdat"), std::string::npos);

    std::wstring text;
    ASSERT_TRUE(crv::PhysFsStream::ReadTxtFile(L"Scripts/a.txt", text));
    EXPECT_EQ(text, L"loose");
    ASSERT_TRUE(crv::PhysFsStream::ReadTxtFile(L"Scripts/only.txt", text));
    EXPECT_EQ(text, L"only archived");
    // The four archives that are not there each say so; nothing else is an error.
    EXPECT_EQ(session.count("[AddPathToPhysfs] ERROR! path:"), 4);
    EXPECT_NE(session.log().find("[AddPathToPhysfs] ERROR! path:Fonts.crvdat msg:"), std::string::npos);
}

TEST(VirtualFileSystem, MountingWhatTheLauncherMountedIsNotAnError) {
    NovelSession session(
        [](NovelFolder& novel) {
            novel.write("Scripts.crvdat", makeZip({{"Scripts/main.txt", "hello"}}));
            // What a launcher does before it hands the engine the main script.
            ASSERT_TRUE(PHYSFS_init(nullptr));
            ASSERT_TRUE(PHYSFS_mount(".", nullptr, 1));
            ASSERT_TRUE(PHYSFS_mount("Scripts.crvdat", nullptr, 1));
        },
        true);
    EXPECT_EQ(session.log().find("path:. msg"), std::string::npos);
    EXPECT_EQ(session.log().find("path:Scripts.crvdat"), std::string::npos);
    EXPECT_EQ(searchPath().size(), 2u);
}

TEST(VirtualFileSystem, AnApplicationHostThatDidNotInitialisePhysFsStillGetsItsFiles) {
    NovelSession session([](NovelFolder& novel) { novel.write("Scripts/main.txt", "hello"); }, true, false);
    EXPECT_TRUE(PHYSFS_isInit());
    std::wstring text;
    EXPECT_TRUE(crv::PhysFsStream::ReadTxtFile(L"Scripts/main.txt", text));
    EXPECT_EQ(text, L"hello");
}

TEST(VirtualFileSystem, StreamReadsSeeksAndReportsFailureAsMinusOne) {
    NovelSession session([](NovelFolder& novel) {
        novel.write("SFX.crvdat", makeZip({{"SFX/bell.bin", "0123456789"}}));
    });
    crv::PhysFsStream stream(L"SFX\\bell.bin");
    ASSERT_TRUE(stream.isOpen());
    EXPECT_EQ(stream.getSize(), 10);
    EXPECT_EQ(stream.seek(4), 4);
    EXPECT_EQ(stream.tell(), 4);
    char buffer[16] = {};
    EXPECT_EQ(stream.read(buffer, 16), 6);
    EXPECT_EQ(std::string(buffer, 6), "456789");
    EXPECT_EQ(stream.read(buffer, 16), 0);
    EXPECT_EQ(stream.seek(11), -1);

    // Reopening lets go of the first file.
    EXPECT_FALSE(stream.open(std::string("SFX/missing.bin")));
    EXPECT_EQ(stream.getSize(), -1);
    EXPECT_EQ(stream.tell(), -1);
    EXPECT_EQ(stream.seek(0), -1);
    EXPECT_EQ(stream.read(buffer, 1), -1);
}

TEST(VirtualFileSystem, ReadTxtFileDecodesAsTheParserNeedsIt) {
    NovelSession session([](NovelFolder& novel) {
        novel.write("Scripts/bom.txt", "\xEF\xBB\xBF\xE3\x81\x82 line");
        novel.write("Scripts/nul.txt", std::string("before\0after", 12));
        novel.write("Scripts/sub/deep.txt", "deep");
        novel.write("Scripts/empty.txt", "");
    });
    struct Case {
        std::wstring path;
        std::wstring text;
    };
    const std::vector<Case> cases = {
        {L"Scripts/bom.txt", L"\xFEFF\x3042 line"}, // the mark stays as the first character
        {L"Scripts/nul.txt", L"before"},            // a NUL ends the text
        {L"Scripts\\sub\\deep.txt", L"deep"},       // a backslash reads as a slash
        {L"Scripts/empty.txt", L""},
    };
    for (const auto& c : cases) {
        std::wstring text = L"previous";
        EXPECT_TRUE(crv::PhysFsStream::ReadTxtFile(c.path, text)) << crv::toNarrow(c.path);
        EXPECT_EQ(text, c.text) << crv::toNarrow(c.path);
    }
}

TEST(VirtualFileSystem, ReadTxtFileRejectsBadInputWithItsLogLine) {
    NovelSession session([](NovelFolder& novel) {
        novel.write("Scripts/latin1.txt", "caf\xE9 au lait");
        novel.write("Scripts/cut.txt", "ends mid-letter \xE3\x81");
        novel.writeOutside("secret.txt", "outside the novel");
        std::filesystem::create_directory_symlink(novel.outside(), novel.path() / "Scripts/escape");
    });
    const std::string outsideAbsolute = (session.folder().outside() / "secret.txt").string();
    struct Case {
        std::string path;
        std::string logLine;
    };
    const std::vector<Case> cases = {
        {"Scripts/latin1.txt",
         "ERROR: (PhysFsStream::ReadTxtFile) ERROR!!:Scripts/latin1.txt is not valid UTF-8"},
        {"Scripts/cut.txt", "ERROR: (PhysFsStream::ReadTxtFile) ERROR!!:Scripts/cut.txt is not valid UTF-8"},
        {"Scripts/missing.txt",
         "WARNING: (PhysFsStream::ReadTxtFile) FILE DOES NOT EXIST:Scripts/missing.txt"},
        {"../secret.txt", "FILE DOES NOT EXIST:../secret.txt"},
        {"Scripts/../../secret.txt", "FILE DOES NOT EXIST:Scripts/../../secret.txt"},
        {"..\\secret.txt", "FILE DOES NOT EXIST:../secret.txt"},
        {outsideAbsolute, "FILE DOES NOT EXIST:" + outsideAbsolute},
        {"Scripts/escape/secret.txt", "FILE DOES NOT EXIST:Scripts/escape/secret.txt"},
    };
    for (const auto& c : cases) {
        std::wstring text = L"kept";
        EXPECT_FALSE(crv::PhysFsStream::ReadTxtFile(c.path, text)) << c.path;
        EXPECT_EQ(text, L"kept") << c.path;
        EXPECT_NE(session.log().find(c.logLine), std::string::npos) << c.path;
    }
    // The stream refuses the same paths.
    for (const auto& c : cases) {
        if (c.logLine.find("DOES NOT EXIST") != std::string::npos) {
            EXPECT_FALSE(crv::PhysFsStream(c.path).isOpen()) << c.path;
        }
    }
}

// Each broken images archive is its own engine (one per process): it is logged when mounted, and
// everything else still works.
class BrokenImagesArchive : public testing::TestWithParam<std::string> {};

TEST_P(BrokenImagesArchive, IsLoggedAndTheRestStillWorks) {
    const std::string kind = GetParam();
    NovelSession session([&](NovelFolder& novel) {
        std::string bytes;
        if (kind == "truncated") {
            const std::string zip = makeZip({{"Images/only.png", crvtest::makePng(2, 2, sf::Color::Red)}});
            bytes = zip.substr(0, zip.size() / 2); // the directory at its end is gone
        } else if (kind == "random") {
            bytes.resize(4096);
            for (std::size_t i = 0; i < bytes.size(); ++i)
                bytes[i] = static_cast<char>((i * 2654435761u) >> 13);
        }
        novel.write("Images.crvdat", bytes);
        novel.write("Scripts.crvdat", makeZip({{"Scripts/ok.txt", "ok"}}));
        novel.write("Images/loose.png", crvtest::makePng(2, 2, sf::Color::Red));
    });
    EXPECT_NE(session.log().find("[AddPathToPhysfs] ERROR! path:Images.crvdat msg:"), std::string::npos);
    std::wstring text;
    EXPECT_TRUE(crv::PhysFsStream::ReadTxtFile(L"Scripts/ok.txt", text));
    std::shared_ptr<crv::Texture> texture;
    EXPECT_TRUE(crv::TexturePool().get(texture, L"Images/loose.png"));
    EXPECT_FALSE(crv::TexturePool().get(texture, L"Images/only.png"));
    EXPECT_NE(session.log().find("PHYSFS_openRead FAILED. filepath:Images/only.png. err-msg:not found"),
              std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(VirtualFileSystem, BrokenImagesArchive,
                         testing::Values("truncated", "random", "empty"));

// Cut data inside archives that mount: a script whose archive promises more bytes than it holds is
// refused rather than handed on cut, and a cut image fails to decode.
TEST(VirtualFileSystem, CutEntriesAreRefused) {
    const auto overstated = [](std::string zip) {
        const auto patch = [&](std::size_t at) {
            std::uint32_t size = 0;
            for (int i = 0; i < 4; ++i)
                size |= static_cast<std::uint32_t>(static_cast<unsigned char>(zip[at + i])) << (8 * i);
            size += 5000;
            for (int i = 0; i < 4; ++i)
                zip[at + i] = static_cast<char>((size >> (8 * i)) & 0xFF);
        };
        patch(18), patch(22); // the local header's sizes
        const std::size_t central = zip.find(std::string("PK\x01\x02", 4));
        patch(central + 20), patch(central + 24);
        return zip;
    };
    NovelSession session([&](NovelFolder& novel) {
        novel.write("Scripts.crvdat", overstated(makeZip({{"Scripts/cut.txt", "a script"}})));
        const std::string png = crvtest::makePng(8, 8, sf::Color::Red);
        novel.write("Images.crvdat", makeZip({{"Images/cut.png", png.substr(0, png.size() / 2)}}));
    });
    EXPECT_EQ(session.log().find("path:Scripts.crvdat msg"), std::string::npos); // both archives mount
    EXPECT_EQ(session.log().find("path:Images.crvdat msg"), std::string::npos);
    std::wstring text = L"kept";
    EXPECT_FALSE(crv::PhysFsStream::ReadTxtFile(L"Scripts/cut.txt", text));
    EXPECT_EQ(text, L"kept");
    EXPECT_NE(
        session.log().find("ERROR: (PhysFsStream::ReadTxtFile) RUNTIME ERROR!!:cannot read Scripts/cut.txt"),
        std::string::npos);
    std::shared_ptr<crv::Texture> texture;
    EXPECT_FALSE(crv::TexturePool().get(texture, L"Images/cut.png"));
    EXPECT_NE(session.log().find(
                  "[ResourcePool::getNewResource] loadFromStream FAILED. filepath:Images/cut.png \n"),
              std::string::npos);
}

TEST(VirtualFileSystem, DiskPathsStayInsideTheNovel) {
    NovelSession session([](NovelFolder& novel) {
        novel.write("Images/a.png", "x");
        novel.writeOutside("secret.png", "x");
    });
    std::filesystem::create_directory_symlink(session.folder().outside(), "Images/escape");
    const std::string outside = (session.folder().outside() / "secret.png").string();
    EXPECT_EQ(crv::NovelDiskPath(L"Images/a.png"), std::optional<std::string>("Images/a.png"));
    EXPECT_EQ(crv::NovelDiskPath(L"Images\\a.png"), std::optional<std::string>("Images/a.png"));
    EXPECT_EQ(crv::NovelDiskPath(L"Images/new/b.png"), std::optional<std::string>("Images/new/b.png"));
    for (const std::wstring& refused :
         {std::wstring(L"../secret.png"), std::wstring(L"Images/../../secret.png"),
          std::wstring(L"Images\\..\\..\\secret.png"), crv::toWide(outside),
          std::wstring(L"Images/escape/secret.png"), std::wstring()})
        EXPECT_FALSE(crv::NovelDiskPath(refused).has_value()) << crv::toNarrow(refused);
}
