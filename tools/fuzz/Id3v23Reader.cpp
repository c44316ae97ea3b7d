#include "Id3v23Reader.h"

#include <optional>

using namespace Qt::Literals::StringLiterals;

namespace {

constexpr qsizetype HeaderSize = 10;
constexpr int LastPictureType = 0x14;

quint32 bigEndian(QByteArrayView bytes)
{
    quint32 value = 0;
    for (char byte : bytes)
        value = value << 8 | quint8(byte);
    return value;
}

bool isFrameIDChar(char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
}

// A string of the given encoding (0 ISO-8859-1, 1 UTF-16 with byte-order
// mark) and what follows its terminator; without a terminator the string
// runs to the end.
struct Split
{
    QByteArrayView string;
    QByteArrayView rest;
    bool terminated = false;
};

Split splitAtTerminator(QByteArrayView bytes, char encoding)
{
    const qsizetype step = encoding == 1 ? 2 : 1;
    for (qsizetype i = 0; i + step <= bytes.size(); i += step) {
        if (bytes[i] == 0 && bytes[i + step - 1] == 0)
            return {bytes.first(i), bytes.sliced(i + step), true};
    }
    return {bytes, {}, false};
}

std::optional<QString> decodeString(QByteArrayView bytes, char encoding)
{
    if (encoding == 0)
        return QString::fromLatin1(bytes);
    if (bytes.size() < 2 || bytes.size() % 2)
        return std::nullopt;
    const bool little = quint8(bytes[0]) == 0xFF && quint8(bytes[1]) == 0xFE;
    const bool big = quint8(bytes[0]) == 0xFE && quint8(bytes[1]) == 0xFF;
    if (!little && !big)
        return std::nullopt;
    QString text;
    for (qsizetype i = 2; i < bytes.size(); i += 2) {
        const quint8 first = quint8(bytes[i]);
        const quint8 second = quint8(bytes[i + 1]);
        text.append(QChar(char16_t(little ? second << 8 | first : first << 8 | second)));
    }
    return text;
}

} // namespace

Id3v23Reader::Id3v23Reader(const QByteArray &tag)
{
    if (readHeader(tag))
        readFrames(QByteArrayView(tag).sliced(HeaderSize));
}

bool Id3v23Reader::fail(const QString &error)
{
    m_error = error;
    return false;
}

bool Id3v23Reader::readHeader(QByteArrayView tag)
{
    if (tag.size() < HeaderSize || !tag.startsWith("ID3"))
        return fail(u"no ID3 header"_s);
    if (tag[3] != 3 || tag[4] != 0)
        return fail(u"version is not 2.3.0"_s);
    if (tag[5] != 0)
        return fail(u"header flags set"_s);
    quint32 size = 0;
    for (char byte : tag.sliced(6, 4)) {
        if (quint8(byte) & 0x80)
            return fail(u"tag size not synchsafe"_s);
        size = size << 7 | quint8(byte);
    }
    if (size != quint32(tag.size() - HeaderSize))
        return fail(u"tag size %1 but %2 bytes follow the header"_s.arg(size).arg(tag.size() - HeaderSize));
    return true;
}

bool Id3v23Reader::readFrames(QByteArrayView frames)
{
    qsizetype at = 0;
    while (at < frames.size()) {
        const QByteArrayView rest = frames.sliced(at);
        if (rest[0] == 0) {
            const bool zeros = std::all_of(rest.begin(), rest.end(), [](char c) { return c == 0; });
            return zeros || fail(u"padding holds non-zero bytes"_s);
        }
        if (rest.size() < HeaderSize)
            return fail(u"frame header cut short"_s);
        if (!std::all_of(rest.begin(), rest.begin() + 4, isFrameIDChar))
            return fail(u"frame ID is not [A-Z0-9]{4}"_s);
        const QString frameID = QString::fromLatin1(rest.first(4));
        const quint32 size = bigEndian(rest.sliced(4, 4));
        if (size == 0 || size > quint32(rest.size() - HeaderSize))
            return fail(u"%1: size %2 outside the tag"_s.arg(frameID).arg(size));
        if (rest[8] != 0 || rest[9] != 0)
            return fail(u"%1: frame flags set"_s.arg(frameID));
        m_frameIDs.append(frameID);
        if (!readFrame(frameID, rest.sliced(HeaderSize, size)))
            return false;
        at += HeaderSize + size;
    }
    return true;
}

bool Id3v23Reader::readFrame(const QString &frameID, QByteArrayView content)
{
    if (content[0] != 0 && content[0] != 1)
        return fail(u"%1: text encoding %2"_s.arg(frameID).arg(int(content[0])));
    if (frameID == u"COMM")
        return readComment(content);
    if (frameID == u"WXXX")
        return readUserURL(content);
    if (frameID == u"APIC")
        return readPicture(content);
    if (frameID.startsWith(u'T') && frameID != u"TXXX")
        return readTextFrame(frameID, content);
    return fail(u"%1: a frame this reader does not know"_s.arg(frameID));
}

bool Id3v23Reader::readTextFrame(const QString &frameID, QByteArrayView content)
{
    if (m_texts.contains(frameID))
        return fail(u"%1 twice"_s.arg(frameID));
    const char encoding = content[0];
    const std::optional<QString> text = decodeString(splitAtTerminator(content.sliced(1), encoding).string, encoding);
    if (!text)
        return fail(u"%1: UTF-16 text without byte-order mark or of odd length"_s.arg(frameID));
    m_texts.insert(frameID, *text);
    return true;
}

bool Id3v23Reader::readComment(QByteArrayView content)
{
    const char encoding = content[0];
    if (content.size() < 4)
        return fail(u"COMM: no language"_s);
    Comment comment{content.sliced(1, 3).toByteArray(), {}, {}};
    if (!std::all_of(comment.language.begin(), comment.language.end(), [](char c) { return c >= 'a' && c <= 'z'; }))
        return fail(u"COMM: language is not three lower-case letters"_s);
    const Split description = splitAtTerminator(content.sliced(4), encoding);
    if (!description.terminated)
        return fail(u"COMM: description without terminator"_s);
    const std::optional<QString> descriptionText = decodeString(description.string, encoding);
    const std::optional<QString> text = decodeString(splitAtTerminator(description.rest, encoding).string, encoding);
    if (!descriptionText || !text)
        return fail(u"COMM: UTF-16 string without byte-order mark or of odd length"_s);
    comment.description = *descriptionText;
    comment.text = *text;
    for (const Comment &other : std::as_const(m_comments)) {
        if (other.language == comment.language && other.description == comment.description)
            return fail(u"COMM: two with the same language and description"_s);
    }
    m_comments.append(comment);
    return true;
}

bool Id3v23Reader::readUserURL(QByteArrayView content)
{
    const char encoding = content[0];
    const Split description = splitAtTerminator(content.sliced(1), encoding);
    if (!description.terminated)
        return fail(u"WXXX: description without terminator"_s);
    const std::optional<QString> descriptionText = decodeString(description.string, encoding);
    if (!descriptionText)
        return fail(u"WXXX: UTF-16 description without byte-order mark or of odd length"_s);
    const UserURL url{*descriptionText, splitAtTerminator(description.rest, 0).string.toByteArray()};
    for (const UserURL &other : std::as_const(m_userURLs)) {
        if (other.description == url.description)
            return fail(u"WXXX: two with the same description"_s);
    }
    m_userURLs.append(url);
    return true;
}

bool Id3v23Reader::readPicture(QByteArrayView content)
{
    const char encoding = content[0];
    const Split mimeType = splitAtTerminator(content.sliced(1), 0);
    if (!mimeType.terminated || mimeType.rest.isEmpty())
        return fail(u"APIC: MIME type without terminator or picture type"_s);
    Picture picture;
    picture.mimeType = mimeType.string.toByteArray();
    picture.pictureType = quint8(mimeType.rest[0]);
    if (picture.pictureType > LastPictureType)
        return fail(u"APIC: picture type %1"_s.arg(picture.pictureType));
    const Split description = splitAtTerminator(mimeType.rest.sliced(1), encoding);
    const std::optional<QString> descriptionText = decodeString(description.string, encoding);
    if (!description.terminated || !descriptionText)
        return fail(u"APIC: description not a terminated string"_s);
    picture.description = *descriptionText;
    picture.data = description.rest.toByteArray();
    if (picture.data.isEmpty())
        return fail(u"APIC: no picture data"_s);
    for (const Picture &other : std::as_const(m_pictures)) {
        if (other.description == picture.description)
            return fail(u"APIC: two with the same description"_s);
    }
    m_pictures.append(picture);
    return true;
}
