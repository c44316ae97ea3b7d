#pragma once

#include <QString>

// The desktop's handlers for files.
class Workspace final
{
public:
    Workspace() = delete;

    // Opens the file with the user's default program for it; false without
    // a desktop session.
    static bool openFile(const QString &path);
};
