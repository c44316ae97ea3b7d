#pragma once

#include <QString>

class QAbstractItemModel;
class QObject;
class QWidget;

// Gives the controls of a window their numbered texts in the user's
// language, finding each control by its object name. A name the window does
// not have is skipped.
class LanguageController final
{
public:
    // `table` receives the list's column headers; it may be null.
    explicit LanguageController(QWidget &window, QAbstractItemModel *table = nullptr);

    void fillMainWindowLanguageStrings();
    void fillPreferencesWindowLanguageStrings();

private:
    void setText(const QString &name, const QString &text);
    // For toolbar entries: the longer text shown as their tip.
    void setToolTip(const QString &name, const QString &text);
    QObject *find(const QString &name) const;

    QWidget &m_window;
    QAbstractItemModel *m_table;
};
