#include "StyledText.h"

void StyledText::append(QString text, Colour colour, Font font)
{
    m_runs.append({std::move(text), colour, font});
}

QString StyledText::plainText() const
{
    QString text;
    for (const Run &run : m_runs)
        text += run.text;
    return text;
}
