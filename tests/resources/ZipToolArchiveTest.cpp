// Archives as a novel ships them: made with the zip tool, so their entries are deflated (the
// hand-built archives of the other tests store them). Fonts read glyphs with random access, which a
// compressed entry serves only by inflating again from its start.

#include "resources/NovelFolder.hpp"

#include "core/Text.hpp"
#include "resources/PhysFsStream.hpp"
#include "resources/ResourcePool.hpp"

#include <gtest/gtest.h>

#include <SFML/Graphics/Image.hpp>

#include <cstdlib>
#include <filesystem>
#include <string>

using crvtest::dejaVuSans;
using crvtest::NovelFolder;
using crvtest::NovelSession;

namespace {

// A few hundred lines of UTF-8 with Japanese text, so the entry is large and compresses well.
std::string longScript() {
    std::string text;
    for (int i = 0; i < 400; ++i)
        text += "\"\xE3\x81\x93\xE3\x82\x93\xE3\x81\xAB\xE3\x81\xA1\xE3\x81\xAF line " + std::to_string(i) +
                "\"\n";
    return text;
}

// Packs folder into archive with the zip tool (files only, no directory entries) and removes the
// loose folder, as a release build does.
void pack(const std::string& archive, const std::string& folder) {
    const std::string command = "zip -q -9 -r -D " + archive + " " + folder;
    ASSERT_EQ(std::system(command.c_str()), 0) << command;
    std::filesystem::remove_all(folder);
}

// The compression method of the archive's first entry (8 is deflate).
int firstEntryMethod(const std::string& zip) {
    return static_cast<unsigned char>(zip[8]) | (static_cast<unsigned char>(zip[9]) << 8);
}

// Overwrites the first byte of the first entry's data with a deflate block of the reserved type,
// which no inflater accepts; the archive's directory stays intact, so it still mounts.
std::string damageFirstEntry(std::string zip) {
    const auto le16 = [&](std::size_t at) {
        return static_cast<std::size_t>(static_cast<unsigned char>(zip[at]) |
                                        (static_cast<unsigned char>(zip[at + 1]) << 8));
    };
    zip[30 + le16(26) + le16(28)] = static_cast<char>(0xFF);
    return zip;
}

sf::Image gradient() {
    sf::Image image;
    image.create(64, 48);
    for (unsigned y = 0; y < 48; ++y)
        for (unsigned x = 0; x < 64; ++x)
            image.setPixel(x, y, sf::Color(static_cast<sf::Uint8>(x * 4), static_cast<sf::Uint8>(y * 5), 90));
    return image;
}

} // namespace

TEST(ZipToolArchives, DeflatedEntriesServeImagesFontsAndScripts) {
    NovelSession session([](NovelFolder& novel) {
        std::filesystem::create_directories("Images");
        ASSERT_TRUE(gradient().saveToFile("Images/bg.png"));
        novel.write("Fonts/DejaVuSans.ttf", dejaVuSans());
        novel.write("Scripts/long.txt", longScript());
        pack("Images.crvdat", "Images");
        pack("Fonts.crvdat", "Fonts");
        pack("Scripts.crvdat", "Scripts");
        ASSERT_EQ(firstEntryMethod(novel.read("Fonts.crvdat")), 8);
        ASSERT_EQ(firstEntryMethod(novel.read("Scripts.crvdat")), 8);
    });
    EXPECT_EQ(session.count("[AddPathToPhysfs] ERROR!"), 3); // only BGM, SFX and Voices are missing

    std::wstring text;
    ASSERT_TRUE(crv::PhysFsStream::ReadTxtFile(std::string("Scripts/long.txt"), text));
    EXPECT_EQ(text, crv::toWide(longScript()));

    std::shared_ptr<crv::Texture> texture;
    ASSERT_TRUE(crv::TexturePool().get(texture, L"Images/bg.png"));
    EXPECT_TRUE(crv::TexturePool().loadsFromStream());
    const sf::Image pixels = texture->texture.copyToImage();
    ASSERT_EQ(pixels.getSize(), sf::Vector2u(64, 48));
    EXPECT_EQ(pixels.getPixel(10, 20), gradient().getPixel(10, 20));

    std::shared_ptr<crv::Font> font;
    ASSERT_TRUE(crv::FontPool().get(font, L"Fonts/DejaVuSans.ttf"));
    // Glyphs far apart in the file, asked for out of order: each one seeks in the deflated entry.
    for (const wchar_t letter : {L'\x3A9', L'A', L'\x416', L'z', L'\x20AC'}) {
        const sf::Glyph& glyph = font->font.getGlyph(letter, 30, false);
        EXPECT_GT(glyph.bounds.width, 0.f) << static_cast<int>(letter);
    }
}

TEST(ZipToolArchives, DamagedCompressedDataIsAReadErrorNotACrash) {
    NovelSession session([](NovelFolder& novel) {
        std::filesystem::create_directories("Images");
        ASSERT_TRUE(gradient().saveToFile("Images/bg.png"));
        novel.write("Scripts/long.txt", longScript());
        novel.write("Fonts/DejaVuSans.ttf", dejaVuSans());
        pack("Images.crvdat", "Images");
        pack("Scripts.crvdat", "Scripts");
        pack("Fonts.crvdat", "Fonts");
        novel.write("Scripts.crvdat", damageFirstEntry(novel.read("Scripts.crvdat")));
        novel.write("Fonts.crvdat", damageFirstEntry(novel.read("Fonts.crvdat")));
        // A zip tool's archive cut short: its directory at the end is gone.
        const std::string images = novel.read("Images.crvdat");
        novel.write("Images.crvdat", images.substr(0, images.size() / 2));
    });
    const std::string log = session.log();
    EXPECT_NE(log.find("[AddPathToPhysfs] ERROR! path:Images.crvdat msg:"), std::string::npos);
    EXPECT_EQ(log.find("[AddPathToPhysfs] ERROR! path:Scripts.crvdat"), std::string::npos);

    std::wstring text = L"kept";
    EXPECT_FALSE(crv::PhysFsStream::ReadTxtFile(std::string("Scripts/long.txt"), text));
    EXPECT_EQ(text, L"kept");
    EXPECT_NE(
        session.log().find("ERROR: (PhysFsStream::ReadTxtFile) RUNTIME ERROR!!:cannot read Scripts/long.txt"),
        std::string::npos);

    std::shared_ptr<crv::Texture> texture;
    EXPECT_FALSE(crv::TexturePool().get(texture, L"Images/bg.png"));
    EXPECT_EQ(texture, nullptr);
    EXPECT_NE(
        session.log().find("[ResourcePool::getNewResource] PHYSFS_openRead FAILED. filepath:Images/bg.png."),
        std::string::npos);

    std::shared_ptr<crv::Font> font;
    EXPECT_FALSE(crv::FontPool().get(font, L"Fonts/DejaVuSans.ttf"));
    EXPECT_EQ(font, nullptr);
    EXPECT_NE(session.log().find(
                  "[ResourcePool::getNewResource] loadFromStream FAILED. filepath:Fonts/DejaVuSans.ttf"),
              std::string::npos);
}
