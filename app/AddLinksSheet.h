#pragma once

#include <QDialog>

#include <memory>

class DownloadList;
namespace Ui {
class AddLinksSheet;
}

// The add-links sheet over the main window: a text area, pre-filled with the
// links on the clipboard, whose lines become items when the user presses
// Add; it says how many lines are no links and how many links the list has
// already. Cancel, Esc or the window's close control leave without adding.
class AddLinksSheet final : public QDialog
{
    Q_OBJECT

public:
    AddLinksSheet(const DownloadList &list, QWidget *parent);
    ~AddLinksSheet() override;

    // Shows the sheet over its window, the clipboard's link lines in it.
    void start(const QString &clipboardText);
    QString text() const;

Q_SIGNALS:
    // The sheet's text, when the user pressed Add.
    void linksAdded(const QString &text);

private:
    void tellLinesLeftOut();

    const DownloadList &m_list;
    std::unique_ptr<Ui::AddLinksSheet> m_ui;
};
