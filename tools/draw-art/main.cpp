// draw-art: draws the program's bundled pictures (the hint animation, the
// placeholder cover and the fallback button icons) into a folder.

#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPainterPath>

#include <cstdio>
#include <functional>

using namespace Qt::Literals::StringLiterals;

namespace {

const QColor Accent(0x1a, 0x5f, 0xb4);
const QColor Ink(0x3d, 0x3d, 0x3d);

QImage canvas(int width, int height)
{
    QImage image(width, height, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    return image;
}

// A quaver whose head sits at `head` with radius `r`.
void drawNote(QPainter &painter, QPointF head, qreal r, const QColor &color)
{
    painter.setPen(Qt::NoPen);
    painter.setBrush(color);
    painter.save();
    painter.translate(head);
    painter.rotate(-20);
    painter.drawEllipse(QPointF(0, 0), r * 1.3, r);
    painter.restore();
    const qreal stemX = head.x() + r * 1.15;
    painter.drawRect(QRectF(stemX - r * 0.3, head.y() - r * 4.2, r * 0.3, r * 4.2));
    QPainterPath flag;
    flag.moveTo(stemX, head.y() - r * 4.2);
    flag.cubicTo(stemX + r * 0.4, head.y() - r * 3.2, stemX + r * 2.0, head.y() - r * 2.8, stemX + r * 1.2,
                 head.y() - r * 1.4);
    flag.cubicTo(stemX + r * 1.5, head.y() - r * 2.6, stemX + r * 0.4, head.y() - r * 3.0, stemX, head.y() - r * 3.2);
    painter.drawPath(flag);
}

// One frame of the hint: a note in a disc, a bright arc running round it.
QImage hintFrame(int frame, int frames)
{
    QImage image = canvas(40, 40);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(Accent);
    painter.drawEllipse(QRectF(4, 4, 32, 32));
    drawNote(painter, QPointF(17, 27), 3.2, Qt::white);
    QPen arc(QColor(0x62, 0xa0, 0xea), 3, Qt::SolidLine, Qt::RoundCap);
    painter.setPen(arc);
    painter.setBrush(Qt::NoBrush);
    const int start = 90 * 16 - frame * 360 * 16 / frames;
    painter.drawArc(QRectF(1.5, 1.5, 37, 37), start, 100 * 16);
    return image;
}

// The program's icon: a note on a blue disc, as in the hint.
QImage programIcon(int size)
{
    QImage image = canvas(size, size);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.scale(size / 64.0, size / 64.0);
    QLinearGradient disc(0, 4, 0, 60);
    disc.setColorAt(0, QColor(0x35, 0x84, 0xe4));
    disc.setColorAt(1, Accent);
    painter.setPen(Qt::NoPen);
    painter.setBrush(disc);
    painter.drawEllipse(QRectF(4, 4, 56, 56));
    drawNote(painter, QPointF(27, 44), 5.5, Qt::white);
    return image;
}

QImage placeholderCover()
{
    QImage image(120, 90, QImage::Format_RGB32);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    QLinearGradient fill(0, 0, 0, 90);
    fill.setColorAt(0, QColor(0xde, 0xdd, 0xda));
    fill.setColorAt(1, QColor(0xc0, 0xbf, 0xbc));
    painter.fillRect(image.rect(), fill);
    drawNote(painter, QPointF(54, 62), 8, QColor(0x9a, 0x99, 0x96));
    return image;
}

// A button icon drawn on a 16-unit grid at `size` pixels, so that the
// 16-pixel form the rows use is sharp rather than a shrunken 32.
QImage icon(const std::function<void(QPainter &)> &draw, int size)
{
    QImage image = canvas(size, size);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.scale(size / 16.0, size / 16.0);
    painter.setPen(QPen(Ink, 2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.setBrush(Ink);
    draw(painter);
    return image;
}

void drawStop(QPainter &p)
{
    p.drawLine(QPointF(4.5, 4.5), QPointF(11.5, 11.5));
    p.drawLine(QPointF(11.5, 4.5), QPointF(4.5, 11.5));
}

void drawRefresh(QPainter &p)
{
    p.setBrush(Qt::NoBrush);
    p.drawArc(QRectF(3.5, 3.5, 9, 9), 60 * 16, 290 * 16);
    p.setPen(Qt::NoPen);
    p.setBrush(Ink);
    p.drawPolygon(QPolygonF({QPointF(8, 1), QPointF(12.5, 3.5), QPointF(8, 6.5)}));
}

// Two upright bars with a clear gap, as every media control draws it.
void drawPause(QPainter &p)
{
    p.setPen(Qt::NoPen);
    p.drawRect(QRectF(4, 3, 3, 10));
    p.drawRect(QRectF(9, 3, 3, 10));
}

// Carry on where it stopped: the triangle that goes with the pause bars.
void drawResume(QPainter &p)
{
    p.setPen(Qt::NoPen);
    p.drawPolygon(QPolygonF({QPointF(4.5, 2.5), QPointF(13, 8), QPointF(4.5, 13.5)}));
}

// Listen to the finished file: a triangle in a ring, unlike the bare
// triangle of Resume.
void drawPlay(QPainter &p)
{
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(Ink, 1.5));
    p.drawEllipse(QRectF(1.75, 1.75, 12.5, 12.5));
    p.setPen(Qt::NoPen);
    p.setBrush(Ink);
    p.drawPolygon(QPolygonF({QPointF(6.5, 5), QPointF(11, 8), QPointF(6.5, 11)}));
}

void drawAction(QPainter &p)
{
    p.setPen(Qt::NoPen);
    p.translate(8, 8);
    for (int tooth = 0; tooth < 8; ++tooth) {
        p.drawRect(QRectF(-1.25, -7, 2.5, 3.5));
        p.rotate(45);
    }
    QPainterPath ring;
    ring.addEllipse(QPointF(0, 0), 5, 5);
    ring.addEllipse(QPointF(0, 0), 2, 2);
    p.drawPath(ring);
}

void drawAdd(QPainter &p)
{
    p.drawLine(QPointF(8, 3), QPointF(8, 13));
    p.drawLine(QPointF(3, 8), QPointF(13, 8));
}

void drawRemove(QPainter &p)
{
    p.drawLine(QPointF(3, 8), QPointF(13, 8));
}

bool save(const QImage &image, const QString &path)
{
    if (image.save(path))
        return true;
    std::fprintf(stderr, "draw-art: cannot write %s\n", qPrintable(path));
    return false;
}

} // namespace

int main(int argc, char **argv)
{
    QGuiApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: draw-art RESOURCES-FOLDER\n");
        return 2;
    }
    const QDir out(QString::fromLocal8Bit(argv[1]));
    if (!out.mkpath(u"images"_s) || !out.mkpath(u"icons"_s))
        return 1;
    bool ok = true;
    constexpr int Frames = 15;
    for (int frame = 1; frame <= Frames; ++frame)
        ok = save(hintFrame(frame, Frames), out.filePath(u"images/vantrel-icon-%1.png"_s.arg(frame))) && ok;
    // The script turns this into the GIF the program loads: Qt reads GIF but
    // cannot write it.
    ok = save(placeholderCover(), out.filePath(u"images/nocovermusic.png"_s)) && ok;
    if (!out.mkpath(u"desktop"_s))
        return 1;
    for (const int size : {16, 24, 32, 48, 64, 128, 256})
        ok = save(programIcon(size), out.filePath(u"desktop/vantrel-%1.png"_s.arg(size))) && ok;
    const std::pair<const char16_t *, void (*)(QPainter &)> icons[] = {
        {u"stop", drawStop},     {u"refresh", drawRefresh}, {u"pause", drawPause}, {u"resume", drawResume},
        {u"play", drawPlay},     {u"action", drawAction},   {u"add", drawAdd},     {u"remove", drawRemove}};
    for (const auto &[name, draw] : icons) {
        for (const int size : {16, 24, 32})
            ok = save(icon(draw, size), out.filePath(u"icons/%1-%2.png"_s.arg(QString::fromUtf16(name)).arg(size))) && ok;
    }
    return ok ? 0 : 1;
}
