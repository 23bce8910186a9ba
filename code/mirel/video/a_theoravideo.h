#pragma once
// aTheoraVideo: plays an Ogg Theora file into a texture. The file is read in
// blocks; one frame is decoded whenever a frame time has gathered, turned
// from YUV into 32-bit BGRA and copied into an aImage that draws like any
// other image. A looping video rewinds to its start at the end of the file;
// any other stops on its last frame.

#include "mirel/base/a_rect.h"
#include "mirel/gfx/a_image.h"

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

class aTheoraVideo {
public:
    aTheoraVideo();
    ~aTheoraVideo();
    aTheoraVideo(const aTheoraVideo&) = delete;
    aTheoraVideo& operator=(const aTheoraVideo&) = delete;

    // The largest frame played, in pixels (2048 x 2048; the title video is
    // 1024 x 192): a larger one costs too much to convert every frame.
    static constexpr uint64_t kMaxFramePixels = uint64_t(4) << 20;

    // Closes an open video, opens the file (path assigns applied, a plain
    // file: archives are not searched) and reads its headers; a video whose
    // frames are larger than kMaxFramePixels is not opened. On success the
    // texture is an empty A8R8G8B8 one of the encoded frame size and the first
    // update shows the first frame. On failure nothing is open and nothing
    // draws.
    bool open(const std::string& path, bool loop);
    // Gathers dt seconds; decodes at most one frame once a frame time is full.
    void update(float dt);
    // The whole texture, or the given part of it.
    void draw(float x, float y, uint32_t colour = 0xFFFFFFFF, const aRect* rect = nullptr,
              const float* scale = nullptr, float rotation = 0.0f, const float* centre = nullptr) const;
    // The displayed frame height of the open (or last played) video; 0 when none.
    uint32_t getHeight() const { return m_frameHeight; }
    // Closes the file and clears the decoder; the texture keeps its last frame.
    void close();

private:
    struct Decoder;

    enum class Headers { Playable, NotTheora, TooLarge };
    Headers readHeaders();
    bool decodeFrame();
    size_t readBlock();
    void clearDecoder();
    void uploadFrame();

    std::unique_ptr<Decoder> m_dec;
    std::FILE* m_file = nullptr;
    std::string m_path;
    uint8_t m_loop = 0;
    aImage m_image;
    std::vector<uint32_t> m_rgb;
    uint32_t m_width = 0; // encoded frame size: the texture and the converted picture
    uint32_t m_height = 0;
    uint32_t m_frameHeight = 0;
    float m_frameTime = 0.0f;
    float m_accum = 0.0f;
    bool m_errorLogged = false;
};
