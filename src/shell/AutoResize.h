// The form auto-resizer: records the form's controls at its first showing and scales their
// geometry and fonts with the form, holding a minimum size and an optional aspect ratio.
#pragma once

#include <memory>

#include <QObject>

class QWidget;

namespace vtx {

/// Placed on a form as its child "Resize", it marks the form through setScalesWithSize (Modal.h),
/// so that a modal showing leaves it resizable; the form's controls must have fixed geometry
/// (no layout), and a control whose "Tag" property is "NO" is left alone. Lines scale by
/// their end points and keep their font; a control on a hidden tab of a tabbed container
/// scales from where it stands when its tab is shown, and stays hidden. At its first showing
/// the form opens whole within its screen's free area, scaled down when it is larger.
class AutoResize : public QObject {
public:
    explicit AutoResize(QWidget* form);
    ~AutoResize() override;

    /// False: resizing the form does nothing (no minimum size, no scaling).
    bool isEnabled() const;
    void setEnabled(bool enabled);
    bool fontResizable() const;
    void setFontResizable(bool resizable);
    /// True takes the form's present height-to-width ratio as AspectRatioValue; false clears it.
    bool keepAspectRatio() const;
    void setKeepAspectRatio(bool keep);
    double aspectRatioValue() const;
    void setAspectRatioValue(double ratio);
    /// Minimum outer height and width of the form, in twips (1440 a logical inch).
    int hMin() const;
    void setHMin(int twips);
    int wMin() const;
    void setWMin(int twips);

    /// Records each control's geometry and font size; runs by itself at the first showing.
    void recordLayout();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct Private;
    std::unique_ptr<Private> d;
};

} // namespace vtx
