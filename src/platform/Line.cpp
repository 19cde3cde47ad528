// The line control's placement and drawing.
#include "Line.h"

#include <QPainter>

namespace vtx {

Line::Line(QWidget* container) : QWidget(container) {
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setPoints(QLine());
}

void Line::setPoints(const QLine& points) {
    m_points = points;
    // One pixel past the far ends, so that a level or upright line still has an area.
    setGeometry(QRect(points.p1(), points.p2()).normalized().adjusted(0, 0, 1, 1));
    update();
}

void Line::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setPen(palette().color(QPalette::WindowText));
    painter.drawLine(m_points.translated(-pos()));
}

} // namespace vtx
