#include "shell/widgets/rate_graph.h"

#include "shell/rate_sampler.h"
#include "ui/widgets/language_switcher.h"

#include <QPainter>

#include <algorithm>

namespace kestovan {

namespace {

constexpr QRgb GRID_COLOUR = 0xC8C8C8;
// A label starts this far left of the axis, and keeps at least LABEL_GAP pixels from it.
constexpr int LABEL_OFFSET = 45;
constexpr int LABEL_GAP = 3;

QPoint at(const GraphPoint& p)
{
    return {p.x, p.y};
}

} // namespace

RateGraph::RateGraph(RateSampler& sampler, QWidget* parent) : QWidget(parent), sampler_(sampler)
{
    setObjectName(QString::number(FORM_RATE_GRAPH));
    set_form_number(*this, FORM_RATE_GRAPH);
    setAutoFillBackground(true);
    QPalette white = palette();
    white.setColor(QPalette::Window, Qt::white);
    setPalette(white);
}

void RateGraph::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    const QFontMetrics metrics(font());
    int label_width = metrics.horizontalAdvance(
        QString::fromLatin1(GRAPH_LABEL_SAMPLE.data(), static_cast<int>(GRAPH_LABEL_SAMPLE.size())));
    if (label_width <= 0)
        label_width = GRAPH_LABEL_FALLBACK_WIDTH;
    sampler_.prepare_paint();
    const QRect r = rect();
    GraphLayout layout =
        graph_layout(sampler_, r.left(), r.top(), r.right() + 1, r.bottom() + 1, label_width);
    // The labels' place was measured for a small system font: with a larger one the label column
    // grows, so a label ends before the axis instead of running across it.
    int widest = 0;
    for (const GraphLabel& label : layout.labels)
        widest = std::max(widest, metrics.horizontalAdvance(QString::fromUtf8(label.text)));
    if (const int over = widest + LABEL_GAP - LABEL_OFFSET; over > 0) {
        label_width += over;
        layout = graph_layout(sampler_, r.left(), r.top(), r.right() + 1, r.bottom() + 1, label_width);
        for (GraphLabel& label : layout.labels)
            label.at.x -= over;
    }

    painter.setPen(QPen(QColor(GRID_COLOUR), 1));
    for (const GraphLine& line : layout.grid)
        painter.drawLine(at(line.from), at(line.to));
    for (const GraphCurve& curve : layout.curves) {
        const CurveColour colour = curve_colour(curve.slot);
        painter.setPen(QPen(QColor(colour.red, colour.green, colour.blue), 1));
        for (std::size_t i = 1; i < curve.points.size(); ++i)
            painter.drawLine(at(curve.points[i - 1]), at(curve.points[i]));
    }
    painter.setPen(QPen(Qt::black, 2));
    for (const GraphLine& line : layout.axes)
        painter.drawLine(at(line.from), at(line.to));
    painter.setPen(Qt::black);
    for (const GraphLabel& label : layout.labels)
        painter.drawText(QPoint(label.at.x, label.at.y + metrics.ascent()), QString::fromUtf8(label.text));
}

} // namespace kestovan
