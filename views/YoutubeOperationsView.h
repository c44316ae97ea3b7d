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

// The operations cell of a row: a centred group of square buttons that fits
// the item's status (remove always last) and, while a download or a
// conversion runs or is paused, a thin progress bar under them. Geometry is
// in the cell's own coordinates, origin top left.
class YoutubeOperationsView final
{
public:
    enum Button { RemoveButton, DownloadButton, PauseButton, ResumeButton, PlayButton, RetryButton };

    // A run's bytes (or percent) so far, of its maximum; 0 or less when the
    // size is not known yet.
    struct Progress
    {
        qint64 value = 0;
        qint64 maximum = 0;
    };

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
    // The bar only once a run has begun.
    static Layout calculateButtonsPositions(QSize cell, qint32 status, bool hasProgress);
    // The value on 0..ProgressScale.
    static int scaledProgress(Progress progress);

    static void paint(QPainter &painter, const QStyleOptionViewItem &option, qint32 status,
                      std::optional<Progress> progress, std::optional<Button> hovered, bool pressed);

    // What a click on the button does, in the word the rows' notes use for
    // it ("Press Resume to try again").
    static QString toolTip(Button button);
};
