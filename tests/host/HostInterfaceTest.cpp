// The engine driven through its exported interface, loaded with dlopen as a host loads it.

#include <gtest/gtest.h>

#include "EngineLibrary.hpp"
#include "HostWindow.hpp"
#include "support/ScratchDir.hpp"

#include <SFML/Graphics/Image.hpp>

#include <X11/Xutil.h>

#include <cwchar>
#include <string>

namespace {

class HostInterface : public ::testing::Test {
protected:
    void TearDown() override { engine.DestroyRenderWindow(); }

    std::string log() {
        engine.DestroyRenderWindow(); // shutting down flushes the log
        return dir.read("debug.txt");
    }
    void frames(int count) {
        for (int i = 0; i < count; ++i) {
            engine.UpdateRenderWindow();
            usleep(15000);
        }
    }
    /** Writes a solid-colour PNG into Images/. */
    void writeImage(const std::string& name, unsigned w, unsigned h, sf::Color colour) {
        std::filesystem::create_directories(dir.path() / "Images");
        sf::Image image;
        image.create(w, h, colour);
        ASSERT_TRUE(image.saveToFile((dir.path() / "Images" / name).string()));
    }
    /** An editor session on the host's window: the view is created, initialised and shown. */
    CrvWindow openEditor(const crvtest::HostWindow& host, int width, int height, const wchar_t* text = L"") {
        const CrvWindow child =
            engine.CreateRenderWindow(nullptr, host.id(), width, height, L"E", L"main.txt", text, L"editor", 1);
        if (child != 0) {
            engine.InitNovelSettings(nullptr, host.id(), L"E", L"main.txt", text, L"editor", 1);
            host.show(child);
        }
        return child;
    }
    sf::Image saveFrame() {
        EXPECT_TRUE(engine.crvSaveFrame(L"frame.png"));
        sf::Image image;
        EXPECT_TRUE(image.loadFromFile((dir.path() / "frame.png").string()));
        return image;
    }

    crvtest::ScratchDir dir;
    crvtest::EngineLibrary engine;
};

TEST_F(HostInterface, VersionCalls) {
    EXPECT_STREQ(engine.getDLLVersion(), L"0.8.2-t2");
    EXPECT_EQ(engine.getDLLVersion(), engine.getDLLVersion()) << "the same pointer on every call";
    wchar_t buffer[16];
    std::wmemset(buffer, L'#', 16);
    EXPECT_EQ(engine.fillDLLVersion(buffer), 8);
    EXPECT_STREQ(buffer, L"0.8.2-t2");
    EXPECT_EQ(buffer[9], L'#') << "nothing written past the NUL";
    EXPECT_EQ(engine.fillDLLVersion(nullptr), 0);
}

TEST_F(HostInterface, ThePhysFsApiIsReachableThroughTheEnginesHandle) {
    for (const char* name : {"PHYSFS_init", "PHYSFS_deinit", "PHYSFS_mount", "PHYSFS_addToSearchPath",
                             "PHYSFS_openRead", "PHYSFS_read", "PHYSFS_close", "PHYSFS_getLastError",
                             "PHYSFS_swapULE32", "PHYSFS_readSLE16", "PHYSFS_enumerateFiles"})
        EXPECT_NE(engine.find(name), nullptr) << name;
}

TEST_F(HostInterface, InertCallsAndCallsBeforeInitialisationAreHarmless) {
    engine.setGameOver(true);
    engine.setEngineFullscreen(true);
    EXPECT_FALSE(engine.getEngineFullscreen());
    EXPECT_EQ(engine.getEngineWidth(), 0);
    EXPECT_EQ(engine.getEngineHeight(), 0);
    EXPECT_EQ(engine.getEngineColour(), 0);
    EXPECT_FALSE(engine.getGameOver());

    engine.UpdateRenderWindow();
    engine.InitNovelSettings(nullptr, 0, nullptr, nullptr, nullptr, nullptr, 0);
    engine.setNovelScriptText(nullptr, nullptr, 3, true);
    engine.setGameMode(true);
    engine.AddCG(nullptr);
    engine.setEngineResolution(-5, 0);
    engine.setRenderWindowProportion(0.5f);
    engine.setTweenAnimationDisplay(false);
    engine.setPlayMusicDuringEdit(false);
    engine.setBoundingBoxDisplay(true);
    CrvEngineInfo info{1, 2, 3, 4, 5};
    int state = 99;
    wchar_t name[8] = L"x";
    CrvChosenEntity chosen{7, 7, 7, 7};
    engine.getDLLInformation(&info, &state, name, &chosen, true);
    engine.getDLLInformation(nullptr, nullptr, nullptr, nullptr, true);
    EXPECT_EQ(info.mouseX, 0);
    EXPECT_EQ(info.framesPerSecond, 0);
    EXPECT_EQ(state, 99) << "no parser yet: the state is not written";
    EXPECT_FALSE(engine.crvSaveFrame(L"nothing.png"));
    engine.DestroyRenderWindow();
    engine.DestroyRenderWindow();
    EXPECT_FALSE(engine.getGameOver());
}

TEST_F(HostInterface, EditorModeEmbedsAnUnmappedChildOfTheHostsWindow) {
    crvtest::HostWindow host(800, 600);
    ASSERT_NE(host.id(), 0u);
    const CrvWindow child = engine.CreateRenderWindow(nullptr, host.id(), 640, 360, L"Editor", L"main.txt",
                                                      L"", L"Application", 1);
    ASSERT_NE(child, 0u) << "\"Application\" is not \"application\": editor mode";
    XWindowAttributes attributes;
    ASSERT_TRUE(host.attributes(child, attributes));
    EXPECT_EQ(attributes.width, 640);
    EXPECT_EQ(attributes.height, 360);
    EXPECT_EQ(attributes.map_state, IsUnmapped) << "the host maps the view when it wants it";
    Window root, parent, *children = nullptr;
    unsigned count = 0;
    ASSERT_TRUE(XQueryTree(host.display(), child, &root, &parent, &children, &count));
    if (children)
        XFree(children);
    EXPECT_EQ(parent, host.id());

    engine.InitNovelSettings(nullptr, host.id(), L"Editor", L"main.txt", L"", L"editor", 1);
    host.show(child);
    frames(5);
    engine.setEngineResolution(320, 200);
    ASSERT_TRUE(host.attributes(child, attributes));
    EXPECT_EQ(attributes.width, 320);
    EXPECT_EQ(attributes.height, 200);

    const std::string text = log();
    EXPECT_NE(text.find("\nDLL VERSION: 0.8.2-t2\n"), std::string::npos) << text;
    EXPECT_NE(text.find("[DLL::CreateRenderWindow] COMPLETE\n\n"), std::string::npos);
    EXPECT_NE(text.find("[DLL::InitNovelSettings] COMPLETE\n"), std::string::npos);
    EXPECT_NE(text.find("Max Texture size:"), std::string::npos);
    EXPECT_NE(text.find("[Services::SetEngineResolution] changing resolution to width:320 height:200 \n"),
              std::string::npos);
    EXPECT_FALSE(host.attributes(child, attributes)) << "closing destroys the child window";
}

TEST_F(HostInterface, ABadParentOrSizeFailsWithTheNotice) {
    crvtest::HostWindow host(200, 200);
    EXPECT_EQ(engine.CreateRenderWindow(nullptr, 0x7ffffff0, 100, 100, L"t", L"m.txt", L"", L"editor", 1), 0u);
    EXPECT_EQ(engine.CreateRenderWindow(nullptr, 0, 100, 100, L"t", L"m.txt", L"", L"editor", 1), 0u);
    EXPECT_EQ(engine.CreateRenderWindow(nullptr, host.id(), 0, 100, L"t", L"m.txt", L"", nullptr, 1), 0u);
    EXPECT_EQ(engine.CreateRenderWindow(nullptr, host.id(), 100, -1, nullptr, nullptr, nullptr, nullptr, 1), 0u);
    EXPECT_EQ(engine.CreateRenderWindow(nullptr, 0, -1, 100, L"t", L"m.txt", L"", L"application", 1), 0u);
    EXPECT_EQ(engine.CreateRenderWindow(nullptr, 0, 100, 100, L"t", L"m.txt", L"", L"application", 7), 0u);
    engine.UpdateRenderWindow();
    EXPECT_FALSE(engine.getGameOver());
    // Nothing was created: a good call still works afterwards.
    const CrvWindow child = engine.CreateRenderWindow(nullptr, host.id(), 100, 100, L"t", L"m.txt", L"", L"editor", 1);
    EXPECT_NE(child, 0u);
    const std::string text = log();
    std::size_t notices = 0;
    for (auto at = text.find("ERROR creating render window!"); at != std::string::npos;
         at = text.find("ERROR creating render window!", at + 1))
        ++notices;
    EXPECT_EQ(notices, 6u) << text;
}

TEST_F(HostInterface, ApplicationModeCreatesItsOwnTitledWindowAndRuns) {
    EXPECT_EQ(engine.CreateRenderWindow(nullptr, 0, 320, 240, L"My Novel", L"main.txt", L"", L"application", 1), 0u);
    frames(5);
    EXPECT_FALSE(engine.getGameOver());
    engine.setEngineResolution(100, 100); // refused in application mode

    // The engine's top-level window carries the title.
    Display* display = XOpenDisplay(nullptr);
    ASSERT_NE(display, nullptr);
    Window root, parent, *children = nullptr;
    unsigned count = 0;
    XQueryTree(display, DefaultRootWindow(display), &root, &parent, &children, &count);
    bool titled = false;
    for (unsigned i = 0; i < count; ++i) {
        char* name = nullptr;
        if (XFetchName(display, children[i], &name) && name) {
            titled = titled || std::string(name) == "My Novel -Corvel 0.8.2-t2";
            XFree(name);
        }
    }
    if (children)
        XFree(children);
    XCloseDisplay(display);
    EXPECT_TRUE(titled);

    const std::string text = log();
    EXPECT_NE(text.find("[Services::SetWindowMode] configuring window as: Window mode \n"), std::string::npos);
    EXPECT_NE(text.find("[DLL::InitNovelSettings] COMPLETE\n"), std::string::npos);
    EXPECT_EQ(text.find("changing resolution"), std::string::npos);
}

TEST_F(HostInterface, DestroyThenAFreshWindowStartsOver) {
    crvtest::HostWindow host(400, 300);
    for (int round = 0; round < 2; ++round) {
        const CrvWindow child = engine.CreateRenderWindow(nullptr, host.id(), 200, 150, L"E", L"main.txt", L"", L"editor", 1);
        ASSERT_NE(child, 0u) << "round " << round;
        engine.InitNovelSettings(nullptr, host.id(), L"E", L"main.txt", L"", L"editor", 1);
        frames(3);
        engine.DestroyRenderWindow();
        engine.DestroyRenderWindow(); // only a notice
    }
    EXPECT_EQ(engine.CreateRenderWindow(nullptr, 0, 200, 150, L"A", L"main.txt", L"", L"application", 1), 0u);
    frames(3);
    EXPECT_NE(log().find("CloseEngine"), std::string::npos);
}

TEST_F(HostInterface, HostTextIsLoggedUnchanged) {
    engine.OutputDebugStringN(L"host says 100% %s %d\n");
    engine.OutputDebugStringN(nullptr);
    crvtest::HostWindow host(100, 100);
    engine.CreateRenderWindow(nullptr, host.id(), 50, 50, L"E", L"main.txt", L"", L"editor", 1);
    EXPECT_NE(log().find("host says 100% %s %d\n"), std::string::npos);
}

TEST_F(HostInterface, InvalidCursorLinesAreRefused) {
    crvtest::HostWindow host(300, 200);
    engine.CreateRenderWindow(nullptr, host.id(), 300, 200, L"E", L"main.txt", L"a\nb\nc\n", L"editor", 1);
    engine.InitNovelSettings(nullptr, host.id(), L"E", L"main.txt", L"a\nb\nc\n", L"editor", 1);
    engine.setNovelScriptText(L"a\nb\nc\n", L"main.txt", 0, true);
    engine.setNovelScriptText(L"a\nb\nc\n", L"main.txt", -2, false);
    engine.setNovelScriptText(L"a\nb\nc\n", L"main.txt", -1, true);
    int state = -5;
    engine.getDLLInformation(nullptr, &state, nullptr, nullptr, false);
    EXPECT_GE(state, 0);
    const std::string text = log();
    EXPECT_NE(text.find("[setNovelScriptText:invalid] Invalid lineno argument: 0 [return]\n"), std::string::npos);
    EXPECT_NE(text.find("[setNovelScriptText:invalid] Invalid lineno argument: -2 [return]\n"), std::string::npos);
    EXPECT_NE(text.find("[DLL::setNovelScriptText:reset-script] filename:main.txt, lineno:-1"), std::string::npos);
}

TEST_F(HostInterface, TheEditorImageIsDrawnAtTheTopLeftOfTheView) {
    writeImage("marker.png", 40, 30, sf::Color(255, 0, 0));
    crvtest::HostWindow host(400, 300);
    ASSERT_NE(openEditor(host, 200, 150), 0u);
    engine.AddCG(L"marker.png");
    frames(4);
    const sf::Image frame = saveFrame();
    ASSERT_EQ(frame.getSize(), sf::Vector2u(200, 150));
    EXPECT_EQ(frame.getPixel(5, 5), sf::Color(255, 0, 0)) << "inside the 40x30 image at (0, 0)";
    EXPECT_EQ(frame.getPixel(39, 29), sf::Color(255, 0, 0));
    EXPECT_EQ(frame.getPixel(41, 31), sf::Color(0, 0, 0)) << "outside it the clear colour";
    EXPECT_EQ(frame.getPixel(199, 149), sf::Color(0, 0, 0));
}

} // namespace

namespace {

// An editor that closes its own window first must not take the process down with X errors.
TEST_F(HostInterface, SurvivesTheHostDestroyingItsWindowFirst) {
    CrvWindow child = 0;
    {
        crvtest::HostWindow host(300, 200);
        child = engine.CreateRenderWindow(nullptr, host.id(), 300, 200, L"E", L"main.txt", L"", L"editor", 1);
        ASSERT_NE(child, 0u);
        engine.InitNovelSettings(nullptr, host.id(), L"E", L"main.txt", L"", L"editor", 1);
        host.show(child);
        frames(2);
    }
    frames(3);
    engine.DestroyRenderWindow();
    EXPECT_FALSE(engine.getGameOver());
}

} // namespace

namespace {

// The author moves the image added with AddCG; the host then reads the choice once, with the size.
TEST_F(HostInterface, AChosenImageIsReportedOnceWithItsTextureSize) {
    writeImage("marker.png", 40, 30, sf::Color(0, 255, 0));
    crvtest::HostWindow host(400, 300);
    const CrvWindow child = openEditor(host, 400, 300);
    ASSERT_NE(child, 0u);
    engine.AddCG(L"marker.png");
    frames(2);
    XWarpPointer(host.display(), None, child, 0, 0, 0, 0, 100, 80);
    XSync(host.display(), False);
    frames(4);

    CrvEngineInfo info{};
    CrvChosenEntity chosen{};
    wchar_t name[64] = {};
    int state = -1;
    engine.getDLLInformation(&info, &state, name, &chosen, true);
    EXPECT_EQ(info.mouseX, 100);
    EXPECT_EQ(info.mouseY, 80);
    EXPECT_EQ(chosen.chosen, 1);
    EXPECT_EQ(chosen.nType, 2);
    EXPECT_EQ(chosen.width, 40);
    EXPECT_EQ(chosen.height, 30);
    EXPECT_STREQ(name, L"marker.png");
    engine.getDLLInformation(&info, &state, name, &chosen, true);
    EXPECT_EQ(chosen.chosen, 0) << "a chosen image is consumed by the first report";

    // The image follows the pointer, centred on it.
    const sf::Image frame = saveFrame();
    EXPECT_EQ(frame.getPixel(100, 80), sf::Color(0, 255, 0));
    EXPECT_EQ(frame.getPixel(81, 66), sf::Color(0, 255, 0));
    EXPECT_EQ(frame.getPixel(10, 10), sf::Color(0, 0, 0));
}

} // namespace

namespace {

Window findTitled(Display* display, const std::string& title) {
    Window root, parent, *children = nullptr, found = 0;
    unsigned count = 0;
    XQueryTree(display, DefaultRootWindow(display), &root, &parent, &children, &count);
    for (unsigned i = 0; i < count && !found; ++i) {
        char* name = nullptr;
        if (XFetchName(display, children[i], &name) && name) {
            if (title == name)
                found = children[i];
            XFree(name);
        }
    }
    if (children)
        XFree(children);
    return found;
}

// The player closes the launcher's window: the end-game question is asked, and without a box that
// could ask it the game ends; the host sees it through getGameOver.
TEST_F(HostInterface, ClosingTheApplicationWindowEndsTheGame) {
    dir.write("Scripts/main.txt", "// nothing\n");
    EXPECT_EQ(engine.CreateRenderWindow(nullptr, 0, 320, 240, L"Closing", L"main.txt", L"// nothing\n",
                                        L"application", 1), 0u);
    frames(3);
    Display* display = XOpenDisplay(nullptr);
    ASSERT_NE(display, nullptr);
    const Window window = findTitled(display, "Closing -Corvel 0.8.2-t2");
    ASSERT_NE(window, 0u);
    XEvent close{};
    close.xclient.type = ClientMessage;
    close.xclient.window = window;
    close.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
    close.xclient.format = 32;
    close.xclient.data.l[0] = static_cast<long>(XInternAtom(display, "WM_DELETE_WINDOW", False));
    close.xclient.data.l[1] = CurrentTime;
    XSendEvent(display, window, False, NoEventMask, &close);
    XSync(display, False);
    XCloseDisplay(display);
    for (int i = 0; i < 50 && !engine.getGameOver(); ++i)
        frames(1);
    EXPECT_TRUE(engine.getGameOver());
    const std::string text = log();
    EXPECT_NE(text.find("\nSF::EVENT::CLOSED \n"), std::string::npos);
    EXPECT_NE(text.find("\nGAME END\n"), std::string::npos);
}

} // namespace
