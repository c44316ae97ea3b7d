#pragma once

#include <QLineEdit>

class YoutubeProgramPreferences;

// Shows an output folder, "~" expanded; a double click (or a button beside
// it that calls selectOutputFolder()) lets the user choose another. Every
// folder control shows the folder last chosen anywhere: a choice is
// announced with "PCPathWasChangedNotification", which they all follow.
class PathController final : public QLineEdit
{
    Q_OBJECT

public:
    explicit PathController(QWidget *parent = nullptr);
    ~PathController() override;

    // Where a choice is stored; until set, a choice is only shown.
    void setPreferences(YoutubeProgramPreferences *preferences) { m_preferences = preferences; }

    void setFolderPath(const QString &path);
    QString folderPath() const { return text(); }

    // The desktop's folder dialog, then chooseFolder().
    void selectOutputFolder();
    // Shows, stores and announces the folder.
    void chooseFolder(const QString &folder);

protected:
    void mouseDoubleClickEvent(QMouseEvent *event) override;

private:
    YoutubeProgramPreferences *m_preferences = nullptr;
};
