#pragma once
// The plain picture object of a hidden-object room (class key "Image"): a
// rectangle of a named image of the room's group, drawn at the object's
// place, hit where the picture's alpha reaches the object's threshold, and
// swelling away about its centre when it is taken. Most other scene-object
// classes build on it.
//
// Keys besides the base's: "Image" (the image's name in the room's group),
// "Rect" ("x y width height" in the image; the whole image without it).

#include "game/scenes/objects/spy_object.h"
#include "mirel/base/a_rect.h"

class aImage;

class SpyObjImage : public SpyObject {
public:
    SpyObjImage(SpyRoom* room, const std::string& name);
    ~SpyObjImage() override;

    void Create(const aOptionsFile& section) override;
    void UnloadResources() override;
    bool IsKindOf(const std::string& key) const override;
    // Never while vanishing, never for a shadow; else the picture's alpha.
    bool HitTest(int32_t x, int32_t y) const override;
    // Off does nothing. Taken by a click it starts vanishing and its linked
    // object goes; put together with another object it goes at once.
    bool Activate(bool on, SpyObject* used) override;
    float GetWidth() const override { return float(m_rect.width); }
    float GetHeight() const override { return float(m_rect.height); }
    // Only in state 0: turned by the drag angle about the drag hotspot, or
    // while vanishing scaled about its centre, in white.
    void Draw(uint32_t colour) override;

    aImage* GetImage() const { return m_image; }

protected:
    aImage* m_image = nullptr; // the image manager's
    aRect m_rect;
};
