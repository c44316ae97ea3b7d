#pragma once

#include <QAccessibleInterface>

// A part of a painted list that a screen reader sees as an object of its
// own, with no children and no text to edit, and no QObject behind it.
class AccessibleLeaf : public QAccessibleInterface
{
public:
    QObject *object() const override { return nullptr; }
    QAccessibleInterface *childAt(int, int) const override { return nullptr; }
    QAccessibleInterface *child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface *) const override { return -1; }
    void setText(QAccessible::Text, const QString &) override {}
};
