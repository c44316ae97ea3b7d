#include "ID3V2Frame.h"

#include "StringUtils.h"

namespace {

qint32 rearranged(qint32 value, int bitsPerGroup)
{
    // Four groups from the lowest, each becoming one byte, the lowest group
    // last: written least significant byte first, they come out in the
    // order big-endian asks for.
    auto x = quint32(value);
    const quint32 mask = (1u << bitsPerGroup) - 1;
    quint32 result = 0;
    for (int i = 0; i < 4; ++i) {
        result += x & mask;
        if (i < 3)
            result <<= 8;
        x >>= bitsPerGroup;
    }
    return qint32(result);
}

} // namespace

ID3V2Frame::ID3V2Frame(QString frameID)
    : m_frameID(std::move(frameID))
{
}

void ID3V2Frame::setFrameContent(const QString &content)
{
    m_frameContent = QString(content).remove(QChar(u'\0'));
}

qint32 ID3V2Frame::contentSize() const
{
    return qint32(renderContent().size());
}

QByteArray ID3V2Frame::frameData() const
{
    const QByteArray content = renderContent();
    if (content.isEmpty())
        return {};
    QByteArray data;
    data.reserve(10 + content.size());
    StringUtils::writeStringToMutableData(m_frameID, data);
    StringUtils::writeIntToMutableData(reverseBytesForIntegerValueFull(qint32(content.size())), data, 4);
    StringUtils::writeIntToMutableData(0, data, 2);
    data.append(content);
    return data;
}

void ID3V2Frame::writeToData(QByteArray &data) const
{
    data.append(frameData());
}

qint32 ID3V2Frame::reverseBytesForIntegerValueFull(qint32 value)
{
    return rearranged(value, 8);
}

qint32 ID3V2Frame::reverseBytesForIntegerValue(qint32 value)
{
    return rearranged(value, 7);
}

ID3V2Frame::Encoding ID3V2Frame::encodingFor(const QString &text)
{
    const bool latin1 = std::all_of(text.cbegin(), text.cend(), [](QChar c) { return c.unicode() <= 0xFF; });
    return latin1 ? Latin1 : Utf16;
}

void ID3V2Frame::appendText(QByteArray &data, const QString &text, Encoding encoding)
{
    if (encoding == Latin1) {
        StringUtils::writeStringToMutableData(text, data);
        return;
    }
    data.append("\xFF\xFE", 2);
    for (QChar c : text) {
        data.append(char(c.unicode() & 0xFF));
        data.append(char(c.unicode() >> 8));
    }
}

void ID3V2Frame::appendTerminator(QByteArray &data, Encoding encoding)
{
    data.append(encoding == Latin1 ? 1 : 2, '\0');
}
