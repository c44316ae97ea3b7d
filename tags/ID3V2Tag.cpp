#include "ID3V2Tag.h"

#include "ID3V2CommentFrame.h"
#include "ID3V2ImageFrame.h"
#include "ID3V2TextFrame.h"
#include "ID3V2URLFrame.h"
#include "StringUtils.h"

#include <QBuffer>
#include <QDeadlineTimer>
#include <QImage>
#include <QUrl>

using namespace Qt::Literals::StringLiterals;

namespace {

constexpr qint64 MaxPictureBytes = 16 * 1024 * 1024;

std::shared_ptr<ID3V2Frame> textFrame(const QString &frameID, const QString &text)
{
    std::shared_ptr<ID3V2Frame> frame;
    if (frameID == u"WXXX")
        frame = std::make_shared<ID3V2URLFrame>(frameID);
    else if (frameID == u"COMM")
        frame = std::make_shared<ID3V2CommentFrame>(frameID);
    else
        frame = std::make_shared<ID3V2TextFrame>(frameID);
    frame->setFrameContent(text);
    return frame;
}

} // namespace

ID3V2Tag::ID3V2Tag() = default;

ID3V2Tag::~ID3V2Tag() = default;

bool ID3V2Tag::addImageByURL(const QString &url, const HttpClient::CancelCheck &cancelled,
                             std::chrono::milliseconds timeLimit)
{
    const QDeadlineTimer deadline(timeLimit);
    HttpClient client([&] { return deadline.hasExpired() || (cancelled && cancelled()); }, timeLimit);
    const std::optional<QByteArray> bytes = client.fetch(QUrl(url), MaxPictureBytes);
    return bytes && addImageData(*bytes);
}

bool ID3V2Tag::addImageData(const QByteArray &bytes)
{
    const QImage picture = QImage::fromData(bytes);
    if (picture.isNull())
        return false;
    QBuffer jpeg;
    jpeg.open(QIODevice::WriteOnly);
    if (!picture.save(&jpeg, "JPEG"))
        return false;
    m_images.append(jpeg.data());
    return true;
}

QList<std::shared_ptr<ID3V2Frame>> ID3V2Tag::createFrames() const
{
    QList<std::shared_ptr<ID3V2Frame>> frames{
        textFrame(u"TIT2"_s, m_title), textFrame(u"TALB"_s, m_album),   textFrame(u"TPE1"_s, m_artist),
        textFrame(u"TCON"_s, m_genre), textFrame(u"COMM"_s, m_comment), textFrame(u"WXXX"_s, m_URL),
    };
    for (const QByteArray &image : m_images) {
        auto frame = std::make_shared<ID3V2ImageFrame>(u"APIC"_s);
        frame->setImageData(image);
        frames.append(frame);
    }
    return frames;
}

qint32 ID3V2Tag::calculateTagSizeValue(const QList<std::shared_ptr<ID3V2Frame>> &frames)
{
    qint32 size = 0;
    for (const auto &frame : frames) {
        if (frame->contentSize() >= 1)
            size += frame->frameTotalSize();
    }
    return size;
}

QByteArray ID3V2Tag::buildTagData() const
{
    const auto frames = createFrames();
    QByteArray data;
    StringUtils::writeStringToMutableData(u"ID3"_s, data);
    StringUtils::writeIntToMutableData(3, data, 2);
    StringUtils::writeIntToMutableData(0, data, 1);
    StringUtils::writeIntToMutableData(ID3V2Frame::reverseBytesForIntegerValue(calculateTagSizeValue(frames)), data, 4);
    for (const auto &frame : frames)
        frame->writeToData(data);
    return data;
}
