#pragma once

#include <QImage>
#include <QRect>

class QPainter;

// The cover cell of a row: the video's picture, or the placeholder until one
// arrives, stretched to fill the cell with a 2-point margin.
class ImageView final
{
public:
    static QRect pictureRect(QRect cell);
    static void paint(QPainter &painter, QRect cell, const QImage &image);
};
