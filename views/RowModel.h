#pragma once

#include <Qt>

// The download list as the table sees it: four columns, and the roles by
// which the delegates reach an item and its texts.
namespace RowModel {

enum Column { CoverColumn, TitleColumn, StatusColumn, OperationsColumn, ColumnCount };

enum Role {
    // std::shared_ptr<YoutubeDownloader>
    ItemRole = Qt::UserRole + 1,
    // StyledText of the title and status columns
    StyledTextRole,
    // YoutubeStatus
    StatusRole,
    // qint64 of the running or last run
    ProgressRole,
    // qint64, or nothing before the first run
    ProgressMaximumRole,
    // QImage: the cover, or the placeholder until it arrives
    CoverRole,
};

} // namespace RowModel
