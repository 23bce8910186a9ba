#pragma once
// aImageManager: the game's named images, loaded from image list files.
//
// A list line names an image file and its texture formats for 16-bit and
// 32-bit display modes ("door.jng 4444 8888"); the image's name is the file
// name without its last extension. Images loaded into a group are kept under
// "name:group", so the same short name may live in several groups. Names
// compare without regard to letter case.

#include "mirel/base/a_string.h"
#include "mirel/gfx/a_image.h"
#include "mirel/util/a_stringlist.h"

#include <cstdint>
#include <map>
#include <string>

class aImageManager {
public:
    using ProgressCallback = void (*)(int16_t linesLeft);

    aImageManager();
    ~aImageManager();
    aImageManager(const aImageManager&) = delete;
    aImageManager& operator=(const aImageManager&) = delete;

    void setProgressCallback(ProgressCallback callback) { m_progress = callback; }

    // Lines of the list file (which becomes the held list).
    uint32_t getListSize(const std::string& path);
    // Loads the list's images while their textures fit the list's budget; an
    // image that would take the list past it, and every later one, is not
    // loaded (one log line each).
    void loadList(const std::string& path, const std::string& group = std::string());
    void unloadList(const std::string& path, const std::string& group = std::string());

    // The stored image, or null (logged).
    aImage* getImage(const std::string& name, const std::string& group = std::string());

    size_t getImageCount() const { return m_images.size(); }

    // The most texture memory the images of one loadList may take.
    static constexpr size_t kDefaultListTextureBudget = size_t(256) << 20;
    void setListTextureBudget(size_t bytes) { m_listBudget = bytes; }
    size_t getListTextureBudget() const { return m_listBudget; }

    // The threads a list's files are read and decoded on, the caller's
    // included (1: all on the caller's); by default as many as the machine
    // gives, at most kMostLoadThreads. The images, the log lines and the
    // progress calls come out the same, in the list's order, whatever the count.
    static constexpr unsigned kMostLoadThreads = 4;
    void setLoadThreads(unsigned threads) { m_loadThreads = threads < 1 ? 1 : threads; }
    unsigned getLoadThreads() const { return m_loadThreads; }

    // Texture format code of a list's format text ("8888", "0565", "1555",
    // "4444"); -1 when unknown.
    static int formatFromText(const std::string& text);

private:
    using Map = std::map<std::string, aImage, StringLessNoCase>;
    // Decoded pictures waiting for their turn hold at most about this much.
    static constexpr size_t kHeldDecodeBytes = size_t(64) << 20;

    void openList(const std::string& path);
    static std::string makeKey(const std::string& name, const std::string& group);

    ProgressCallback m_progress = nullptr;
    Map m_images;
    Map::iterator m_last;
    aStringList m_list;
    std::string m_listPath;
    bool m_listHeld = false;
    size_t m_listBudget = kDefaultListTextureBudget;
    unsigned m_loadThreads;
};
