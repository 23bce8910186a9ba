#pragma once
// The engine's application object: one per process, reached through
// aApplication::getInstance(). It owns the file server and the frame timer,
// holds the graphics and input servers, keeps one running copy of the
// program, installs the crash handler, opens the log with its start banner
// and system report, runs the message pump and the paced frame loop, and
// turns error codes into message boxes.
//
// The rules of the loop and of the error texts are plain functions below
// (a_application.cpp); the object's behaviour is in a_application_host.cpp.

#include "mirel/base/a_timer.h"
#include "mirel/file/a_fileserver.h"
#include "mirel/gfx/a_graphserver.h"
#include "mirel/input/a_inputserver.h"
#include "mirel/platform/window/a_platform_window.h"

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <thread>
#include <vector>

class aInputServer;
class aSingleInstance;

// Error codes shown by showError.
constexpr int32_t A_ERROR_LOG_OPEN = int32_t(0x8a760002u);
constexpr int32_t A_ERROR_FILE_NOT_FOUND = int32_t(0x80070002u);
constexpr int32_t A_ERROR_LOADER_FAILED = int32_t(0x8a76000bu);
constexpr int32_t A_ERROR_DRIVER = int32_t(0x88760827u);
constexpr int32_t A_ERROR_NO_D3D = int32_t(0x8a760001u);
constexpr int32_t A_ERROR_NO_DEVICE = int32_t(0x8a760003u);
constexpr int32_t A_ERROR_CRASH = 8431;

constexpr const char* A_ENGINE_VERSION = "v1.63";
constexpr long A_LOG_KEEP_LIMIT = 50000; // a longer log is emptied at start

// ---- rules ----
// The message box text of an error code. userFolder is the mangled user
// folder; crashMessage the extra text of a crash box ("\n" pairs in it become
// line breaks).
std::string a_errorText(int32_t code, const std::string& userFolder, const std::string& crashMessage);
// "company/product/" ("product/" without a company).
std::string a_gameFolder(const std::string& company, const std::string& product);
// Milliseconds to sleep before a frame in a window with vertical sync:
// (1 / refresh rate - elapsed) x 1000 truncated, 0 when the time has passed.
// Only the low 16 bits of the rate count; a rate of 0 counts as 60 Hz.
uint32_t a_vsyncSleepMs(float elapsedSeconds, uint32_t refreshRate);
// Milliseconds to sleep to hold a target frame time.
uint32_t a_paceSleepMs(float elapsedSeconds, float targetSeconds);
// Alt (left 0x38 or right 0xB8) pressed or held while Enter (0x1C) goes down.
bool a_isAltEnter(uint32_t leftAlt, uint32_t rightAlt, uint32_t enter);
// Enter went down while Alt was held, though Alt may have been let go since
// (both within one frame).
bool a_hasAltEnterPress(const std::vector<aKeyPress>& presses);
// An existing log of this many bytes is kept and appended to.
inline bool a_keepLog(long size) {
    return size <= A_LOG_KEEP_LIMIT;
}

class aApplication : public aInputHost, public aGraphHost {
public:
    aApplication();
    ~aApplication() override;
    aApplication(const aApplication&) = delete;
    aApplication& operator=(const aApplication&) = delete;

    static aApplication* getInstance() { return ms_instance; }

    // 0 to go on; 1 when another copy runs (it was asked to show its window).
    virtual int init(const char* name, void* instance, const char* commandLine, const char* company);
    virtual int shutdown();
    // The main loop; returns the exit code.
    virtual int run();
    virtual void setPaused(bool paused);
    // The window procedure: handles one window event; 1 or 0 as the event's result.
    virtual intptr_t windowProc(const aWindowEvent& event);
    // Process and thread priority as nice values.
    virtual bool setPriority(int priorityClass, int threadPriority);
    virtual void showError(int32_t code);
    virtual void destroyInput();
    virtual void startLoaderThread(int (*routine)(void*), void* parameter);
    virtual bool isLoaderDone();
    virtual int update() { return 0; }
    virtual int render() { return 0; }
    virtual void onDeactivate() { setPaused(true); }
    virtual void onActivate() { setPaused(false); }
    virtual void onDisplayModeChanged() {}
    virtual bool allowFullscreenToggle() { return true; }
    virtual bool allowScreenshot() { return true; }

    // Called after a fatal signal, once the crash report was written, in the
    // crash handler's helper process (a copy of this object as it was when
    // init installed the handler); note is the crash message at the crash.
    static void unhandledExceptionFilter(int signal, void* address, const char* note, void* user);

    // ---- aInputHost ----
    void setInputServer(aInputServer* server) override { m_inputServer = server; }
    bool isActive() const override { return m_active; }
    aPlatformWindow* getPlatformWindow() const override { return m_window.get(); }
    void getBackBufferSize(int32_t& width, int32_t& height) const override;
    void refreshCursor() override;
    void setCursorSprite(aSprite* sprite) override;
    void setSystemCursorId(int32_t id) override { m_systemCursorId = id; }

    // ---- servers and state ----
    // ---- aGraphHost ----
    void setGraphServer(aGraphServer* server) override { m_graphServer = server; }
    aGraphServer* getGraphServer() const override { return m_graphServer; }
    const std::string& getName() const override { return m_name; }
    aInputServer* getInputServer() const override { return m_inputServer; }
    // The window made by the graphics server; the application destroys it at shutdown.
    void adoptWindow(std::unique_ptr<aPlatformWindow> window) override { m_window = std::move(window); }
    aFileServer& getFileServer() { return m_fileServer; }
    aTimer& getFrameTimer() { return m_frameTimer; }
    // Reads the desktop work area again (from the window, when there is one).
    void readWorkArea() override {
        if (m_window) {
            ms_workArea = m_window->getWorkArea();
        }
    }
    static const aPlatformRect& getWorkArea() { return ms_workArea; }

    // The command line handed to init (null before it).
    static const char* getCommandLine() { return ms_commandLine; }
    bool isPaused() const { return m_paused; }
    bool isRunning() const { return m_running; }
    bool hasCursorSprite() const { return m_cursor != nullptr; }
    aAnim* getCursorSprite() const override { return m_cursor.get(); }
    int32_t getSystemCursorId() const { return m_systemCursorId; }
    void setCrashMessage(const std::string& text);
    const std::string& getCrashMessage() const { return m_crashMessage; }
    const std::string& getAppPath() const { return m_appPath; }
    const std::string& getLogFileName() const { return m_logFileName; }
    // The game's folders in path-assign form, all in the user's data home:
    // "userappdata:" + the game folder (the common folder is the same), its
    // "saves/" and its "ScreenShots/".
    const std::string& getUserFolder() const { return m_userFolder; }
    const std::string& getSavedGamesFolder() const { return m_savedGamesFolder; }
    const std::string& getCommonFolder() const { return m_commonFolder; }
    const std::string& getScreenshotFolder() const { return m_screenshotFolder; }

protected:
    void logSystemInfo();
    // One turn of the frame: pacing, input, Alt+Enter, update, render, close, screenshot.
    void frame();

    std::unique_ptr<aPlatformWindow> m_window;
    void* m_moduleInstance = nullptr;
    std::unique_ptr<aSingleInstance> m_singleInstance;
    std::string m_name = "Unnamed";
    bool m_active = true;
    bool m_paused = false;
    bool m_running = false;
    aFileServer m_fileServer;
    aTimer m_frameTimer{0};
    aGraphServer* m_graphServer = nullptr;
    aInputServer* m_inputServer = nullptr;
    // The mouse cursor the graphics server draws at the end of each frame.
    std::unique_ptr<aAnim> m_cursor;
    int32_t m_systemCursorId = A_CURSOR_ARROW;
    std::thread m_loaderThread;
    std::atomic<bool> m_loaderDone{false};
    std::atomic<int> m_loaderExitCode{0};
    std::string m_crashMessage;
    std::string m_appPath;
    std::string m_logFileName = "mirel.log";
    std::string m_userFolder;
    std::string m_savedGamesFolder;
    std::string m_commonFolder;
    std::string m_screenshotFolder;
    FILE* m_logFile = nullptr;
    std::string m_logPath;
    int m_frameResult = 0;
    bool m_quit = false;
    bool m_crashHandlerInstalled = false;

    static aApplication* ms_instance;
    static const char* ms_commandLine;
    static aPlatformRect ms_workArea;
};
