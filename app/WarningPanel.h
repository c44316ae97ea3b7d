#pragma once

#include <QHash>
#include <QWidget>

// Warnings that stay until what they say is dealt with, one below the
// other, unlike the passing messages of the bottom bar. The panel takes no
// room while none is up.
class WarningPanel final : public QWidget
{
    Q_OBJECT

public:
    explicit WarningPanel(QWidget *parent = nullptr);

    enum class Dismiss { ByUser, WhenDealtWith };
    // Shows the warning called `name`, or gives it a new text. One the user
    // dismisses has a close button beside it (as first shown).
    void setWarning(const QString &name, const QString &text, const QString &toolTip, Dismiss dismiss);
    void clearWarning(const QString &name);

private:
    QWidget *makeRow(const QString &name, Dismiss dismiss);

    // Made on first use and hidden when cleared; each is named after its warning.
    QHash<QString, QWidget *> m_rows;
};
