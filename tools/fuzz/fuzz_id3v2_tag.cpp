// The ID3v2.3 writer, read back by a strict reader of the standard. The
// input holds the fields in order, separated by 0xFF bytes (never part of
// UTF-8): title, artist, album, comment, genre, URL; the rest is the cover
// picture as fetched, in any format.
#include "FuzzSupport.h"
#include "ID3V2Tag.h"
#include "Id3v23Reader.h"

#include <QCoreApplication>
#include <QImage>
#include <QImageReader>

using namespace Qt::Literals::StringLiterals;

namespace {

constexpr char FieldSeparator = '\xFF';
constexpr int TextFields = 6;

struct Fields
{
    QString title, artist, album, comment, genre, url;
    QByteArray cover;
};

Fields splitFields(const uint8_t *data, size_t size)
{
    QByteArrayView rest(data, qsizetype(size));
    QStringList texts;
    while (texts.size() < TextFields) {
        const qsizetype end = rest.indexOf(FieldSeparator);
        texts.append(QString::fromUtf8(end < 0 ? rest : rest.first(end)));
        rest = end < 0 ? QByteArrayView() : rest.sliced(end + 1);
    }
    return {texts[0], texts[1], texts[2], texts[3], texts[4], texts[5], rest.toByteArray()};
}

// What the tag promises to keep: NUL ends ID3v2.3 text, so it is left out.
Fields withoutNul(Fields fields)
{
    for (QString *text : {&fields.title, &fields.artist, &fields.album, &fields.comment, &fields.genre, &fields.url})
        text->remove(QChar(u'\0'));
    return fields;
}

bool isLatin1(const QString &text)
{
    return std::all_of(text.cbegin(), text.cend(), [](QChar c) { return c.unicode() <= 0xFF; });
}

// A frame is written exactly when its field has something to say.
QStringList expectedFrameIDs(const Fields &fields, bool withPicture)
{
    const std::pair<const QString &, QString> frames[] = {
        {fields.title, u"TIT2"_s}, {fields.album, u"TALB"_s},   {fields.artist, u"TPE1"_s},
        {fields.genre, u"TCON"_s}, {fields.comment, u"COMM"_s}, {fields.url, u"WXXX"_s},
    };
    QStringList ids;
    for (const auto &[field, id] : frames) {
        if (!field.isEmpty())
            ids.append(id);
    }
    if (withPicture)
        ids.append(u"APIC"_s);
    ids.sort();
    return ids;
}

void checkTexts(const Id3v23Reader &reader, const Fields &fields)
{
    require(reader.text(u"TIT2"_s) == fields.title, "TIT2 reads back as the title");
    require(reader.text(u"TALB"_s) == fields.album, "TALB reads back as the album");
    require(reader.text(u"TPE1"_s) == fields.artist, "TPE1 reads back as the artist");
    require(reader.text(u"TCON"_s) == fields.genre, "TCON reads back as the genre");
}

void checkComment(const Id3v23Reader &reader, const Fields &fields)
{
    if (fields.comment.isEmpty())
        return;
    const Id3v23Reader::Comment comment = reader.comments().value(0);
    require(comment.language == "eng", "COMM in English");
    require(comment.description.isEmpty(), "COMM with an empty description");
    require(comment.text == fields.comment, "COMM reads back as the comment");
}

// An address beyond ISO-8859-1 is written percent-encoded: plain ASCII.
void checkUserURL(const Id3v23Reader &reader, const Fields &fields)
{
    if (fields.url.isEmpty())
        return;
    const Id3v23Reader::UserURL url = reader.userURLs().value(0);
    require(url.description.isEmpty(), "WXXX with an empty description");
    if (isLatin1(fields.url)) {
        require(url.url == fields.url.toLatin1(), "WXXX reads back as the ISO-8859-1 address");
        return;
    }
    require(!url.url.isEmpty(), "WXXX keeps an address beyond ISO-8859-1");
    require(std::all_of(url.url.begin(), url.url.end(), [](char c) { return c > 0x20 && c < 0x7F; }),
            "WXXX writes an address beyond ISO-8859-1 as printable ASCII");
}

// The cover as a JPEG front cover of the picture's own size.
void checkPicture(const Id3v23Reader &reader, const Fields &fields, bool added)
{
    if (!added)
        return;
    const QImage original = QImage::fromData(fields.cover);
    require(!original.isNull(), "a picture is added only from a readable one");
    const Id3v23Reader::Picture picture = reader.pictures().value(0);
    require(picture.mimeType == "image/jpeg" && picture.pictureType == 3, "APIC is a JPEG front cover");
    require(picture.description.isEmpty(), "APIC with an empty description");
    const QImage written = QImage::fromData(picture.data, "JPEG");
    require(!written.isNull(), "APIC holds a readable JPEG");
    require(written.size() == original.size(), "APIC keeps the picture's size");
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    // The JPEG writer is a plugin, which wants an application object. A
    // cover is a few hundred pixels square: a forged header must not make a
    // run decode and re-encode a huge picture.
    static int argc = 1;
    static char name[] = "fuzz_id3v2_tag";
    static char *argv[] = {name, nullptr};
    static QCoreApplication application(argc, argv);
    QImageReader::setAllocationLimit(8);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const Fields given = splitFields(data, size);
    ID3V2Tag tag;
    tag.setTitle(given.title);
    tag.setArtist(given.artist);
    tag.setAlbum(given.album);
    tag.setComment(given.comment);
    tag.setGenre(given.genre);
    tag.setURL(given.url);
    const Fields fields = withoutNul(given);
    const bool added = tag.addImageData(fields.cover);
    require(tag.imagesArray().size() == (added ? 1 : 0), "a picture is kept exactly when it was added");

    const Id3v23Reader reader(tag.buildTagData());
    if (!reader.error().isEmpty()) {
        std::fprintf(stderr, "malformed tag: %s\n", qPrintable(reader.error()));
        require(false, "the tag is well-formed ID3v2.3");
    }
    QStringList ids = reader.frameIDs();
    ids.sort();
    require(ids == expectedFrameIDs(fields, added), "one frame per field set, and the cover");
    checkTexts(reader, fields);
    checkComment(reader, fields);
    checkUserURL(reader, fields);
    checkPicture(reader, fields, added);
    return 0;
}
