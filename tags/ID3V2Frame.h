#pragma once

#include <QByteArray>
#include <QString>

// One frame of an ID3v2.3 tag: a 10-byte header (ID, big-endian content
// size, flags) followed by content that each frame class renders. A frame
// with nothing to say renders no content and is left out of the tag. The
// size is always that of the bytes actually rendered.
class ID3V2Frame
{
public:
    explicit ID3V2Frame(QString frameID);
    virtual ~ID3V2Frame() = default;

    QString frameID() const { return m_frameID; }
    QString frameContent() const { return m_frameContent; }
    // ID3v2.3 text ends at a NUL, so a NUL in `content` is left out: it
    // would cut off the rest for every reader.
    void setFrameContent(const QString &content);

    qint32 contentSize() const;
    qint32 frameTotalSize() const { return contentSize() + 10; }
    // The whole frame; empty for a frame that is left out.
    QByteArray frameData() const;
    void writeToData(QByteArray &data) const;

    // The value that, written least significant byte first, puts `value` on
    // disk big-endian (full 8 bits per byte), or synchsafe (7 bits per byte).
    static qint32 reverseBytesForIntegerValueFull(qint32 value);
    static qint32 reverseBytesForIntegerValue(qint32 value);

protected:
    // The content after the header; empty to leave the frame out.
    virtual QByteArray renderContent() const = 0;

    // Text encodings of ID3v2.3: ISO-8859-1, or UTF-16 with a byte-order mark
    // for text that ISO-8859-1 cannot hold.
    enum Encoding : char { Latin1 = 0, Utf16 = 1 };
    static Encoding encodingFor(const QString &text);
    static void appendText(QByteArray &data, const QString &text, Encoding encoding);
    static void appendTerminator(QByteArray &data, Encoding encoding);

private:
    QString m_frameID;
    QString m_frameContent;
};
