#pragma once

#include <QList>
#include <QString>

// What the user does once the download is under way: the columns of the
// matrix.
struct UserAction
{
    enum Kind { None, Pause, PauseResume, Remove, RemovePaused };

    Kind kind;
    QString name;
    QString description;

    bool pauses() const { return kind == Pause || kind == PauseResume || kind == RemovePaused; }
    bool removes() const { return kind == Remove || kind == RemovePaused; }

    static const QList<UserAction> &all();
    static const UserAction *find(const QString &name);
};
