#include "ID3V2ImageFrame.h"

#include "StringUtils.h"

QByteArray ID3V2ImageFrame::renderContent() const
{
    if (m_imageData.isEmpty())
        return {};
    QByteArray content(1, Latin1);
    StringUtils::writeStringToMutableData(m_mimeType, content);
    appendTerminator(content, Latin1);
    StringUtils::writeIntToMutableData(m_pictureType, content, 1);
    appendTerminator(content, Latin1); // the empty description
    content.append(m_imageData);
    return content;
}
