// SPDX-License-Identifier: GPL-3.0-or-later
// ruvex-draw-images DIR NAME...: paints the program's images, each as NAME.png and
// NAME@2x.png. One dark theme: charcoal surfaces, light grey glyphs, an amber accent
// for hover and the front camera, teal for the rear camera.
#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

#include <cmath>
#include <cstdio>
#include <functional>
#include <optional>

namespace {

const QColor kSurface(0x2b, 0x2d, 0x31);
const QColor kSurfaceLight(0x3a, 0x3d, 0x43);
const QColor kEdge(0x17, 0x18, 0x1b);
const QColor kGlyph(0xd8, 0xdb, 0xe0);
const QColor kAccent(0xf2, 0xa9, 0x3b);
const QColor kRear(0x3b, 0xc4, 0xb8);
const QColor kEvent(0xe0, 0x4f, 0x4f);

using Painter = std::function<void(QPainter&)>;

struct Image {
    QSize size;
    Painter paint;
};

// Glyphs of the player's buttons, in a 32 x 32 box.
void glyph(QPainter& p, const QString& kind) {
    QPainterPath path;
    if (kind == "play") {
        path.moveTo(12, 9);
        path.lineTo(24, 16);
        path.lineTo(12, 23);
        path.closeSubpath();
    } else if (kind == "pause") {
        path.addRect(11, 9, 4, 14);
        path.addRect(18, 9, 4, 14);
    } else if (kind == "jump_back" || kind == "jump_forward") {
        const bool back = kind == "jump_back";
        for (int i = 0; i < 2; ++i) {
            const double x = back ? 17 - i * 7 : 9 + i * 7;
            path.moveTo(x, 10);
            path.lineTo(back ? x - 7 : x + 7, 16);
            path.lineTo(x, 22);
            path.closeSubpath();
        }
    } else if (kind == "slower" || kind == "faster") {
        p.setPen(QPen(kGlyph, 2.2, Qt::SolidLine, Qt::RoundCap));
        p.drawArc(QRectF(8, 9, 16, 16), 30 * 16, 120 * 16);
        const double angle = kind == "faster" ? -0.5 : -2.6;
        p.drawLine(QPointF(16, 19), QPointF(16 + 8 * std::cos(angle), 19 + 8 * std::sin(angle)));
        return;
    } else if (kind == "size") {
        p.setPen(QPen(kGlyph, 2));
        p.drawRect(QRectF(9, 11, 14, 10));
        p.drawRect(QRectF(12, 14, 8, 4));
        return;
    } else if (kind == "audio") {
        path.moveTo(8, 13);
        path.lineTo(12, 13);
        path.lineTo(17, 9);
        path.lineTo(17, 23);
        path.lineTo(12, 19);
        path.lineTo(8, 19);
        path.closeSubpath();
        p.setPen(QPen(kGlyph, 1.8, Qt::SolidLine, Qt::RoundCap));
        p.drawArc(QRectF(15, 11, 8, 10), -50 * 16, 100 * 16);
        p.drawArc(QRectF(15, 8, 12, 16), -50 * 16, 100 * 16);
    } else if (kind == "fullscreen") {
        p.setPen(QPen(kGlyph, 2, Qt::SolidLine, Qt::SquareCap));
        for (const QPointF c : {QPointF(9, 10), QPointF(23, 10), QPointF(9, 22), QPointF(23, 22)}) {
            const double dx = c.x() < 16 ? 4 : -4, dy = c.y() < 16 ? 3 : -3;
            p.drawLine(c, c + QPointF(dx, 0));
            p.drawLine(c, c + QPointF(0, dy));
        }
        return;
    } else if (kind == "capture") {
        path.addRoundedRect(7, 11, 18, 12, 2, 2);
        path.addRect(12, 9, 8, 3);
        QPainterPath lens;
        lens.addEllipse(QPointF(16, 17), 3.5, 3.5);
        path = path.subtracted(lens);
    } else if (kind == "print") {
        path.addRoundedRect(7, 13, 18, 8, 2, 2);
        path.addRect(11, 8, 10, 5);
        QPainterPath paper;
        paper.addRect(11, 18, 10, 7);
        path = path.subtracted(paper);
        path.addRect(12, 20, 8, 4);
    }
    p.setPen(Qt::NoPen);
    p.setBrush(kGlyph);
    p.drawPath(path);
}

// A round button: normal, hover (amber ring, lighter face) and pressed (darker, inset).
Painter roundButton(const QString& kind, char state) {
    return [kind, state](QPainter& p) {
        QLinearGradient face(0, 0, 0, 32);
        const QColor top = state == 'f'   ? kSurfaceLight.lighter(125)
                           : state == 'p' ? kEdge
                                          : kSurfaceLight;
        face.setColorAt(0, top);
        face.setColorAt(1, state == 'p' ? kSurface.darker(130) : kSurface);
        p.setPen(QPen(state == 'f' ? kAccent : kEdge, state == 'f' ? 1.6 : 1));
        p.setBrush(face);
        p.drawEllipse(QRectF(1.5, 1.5, 29, 29));
        if (state == 'p')
            p.translate(0, 0.6);
        glyph(p, kind);
    };
}

Painter sideButton(const QString& kind, bool pressed) {
    return [kind, pressed](QPainter& p) {
        p.setPen(QPen(kEdge, 1));
        p.setBrush(pressed ? kAccent.darker(160) : kSurfaceLight);
        p.drawRoundedRect(QRectF(0.5, 0.5, 39, 27), 5, 5);
        p.setPen(QPen(pressed ? kAccent : kGlyph, 2));
        p.setBrush(Qt::NoBrush);
        if (kind == "record") {
            p.setBrush(pressed ? kAccent : kGlyph);
            p.setPen(Qt::NoPen);
            for (int i = 0; i < 3; ++i)
                p.drawRect(QRectF(11, 8 + i * 5, 18, 2.5));
        } else if (kind == "events") {
            // A warning sign: what happened on the card.
            p.setPen(
                QPen(pressed ? kAccent : kGlyph, 2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
            p.drawPolygon(QPolygonF({QPointF(20, 4), QPointF(29, 23), QPointF(11, 23)}));
            p.drawLine(QPointF(20, 10), QPointF(20, 16));
            p.drawPoint(QPointF(20, 19.8));
        } else {
            p.drawEllipse(QRectF(13, 4, 14, 14));
            p.drawLine(QPointF(20, 18), QPointF(20, 24));
        }
    };
}

// The kind icon of a list row: a small car, front or rear marked, coloured by kind.
Painter carIcon(const QString& side, const QString& kind) {
    return [side, kind](QPainter& p) {
        const QColor body = kind == "event" ? kEvent : kind == "motion" ? kRear : kGlyph;
        QPainterPath car;
        car.addRoundedRect(2, 7, 16, 7, 2, 2);
        car.addRoundedRect(5, 3, 10, 6, 2, 2);
        p.setPen(Qt::NoPen);
        p.setBrush(body);
        p.drawPath(car);
        p.setBrush(kEdge);
        p.drawEllipse(QPointF(6, 14.5), 2, 2);
        p.drawEllipse(QPointF(14, 14.5), 2, 2);
        p.setBrush(side == "front" ? kAccent : kRear);
        p.drawRect(side == "front" ? QRectF(15.5, 8.5, 2.5, 2.5) : QRectF(2, 8.5, 2.5, 2.5));
    };
}

Painter fill(const QColor& c) {
    return [c](QPainter& p) { p.fillRect(QRectF(0, 0, 4096, 4096), c); };
}

// The nine pieces of a video frame: a dark inner face with a rim lit in the camera's colour.
Painter ninePiece(const QString& piece, const QColor& rim) {
    return [piece, rim](QPainter& p) {
        p.fillRect(QRectF(0, 0, 12, 12), Qt::black);
        p.setPen(QPen(rim.darker(170), 2));
        const bool top = piece.startsWith("top"), bottom = piece.startsWith("bottom");
        const bool left = piece.contains("left"), right = piece.contains("right");
        if (piece == "center_fill")
            return;
        if (top || piece == "top_edge_fill")
            p.drawLine(QPointF(0, 1), QPointF(12, 1));
        if (bottom)
            p.drawLine(QPointF(0, 11), QPointF(12, 11));
        if (left)
            p.drawLine(QPointF(1, 0), QPointF(1, 12));
        if (right)
            p.drawLine(QPointF(11, 0), QPointF(11, 12));
    };
}

Painter logo(const QColor& colour, const QString& letter) {
    return [colour, letter](QPainter& p) {
        p.setPen(QPen(colour, 3));
        p.setBrush(Qt::NoBrush);
        p.drawRoundedRect(QRectF(4, 12, 56, 40), 8, 8);
        p.drawEllipse(QRectF(20, 20, 24, 24));
        p.setBrush(colour);
        p.drawEllipse(QRectF(28, 28, 8, 8));
        p.setPen(Qt::NoPen);
        QPainterPath mark;
        if (letter == "F") {
            mark.addRect(50, 4, 3, 10);
            mark.addRect(50, 4, 8, 3);
            mark.addRect(50, 8, 6, 2.5);
        } else {
            mark.addRect(50, 4, 3, 10);
            mark.addEllipse(QRectF(50, 4, 8, 6));
        }
        p.drawPath(mark);
    };
}

Painter knob(bool left) {
    return [left](QPainter& p) {
        QPainterPath path;
        path.addRoundedRect(2, 1, 12, 18, 4, 4);
        p.setPen(QPen(kEdge, 1));
        p.setBrush(left ? kGlyph : kAccent);
        p.drawPath(path);
    };
}

Painter bar(const QColor& a, const QColor& b) {
    return [a, b](QPainter& p) {
        QLinearGradient g(0, 0, 0, 16);
        g.setColorAt(0, a);
        g.setColorAt(1, b);
        p.fillRect(QRectF(0, 0, 128, 13), g);
    };
}

Painter barber() {
    return [](QPainter& p) {
        p.fillRect(QRectF(0, 0, 160, 13), kSurfaceLight);
        p.setPen(Qt::NoPen);
        p.setBrush(kAccent);
        for (int x = -16; x < 176; x += 16) {
            QPolygonF stripe(
                {QPointF(x, 13), QPointF(x + 8, 0), QPointF(x + 16, 0), QPointF(x + 8, 13)});
            p.drawPolygon(stripe);
        }
    };
}

Painter bezelPiece(const QString& part, bool pressed) {
    return [part, pressed](QPainter& p) {
        p.setPen(Qt::NoPen);
        p.setBrush(pressed ? kAccent.darker(170) : kSurfaceLight);
        if (part == "center") {
            p.drawRect(QRectF(0, 0, 8, 24));
        } else {
            p.drawRoundedRect(QRectF(part == "left" ? 0 : -8, 0, 16, 24), 6, 6);
        }
    };
}

// The program's icon: a dashboard camera's lens over a road.
Painter appIcon() {
    return [](QPainter& p) {
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(Qt::NoPen);
        p.setBrush(kSurface);
        p.drawRoundedRect(QRectF(2, 2, 60, 60), 12, 12);
        QPainterPath road;
        road.moveTo(22, 62);
        road.lineTo(29, 36);
        road.lineTo(35, 36);
        road.lineTo(42, 62);
        p.setBrush(kSurfaceLight);
        p.drawPath(road);
        p.setBrush(kAccent);
        p.drawRect(QRectF(31.2, 44, 1.6, 5));
        p.drawRect(QRectF(31.2, 54, 1.6, 6));
        p.setBrush(kEdge);
        p.drawRoundedRect(QRectF(12, 10, 40, 24), 6, 6);
        p.setBrush(kGlyph);
        p.drawEllipse(QPointF(32, 22), 9, 9);
        p.setBrush(kEdge);
        p.drawEllipse(QPointF(32, 22), 5.5, 5.5);
        p.setBrush(kRear);
        p.drawEllipse(QPointF(34, 20), 1.8, 1.8);
        p.setBrush(kEvent);
        p.drawEllipse(QPointF(46, 15), 2, 2);
    };
}

std::optional<Image> imageNamed(const QString& name) {
    static const QStringList kButtons = {"play",       "pause",   "jump_back", "jump_forward",
                                         "slower",     "faster",  "size",      "audio",
                                         "fullscreen", "capture", "print"};
    for (const QString& b : kButtons) {
        for (const char s : {'n', 'f', 'p'}) {
            if (name == QStringLiteral("icon_%1_%2").arg(b).arg(QChar(s)))
                return Image{{32, 32}, roundButton(b, s)};
        }
    }
    for (const QString side : {"record", "information", "events"}) {
        if (name == side + "_n" || name == side + "_p")
            return Image{{40, 28}, sideButton(side, name.endsWith("_p"))};
    }
    if (name.startsWith("car_")) {
        const QStringList parts = name.split('_');
        return Image{{20, 18}, carIcon(parts.value(1), parts.value(2))};
    }
    for (const char* video : {"v1", "v2"}) {
        const QString base = QString::fromLatin1(video) + '_';
        const QColor rim = QLatin1String(video) == QLatin1String("v1") ? kAccent : kRear;
        if (name == base + "front_logo")
            return Image{{64, 64}, logo(kAccent.darker(140), "F")};
        if (name == base + "rear_logo")
            return Image{{64, 64}, logo(kRear.darker(140), "R")};
        if (name.startsWith(base))
            return Image{{12, 12}, ninePiece(name.mid(3), rim)};
    }
    if (name == "bottom-background")
        return Image{{8, 48}, [](QPainter& p) {
                         QLinearGradient g(0, 0, 0, 48);
                         g.setColorAt(0, kSurfaceLight);
                         g.setColorAt(1, kEdge);
                         p.fillRect(QRectF(0, 0, 8, 48), g);
                     }};
    if (name == "eco_knob_left" || name == "eco_knob_right")
        return Image{{16, 20}, knob(name.endsWith("left"))};
    if (name == "eco_barFill")
        return Image{{8, 6}, fill(kAccent)};
    if (name == "blueProgress")
        return Image{{128, 13}, bar(kAccent.lighter(120), kAccent.darker(120))};
    if (name == "greyProgress")
        return Image{{128, 13}, bar(kSurfaceLight.lighter(140), kSurface)};
    if (name == "barberProgress")
        return Image{{160, 13}, barber()};
    if (name.startsWith("bg_bt_info_")) {
        const QString part = name.mid(11).section('_', 0, 0);
        return Image{{8, 24}, bezelPiece(part, name.endsWith("_pressed"))};
    }
    if (name == "ruvex-viewer")
        return Image{{64, 64}, appIcon()};
    return std::nullopt;
}

bool write(const QString& dir, const QString& name) {
    const auto image = imageNamed(name);
    if (!image) {
        std::fprintf(stderr, "ruvex-draw-images: no drawing for %s\n", qPrintable(name));
        return false;
    }
    for (const int scale : {1, 2}) {
        QImage out(image->size * scale, QImage::Format_ARGB32_Premultiplied);
        out.fill(Qt::transparent);
        out.setDevicePixelRatio(scale);
        QPainter p(&out);
        p.setRenderHint(QPainter::Antialiasing);
        image->paint(p);
        p.end();
        const QString file = QDir(dir).filePath(name + (scale == 2 ? "@2x.png" : ".png"));
        if (!out.save(file)) {
            std::fprintf(stderr, "ruvex-draw-images: cannot write %s\n", qPrintable(file));
            return false;
        }
    }
    return true;
}

} // namespace

// The program's icon for the desktop's icon theme: DIR/SIZExSIZE/apps/ruvex-viewer.png.
bool writeThemeIcons(const QString& dir) {
    for (const int size : {48, 128, 256}) {
        QImage out(size, size, QImage::Format_ARGB32_Premultiplied);
        out.fill(Qt::transparent);
        QPainter p(&out);
        p.setRenderHint(QPainter::Antialiasing);
        p.scale(size / 64.0, size / 64.0);
        appIcon()(p);
        p.end();
        const QString folder = QStringLiteral("%1/%2x%2/apps").arg(dir).arg(size);
        QDir().mkpath(folder);
        if (!out.save(folder + QStringLiteral("/ruvex-viewer.png"))) {
            std::fprintf(stderr, "ruvex-draw-images: cannot write into %s\n", qPrintable(folder));
            return false;
        }
    }
    return true;
}

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    if (args.size() == 2 && args[0] == u"--theme-icons")
        return writeThemeIcons(args[1]) ? 0 : 1;
    if (args.size() < 2) {
        std::fputs("usage: ruvex-draw-images DIR NAME... | --theme-icons DIR\n", stderr);
        return 2;
    }
    QDir().mkpath(args[0]);
    for (const QString& name : args.mid(1)) {
        if (!write(args[0], name))
            return 1;
    }
    return 0;
}
