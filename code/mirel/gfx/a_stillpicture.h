#pragma once
// A still picture: a copy of an area of the back buffer as it was drawn,
// drawn again in one blit for as long as drawing the area anew would give
// the same pixels. Its owner says what the area showed with a key of words
// (the positions and colours it drew with) and vouches that the drawing
// reaches no pixel outside the area and covers it opaquely, so that nothing
// drawn before shows through. The copy is only used under the graphics
// state it was taken in: untinted, the normal blend, the same filter and
// viewport.

#include "mirel/base/a_rect.h"
#include "mirel/gfx/a_image.h"

#include <cstdint>
#include <vector>

// What an owner looks at to vouch for its drawing, for a 32-bit picture
// (false for one that cannot be read so): whether every texel is opaque,
// and how far from the picture's centre its farthest texel that is not
// clear lies (the reach of the picture turned about its centre).
bool a_readPictureCover(const aImage& image, bool* opaque, double* reach);

class aStillPicture {
public:
    using Key = std::vector<uint32_t>;

    // Draws the copy when it was taken under this key and the graphics
    // state is the one it was taken in; false (nothing drawn) otherwise.
    bool draw(const Key& key) const;
    // Takes the area of the back buffer as drawn so far, under the key; on
    // a graphics state it may not be used in, or an area off the back
    // buffer, it holds nothing.
    void take(const aRect& area, const Key& key);
    void forget();
    bool holds() const { return m_held; }

private:
    struct State {
        aRect viewport;
        bool linearFilter = true;
        bool operator==(const State& other) const;
    };
    // The state now when a copy can be taken or drawn in it.
    static bool usableState(State* state);

    aImage m_image;
    aRect m_area;
    Key m_key;
    State m_state;
    bool m_held = false;
};
