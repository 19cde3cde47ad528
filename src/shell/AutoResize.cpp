// Proportional layout of a form's controls, recorded once and scaled from the originals.
#include "AutoResize.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include <QApplication>
#include <QDialog>
#include <QEvent>
#include <QLayout>
#include <QMainWindow>
#include <QPointer>
#include <QScreen>
#include <QStackedWidget>
#include <QTabWidget>
#include <QWidget>

#include "Line.h"
#include "Modal.h"
#include "SSTab.h"

namespace vtx {

namespace {

/// Widgets whose children are controls of the form in their own right.
bool holdsControls(const QWidget* w) {
    const QLatin1String cls(w->metaObject()->className());
    return cls == QLatin1String("QWidget") || cls == QLatin1String("QFrame") ||
           cls == QLatin1String("QGroupBox") || qobject_cast<const QTabWidget*>(w) ||
           qobject_cast<const QStackedWidget*>(w) || qobject_cast<const SSTab*>(w);
}

/// A control of a tab that is not shown: its tabbed container keeps it far to the left.
bool onHiddenTab(const QWidget* w) {
    return qobject_cast<const SSTab*>(w->parentWidget()) && w->x() < 0;
}

int scaled(double ratio, int value) {
    return int(std::lround(ratio * value));
}

bool isControl(const QWidget* w) {
    const QString name = w->objectName();
    if (name.isEmpty() || name.startsWith(QLatin1String("qt_")))
        return false;
    if (w->property("Tag").toString() == QLatin1String("NO"))
        return false;
    // A control placed by a layout is sized by it, not by us.
    const QWidget* parent = w->parentWidget();
    return !(parent && parent->layout() && parent->layout()->indexOf(w) >= 0);
}

void collectControls(QWidget* parent, std::vector<QWidget*>& out) {
    for (QObject* child : parent->children()) {
        auto* w = qobject_cast<QWidget*>(child);
        if (!w || w->isWindow())
            continue;
        if (isControl(w))
            out.push_back(w);
        if (holdsControls(w))
            collectControls(w, out);
    }
}

} // namespace

struct AutoResize::Private {
    /// A control as it was recorded: a line by its end points, any other control by its
    /// geometry (on a hidden tab, where it stands when its tab is shown) and font size.
    struct Entry {
        QPointer<QWidget> control;
        QRect geometry;
        QLine points;
        qreal fontSize = 0;
    };

    QWidget* form;
    bool enabled = true;
    bool fontResizable = true;
    bool keepAspectRatio = false;
    double aspectRatioValue = 0;
    int hMin = 3000;
    int wMin = 4800;

    std::vector<Entry> entries;
    QSize recordedArea;
    bool recorded = false;
    bool reentry = false;

    /// The inner area: a main window's central widget, else the form itself.
    QWidget* area() const {
        if (auto* main = qobject_cast<QMainWindow*>(form); main && main->centralWidget())
            return main->centralWidget();
        return form;
    }

    QSize frameExtra() const {
        if (!form->isVisible())
            return {0, 0};
        return form->frameGeometry().size() - form->geometry().size();
    }

    bool isMinimized() const { return form->windowState() & Qt::WindowMinimized; }

    /// The title bar and borders around the form: as the desktop draws them once the form is
    /// on screen; before that, as around another window of the program, or an allowance for them.
    QMargins frameMargins() const {
        const auto around = [](const QWidget* w) {
            const QRect outer = w->frameGeometry(), inner = w->geometry();
            return QMargins(inner.left() - outer.left(), inner.top() - outer.top(),
                            outer.right() - inner.right(), outer.bottom() - inner.bottom());
        };
        if (form->isVisible() && !around(form).isNull())
            return around(form);
        for (const QWidget* w : QApplication::topLevelWidgets()) {
            const QMargins m = around(w);
            if (w != form && w->isVisible() && m.top() > 0 && m.left() > 0)
                return m;
        }
        return {5, 35, 5, 5};
    }

    /// The screen of the window the form opens over, else the form's own.
    QScreen* screen() const {
        const QWidget* owner = form->parentWidget() ? form->parentWidget()->window() : nullptr;
        return owner ? owner->screen() : form->screen();
    }

    bool isMaximized() const {
        return form->windowState() & (Qt::WindowMaximized | Qt::WindowFullScreen);
    }

    /// A form larger than the screen's free area opens scaled down to fit it whole, title bar
    /// included, keeping its proportions.
    void fitToScreen() {
        const QScreen* s = screen();
        if (!s || isMaximized())
            return;
        const QMargins m = frameMargins();
        const QSize room = s->availableGeometry().size().shrunkBy(m);
        const QSize size = form->size();
        if (size.isEmpty() || (size.width() <= room.width() && size.height() <= room.height()))
            return;
        const double r =
            std::min(double(room.width()) / size.width(), double(room.height()) / size.height());
        form->resize(static_cast<int>(size.width() * r), static_cast<int>(size.height() * r));
    }

    /// The form opens whole within the screen's free area, title bar and borders included: a
    /// dialog centred over the window it opens over (over the screen when it has none), any
    /// other form where it stands, moved in from every edge it would pass.
    void placeOnScreen() {
        const QScreen* s = screen();
        if (!s || isMaximized())
            return;
        const QRect free = s->availableGeometry();
        const QMargins m = frameMargins();
        const QSize outer = form->size().grownBy(m);
        QPoint corner = form->frameGeometry().topLeft();
        if (qobject_cast<QDialog*>(form) && !form->testAttribute(Qt::WA_Moved)) {
            const QWidget* owner = form->parentWidget() ? form->parentWidget()->window() : nullptr;
            const QPoint centre = owner ? owner->frameGeometry().center() : free.center();
            corner = centre - QPoint(outer.width() / 2, outer.height() / 2);
        }
        corner.setX(std::clamp(corner.x(), free.left(),
                               std::max(free.left(), free.right() + 1 - outer.width())));
        corner.setY(std::clamp(corner.y(), free.top(),
                               std::max(free.top(), free.bottom() + 1 - outer.height())));
        // Placed by its inner area, which the desktop then frames where it stands.
        form->setGeometry(QRect(corner + QPoint(m.left(), m.top()), form->size()));
    }

    void holdMinimum() {
        const QSize extra = frameExtra();
        const int w = static_cast<int>(std::lround(wMin * form->logicalDpiX() / 1440.0));
        const int h = static_cast<int>(std::lround(hMin * form->logicalDpiY() / 1440.0));
        form->setMinimumSize(std::max(0, w - extra.width()), std::max(0, h - extra.height()));
    }

    void holdAspectRatio() {
        if (!keepAspectRatio || aspectRatioValue <= 0 ||
            (form->windowState() &
             (Qt::WindowMinimized | Qt::WindowMaximized | Qt::WindowFullScreen)))
            return;
        const QSize extra = frameExtra();
        const int outerWidth = form->width() + extra.width();
        const int height =
            static_cast<int>(std::lround(outerWidth * aspectRatioValue)) - extra.height();
        if (height == form->height())
            return;
        reentry = true;
        form->resize(form->width(), height);
        reentry = false;
    }

    void scaleControls() {
        if (!recorded || reentry || recordedArea.isEmpty())
            return;
        const QSize now = area()->size();
        const double xr = double(now.width()) / recordedArea.width();
        const double yr = double(now.height()) / recordedArea.height();
        const double fr = std::min(xr, yr);
        for (const Entry& e : entries) {
            if (!e.control)
                continue;
            if (auto* line = qobject_cast<Line*>(e.control.data())) {
                line->setPoints(QLine(scaled(xr, e.points.x1()), scaled(yr, e.points.y1()),
                                      scaled(xr, e.points.x2()), scaled(yr, e.points.y2())));
                continue;
            }
            if (fontResizable && e.fontSize > 0) {
                QFont font = e.control->font();
                font.setPointSizeF(std::max(1.0, fr * e.fontSize));
                e.control->setFont(font);
            }
            int left = scaled(xr, e.geometry.x());
            if (onHiddenTab(e.control))
                left -= SSTab::kHiddenOffset;
            e.control->setGeometry(left, scaled(yr, e.geometry.y()), scaled(xr, e.geometry.width()),
                                   scaled(yr, e.geometry.height()));
        }
    }
};

AutoResize::AutoResize(QWidget* form) : QObject(form), d(std::make_unique<Private>()) {
    d->form = form;
    setObjectName(QStringLiteral("Resize"));
    setProperty("Tag", QStringLiteral("NO"));
    setScalesWithSize(form);
    form->installEventFilter(this);
}

AutoResize::~AutoResize() = default;

bool AutoResize::isEnabled() const {
    return d->enabled;
}
void AutoResize::setEnabled(bool enabled) {
    d->enabled = enabled;
    if (!enabled)
        d->form->setMinimumSize(0, 0);
    else if (d->recorded)
        d->holdMinimum();
}
bool AutoResize::fontResizable() const {
    return d->fontResizable;
}
void AutoResize::setFontResizable(bool resizable) {
    d->fontResizable = resizable;
}
bool AutoResize::keepAspectRatio() const {
    return d->keepAspectRatio;
}
void AutoResize::setKeepAspectRatio(bool keep) {
    d->keepAspectRatio = keep;
    const QSize outer = d->form->size() + d->frameExtra();
    d->aspectRatioValue = keep && outer.width() > 0 ? double(outer.height()) / outer.width() : 0;
}
double AutoResize::aspectRatioValue() const {
    return d->aspectRatioValue;
}
void AutoResize::setAspectRatioValue(double ratio) {
    d->aspectRatioValue = ratio;
}
int AutoResize::hMin() const {
    return d->hMin;
}
void AutoResize::setHMin(int twips) {
    d->hMin = twips;
}
int AutoResize::wMin() const {
    return d->wMin;
}
void AutoResize::setWMin(int twips) {
    d->wMin = twips;
}

void AutoResize::recordLayout() {
    QWidget* area = d->area();
    if (area != d->form)
        area->installEventFilter(this);
    std::vector<QWidget*> controls;
    collectControls(area, controls);
    d->entries.clear();
    for (QWidget* w : controls) {
        if (auto* line = qobject_cast<Line*>(w)) {
            d->entries.push_back({w, QRect(), line->points()});
            continue;
        }
        QRect geometry = w->geometry();
        if (onHiddenTab(w))
            geometry.translate(SSTab::kHiddenOffset, 0);
        d->entries.push_back({w, geometry, QLine(), w->font().pointSizeF()});
    }
    d->recordedArea = area->size();
    d->recorded = true;
    if (d->enabled)
        d->holdMinimum();
}

bool AutoResize::eventFilter(QObject* watched, QEvent* event) {
    if (watched == d->form && event->type() == QEvent::Show && !d->recorded) {
        recordLayout();
        if (d->enabled) {
            d->fitToScreen();
            d->placeOnScreen();
        }
    }
    if (event->type() != QEvent::Resize || !d->recorded || !d->enabled || d->isMinimized())
        return false;
    if (watched == d->form) {
        d->holdMinimum();
        d->holdAspectRatio();
    }
    if (watched == d->area())
        d->scaleControls();
    return false;
}

} // namespace vtx
