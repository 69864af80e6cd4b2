#include "resources/PhysFsStream.hpp"

#include "core/Log.hpp"
#include "core/Text.hpp"

#include <physfs.h>
#include <utf8.h>

#include <algorithm>
#include <filesystem>
#include <iterator>
#include <stdexcept>
#include <vector>

namespace crv {

bool NPHYSFS_close(PHYSFS_File* file) {
    if (!file)
        return true;
    // PHYSFS_deinit has already closed and freed every open file (a host may shut PhysFS down while
    // a font or a music stream still holds one): closing it again would touch freed memory.
    if (!PHYSFS_isInit())
        return false;
    if (!PHYSFS_close(file)) {
        OutputDebugStringN(L"[NPHYSFS_close] PHYSFS_close ERROR!!! %s \n", PhysFsLastError().c_str());
        return false;
    }
    return true;
}

std::wstring PhysFsLastError() {
    const char* text = PHYSFS_getErrorByCode(PHYSFS_getLastErrorCode());
    return text ? toWide(text) : std::wstring();
}

std::optional<std::string> NovelDiskPath(const std::wstring& path) {
    std::wstring slashed = path;
    std::replace(slashed.begin(), slashed.end(), L'\\', L'/');
    if (slashed.empty() || slashed.front() == L'/')
        return std::nullopt;
    const std::string narrow = toNarrow(slashed);
    const std::filesystem::path relative(narrow);
    for (const auto& part : relative)
        if (part == "..")
            return std::nullopt;
    // A symbolic link may still lead out of the folder: compare where the path really ends up.
    std::error_code error;
    const auto root = std::filesystem::canonical(std::filesystem::current_path(error), error);
    if (error)
        return std::nullopt;
    const auto resolved = std::filesystem::weakly_canonical(root / relative, error);
    if (error)
        return std::nullopt;
    const auto [rootEnd, resolvedAt] =
        std::mismatch(root.begin(), root.end(), resolved.begin(), resolved.end());
    if (rootEnd != root.end())
        return std::nullopt;
    return narrow;
}

// ---------------------------------------------------------------------------------------------
// PhysFsStream

PhysFsStream::~PhysFsStream() {
    close();
}

bool PhysFsStream::open(const std::string& path) {
    close();
    std::string virtualPath = path;
    std::replace(virtualPath.begin(), virtualPath.end(), '\\', '/');
    m_path = toWide(virtualPath);
    // PhysFS's calls need its state: before PHYSFS_init they would touch a lock that does not exist.
    if (!PHYSFS_isInit())
        return false;
    if (PHYSFS_File* file = PHYSFS_openRead(virtualPath.c_str()))
        m_file = std::shared_ptr<PHYSFS_File>(file, [](PHYSFS_File* f) { NPHYSFS_close(f); });
    return isOpen();
}

bool PhysFsStream::open(const std::wstring& path) {
    return open(toNarrow(path));
}

void PhysFsStream::close() {
    m_file.reset();
}

namespace {
// The handle is only valid while PhysFS is initialised: PHYSFS_deinit frees it.
bool usable(const std::shared_ptr<PHYSFS_File>& file) {
    return file && PHYSFS_isInit();
}
} // namespace

sf::Int64 PhysFsStream::read(void* data, sf::Int64 size) {
    if (!usable(m_file) || size < 0)
        return -1;
    return PHYSFS_readBytes(m_file.get(), data, static_cast<PHYSFS_uint64>(size));
}

sf::Int64 PhysFsStream::seek(sf::Int64 position) {
    if (!usable(m_file) || position < 0 || !PHYSFS_seek(m_file.get(), static_cast<PHYSFS_uint64>(position)))
        return -1;
    return tell();
}

sf::Int64 PhysFsStream::tell() {
    return usable(m_file) ? PHYSFS_tell(m_file.get()) : -1;
}

sf::Int64 PhysFsStream::getSize() {
    return usable(m_file) ? PHYSFS_fileLength(m_file.get()) : -1;
}

// ---------------------------------------------------------------------------------------------
// Whole text files

bool PhysFsStream::ReadTxtFile(const std::wstring& path, std::wstring& text) {
    return ReadTxtFile(toNarrow(path), text);
}

bool PhysFsStream::ReadTxtFile(const std::string& path, std::wstring& text) {
    try {
        std::string virtualPath = path;
        std::replace(virtualPath.begin(), virtualPath.end(), '\\', '/');
        if (!PHYSFS_isInit()) {
            OutputDebugStringN(L"(PhysFsStream::ReadTxtFile) PHYSFS_openRead ERROR!!! %s \n",
                               L"the virtual file system is not initialised");
            return false;
        }
        if (!PHYSFS_exists(virtualPath.c_str())) {
            OutputDebugStringN(L"\nWARNING: (PhysFsStream::ReadTxtFile) FILE DOES NOT EXIST:%s \n\n",
                               toWide(virtualPath).c_str());
            return false;
        }
        PHYSFS_File* file = PHYSFS_openRead(virtualPath.c_str());
        if (!file) {
            OutputDebugStringN(L"(PhysFsStream::ReadTxtFile) PHYSFS_openRead ERROR!!! %s \n",
                               PhysFsLastError().c_str());
            return false;
        }
        const PHYSFS_sint64 length = PHYSFS_fileLength(file);
        std::vector<char> bytes(static_cast<std::size_t>(std::max<PHYSFS_sint64>(length, 0)));
        const PHYSFS_sint64 got = length > 0 ? PHYSFS_readBytes(file, bytes.data(), bytes.size()) : 0;
        const std::wstring readError = PhysFsLastError();
        NPHYSFS_close(file);
        // A short read would hand the parser a silently truncated script: report it instead.
        if (length < 0 || got != length)
            throw std::runtime_error("cannot read " + virtualPath + ": " + toNarrow(readError));
        bytes.push_back('\0');

        const auto end = std::find(bytes.begin(), bytes.end(), '\0');
        const auto invalid = utf8::find_invalid(bytes.begin(), end);
        if (invalid != end)
            throw std::invalid_argument(virtualPath + " is not valid UTF-8 (byte " +
                                        std::to_string(invalid - bytes.begin()) + ")");
        std::wstring decoded;
        decoded.reserve(static_cast<std::size_t>(end - bytes.begin()));
        utf8::unchecked::utf8to32(bytes.begin(), end, std::back_inserter(decoded));
        text.swap(decoded);
        return true;
    } catch (const std::runtime_error& e) {
        OutputDebugStringN(L"\nERROR: (PhysFsStream::ReadTxtFile) RUNTIME ERROR!!:%s \n",
                           toWide(e.what()).c_str());
    } catch (const std::exception& e) {
        OutputDebugStringN(L"\nERROR: (PhysFsStream::ReadTxtFile) ERROR!!:%s \n", toWide(e.what()).c_str());
    } catch (...) {
        OutputDebugStringN(L"\nERROR: (PhysFsStream::ReadTxtFile) CAGUHT UNKNOWN!! \n");
    }
    return false;
}

} // namespace crv
