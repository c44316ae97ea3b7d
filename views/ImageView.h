#pragma once

#include <QImage>
#include <QRect>
#include <QString>

class QPainter;

// The cover cell of a row: the video's picture, stretched to fill the cell
// with a 2-point margin, or the placeholder until a picture arrives. GUI
// thread only.
class ImageView final
{
public:
    explicit ImageView(QImage placeholder);

    static QRect pictureRect(QRect cell);

    const QImage &image() const { return m_image.isNull() ? m_placeholder : m_image; }
    bool hasPicture() const { return !m_image.isNull(); }
    void setImage(QImage image) { m_image = std::move(image); }

    // The address last asked for, so that asking again does nothing.
    const QString &youtubeURL() const { return m_youtubeURL; }
    void setYoutubeURL(const QString &url) { m_youtubeURL = url; }

    void paint(QPainter &painter, QRect cell) const;

private:
    QImage m_placeholder;
    QImage m_image;
    QString m_youtubeURL;
};
