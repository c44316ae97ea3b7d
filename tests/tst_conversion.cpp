#include "AudioMp3Converter.h"
#include "ConfinedFolder.h"
#include "DownloadList.h"
#include "RecordingOwner.h"
#include "RowTexts.h"
#include "SiteFixture.h"
#include "StandInProgram.h"
#include "TestMedia.h"
#include "TestRowViews.h"

#include <QFileInfo>
#include <QImage>
#include <QScopeGuard>
#include <QTest>
#include <QThread>
#include <QtEndian>

#include <taglib/attachedpictureframe.h>
#include <taglib/id3v1tag.h>
#include <taglib/id3v2tag.h>
#include <taglib/mpegfile.h>
#include <taglib/urllinkframe.h>

using namespace Qt::Literals::StringLiterals;

namespace {

const QString Link = SiteFixture::watchLink(u"item"_s);

// A watch page with one MP4 stream and a description longer than an ID3v1
// comment.
QByteArray watchPage(const QString &title)
{
    return "<title>" + title.toHtmlEscaped().toUtf8()
        + "</title><script>'PLAYER_CONFIG': {\"url_encoded_fmt_stream_map\": \"url=http%3A%2F%2Fs.youtube.com%2F"
          "videoplayback%3Fitag%3D18\\u0026quality=medium\\u0026type=video%2Fmp4%3B\"}</script>"
          "<p id=\"eow-description\" >Line one<br />Zoë &amp; more from the harbour stage</p>";
}

QString fromTagLib(const TagLib::String &text)
{
    return QString::fromStdString(text.to8Bit(true));
}

// What TagLib, a reader we did not write, finds in an MP3 file.
QStringList readTags(const QString &path)
{
    TagLib::MPEG::File file(QFile::encodeName(path).constData());
    QStringList found;
    if (TagLib::ID3v2::Tag *tag = file.ID3v2Tag(); file.hasID3v2Tag() && tag->header()->majorVersion() == 3) {
        found << u"title "_s + fromTagLib(tag->title()) << u"comment "_s + fromTagLib(tag->comment());
        for (const auto *frame : tag->frameListMap()["WXXX"])
            found << u"url "_s + fromTagLib(static_cast<const TagLib::ID3v2::UserUrlLinkFrame *>(frame)->url());
        for (const auto *frame : tag->frameListMap()["APIC"]) {
            const auto *picture = static_cast<const TagLib::ID3v2::AttachedPictureFrame *>(frame);
            const QImage image = QImage::fromData(QByteArray(picture->picture().data(), int(picture->picture().size())), "JPEG");
            found << u"picture %1 %2x%3 type %4"_s.arg(fromTagLib(picture->mimeType()))
                         .arg(image.width())
                         .arg(image.height())
                         .arg(int(picture->type()));
        }
    }
    if (file.hasID3v1Tag())
        found << u"v1 title "_s + fromTagLib(file.ID3v1Tag()->title()) << u"v1 comment "_s + fromTagLib(file.ID3v1Tag()->comment());
    return found;
}

} // namespace

// From a downloaded video to the finished MP3 or WAV: converter, encoder,
// tags, and what the item does around them.
class TestConversion : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        m_fixture = std::make_unique<SiteFixture>();
        QVERIFY(m_fixture->isReady());
        QVERIFY(TestMedia::makeMp4(media(u"stereo44.mp4"_s), 3, 44100, 2, true));
        QVERIFY(TestMedia::makeMp4(media(u"mono.mp4"_s), 2, 44100, 1));
        QVERIFY(TestMedia::makeMp4(media(u"six48.mp4"_s), 2, 48000, 6));
        QVERIFY(TestMedia::makeMp4(media(u"long.mp4"_s), 8, 44100, 2));
        QVERIFY(TestMedia::ffmpeg({u"-f"_s, u"lavfi"_s, u"-i"_s, u"testsrc2=size=160x120:duration=1"_s, u"-c:v"_s,
                                   u"libx264"_s, u"-an"_s, media(u"silent.mp4"_s)}));
        QVERIFY(SiteFixture::writeFile(media(u"garbage.mp4"_s), QByteArray(5000, 'x')));
        // The site's clip has its index in front, so that only the sound ends early.
        const QByteArray whole = m_fixture->streamBytes(18);
        QVERIFY(SiteFixture::writeFile(media(u"truncated.mp4"_s), whole.left(whole.size() / 2)));
        // Whole but for the packet of sound in its middle, whose start is zeroed.
        const QStringList packets = TestMedia::probe(media(u"long.mp4"_s), u"packet=pos"_s).split(u'\n');
        QByteArray damaged = SiteFixture::fileBytes(media(u"long.mp4"_s));
        damaged.replace(packets.at(packets.size() / 2).toLongLong(), 16, QByteArray(16, '\0'));
        QVERIFY(SiteFixture::writeFile(media(u"damaged.mp4"_s), damaged));
    }

    void init()
    {
        m_owner = std::make_shared<RecordingOwner>();
        YoutubeProgramPreferences &preferences = m_fixture->preferences;
        preferences.setOutputFormat(OutputFormat::Mp3);
        preferences.setBitrate(320);
        preferences.setFrequency(44100);
        preferences.setSoundMode(SoundMode::Stereo);
        preferences.setSaveID3Tags(true);
        preferences.setWriteDescriptionToID3Tags(true);
        preferences.setDeleteInputFileAfterConvert(false);
        m_fixture->site.setPage(u"item"_s, watchPage(u"Song"_s));
        m_fixture->site.media().setStreamFile(18, media(u"stereo44.mp4"_s));
    }

    void cleanup()
    {
        YoutubeDownloader::removeAll(m_items);
        m_items.clear();
        m_fixture->clearOutput();
    }

    void wavHeader()
    {
        QCOMPARE(AudioConverter::wavHeader(2, 44100, 1000),
                 QByteArray::fromHex("524946460c04000057415645666d7420100000000100020044ac000010b102000400100064617461e8030000"));
        // Sizes beyond 32 bits are written as the largest value.
        const QByteArray huge = AudioConverter::wavHeader(1, 48000, 5'000'000'000);
        QCOMPARE(huge.mid(4, 4) + huge.mid(40, 4), QByteArray(8, '\xff'));
    }

    void sound_data()
    {
        QTest::addColumn<QString>("video");
        QTest::addColumn<OutputFormat>("format");
        QTest::addColumn<int>("bitrate");
        QTest::addColumn<int>("frequency");
        QTest::addColumn<SoundMode>("soundMode");
        QTest::addColumn<QString>("probed"); // codec, rate, channels, bit rate

        const auto Wav = OutputFormat::Wav, Mp3 = OutputFormat::Mp3;
        const auto Stereo = SoundMode::Stereo, Mono = SoundMode::Mono;
        QTest::newRow("wav from stereo with a picture") << u"stereo44.mp4"_s << Wav << 0 << 0 << Stereo << u"pcm_s16le 44100 2 1411200"_s;
        QTest::newRow("wav from mono") << u"mono.mp4"_s << Wav << 0 << 0 << Stereo << u"pcm_s16le 44100 1 705600"_s;
        QTest::newRow("wav keeps six channels at 48 kHz") << u"six48.mp4"_s << Wav << 0 << 0 << Stereo << u"pcm_s16le 48000 6 4608000"_s;
        QTest::newRow("mp3, stereo") << u"stereo44.mp4"_s << Mp3 << 320 << 44100 << Stereo << u"mp3 44100 2 320000"_s;
        QTest::newRow("mp3, mono, resampled") << u"stereo44.mp4"_s << Mp3 << 128 << 22050 << Mono << u"mp3 22050 1 128000"_s;
        QTest::newRow("mp3 from six channels mixed to two") << u"six48.mp4"_s << Mp3 << 256 << 44100 << Stereo << u"mp3 44100 2 256000"_s;
    }

    // What the encoder settings ask for, with every block of sound there once.
    void sound()
    {
        QFETCH(QString, video);
        QFETCH(OutputFormat, format);
        QFETCH(int, bitrate);
        QFETCH(int, frequency);
        QFETCH(SoundMode, soundMode);
        QFETCH(QString, probed);
        m_fixture->site.media().setStreamFile(18, media(video));
        m_fixture->preferences.setOutputFormat(format);
        m_fixture->preferences.setBitrate(bitrate);
        m_fixture->preferences.setFrequency(frequency);
        m_fixture->preferences.setSoundMode(soundMode);
        auto item = startItem();
        QVERIFY(waitForStatus(item, StatusFinished));
        const QString output = m_fixture->outputPath(format == OutputFormat::Mp3 ? u"Song.mp3"_s : u"Song.wav"_s);
        QCOMPARE(item->wholeFilePath(), output);
        QCOMPARE(TestMedia::probe(output, u"stream=codec_name,sample_rate,channels,bit_rate"_s).replace(u'\n', u' '), probed);
        if (format == OutputFormat::Mp3) {
            const double source = TestMedia::decodedSeconds(media(video), scratch(u"source.pcm"_s));
            const double encoded = TestMedia::decodedSeconds(output, scratch(u"encoded.pcm"_s));
            QVERIFY2(qAbs(encoded - source) <= 0.050, qPrintable(u"%1 s against %2 s"_s.arg(encoded).arg(source)));
            return;
        }
        const QByteArray wav = SiteFixture::fileBytes(output);
        QCOMPARE(wav.mid(44), TestMedia::decodedPcm(media(video), scratch(u"ffmpeg.pcm"_s)));
        QCOMPARE(qFromLittleEndian<quint32>(wav.constData() + 4), quint32(wav.size() - 8));
        QCOMPARE(qFromLittleEndian<quint32>(wav.constData() + 40), quint32(wav.size() - 44));
    }

    void tags_data()
    {
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("v1Title");
        QTest::addColumn<bool>("tags");
        QTest::addColumn<bool>("description");
        QTest::addColumn<bool>("deleteVideo");

        QTest::newRow("latin-1 with the description") << u"Café für Zoë (Live)"_s << u"Café für Zoë (Live)"_s << true
                                                      << true << false;
        QTest::newRow("cyrillic with the maker's address") << u"Кино — Группа крови"_s << u"???? ? ?????? ?????"_s
                                                           << true << false << false;
        QTest::newRow("japanese and emoji, video deleted") << u"夜に駆ける \U0001F3B5"_s << u"????? ??"_s << true << true
                                                           << true;
        QTest::newRow("no tags") << u"Song"_s << QString() << false << true << false;
    }

    void tags()
    {
        QFETCH(QString, title);
        QFETCH(QString, v1Title);
        QFETCH(bool, tags);
        QFETCH(bool, description);
        QFETCH(bool, deleteVideo);
        m_fixture->preferences.setSaveID3Tags(tags);
        m_fixture->preferences.setWriteDescriptionToID3Tags(description);
        m_fixture->preferences.setDeleteInputFileAfterConvert(deleteVideo);
        m_fixture->site.setPage(u"item"_s, watchPage(title));
        auto item = startItem();
        QVERIFY(waitForStatus(item, StatusFinished));

        const QString mp3 = m_fixture->outputPath(title + u".mp3"_s);
        QCOMPARE(item->wholeFilePath(), mp3);
        QCOMPARE(QFile::exists(m_fixture->outputPath(title + u".mp4"_s)), !deleteVideo);
        const QString comment = description ? u"Line one\nZoë & more from the harbour stage"_s : u"http://www.vantrel.example"_s;
        const QStringList expected{u"title "_s + title,
                                   u"comment "_s + comment,
                                   u"url "_s + Link,
                                   u"picture image/jpeg 480x360 type 3"_s,
                                   u"v1 title "_s + v1Title,
                                   u"v1 comment "_s + (description ? u"Line one\nZoë & more from the"_s : comment)};
        QCOMPARE(readTags(mp3), tags ? expected : QStringList());
        // The tags in front and behind leave every frame in place: 117 of
        // 1152 samples at 44.1 kHz, three seconds with the encoder's padding.
        QCOMPARE(TestMedia::probe(mp3, u"stream=codec_name,duration"_s).replace(u'\n', u' '), u"mp3 3.056327"_s);
    }

    void hostileTitles_data()
    {
        QTest::addColumn<QString>("title"); // in the page
        QTest::addColumn<QString>("name");  // of the MP3
        QTest::addColumn<QString>("tagTitle");
        QTest::addColumn<QString>("v1Title");

        QTest::newRow("controls") << u"Tab\tNUL\u0000Esc\u001B[31m"_s << u"Tab NUL_Esc_[31m.mp3"_s << u"Tab NUL_Esc_[31m"_s
                                  << u"Tab NUL_Esc_[31m"_s;
        QTest::newRow("quotes and shell") << u"\"Don't\" $(touch pwned) `id`"_s << u"\"Don't\" $(touch pwned) `id`.mp3"_s
                                          << u"\"Don't\" $(touch pwned) `id`"_s << u"\"Don't\" $(touch pwned) `id`"_s;
        QTest::newRow("backslashes") << u"..\\..\\x"_s << u"..-..-x.mp3"_s << u"..-..-x"_s << u"..-..-x"_s;
        QTest::newRow("only dots") << u".."_s << u"...mp3"_s << u".."_s << u".."_s;
        QTest::newRow("1000 characters") << QString(1000, u'é') << QString(117, u'é') + u".mp3"_s << QString(1000, u'é')
                                         << QString(30, u'é');
        QTest::newRow("right to left") << u"\u05E9\u05DC\u05D5\u05DD \u200Fsong\u202Egpj.exe"_s
                                       << u"\u05E9\u05DC\u05D5\u05DD \u200Fsonggpj.exe.mp3"_s
                                       << u"\u05E9\u05DC\u05D5\u05DD \u200Fsong\u202Egpj.exe"_s << u"???? ?song?gpj.exe"_s;
    }

    // Whatever the page calls the video, the MP3 lands in the output folder
    // under a name the file system takes, and its tags hold the title.
    void hostileTitles()
    {
        QFETCH(QString, title);
        QFETCH(QString, name);
        QFETCH(QString, tagTitle);
        QFETCH(QString, v1Title);
        m_fixture->preferences.setDeleteInputFileAfterConvert(true);
        m_fixture->site.setPage(u"item"_s, watchPage(title));
        auto item = startItem();
        QVERIFY(waitForStatus(item, StatusFinished));
        QCOMPARE(m_fixture->outputEntries(), QStringList{name});
        const QStringList tags = readTags(m_fixture->outputPath(name));
        QCOMPARE(tags.value(0), u"title "_s + tagTitle);
        QCOMPARE(tags.value(4), u"v1 title "_s + v1Title);
        QVERIFY(!QFile::exists(u"pwned"_s) && !QFile::exists(m_fixture->outputPath(u"pwned"_s)));
    }

    void unwritableOutput_data()
    {
        QTest::addColumn<bool>("readOnly");
        QTest::addColumn<qint64>("freeBytes"); // -1: all the room there is
        QTest::addColumn<int>("pausedAs");
        QTest::addColumn<QString>("note");

        QTest::newRow("read-only folder") << true << qint64(-1) << int(StatusDownloadPaused)
                                          << u"Could not save the video file"_s;
        QTest::newRow("full while downloading") << false << qint64(20'000) << int(StatusDownloadPaused)
                                                << u"Could not save the video file"_s;
        // The video fits, its sound as WAV does not.
        QTest::newRow("full while converting") << false << qint64(400'000) << int(StatusConvertPaused)
                                               << u"Conversion failed"_s;
    }

    // The item stops with the reason and nothing at the output's name; once
    // there is room, Resume ends with the whole file.
    void unwritableOutput()
    {
        QFETCH(bool, readOnly);
        QFETCH(qint64, freeBytes);
        QFETCH(int, pausedAs);
        QFETCH(QString, note);
        const QString folder = m_fixture->outputPath(u"confined"_s);
        QVERIFY(QDir().mkpath(folder));
        m_fixture->preferences.setSavedFolderPath(folder);
        const auto restore = qScopeGuard([this] { m_fixture->preferences.setSavedFolderPath(m_fixture->outputDir.path()); });
        m_fixture->preferences.setOutputFormat(OutputFormat::Wav);
        m_fixture->preferences.setDeleteInputFileAfterConvert(true);
        m_fixture->site.media().setStreamFile(18, media(u"long.mp4"_s));
        ConfinedFolder confined(folder);
        if (readOnly && !confined.canBeReadOnly())
            QSKIP("no folder is read-only to root without a mount of its own");
        confined.setReadOnly(readOnly);
        confined.fill(freeBytes);

        auto item = startItem();
        QVERIFY(waitForStatus(item, YoutubeStatus(pausedAs)));
        const QString reason = readOnly ? confined.readOnlyReason() : confined.fullReason();
        QVERIFY2(item->statusNote().startsWith(note + u": "_s + reason), qPrintable(item->statusNote()));
        QVERIFY(!QFile::exists(folder + u"/Song.wav"_s));
        QCOMPARE(QFile::exists(folder + u"/Song.mp4"_s), pausedAs == StatusConvertPaused);

        confined.setReadOnly(false);
        confined.fill(-1);
        item->resume();
        QVERIFY(waitForStatus(item, StatusFinished));
        QCOMPARE(SiteFixture::entries(folder), QStringList{u"Song.wav"_s});
        QCOMPARE(SiteFixture::fileBytes(folder + u"/Song.wav"_s).mid(44),
                 TestMedia::decodedPcm(media(u"long.mp4"_s), scratch(u"ffmpeg.pcm"_s)));
    }

    // Paused halfway, the conversion waits; a change of format meanwhile
    // changes nothing, and the result is whole.
    void pauseMidConversion()
    {
        auto views = std::make_shared<TestRowViews>();
        auto item = pausedMidConversion(views);
        QVERIFY(item);
        const qint64 halfway = views->progress;
        QVERIFY(halfway > 0 && halfway < 100);
        QTest::qWait(300);
        QVERIFY(item->conversion()->isRunning());
        QCOMPARE(views->progress.load(), halfway);
        QVERIFY(!QFile::exists(m_fixture->outputPath(u"Song.wav"_s)));
        m_fixture->preferences.setOutputFormat(OutputFormat::Mp3);
        item->resume();
        QVERIFY(waitForStatus(item, StatusFinished));
        QCOMPARE(views->progress.load(), 100);
        QCOMPARE(item->wholeFilePath(), m_fixture->outputPath(u"Song.wav"_s));
        QCOMPARE(SiteFixture::fileBytes(item->wholeFilePath()).mid(44),
                 TestMedia::decodedPcm(media(u"long.mp4"_s), scratch(u"ffmpeg.pcm"_s)));
    }

    void pausedJustAsItEndsStillFinishes()
    {
        // The whole sound is converted when the bar shows 100: the pause
        // lands between the last block and the end being handled.
        auto views = std::make_shared<TestRowViews>();
        auto item = startItem([views](YoutubeDownloader &converting) {
            views->onProgress = [&converting](qint64 percent) {
                if (percent == 100)
                    converting.pause();
            };
            converting.setRowViews(views);
        });
        const bool finished = waitForStatus(item, StatusFinished);
        QVERIFY(finished);
        QVERIFY(m_owner->statuses().contains(StatusConvertPaused));
        QCOMPARE(readTags(item->wholeFilePath()).size(), 6);
    }

    void removalDuringConversion_data()
    {
        QTest::addColumn<bool>("quitting"); // else removed

        QTest::newRow("removed") << false;
        QTest::newRow("quitting") << true;
    }

    // What was converted is cut short: nothing of it stays, neither under the
    // output's name nor under a temporary one. The video stays for the next
    // start to convert again.
    void removalDuringConversion()
    {
        QFETCH(bool, quitting);
        m_fixture->preferences.setDeleteInputFileAfterConvert(true);
        auto item = pausedMidConversion(std::make_shared<TestRowViews>());
        QVERIFY(item);
        YoutubeDownloader::removeAll({item}, quitting ? YoutubeDownloader::PartialFiles::Keep
                                                      : YoutubeDownloader::PartialFiles::Delete);
        QVERIFY(!item->conversion()->isRunning());
        QCOMPARE(m_owner->statuses().last(), StatusRemoved);
        QVERIFY(!m_owner->statuses().contains(StatusFinished));
        QCOMPARE(m_fixture->outputEntries(), QStringList{u"Song.mp4"_s});
    }

    // Deleting the video after converting deletes the item's own, never the
    // user's file of that name.
    void deletesOnlyItsOwnVideo()
    {
        m_fixture->preferences.setDeleteInputFileAfterConvert(true);
        QVERIFY(SiteFixture::writeFile(m_fixture->outputPath(u"Song.mp4"_s), "the user's video"));
        auto item = startItem();
        QVERIFY(waitForStatus(item, StatusFinished));
        QCOMPARE(m_fixture->outputEntries(), (QStringList{u"Song (2).mp3"_s, u"Song.mp4"_s}));
        QCOMPARE(SiteFixture::fileBytes(m_fixture->outputPath(u"Song.mp4"_s)), "the user's video");
    }

    // An MP3 takes its name only once it is tagged: while its cover is on
    // the way nothing stands there, and a removal then leaves nothing.
    void taggedBeforeItTakesItsName()
    {
        m_fixture->site.clearRequests();
        m_fixture->site.addFault(SiteFault::parse(u"path=/vi/,stall-after=0"_s).value());
        const auto clear = qScopeGuard([this] { m_fixture->site.clearFaults(); });
        auto item = startItem();
        QTRY_VERIFY_WITH_TIMEOUT(!m_fixture->site.requests(u"/vi/"_s).isEmpty(), 20'000);
        QCOMPARE(item->youtubeStatus(), StatusConverting);
        QVERIFY(!QFile::exists(m_fixture->outputPath(u"Song.mp3"_s)));
        item->removeObject();
        QCOMPARE(m_fixture->outputEntries(), QStringList{u"Song.mp4"_s});
    }

    void failedConversionKeepsTheVideo_data()
    {
        QTest::addColumn<QString>("video");
        QTest::addColumn<QByteArray>("encoder"); // a stand-in for lame; empty: lame itself
        QTest::addColumn<QString>("reason");

        QTest::newRow("video cut short") << u"truncated.mp4"_s << QByteArray() << u"ends early"_s;
        QTest::newRow("not a video") << u"garbage.mp4"_s << QByteArray() << u"cannot open the file"_s;
        QTest::newRow("sound damaged in the middle") << u"damaged.mp4"_s << QByteArray() << u"the sound track is damaged"_s;
        QTest::newRow("no sound track") << u"silent.mp4"_s << QByteArray() << u"no sound track"_s;
        QTest::newRow("encoder writes nothing") << u"mono.mp4"_s << QByteArray("cat >/dev/null") << u"no file"_s;
        QTest::newRow("encoder leaves an empty file")
            << u"mono.mp4"_s << QByteArray("for last; do :; done; cat >/dev/null; : >\"$last\"") << u"no file"_s;
        QTest::newRow("encoder fails") << u"mono.mp4"_s << QByteArray("cat >/dev/null; echo the reason >&2; exit 3")
                                       << u"exit code 3): the reason"_s;
        QTest::newRow("encoder stops reading") << u"long.mp4"_s << QByteArray("head -c 100 >/dev/null")
                                               << u"stopped taking input"_s;
        QTest::newRow("encoder crashes") << u"mono.mp4"_s << QByteArray("head -c 1000 >/dev/null; kill -9 $$") << u"crashed"_s;
    }

    // The only good copy is never deleted, nothing stands at the output's
    // name, and once the cause is gone Resume converts again.
    void failedConversionKeepsTheVideo()
    {
        QFETCH(QString, video);
        QFETCH(QByteArray, encoder);
        QFETCH(QString, reason);
        m_fixture->preferences.setDeleteInputFileAfterConvert(true);
        m_fixture->site.media().setStreamFile(18, media(video));
        const StandInProgram lame(u"lame"_s, encoder);
        const QByteArray path = qgetenv("PATH");
        if (!encoder.isEmpty())
            qputenv("PATH", lame.searchPath());
        auto item = startItem();
        const bool paused = waitForStatus(item, StatusConvertPaused);
        qputenv("PATH", path);
        QVERIFY(paused);
        QVERIFY2(item->statusNote().startsWith(u"Conversion failed"_s) && item->statusNote().contains(reason),
                 qPrintable(item->statusNote()));
        QCOMPARE(m_fixture->outputEntries(), QStringList{u"Song.mp4"_s});
        QVERIFY(!m_owner->statuses().contains(StatusFinished));

        QVERIFY(QFile::remove(m_fixture->outputPath(u"Song.mp4"_s)));
        QVERIFY(QFile::copy(media(u"mono.mp4"_s), m_fixture->outputPath(u"Song.mp4"_s)));
        item->resume();
        QVERIFY(waitForStatus(item, StatusFinished));
        QVERIFY(item->statusNote().isEmpty());
        QCOMPARE(m_fixture->outputEntries(), QStringList{u"Song.mp3"_s});
    }

    // No more conversions run at once than there are cores: the next one
    // says it waits for one, and takes the core a paused one leaves.
    void conversionsWaitForACore()
    {
        // An encoder that never reads keeps conversions going.
        const StandInProgram lame(u"lame"_s, "sleep 60");
        const QByteArray path = qgetenv("PATH");
        const auto restore = qScopeGuard([&path] { qputenv("PATH", path); });
        qputenv("PATH", lame.searchPath());
        const int cores = std::max(1, QThread::idealThreadCount());
        DownloadList list(m_fixture->preferences);
        QStringList links;
        for (int i = 0; i <= cores; ++i)
            links.append(SiteFixture::watchLink(u"core%1"_s.arg(i)));
        const DownloadList::Items items = list.add(links, m_fixture->outputDir.path());
        for (const auto &item : items)
            QVERIFY(waitForStatus(item, StatusReady));
        list.downloadAll();
        const auto waitingForCore = [&items] {
            QList<int> rows;
            for (qsizetype row = 0; row < items.size(); ++row) {
                if (items[row]->waiting().what == YoutubeDownloader::Wait::For::Core)
                    rows.append(int(row));
            }
            return rows;
        };
        QTRY_VERIFY_WITH_TIMEOUT(std::ranges::all_of(items, [](const auto &item) {
                                     return item->youtubeStatus() == StatusConverting;
                                 }), 20'000);
        // Which one waits depends on which download ended last.
        QTRY_COMPARE(waitingForCore().size(), 1);
        const int waiting = waitingForCore().constFirst();
        const int running = waiting == 0 ? 1 : 0;
        QCOMPARE(RowTexts(*items[waiting]).statusLine(), u"Waiting for a free core"_s);
        list.pause({items[running]});
        QTRY_COMPARE(waitingForCore(), QList<int>());
        QCOMPARE(RowTexts(*items[waiting]).statusLine(), u"Converting to MP3"_s);
        list.resume({items[running]});
        QTRY_COMPARE(waitingForCore(), QList<int>{running});
        list.removeAll();
    }

private:
    QString media(const QString &name) const { return m_media.filePath(name); }
    QString scratch(const QString &name) const { return m_scratch.filePath(name); }

    // An item for the page of "item" whose download starts once it is ready;
    // `onConverting` runs on the thread that moves it to StatusConverting.
    std::shared_ptr<YoutubeDownloader> startItem(std::function<void(YoutubeDownloader &)> onConverting = {})
    {
        m_owner->onStatus = [onConverting](YoutubeDownloader &item, YoutubeStatus status) {
            if (status == StatusConverting && onConverting)
                onConverting(item);
        };
        auto item = YoutubeDownloader::create(Link, m_owner, m_fixture->preferences);
        m_items.append(item);
        item->loadYoutubeContent();
        if (waitForStatus(item, StatusReady))
            item->downloadButtonSelector();
        return item;
    }

    // An item converting eight seconds of sound to WAV, paused at the first
    // progress it shows.
    std::shared_ptr<YoutubeDownloader> pausedMidConversion(const std::shared_ptr<TestRowViews> &views)
    {
        m_fixture->preferences.setOutputFormat(OutputFormat::Wav);
        m_fixture->site.media().setStreamFile(18, media(u"long.mp4"_s));
        auto item = startItem([views](YoutubeDownloader &converting) {
            views->onProgress = [&converting, paused = std::make_shared<std::atomic<bool>>()](qint64) {
                if (!paused->exchange(true))
                    converting.pause();
            };
            converting.setRowViews(views);
        });
        return waitForStatus(item, StatusConvertPaused) ? item : nullptr;
    }

    std::unique_ptr<SiteFixture> m_fixture;
    std::shared_ptr<RecordingOwner> m_owner;
    QList<std::shared_ptr<YoutubeDownloader>> m_items;
    QTemporaryDir m_media;
    QTemporaryDir m_scratch;
};

QTEST_GUILESS_MAIN(TestConversion)
#include "tst_conversion.moc"
