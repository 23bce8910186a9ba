#include "game/support/real_desktop.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/keysym.h>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <poll.h>
#include <sstream>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace fs = std::filesystem;

namespace realdesktop {

namespace {

using Clock = std::chrono::steady_clock;

::Display* display(void* x) {
    return static_cast<::Display*>(x);
}

// Windows looked at may be gone by the time a request reaches the server.
int ignoreXError(::Display*, XErrorEvent*) {
    return 0;
}

// The program's path on PATH (or in the usual folders), empty when missing.
std::string findProgram(const std::string& name) {
    std::string dirs = std::getenv("PATH") ? std::getenv("PATH") : "";
    dirs += ":/usr/bin:/usr/local/bin:/bin";
    std::stringstream list(dirs);
    for (std::string dir; std::getline(list, dir, ':');) {
        const std::string path = dir + "/" + name;
        if (!dir.empty() && ::access(path.c_str(), X_OK) == 0)
            return path;
    }
    return std::string();
}

// Starts a program that dies with this process; output to the file (or nowhere).
pid_t spawn(const std::vector<std::string>& args, const std::vector<std::pair<std::string, std::string>>& env,
            const std::string& dir, const std::string& output, int keepFd = -1) {
    std::vector<std::string> copy = args;
    std::vector<char*> argv;
    for (std::string& a : copy)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    const pid_t parent = ::getpid();
    const pid_t pid = ::fork();
    if (pid != 0)
        return pid;
    ::prctl(PR_SET_PDEATHSIG, SIGKILL);
    if (::getppid() != parent)
        ::_exit(1);
    const int out = ::open(output.empty() ? "/dev/null" : output.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (out >= 0) {
        ::dup2(out, 1);
        ::dup2(out, 2);
    }
    for (int fd = 3; fd < 256; ++fd)
        if (fd != keepFd)
            ::close(fd);
    for (const auto& [name, value] : env) {
        if (value.empty())
            ::unsetenv(name.c_str());
        else
            ::setenv(name.c_str(), value.c_str(), 1);
    }
    if (!dir.empty() && ::chdir(dir.c_str()) != 0)
        ::_exit(126);
    ::execv(argv[0], argv.data());
    ::_exit(127);
}

void end(pid_t& pid) {
    if (pid <= 0)
        return;
    ::kill(pid, SIGTERM);
    int status = 0;
    for (int i = 0; i < 100 && ::waitpid(pid, &status, WNOHANG) == 0; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    if (::waitpid(pid, &status, WNOHANG) == 0) {
        ::kill(pid, SIGKILL);
        ::waitpid(pid, &status, 0);
    }
    pid = 0;
}

// Waits for the condition, looking every 20 ms, for at most the given time.
template <class Condition> bool waitFor(double seconds, Condition condition) {
    const auto until = Clock::now() + std::chrono::duration<double>(seconds);
    for (;;) {
        if (condition())
            return true;
        if (Clock::now() >= until)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
}

std::string quoted(const std::string& text) {
    std::string out = "'";
    for (char c : text)
        out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return out + "'";
}

int countOf(const std::string& text, const std::string& part) {
    int n = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + part.size()))
        ++n;
    return n;
}

uint64_t schedNanoseconds(const std::string& path) {
    std::ifstream in(path);
    uint64_t ns = 0;
    in >> ns;
    return ns;
}

uint64_t processTicks(pid_t pid) {
    std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const size_t close = text.rfind(')');
    if (close == std::string::npos)
        return 0;
    std::stringstream fields(text.substr(close + 2));
    std::string field;
    uint64_t utime = 0, stime = 0;
    // After the name: state is field 3, utime 14 and stime 15.
    for (int i = 3; i <= 15 && fields >> field; ++i) {
        if (i == 14)
            utime = std::strtoull(field.c_str(), nullptr, 10);
        if (i == 15)
            stime = std::strtoull(field.c_str(), nullptr, 10);
    }
    return utime + stime;
}

} // namespace

// ---- desktop ----

Desktop::~Desktop() {
    if (m_x)
        XCloseDisplay(display(m_x));
    end(m_windowManager);
    end(m_server);
    if (!m_folder.empty()) {
        std::error_code ignored;
        fs::remove_all(m_folder, ignored);
    }
}

bool Desktop::Start(int width, int height, bool windowManager) {
    m_width = width;
    m_height = height;
    const std::string xvfb = findProgram("Xvfb");
    if (xvfb.empty() || findProgram("xdotool").empty() || (windowManager && findProgram("openbox").empty())) {
        m_why = "Xvfb, xdotool or openbox is not installed";
        return false;
    }
    int fds[2];
    if (::pipe(fds) != 0) {
        m_why = "no pipe";
        return false;
    }
    // Without -noreset the server resets whenever its last client leaves.
    m_server =
        spawn({xvfb, "-displayfd", std::to_string(fds[1]), "-screen", "0",
               std::to_string(width) + "x" + std::to_string(height) + "x24", "-nolisten", "tcp", "-noreset"},
              {}, "", "", fds[1]);
    ::close(fds[1]);
    std::string number;
    pollfd p{fds[0], POLLIN, 0};
    while (::poll(&p, 1, 30000) > 0) {
        char c;
        if (::read(fds[0], &c, 1) != 1 || c == '\n')
            break;
        number += c;
    }
    ::close(fds[0]);
    if (number.empty()) {
        m_why = "Xvfb did not start";
        return false;
    }
    m_display = ":" + number;
    XSetErrorHandler(ignoreXError);
    if (!waitFor(30, [&] { return (m_x = XOpenDisplay(m_display.c_str())) != nullptr; })) {
        m_why = "the X server takes no clients";
        return false;
    }
    // Xvfb's keyboard has no Print Screen key; a PC keyboard has it at 107.
    ::Display* x = display(m_x);
    if (XKeysymToKeycode(x, XK_Print) == 0) {
        KeySym keys[2] = {XK_Print, XK_Sys_Req};
        XChangeKeyboardMapping(x, 107, 2, keys, 1);
        XSync(x, False);
    }
    m_hasWindowManager = windowManager;
    if (!windowManager)
        return true;
    // The window manager's own keys would take some of the game's (the
    // system's default binds Print Screen): a configuration of its own with
    // only Alt+F4 to close a window.
    const char* tmp = std::getenv("TMPDIR");
    std::string folder = std::string(tmp && *tmp ? tmp : "/tmp") + "/mirel-desktop-XXXXXX";
    if (!::mkdtemp(folder.data())) {
        m_why = "no folder for the window manager";
        return false;
    }
    m_folder = folder;
    std::ofstream(folder + "/rc.xml") << "<?xml version=\"1.0\"?>\n"
                                         "<openbox_config xmlns=\"http://openbox.org/3.4/rc\">\n"
                                         " <keyboard><keybind key=\"A-F4\"><action name=\"Close\"/></keybind>"
                                         "</keyboard>\n"
                                         "</openbox_config>\n";
    m_windowManager = spawn({findProgram("openbox"), "--config-file", folder + "/rc.xml"},
                            {{"DISPLAY", m_display}, {"HOME", folder}, {"XDG_CONFIG_HOME", folder}}, "", "");
    const Atom selection = XInternAtom(x, ("WM_S" + std::to_string(DefaultScreen(x))).c_str(), False);
    if (!waitFor(30, [&] { return XGetSelectionOwner(x, selection) != 0; })) {
        m_why = "openbox did not take the screen";
        return false;
    }
    return true;
}

int Desktop::Run(const std::string& command) const {
    const std::string line = "DISPLAY=" + m_display + " " + command;
    const int status = std::system(line.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

unsigned long Desktop::FindWindow(const std::string& title) const {
    ::Display* x = display(m_x);
    if (!x)
        return 0;
    std::vector<::Window> pending = {DefaultRootWindow(x)};
    while (!pending.empty()) {
        const ::Window w = pending.back();
        pending.pop_back();
        char* name = nullptr;
        if (XFetchName(x, w, &name) && name) {
            const bool match = title == name;
            XFree(name);
            XWindowAttributes attributes;
            if (match && XGetWindowAttributes(x, w, &attributes) && attributes.map_state == IsViewable)
                return w;
        }
        ::Window root = 0, parent = 0, *children = nullptr;
        unsigned int count = 0;
        if (XQueryTree(x, w, &root, &parent, &children, &count)) {
            for (unsigned int i = 0; i < count; ++i)
                pending.push_back(children[i]);
            if (children)
                XFree(children);
        }
    }
    return 0;
}

bool Desktop::WindowGeometry(unsigned long window, Geometry& geometry) const {
    ::Display* x = display(m_x);
    XWindowAttributes attributes;
    if (!x || !window || !XGetWindowAttributes(x, window, &attributes))
        return false;
    int sx = 0, sy = 0;
    ::Window child = 0;
    if (!XTranslateCoordinates(x, window, DefaultRootWindow(x), 0, 0, &sx, &sy, &child))
        return false;
    geometry = Geometry{sx, sy, attributes.width, attributes.height};
    return true;
}

unsigned long Desktop::FocusWindow() const {
    ::Window focus = 0;
    int revert = 0;
    if (m_x)
        XGetInputFocus(display(m_x), &focus, &revert);
    return focus;
}

std::vector<uint32_t> Desktop::Pixels(int px, int py, int width, int height) const {
    std::vector<uint32_t> pixels;
    ::Display* x = display(m_x);
    if (!x || width <= 0 || height <= 0)
        return pixels;
    XImage* image =
        XGetImage(x, DefaultRootWindow(x), px, py, unsigned(width), unsigned(height), AllPlanes, ZPixmap);
    if (!image)
        return pixels;
    pixels.reserve(size_t(width) * size_t(height));
    for (int j = 0; j < height; ++j)
        for (int i = 0; i < width; ++i)
            pixels.push_back(uint32_t(XGetPixel(image, i, j)) & 0xFFFFFFu);
    XDestroyImage(image);
    return pixels;
}

// ---- game ----

Game::Game(const Desktop& desktop, std::string programDir, std::string userRoot, std::string title)
    : m_desktop(desktop), m_programDir(std::move(programDir)), m_userRoot(std::move(userRoot)),
      m_title(std::move(title)) {}

Game::~Game() {
    end(m_pid);
}

bool Game::Start() {
    fs::remove_all(m_userRoot);
    for (const char* sub : {"home", "data", "config", "run"})
        fs::create_directories(m_userRoot + sub);
    ::chmod((m_userRoot + "run").c_str(), 0700);
    // Sanitized builds: the X and SDL libraries keep blocks until the end.
    const std::string suppressions = m_userRoot + "lsan.supp";
    std::ofstream(suppressions) << "leak:libX11\nleak:libxcb\nleak:libSDL2\nleak:libdbus\n";
    const char* lsan = std::getenv("LSAN_OPTIONS");
    m_pid = spawn({m_programDir + "game"},
                  {{"DISPLAY", m_desktop.Display()},
                   {"HOME", m_userRoot + "home"},
                   {"XDG_DATA_HOME", m_userRoot + "data"},
                   {"XDG_CONFIG_HOME", m_userRoot + "config"},
                   {"XDG_RUNTIME_DIR", m_userRoot + "run"},
                   {"MIREL_HEADLESS", ""},
                   {"WAYLAND_DISPLAY", ""},
                   {"SDL_VIDEODRIVER", "x11"},
                   {"LSAN_OPTIONS",
                    std::string(lsan ? lsan : "") + (lsan ? ":" : "") + "suppressions=" + suppressions}},
                  m_programDir, m_userRoot + "output.txt");
    return m_pid > 0;
}

bool Game::Running() {
    if (m_pid <= 0)
        return false;
    int status = 0;
    const pid_t done = ::waitpid(m_pid, &status, WNOHANG);
    if (done == 0)
        return true;
    m_status = done == m_pid && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    m_pid = 0;
    return false;
}

std::string Game::LogPath() const {
    std::error_code ignored;
    for (const auto& entry : fs::recursive_directory_iterator(m_userRoot + "data", ignored))
        if (entry.path().filename() == "mirel.log")
            return entry.path().string();
    return std::string();
}

std::string Game::Log() const {
    std::ifstream in(LogPath(), std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

bool Game::WaitForLog(const std::string& text, int count, double seconds) const {
    return waitFor(seconds, [&] { return countOf(Log(), text) >= count; });
}

bool Game::WaitForWindow(double seconds) {
    if (!waitFor(seconds, [&] { return (m_window = m_desktop.FindWindow(m_title)) != 0 || !Running(); }) ||
        !m_window)
        return false;
    // The window takes the focus as a player's click would give it (without
    // a window manager, straight from the X server).
    m_desktop.Run(std::string("xdotool ") +
                  (m_desktop.HasWindowManager() ? "windowactivate" : "windowfocus") + " --sync " +
                  std::to_string(m_window) + " >/dev/null 2>&1");
    return true;
}

bool Game::WindowGeometry(Geometry& geometry) const {
    return m_desktop.WindowGeometry(m_window, geometry);
}

bool Game::Key(const std::string& keys) const {
    return m_desktop.Run("xdotool key " + keys) == 0;
}

bool Game::Type(const std::string& text, int pauseMs) const {
    return m_desktop.Run("xdotool type --delay " + std::to_string(pauseMs) + " " + quoted(text)) == 0;
}

bool Game::Click(int x, int y) const {
    Geometry client;
    if (!WindowGeometry(client))
        return false;
    const Geometry picture = PictureIn(client);
    // The centre of the screen pixel that shows the logical one.
    const int sx = picture.x + int((int64_t(2 * x + 1) * picture.width) / 2048);
    const int sy = picture.y + int((int64_t(2 * y + 1) * picture.height) / 1536);
    return m_desktop.Run("xdotool mousemove --sync " + std::to_string(sx) + " " + std::to_string(sy) +
                         " click 1") == 0;
}

bool Game::Settle(double seconds) {
    const std::string line = "Screenshot saved: ";
    const int before = countOf(Log(), line);
    if (!Key("Print") || !WaitForLog(line, before + 1, seconds))
        return false;
    // The shot is kept as the last frame seen (for a failure's reader), so
    // that the folder does not fill up.
    const std::string log = Log();
    const size_t at = log.rfind(line);
    const std::string path = log.substr(at + line.size(), log.find('\n', at) - at - line.size());
    std::error_code ignored;
    fs::rename(path, m_userRoot + "last-frame.bmp", ignored);
    return true;
}

bool Game::LastFramePixel(int x, int y, uint32_t& pixel) const {
    std::ifstream in(m_userRoot + "last-frame.bmp", std::ios::binary);
    const std::string bmp((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const auto le32 = [&](size_t at) {
        return uint32_t(uint8_t(bmp[at])) | uint32_t(uint8_t(bmp[at + 1])) << 8 |
               uint32_t(uint8_t(bmp[at + 2])) << 16 | uint32_t(uint8_t(bmp[at + 3])) << 24;
    };
    // A 24-bit picture with its rows from the bottom up, as the game writes it.
    if (bmp.size() < 54 || bmp[0] != 'B' || bmp[1] != 'M')
        return false;
    const int width = int(le32(18)), height = int(le32(22));
    const size_t row = (size_t(width) * 3 + 3) & ~size_t(3);
    const size_t at = le32(10) + size_t(height - 1 - y) * row + size_t(x) * 3;
    if (x < 0 || y < 0 || x >= width || y >= height || at + 3 > bmp.size())
        return false;
    pixel = uint32_t(uint8_t(bmp[at + 2])) << 16 | uint32_t(uint8_t(bmp[at + 1])) << 8 | uint8_t(bmp[at]);
    return true;
}

bool Game::LastFrameLight(int x, int y) const {
    uint32_t p = 0;
    return LastFramePixel(x, y, p) && ((p >> 16) & 0xFF) + ((p >> 8) & 0xFF) + (p & 0xFF) > 3 * 200;
}

bool Game::ClickUntilLight(const std::vector<std::pair<int, int>>& clicks, int x, int y, double seconds) {
    return waitFor(seconds, [&] {
        for (const auto& [cx, cy] : clicks)
            if (!Click(cx, cy) || !Settle(seconds))
                return false;
        return LastFrameLight(x, y);
    });
}

int Game::Close(double seconds) {
    Key("alt+F4");
    if (!waitFor(seconds, [&] { return !Running(); }))
        return -1;
    return m_status;
}

bool Game::MainThreadLoad(double seconds, double& mainPercent, double& totalPercent) const {
    if (m_pid <= 0)
        return false;
    const std::string sched =
        "/proc/" + std::to_string(m_pid) + "/task/" + std::to_string(m_pid) + "/schedstat";
    const uint64_t main0 = schedNanoseconds(sched), ticks0 = processTicks(m_pid);
    const auto t0 = Clock::now();
    std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
    const double elapsed = std::chrono::duration<double>(Clock::now() - t0).count();
    const uint64_t main1 = schedNanoseconds(sched), ticks1 = processTicks(m_pid);
    mainPercent = 100.0 * double(main1 - main0) * 1e-9 / elapsed;
    totalPercent = 100.0 * double(ticks1 - ticks0) / double(::sysconf(_SC_CLK_TCK)) / elapsed;
    return main1 > 0;
}

Geometry PictureIn(const Geometry& client) {
    // As the engine's letterbox: the largest 4:3 picture, centred.
    int64_t w = client.width, h = int64_t(client.width) * 768 / 1024;
    if (h > client.height) {
        h = client.height;
        w = int64_t(client.height) * 1024 / 768;
    }
    return Geometry{client.x + int((client.width - w) / 2), client.y + int((client.height - h) / 2), int(w),
                    int(h)};
}

} // namespace realdesktop
