#include "views/widgets/pane_icon_glyphs.h"

#include <QIconEngine>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

#include <utility>

namespace kestovan {
namespace {

// Glyphs are drawn on a 16 x 16 grid scaled to the requested size.
constexpr qreal GRID = 16.0;

const QColor OUTLINE(0x5a, 0x63, 0x6d);
const QColor FOLDER_BACK(0xc8, 0x96, 0x2e);
const QColor FOLDER_FRONT(0xe6, 0xb0, 0x4a);
const QColor FOLDER_EDGE(0x8a, 0x64, 0x20);
const QColor PAPER(0xfa, 0xfa, 0xfa);
const QColor INK(0x9a, 0x9a, 0x9a);
const QColor BLUE(0x2e, 0x6f, 0xc9);
const QColor METAL(0x9a, 0xa3, 0xad);
const QColor RACK_SLOT(0x3c, 0x46, 0x50);
const QColor LED(0x4c, 0xd0, 0x5a);
const QColor ARROW(0x3c, 0x8a, 0x3c);

QPen pen(const QColor& colour, qreal width = 0.8)
{
    return QPen(colour, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
}

void draw_document(QPainter& p)
{
    const QPolygonF page({{3, 1}, {10, 1}, {13, 4}, {13, 15}, {3, 15}});
    p.setPen(pen(OUTLINE));
    p.setBrush(PAPER);
    p.drawPolygon(page);
    p.drawPolyline(QPolygonF({{10, 1}, {10, 4}, {13, 4}}));
    p.setPen(pen(INK));
    for (qreal y : {7.0, 9.5, 12.0})
        p.drawLine(QPointF(5, y), QPointF(11, y));
}

void draw_folder(QPainter& p)
{
    p.setPen(pen(FOLDER_EDGE));
    p.setBrush(FOLDER_BACK);
    p.drawPolygon(QPolygonF({{1, 3}, {6, 3}, {7.5, 4.5}, {15, 4.5}, {15, 14}, {1, 14}}));
    p.setBrush(FOLDER_FRONT);
    p.drawRect(QRectF(1, 6.5, 14, 7.5));
}

void draw_globe(QPainter& p, QPointF centre, qreal radius)
{
    p.setPen(pen(BLUE.darker(130)));
    p.setBrush(BLUE);
    p.drawEllipse(centre, radius, radius);
    p.setPen(pen(Qt::white, radius / 6));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(centre, radius * 0.45, radius);
    p.drawLine(QPointF(centre.x() - radius, centre.y()), QPointF(centre.x() + radius, centre.y()));
    p.drawLine(QPointF(centre.x(), centre.y() - radius), QPointF(centre.x(), centre.y() + radius));
}

void draw_server(QPainter& p)
{
    p.setPen(pen(OUTLINE));
    p.setBrush(METAL);
    p.drawRoundedRect(QRectF(3, 1, 10, 14), 1, 1);
    for (qreal y : {3.0, 6.5, 10.0}) {
        p.setPen(Qt::NoPen);
        p.setBrush(RACK_SLOT);
        p.drawRect(QRectF(4.5, y, 5, 1.6));
        p.setBrush(LED);
        p.drawEllipse(QPointF(11.2, y + 0.8), 0.8, 0.8);
    }
}

void draw_link(QPainter& p)
{
    draw_document(p);
    QPainterPath bend;
    bend.moveTo(4.5, 14);
    bend.quadTo(4.5, 9.5, 8.5, 9.5);
    p.setPen(pen(BLUE, 1.5));
    p.setBrush(Qt::NoBrush);
    p.drawPath(bend);
    p.setPen(Qt::NoPen);
    p.setBrush(BLUE);
    p.drawPolygon(QPolygonF({{8, 7}, {11, 9.5}, {8, 12}}));
}

void draw_up(QPainter& p)
{
    p.setPen(pen(ARROW.darker(140)));
    p.setBrush(ARROW);
    p.drawPolygon(QPolygonF({{8, 1.5}, {14.5, 8}, {10.5, 8}, {10.5, 14.5}, {5.5, 14.5}, {5.5, 8}, {1.5, 8}}));
}

void draw_drive(QPainter& p)
{
    p.setPen(pen(OUTLINE));
    p.setBrush(METAL);
    p.drawRoundedRect(QRectF(1, 5, 14, 7), 1.5, 1.5);
    p.setPen(pen(METAL.lighter(125)));
    p.drawLine(QPointF(2.5, 9), QPointF(13.5, 9));
    p.setPen(Qt::NoPen);
    p.setBrush(LED);
    p.drawEllipse(QPointF(12.5, 10.5), 0.9, 0.9);
}

void draw_home(QPainter& p)
{
    p.setPen(pen(FOLDER_EDGE));
    p.setBrush(QColor(0xe8, 0xe0, 0xd0));
    p.drawPolygon(QPolygonF({{8, 1.5}, {15, 8}, {13, 8}, {13, 14.5}, {3, 14.5}, {3, 8}, {1, 8}}));
    p.setBrush(FOLDER_EDGE);
    p.drawRect(QRectF(6.8, 9.5, 2.4, 5));
}

void draw_glyph(QPainter& p, Glyph glyph)
{
    switch (glyph) {
    case Glyph::DOCUMENT: draw_document(p); return;
    case Glyph::FOLDER: draw_folder(p); return;
    case Glyph::REMOTE_FOLDER:
        draw_folder(p);
        draw_globe(p, {11.5, 11}, 3.5);
        return;
    case Glyph::SERVER: draw_server(p); return;
    case Glyph::WEB: draw_globe(p, {8, 8}, 6.5); return;
    case Glyph::LINK: draw_link(p); return;
    case Glyph::UP: draw_up(p); return;
    case Glyph::DRIVE: draw_drive(p); return;
    case Glyph::HOME: draw_home(p); return;
    }
}

QColor badge_colour(Badge badge)
{
    switch (badge) {
    case Badge::NONE: return {};
    case Badge::CONNECTING: return {0xe8, 0xa3, 0x17};
    case Badge::CONNECTED: return {0x2e, 0xa0, 0x43};
    case Badge::HAMMERING: return {0xd7, 0x3a, 0x49};
    }
    return {};
}

// Paints a glyph, or a base icon with a badge; QIcon owns the engine and clones it as it needs.
class PaneIconEngine : public QIconEngine {
public:
    PaneIconEngine(Glyph glyph, QIcon base, Badge badge)
        : glyph_(glyph), base_(std::move(base)), badge_(badge)
    {}

    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State state) override
    {
        painter->save();
        painter->setRenderHint(QPainter::Antialiasing);
        if (!base_.isNull()) {
            base_.paint(painter, rect, Qt::AlignCenter, mode, state);
        } else {
            if (mode == QIcon::Disabled)
                painter->setOpacity(0.45);
            const qreal side = std::min(rect.width(), rect.height());
            painter->translate(rect.x() + (rect.width() - side) / 2.0,
                               rect.y() + (rect.height() - side) / 2.0);
            painter->scale(side / GRID, side / GRID);
            draw_glyph(*painter, glyph_);
        }
        painter->restore();
        paint_badge(*painter, rect);
    }

    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override
    {
        return scaledPixmap(size, mode, state, 1.0);
    }

    QPixmap scaledPixmap(const QSize& size, QIcon::Mode mode, QIcon::State state, qreal scale) override
    {
        QPixmap out(size * scale);
        out.fill(Qt::transparent);
        {
            QPainter painter(&out);
            paint(&painter, QRect(QPoint(0, 0), out.size()), mode, state);
        }
        out.setDevicePixelRatio(scale);
        return out;
    }

    QIconEngine* clone() const override { return new PaneIconEngine(*this); }
    QString key() const override { return QStringLiteral("kestovan-pane"); }

private:
    void paint_badge(QPainter& painter, const QRect& rect) const
    {
        if (badge_ == Badge::NONE)
            return;
        const qreal side = std::min(rect.width(), rect.height());
        const qreal radius = side * 0.24;
        const QPointF centre(rect.right() + 1 - radius - side * 0.02,
                             rect.bottom() + 1 - radius - side * 0.02);
        painter.save();
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(QPen(Qt::white, std::max(1.0, side / 16.0)));
        painter.setBrush(badge_colour(badge_));
        painter.drawEllipse(centre, radius, radius);
        painter.restore();
    }

    Glyph glyph_;
    QIcon base_;
    Badge badge_;
};

} // namespace

Glyph glyph_of(const QString& icon_name)
{
    static const std::pair<const char*, Glyph> NAMED[] = {
        {"folder", Glyph::FOLDER},
        {"folder-remote", Glyph::REMOTE_FOLDER},
        {"network-server", Glyph::SERVER},
        {"applications-internet", Glyph::WEB},
        {"text-html", Glyph::WEB},
        {"inode-symlink", Glyph::LINK},
        {"go-up", Glyph::UP},
        {"drive-harddisk", Glyph::DRIVE},
        {"drive-removable-media", Glyph::DRIVE},
        {"user-home", Glyph::HOME},
    };
    for (const auto& [name, glyph] : NAMED) {
        if (icon_name == QLatin1String(name))
            return glyph;
    }
    return Glyph::DOCUMENT;
}

Badge badge_of(const QString& suffix)
{
    if (suffix == QLatin1String(BADGE_CONNECTING))
        return Badge::CONNECTING;
    if (suffix == QLatin1String(BADGE_CONNECTED))
        return Badge::CONNECTED;
    if (suffix == QLatin1String(BADGE_HAMMERING))
        return Badge::HAMMERING;
    return Badge::NONE;
}

QIcon drawn_icon(Glyph glyph)
{
    return QIcon(new PaneIconEngine(glyph, QIcon(), Badge::NONE));
}

QIcon badged_icon(const QIcon& base, Badge badge)
{
    if (badge == Badge::NONE)
        return base;
    return QIcon(new PaneIconEngine(Glyph::DOCUMENT, base, badge));
}

} // namespace kestovan
