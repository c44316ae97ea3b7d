#pragma once

#include "VantrelVersion.h"

#include <QStringView>

// Fixed strings of the video site and of the program's notifications.

inline constexpr QStringView YOUTUBE_URL_TEMPLATE1 = u"http://www.youtube.com";
inline constexpr QStringView YOUTUBE_URL_TEMPLATE2 = u"http://youtube.com";
inline constexpr QStringView YOUTUBE_MASK1 = u"youtube.com/watch?v=";
inline constexpr QStringView YOUTUBE_MASK2 = u"&v=";
inline constexpr QStringView YOUTUBE_COVER_URL_TEMPLATE = u"http://i.ytimg.com/vi/%1/default.jpg";
inline constexpr QStringView YOUTUBE_DESCRITION_MASK1 = u"<p id=\"eow-description\" >";
inline constexpr QStringView YOUTUBE_DESCRITION_MASK2 = u"</p>";
inline constexpr QStringView NOTIFICATION_YOUTUBE_TARNWICK = u"http://www.vantrel.example";

inline constexpr QStringView YOUTUBE_ADD_URLS_FROM_CLIPBOARD = u"YoutubeAddURLFromPasteboard";
inline constexpr QStringView YOUTUBE_ADD_URLS_FROM_CLIPBOARD_KEY_NAME = u"URLList";
inline constexpr QStringView NOTIFICATION_YOUTUBE_TABLE_VIEW_DBL_CLICK = u"NotificationYoutubeTableViewDblClick";

// The maker's pages, opened in the browser.
inline constexpr QStringView FIRST_START_URL = u"http://www.vantrel.example/cgi-bin/visits.pl?prog=vantrel-inst&version=" VANTREL_VERSION;
inline constexpr QStringView SUPPORT_URL = u"http://www.vantrel.example/cgi-bin/support?program=Vantrel&version=" VANTREL_VERSION;

inline constexpr QStringView PATH_WAS_CHANGED_NOTIFICATION_NAME = u"PCPathWasChangedNotification";
inline constexpr QStringView PATH_WAS_CHANGED_NEW_PATH_KEY = u"NewPath";
