#pragma once
// The credits roll: letter tiles lie in a heap, fly out to form the lines of
// one credits screen, stay, and fly back to the heap, or straight into the
// next screen where it shows the same character. A soft light flickers over
// everything. After the last screen the roll starts again with the first.
//
// Credits file (an options file). Section "Global":
//   CenterTitleCoord "x y"      centre of the title line
//   CenterTextCoord "x y"       centre of the speciality and name lines
//   HeapRect "x y w h"          the heap
//   LineSpacingAfterSpeciality  gap between the speciality and the name block
//   LineSpacing                 gap between two lines
//   IntervalMoveLetterFromHeap  seconds between tiles leaving the heap
//   IntervalMoveLetterToHeap    seconds between tiles going back; 0: all
//                               lines at once
//   SpeedMoveLetterFromHeap, SpeedMoveLetterToHeap   pixels per second
//   TimeReposLetter             tiles moving to the next screen take half of it
//   PauseTime                   seconds a finished screen stays
//   LightAlpha "lo hi", LightSpeed "lo hi", LightDelay "lo hi"
// Every section whose name begins with "Screen" is a screen, in file order:
// "Title", then any "Speciality" and "Text" (name) lines, each a locale key.
//
// Pictures from the image group: "background", "light", "tiles" (16 cells of
// 27 x 28), "tile_shadow"; the font "CreditsFont" of the GUI server.

#include "game/credits/credits_line.h"
#include "game/credits/credits_screen.h"
#include "game/credits/letter_heap.h"

#include <cstdint>
#include <string>
#include <vector>

class aFont;
class aImage;
class aImageManager;
class aLocaleServer;

class CreditsRoll {
public:
    enum RollState : int32_t {
        BUILD = 0,  // the current screen takes its tiles
        RETURN = 1, // the previous screen's tiles go back to the heap
        REUSE = 2,  // tiles shared by both screens move over
        PAUSE = 3,  // the finished screen stays
    };
    struct Settings {
        int32_t titleX = 0, titleY = 0;
        int32_t textX = 0, textY = 0;
        int16_t heapX = 0, heapY = 0;
        uint16_t heapW = 0, heapH = 0;
        int32_t lineSpacingAfterSpeciality = 0;
        int32_t lineSpacing = 0;
        float intervalFromHeap = 0.0f;
        float intervalToHeap = 0.0f;
        int32_t speedFromHeap = 0;
        int32_t speedToHeap = 0;
        float timeReposLetter = 0.0f;
        float pauseTime = 0.0f;
        float lightAlpha[2] = {0.0f, 0.0f};
        float lightSpeed[2] = {0.0f, 0.0f};
        float lightDelay[2] = {0.0f, 0.0f};
    };
    struct Light {
        float current = 0.0f;
        float target = 0.0f;
        float speed = 0.0f;
        float delay = 0.0f;
    };

    // Bounds far above any credits (a line of 39 tiles is as wide as the
    // screen, 20 lines as high): a longer line is cut, the lines of a screen
    // past the limit and the tiles of the heap past its limit are left out,
    // each logged once a load (the tiles once a fill).
    static constexpr size_t kMaxLineLength = 100;
    static constexpr size_t kMaxLinesPerScreen = 32;
    static constexpr size_t kMaxTiles = 4096;

    // Texts come from the locale server (null: the engine's).
    explicit CreditsRoll(aLocaleServer* locale = nullptr);
    ~CreditsRoll();
    CreditsRoll(const CreditsRoll&) = delete;
    CreditsRoll& operator=(const CreditsRoll&) = delete;

    // Reads the file, finds the pictures of the group and the font, then Start.
    void Load(aImageManager* images, const std::string& group, const std::string& path);
    // The first screen again, from a full heap.
    void Start();
    void Update(float dt);
    void Draw();

    const Settings& GetSettings() const { return m_settings; }
    const std::vector<CreditsScreen>& GetScreens() const { return m_screens; }
    size_t GetScreenIndex() const { return m_screenIndex; }
    int32_t GetRollState() const { return m_rollState; }
    const CLetterHeap& GetHeap() const { return m_heap; }
    const CCreditsLine::Lines& GetLines() const { return m_lines; }
    const CCreditsLine::Lines& GetPreviousLines() const { return m_previousLines; }
    const Light& GetLight() const { return m_light; }

private:
    void ReadFile(const std::string& path);
    void FillHeap();
    void BuildScreen(size_t index);
    void UpdateLight(float dt);
    void NewLightStep(float from, float to);
    void UpdateRoll(float dt);

    aLocaleServer* m_locale;
    Settings m_settings;
    std::vector<CreditsScreen> m_screens;
    size_t m_screenIndex = 0;
    int32_t m_rollState = BUILD;
    float m_pauseTimer = 0.0f;
    CLetterHeap m_heap;
    CCreditsLine::Lines m_lines;
    CCreditsLine::Lines m_previousLines;
    size_t m_lineIndex = 0;
    Light m_light;

    const aImage* m_background = nullptr;
    const aImage* m_lightPicture = nullptr;
    CLetterPictures m_pictures;
};
