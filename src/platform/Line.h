// The line control: a straight line between two points of the form it is drawn on.
#pragma once

#include <QLine>
#include <QWidget>

namespace vtx {

/// A line from (x1, y1) to (x2, y2) in its container's coordinates. The widget covers the
/// points' bounding box and draws the line in its foreground colour; it is moved by its end
/// points, never by its geometry.
class Line : public QWidget {
    Q_OBJECT
public:
    explicit Line(QWidget* container);

    QLine points() const { return m_points; }
    void setPoints(const QLine& points);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QLine m_points;
};

} // namespace vtx
