#include "splash_sequence.h"

#include "flash_window.h"
#include "splash_entry.h"
#include "splash_log.h"
#include "splash_window.h"

#include <algorithm>
#include <atomic>
#include <climits>
#include <memory>
#include <vector>

#include <X11/Xlib.h>
#include <X11/Xutil.h>

namespace pellucid {

namespace {

constexpr int64_t kFrameInterval = 15; // ms between fade frames
constexpr int64_t kNoTimer = INT64_MAX;

std::atomic<bool> s_running{false};

// Timer lengths: never negative, never beyond what a 32-bit millisecond timer holds.
int64_t timerLength(int64_t ms) {
    return std::clamp<int64_t>(ms, 0, INT32_MAX);
}

class Sequence;
Sequence* s_active = nullptr;
XErrorHandler s_previousErrorHandler = nullptr;
XIOErrorHandler s_previousIoErrorHandler = nullptr;

class Sequence {
public:
    Sequence(Window host, const SplashOptions& options)
        : m_host(host), m_folder(options.libraryFolder),
          m_clock(options.clock ? *options.clock : SystemSplashClock()) {}

    ~Sequence() { finish(); }

    int run() {
        int result = kSplashDone;
        try {
            result = runEntries();
        } catch (...) {
            splashLog("ShowSplash - the splash sequence failed");
            result = std::max<int>(result, kSplashFailed);
        }
        try {
            finish();
        } catch (...) {
            result = std::max<int>(result, kSplashFailed);
        }
        return result;
    }

private:
    static int onXError(Display* display, XErrorEvent* error) {
        if (s_active && display == s_active->m_display) {
            s_active->m_xError = error->error_code;
            return 0;
        }
        return s_previousErrorHandler ? s_previousErrorHandler(display, error) : 0;
    }

    // The connection's end is reported once by onConnectionLost; other
    // connections keep the handler they had.
    static int onIoError(Display* display) {
        if (s_active && display == s_active->m_display)
            return 0;
        return s_previousIoErrorHandler ? s_previousIoErrorHandler(display) : 0;
    }

    static void onConnectionLost(Display*, void* user) {
        Sequence* self = static_cast<Sequence*>(user);
        if (!self->m_displayLost)
            splashLog("ShowSplash - the display connection ended");
        self->m_displayLost = true;
    }

    bool alive() const { return m_display && !m_displayLost; }

    bool open() {
        m_display = XOpenDisplay(nullptr);
        if (!m_display) {
            splashLog("ShowSplash - cannot open the display");
            return false;
        }
        XSetIOErrorExitHandler(m_display, onConnectionLost, this);
        s_active = this;
        s_previousErrorHandler = XSetErrorHandler(onXError);
        s_previousIoErrorHandler = XSetIOErrorHandler(onIoError);
        m_errorHandlerSet = true;
        m_doneMessage = XInternAtom(m_display, "_PELLUCID_MOVIE_DONE", False);
        XWindowAttributes attrs;
        m_xError = 0;
        if (!m_host || !XGetWindowAttributes(m_display, m_host, &attrs) || m_xError) {
            splashLog("ShowSplash - the host 0x%lx is not a window", m_host);
            return false;
        }
        m_visual = attrs.visual;
        m_depth = attrs.depth;
        // Follow the host's size and its end; the selection is this
        // connection's own and leaves the launcher's untouched.
        XSelectInput(m_display, m_host, StructureNotifyMask);
        m_hostWatched = true;
        m_hostRect = {0, 0, std::max(1, attrs.width), std::max(1, attrs.height)};
        return true;
    }

    int runEntries() {
        std::vector<SplashEntry> entries = LoadSplashEntries(m_folder);
        if (!open())
            return kSplashFailed;
        for (size_t i = 0; i < entries.size() && i < kMaxSplashEntries; ++i) {
            int result = showEntry(entries[i]);
            if (result != kSplashDone)
                return result;
        }
        return kSplashDone;
    }

    void armTimer(int64_t ms) { m_timerDue = m_clock.now() + timerLength(ms); }

    int showEntry(SplashEntry& entry) {
        m_entry = &entry;
        bool shown = false;
        if (entry.useFlash) {
            m_flash = std::make_unique<CFlashWindow>(m_display, m_doneMessage);
            if (m_flash->Prepare(entry) && m_flash->Create(m_host, m_hostRect)) {
                m_state = kShowingMovie;
                shown = true;
                m_timeout = timerLength(static_cast<int64_t>(entry.videoTime) + entry.fadeTime + 1000);
            } else {
                m_flash.reset(); // its temporary files go with it
                splashLog("ShowSplash - '%s' shows its picture instead of its movie", entry.name.c_str());
            }
        }
        if (!shown) {
            if (!m_picture)
                m_picture = std::make_unique<CSplashWindow>(m_display, m_visual, m_depth);
            m_picture->ResetBitmapSize();
            m_picture->ReleasePicture();
            m_picture->Attach(&entry);
            bool loaded = entry.name == kBuiltInEntryName ? m_picture->LoadResourcePicture()
                                                          : m_picture->LoadFilePicture();
            if (loaded && (m_picture->window() || m_picture->Create(m_host, m_hostRect))) {
                m_picture->SetFillColor(entry.fadeInColor);
                m_state = kFadingIn;
                m_picture->show();
                m_timeout = timerLength(entry.fadeTime);
                shown = true;
            }
        }
        if (!shown) {
            splashLog("ShowSplash - '%s' can be shown neither as a movie nor as a picture",
                      entry.name.c_str());
            endEntry();
            return kSplashFailed;
        }
        m_startTick = m_clock.now();
        armTimer(m_timeout);
        m_dirty = m_state != kShowingMovie;
        int result = loop();
        endEntry();
        return result;
    }

    void endEntry() {
        m_timerDue = kNoTimer;
        if (!alive()) {
            forgetWindows();
        }
        m_flash.reset();
        if (m_picture)
            m_picture->hide();
        if (alive())
            XFlush(m_display);
    }

    void forgetWindows() {
        if (m_flash)
            m_flash->forgetWindow();
        if (m_picture)
            m_picture->forgetWindow();
    }

    // Runs one entry; kSplashDone when it ended, kSplashQuit when the host
    // or the display went away.
    int loop() {
        m_entryOver = false;
        for (;;) {
            if (!alive() || m_hostGone) {
                forgetWindows();
                return kSplashQuit;
            }
            while (alive() && !m_hostGone && XPending(m_display)) {
                XEvent ev;
                XNextEvent(m_display, &ev);
                handleEvent(ev);
            }
            if (!alive() || m_hostGone)
                continue;
            int64_t now = m_clock.now();
            if (!m_entryOver && now >= m_timerDue)
                onTimer();
            if (m_entryOver)
                return kSplashDone;
            bool fading = false;
            if (m_state != kShowingMovie && m_picture && (m_dirty || m_fading)) {
                fading = m_picture->OnPaint(m_state, m_clock.now(), m_startTick);
                m_dirty = false;
            }
            m_fading = fading;
            int64_t wakeAt = m_timerDue;
            if (m_fading)
                wakeAt = std::min(wakeAt, m_clock.now() + kFrameInterval);
            // Wait until the server has drawn the frame, so that what is on the screen
            // while the loop sleeps is the frame of this moment.
            XSync(m_display, False);
            m_clock.wait(ConnectionNumber(m_display), wakeAt, m_timerDue);
            if (alive())
                XSync(m_display, False);
        }
    }

    void redrawNow() {
        if (m_picture && m_state != kShowingMovie) {
            m_fading = m_picture->OnPaint(m_state, m_clock.now(), m_startTick);
            m_dirty = false;
        }
    }

    void onTimer() {
        switch (m_state) {
        case kFadingIn:
            m_state = kHolding;
            armTimer(m_entry->staticTime);
            redrawNow();
            break;
        case kHolding:
            m_state = kFadingOut;
            armTimer(m_entry->fadeTime);
            m_startTick = m_clock.now();
            redrawNow();
            break;
        default:
            m_entryOver = true;
            m_timerDue = kNoTimer;
            break;
        }
    }

    void onClick() {
        if (m_state == kShowingMovie) {
            if (m_flash)
                m_flash->OnMouseClick();
            return;
        }
        if (m_state != kFadingIn && m_state != kHolding)
            return;
        const int64_t fade = std::max<int64_t>(0, m_entry->fadeTime);
        const int64_t now = m_clock.now();
        const int64_t left = std::max<int64_t>(0, fade + m_startTick - now); // fade-in still to run
        armTimer(fade - left);
        m_startTick = now - left;
        m_state = kFadingOut;
        redrawNow();
    }

    void onHostResized(int width, int height) {
        m_hostRect = {0, 0, std::max(1, width), std::max(1, height)};
        if (m_flash)
            m_flash->moveTo(m_hostRect);
        if (m_picture) {
            m_picture->moveTo(m_hostRect);
            m_dirty = true;
        }
    }

    void handleEvent(const XEvent& ev) {
        switch (ev.type) {
        case ConfigureNotify:
            if (ev.xconfigure.window == m_host)
                onHostResized(ev.xconfigure.width, ev.xconfigure.height);
            break;
        case DestroyNotify:
            if (ev.xdestroywindow.window == m_host) {
                splashLog("ShowSplash - the host window was destroyed");
                m_hostGone = true;
                m_hostWatched = false;
                forgetWindows();
            }
            break;
        case Expose:
            if (m_picture && ev.xexpose.window == m_picture->window())
                m_dirty = true;
            break;
        case ButtonRelease:
            if (ev.xbutton.button == Button1 &&
                ((m_picture && ev.xbutton.window == m_picture->window() && m_state != kShowingMovie) ||
                 (m_flash && ev.xbutton.window == m_flash->controlWindow() && m_state == kShowingMovie)))
                onClick();
            break;
        case ClientMessage:
            // Only the current movie's own window ends a movie entry.
            if (ev.xclient.message_type == m_doneMessage && m_state == kShowingMovie && m_flash &&
                ev.xclient.window == m_flash->controlWindow() && ev.xclient.window != 0)
                m_entryOver = true;
            break;
        default:
            break;
        }
    }

    void finish() {
        if (m_finished)
            return;
        m_finished = true;
        m_timerDue = kNoTimer;
        if (!alive())
            forgetWindows();
        m_flash.reset();
        m_picture.reset();
        if (m_display) {
            if (alive()) {
                if (m_hostWatched)
                    XSelectInput(m_display, m_host, NoEventMask);
                XSync(m_display, False);
            }
            XCloseDisplay(m_display);
            m_display = nullptr;
        }
        if (m_errorHandlerSet) {
            XSetErrorHandler(s_previousErrorHandler);
            XSetIOErrorHandler(s_previousIoErrorHandler);
        }
        s_previousErrorHandler = nullptr;
        s_previousIoErrorHandler = nullptr;
        s_active = nullptr;
    }

    Window m_host;
    std::string m_folder;
    SplashClock& m_clock;
    Display* m_display = nullptr;
    Visual* m_visual = nullptr;
    int m_depth = 0;
    Atom m_doneMessage = 0;
    bool m_errorHandlerSet = false;
    bool m_hostWatched = false;
    bool m_hostGone = false;
    bool m_displayLost = false;
    bool m_finished = false;
    int m_xError = 0;
    SplashRect m_hostRect;
    std::unique_ptr<CFlashWindow> m_flash;
    std::unique_ptr<CSplashWindow> m_picture;
    SplashEntry* m_entry = nullptr;
    int m_state = kFadingIn;
    int64_t m_startTick = 0;
    int64_t m_timeout = 0;
    int64_t m_timerDue = kNoTimer;
    bool m_entryOver = false;
    bool m_dirty = false;
    bool m_fading = false;
};

} // namespace

int RunSplashSequence(unsigned long host, const SplashOptions& options) {
    bool expected = false;
    if (!s_running.compare_exchange_strong(expected, true)) {
        splashLog("ShowSplash - a splash sequence is already running");
        return kSplashFailed;
    }
    int result = kSplashFailed;
    try {
        Sequence sequence(static_cast<Window>(host), options);
        result = sequence.run();
    } catch (...) {
        splashLog("ShowSplash - the splash sequence failed");
        result = kSplashFailed;
    }
    s_running = false;
    return result;
}

} // namespace pellucid
