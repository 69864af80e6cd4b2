#include "resources/ResourcePool.hpp"

#include "core/Log.hpp"
#include "core/Text.hpp"

namespace crv {

namespace {
bool loadFromFile(Texture& r, const std::string& path) { return r.texture.loadFromFile(path); }
bool loadFromFile(Font& r, const std::string& path) { return r.font.loadFromFile(path); }
bool loadFromStream(Texture& r) { return r.texture.loadFromStream(*r.stream); }
bool loadFromStream(Font& r) { return r.font.loadFromStream(*r.stream); }
void finish(Texture& r) { r.texture.setSmooth(true); }
void finish(Font&) {}
} // namespace

template <typename R>
bool ResourcePool<R>::get(std::shared_ptr<R>& out, const std::wstring& filepath) {
    const auto slash = filepath.find_last_of(L'/');
    const std::wstring key = slash == std::wstring::npos ? filepath : filepath.substr(slash + 1);
    if (auto it = m_pool.find(key); it != m_pool.end()) {
        out = it->second.lock();
        if (out)
            return true;
        m_pool.erase(it);
    }
    out = std::make_shared<R>();
    bool loaded = false;
    if (!(m_methodSet && m_fromStream))
        loaded = loadFromFile(*out, toNarrow(filepath));
    if (loaded) {
        if (!m_methodSet) {
            m_methodSet = true;
            m_fromStream = false;
        }
    } else {
        out->stream = std::make_shared<PhysFsStream>(filepath);
        if (!out->stream->isOpen() || !loadFromStream(*out)) {
            out.reset();
            return false;
        }
        if (!m_methodSet) {
            m_methodSet = true;
            m_fromStream = true;
        }
    }
    out->name = key;
    finish(*out);
    m_pool[key] = out;
    return true;
}

template <typename R>
void ResourcePool<R>::rel(std::shared_ptr<R>& res, bool eraseFromPool) {
    if (!res)
        return;
    const std::wstring name = res->name;
    res.reset();
    auto it = m_pool.find(name);
    if (it == m_pool.end())
        return;
    if (eraseFromPool || it->second.expired())
        m_pool.erase(it);
}

template <typename R>
void ResourcePool<R>::releaseAllResources() {
    m_pool.clear();
}

template <typename R>
void ResourcePool<R>::printPool() {}

template class ResourcePool<Texture>;
template class ResourcePool<Font>;

ResourcePool<Texture>& TexturePool() {
    static ResourcePool<Texture> pool;
    return pool;
}

ResourcePool<Font>& FontPool() {
    static ResourcePool<Font> pool;
    return pool;
}

} // namespace crv
