#pragma once

#include <QMainWindow>

#include <memory>

class AppController;
class YoutubeProgramPreferences;
namespace Ui {
class MainWindow;
}

// The main window from its Designer layout, with its controller. Closing it
// keeps its size and its list's columns for the next start, and stops every
// item before the program ends.
class MainWindow final : public QMainWindow
{
public:
    explicit MainWindow(YoutubeProgramPreferences &preferences, QWidget *parent = nullptr);
    ~MainWindow() override;

    AppController &controller() { return *m_controller; }
    Ui::MainWindow &ui() { return *m_ui; }

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void connectWindowCommands();
    void setSmallestSize();
    void restoreShape();
    void keepShape();

    YoutubeProgramPreferences &m_preferences;
    std::unique_ptr<Ui::MainWindow> m_ui;
    std::unique_ptr<AppController> m_controller;
};
