#include "resources/PhysFsStream.hpp"

#include "core/Log.hpp"
#include "core/Text.hpp"

#include <physfs.h>

#include <algorithm>
#include <vector>

namespace crv {

PhysFsStream::~PhysFsStream() {
    close();
}

bool PhysFsStream::open(const std::wstring& path) {
    close();
    if (!PHYSFS_isInit())
        return false;
    std::wstring virtualPath = path;
    std::replace(virtualPath.begin(), virtualPath.end(), L'\\', L'/');
    m_file = PHYSFS_openRead(toNarrow(virtualPath).c_str());
    return m_file != nullptr;
}

void PhysFsStream::close() {
    if (m_file) {
        PHYSFS_close(m_file);
        m_file = nullptr;
    }
}

sf::Int64 PhysFsStream::read(void* data, sf::Int64 size) {
    if (!m_file || size < 0)
        return -1;
    return PHYSFS_readBytes(m_file, data, static_cast<PHYSFS_uint64>(size));
}

sf::Int64 PhysFsStream::seek(sf::Int64 position) {
    if (!m_file || position < 0 || !PHYSFS_seek(m_file, static_cast<PHYSFS_uint64>(position)))
        return -1;
    return position;
}

sf::Int64 PhysFsStream::tell() {
    return m_file ? PHYSFS_tell(m_file) : -1;
}

sf::Int64 PhysFsStream::getSize() {
    return m_file ? PHYSFS_fileLength(m_file) : -1;
}

bool PhysFsStream::ReadTxtFile(const std::wstring& path, std::wstring& text) {
    PhysFsStream stream;
    if (!stream.open(path))
        return false;
    const sf::Int64 size = stream.getSize();
    if (size < 0)
        return false;
    std::string bytes(static_cast<std::size_t>(size), '\0');
    if (size > 0 && stream.read(bytes.data(), size) != size)
        return false;
    text = toWide(bytes);
    return true;
}

} // namespace crv
