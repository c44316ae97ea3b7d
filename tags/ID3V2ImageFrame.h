#pragma once

#include "ID3V2TextFrame.h"

#include <QByteArray>

// The attached picture frame (APIC): a JPEG front cover.
class ID3V2ImageFrame final : public ID3V2TextFrame
{
public:
    using ID3V2TextFrame::ID3V2TextFrame;

    void setImageData(const QByteArray &data) { m_imageData = data; }

protected:
    QByteArray renderContent() const override;

private:
    QString m_mimeType = QStringLiteral("image/jpeg");
    int m_pictureType = 3;
    QByteArray m_imageData;
};
