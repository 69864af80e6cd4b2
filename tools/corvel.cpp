// corvel: plays a novel folder in a window of its own, through the engine's C interface.

#include "engine.h"

#include <physfs.h>

#include <getopt.h>
#include <unistd.h>

#include <chrono>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <string>
#include <thread>
#include <vector>

namespace {

void usage(FILE* out) {
    std::fprintf(out,
                 "Usage: corvel [options] NOVEL_DIR\n"
                 "Plays the visual novel in NOVEL_DIR (its Scripts/, Images/, ... folders or .crvdat archives).\n"
                 "\n"
                 "Options:\n"
                 "  -m, --mode MODE        window | fullscreen | fullwindow (default: window)\n"
                 "  -W, --width PIXELS     width of the novel's view (default: 1280)\n"
                 "  -H, --height PIXELS    height of the novel's view (default: 720)\n"
                 "  -s, --script FILE      main script, relative to Scripts/ (default: main.txt)\n"
                 "  -t, --title TEXT       window title (default: the folder's name)\n"
                 "  -f, --frames N         stop after N frames (headless runs)\n"
                 "  -o, --screenshot FILE  write the last frame to FILE (PNG) before stopping\n"
                 "  -h, --help             show this help and exit\n"
                 "  -V, --version          show the engine's version and exit\n");
}

bool parsePositive(const char* text, long& value) {
    char* end = nullptr;
    errno = 0;
    value = std::strtol(text, &end, 10);
    return errno == 0 && end != text && *end == '\0' && value > 0 && value <= INT_MAX;
}

std::wstring widen(const std::string& text) {
    std::mbstate_t state{};
    const char* source = text.c_str();
    const std::size_t length = std::mbsrtowcs(nullptr, &source, 0, &state);
    if (length == static_cast<std::size_t>(-1))
        return std::wstring(text.begin(), text.end());
    std::wstring out(length, L'\0');
    source = text.c_str();
    std::mbsrtowcs(out.data(), &source, length, &state);
    return out;
}

std::string baseName(std::string path) {
    while (path.size() > 1 && path.back() == '/')
        path.pop_back();
    const auto slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

} // namespace

int main(int argc, char** argv) {
    std::setlocale(LC_ALL, "C.UTF-8");
    unsigned char windowMode = 1;
    long width = 1280, height = 720, frames = 0;
    std::string script = "main.txt", title, screenshot;

    const option options[] = {
        {"mode", required_argument, nullptr, 'm'},   {"width", required_argument, nullptr, 'W'},
        {"height", required_argument, nullptr, 'H'}, {"script", required_argument, nullptr, 's'},
        {"title", required_argument, nullptr, 't'},  {"frames", required_argument, nullptr, 'f'},
        {"screenshot", required_argument, nullptr, 'o'}, {"help", no_argument, nullptr, 'h'},
        {"version", no_argument, nullptr, 'V'},      {nullptr, 0, nullptr, 0},
    };
    for (int c; (c = getopt_long(argc, argv, "m:W:H:s:t:f:o:hV", options, nullptr)) != -1;) {
        switch (c) {
        case 'm':
            if (std::strcmp(optarg, "fullscreen") == 0)
                windowMode = 0;
            else if (std::strcmp(optarg, "window") == 0)
                windowMode = 1;
            else if (std::strcmp(optarg, "fullwindow") == 0)
                windowMode = 2;
            else {
                std::fprintf(stderr, "corvel: unknown window mode '%s' (window, fullscreen or fullwindow)\n", optarg);
                return 2;
            }
            break;
        case 'W':
        case 'H':
        case 'f': {
            long value = 0;
            if (!parsePositive(optarg, value)) {
                std::fprintf(stderr, "corvel: -%c needs a positive whole number, not '%s'\n", c, optarg);
                return 2;
            }
            (c == 'W' ? width : c == 'H' ? height : frames) = value;
            break;
        }
        case 's': script = optarg; break;
        case 't': title = optarg; break;
        case 'o': screenshot = optarg; break;
        case 'h': usage(stdout); return 0;
        case 'V': std::printf("corvel (engine %ls)\n", getDLLVersion()); return 0;
        default: usage(stderr); return 2;
        }
    }
    if (optind != argc - 1) {
        usage(stderr);
        return 2;
    }
    const std::string novel = argv[optind];
    if (title.empty())
        title = baseName(novel);

    // Screenshots are written relative to where the launcher was started.
    if (!screenshot.empty() && screenshot.front() != '/') {
        char cwd[PATH_MAX];
        if (getcwd(cwd, sizeof cwd))
            screenshot = std::string(cwd) + "/" + screenshot;
    }
    if (chdir(novel.c_str()) != 0) {
        std::fprintf(stderr, "corvel: cannot open the novel folder '%s': %s\n", novel.c_str(), std::strerror(errno));
        return 1;
    }

    if (!PHYSFS_init(argv[0])) {
        std::fprintf(stderr, "corvel: cannot start the file system: %s\n",
                     PHYSFS_getErrorByCode(PHYSFS_getLastErrorCode()));
        return 1;
    }
    // The novel's folder first, so loose files win over the archive.
    PHYSFS_mount(".", nullptr, 1);
    PHYSFS_mount("Scripts.crvdat", nullptr, 1);
    const std::string scriptPath = "Scripts/" + script;
    PHYSFS_File* file = PHYSFS_openRead(scriptPath.c_str());
    if (!file) {
        std::fprintf(stderr, "corvel: the main script '%s' is not in '%s' (neither loose nor in Scripts.crvdat)\n",
                     scriptPath.c_str(), novel.c_str());
        PHYSFS_deinit();
        return 1;
    }
    std::string bytes(static_cast<std::size_t>(std::max<PHYSFS_sint64>(PHYSFS_fileLength(file), 0)), '\0');
    const PHYSFS_sint64 read = PHYSFS_readBytes(file, bytes.data(), bytes.size());
    PHYSFS_close(file);
    if (read < 0 || static_cast<std::size_t>(read) != bytes.size()) {
        std::fprintf(stderr, "corvel: cannot read the main script '%s'\n", scriptPath.c_str());
        PHYSFS_deinit();
        return 1;
    }

    const std::wstring wideTitle = widen(title), wideScript = widen(script), wideText = widen(bytes);
    CreateRenderWindow(nullptr, 0, static_cast<int>(width), static_cast<int>(height), wideTitle.c_str(),
                       wideScript.c_str(), wideText.c_str(), L"application", windowMode);

    // A steady rate well above the drawing rate keeps input responsive; the engine paces drawing.
    using clock = std::chrono::steady_clock;
    auto next = clock::now();
    long frame = 0;
    int status = 0;
    while (!getGameOver()) {
        UpdateRenderWindow();
        ++frame;
        if (frames > 0 && frame >= frames)
            break;
        next += std::chrono::milliseconds(5);
        std::this_thread::sleep_until(next);
    }
    if (!screenshot.empty()) {
        const std::wstring path = widen(screenshot);
        if (!crvSaveFrame(path.c_str())) {
            std::fprintf(stderr, "corvel: cannot write the screenshot '%s'\n", screenshot.c_str());
            status = 1;
        }
    }
    DestroyRenderWindow();
    PHYSFS_deinit();
    return status;
}
