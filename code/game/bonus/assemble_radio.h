#pragma once
// The radio puzzle ("AssembleRadio"): the parts of a wireless lie beside it;
// a click picks a part up, the next click drops it, and a needed part dropped
// within 20 pixels of its place goes in. When every needed part is in, the
// cover fades over the radio in 0.5 s, the round is solved, and the radio
// speaks: its finish sound is the voice "radio_voice", shown with the timed
// subtitles of "data:loc/radio.srt".
//
// Every picture is a layer of "layout.txt" in "data:images/bonus/radio/"
// (three lines a layer: its picture's name in the image group "bonus", its
// x and y in the play area). A layer name tells its role:
//   no "#"        a plain layer, hidden at first ("cover" is one)
//   "#...o"       a part as it lies; it starts a new part, which is needed
//                 unless the name ends in "_o"
//   "#...g"       the part's glow, shown when the cursor is over it
//   "#...m"       the part's hover mask (never drawn)
//   "#...h"       the part as it is held; its own place is the part's place
//   "#...i"       the part in the radio
// The part's other layers are named like its "o" layer with the last letter
// changed. The subtitles are drawn by a text widget made from the GUI
// template "assemble_radio_subtitles".

#include "game/bonus/bonus_round.h"
#include "game/bonus/subtitle_track.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace GUI {
class StaticText;
}

class AssembleRadio : public BonusRound {
public:
    static constexpr const char* kPuzzleName = "radio";
    static constexpr const char* kSubtitleFile = "data:loc/radio.srt";
    // A part dropped this close to its place (in both axes) goes in.
    static constexpr int32_t kPlaceDistance = 20;
    // Seconds a glow takes to come and to go.
    static constexpr float kGlowTime = 0.3f;
    // A pixel belongs to a layer when its alpha byte is above this.
    static constexpr uint32_t kAlphaThreshold = 0x20;
    // DrawLayer at the layer's own place.
    static constexpr int32_t kOwnPlace = 0x7FFFFFFF;

    struct Layer {
        std::string name;
        aImage* image = nullptr;
        int32_t x = 0, y = 0;
        bool visible = false;
        float alpha = 0.0f;
    };
    struct Part {
        // Layer indices of the part as it lies, its mask, glow, held and installed pictures.
        int32_t loose = -1, mask = -1, glow = -1, held = -1, installed = -1;
        int32_t dragX = 0, dragY = 0;
        bool required = true;
        bool placed = false;
    };

    AssembleRadio(const aOptionsFile& options, GameServices* game);
    ~AssembleRadio() override;

    void Update(float dt) override;
    void Draw() override;
    void OnCompleted() override;
    // The voice, and with it the subtitles' clock.
    void PlayFinishSound() override;
    void StopFinishSound() override;
    void UseHint() override {}
    // Every needed part goes in.
    void Solve() override;

    // The first layer of that name; -1 (logged) when there is none.
    int32_t FindLayer(const std::string& name) const;
    void DrawLayer(const Layer& layer, int32_t x, int32_t y) const;
    bool HitTestLayer(const Layer& layer, int32_t x, int32_t y) const;

    const std::vector<Layer>& GetLayers() const { return m_layers; }
    const std::vector<Part>& GetParts() const { return m_parts; }
    int32_t GetDragged() const { return m_dragged; }
    bool IsCoverPhase() const { return m_coverPhase; }
    int32_t GetCover() const { return m_cover; }
    const SubtitleTrack& GetSubtitles() const { return m_subtitles; }
    bool IsVoiceStarted() const { return m_voiceStarted; }
    GUI::StaticText* GetSubtitleWidget() const { return m_subtitleWidget.get(); }

private:
    void ReadLayout();
    void Show(int32_t layer, bool visible);
    Layer* At(int32_t index) { return index >= 0 ? &m_layers[size_t(index)] : nullptr; }
    // Puts the held part back down, where it lay.
    void DropHeld();

    std::vector<Layer> m_layers;
    std::vector<Part> m_parts;
    SubtitleTrack m_subtitles;
    std::unique_ptr<GUI::StaticText> m_subtitleWidget;
    int32_t m_dragged = -1;
    bool m_coverPhase = false;
    int32_t m_cover = -1;
    // Without a cover layer the phase still takes its time.
    float m_coverTime = 0.0f;
    // The subtitles follow the voice: their clock runs once it started.
    bool m_voiceStarted = false;
    aImage* m_background = nullptr;
    aSound* m_soundSelect = nullptr;
    aSound* m_soundLock = nullptr;
    aSound* m_soundPlaceBack = nullptr;
    aSound* m_soundCompleted = nullptr;
};
