#pragma once

#include "AccessibleLeaf.h"

#include <QPersistentModelIndex>
#include <QPointer>

class QAbstractItemView;

// One of the controls the delegate paints into a row's cell, as a screen
// reader meets it: a button named as its tooltip, whose press does what a
// click does, or the progress bar as a value from 0 to 100. It reads the row
// anew on every call, so a control the row no longer shows is no longer
// valid.
class RowControlAccessible final : public AccessibleLeaf,
                                   public QAccessibleActionInterface,
                                   public QAccessibleValueInterface
{
public:
    Q_DISABLE_COPY_MOVE(RowControlAccessible)

    // A row button of RowDelegate's, or this.
    static constexpr int ProgressBar = -3;

    RowControlAccessible(QAbstractItemView &view, const QModelIndex &cell, int control);

    int control() const { return m_control; }
    QModelIndex cell() const { return m_cell; }

    bool isValid() const override;
    QWindow *window() const override;
    QAccessibleInterface *parent() const override;
    QString text(QAccessible::Text t) const override;
    QRect rect() const override;
    QAccessible::Role role() const override;
    QAccessible::State state() const override;
    void *interface_cast(QAccessible::InterfaceType type) override;

    QStringList actionNames() const override;
    void doAction(const QString &actionName) override;
    QStringList keyBindingsForAction(const QString &) const override { return {}; }

    QVariant currentValue() const override;
    void setCurrentValue(const QVariant &) override {}
    QVariant maximumValue() const override { return 100; }
    QVariant minimumValue() const override { return 0; }
    QVariant minimumStepSize() const override { return 1; }

private:
    QPointer<QAbstractItemView> m_view;
    QPersistentModelIndex m_cell;
    const int m_control;
};
