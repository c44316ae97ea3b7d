#pragma once

#include <QDialog>

#include <memory>

namespace Ui {
class AddLinksSheet;
}

// The add-links sheet over the main window: a text area, pre-filled with the
// links on the clipboard, whose lines become items when the user presses
// Add; it says how many lines are no links. Esc or the window's close
// control leave without adding.
class AddLinksSheet final : public QDialog
{
    Q_OBJECT

public:
    explicit AddLinksSheet(QWidget *parent);
    ~AddLinksSheet() override;

    // Shows the sheet over its window, the clipboard's link lines in it.
    void start(const QString &clipboardText);
    QString text() const;

Q_SIGNALS:
    void linksAdded(const QStringList &lines);

private:
    void tellLinesLeftOut();

    std::unique_ptr<Ui::AddLinksSheet> m_ui;
};
