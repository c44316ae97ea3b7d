#pragma once

#include <QLineEdit>

class YoutubeProgramPreferences;

// Shows an output folder, "~" expanded; a double click (or a button beside
// it that calls selectOutputFolder()) lets the user choose another, and a
// path typed into it is taken when the typing ends, once it is a folder
// that can be written (made first if missing). Every folder control shows
// the folder last chosen anywhere: a choice is announced with
// "PCPathWasChangedNotification", which they all follow.
class PathController final : public QLineEdit
{
    Q_OBJECT

public:
    explicit PathController(QWidget *parent = nullptr);
    ~PathController() override;

    // Where a choice is stored; until set, a choice is only shown.
    void setPreferences(YoutubeProgramPreferences *preferences) { m_preferences = preferences; }

    void setFolderPath(const QString &path);
    // The folder taken, not a path half typed.
    QString folderPath() const { return m_folder; }

    // The desktop's folder dialog, then chooseFolder().
    void selectOutputFolder();
    // Shows, stores and announces the folder.
    void chooseFolder(const QString &folder);

Q_SIGNALS:
    // Why a typed path was not taken, in the user's language; empty once a
    // folder is.
    void refused(const QString &reason);

protected:
    void mouseDoubleClickEvent(QMouseEvent *event) override;

private:
    void takeTypedPath();
    // Why `folder` cannot take files, after making it if it is missing;
    // empty when it can.
    static QString refusal(const QString &folder);

    YoutubeProgramPreferences *m_preferences = nullptr;
    QString m_folder;
};
