#pragma once

#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QString>

// What mutagen, a tag reader we did not write, finds in an MP3 file. Empty
// fields where a frame is missing; "id3" false when there is no ID3v2 tag.
inline QJsonObject mutagenRead(const QString &path)
{
    static const QString Script = QStringLiteral(R"(
import json, sys
from mutagen.id3 import ID3, ID3NoHeaderError
data = open(sys.argv[1], "rb").read()
result = {"id3": False, "v1": data[-128:-125].decode("latin-1"),
          "v1_title": data[-125:-95].rstrip(b"\0").decode("latin-1"),
          "v1_comment": data[-31:-1].rstrip(b"\0").decode("latin-1")}
try:
    tags = ID3(sys.argv[1], v2_version=3)
    pictures = tags.getall("APIC")
    result.update({
        "id3": data[:3] == b"ID3",
        "version": tags.version[1],
        "title": str(tags["TIT2"].text[0]) if "TIT2" in tags else "",
        "url": tags["WXXX:"].url if "WXXX:" in tags else "",
        "comment": str(tags["COMM::eng"].text[0]) if "COMM::eng" in tags else "",
        "cover_mime": pictures[0].mime if pictures else "",
        "cover_type": int(pictures[0].type) if pictures else -1,
        "cover_hex": pictures[0].data.hex() if pictures else "",
    })
except ID3NoHeaderError:
    pass
print(json.dumps(result))
)");
    QProcess python;
    python.start(QStringLiteral("/usr/bin/python3"), {QStringLiteral("-c"), Script, path});
    python.waitForFinished(30'000);
    return QJsonDocument::fromJson(python.readAllStandardOutput()).object();
}
