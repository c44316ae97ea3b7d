#pragma once

#include <QString>

class QUrl;

// The desktop's handlers for files.
class Workspace final
{
public:
    Workspace() = delete;

    // Opens the file with the user's default program for it; false without
    // a desktop session.
    static bool openFile(const QString &path);
    // Opens a web page in the user's browser; only http and https.
    static bool openURL(const QUrl &url);
    // Shows the file selected in the desktop's file manager, or its folder
    // where the file manager cannot select. Does not wait for the desktop.
    static void showInFileManager(const QString &path);
};
