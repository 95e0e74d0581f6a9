// ProgressIndicator: a bar showing how far work has come. Determinate, it
// shows its value between its minimum and maximum (a value outside is held
// to them when drawn); indeterminate, it shows that work goes on, moving while
// animated. The default drawing is a plain bar; subclasses draw their own.
#pragma once

#include "platform/views/View.h"

namespace brevanton {

class ProgressIndicator : public View {
public:
    explicit ProgressIndicator(Rect frame = {});

    bool isIndeterminate() const { return m_indeterminate; }
    virtual void setIndeterminate(bool);

    double minValue() const { return m_minValue; }
    void setMinValue(double);
    double maxValue() const { return m_maxValue; }
    void setMaxValue(double);
    // As set; drawing holds it between the minimum and maximum.
    double doubleValue() const { return m_value; }
    void setDoubleValue(double);

    // Only an indeterminate indicator animates; the base keeps the mark.
    virtual void startAnimation();
    virtual void stopAnimation();
    bool isAnimating() const { return m_animating; }

    void draw(const Rect& dirtyRect, GraphicsContext&) override;

protected:
    void setAnimating(bool animating) { m_animating = animating; }

private:
    bool m_indeterminate { true };
    bool m_animating { false };
    double m_minValue { 0 };
    double m_maxValue { 100 };
    double m_value { 0 };
};

} // namespace brevanton
