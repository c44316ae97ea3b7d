#pragma once

#include "ID3V2TextFrame.h"

// The user URL frame (WXXX): a description, then the address, which ID3
// keeps in ISO-8859-1 whatever the encoding byte says; an address with other
// characters is written percent-encoded.
class ID3V2URLFrame final : public ID3V2TextFrame
{
public:
    using ID3V2TextFrame::ID3V2TextFrame;

    QString description() const { return m_description; }
    void setDescription(const QString &description) { m_description = description; }

protected:
    QByteArray renderContent() const override;

private:
    QString m_description;
};
