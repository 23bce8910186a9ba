// The movie control a Flash splash entry plays in, and the registry that
// creates controls by programmatic name. This platform has no movie player:
// the registry starts empty, so every Flash entry falls back to its picture.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include <X11/Xlib.h>

namespace pellucid {

// Receives the movie's commands.
class MovieCommandSink {
public:
    virtual ~MovieCommandSink() = default;
    virtual void OnFSCommand(const std::string& command, const std::string& args) = 0;
};

class MovieControl {
public:
    virtual ~MovieControl() = default;
    // Major version in the high 16 bits.
    virtual int32_t FlashVersion() = 0;
    // 0x00BBGGRR, red in the low byte.
    virtual void PutBackgroundColor(uint32_t color) = 0;
    // Makes the control draw into `window` and take its input.
    virtual bool Attach(Display* display, Window window) = 0;
    virtual bool ConnectSink(MovieCommandSink* sink) = 0;
    virtual void DisconnectSink() = 0;
    virtual void DisableLocalSecurity() = 0;
    virtual bool LoadMovie(int layer, const std::string& url) = 0;
    virtual void SetVariable(const std::string& name, const std::string& value) = 0;
    virtual void PutLoop(bool loop) = 0;
    virtual void Stop() = 0;
};

using MovieControlFactory = std::function<std::unique_ptr<MovieControl>()>;

// Registers (or, with an empty factory, removes) the control of a name.
void RegisterMovieControl(const std::string& progId, MovieControlFactory factory);
// Null when no control of that name is registered.
std::unique_ptr<MovieControl> CreateMovieControl(const std::string& progId);

} // namespace pellucid
