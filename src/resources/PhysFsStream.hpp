#pragma once
// An SFML input stream over a file of the virtual file system, the whole-file text reader, and the
// one routine through which the engine closes PhysFS files.

#include <SFML/System/InputStream.hpp>

#include <memory>
#include <optional>
#include <string>

struct PHYSFS_File;

namespace crv {

/** Closes a PhysFS file; on failure logs "[NPHYSFS_close] PHYSFS_close ERROR!!! ..." and returns
    false. A null file is a no-op that succeeds. After PHYSFS_deinit (which freed every open file)
    it does nothing and returns false. */
bool NPHYSFS_close(PHYSFS_File* file);

/** PhysFS's last error as wide text ("" when there is none). */
std::wstring PhysFsLastError();

/** The disk path for a path the engine was asked to load relative to the novel's folder: "\" read
    as "/", and refused (nullopt) when it is absolute or would resolve outside the current directory
    (through ".." or a symbolic link), so the disk route cannot reach what the virtual file system
    refuses. */
std::optional<std::string> NovelDiskPath(const std::wstring& path);

class PhysFsStream : public sf::InputStream {
public:
    PhysFsStream() = default;
    /** Opens path at once (see open); test isOpen() for the result. */
    explicit PhysFsStream(const std::wstring& path) { open(path); }
    explicit PhysFsStream(const std::string& path) { open(path); }
    ~PhysFsStream() override;
    PhysFsStream(const PhysFsStream&) = delete;
    PhysFsStream& operator=(const PhysFsStream&) = delete;

    /** Closes any open file and opens path (UTF-8, "\" read as "/") in the search path for reading;
        false if it is not there, is refused as insecure, or PhysFS is not initialised. */
    bool open(const std::string& path);
    bool open(const std::wstring& path);
    bool isOpen() const { return m_file != nullptr; }
    /** Lets go of the file (closed once nobody shares it any more). */
    void close();
    /** The path last opened, for messages. */
    const std::wstring& path() const { return m_path; }

    /** Bytes read into data, or -1 when not open or on a read error. */
    sf::Int64 read(void* data, sf::Int64 size) override;
    /** The new position, or -1 when not open or the seek failed. */
    sf::Int64 seek(sf::Int64 position) override;
    /** The position, or -1 when not open. */
    sf::Int64 tell() override;
    /** The file's length, or -1 when not open. */
    sf::Int64 getSize() override;

    /** Reads a whole UTF-8 text file of the search path into text: "\" read as "/", a byte-order mark
        kept as U+FEFF, the text cut at the first NUL. False (logged, text untouched) when the file is
        missing, unreadable or not valid UTF-8. */
    static bool ReadTxtFile(const std::string& path, std::wstring& text);
    static bool ReadTxtFile(const std::wstring& path, std::wstring& text);

private:
    std::shared_ptr<PHYSFS_File> m_file;
    std::wstring m_path;
};

} // namespace crv
