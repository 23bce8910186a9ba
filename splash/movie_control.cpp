#include "movie_control.h"

#include <map>

namespace pellucid {

namespace {
std::map<std::string, MovieControlFactory>& registry() {
    static std::map<std::string, MovieControlFactory> controls;
    return controls;
}
} // namespace

void RegisterMovieControl(const std::string& progId, MovieControlFactory factory) {
    if (factory)
        registry()[progId] = std::move(factory);
    else
        registry().erase(progId);
}

std::unique_ptr<MovieControl> CreateMovieControl(const std::string& progId) {
    auto it = registry().find(progId);
    if (it == registry().end())
        return nullptr;
    return it->second();
}

} // namespace pellucid
