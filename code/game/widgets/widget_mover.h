#pragma once
// Brings widgets in smoothly: a widget handed to the mover starts transparent
// and reaches full opacity within half a second. Once added, a widget keeps
// its record: every Update sets its alpha (1 once the fade is over). A widget
// destroyed in the meantime is dropped, never touched.

#include "mirel/gui/gui_widget.h"

#include <map>
#include <memory>

class WidgetMover {
public:
    WidgetMover() = default;
    ~WidgetMover() = default; // the widgets are not touched
    WidgetMover(const WidgetMover&) = delete;
    WidgetMover& operator=(const WidgetMover&) = delete;

    // Starts (or restarts) the widget's fade from alpha 0.
    void Add(GUI::Widget* widget);
    // Every record, in map order: progress += 2 dt, at most 1; alpha := progress.
    void Update(float dt);

    // The widget's progress, or -1 when it has no record.
    float GetProgress(const GUI::Widget* widget) const;

private:
    struct Motion {
        float progress = 0.0f;
        std::weak_ptr<const bool> life; // expires with the widget
    };
    std::map<GUI::Widget*, Motion, std::less<>> m_motions;
};
