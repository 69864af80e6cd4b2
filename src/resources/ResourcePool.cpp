#include "resources/ResourcePool.hpp"

#include "core/Log.hpp"
#include "core/Services.hpp"
#include "core/Text.hpp"
#include "script/Parser.hpp"

#include <SFML/OpenGL.hpp>
#include <physfs.h>

#include <algorithm>
#include <filesystem>

namespace crv {

namespace {

bool loadFromFile(Texture& r, const std::string& path) {
    return r.texture.loadFromFile(path, sf::IntRect());
}
bool loadFromFile(Font& r, const std::string& path) {
    return r.font.loadFromFile(path);
}
bool loadFromStream(Texture& r) {
    return r.texture.loadFromStream(*r.stream, sf::IntRect());
}
bool loadFromStream(Font& r) {
    return r.font.loadFromStream(*r.stream);
}
void finish(Texture& r) {
    r.texture.setSmooth(true);
    // The pixels are on the GPU now. Every open PhysFS file holds a descriptor of its own, so a
    // texture lets go of its file; a font cannot, it reads glyphs as they are needed.
    if (r.stream)
        r.stream->close();
}
void finish(Font&) {}

// Textures made or dropped here must be complete before the window's context uses them.
void flushGraphics() {
    if (Services::pRenderWindow)
        glFlush();
}

int lineOf(bool mainParser) {
    if (!Services::pNParser || Services::pNParser->m_parserDeque.empty())
        return 0;
    return (mainParser ? Services::MainParser() : Services::CurParser())->getReadLineNo();
}

} // namespace

template <typename R> bool ResourcePool<R>::get(std::shared_ptr<R>& out, const std::wstring& filepath) {
    ActivateRenderWindow();
    std::wstring path = filepath;
    std::replace(path.begin(), path.end(), L'\\', L'/');
    const auto slash = path.find_last_of(L'/');
    const std::wstring key = slash == std::wstring::npos ? path : path.substr(slash + 1);

    if (auto it = m_pool.find(key); it != m_pool.end()) {
        out = it->second.lock();
        if (out) {
            OutputDebugStringN(L"[ResourcePool::getExistingResource] filename:%s, refs:%i, pool_size:%i \n",
                               key.c_str(), static_cast<int>(out.use_count()),
                               static_cast<int>(m_pool.size()));
            return true;
        }
        OutputDebugStringN(
            L"WARNING. (ResourcePool::getExistingResource) filename:%s, refs:0. RELEASING. WILL "
            L"RELOAD. \n",
            key.c_str());
        out.reset();
        flushGraphics();
        m_pool.erase(it);
    }

    out = std::make_shared<R>();
    bool fromFile = false;
    if (!(m_methodSet && m_fromStream)) {
        // The disk route must not reach what the virtual file system refuses (absolute paths, "..").
        // Only an existing file is tried: archive-only files would otherwise cost a failed open and
        // an error line from the graphics library on every load.
        std::error_code ignored;
        if (const auto diskPath = NovelDiskPath(path))
            fromFile = std::filesystem::is_regular_file(*diskPath, ignored) && loadFromFile(*out, *diskPath);
        else if (!path.empty())
            OutputDebugStringN(
                L"WARNING. (ResourcePool::getNewResource) path leaves the novel's folder, not read "
                L"from disk. filepath:%s \n",
                filepath.c_str());
    }
    if (fromFile) {
        if (!m_methodSet) {
            OutputDebugStringN(L"\n[ResourcePool::getNewResource] LOAD METHOD SET: LOAD_FROM_FILE \n\n");
            m_methodSet = true;
            m_fromStream = false;
        }
    } else {
        auto stream = std::make_shared<PhysFsStream>(path);
        if (!stream->isOpen()) {
            OutputDebugStringN(
                L"[ResourcePool::getNewResource] PHYSFS_openRead FAILED. filepath:%s. err-msg:%s \n",
                path.c_str(),
                PHYSFS_isInit() ? PhysFsLastError().c_str() : L"the virtual file system is not initialised");
            out.reset();
            flushGraphics();
            return false;
        }
        out->stream = stream;
        if (!loadFromStream(*out)) {
            OutputDebugStringN(L"[ResourcePool::getNewResource] loadFromStream FAILED. filepath:%s \n",
                               path.c_str());
            out.reset();
            flushGraphics();
            return false;
        }
        if (!m_methodSet) {
            OutputDebugStringN(L"\n[ResourcePool::getNewResource] LOAD METHOD SET: LOAD_FROM_STREAM \n\n");
            m_methodSet = true;
            m_fromStream = true;
        }
    }

    out->name = key;
    finish(*out);
    flushGraphics();
    m_pool[key] = out;
    OutputDebugStringN(L"[ResourcePool::getNewResource] filename:%s, filepath:%s refs:%i, pool_size:%i, "
                       L"line(m:%i,c:%i) \n",
                       key.c_str(), filepath.c_str(), static_cast<int>(out.use_count()),
                       static_cast<int>(m_pool.size()), lineOf(true), lineOf(false));
    return true;
}

template <typename R> void ResourcePool<R>::rel(std::shared_ptr<R>& res, bool eraseFromPool) {
    ActivateRenderWindow();
    if (!res) {
        OutputDebugStringN(L"[ResourcePool::rel] image is nullptr \n");
        return;
    }
    const std::wstring name = res->name;
    res.reset();
    flushGraphics();
    auto it = m_pool.find(name);
    if (it == m_pool.end()) {
        OutputDebugStringN(L"[ResourcePool::rel] search texture not found. filename:%s \n", name.c_str());
        return;
    }
    OutputDebugStringN(L"[ResourcePool::rel] filename:%s refs:%i, pool_size:%i, eraseFromPool:%s \n",
                       name.c_str(), static_cast<int>(it->second.use_count()),
                       static_cast<int>(m_pool.size()), eraseFromPool ? L"true" : L"false");
    if (eraseFromPool || it->second.expired())
        m_pool.erase(it);
}

template <typename R> void ResourcePool<R>::releaseAllResources() {
    ActivateRenderWindow();
    for (const auto& [name, entry] : m_pool)
        if (const long owners = entry.use_count(); owners > 0)
            OutputDebugStringN(L"[releaseAllResources] WARNING. name:%s use_count:%i \n", name.c_str(),
                               static_cast<int>(owners));
    m_pool.clear();
    printPool();
    OutputDebugStringN(L"[releaseAllResources] COMPLETE \n\n");
}

template <typename R> void ResourcePool<R>::printPool() {
    if (m_pool.empty()) {
        OutputDebugStringN(L"[ResourcePool::printPool] pool empty \n");
        return;
    }
    for (const auto& [name, entry] : m_pool)
        OutputDebugStringN(L"[ResourcePool::printPool] pool contents. name:\"%s\" use_count:%i \n",
                           name.c_str(), static_cast<int>(entry.use_count()));
}

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
