#pragma once

#include "ID3V2TextFrame.h"

// The comment frame (COMM): encoding, language, an empty short description
// with its terminator, then the comment.
class ID3V2CommentFrame final : public ID3V2TextFrame
{
public:
    using ID3V2TextFrame::ID3V2TextFrame;

protected:
    QByteArray renderContent() const override;

private:
    QString m_language = QStringLiteral("eng");
};
