#pragma once

#include <QString>

// The views of an item's row (cover, buttons, progress bar), as the item
// sees them. The item calls them from its worker threads too: an
// implementation hands the work to the GUI thread itself.
class YoutubeRowViews
{
public:
    virtual ~YoutubeRowViews() = default;

    // Picks the buttons that fit the item's status.
    virtual void repaint() = 0;
    virtual void initProgressIndicator(qint64 maximum) = 0;
    virtual void setProgressValue(qint64 value) = 0;
    virtual void setCoverURL(const QString &url) = 0;
};
