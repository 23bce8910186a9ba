// The application object's behaviour: start-up, the message pump and frame
// loop, the window procedure, error boxes and shut-down. It drives the
// graphics, input and sound servers and reaches the system only through the
// platform's services (window, single running copy, crash handler, system
// facts, audio output).

#include "mirel/kernel/a_application.h"

#include "mirel/base/a_clock.h"
#include "mirel/base/a_log.h"
#include "mirel/gfx/a_anim.h"
#include "mirel/gfx/a_graphserver.h"
#include "mirel/input/a_inputserver.h"
#include "mirel/platform/audio/a_audio.h"
#include "mirel/platform/system/a_system.h"
#include "mirel/sound/a_soundlibrary.h"

#include <cstdio>
#include <ctime>
#include <sys/stat.h>
#include <unistd.h>

namespace {
const char* kDashes = "-----------------------------------------------------------------";
// While inactive, how long the loop sleeps between looks for events.
constexpr uint32_t kInactiveWaitMs = 50;
} // namespace

aApplication::aApplication() {
    if (ms_instance) {
        a_log("%s: %s %s", "aApplication::aApplication", "lpSingleton == 0",
              a_assertLocation("a_application", 74));
    }
    ms_instance = this;
    a_setInputHost(this);
    a_setGraphHost(this);
    m_appPath = m_fileServer.getExeDir();
    m_frameTimer.reset();
}

aApplication::~aApplication() {
    if (m_loaderThread.joinable()) {
        m_loaderThread.join();
    }
    if (m_crashHandlerInstalled) {
        a_removeCrashHandler();
    }
    if (a_inputHost() == this) {
        a_setInputHost(nullptr);
    }
    if (a_graphHost() == this) {
        a_setGraphHost(nullptr);
    }
    if (ms_instance == this) {
        ms_instance = nullptr;
        ms_commandLine = nullptr;
    }
    if (m_logFile) {
        if (a_getLogFile() == m_logFile) {
            a_setLogFile(nullptr);
        }
        std::fclose(m_logFile);
        m_logFile = nullptr;
    }
}

int aApplication::init(const char* name, void* instance, const char* commandLine, const char* company) {
    m_name = (name && *name) ? name : "Unnamed";
    m_moduleInstance = instance;
    ms_commandLine = commandLine;

    // One running copy: a later start asks this one to come to the front.
    m_singleInstance = std::make_unique<aSingleInstance>();
    if (!m_singleInstance->acquire(m_name)) {
        m_singleInstance->requestRaise();
        m_singleInstance.reset();
        return 1;
    }

    // Every folder of the game lies in the user's data home: the saves in a
    // folder of their own there, and the common data beside the user's (a
    // folder every user of the machine could write would let one user change
    // another's files).
    const std::string game = a_gameFolder(company ? company : "", m_name);
    m_userFolder = "userappdata:" + game;
    m_savedGamesFolder = m_userFolder + "saves/";
    m_commonFolder = m_userFolder;
    m_screenshotFolder = m_userFolder + "ScreenShots/";
    for (const std::string* folder : {&m_userFolder, &m_commonFolder, &m_savedGamesFolder}) {
        if (!m_fileServer.dirExists(*folder)) {
            m_fileServer.makeDir(*folder);
        }
    }

    const std::string userDir = m_fileServer.manglePath(m_userFolder);
    a_setCrashNote(m_crashMessage);
    a_installCrashHandler(userDir + "crash.dmp", &aApplication::unhandledExceptionFilter, nullptr);
    m_crashHandlerInstalled = true;

    m_logPath = userDir + m_logFileName;
    FILE* log = std::fopen(m_logPath.c_str(), "a+");
    if (log) {
        std::fseek(log, 0, SEEK_END);
        if (!a_keepLog(std::ftell(log))) {
            std::fclose(log);
            log = std::fopen(m_logPath.c_str(), "w+");
        }
    }
    if (m_logFile && m_logFile != log) {
        std::fclose(m_logFile);
    }
    m_logFile = log;
    a_setLogFile(log);
    if (log) {
        std::time_t now = std::time(nullptr);
        std::tm local{};
        localtime_r(&now, &local);
        m_frameTimer.reset();
        std::fputs("\n\n\n\n\n", log);
        std::fflush(log);
        a_log("mirel Engine %s started", A_ENGINE_VERSION);
        a_log("%s", kDashes);
        a_log("Application: %s", m_name.c_str());
        a_log("Launched on: %.2u.%.2u.%.4u, %.2u:%.2u:%.2u", unsigned(local.tm_mday),
              unsigned(local.tm_mon + 1), unsigned(local.tm_year + 1900), unsigned(local.tm_hour),
              unsigned(local.tm_min), unsigned(local.tm_sec));
        a_log("%s", "");
        logSystemInfo();
    } else {
        showError(A_ERROR_LOG_OPEN);
    }
    readWorkArea();
    return 0;
}

void aApplication::logSystemInfo() {
    for (const std::string& line : a_systemReportLines(a_readSystemFacts(), m_appPath)) {
        a_log("%s", line.c_str());
    }
}

int aApplication::shutdown() {
    if (m_graphServer) {
        m_graphServer->releaseDirectDraw();
    }
    // The window outlives a graphics server that is still there.
    if (!m_graphServer) {
        m_window.reset();
    }
    a_log("%s", kDashes);
    a_log("mirel Engine stopped");
    a_log("%s", "");
    if (m_logFile) {
        if (a_getLogFile() == m_logFile) {
            a_setLogFile(nullptr);
        }
        std::fclose(m_logFile);
        m_logFile = nullptr;
        ::chmod(m_logPath.c_str(), 0644);
    }
    if (m_singleInstance) {
        m_singleInstance->release();
        m_singleInstance.reset();
    }
    return 0;
}

int aApplication::run() {
    if (!m_graphServer || !m_window) {
        a_log("aApplication: Error, aGraphServer object not created!");
        return 1;
    }
    m_frameTimer.reset();
    m_running = true;
    m_frameResult = 0;
    int exitCode = 0;
    for (;;) {
        aWindowEvent event;
        bool taken = true;
        if (m_active) {
            taken = m_window->peekEvent(event);
        } else if (m_singleInstance && !m_window->isHeadless()) {
            // Inactive on a desktop: the loop waits, but a second copy's
            // request to come to the front does not arrive as a window
            // event, so it is looked for between short waits.
            if (!m_window->peekEvent(event)) {
                if (m_singleInstance->takeRaiseRequest()) {
                    m_window->show();
                    m_window->raise();
                } else {
                    a_clock().sleep(kInactiveWaitMs);
                }
                continue;
            }
        } else {
            m_window->waitEvent(event);
        }
        if (taken) {
            if (event.type == aWindowEventType::Quit) {
                exitCode = event.code;
                break;
            }
            windowProc(event);
            continue;
        }
        frame();
    }
    m_running = false;
    return exitCode;
}

void aApplication::frame() {
    if (m_singleInstance && m_singleInstance->takeRaiseRequest()) {
        m_window->show();
        m_window->raise();
    }

    float elapsed = m_frameTimer.getTime();
    // The window shows a frame at once, in full screen as in a window: with
    // vertical sync the loop itself holds the display's refresh rate.
    if (m_graphServer->getVSync()) {
        uint32_t ms = a_vsyncSleepMs(elapsed, m_graphServer->getRefreshRate());
        if (ms > 0) {
            a_clock().sleep(ms);
            elapsed = m_frameTimer.getTime();
        }
    }
    if (m_loaderThread.joinable() && !isLoaderDone()) {
        uint32_t ms = a_paceSleepMs(elapsed, 1.0f / 30.0f);
        if (ms > 0) {
            a_clock().sleep(ms);
        }
    }
    m_frameTimer.reset();

    if (m_inputServer) {
        m_inputServer->update();
    }
    const bool altEnter = m_inputServer && (a_isAltEnter(m_inputServer->getKeyState(A_KEY_LMENU),
                                                         m_inputServer->getKeyState(A_KEY_RMENU),
                                                         m_inputServer->getKeyState(A_KEY_RETURN)) ||
                                            a_hasAltEnterPress(m_inputServer->getKeyPresses()));
    if (altEnter) {
        // Alt+Enter belongs to the window, also where it may not switch now:
        // its Enter reaches nothing in the game (a dialog would take it).
        m_inputServer->swallowKey(A_KEY_RETURN);
    }
    if (altEnter && allowFullscreenToggle()) {
        m_graphServer->setFullscreen(!m_graphServer->isFullscreen());
        onDisplayModeChanged();
    } else if (!m_paused) {
        m_frameResult = update();
    }
    if (m_frameResult == 0) {
        m_frameResult = render();
    }
    if (m_frameResult < 0) {
        windowProc(aWindowEvent{aWindowEventType::Close, 0, 0, 0});
    } else if (allowScreenshot() && m_inputServer && m_inputServer->getKeyState(A_KEY_SYSRQ) == 2 &&
               m_graphServer) {
        m_graphServer->saveScreenshot(m_screenshotFolder, "ScreenShot");
    }
}

intptr_t aApplication::windowProc(const aWindowEvent& event) {
    switch (event.type) {
    case aWindowEventType::Close:
        if (m_window) {
            m_window->postQuit(0); // the window itself stays until shutdown
        }
        return 0;
    case aWindowEventType::Maximize:
        if (m_window) {
            m_window->raise();
        }
        if (m_graphServer && !m_graphServer->isFullscreen()) {
            m_graphServer->setFullscreen(true);
            onDisplayModeChanged();
        }
        return 0;
    case aWindowEventType::Paint:
        if (m_running && m_graphServer && !m_graphServer->isFullscreen()) {
            render();
        }
        return 0;
    case aWindowEventType::Activate:
    case aWindowEventType::Deactivate: {
        bool active = event.type == aWindowEventType::Activate;
        if (active == m_active) {
            return 0;
        }
        m_active = active;
        if (active) {
            readWorkArea();
            if (m_window) {
                m_window->raise();
            }
            onActivate();
        } else {
            onDeactivate();
            if (m_graphServer) {
                render();
            }
        }
        return 0;
    }
    case aWindowEventType::CursorOverClient: {
        if (!m_window) {
            return 0;
        }
        if (m_inputServer && !m_inputServer->isCursorShown()) {
            m_window->setCursorShape(A_CURSOR_HIDDEN);
            return 1;
        }
        int32_t w = 0, h = 0;
        getBackBufferSize(w, h);
        if (m_active && event.x >= 0 && event.y >= 0 && event.x < w && event.y < h) {
            m_window->setCursorShape(m_cursor ? int32_t(A_CURSOR_HIDDEN) : m_systemCursorId);
            return 1;
        }
        return 0;
    }
    case aWindowEventType::RenderReset:
        if (m_graphServer) {
            m_graphServer->onRenderReset();
        }
        return 0;
    case aWindowEventType::Quit:
        return 0;
    }
    return 0;
}

void aApplication::getBackBufferSize(int32_t& width, int32_t& height) const {
    if (m_graphServer) {
        width = m_graphServer->getBackBufferWidth();
        height = m_graphServer->getBackBufferHeight();
    } else {
        width = 1024;
        height = 768;
    }
}

void aApplication::refreshCursor() {
    if (!m_window) {
        return;
    }
    int32_t x = 0, y = 0;
    m_window->getCursorPos(x, y);
    aPlatformRect area = m_window->getPictureArea();
    int32_t w = 0, h = 0;
    getBackBufferSize(w, h);
    aWindowEvent event{aWindowEventType::CursorOverClient, 0, 0, 0};
    event.x = area.width() > 0 ? x * w / area.width() : -1;
    event.y = area.height() > 0 ? y * h / area.height() : -1;
    windowProc(event);
}

void aApplication::setCursorSprite(aSprite* sprite) {
    if (!sprite) {
        m_cursor.reset();
        return;
    }
    if (!m_cursor) {
        m_cursor = std::make_unique<aAnim>();
    }
    // An animation keeps its frame time and play flags; a plain sprite gives
    // its frames to the animation the cursor already has.
    if (const aAnim* anim = dynamic_cast<const aAnim*>(sprite)) {
        *m_cursor = *anim;
    } else {
        static_cast<aSprite&>(*m_cursor) = *sprite;
    }
    m_cursor->play();
}

void aApplication::setPaused(bool paused) {
    m_paused = paused;
    // The whole output: music streams and every sound channel.
    if (a_soundLibraryUsers() >= 1) {
        FSOUND_SetPaused(FSOUND_ALL, paused);
    }
}

bool aApplication::setPriority(int priorityClass, int threadPriority) {
    switch (a_setPriority(priorityClass, threadPriority)) {
    case aPriorityResult::ProcessRefused:
        a_log("error in SetClassPriority()");
        return false;
    case aPriorityResult::ThreadRefused:
        a_log("error in SetThreadPriority()");
        return false;
    case aPriorityResult::Set:
        break;
    }
    return true;
}

void aApplication::showError(int32_t code) {
    std::string text = a_errorText(code, m_fileServer.manglePath(m_userFolder), m_crashMessage);
    bool minimise = m_graphServer && m_graphServer->isFullscreen() && m_window;
    if (minimise) {
        m_window->minimize();
    }
    a_showMessageBox("Error!", text.c_str());
    if (minimise) {
        m_window->show();
    }
}

void aApplication::destroyInput() {
    if (m_inputServer) {
        aInputServer* server = m_inputServer;
        m_inputServer = nullptr;
        delete server;
    }
}

void aApplication::startLoaderThread(int (*routine)(void*), void* parameter) {
    if (m_loaderThread.joinable()) {
        a_log("Error: thread for loading already created!");
        return;
    }
    m_loaderDone = false;
    m_loaderExitCode = 0;
    m_loaderThread = std::thread([this, routine, parameter] {
        m_loaderExitCode = routine ? routine(parameter) : 0;
        m_loaderDone = true;
    });
}

bool aApplication::isLoaderDone() {
    if (!m_loaderThread.joinable()) {
        return true;
    }
    if (!m_loaderDone) {
        return false;
    }
    m_loaderThread.join();
    if (m_loaderExitCode != 0) {
        showError(A_ERROR_LOADER_FAILED);
        windowProc(aWindowEvent{aWindowEventType::Close, 0, 0, 0});
    }
    return true;
}

void aApplication::setCrashMessage(const std::string& text) {
    m_crashMessage = text;
    a_setCrashNote(text); // what the crash box shows, should the program crash now
}

void aApplication::unhandledExceptionFilter(int, void*, const char* note, void*) {
    // In the helper process: the crashed program has ended, its window and
    // input devices with it; the log is opened again by its path.
    aApplication* app = ms_instance;
    if (!app) {
        return;
    }
    app->m_crashMessage = note ? note : "";
    const std::string folder = app->m_fileServer.manglePath(app->m_userFolder);
    FILE* log = std::fopen((folder + app->m_logFileName).c_str(), "a");
    a_setLogFile(log);
    a_log("\n\nCritical Error. File \"crash.dmp\" has been saved to\n%s\n", folder.c_str());
    app->showError(A_ERROR_CRASH);
    a_setLogFile(nullptr);
    if (log) {
        std::fclose(log);
    }
}
