#include "ImageView.h"

#include <QPainter>

namespace {

constexpr int Margin = 2;

} // namespace

QRect ImageView::pictureRect(QRect cell)
{
    return cell.adjusted(Margin, Margin, -Margin, -Margin);
}

void ImageView::paint(QPainter &painter, QRect cell, const QImage &image)
{
    if (image.isNull())
        return;
    const QPainter::RenderHints hints = painter.renderHints();
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(pictureRect(cell), image);
    painter.setRenderHints(hints);
}
