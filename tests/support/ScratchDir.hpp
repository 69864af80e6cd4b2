#pragma once
// A fresh folder for one test: the engine reads and writes relative to the current directory.

#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>

namespace crvtest {

class ScratchDir {
public:
    ScratchDir() {
        char pattern[] = "/tmp/corvel-test-XXXXXX";
        m_path = ::mkdtemp(pattern);
        m_previous = std::filesystem::current_path();
        std::filesystem::current_path(m_path);
    }
    ~ScratchDir() {
        std::error_code ignored;
        std::filesystem::current_path(m_previous, ignored);
        std::filesystem::remove_all(m_path, ignored);
    }
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;

    const std::filesystem::path& path() const { return m_path; }

    /** Writes a file (folders are created), relative to the scratch folder. */
    void write(const std::filesystem::path& relative, const std::string& bytes) const {
        const auto full = m_path / relative;
        std::filesystem::create_directories(full.parent_path());
        std::ofstream(full, std::ios::binary) << bytes;
    }

    std::string read(const std::filesystem::path& relative) const {
        std::ifstream in(m_path / relative, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }

private:
    std::filesystem::path m_path;
    std::filesystem::path m_previous;
};

} // namespace crvtest
