#pragma once

#include <QDialog>

#include <memory>

class PageReaderStatus;
class PreferencesController;
class YoutubeProgramPreferences;
namespace Ui {
class Preferences;
}

// The preferences window: general options and format options on two pages
// chosen by two buttons. It opens showing the stored settings, and closing
// it in any way (Save, Close, Esc, the window's close control) stores what
// it shows.
class PreferencesWindow final : public QDialog
{
    Q_OBJECT

public:
    PreferencesWindow(YoutubeProgramPreferences &preferences, QWidget *parent);
    ~PreferencesWindow() override;

    // Fills the controls from the store and shows the window.
    void showWindow();
    // Pages are numbered from 1.
    void changeCurrentTabPageByButtonTag(int page);

    Ui::Preferences &ui() { return *m_ui; }

private:
    void choosePageReader();

    std::unique_ptr<Ui::Preferences> m_ui;
    std::unique_ptr<PreferencesController> m_controller;
    PageReaderStatus *m_pageReaderStatus = nullptr;
};
