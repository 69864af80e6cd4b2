// The texture and font pools over real PNG files, a real TrueType font and real ZIP archives.

#include "resources/NovelFolder.hpp"

#include "core/Text.hpp"
#include "resources/ResourcePool.hpp"

#include <gtest/gtest.h>

#include <SFML/Graphics/Image.hpp>

#include <sys/resource.h>

#include <string>
#include <vector>

using crvtest::dejaVuSans;
using crvtest::makePng;
using crvtest::makeZip;
using crvtest::NovelFolder;
using crvtest::NovelSession;

namespace {

const sf::Color kLoose = sf::Color::Red;
const sf::Color kArchived = sf::Color::Blue;

sf::Color colourOf(const crv::Texture& texture) {
    return texture.texture.copyToImage().getPixel(0, 0);
}

} // namespace

TEST(TexturePool, DiskFirstIsDecidedOnceAndArchiveOnlyFilesStillLoad) {
    NovelSession session([](NovelFolder& novel) {
        novel.write("Images/bg1.png", makePng(4, 4, kLoose));
        novel.write("Images.crvdat", makeZip({{"Images/bg1.png", makePng(4, 4, kArchived)},
                                              {"Images/only.png", makePng(2, 3, kArchived)}}));
    });
    auto& pool = crv::TexturePool();
    std::shared_ptr<crv::Texture> bg, only;
    ASSERT_TRUE(pool.get(bg, L"Images/bg1.png"));
    EXPECT_EQ(colourOf(*bg), kLoose); // the loose file overrides the archived one
    EXPECT_EQ(bg->stream, nullptr);
    EXPECT_TRUE(bg->texture.isSmooth());
    EXPECT_EQ(bg->name, L"bg1.png");
    EXPECT_TRUE(pool.loadMethodSet());
    EXPECT_FALSE(pool.loadsFromStream());

    ASSERT_TRUE(pool.get(only, L"Images/only.png"));
    ASSERT_NE(only->stream, nullptr);
    EXPECT_FALSE(only->stream->isOpen()); // uploaded: the file (and its descriptor) is let go
    EXPECT_EQ(only->texture.getSize(), sf::Vector2u(2, 3));
    EXPECT_FALSE(pool.loadsFromStream());

    EXPECT_EQ(session.count("LOAD METHOD SET"), 1);
    EXPECT_EQ(session.count("\n[ResourcePool::getNewResource] LOAD METHOD SET: LOAD_FROM_FILE \n\n"), 1);
    EXPECT_NE(session.log().find(
                  "[ResourcePool::getNewResource] filename:only.png, filepath:Images/only.png refs:1, "
                  "pool_size:2, line(m:"),
              std::string::npos);
}

TEST(TexturePool, StreamFirstIsDecidedOnceAndTheDiskIsNeverTriedAgain) {
    NovelSession session([](NovelFolder& novel) {
        novel.write("Images.crvdat", makeZip({{"Images/a.png", makePng(2, 2, kArchived)},
                                              {"Images/b.png", makePng(2, 2, kArchived)}}));
    });
    auto& pool = crv::TexturePool();
    std::shared_ptr<crv::Texture> a, b;
    ASSERT_TRUE(pool.get(a, L"Images/a.png"));
    EXPECT_TRUE(pool.loadsFromStream());
    // A loose file that appears later is not read from disk: it comes through the stream.
    session.folder().write("Images/b.png", makePng(2, 2, kLoose));
    ASSERT_TRUE(pool.get(b, L"Images/b.png"));
    EXPECT_NE(b->stream, nullptr);
    EXPECT_EQ(session.count("LOAD METHOD SET"), 1);
    EXPECT_EQ(session.count("\n[ResourcePool::getNewResource] LOAD METHOD SET: LOAD_FROM_STREAM \n\n"), 1);

    // Tests may start the decision over.
    pool.resetLoadMethod();
    EXPECT_FALSE(pool.loadMethodSet());
}

TEST(TexturePool, OneEntryPerFileNameSharedLiveAndReloadedWhenExpired) {
    NovelSession session([](NovelFolder& novel) {
        novel.write("Images/a.png", makePng(2, 2, kLoose));
        novel.write("Images/sub/a.png", makePng(2, 2, sf::Color::Green));
    });
    auto& pool = crv::TexturePool();
    std::shared_ptr<crv::Texture> first, second;
    ASSERT_TRUE(pool.get(first, L"Images/a.png"));
    ASSERT_TRUE(pool.get(second, L"Images/sub/a.png"));
    EXPECT_EQ(first, second); // the second folder's a.png is the first one's entry
    EXPECT_EQ(colourOf(*second), kLoose);
    EXPECT_EQ(pool.size(), 1u);
    EXPECT_NE(
        session.log().find("[ResourcePool::getExistingResource] filename:a.png, refs:2, pool_size:1 \n"),
        std::string::npos);

    first.reset();
    second.reset();
    EXPECT_EQ(pool.size(), 1u); // the pool never keeps one alive, but remembers the name
    std::shared_ptr<crv::Texture> again;
    ASSERT_TRUE(pool.get(again, L"Images/sub/a.png"));
    EXPECT_NE(
        session.log().find("WARNING. (ResourcePool::getExistingResource) filename:a.png, refs:0. RELEASING. "
                           "WILL RELOAD. \n"),
        std::string::npos);
    EXPECT_EQ(colourOf(*again), sf::Color::Green);
    EXPECT_EQ(pool.size(), 1u);
}

TEST(TexturePool, ReleasingOneOrAll) {
    NovelSession session([](NovelFolder& novel) {
        novel.write("Images/a.png", makePng(2, 2, kLoose));
        novel.write("Images/b.png", makePng(2, 2, kLoose));
    });
    auto& pool = crv::TexturePool();
    std::shared_ptr<crv::Texture> a1, a2, b;
    ASSERT_TRUE(pool.get(a1, L"Images/a.png"));
    ASSERT_TRUE(pool.get(a2, L"Images/a.png"));
    ASSERT_TRUE(pool.get(b, L"Images/b.png"));

    pool.rel(a1, false); // another owner remains: the entry stays
    EXPECT_EQ(a1, nullptr);
    EXPECT_EQ(pool.size(), 2u);
    EXPECT_NE(
        session.log().find("[ResourcePool::rel] filename:a.png refs:1, pool_size:2, eraseFromPool:false \n"),
        std::string::npos);

    const crv::Texture* kept = a2.get();
    std::shared_ptr<crv::Texture> holder = a2;
    pool.rel(a2, true); // the entry goes; the remaining owner keeps its texture, the next get is fresh
    EXPECT_EQ(pool.size(), 1u);
    EXPECT_EQ(holder.get(), kept);
    std::shared_ptr<crv::Texture> fresh;
    ASSERT_TRUE(pool.get(fresh, L"Images/a.png"));
    EXPECT_NE(fresh.get(), kept);

    std::shared_ptr<crv::Texture> none;
    pool.rel(none, false);
    EXPECT_NE(session.log().find("[ResourcePool::rel] image is nullptr \n"), std::string::npos);
    auto stranger = std::make_shared<crv::Texture>();
    stranger->name = L"elsewhere.png";
    pool.rel(stranger, false);
    EXPECT_EQ(stranger, nullptr);
    EXPECT_NE(session.log().find("[ResourcePool::rel] search texture not found. filename:elsewhere.png \n"),
              std::string::npos);

    pool.printPool();
    EXPECT_NE(session.log().find("[ResourcePool::printPool] pool contents. name:\"b.png\" use_count:1 \n"),
              std::string::npos);
    pool.releaseAllResources();
    EXPECT_EQ(pool.size(), 0u);
    EXPECT_NE(b, nullptr); // owners keep what they hold
    const std::string log = session.log();
    EXPECT_NE(log.find("[releaseAllResources] WARNING. name:a.png use_count:1 \n"), std::string::npos);
    EXPECT_NE(log.find("[releaseAllResources] WARNING. name:b.png use_count:1 \n"), std::string::npos);
    EXPECT_NE(log.find("[ResourcePool::printPool] pool empty \n[releaseAllResources] COMPLETE \n\n"),
              std::string::npos);
}

// A scene full of archived images must not hold one open file per image.
TEST(TexturePool, ArchivedTexturesDoNotKeepFilesOpen) {
    constexpr int kImages = 300;
    NovelSession session([](NovelFolder& novel) {
        std::vector<std::pair<std::string, std::string>> files;
        const std::string png = makePng(1, 1, kArchived);
        for (int i = 0; i < kImages; ++i)
            files.emplace_back("Images/img" + std::to_string(i) + ".png", png);
        novel.write("Images.crvdat", makeZip(files));
    });
    rlimit limit{};
    ASSERT_EQ(getrlimit(RLIMIT_NOFILE, &limit), 0);
    const rlimit low{200, limit.rlim_max};
    ASSERT_EQ(setrlimit(RLIMIT_NOFILE, &low), 0);
    std::vector<std::shared_ptr<crv::Texture>> held(kImages);
    int loaded = 0;
    for (int i = 0; i < kImages; ++i)
        loaded += crv::TexturePool().get(held[i], L"Images/img" + std::to_wstring(i) + L".png") ? 1 : 0;
    setrlimit(RLIMIT_NOFILE, &limit);
    EXPECT_EQ(loaded, kImages);
}

TEST(FontPool, ArchivedFontKeepsItsStreamAndDrawsGlyphsLater) {
    NovelSession session([](NovelFolder& novel) {
        novel.write("Fonts.crvdat", makeZip({{"Fonts/DejaVuSans.ttf", dejaVuSans()}}));
    });
    std::shared_ptr<crv::Font> font;
    ASSERT_TRUE(crv::FontPool().get(font, L"Fonts/DejaVuSans.ttf"));
    ASSERT_NE(font->stream, nullptr);
    EXPECT_TRUE(font->stream->isOpen());
    EXPECT_TRUE(crv::FontPool().loadsFromStream());
    EXPECT_EQ(font->font.getInfo().family, "DejaVu Sans");
    // Glyphs are read from the stream only now, long after the load.
    const sf::Glyph& glyph = font->font.getGlyph(L'\x3A9', 40, false);
    EXPECT_GT(glyph.bounds.width, 0.f);
    EXPECT_NE(session.log().find("LOAD_FROM_STREAM"), std::string::npos);
}

TEST(ResourcePools, BadInputIsLoggedAndRefused) {
    NovelSession session([](NovelFolder& novel) {
        novel.write("Images/fake.png", "this is not a PNG image at all");
        novel.write("Images/good.png", makePng(2, 2, kLoose));
        novel.write("Fonts/empty.ttf", "");
        novel.writeOutside("secret.png", makePng(2, 2, kLoose));
    });
    const std::string outside = (session.folder().outside() / "secret.png").string();
    auto& textures = crv::TexturePool();
    std::shared_ptr<crv::Texture> texture = std::make_shared<crv::Texture>();
    struct Case {
        std::wstring path;
        std::string logLine;
    };
    const std::vector<Case> cases = {
        {L"Images/fake.png",
         "[ResourcePool::getNewResource] loadFromStream FAILED. filepath:Images/fake.png \n"},
        {L"Images/missing.png", "[ResourcePool::getNewResource] PHYSFS_openRead FAILED. "
                                "filepath:Images/missing.png. err-msg:not found \n"},
        {L"Images/../../secret.png", "PHYSFS_openRead FAILED. filepath:Images/../../secret.png. err-msg:"},
        {L"../secret.png", "WARNING. (ResourcePool::getNewResource) path leaves the novel's folder"},
        {crv::toWide(outside), "PHYSFS_openRead FAILED. filepath:" + outside + ". err-msg:not found"},
    };
    for (const auto& c : cases) {
        EXPECT_FALSE(textures.get(texture, c.path)) << crv::toNarrow(c.path);
        EXPECT_EQ(texture, nullptr) << crv::toNarrow(c.path);
        EXPECT_NE(session.log().find(c.logLine), std::string::npos) << crv::toNarrow(c.path);
    }
    EXPECT_EQ(textures.size(), 0u);
    EXPECT_FALSE(textures.loadMethodSet()); // failures decide nothing
    ASSERT_TRUE(textures.get(texture, L"Images/good.png"));

    std::shared_ptr<crv::Font> font;
    EXPECT_FALSE(crv::FontPool().get(font, L"Fonts/empty.ttf"));
    EXPECT_EQ(font, nullptr);
    EXPECT_NE(session.log().find("loadFromStream FAILED. filepath:Fonts/empty.ttf \n"), std::string::npos);
}
