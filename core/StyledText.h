#pragma once

#include <QList>
#include <QMetaType>
#include <QString>

// Text in runs of one colour and font, as the list's title and status cells
// show it. The item composes it; a delegate draws it.
class StyledText final
{
public:
    enum class Font { Default, System, Bold };
    // Which of the list's few colours; the views give each its shade.
    enum class Colour { Plain, Blue, Purple, Red, Brown };

    struct Run
    {
        QString text;
        // Plain: the palette's text colour.
        Colour colour = Colour::Plain;
        Font font = Font::Default;
    };

    explicit StyledText(Qt::Alignment alignment = Qt::AlignLeft)
        : m_alignment(alignment)
    {
    }

    void append(QString text, Colour colour = Colour::Plain, Font font = Font::Default);

    Qt::Alignment alignment() const { return m_alignment; }
    const QList<Run> &runs() const { return m_runs; }
    QString plainText() const;

private:
    Qt::Alignment m_alignment;
    QList<Run> m_runs;
};

Q_DECLARE_METATYPE(StyledText)
