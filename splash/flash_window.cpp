#include "flash_window.h"

#include "splash_log.h"
#include "splash_resources.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>

namespace pellucid {

namespace {

constexpr const char* kMovieControlName = "ShockwaveFlash.ShockwaveFlash";
constexpr int32_t kFirstSupportedVersion = 0x80000; // major version 8

std::string tempFolder() {
    const char* dir = std::getenv("TMPDIR");
    std::string folder = dir && *dir ? dir : "/tmp";
    if (folder.back() != '/')
        folder += '/';
    return folder;
}

bool isFile(const std::string& path) {
    struct stat st;
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

std::string colorText(ColorRef c) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%.2X%.2X%.2X", c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF);
    return text;
}

bool writeAll(int fd, const uint8_t* data, size_t size) {
    while (size > 0) {
        ssize_t n = ::write(fd, data, size);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        data += n;
        size -= static_cast<size_t>(n);
    }
    return true;
}

void removeFile(ResourceFile& record) {
    if (!record.path.empty())
        ::unlink(record.path.c_str());
    record.path.clear();
    record.extracted = false;
}

} // namespace

CFlashWindow::CFlashWindow(Display* display, Atom doneMessage)
    : m_display(display), m_doneMessage(doneMessage) {
    m_movie.id = kResourceMovie;
    m_video.id = kResourceVideo;
    m_video.extension = "flv";
}

CFlashWindow::~CFlashWindow() {
    try {
        Close();
    } catch (...) {
        splashLog("CFlashWindow - the movie player failed while closing");
    }
    destroyWindow();
    removeFile(m_movie);
    removeFile(m_video);
}

bool CFlashWindow::ExtractResource(ResourceFile& record) {
    removeFile(record);
    ResourceData res = FindResource(record.id);
    if (!res.data) {
        splashLog("CFlashWindow::ExtractResource - no resource %d", record.id);
        return false;
    }
    std::string suffix = "." + (record.extension.empty() ? std::string("tmp") : record.extension);
    std::string name = tempFolder() + "velXXXXXX" + suffix;
    int fd = ::mkstemps(name.data(), static_cast<int>(suffix.size()));
    if (fd < 0) {
        splashLog("CFlashWindow::ExtractResource - cannot create a temporary file '%s'", name.c_str());
        return false;
    }
    bool ok = writeAll(fd, res.data, res.size);
    ok = ::close(fd) == 0 && ok;
    if (!ok) {
        ::unlink(name.c_str());
        splashLog("CFlashWindow::ExtractResource - cannot write '%s'", name.c_str());
        return false;
    }
    record.path = name;
    record.extracted = true;
    return true;
}

bool CFlashWindow::Prepare(SplashEntry& entry) {
    m_entry = &entry;
    if (!ExtractResource(m_movie))
        return false;
    if (entry.builtIn) {
        if (!ExtractResource(m_video))
            return false;
        entry.flashVideoPath = m_video.path;
    } else if (!isFile(entry.flashVideoPath)) {
        splashLog("CFlashWindow::Prepare - no video '%s'", entry.flashVideoPath.c_str());
        return false;
    }
    m_movieUrl = "file://" + m_movie.path;
    m_control = CreateMovieControl(kMovieControlName);
    if (!m_control)
        return false; // no player here: the sequence says so when it shows the picture

    int32_t version = m_control->FlashVersion();
    if (version <= kFirstSupportedVersion - 1) {
        splashLog("CFlashWindow::Prepare - movie player version %d.%d is too old", version >> 16,
                  version & 0xFFFF);
        return false;
    }
    return true;
}

bool CFlashWindow::Create(Window host, const SplashRect& rect) {
    if (!m_control || !m_entry)
        return false;
    XSetWindowAttributes attrs;
    attrs.background_pixmap = None;
    attrs.event_mask = ButtonPressMask | ButtonReleaseMask;
    m_window = XCreateWindow(m_display, host, rect.x, rect.y, static_cast<unsigned>(rect.width),
                             static_cast<unsigned>(rect.height), 0, CopyFromParent, InputOutput,
                             CopyFromParent, CWBackPixmap | CWEventMask, &attrs);
    if (!m_window) {
        Close();
        return false;
    }
    XMapRaised(m_display, m_window);
    m_control->PutBackgroundColor(m_entry->fadeInColor);
    if (!m_control->Attach(m_display, m_window)) {
        splashLog("CFlashWindow::Create - the movie player cannot attach to its window");
        Close();
        destroyWindow();
        return false;
    }
    m_sinkConnected = m_control->ConnectSink(this);
    m_control->DisableLocalSecurity();
    if (!m_sinkConnected || !m_control->LoadMovie(0, m_movieUrl)) {
        splashLog("CFlashWindow::Create - cannot load the movie '%s'", m_movieUrl.c_str());
        Close();
        destroyWindow();
        return false;
    }
    const SplashEntry& e = *m_entry;
    m_control->SetVariable("FVAR_BackgroundColor", colorText(e.videoBackground));
    m_control->SetVariable("FVAR_FadeInColor", colorText(e.fadeInColor));
    m_control->SetVariable("FVAR_FadeOutColor", colorText(e.fadeOutColor));
    m_control->SetVariable("FVAR_VideoWidth", std::to_string(e.videoWidth));
    m_control->SetVariable("FVAR_VideoHeight", std::to_string(e.videoHeight));
    m_control->SetVariable("FVAR_OverlayWidth", "2400");
    m_control->SetVariable("FVAR_OverlayHeight", "1800");
    m_control->SetVariable("FVAR_ContentPath", e.flashVideoPath);
    m_control->PutLoop(false);
    return true;
}

void CFlashWindow::OnFSCommand(const std::string& command, const std::string&) {
    if (!m_window || strcasecmp(command.c_str(), "fadeoutdone") != 0)
        return;
    XEvent ev;
    std::memset(&ev, 0, sizeof ev);
    ev.xclient.type = ClientMessage;
    ev.xclient.window = m_window;
    ev.xclient.message_type = m_doneMessage;
    ev.xclient.format = 32;
    XSendEvent(m_display, m_window, False, NoEventMask, &ev);
    XFlush(m_display);
}

void CFlashWindow::OnMouseClick() {
    if (m_control)
        m_control->SetVariable("FVAR_MouseClicked", "1");
}

void CFlashWindow::Close() {
    if (!m_control)
        return;
    m_control->Stop();
    if (m_sinkConnected)
        m_control->DisconnectSink();
    m_sinkConnected = false;
    m_control.reset();
}

void CFlashWindow::moveTo(const SplashRect& rect) {
    if (m_window)
        XMoveResizeWindow(m_display, m_window, rect.x, rect.y, static_cast<unsigned>(rect.width),
                          static_cast<unsigned>(rect.height));
}

void CFlashWindow::destroyWindow() {
    if (m_window)
        XDestroyWindow(m_display, m_window);
    m_window = 0;
}

} // namespace pellucid
