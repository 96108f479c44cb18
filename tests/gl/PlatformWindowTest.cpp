// The window layer through the calls the program makes: window, GL context,
// message queue, cursor, display modes, message boxes and pbuffers.

#include <GL/gl.h>
#include <GL/glext.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/sdlwindow.h"
#include "platform/wgl.h"

namespace {

std::vector<MSG> procMessages;

LRESULT recordingProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    procMessages.push_back(MSG{window, message, wParam, lParam, 0, POINT{0, 0}});
    return DefWindowProcA(window, message, wParam, lParam);
}

HWND makeWindow(const char* className, UINT classStyle) {
    WNDCLASSA c{};
    c.style = classStyle;
    c.lpfnWndProc = recordingProc;
    c.hIcon = LoadIconA(nullptr, IDI_WINLOGO);
    c.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    c.lpszClassName = className;
    RegisterClassA(&c);
    HWND w = CreateWindowExA(0, className, className, WS_POPUP, 0, 0, 320, 240, nullptr, nullptr, nullptr, nullptr);
    if (w) ShowWindow(w, SW_SHOW);
    return w;
}

// The program's window and GL context, made as the engine makes them.
struct Gl {
    HWND window = nullptr;
    HDC dc = nullptr;
    HGLRC context = nullptr;
};

const Gl& gl() {
    static Gl g = [] {
        Gl r;
        r.window = makeWindow("test", CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS | CS_OWNDC);
        if (!r.window) return r;
        r.dc = GetDC(r.window);
        PIXELFORMATDESCRIPTOR pfd{};
        pfd.nSize = sizeof pfd;
        pfd.nVersion = 1;
        pfd.dwFlags = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | PFD_DOUBLEBUFFER;
        pfd.iPixelType = PFD_TYPE_RGBA;
        pfd.cColorBits = 32;
        const int format = ChoosePixelFormat(r.dc, &pfd);
        if (!SetPixelFormat(r.dc, format, &pfd)) return r;
        r.context = wglCreateContext(r.dc);
        wglMakeCurrent(r.dc, r.context);
        return r;
    }();
    return g;
}

class PlatformWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_NE(gl().context, nullptr);
        ASSERT_TRUE(wglMakeCurrent(gl().dc, gl().context));
        MSG m;
        while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) {
        }
        procMessages.clear();
    }
    static HWND window() { return gl().window; }
};

template <typename F>
F proc(const char* name) {
    return reinterpret_cast<F>(wglGetProcAddress(name));
}

TEST_F(PlatformWindowTest, ContextIsCompatibilityWithDepthAndSharedObjects) {
    EXPECT_EQ(wglGetCurrentContext(), gl().context);
    EXPECT_EQ(wglGetCurrentDC(), gl().dc);
    const char* version = reinterpret_cast<const char*>(glGetString(GL_VERSION));
    ASSERT_NE(version, nullptr);
    const std::string extensions = reinterpret_cast<const char*>(glGetString(GL_EXTENSIONS));
    EXPECT_NE(extensions.find("GL_ARB_vertex_program"), std::string::npos);
    GLint depthBits = 0;
    glGetIntegerv(GL_DEPTH_BITS, &depthBits);
    EXPECT_GE(depthBits, 24);  // though the program asks for none
    GLint viewport[4];
    glGetIntegerv(GL_VIEWPORT, viewport);
    EXPECT_EQ(viewport[2], 320);
    EXPECT_EQ(viewport[3], 240);

    GLuint texture = 0;
    glGenTextures(1, &texture);
    glBindTexture(GL_TEXTURE_2D, texture);
    // A new context is not made current, and sees the first one's objects.
    HGLRC second = wglCreateContext(gl().dc);
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(wglGetCurrentContext(), gl().context);
    EXPECT_TRUE(wglShareLists(gl().context, second));
    ASSERT_TRUE(wglMakeCurrent(gl().dc, second));
    EXPECT_TRUE(glIsTexture(texture));
    EXPECT_TRUE(wglDeleteContext(second));
    EXPECT_EQ(wglGetCurrentContext(), nullptr);
    EXPECT_FALSE(wglDeleteContext(second));
}

TEST_F(PlatformWindowTest, ProcAddressesAndExtensionString) {
    auto extensionsARB = proc<PFNWGLGETEXTENSIONSSTRINGARBPROC>("wglGetExtensionsStringARB");
    auto extensionsEXT = proc<PFNWGLGETEXTENSIONSSTRINGEXTPROC>("wglGetExtensionsStringEXT");
    ASSERT_NE(extensionsARB, nullptr);
    ASSERT_NE(extensionsEXT, nullptr);
    const std::string s = extensionsARB(wglGetCurrentDC());
    EXPECT_EQ(s, extensionsEXT());
    for (const char* name : {"WGL_ARB_extensions_string", "WGL_ARB_pixel_format", "WGL_ARB_pbuffer",
                             "WGL_ARB_render_texture", "WGL_EXT_swap_control"})
        EXPECT_NE(s.find(name), std::string::npos) << name;
    // Every entry point of the extensions it names.
    for (const char* name :
         {"wglGetPixelFormatAttribivARB", "wglGetPixelFormatAttribfvARB", "wglChoosePixelFormatARB",
          "wglCreatePbufferARB", "wglGetPbufferDCARB", "wglReleasePbufferDCARB", "wglDestroyPbufferARB",
          "wglQueryPbufferARB", "wglBindTexImageARB", "wglReleaseTexImageARB", "wglSetPbufferAttribARB",
          "wglSwapIntervalEXT", "wglGetSwapIntervalEXT", "glActiveTextureARB", "glProgramStringARB"})
        EXPECT_NE(wglGetProcAddress(name), nullptr) << name;
    EXPECT_EQ(wglGetProcAddress("wglAllocateMemoryNV"), nullptr);
}

TEST_F(PlatformWindowTest, PeekFiltersByWindowAndKeepsUnremovedMessages) {
    ASSERT_TRUE(PostMessageA(window(), WM_USER + 1, 11, 0));
    ASSERT_TRUE(PostMessageA(nullptr, WM_USER + 2, 22, 0));
    MSG m;
    ASSERT_TRUE(PeekMessageA(&m, window(), 0, 0, PM_NOREMOVE));
    EXPECT_EQ(m.message, UINT(WM_USER + 1));
    ASSERT_TRUE(PeekMessageA(&m, window(), 0, 0, PM_NOREMOVE));
    EXPECT_EQ(m.message, UINT(WM_USER + 1));
    ASSERT_TRUE(PeekMessageA(&m, window(), 0, 0, PM_REMOVE));
    EXPECT_EQ(m.wParam, WPARAM(11));
    // The thread message does not belong to the window.
    EXPECT_FALSE(PeekMessageA(&m, window(), 0, 0, PM_REMOVE));
    ASSERT_TRUE(PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(m.message, UINT(WM_USER + 2));
    EXPECT_EQ(m.hwnd, nullptr);
    EXPECT_FALSE(PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE));
}

TEST_F(PlatformWindowTest, QuitComesWhateverTheFilterAndBeforeWaitingInput) {
    platform::injectKey(window(), true, 'Q', 0);
    PostQuitMessage(7);
    MSG m;
    ASSERT_TRUE(PeekMessageA(&m, window(), WM_MOUSEMOVE, WM_MOUSEMOVE, PM_NOREMOVE));
    EXPECT_EQ(m.message, UINT(WM_QUIT));
    EXPECT_EQ(GetMessageA(&m, window(), 0, 0), 0);
    EXPECT_EQ(m.wParam, WPARAM(7));
    EXPECT_EQ(GetMessageA(&m, window(), 0, 0), 1);
    EXPECT_EQ(m.message, UINT(WM_KEYDOWN));
    EXPECT_FALSE(PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE));
}

// Takes every waiting message the way the program's loops do; the WM_CHARs
// in order with the keys.
std::vector<MSG> pumpAll() {
    std::vector<MSG> out;
    MSG m;
    while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) {
        out.push_back(m);
        TranslateMessage(&m);
        DispatchMessageA(&m);
    }
    return out;
}

TEST_F(PlatformWindowTest, TranslateQueuesTheCharacterRightAfterItsKey) {
    platform::injectKey(window(), true, 'A', 0);
    platform::injectKey(window(), false, 'A', 0);
    platform::injectKey(window(), true, 'A', platform::ModShift);
    platform::injectKey(window(), true, 'A', platform::ModCaps);
    platform::injectKey(window(), true, 'A', platform::ModCaps | platform::ModShift);
    platform::injectKey(window(), true, '1', platform::ModShift);
    platform::injectKey(window(), true, VK_ESCAPE, 0);
    platform::injectKey(window(), true, VK_RETURN, 0);
    platform::injectKey(window(), true, VK_BACK, 0);
    platform::injectKey(window(), true, VK_F3, 0);
    const std::vector<MSG> got = pumpAll();
    const std::vector<std::pair<UINT, WPARAM>> want = {
        {WM_KEYDOWN, 'A'}, {WM_CHAR, 'a'},  {WM_KEYUP, 'A'},        {WM_KEYDOWN, 'A'}, {WM_CHAR, 'A'},
        {WM_KEYDOWN, 'A'}, {WM_CHAR, 'A'},  {WM_KEYDOWN, 'A'},      {WM_CHAR, 'a'},    {WM_KEYDOWN, '1'},
        {WM_CHAR, '!'},    {WM_KEYDOWN, 27}, {WM_CHAR, 27},          {WM_KEYDOWN, 13},  {WM_CHAR, 13},
        {WM_KEYDOWN, 8},   {WM_CHAR, 8},    {WM_KEYDOWN, VK_F3}};
    ASSERT_EQ(got.size(), want.size());
    for (size_t i = 0; i < want.size(); ++i) {
        EXPECT_EQ(got[i].message, want[i].first) << i;
        EXPECT_EQ(got[i].wParam, want[i].second) << i;
        EXPECT_EQ(got[i].hwnd, window()) << i;
    }
    // The procedure saw the same, in the same order.
    ASSERT_EQ(procMessages.size(), want.size());
    EXPECT_EQ(procMessages[1].message, UINT(WM_CHAR));
    // Key-up flags: previous state and transition bits.
    EXPECT_EQ(static_cast<uint32_t>(got[2].lParam) >> 30, 3u);
}

TEST_F(PlatformWindowTest, CloseGoesToTheProcedureAndEndsTheLoop) {
    platform::injectClose(window());
    MSG m;
    ASSERT_TRUE(PeekMessageA(&m, window(), 0, 0, PM_REMOVE));
    EXPECT_EQ(m.message, UINT(WM_QUIT));
    ASSERT_EQ(procMessages.size(), 1u);
    EXPECT_EQ(procMessages[0].message, UINT(WM_CLOSE));
    EXPECT_EQ(procMessages[0].hwnd, window());
    EXPECT_EQ(DefWindowProcA(window(), WM_KEYDOWN, 0, 0), 0);
}

TEST_F(PlatformWindowTest, MouseMessagesCarryThePointAndDoubleClicksNeedTheClassStyle) {
    platform::injectMouseMove(window(), 12, 34);
    platform::injectMouseButton(window(), platform::ButtonLeft, true, false, 5, 6);
    platform::injectMouseButton(window(), platform::ButtonLeft, false, false, 5, 6);
    platform::injectMouseButton(window(), platform::ButtonLeft, true, true, 5, 6);
    platform::injectMouseButton(window(), platform::ButtonRight, true, false, 300, 200);
    std::vector<MSG> got = pumpAll();
    ASSERT_EQ(got.size(), 5u);
    EXPECT_EQ(got[0].message, UINT(WM_MOUSEMOVE));
    EXPECT_EQ(got[0].lParam, LPARAM(12 | 34 << 16));
    EXPECT_EQ(got[1].message, UINT(WM_LBUTTONDOWN));
    EXPECT_EQ(got[1].wParam, WPARAM(MK_LBUTTON));
    EXPECT_EQ(got[2].message, UINT(WM_LBUTTONUP));
    EXPECT_EQ(got[3].message, UINT(WM_LBUTTONDBLCLK));
    EXPECT_EQ(got[4].message, UINT(WM_RBUTTONDOWN));
    EXPECT_EQ(got[4].lParam, LPARAM(300 | 200 << 16));
    POINT p;
    ASSERT_TRUE(GetCursorPos(&p));
    EXPECT_EQ(p.x, 300);
    EXPECT_EQ(p.y, 200);
    platform::injectMouseButton(window(), platform::ButtonLeft, false, false, 5, 6);
    platform::injectMouseButton(window(), platform::ButtonRight, false, false, 5, 6);
    pumpAll();

    HWND plain = makeWindow("plain", CS_OWNDC);
    ASSERT_NE(plain, nullptr);
    platform::injectMouseButton(plain, platform::ButtonLeft, true, true, 1, 1);
    got = pumpAll();
    ASSERT_EQ(got.size(), 1u);
    EXPECT_EQ(got[0].message, UINT(WM_LBUTTONDOWN));
    EXPECT_EQ(got[0].hwnd, plain);
    platform::injectMouseButton(plain, platform::ButtonLeft, false, false, 1, 1);
    pumpAll();
    ASSERT_TRUE(wglMakeCurrent(gl().dc, gl().context));
}

TEST_F(PlatformWindowTest, CursorPositionAndDisplayCounter) {
    ASSERT_TRUE(SetCursorPos(200, 200));
    POINT p{0, 0};
    ASSERT_TRUE(GetCursorPos(&p));
    EXPECT_EQ(p.x, 200);
    EXPECT_EQ(p.y, 200);
    EXPECT_EQ(ShowCursor(FALSE), -1);
    EXPECT_EQ(ShowCursor(FALSE), -2);
    EXPECT_EQ(ShowCursor(TRUE), -1);
    EXPECT_EQ(ShowCursor(TRUE), 0);
    EXPECT_EQ(ShowCursor(TRUE), 1);
    EXPECT_EQ(ShowCursor(FALSE), 0);
}

TEST_F(PlatformWindowTest, MessageBoxWritesAndReturnsAtOnce) {
    testing::internal::CaptureStderr();
    EXPECT_EQ(MessageBoxA(nullptr, "Window Creation Error.", "ERROR", MB_OK | MB_ICONEXCLAMATION), IDOK);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "ERROR: Window Creation Error.\n");
}

TEST_F(PlatformWindowTest, DisplayModeOfNoSizeFails) {
    DEVMODEA mode{};
    mode.dmSize = sizeof mode;
    mode.dmFields = DM_BITSPERPEL | DM_PELSWIDTH | DM_PELSHEIGHT;
    mode.dmBitsPerPel = 32;
    EXPECT_NE(ChangeDisplaySettingsA(&mode, CDS_FULLSCREEN), DISP_CHANGE_SUCCESSFUL);
    mode.dmPelsWidth = 12345;
    mode.dmPelsHeight = 17;
    EXPECT_NE(ChangeDisplaySettingsA(&mode, CDS_FULLSCREEN), DISP_CHANGE_SUCCESSFUL);
    EXPECT_EQ(ChangeDisplaySettingsA(nullptr, 0), DISP_CHANGE_SUCCESSFUL);
}

// Reads one pixel of the current framebuffer.
std::vector<unsigned char> pixelAt(int x, int y) {
    std::vector<unsigned char> p(4);
    glReadPixels(x, y, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, p.data());
    return p;
}

TEST_F(PlatformWindowTest, PbufferDrawsInItsOwnContextAndBindsAsTexture) {
    auto choose = proc<PFNWGLCHOOSEPIXELFORMATARBPROC>("wglChoosePixelFormatARB");
    auto create = proc<PFNWGLCREATEPBUFFERARBPROC>("wglCreatePbufferARB");
    auto getDC = proc<PFNWGLGETPBUFFERDCARBPROC>("wglGetPbufferDCARB");
    auto query = proc<PFNWGLQUERYPBUFFERARBPROC>("wglQueryPbufferARB");
    auto bind = proc<PFNWGLBINDTEXIMAGEARBPROC>("wglBindTexImageARB");
    auto release = proc<PFNWGLRELEASETEXIMAGEARBPROC>("wglReleaseTexImageARB");
    auto destroy = proc<PFNWGLDESTROYPBUFFERARBPROC>("wglDestroyPbufferARB");

    const int attributes[] = {WGL_DRAW_TO_PBUFFER_ARB, 1, WGL_BIND_TO_TEXTURE_RGBA_ARB, 1, WGL_COLOR_BITS_ARB, 24,
                              WGL_ALPHA_BITS_ARB, 8, WGL_DEPTH_BITS_ARB, 16, 0};
    const FLOAT noFloats[] = {0};
    int format = 0;
    UINT count = 0;
    ASSERT_TRUE(choose(gl().dc, attributes, noFloats, 1, &format, &count));
    ASSERT_EQ(count, 1u);
    const int pbufferAttributes[] = {WGL_TEXTURE_FORMAT_ARB, WGL_TEXTURE_RGBA_ARB, WGL_TEXTURE_TARGET_ARB,
                                     WGL_TEXTURE_2D_ARB, WGL_MIPMAP_TEXTURE_ARB, 1, WGL_PBUFFER_LARGEST_ARB, 0, 0};
    HPBUFFERARB pbuffer = create(gl().dc, format, 64, 64, pbufferAttributes);
    ASSERT_NE(pbuffer, nullptr);
    int width = 0;
    EXPECT_TRUE(query(pbuffer, WGL_PBUFFER_WIDTH_ARB, &width));
    EXPECT_EQ(width, 64);
    HDC pdc = getDC(pbuffer);
    HGLRC pcontext = wglCreateContext(pdc);
    ASSERT_NE(pcontext, nullptr);
    EXPECT_EQ(wglGetCurrentContext(), gl().context);

    // Draw: the pbuffer's own size and clear colour.
    ASSERT_TRUE(wglMakeCurrent(pdc, pcontext));
    GLint viewport[4];
    glGetIntegerv(GL_VIEWPORT, viewport);
    EXPECT_EQ(viewport[2], 64);
    EXPECT_EQ(viewport[3], 64);
    GLint depthBits = 0;
    glGetIntegerv(GL_DEPTH_BITS, &depthBits);
    EXPECT_GE(depthBits, 16);
    glClearColor(1, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    EXPECT_EQ(pixelAt(63, 63), (std::vector<unsigned char>{255, 0, 0, 255}));

    // Back in the window: its own state, its own framebuffer.
    ASSERT_TRUE(wglMakeCurrent(gl().dc, gl().context));
    GLfloat clear[4];
    glGetFloatv(GL_COLOR_CLEAR_VALUE, clear);
    EXPECT_NE(clear[0], 1.0f);
    glClearColor(0, 0, 1, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    EXPECT_EQ(pixelAt(10, 10), (std::vector<unsigned char>{0, 0, 255, 255}));

    // Texturing: the picture arrives in the bound texture, mipmaps included.
    GLuint texture = 0;
    glGenTextures(1, &texture);
    glBindTexture(GL_TEXTURE_2D, texture);
    glTexParameteri(GL_TEXTURE_2D, GL_GENERATE_MIPMAP_SGIS, GL_TRUE);
    ASSERT_TRUE(bind(pbuffer, WGL_FRONT_LEFT_ARB));
    glTexParameteri(GL_TEXTURE_2D, GL_GENERATE_MIPMAP_SGIS, GL_FALSE);
    std::vector<unsigned char> level0(64 * 64 * 4), level1(32 * 32 * 4);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, level0.data());
    glGetTexImage(GL_TEXTURE_2D, 1, GL_RGBA, GL_UNSIGNED_BYTE, level1.data());
    EXPECT_EQ(std::vector<unsigned char>(level0.begin(), level0.begin() + 4), (std::vector<unsigned char>{255, 0, 0, 255}));
    EXPECT_EQ(std::vector<unsigned char>(level0.end() - 4, level0.end()), (std::vector<unsigned char>{255, 0, 0, 255}));
    EXPECT_EQ(std::vector<unsigned char>(level1.begin(), level1.begin() + 4), (std::vector<unsigned char>{255, 0, 0, 255}));
    EXPECT_TRUE(release(pbuffer, WGL_FRONT_LEFT_ARB));
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
    EXPECT_EQ(pixelAt(10, 10), (std::vector<unsigned char>{0, 0, 255, 255}));

    // Later pictures reach the texture they were last bound to as soon as
    // they are drawn; binding again shows them, mipmaps included when the
    // texture asks for them.
    const auto drawPicture = [&](float r, float g, float b) {
        ASSERT_TRUE(wglMakeCurrent(pdc, pcontext));
        glClearColor(r, g, b, 1);
        glClear(GL_COLOR_BUFFER_BIT);
        ASSERT_TRUE(wglMakeCurrent(gl().dc, gl().context));
    };
    const auto firstTexel = [&](int level) {
        std::vector<unsigned char> texels(static_cast<size_t>(4) * (64 >> level) * (64 >> level));
        glGetTexImage(GL_TEXTURE_2D, level, GL_RGBA, GL_UNSIGNED_BYTE, texels.data());
        return std::vector<unsigned char>(texels.begin(), texels.begin() + 4);
    };
    const std::vector<unsigned char> red{255, 0, 0, 255}, green{0, 255, 0, 255}, blue{0, 0, 255, 255},
        white{255, 255, 255, 255};
    drawPicture(0, 1, 0);
    ASSERT_TRUE(bind(pbuffer, WGL_FRONT_LEFT_ARB));
    EXPECT_EQ(firstTexel(0), green);
    EXPECT_TRUE(release(pbuffer, WGL_FRONT_LEFT_ARB));
    drawPicture(1, 1, 1);
    glTexParameteri(GL_TEXTURE_2D, GL_GENERATE_MIPMAP_SGIS, GL_TRUE);
    ASSERT_TRUE(bind(pbuffer, WGL_FRONT_LEFT_ARB));
    EXPECT_EQ(firstTexel(0), white);
    EXPECT_EQ(firstTexel(1), white);
    EXPECT_EQ(firstTexel(6), white);
    EXPECT_TRUE(release(pbuffer, WGL_FRONT_LEFT_ARB));
    drawPicture(0, 0, 1);
    ASSERT_TRUE(bind(pbuffer, WGL_FRONT_LEFT_ARB));
    glTexParameteri(GL_TEXTURE_2D, GL_GENERATE_MIPMAP_SGIS, GL_FALSE);
    EXPECT_EQ(firstTexel(0), blue);
    EXPECT_EQ(firstTexel(3), blue);
    EXPECT_TRUE(release(pbuffer, WGL_FRONT_LEFT_ARB));

    // Another texture gets the next pictures; the first keeps its last one.
    GLuint other = 0;
    glGenTextures(1, &other);
    glBindTexture(GL_TEXTURE_2D, other);
    ASSERT_TRUE(bind(pbuffer, WGL_FRONT_LEFT_ARB));
    EXPECT_EQ(firstTexel(0), blue);
    EXPECT_TRUE(release(pbuffer, WGL_FRONT_LEFT_ARB));
    drawPicture(0, 1, 0);
    ASSERT_TRUE(bind(pbuffer, WGL_FRONT_LEFT_ARB));
    EXPECT_EQ(firstTexel(0), green);
    glBindTexture(GL_TEXTURE_2D, texture);
    EXPECT_EQ(firstTexel(0), blue);

    // A texture deleted, or given another image, since the last binding
    // still gets the picture when bound.
    glDeleteTextures(1, &other);
    drawPicture(1, 0, 0);
    ASSERT_TRUE(bind(pbuffer, WGL_FRONT_LEFT_ARB));
    EXPECT_EQ(firstTexel(0), red);
    EXPECT_TRUE(release(pbuffer, WGL_FRONT_LEFT_ARB));
    drawPicture(0, 1, 0);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, 16, 16, 0, GL_RGBA, GL_UNSIGNED_BYTE, nullptr);
    ASSERT_TRUE(bind(pbuffer, WGL_FRONT_LEFT_ARB));
    EXPECT_EQ(firstTexel(0), green);
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
    EXPECT_TRUE(release(pbuffer, WGL_FRONT_LEFT_ARB));

    // The mipmaps made as a picture is drawn match the GL's own for the
    // same picture (made at the first binding) within one step.
    std::vector<unsigned char> noise(64 * 64 * 4);
    unsigned state = 12345;
    for (unsigned char& v : noise) v = static_cast<unsigned char>((state = state * 1103515245u + 12345u) >> 24);
    const auto drawNoise = [&] {
        ASSERT_TRUE(wglMakeCurrent(pdc, pcontext));
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        glRasterPos2f(-1.0f, -1.0f);
        glDrawPixels(64, 64, GL_RGBA, GL_UNSIGNED_BYTE, noise.data());
        ASSERT_TRUE(wglMakeCurrent(gl().dc, gl().context));
    };
    const auto levels = [&] {
        std::vector<std::vector<unsigned char>> all;
        for (int level = 0; level <= 6; ++level) {
            all.emplace_back(static_cast<size_t>(4) * (64 >> level) * (64 >> level));
            glGetTexImage(GL_TEXTURE_2D, level, GL_RGBA, GL_UNSIGNED_BYTE, all.back().data());
        }
        return all;
    };
    GLuint fresh = 0;
    glGenTextures(1, &fresh);
    glBindTexture(GL_TEXTURE_2D, fresh);
    glTexParameteri(GL_TEXTURE_2D, GL_GENERATE_MIPMAP_SGIS, GL_TRUE);
    drawNoise();
    ASSERT_TRUE(bind(pbuffer, WGL_FRONT_LEFT_ARB));
    const auto byTheGL = levels();
    EXPECT_EQ(byTheGL[0], noise);
    EXPECT_TRUE(release(pbuffer, WGL_FRONT_LEFT_ARB));
    drawPicture(0, 0, 0);
    drawNoise();
    ASSERT_TRUE(bind(pbuffer, WGL_FRONT_LEFT_ARB));
    const auto asDrawn = levels();
    for (size_t level = 0; level < byTheGL.size(); ++level) {
        int largest = 0;
        for (size_t i = 0; i < byTheGL[level].size(); ++i)
            largest = std::max(largest, std::abs(int(byTheGL[level][i]) - int(asDrawn[level][i])));
        EXPECT_LE(largest, 1) << "level " << level;
    }
    glDeleteTextures(1, &fresh);
    glBindTexture(GL_TEXTURE_2D, texture);

    glDeleteTextures(1, &texture);
    EXPECT_TRUE(wglDeleteContext(pcontext));
    EXPECT_TRUE(destroy(pbuffer));
    EXPECT_FALSE(bind(pbuffer, WGL_FRONT_LEFT_ARB));
    EXPECT_EQ(wglGetCurrentContext(), gl().context);
}

}  // namespace
