// The instalment rows, placed as the form was drawn: row 0 and its headings where designed,
// the rows after it 320 twips apart, a new column every 23 rows, 2665 twips to the right; all
// of them scaled as the frame is.
#include "InstalmentSchedule.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include <QLabel>
#include <QLineEdit>

#include "Controls.h"
#include "DateMask.h"
#include "Keyboard.h"

namespace vtx {

namespace {

/// Twips of the drawn form to pixels across: 12 a pixel, so that a date fits its box in the
/// fonts of this desktop (the drawn form counted 15 at 96 dots an inch).
int px(int twips) {
    return (twips + 6) / 12;
}

/// Twips to pixels down: 15 a pixel, as drawn, so that a full column of 23 rows ends near
/// 680 pixels and the form fits a screen 768 pixels high.
int py(int twips) {
    return (twips + 7) / 15;
}

QRect twips(int left, int top, int width, int height) {
    return {px(left), py(top), px(width), py(height)};
}

/// A column heading, as high as its text needs.
QRect heading(int left) {
    return twips(left, 105, 900, 240);
}

/// The frame as drawn.
QRect drawnFrame() {
    return twips(90, 2490, 13650, 7680);
}

/// Where the drawn frame has a control, and the point size of a box's own font.
constexpr char kDrawnAt[] = "vtxDrawnAt";
constexpr char kDrawnPoints[] = "vtxDrawnPoints";

int scaled(double ratio, int value) {
    return int(std::lround(ratio * value));
}

constexpr int kFirstLeft = 100;
constexpr int kFirstTop = 350;
constexpr int kColumnWidth = 2665;
/// The rows after which a full column ends and a new one begins.
bool endsColumn(int row) {
    return row == 22 || row == 45 || row == 68 || row == 91;
}

QString indexed(const char* name, int index) {
    return QStringLiteral("%1(%2)").arg(QLatin1String(name)).arg(index);
}

} // namespace

struct InstalmentSchedule::Row {
    QLineEdit* value = nullptr;
    QLineEdit* due = nullptr;
    QLabel* label = nullptr;
    QLineEdit* key = nullptr;
    bool locked = false;
};

struct InstalmentSchedule::Private {
    std::vector<Row> rows;
    /// Headings of the columns after the first, by the row after which they begin.
    std::vector<std::pair<int, std::vector<QLabel*>>> headings;
};

InstalmentSchedule::InstalmentSchedule(QWidget* parent) : QFrame(parent), d(new Private) {
    setObjectName(QStringLiteral("frmVCT"));
    setFrameShape(QFrame::StyledPanel);
    // It covers the list of stored instalments while shown.
    setAutoFillBackground(true);
    setGeometry(drawnFrame());
    headings(0, kFirstLeft);
    Row first;
    placeRow(first, kFirstLeft, kFirstTop, /*first=*/true);
    first.label->setText(QStringLiteral("001/001"));
    d->rows.push_back(first);
}

InstalmentSchedule::~InstalmentSchedule() = default;

void InstalmentSchedule::resizeEvent(QResizeEvent* event) {
    QFrame::resizeEvent(event);
    for (QWidget* w : findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
        if (w->property(kDrawnAt).isValid())
            fit(w);
}

void InstalmentSchedule::fit(QWidget* control) const {
    const QSize drawn = drawnFrame().size();
    const double xr = double(width()) / drawn.width(), yr = double(height()) / drawn.height();
    const QRect at = control->property(kDrawnAt).toRect();
    control->setGeometry(scaled(xr, at.x()), scaled(yr, at.y()), scaled(xr, at.width()),
                         scaled(yr, at.height()));
    // The headings and labels follow the frame's font; the boxes have a smaller one of their own.
    if (const QVariant points = control->property(kDrawnPoints); points.isValid()) {
        QFont font = control->font();
        font.setPointSizeF(points.toDouble() * std::min(xr, yr));
        control->setFont(font);
    }
}

template <class Control> Control* InstalmentSchedule::drawn(Control* control, const QRect& at) {
    control->setProperty(kDrawnAt, at);
    fit(control);
    return control;
}

std::vector<QLabel*> InstalmentSchedule::headings(int index, int left) {
    const struct {
        const char* name;
        const char* text;
        int offset;
    } kHeadings[] = {
        {"lblVR", "Valor", 5}, {"lblVCT", "Vecto", 995}, {"lblParcela", "Parcela", 2000}};
    std::vector<QLabel*> heads;
    for (const auto& h : kHeadings)
        heads.push_back(
            drawn(Controls::label(this, indexed(h.name, index), QLatin1String(h.text), QRect()),
                  heading(left + h.offset)));
    return heads;
}

void InstalmentSchedule::placeRow(Row& row, int x, int y, bool first) {
    const int i = int(d->rows.size());
    row.value = drawn(Controls::lineBox(this, indexed("txtVR", i), QRect()), twips(x, y, 950, 285));
    row.due =
        drawn(Controls::lineBox(this, indexed("txtVCT", i), QRect()), twips(x + 1000, y, 950, 285));
    // Row 0's label was drawn narrower; as high as its boxes, its text stands level with theirs
    // as on the other rows.
    row.label = drawn(Controls::label(this, indexed("lblParc", i), QString(), QRect()),
                      twips(x + 2000, y, first ? 615 : 950, 285));
    row.key = new QLineEdit(this);
    row.key->setObjectName(indexed("txtIdLan", i));
    row.key->hide();
    for (QLineEdit* box : {row.value, row.due}) {
        box->setProperty(kDrawnPoints, 8);
        fit(box);
        selectAllOnFocus(box);
    }
    applyDateMask(row.due, 10);
    if (!first) {
        setTabOrder(d->rows.back().due, row.value);
        setTabOrder(row.value, row.due);
        for (QWidget* w : {static_cast<QWidget*>(row.value), static_cast<QWidget*>(row.due),
                           static_cast<QWidget*>(row.label)}) {
            w->show();
            w->raise();
        }
    }
}

int InstalmentSchedule::rowCount() const {
    return int(d->rows.size());
}
QLineEdit* InstalmentSchedule::txtVR(int row) const {
    return d->rows.at(row).value;
}
QLineEdit* InstalmentSchedule::txtVCT(int row) const {
    return d->rows.at(row).due;
}
QLabel* InstalmentSchedule::lblParc(int row) const {
    return d->rows.at(row).label;
}
QLineEdit* InstalmentSchedule::txtIdLan(int row) const {
    return d->rows.at(row).key;
}

void InstalmentSchedule::CarregaParcelas(int count) {
    if (count <= 1)
        return;
    d->rows.front().label->setText(QStringLiteral("001/%1").arg(count, 3, 10, QLatin1Char('0')));
    int x = kFirstLeft;
    int y = kFirstTop + 300;
    for (int i = 1; i < count; ++i) {
        Row row;
        placeRow(row, x, y, /*first=*/false);
        d->rows.push_back(row);
        if (!endsColumn(i)) {
            y += 320;
            continue;
        }
        // The column is full: the next one starts level with row 0, under headings of its own.
        x += kColumnWidth;
        y = kFirstTop;
        std::vector<QLabel*> heads = headings(i, x);
        for (QLabel* head : heads) {
            head->show();
            head->raise();
        }
        d->headings.emplace_back(i, std::move(heads));
    }
}

void InstalmentSchedule::DescarregaParcelas() {
    while (d->rows.size() > 1) {
        Row& row = d->rows.back();
        for (QWidget* w : {static_cast<QWidget*>(row.value), static_cast<QWidget*>(row.due),
                           static_cast<QWidget*>(row.label), static_cast<QWidget*>(row.key)})
            delete w;
        d->rows.pop_back();
    }
    for (auto& [index, heads] : d->headings)
        qDeleteAll(heads);
    d->headings.clear();
}

bool InstalmentSchedule::isLocked(int row) const {
    return d->rows.at(row).locked;
}

void InstalmentSchedule::setLocked(int row, bool locked) {
    Row& r = d->rows.at(row);
    r.locked = locked;
    r.value->setReadOnly(locked);
    r.due->setReadOnly(locked);
}

void InstalmentSchedule::clearFirstRow() {
    Row& first = d->rows.front();
    first.value->clear();
    first.due->clear();
    first.key->clear();
    first.label->setText(QStringLiteral("001/001"));
}

} // namespace vtx
