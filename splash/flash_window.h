// A splash entry shown as a movie in a child window of the host.
#pragma once

#include "movie_control.h"
#include "splash_entry.h"

#include <memory>
#include <string>

#include <X11/Xlib.h>

namespace pellucid {

struct SplashRect {
    int x = 0, y = 0, width = 1, height = 1;
};

// A resource written out to a temporary file for the control to read.
struct ResourceFile {
    int id = 0;
    std::string extension; // may be empty
    std::string path;
    bool extracted = false;
};

class CFlashWindow final : public MovieCommandSink {
public:
    // `doneMessage` is the client-message type posted to the control window
    // when the movie has faded out.
    CFlashWindow(Display* display, Atom doneMessage);
    ~CFlashWindow() override;
    CFlashWindow(const CFlashWindow&) = delete;
    CFlashWindow& operator=(const CFlashWindow&) = delete;

    // Writes a resource to a new temporary file; a file begun and not
    // finished is removed again.
    static bool ExtractResource(ResourceFile& record);

    bool Prepare(SplashEntry& entry);
    bool Create(Window host, const SplashRect& rect);
    void OnFSCommand(const std::string& command, const std::string& args) override;
    void OnMouseClick();
    void Close();

    Window controlWindow() const { return m_window; }
    void moveTo(const SplashRect& rect);
    // The host and with it the control window are gone.
    void forgetWindow() { m_window = 0; }

    const ResourceFile& movieFile() const { return m_movie; }
    const ResourceFile& videoFile() const { return m_video; }

private:
    void destroyWindow();

    Display* m_display;
    Atom m_doneMessage;
    Window m_window = 0;
    bool m_sinkConnected = false;
    std::unique_ptr<MovieControl> m_control;
    ResourceFile m_movie;
    ResourceFile m_video;
    std::string m_movieUrl;
    const SplashEntry* m_entry = nullptr;
};

} // namespace pellucid
