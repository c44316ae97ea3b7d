#include "YoutubeOperationsView.h"

#include "RowButtons.h"
#include "StringUtils.h"
#include "YoutubeStatus.h"

#include <QPainter>
#include <QStyleOptionViewItem>
#include <QWidget>

#include <cmath>

namespace {

constexpr int ProgressLeft = 10;
constexpr int ProgressGap = 5;

bool showsProgress(qint32 status)
{
    return status == StatusDownloading || status == StatusDownloadPaused || status == StatusConverting
        || status == StatusConvertPaused;
}

RowButtons::Kind iconOf(YoutubeOperationsView::Button button)
{
    switch (button) {
    case YoutubeOperationsView::RemoveButton: return RowButtons::Stop;
    case YoutubeOperationsView::DownloadButton:
    case YoutubeOperationsView::RetryButton: return RowButtons::Refresh;
    case YoutubeOperationsView::ResumeButton: return RowButtons::Resume;
    case YoutubeOperationsView::PauseButton: return RowButtons::Pause;
    case YoutubeOperationsView::PlayButton: return RowButtons::Play;
    }
    return RowButtons::Stop;
}

} // namespace

QList<YoutubeOperationsView::Button> YoutubeOperationsView::visibleButtonsListByYoutubeStatus(qint32 status)
{
    switch (status) {
    case StatusReady: return {DownloadButton, RemoveButton};
    case StatusDownloading:
    case StatusConverting: return {PauseButton, RemoveButton};
    case StatusDownloadPaused:
    case StatusConvertPaused: return {ResumeButton, RemoveButton};
    case StatusDownloaded:
    case StatusFinished: return {PlayButton, RemoveButton};
    case StatusInfoFailed:
    case StatusNoStream: return {RetryButton, RemoveButton};
    default: return {RemoveButton};
    }
}

QSize YoutubeOperationsView::visibleButtonsTotalSize(const QList<Button> &buttons)
{
    if (buttons.isEmpty())
        return {0, 0};
    return {int(buttons.size()) * ButtonSize, ButtonSize};
}

YoutubeOperationsView::Layout YoutubeOperationsView::calculateButtonsPositions(QSize cell, qint32 status,
                                                                              bool hasProgress)
{
    const QList<Button> buttons = visibleButtonsListByYoutubeStatus(status);
    const QSize total = visibleButtonsTotalSize(buttons);
    // Centred with the remainders truncated toward zero, measured from the
    // bottom edge as the group was first drawn, so odd heights round the
    // same way.
    const int left = int(std::trunc((cell.width() - total.width()) * 0.5));
    const int bottom = int(std::trunc((cell.height() - total.height()) * 0.5));
    const int top = cell.height() - bottom - total.height();
    Layout layout;
    for (qsizetype i = 0; i < buttons.size(); ++i)
        layout.buttons.append({buttons.at(i), QRect(left + int(i) * ButtonSize, top, ButtonSize, ButtonSize)});
    if (hasProgress && showsProgress(status))
        layout.progress = QRect(ProgressLeft, top + total.height() + ProgressGap, cell.width() - 2 * ProgressLeft,
                                ProgressHeight);
    return layout;
}

int YoutubeOperationsView::scaledProgress(Progress progress)
{
    if (progress.maximum <= 0)
        return 0;
    const double share = std::clamp(double(progress.value) / double(progress.maximum), 0.0, 1.0);
    return int(std::lround(share * ProgressScale));
}

void YoutubeOperationsView::paint(QPainter &painter, const QStyleOptionViewItem &option, qint32 status,
                                  std::optional<Progress> progress, std::optional<Button> hovered, bool pressed)
{
    QStyle *style = option.widget ? option.widget->style() : nullptr;
    if (!style)
        return;
    const Layout layout = calculateButtonsPositions(option.rect.size(), status, progress.has_value());
    for (const auto &[button, rect] : layout.buttons)
        RowButtons::paint(painter, option, rect, iconOf(button), hovered == button, pressed);
    if (!layout.progress)
        return;
    QStyleOptionProgressBar bar;
    bar.rect = layout.progress->translated(option.rect.topLeft());
    bar.palette = option.palette;
    bar.state = QStyle::State_Enabled | QStyle::State_Horizontal;
    bar.minimum = 0;
    // A size not known yet (its probe failed, say) leaves the bar empty: the
    // style's busy bar would read as full.
    bar.maximum = ProgressScale;
    bar.progress = scaledProgress(*progress);
    style->drawControl(QStyle::CE_ProgressBar, &bar, &painter, option.widget);
}

QString YoutubeOperationsView::toolTip(Button button)
{
    switch (button) {
    case RemoveButton: return StringUtils::langStr(234);
    case DownloadButton: return StringUtils::langStr(230);
    case PauseButton: return StringUtils::langStr(231);
    case ResumeButton: return StringUtils::langStr(232);
    case PlayButton: return StringUtils::langStr(235);
    case RetryButton: return StringUtils::langStr(233);
    }
    return {};
}
