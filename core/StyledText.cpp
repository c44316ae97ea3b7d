#include "StyledText.h"

void StyledText::append(QString text, QColor color, Font font)
{
    m_runs.append({std::move(text), color, font});
}

QString StyledText::plainText() const
{
    QString text;
    for (const Run &run : m_runs)
        text += run.text;
    return text;
}
