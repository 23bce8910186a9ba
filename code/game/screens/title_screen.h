#pragma once
// The moving background of the title and main-menu screen: the sky, three
// layers of drifting clouds, flocks of birds, the looping waves video at the
// bottom, the foreground, and the game's logo, which grows and fades in while
// its lettering is written stroke by stroke. Eight full-screen masks, drawn
// over the GUI, open the screen one after the other.
//
// Pictures come from the image group "title": "sky", "clouds_layer_1" to
// "clouds_layer_3", "front", "logo" (the lettering in the band 0 0 556 85, the
// body in 0 85 556 84), "logo_highlight", "bird_l" and "bird_r" (18 frames of
// 32 x 32), "mask_1" to "mask_8". The video is "data:video/waves.ogg".
//
// Signature file "data:signature.txt": one stroke of the lettering a line,
// "x y w h" in the logo's band, in writing order; other lines are ignored.
//
// The intro runs from t = -0.75 s (all masks opaque) to t = 4 s (logo whole).

#include "mirel/base/a_rect.h"
#include "mirel/gfx/a_anim.h"

#include <cstdint>
#include <list>
#include <memory>
#include <string>
#include <vector>

class aImage;
class aImageManager;
class aTheoraVideo;

class TitleScreen {
public:
    struct CloudLayer {
        aImage* picture = nullptr;
        float x = 0.0f;
        float y = 0.0f;
        float speed = 0.0f; // pixels per second
    };
    struct Bird {
        aAnim anim;
        float x = 0.0f, y = 0.0f;
        float vx = 0.0f, vy = 0.0f;
        float depth = 0.0f; // 0.1 (far, faint, slow) .. 0.5 (near)
    };

    static constexpr float kIntroStart = -0.75f;
    static constexpr float kIntroEnd = 4.0f;
    static constexpr uint16_t kBirdFrames = 18;
    static constexpr uint16_t kBirdSize = 32;

    // Takes the pictures from the image manager's group "title", opens the
    // video, cuts the birds and reads the signature; the intro is at its start.
    explicit TitleScreen(aImageManager* images, const std::string& signatureFile = "data:signature.txt",
                         const std::string& videoFile = "data:video/waves.ogg");
    ~TitleScreen();
    TitleScreen(const TitleScreen&) = delete;
    TitleScreen& operator=(const TitleScreen&) = delete;

    // With the intro: masks, logo and lettering again; without: from t = 0.
    void Restart(bool withIntro);
    bool IsIntroDone() const { return m_time >= kIntroEnd; }
    void Update(float dt);
    void Draw();
    // The masks over the GUI, while the intro has not reached t = 0.
    void DrawMasks();

    // The signature strokes in a file (lines that do not hold four integers
    // of 16 bits are skipped).
    static std::vector<aRect> ReadSignature(const std::string& path);

    float GetTime() const { return m_time; }
    float GetFlockTimer() const { return m_flockTimer; }
    const CloudLayer& GetCloudLayer(int i) const { return m_clouds[i]; }
    const std::list<Bird>& GetBirds() const { return m_birds; }
    const std::vector<aRect>& GetSignature() const { return m_signature; }
    // Spawns one flock now.
    void SpawnFlock();

private:
    aImage* m_sky = nullptr;
    aImage* m_front = nullptr;
    aImage* m_logo = nullptr;
    aImage* m_logoHighlight = nullptr;
    aImage* m_masks[8] = {};
    CloudLayer m_clouds[3];
    aAnim m_birdLeft;
    aAnim m_birdRight;
    std::list<Bird> m_birds;
    float m_flockTimer = 0.0f;
    float m_time = kIntroStart;
    std::unique_ptr<aTheoraVideo> m_video;
    std::vector<aRect> m_signature;
};
