#include "ID3V2TextFrame.h"

QByteArray ID3V2TextFrame::renderContent() const
{
    const QString text = frameContent();
    if (text.isEmpty())
        return {};
    const Encoding encoding = encodingFor(text);
    QByteArray content(1, encoding);
    appendText(content, text, encoding);
    return content;
}
