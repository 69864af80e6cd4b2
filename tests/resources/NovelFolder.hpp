#pragma once
// A novel folder built before the engine starts, so the engine's start-up mounts the archives and
// reads the Config.xml that are already there, as it does for a shipped novel. The folder is a
// subfolder of a scratch folder: files next to it are "outside the novel" for escape tests.

#include "support/ScratchDir.hpp"

#include "core/Log.hpp"
#include "core/Services.hpp"
#include "script/Parser.hpp"

#include <SFML/Graphics/Image.hpp>
#include <SFML/Graphics/RenderWindow.hpp>

#include <physfs.h>

#include <array>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace crvtest {

/** Bytes of a ZIP archive holding files stored uncompressed (what PhysFS reads like any ZIP). */
inline std::string makeZip(const std::vector<std::pair<std::string, std::string>>& files) {
    const auto crc32 = [](const std::string& data) {
        static const std::array<std::uint32_t, 256> table = [] {
            std::array<std::uint32_t, 256> t{};
            for (std::uint32_t i = 0; i < 256; ++i) {
                std::uint32_t c = i;
                for (int k = 0; k < 8; ++k)
                    c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
                t[i] = c;
            }
            return t;
        }();
        std::uint32_t c = 0xFFFFFFFFu;
        for (unsigned char b : data)
            c = table[(c ^ b) & 0xFF] ^ (c >> 8);
        return c ^ 0xFFFFFFFFu;
    };
    const auto le = [](std::string& out, std::uint32_t value, int bytes) {
        for (int i = 0; i < bytes; ++i)
            out.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
    };
    std::string zip, central;
    for (const auto& [name, data] : files) {
        const auto offset = static_cast<std::uint32_t>(zip.size());
        const std::uint32_t crc = crc32(data), size = static_cast<std::uint32_t>(data.size());
        const auto nameLength = static_cast<std::uint32_t>(name.size());
        le(zip, 0x04034b50, 4);
        le(zip, 20, 2), le(zip, 0, 2), le(zip, 0, 2), le(zip, 0, 2), le(zip, 0x21, 2);
        le(zip, crc, 4), le(zip, size, 4), le(zip, size, 4), le(zip, nameLength, 2), le(zip, 0, 2);
        zip += name;
        zip += data;
        le(central, 0x02014b50, 4);
        le(central, 20, 2), le(central, 20, 2), le(central, 0, 2), le(central, 0, 2), le(central, 0, 2);
        le(central, 0x21, 2), le(central, crc, 4), le(central, size, 4), le(central, size, 4);
        le(central, nameLength, 2), le(central, 0, 2), le(central, 0, 2), le(central, 0, 2),
            le(central, 0, 2);
        le(central, 0, 4), le(central, offset, 4);
        central += name;
    }
    const auto centralOffset = static_cast<std::uint32_t>(zip.size());
    zip += central;
    le(zip, 0x06054b50, 4);
    le(zip, 0, 2), le(zip, 0, 2), le(zip, static_cast<std::uint32_t>(files.size()), 2);
    le(zip, static_cast<std::uint32_t>(files.size()), 2);
    le(zip, static_cast<std::uint32_t>(central.size()), 4), le(zip, centralOffset, 4), le(zip, 0, 2);
    return zip;
}

/** Bytes of a PNG of w x h in one colour, encoded by SFML. */
inline std::string makePng(unsigned w, unsigned h, sf::Color colour) {
    sf::Image image;
    image.create(w, h, colour);
    char pattern[] = "/tmp/corvel-png-XXXXXX";
    const int fd = ::mkstemp(pattern);
    ::close(fd);
    const std::string path = std::string(pattern) + ".png";
    image.saveToFile(path);
    std::ifstream in(path, std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::filesystem::remove(pattern);
    std::filesystem::remove(path);
    return bytes;
}

/** The DejaVu Sans font file (package fonts-dejavu-core). */
inline std::string dejaVuSans() {
    std::ifstream in("/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf", std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

/** A scratch folder with the novel in its subfolder "novel" (the current directory while it lives). */
class NovelFolder {
public:
    NovelFolder() : m_novel(m_scratch.path() / "novel") {
        std::filesystem::create_directories(m_novel);
        std::filesystem::current_path(m_novel);
    }
    /** Writes a file of the novel (folders are created). */
    void write(const std::filesystem::path& relative, const std::string& bytes) const {
        std::filesystem::create_directories((m_novel / relative).parent_path());
        std::ofstream(m_novel / relative, std::ios::binary) << bytes;
    }
    /** Writes a file next to the novel's folder, outside it. */
    void writeOutside(const std::filesystem::path& relative, const std::string& bytes) const {
        std::ofstream(m_scratch.path() / relative, std::ios::binary) << bytes;
    }
    std::string read(const std::filesystem::path& relative) const {
        std::ifstream in(m_novel / relative, std::ios::binary);
        return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    }
    const std::filesystem::path& path() const { return m_novel; }
    const std::filesystem::path& outside() const { return m_scratch.path(); }

private:
    ScratchDir m_scratch;
    std::filesystem::path m_novel;
};

/** A running engine (hidden window, parser stack, first novel state) started in a novel folder that
    prepare has filled first. */
class NovelSession {
public:
    /** hostInitialisesPhysFs false leaves PhysFS as prepare left it, for the engine to deal with. */
    explicit NovelSession(const std::function<void(NovelFolder&)>& prepare = {}, bool gameMode = false,
                          bool hostInitialisesPhysFs = true) {
        if (prepare)
            prepare(m_folder);
        if (hostInitialisesPhysFs && !PHYSFS_isInit())
            PHYSFS_init(nullptr);
        crv::Services::pRenderWindow = std::make_unique<sf::RenderWindow>(
            sf::VideoMode(320, 240), "corvel-test", sf::Style::None, sf::ContextSettings(0, 0, 0, 2, 0));
        crv::Services::pRenderWindow->setVisible(false);
        crv::Services::pNParser = std::make_unique<crv::NParser>(L"main.txt", L"");
        crv::Services::InitNovelState(gameMode);
    }
    ~NovelSession() {
        crv::CloseEngine();
        PHYSFS_deinit();
    }
    NovelSession(const NovelSession&) = delete;
    NovelSession& operator=(const NovelSession&) = delete;

    NovelFolder& folder() { return m_folder; }
    crv::SysVars& vars() { return *crv::Services::SysVars(); }
    /** Everything logged so far, as it stands in debug.txt. */
    std::string log() {
        crv::FlushLog();
        return m_folder.read("debug.txt");
    }
    /** How often text occurs in the log. */
    int count(const std::string& text) {
        const std::string all = log();
        int n = 0;
        for (auto at = all.find(text); at != std::string::npos; at = all.find(text, at + text.size()))
            ++n;
        return n;
    }

private:
    NovelFolder m_folder; // first member: the engine starts inside it and is closed before it goes
};

} // namespace crvtest
