#pragma once
// An SFML input stream over a file of the virtual file system.

#include <SFML/System/InputStream.hpp>

#include <string>

struct PHYSFS_File;

namespace crv {

class PhysFsStream : public sf::InputStream {
public:
    PhysFsStream() = default;
    explicit PhysFsStream(const std::wstring& path) { open(path); }
    ~PhysFsStream() override;
    PhysFsStream(const PhysFsStream&) = delete;
    PhysFsStream& operator=(const PhysFsStream&) = delete;

    /** Opens a file of the search path for reading; false if it is not there. */
    bool open(const std::wstring& path);
    bool isOpen() const { return m_file != nullptr; }
    void close();

    sf::Int64 read(void* data, sf::Int64 size) override;
    sf::Int64 seek(sf::Int64 position) override;
    sf::Int64 tell() override;
    sf::Int64 getSize() override;

    /** Reads a whole UTF-8 text file of the search path into text; false (logged) on failure. */
    static bool ReadTxtFile(const std::wstring& path, std::wstring& text);

private:
    PHYSFS_File* m_file = nullptr;
};

} // namespace crv
