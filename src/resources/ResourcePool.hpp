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
    std::shared_ptr<PhysFsStream>
        stream;        ///< the stream it came from (closed once loaded), or null (from disk)
    std::wstring name; ///< the pool key
};

/** A pooled font; its stream lives as long as the font, which reads glyphs lazily. */
struct Font {
    sf::Font font;
    std::shared_ptr<PhysFsStream> stream; ///< the stream it came from, or null (loaded from disk)
    std::wstring name;                    ///< the pool key
};

/** One pool per resource kind. Keys are the part of a path after its last "/", so a.png in two
    folders is one entry. The first successful load decides, once, whether the pool tries the loose
    file first (LOAD_FROM_FILE, falling back to the virtual file system on a miss) or only ever reads
    the virtual file system (LOAD_FROM_STREAM). */
template <typename R> class ResourcePool {
public:
    /** Gives the resource for filepath (media directory included), loading it on first use. False
        (logged) with out reset when neither the disk nor the virtual file system yields it. */
    bool get(std::shared_ptr<R>& out, const std::wstring& filepath);
    /** Lets go of res (reset); with eraseFromPool the entry goes too, so the next get loads a fresh
        copy while other owners keep theirs. Without it only an expired entry goes. */
    void rel(std::shared_ptr<R>& res, bool eraseFromPool);
    /** Empties the pool (owners keep their resources; each live one is warned about). */
    void releaseAllResources();
    /** Logs the pool's contents. */
    void printPool();
    /** Number of entries, live or expired. */
    std::size_t size() const { return m_pool.size(); }

    /** Whether the first successful load has decided the load method yet. */
    bool loadMethodSet() const { return m_methodSet; }
    /** Whether the decided method reads only the virtual file system. */
    bool loadsFromStream() const { return m_methodSet && m_fromStream; }
    /** Forgets the decided load method (tests; the engine never calls it). */
    void resetLoadMethod() {
        m_methodSet = false;
        m_fromStream = false;
    }

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
