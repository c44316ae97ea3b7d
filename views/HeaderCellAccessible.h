#pragma once

#include "AccessibleLeaf.h"

#include <QPointer>

class QAbstractItemView;

// A column's title in the download list's table, or a row's place in the
// header column the view counts whether it shows it or not (-1 on both for
// the corner).
class HeaderCellAccessible final : public AccessibleLeaf
{
public:
    Q_DISABLE_COPY_MOVE(HeaderCellAccessible)

    HeaderCellAccessible(QAbstractItemView &view, Qt::Orientation orientation, int section);

    Qt::Orientation orientation() const { return m_orientation; }
    int section() const { return m_section; }

    bool isValid() const override { return !m_view.isNull(); }
    QAccessibleInterface *parent() const override;
    QString text(QAccessible::Text t) const override;
    QRect rect() const override { return {}; }
    QAccessible::Role role() const override;
    QAccessible::State state() const override;

private:
    QPointer<QAbstractItemView> m_view;
    const Qt::Orientation m_orientation;
    const int m_section;
};
