#pragma once

#include <QList>
#include <QRect>
#include <QSize>
#include <QString>

#include <optional>
#include <utility>

class QPainter;
class QStyle;
class QStyleOptionViewItem;
class YoutubeDownloader;

// The operations cell of a row: a centred group of square buttons that fits
// the item's status (remove always last) and, while a download or a
// conversion runs or is paused, a thin progress bar under them. Geometry is
// in the cell's own coordinates, origin top left.
class YoutubeOperationsView final
{
public:
    enum Button { RemoveButton, DownloadButton, PauseButton, ResumeButton, PlayButton };

    struct Layout
    {
        QList<std::pair<Button, QRect>> buttons;
        std::optional<QRect> progress;
    };

    static constexpr int ButtonSize = 24;
    static constexpr int ProgressHeight = 10;
    // Byte counts do not fit the style's int range.
    static constexpr int ProgressScale = 10'000;

    static QList<Button> visibleButtonsListByYoutubeStatus(qint32 status);
    static QSize visibleButtonsTotalSize(const QList<Button> &buttons);
    Layout calculateButtonsPositions(QSize cell, qint32 status) const;

    // The bar appears with the first run and is reset by every new one.
    void initProgressIndicator(qint64 maximum);
    void setProgressValue(qint64 value);
    // The value on 0..ProgressScale.
    int scaledProgress() const;

    void paint(QPainter &painter, const QStyleOptionViewItem &option, qint32 status, std::optional<Button> hovered,
               bool pressed) const;

    // What a click on the button does to the item, and what its tooltip
    // says it does.
    static void perform(Button button, YoutubeDownloader &item);
    static QString toolTip(Button button, const YoutubeDownloader &item);

private:
    bool m_hasProgress = false;
    qint64 m_maximum = 0;
    qint64 m_value = 0;
};
