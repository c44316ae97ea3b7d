#include "ID3V1Tag.h"

#include "StringUtils.h"

using namespace Qt::Literals::StringLiterals;

QString ID3V1Tag::limitStringByLength(const QString &text, int length)
{
    return text.isNull() ? QString() : text.left(length);
}

void ID3V1Tag::writeStringWithFixedLengthToData(const QString &text, int width, QByteArray &data)
{
    StringUtils::writeStringToMutableData(text, data);
    if (text.size() < width)
        StringUtils::writeStringToMutableData(QString(width - text.size(), QChar(u'\0')), data);
}

QByteArray ID3V1Tag::createDataForWriteToFile() const
{
    QByteArray data;
    StringUtils::writeStringToMutableData(u"TAG"_s, data);
    writeStringWithFixedLengthToData(m_title, 30, data);
    writeStringWithFixedLengthToData(m_artist, 30, data);
    writeStringWithFixedLengthToData(m_album, 30, data);
    writeStringWithFixedLengthToData(m_year, 4, data);
    // A zero, then the track left at zero ("none"): readers take the 30th
    // byte of a comment that fills the field for a track number.
    writeStringWithFixedLengthToData(m_comment, CommentLength, data);
    data.append(QByteArray(2, '\0'));
    StringUtils::writeIntToMutableData(genreIndexForGenre(m_genre), data, 1);
    return data;
}

const QStringList &ID3V1Tag::genresArray()
{
    // Never destroyed: converters tag on their own threads.
    static const auto *Genres = new QStringList{
        u"Blues"_s, u"Classic Rock"_s, u"Country"_s, u"Dance"_s, u"Disco"_s, u"Funk"_s, u"Grunge"_s,
        u"Hip-Hop"_s, u"Jazz"_s, u"Metal"_s, u"New Age"_s, u"Oldies"_s, u"Other"_s, u"Pop"_s, u"R&B"_s,
        u"Rap"_s, u"Reggae"_s, u"Rock"_s, u"Techno"_s, u"Industrial"_s, u"Alternative"_s, u"Ska"_s,
        u"Death Metal"_s, u"Pranks"_s, u"Soundtrack"_s, u"Euro-Techno"_s, u"Ambient"_s, u"Trip-Hop"_s,
        u"Vocal"_s, u"Jazz+Funk"_s, u"Fusion"_s, u"Trance"_s, u"Classical"_s, u"Instrumental"_s, u"Acid"_s,
        u"House"_s, u"Game"_s, u"Sound Clip"_s, u"Gospel"_s, u"Noise"_s, u"AlternRock"_s, u"Bass"_s,
        u"Soul"_s, u"Punk"_s, u"Space"_s, u"Meditative"_s, u"Instrumental Pop"_s, u"Instrumental Rock"_s,
        u"Ethnic"_s, u"Gothic"_s, u"Darkwave"_s, u"Techno-Industrial"_s, u"Electronic"_s, u"Pop-Folk"_s,
        u"Eurodance"_s, u"Dream"_s, u"Southern Rock"_s, u"Comedy"_s, u"Cult"_s, u"Gangsta"_s, u"Top 40"_s,
        u"Christian Rap"_s, u"Pop/Funk"_s, u"Jungle"_s, u"Native American"_s, u"Cabaret"_s, u"New Wave"_s,
        u"Psychadelic"_s, u"Rave"_s, u"Showtunes"_s, u"Trailer"_s, u"Lo-Fi"_s, u"Tribal"_s, u"Acid Punk"_s,
        u"Acid Jazz"_s, u"Polka"_s, u"Retro"_s, u"Musical"_s, u"Rock & Roll"_s, u"Hard Rock"_s, u"Folk"_s,
        u"Folk-Rock"_s, u"National Folk"_s, u"Swing"_s, u"Fast Fusion"_s, u"Bebob"_s, u"Latin"_s,
        u"Revival"_s, u"Celtic"_s, u"Bluegrass"_s, u"Avantgarde"_s, u"Gothic Rock"_s, u"Progressive Rock"_s,
        u"Psychedelic Rock"_s, u"Symphonic Rock"_s, u"Slow Rock"_s, u"Big Band"_s, u"Chorus"_s,
        u"Easy Listening"_s, u"Acoustic"_s, u"Humour"_s, u"Speech"_s, u"Chanson"_s, u"Opera"_s,
        u"Chamber Music"_s, u"Sonata"_s, u"Symphony"_s, u"Booty Bass"_s, u"Primus"_s, u"Porn Groove"_s,
        u"Satire"_s, u"Slow Jam"_s, u"Club"_s, u"Tango"_s, u"Samba"_s, u"Folklore"_s, u"Ballad"_s,
        u"Power Ballad"_s, u"Rhythmic Soul"_s, u"Freestyle"_s, u"Duet"_s, u"Punk Rock"_s, u"Drum Solo"_s,
        u"A capella"_s, u"Euro-House"_s, u"Dance Hall"_s, u"Goa"_s, u"Drum & Bass"_s, u"Club-House"_s,
        u"Hardcore"_s, u"Terror"_s, u"Indie"_s, u"BritPop"_s, u"Negerpunk"_s, u"Polsk Punk"_s, u"Beat"_s,
        u"Christian Gangsta"_s, u"Heavy Metal"_s, u"Black Metal"_s, u"Crossover"_s,
        u"Contemporary Christian"_s, u"Christian Rock"_s, u"Merengue"_s, u"Salsa"_s, u"Thrash Metal"_s,
        u"Anime"_s, u"JPop"_s, u"SynthPop"_s, u""_s,
    };
    return *Genres;
}

int ID3V1Tag::genreIndexForGenre(const QString &genre)
{
    constexpr int Other = 12;
    if (genre.isNull())
        return Other;
    const qsizetype index = genresArray().indexOf(genre);
    return index < 0 ? Other : int(index);
}
