#include "ProgramIcon.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <span>

namespace tavin {

namespace {

// The shapes of the packaged icon drawings, on a 64-unit square, back to front.
enum class Shape { Rect, Circle, Line };

struct IconPart {
    Shape shape;
    float x, y, w, h;  // Circle: centre x, y, radius w; Line: from x, y down h, then across w
    float radius;      // rounded corners of a Rect
    const char* fill;  // none for a Line
    const char* pen;   // outline colour, or the colour of a Line
    float penWidth;
};

constexpr IconPart kSerialIcon[] = {
    {Shape::Rect, 6, 14, 52, 36, 6, "#2f4858", "#1b2a33", 2},
    {Shape::Rect, 10, 18, 14, 6, 2, "#86bbd8", nullptr, 0},
    {Shape::Circle, 36, 32, 13, 0, 0, "#1b2a33", nullptr, 0},
    {Shape::Circle, 36, 32, 9, 0, 0, "#33658a", nullptr, 0},
    {Shape::Circle, 36, 32, 4, 0, 0, "#86bbd8", nullptr, 0},
    {Shape::Circle, 39, 29, 1.5f, 0, 0, "#ffffff", nullptr, 0},
    {Shape::Line, 14, 50, -8, 6, 0, nullptr, "#f6ae2d", 3},
    {Shape::Rect, 11, 44, 6, 6, 0, "#f6ae2d", nullptr, 0},
};

constexpr IconPart kBoardIcon[] = {
    {Shape::Rect, 4, 6, 44, 30, 5, "#2f4858", "#1b2a33", 2},
    {Shape::Circle, 30, 21, 11, 0, 0, "#1b2a33", nullptr, 0},
    {Shape::Circle, 30, 21, 7.5f, 0, 0, "#33658a", nullptr, 0},
    {Shape::Circle, 30, 21, 3.5f, 0, 0, "#86bbd8", nullptr, 0},
    {Shape::Line, 12, 36, 14, 10, 0, nullptr, "#f6ae2d", 3},
    {Shape::Rect, 26, 40, 34, 18, 2, "#3a7d44", "#24502b", 2},
    {Shape::Rect, 31, 45, 10, 8, 0, "#1b2a33", nullptr, 0},
    {Shape::Rect, 45, 45, 3, 3, 0, "#f6ae2d", nullptr, 0},
    {Shape::Rect, 50, 45, 3, 3, 0, "#f6ae2d", nullptr, 0},
    {Shape::Rect, 45, 50, 3, 3, 0, "#f6ae2d", nullptr, 0},
    {Shape::Rect, 50, 50, 3, 3, 0, "#f6ae2d", nullptr, 0},
};

void Paint(QPainter& painter, const IconPart& part) {
    painter.setPen(part.pen ? QPen(QColor(part.pen), part.penWidth, Qt::SolidLine, Qt::RoundCap)
                            : QPen(Qt::NoPen));
    painter.setBrush(part.fill ? QBrush(QColor(part.fill)) : QBrush(Qt::NoBrush));
    switch (part.shape) {
        case Shape::Rect:
            painter.drawRoundedRect(QRectF(part.x, part.y, part.w, part.h), part.radius,
                                    part.radius);
            break;
        case Shape::Circle:
            painter.drawEllipse(QPointF(part.x, part.y), part.w, part.w);
            break;
        case Shape::Line: {
            QPainterPath path(QPointF(part.x, part.y));
            path.lineTo(part.x, part.y + part.h);
            path.lineTo(part.x + part.w, part.y + part.h);
            painter.drawPath(path);
            break;
        }
    }
}

QPixmap Draw(std::span<const IconPart> parts, int size) {
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.scale(size / 64.0, size / 64.0);
    for (const IconPart& part : parts) {
        Paint(painter, part);
    }
    return pixmap;
}

}  // namespace

QIcon ProgramIcon(EditionKind edition) {
    const std::span<const IconPart> parts =
        edition == EditionKind::Tavin ? std::span<const IconPart>(kBoardIcon) : kSerialIcon;
    QIcon icon;
    for (int size : {16, 32, 48, 64}) {
        icon.addPixmap(Draw(parts, size));
    }
    return icon;
}

}  // namespace tavin
