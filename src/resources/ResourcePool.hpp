#pragma once
// Shared textures and fonts, keyed by file name; the pool itself never keeps one alive.

#include "resources/PhysFsStream.hpp"

#include <SFML/Graphics/Font.hpp>
#include <SFML/Graphics/Texture.hpp>

#include <map>
#include <memory>
#include <string>

namespace crv {

/** A pooled image. */
struct Texture {
    sf::Texture texture;
    std::shared_ptr<PhysFsStream> stream; ///< the stream it came from, or null (loaded from disk)
    std::wstring name;                    ///< the pool key
};

/** A pooled font; its stream lives as long as the font, which reads glyphs lazily. */
struct Font {
    sf::Font font;
    std::shared_ptr<PhysFsStream> stream;
    std::wstring name;
};

template <typename R>
class ResourcePool {
public:
    /** Gives the resource for filepath (media directory included), loading it on first use: the
        loose file first, else the virtual file system. False (logged) with out reset on failure. */
    bool get(std::shared_ptr<R>& out, const std::wstring& filepath);
    /** Lets go of res; with eraseFromPool the next get loads a fresh copy. */
    void rel(std::shared_ptr<R>& res, bool eraseFromPool);
    /** Empties the pool (owners keep their resources). */
    void releaseAllResources();
    /** Logs the pool's contents. */
    void printPool();
    /** Number of entries, live or expired. */
    std::size_t size() const { return m_pool.size(); }

private:
    std::map<std::wstring, std::weak_ptr<R>> m_pool;
    bool m_methodSet = false;
    bool m_fromStream = false;
};

/** The process-wide texture pool, created on first use. */
ResourcePool<Texture>& TexturePool();
/** The process-wide font pool, created on first use. */
ResourcePool<Font>& FontPool();

} // namespace crv
