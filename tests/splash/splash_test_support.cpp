#include <gtest/gtest.h>

#include "splash_test_support.h"

#include "jpeg_writer.h"
#include "splash_log.h"

#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <poll.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <X11/Xutil.h>

namespace splashtest {

namespace {

// One Xvfb for the whole test program, ended with it (also when the
// program dies: the server gets SIGTERM when its parent goes).
class XvfbServer {
public:
    ~XvfbServer() {
        if (m_pid > 0) {
            ::kill(m_pid, SIGTERM);
            int status;
            ::waitpid(m_pid, &status, 0);
        }
    }

    bool start() {
        if (m_tried)
            return m_started;
        m_tried = true;
        std::string xvfb;
        for (const char* dir : {"/usr/bin/", "/usr/local/bin/", "/bin/"}) {
            if (::access((std::string(dir) + "Xvfb").c_str(), X_OK) == 0) {
                xvfb = std::string(dir) + "Xvfb";
                break;
            }
        }
        if (xvfb.empty())
            return false;
        int fds[2];
        if (::pipe(fds) != 0)
            return false;
        std::string fdText = std::to_string(fds[1]);
        // Without -noreset the server resets whenever its last client leaves,
        // and a test's next connection may arrive in the middle of the reset.
        std::vector<std::string> args = {xvfb,          "-displayfd", fdText, "-screen", "0",
                                         "1024x768x24", "-nolisten",  "tcp",  "-noreset"};
        std::vector<char*> argv;
        for (auto& a : args)
            argv.push_back(a.data());
        argv.push_back(nullptr);
        pid_t parent = ::getpid();
        m_pid = ::fork();
        if (m_pid == 0) {
            ::prctl(PR_SET_PDEATHSIG, SIGTERM);
            if (::getppid() != parent)
                ::_exit(1);
            ::close(fds[0]);
            int null = ::open("/dev/null", O_WRONLY);
            ::dup2(null, 1);
            ::dup2(null, 2);
            ::execv(argv[0], argv.data());
            ::_exit(127);
        }
        ::close(fds[1]);
        if (m_pid < 0) {
            ::close(fds[0]);
            m_pid = 0;
            return false;
        }
        std::string number;
        pollfd p{fds[0], POLLIN, 0};
        while (::poll(&p, 1, 10000) > 0) {
            char c;
            if (::read(fds[0], &c, 1) != 1 || c == '\n')
                break;
            number += c;
        }
        ::close(fds[0]);
        if (number.empty())
            return false;
        ::setenv("DISPLAY", (":" + number).c_str(), 1);
        // The display number comes once the server listens; make sure a
        // client gets through before any test uses it.
        for (int attempt = 0; attempt < 100; ++attempt) {
            if (Display* d = XOpenDisplay(nullptr)) {
                XCloseDisplay(d);
                m_started = true;
                return true;
            }
            ::usleep(50 * 1000);
        }
        return false;
    }

private:
    bool m_tried = false;
    bool m_started = false;
    pid_t m_pid = 0;
};

XvfbServer s_xvfb;

int ignoreXError(Display*, XErrorEvent*) {
    return 0;
}

void sinkLine(const char* line, void* user) {
    static_cast<LogCapture*>(user)->lines.push_back(line);
}

} // namespace

bool StartXvfb() {
    return s_xvfb.start();
}

TestHost::TestHost(int width, int height) {
    // Windows the library made may be gone by the time the test looks.
    XSetErrorHandler(ignoreXError);
    m_display = XOpenDisplay(nullptr);
    if (!m_display)
        return;
    int screen = DefaultScreen(m_display);
    XSetWindowAttributes attrs;
    attrs.background_pixel = 0x808080;
    attrs.event_mask = StructureNotifyMask;
    m_window = XCreateWindow(m_display, RootWindow(m_display, screen), 0, 0, static_cast<unsigned>(width),
                             static_cast<unsigned>(height), 0, CopyFromParent, InputOutput, CopyFromParent,
                             CWBackPixel | CWEventMask, &attrs);
    XMapWindow(m_display, m_window);
    for (;;) {
        XEvent ev;
        XNextEvent(m_display, &ev);
        if (ev.type == MapNotify && ev.xmap.window == m_window)
            break;
    }
    XSync(m_display, False);
}

TestHost::~TestHost() {
    if (!m_display)
        return;
    destroy();
    XCloseDisplay(m_display);
}

void TestHost::resize(int width, int height) {
    XResizeWindow(m_display, m_window, static_cast<unsigned>(width), static_cast<unsigned>(height));
    XSync(m_display, False);
}

void TestHost::destroy() {
    if (m_window)
        XDestroyWindow(m_display, m_window);
    m_window = 0;
    XSync(m_display, False);
}

std::vector<Window> TestHost::children() {
    std::vector<Window> out;
    if (!m_window)
        return out;
    Window root, parent, *kids = nullptr;
    unsigned count = 0;
    if (XQueryTree(m_display, m_window, &root, &parent, &kids, &count)) {
        for (unsigned i = 0; i < count; ++i) {
            XWindowAttributes a;
            if (XGetWindowAttributes(m_display, kids[i], &a) && a.map_state == IsViewable)
                out.push_back(kids[i]);
        }
        if (kids)
            XFree(kids);
    }
    return out;
}

Rgb TestHost::pixel(int x, int y) {
    XSync(m_display, False);
    XImage* img = XGetImage(m_display, m_window, x, y, 1, 1, AllPlanes, ZPixmap);
    if (!img)
        return {-1, -1, -1};
    unsigned long p = XGetPixel(img, 0, 0);
    XDestroyImage(img);
    return {static_cast<int>((p >> 16) & 0xFF), static_cast<int>((p >> 8) & 0xFF),
            static_cast<int>(p & 0xFF)};
}

void TestHost::click(int x, int y) {
    Window target = m_window, child = 0;
    int cx = x, cy = y;
    XTranslateCoordinates(m_display, m_window, m_window, x, y, &cx, &cy, &child);
    if (child)
        target = child;
    XEvent ev;
    std::memset(&ev, 0, sizeof ev);
    ev.xbutton.type = ButtonRelease;
    ev.xbutton.window = target;
    ev.xbutton.root = DefaultRootWindow(m_display);
    ev.xbutton.x = x;
    ev.xbutton.y = y;
    ev.xbutton.button = Button1;
    ev.xbutton.same_screen = True;
    XSendEvent(m_display, target, False, ButtonReleaseMask, &ev);
    XSync(m_display, False);
}

void ScriptedClock::wait(int, int64_t wakeAt, int64_t timerDeadline) {
    if (wakeAt <= m_now)
        return;
    if (m_pending) {
        // What the action caused is taken in at the same time.
        auto action = std::move(m_pending);
        m_pending = nullptr;
        action();
        return;
    }
    if (!m_steps.empty()) {
        if (m_steps.front().time > timerDeadline) {
            m_now = timerDeadline;
            return;
        }
        m_now = std::max(m_now, m_steps.front().time);
        m_pending = std::move(m_steps.front().action);
        m_steps.pop_front();
        return;
    }
    m_now = timerDeadline == INT64_MAX ? m_now + 1000 : timerDeadline;
}

std::string ScratchFolder(const std::string& name) {
    const char* root = std::getenv("MIREL_TEST_TMP");
    std::filesystem::path p = std::filesystem::path(root && *root ? root : "/tmp/pellucid-tests") / name;
    std::filesystem::remove_all(p);
    std::filesystem::create_directories(p);
    return p.string() + "/";
}

void WriteFile(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary);
    out << bytes;
}

std::string MakeJpeg(int w, int h, Rgb top, Rgb bottom) {
    std::vector<uint8_t> rgb(static_cast<size_t>(w) * h * 3);
    for (int y = 0; y < h; ++y) {
        Rgb c = y < h / 2 ? top : bottom;
        for (int x = 0; x < w; ++x) {
            uint8_t* p = &rgb[(static_cast<size_t>(y) * w + x) * 3];
            p[0] = static_cast<uint8_t>(c.r);
            p[1] = static_cast<uint8_t>(c.g);
            p[2] = static_cast<uint8_t>(c.b);
        }
    }
    std::vector<uint8_t> jpeg;
    EXPECT_TRUE(splashres::WriteJpeg(rgb.data(), w, h, 100, jpeg));
    return std::string(jpeg.begin(), jpeg.end());
}

std::vector<std::string> FilesStartingWith(const std::string& folder, const std::string& prefix) {
    std::vector<std::string> out;
    std::error_code ec;
    for (const auto& e : std::filesystem::directory_iterator(folder, ec)) {
        std::string name = e.path().filename().string();
        if (name.rfind(prefix, 0) == 0)
            out.push_back(name);
    }
    return out;
}

LogCapture::LogCapture() {
    pellucid::setSplashLogSink(sinkLine, this);
}

LogCapture::~LogCapture() {
    pellucid::setSplashLogSink(nullptr, nullptr);
}

bool LogCapture::contains(const std::string& part) const {
    for (const auto& l : lines)
        if (l.find(part) != std::string::npos)
            return true;
    return false;
}

} // namespace splashtest
