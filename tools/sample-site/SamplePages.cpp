#include "SamplePages.h"

#include "SampleMedia.h"

#include <QCryptographicHash>
#include <QStringList>
#include <QUrl>

using namespace Qt::Literals::StringLiterals;

namespace {

QByteArray codeHash(const QString &code)
{
    return QCryptographicHash::hash(code.toUtf8(), QCryptographicHash::Sha1);
}

int pick(const QString &code, int byte, int count)
{
    return quint8(codeHash(code).at(byte)) % count;
}

QString htmlEscaped(const QString &text)
{
    QString escaped = text.toHtmlEscaped();
    escaped.replace(u'\'', u"&#39;"_s);
    return escaped;
}

// Percent-encodes everything but letters and digits, as the page does.
QByteArray percentEncoded(const QString &text)
{
    return QUrl::toPercentEncoding(text, "._-");
}

QByteArray streamEntry(const QString &code, const SampleMedia::Format &format)
{
    return "url=" + percentEncoded(SamplePages::streamUrl(code, format.itag))
        + "\\u0026quality=" + format.quality
        + "\\u0026fallback_host=tc.v1.cache1.c.youtube.com"
        + "\\u0026type=" + percentEncoded(QString::fromLatin1(format.type)).replace("%20", "+")
        + "\\u0026itag=" + QByteArray::number(format.itag);
}

} // namespace

QString SamplePages::title(const QString &code)
{
    static const QStringList first{u"Midnight"_s, u"Paper"_s, u"Golden"_s, u"Quiet"_s, u"Electric"_s, u"Northern"_s};
    static const QStringList second{u"Harbour"_s, u"Lanterns"_s, u"Rumba"_s, u"Engines"_s, u"Gardens"_s, u"Tides"_s};
    static const QStringList third{u"(Live)"_s, u"- Acoustic Session"_s, u"\"Remastered\""_s, u"& Friends"_s,
                                   u"Don't Stop"_s, u"Part 2/3"_s};
    return u"%1 %2 %3"_s.arg(first.at(pick(code, 0, 6)), second.at(pick(code, 1, 6)), third.at(pick(code, 2, 6)));
}

int SamplePages::lengthSeconds(const QString &code)
{
    return 30 + pick(code, 3, 250) * 2;
}

QString SamplePages::streamUrl(const QString &code, int itag)
{
    return u"http://o-o.preferred.sample.v1.lscache1.c.youtube.com/videoplayback?id="_s
        + QString::fromLatin1(QUrl::toPercentEncoding(code)) + u"&itag="_s + QString::number(itag)
        + u"&sparams=id%2Citag&signature="_s + QString::fromLatin1(codeHash(code).toHex().toUpper());
}

QByteArray SamplePages::watchPage(const QString &code)
{
    QByteArrayList entries;
    for (const SampleMedia::Format &format : SampleMedia::formats())
        entries.append(streamEntry(code, format));
    const QByteArray name = htmlEscaped(title(code)).toUtf8();
    const QByteArray id = htmlEscaped(code).toUtf8();
    return "<!DOCTYPE html>\n<html lang=\"en\" dir=\"ltr\">\n<head>\n"
           "<title>\n        " + name + "\n      - YouTube\n  </title>\n"
           "<meta name=\"title\" content=\"" + name + "\">\n"
           "<link rel=\"canonical\" href=\"/watch?v=" + id + "\">\n"
           "</head>\n<body>\n<div id=\"watch-player\"></div>\n"
           "<script>\n"
           "    var swfConfig = {\"url\": \"http:\\/\\/s.ytimg.com\\/yt\\/swfbin\\/watch_as3.swf\"};\n"
           "    yt.setConfig({'PLAYER_CONFIG': {\"assets\": {\"css\": \"http:\\/\\/s.ytimg.com\\/yt\\/cssbin\\/www-player.css\"}, "
           "\"args\": {\"rv.1.length_seconds\": 284, \"video_id\": \"" + id + "\", "
           "\"length_seconds\": " + QByteArray::number(lengthSeconds(code)) + ", "
           "\"title\": \"" + name + "\", "
           "\"url_encoded_fmt_stream_map\": \"" + entries.join(',') + "\", "
           "\"fmt_list\": \"22\\/1280x720\\/9\\/0\\/115,18\\/640x360\\/9\\/0\\/115\"}}});\n"
           "</script>\n"
           "<div id=\"watch-description\">\n"
           "<p id=\"eow-description\" >Recorded for the sample site (video " + id + ").<br /><br />"
           "Tracks &amp; credits:<br />1. Opening &quot;theme&quot;<br />"
           "More at <a href=\"http://www.example.com/\" rel=\"nofollow\">http://www.example.com/</a> &mdash; thanks!</p>\n"
           "</div>\n</body>\n</html>\n";
}
