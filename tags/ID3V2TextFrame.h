#pragma once

#include "ID3V2Frame.h"

// A plain text frame (TIT2, TALB, TPE1, TCON, TYER): the encoding byte and
// the text.
class ID3V2TextFrame : public ID3V2Frame
{
public:
    using ID3V2Frame::ID3V2Frame;

protected:
    QByteArray renderContent() const override;
};
