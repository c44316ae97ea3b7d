#include "ID3V2CommentFrame.h"

#include "StringUtils.h"

QByteArray ID3V2CommentFrame::renderContent() const
{
    const QString comment = frameContent();
    if (comment.isEmpty())
        return {};
    const Encoding encoding = encodingFor(comment);
    QByteArray content(1, encoding);
    StringUtils::writeStringToMutableData(m_language, content);
    // The empty description: in UTF-16 it still carries its byte-order mark,
    // as readers expect of every string of that encoding.
    if (encoding == Utf16)
        appendText(content, {}, encoding);
    appendTerminator(content, encoding);
    appendText(content, comment, encoding);
    return content;
}
