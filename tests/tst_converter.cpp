#include "AudioConverter.h"
#include "AudioMp3Converter.h"
#include "EncoderProcess.h"
#include "NotificationCenter.h"
#include "TestMedia.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QtEndian>

#include <mutex>

using namespace Qt::Literals::StringLiterals;
using namespace std::chrono_literals;

namespace {

quint32 le32(const QByteArray &bytes, int offset)
{
    return qFromLittleEndian<quint32>(bytes.constData() + offset);
}

quint16 le16(const QByteArray &bytes, int offset)
{
    return qFromLittleEndian<quint16>(bytes.constData() + offset);
}

QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Follows one converter: its progress values and its end, which arrive on
// the converter's thread.
class ConverterWatch
{
public:
    explicit ConverterWatch(AudioConverter &converter)
    {
        NotificationCenter &center = NotificationCenter::defaultCenter();
        center.addObserver(this, NOTIFICATION_AUDIO_CONVERTER_PROGRESS.toString(), &converter, [this](const Notification &n) {
            const int percent = n.userInfo.value(NOTIFICATION_AUDIO_CONVERTER_CURRENT_KEY_NAME.toString()).toInt();
            std::function<void()> action;
            {
                std::lock_guard lock(m_mutex);
                m_progress.append(percent);
                action = std::exchange(m_onFirstProgress, {});
            }
            if (action)
                action();
        });
        center.addObserver(this, NOTIFICATION_AUDIO_CONVERTER_FINISHED.toString(), &converter,
                           [this](const Notification &) { m_finished = true; });
    }
    ~ConverterWatch() { NotificationCenter::defaultCenter().removeObserver(this); }

    // Pauses the converter on its thread as soon as it reports progress.
    void pauseAtFirstProgress(AudioConverter &converter)
    {
        std::lock_guard lock(m_mutex);
        m_onFirstProgress = [this, &converter] {
            converter.setThreadPaused(true);
            m_paused = true;
        };
    }
    bool waitUntilPaused() const
    {
        return QTest::qWaitFor([this] { return m_paused.load(); }, 30'000);
    }
    QList<int> progress() const
    {
        std::lock_guard lock(m_mutex);
        return m_progress;
    }
    bool waitForEnd(int timeoutMs = 60'000) const
    {
        return QTest::qWaitFor([this] { return m_finished.load(); }, timeoutMs);
    }

private:
    mutable std::mutex m_mutex;
    QList<int> m_progress;
    std::function<void()> m_onFirstProgress;
    std::atomic<bool> m_finished = false;
    std::atomic<bool> m_paused = false;
};

} // namespace

class TestConverter : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void cleanup();

    void wavOutput_data();
    void wavOutput();
    void wavSizesSaturate();
    void pauseAndResumeGiveTheSameBytes();
    void removalWhilePausedKeepsWhatItHas();
    void unusableInput_data();
    void unusableInput();
    void mp3Encoding_data();
    void mp3Encoding();
    void mp3ProgressRisesToAtMost100();
    void encoderCommandLine();
    void encoderFailures_data();
    void encoderFailures();
    void mp3FailsWithoutItsEncoder();

private:
    QString media(const QString &name) const { return m_media.filePath(name); }
    QString output(const QString &name) const { return m_output.filePath(name); }

    QTemporaryDir m_media;
    QTemporaryDir m_output;
};

void TestConverter::initTestCase()
{
    QVERIFY(TestMedia::makeMp4(media(u"stereo44.mp4"_s), 3, 44100, 2, true));
    QVERIFY(TestMedia::makeMp4(media(u"mono.mp4"_s), 2, 44100, 1));
    QVERIFY(TestMedia::makeMp4(media(u"rate48.mp4"_s), 2, 48000, 2));
    QVERIFY(TestMedia::makeMp4(media(u"six.mp4"_s), 2, 48000, 6));
    QVERIFY(TestMedia::makeMp4(media(u"long.mp4"_s), 20, 44100, 2));
    QFile garbage(media(u"garbage.mp4"_s));
    QVERIFY(garbage.open(QIODevice::WriteOnly));
    garbage.write(QByteArray(5000, 'x'));
    garbage.close();
    QVERIFY(TestMedia::ffmpeg({u"-f"_s, u"lavfi"_s, u"-i"_s, u"testsrc2=size=160x120:duration=2"_s, u"-c:v"_s,
                               u"libx264"_s, u"-an"_s, media(u"silent.mp4"_s)}));
    const QByteArray whole = readFile(media(u"stereo44.mp4"_s));
    QFile truncated(media(u"truncated.mp4"_s));
    QVERIFY(truncated.open(QIODevice::WriteOnly));
    truncated.write(whole.left(whole.size() / 2));
}

void TestConverter::cleanup()
{
    QDir(m_output.path()).removeRecursively();
    QDir().mkpath(m_output.path());
}

void TestConverter::wavOutput_data()
{
    QTest::addColumn<QString>("input");
    QTest::addColumn<int>("channels");
    QTest::addColumn<int>("rate");

    QTest::newRow("stereo 44.1 kHz with a picture") << u"stereo44.mp4"_s << 2 << 44100;
    QTest::newRow("mono") << u"mono.mp4"_s << 1 << 44100;
    QTest::newRow("48 kHz") << u"rate48.mp4"_s << 2 << 48000;
    QTest::newRow("six channels stay six") << u"six.mp4"_s << 6 << 48000;
}

void TestConverter::wavOutput()
{
    QFETCH(QString, input);
    QFETCH(int, channels);
    QFETCH(int, rate);
    auto converter = std::make_shared<AudioConverter>(media(input));
    ConverterWatch watch(*converter);
    QVERIFY(converter->convertToFile(output(u"out.wav"_s)));
    QVERIFY(watch.waitForEnd());
    QVERIFY(converter->wasFullyConverted());
    QVERIFY(converter->failureReason().isEmpty());

    const QByteArray wav = readFile(output(u"out.wav"_s));
    QVERIFY(wav.size() > 44);
    QCOMPARE(wav.left(4), "RIFF");
    QCOMPARE(le32(wav, 4), quint32(wav.size() - 8));
    QCOMPARE(wav.mid(8, 8), "WAVEfmt ");
    QCOMPARE(le32(wav, 16), 16u);
    QCOMPARE(le16(wav, 20), 1);
    QCOMPARE(le16(wav, 22), channels);
    QCOMPARE(le32(wav, 24), quint32(rate));
    QCOMPARE(le32(wav, 28), quint32(rate * channels * 2));
    QCOMPARE(le16(wav, 32), channels * 2);
    QCOMPARE(le16(wav, 34), 16);
    QCOMPARE(wav.mid(36, 4), "data");
    QCOMPARE(le32(wav, 40), quint32(wav.size() - 44));
    QCOMPARE(wav.mid(44), TestMedia::decodedPcm(media(input), output(u"ffmpeg.pcm"_s)));

    // An independent reader agrees.
    QProcess python;
    python.start(u"/usr/bin/python3"_s, {u"-c"_s, u"import wave,sys; w=wave.open(sys.argv[1]); "
                                                   "print(w.getnchannels(), w.getframerate(), w.getsampwidth(), w.getnframes())"_s,
                                         output(u"out.wav"_s)});
    QVERIFY(python.waitForFinished());
    QCOMPARE(QString::fromUtf8(python.readAllStandardOutput()).trimmed(),
             u"%1 %2 2 %3"_s.arg(channels).arg(rate).arg((wav.size() - 44) / (channels * 2)));
}

void TestConverter::wavSizesSaturate()
{
    const QByteArray header = AudioConverter::wavHeader(2, 44100, 5'000'000'000);
    QCOMPARE(header.size(), 44);
    QCOMPARE(le32(header, 4), 0xFFFFFFFFu);
    QCOMPARE(le32(header, 40), 0xFFFFFFFFu);
    QCOMPARE(le32(AudioConverter::wavHeader(1, 48000, 30720), 4), 30756u);
    QCOMPARE(AudioConverter::wavHeader(1, 48000, 0).mid(24, 4), QByteArray::fromHex("80bb0000"));
}

void TestConverter::pauseAndResumeGiveTheSameBytes()
{
    auto converter = std::make_shared<AudioConverter>(media(u"long.mp4"_s));
    ConverterWatch watch(*converter);
    watch.pauseAtFirstProgress(*converter);
    QVERIFY(converter->convertToFile(output(u"paused.wav"_s)));
    QVERIFY(watch.waitUntilPaused());
    QTest::qWait(500);
    QVERIFY(converter->isRunning());
    QVERIFY(!QFile::exists(output(u"paused.wav"_s)));
    converter->setThreadPaused(false);
    QVERIFY(watch.waitForEnd());
    QVERIFY(converter->wasFullyConverted());
    QCOMPARE(readFile(output(u"paused.wav"_s)).mid(44), TestMedia::decodedPcm(media(u"long.mp4"_s), output(u"ffmpeg.pcm"_s)));
}

void TestConverter::removalWhilePausedKeepsWhatItHas()
{
    const QByteArray expected = TestMedia::decodedPcm(media(u"long.mp4"_s), output(u"ffmpeg.pcm"_s));
    for (const bool fileWasThere : {false, true}) {
        const QString target = output(fileWasThere ? u"existing.wav"_s : u"partial.wav"_s);
        if (fileWasThere) {
            QFile existing(target);
            QVERIFY(existing.open(QIODevice::WriteOnly));
            existing.write("a good file");
        }
        auto converter = std::make_shared<AudioConverter>(media(u"long.mp4"_s));
        ConverterWatch watch(*converter);
        watch.pauseAtFirstProgress(*converter);
        QVERIFY(converter->convertToFile(target));
        QVERIFY(watch.waitUntilPaused());
        // Paused, the worker looks at cancellation ten times a second.
        QVERIFY(converter->stopConverting(500ms));
        QVERIFY(!converter->wasFullyConverted());
        QVERIFY(converter->failureReason().isEmpty());
        const QByteArray wav = readFile(target);
        if (fileWasThere) {
            QCOMPARE(wav, "a good file");
            continue;
        }
        QVERIFY(wav.size() > 44);
        QCOMPARE(le32(wav, 4), quint32(wav.size() - 8));
        QCOMPARE(le32(wav, 40), quint32(wav.size() - 44));
        QVERIFY(wav.size() - 44 < expected.size());
        QVERIFY(expected.startsWith(wav.mid(44)));
    }
    QCOMPARE(QDir(m_output.path()).entryList(QDir::Files | QDir::Hidden).size(), 3); // two outputs, ffmpeg's PCM
}

void TestConverter::unusableInput_data()
{
    QTest::addColumn<QString>("input");
    QTest::addColumn<bool>("mp3");

    for (const bool mp3 : {false, true}) {
        const char *format = mp3 ? " to mp3" : " to wav";
        QTest::addRow("missing file%s", format) << u"nothing-here.mp4"_s << mp3;
        QTest::addRow("not media%s", format) << u"garbage.mp4"_s << mp3;
        QTest::addRow("no sound track%s", format) << u"silent.mp4"_s << mp3;
        QTest::addRow("cut short%s", format) << u"truncated.mp4"_s << mp3;
    }
}

void TestConverter::unusableInput()
{
    QFETCH(QString, input);
    QFETCH(bool, mp3);
    auto converter = mp3 ? std::make_shared<AudioMp3Converter>(media(input)) : std::make_shared<AudioConverter>(media(input));
    ConverterWatch watch(*converter);
    QVERIFY(converter->convertToFile(output(mp3 ? u"out.mp3"_s : u"out.wav"_s)));
    QVERIFY(watch.waitForEnd());
    QVERIFY(!converter->wasFullyConverted());
    QVERIFY(!converter->failureReason().isEmpty());
    QCOMPARE(QDir(m_output.path()).entryList(QDir::Files | QDir::Hidden), QStringList());
}

void TestConverter::mp3Encoding_data()
{
    QTest::addColumn<QString>("input");
    QTest::addColumn<int>("bitrate");
    QTest::addColumn<int>("frequency");
    QTest::addColumn<QString>("mode");
    QTest::addColumn<int>("channels");

    QTest::newRow("defaults") << u"stereo44.mp4"_s << 320 << 44100 << u"s"_s << 2;
    QTest::newRow("mono, resampled") << u"stereo44.mp4"_s << 128 << 22050 << u"m"_s << 1;
    QTest::newRow("48 kHz source") << u"rate48.mp4"_s << 192 << 48000 << u"s"_s << 2;
    QTest::newRow("six channels mixed to two") << u"six.mp4"_s << 256 << 44100 << u"s"_s << 2;
}

void TestConverter::mp3Encoding()
{
    QFETCH(QString, input);
    QFETCH(int, bitrate);
    QFETCH(int, frequency);
    QFETCH(QString, mode);
    QFETCH(int, channels);
    auto converter = std::make_shared<AudioMp3Converter>(media(input));
    converter->setBitrate(bitrate);
    converter->setFrequency(frequency);
    converter->setSoundMode(mode);
    ConverterWatch watch(*converter);
    const QString mp3 = output(u"out.mp3"_s);
    QVERIFY(converter->convertToFile(mp3));
    QVERIFY(watch.waitForEnd());
    QVERIFY2(converter->wasFullyConverted(), qPrintable(converter->failureReason()));

    QCOMPARE(TestMedia::probe(mp3, u"stream"_s, u"codec_name"_s), u"mp3"_s);
    QCOMPARE(TestMedia::probe(mp3, u"stream"_s, u"bit_rate"_s).toInt(), bitrate * 1000);
    QCOMPARE(TestMedia::probe(mp3, u"stream"_s, u"sample_rate"_s).toInt(), frequency);
    QCOMPARE(TestMedia::probe(mp3, u"stream"_s, u"channels"_s).toInt(), channels);
    const double source = TestMedia::decodedSeconds(media(input), output(u"source.pcm"_s));
    const double encoded = TestMedia::decodedSeconds(mp3, output(u"encoded.pcm"_s));
    QVERIFY2(qAbs(encoded - source) <= 0.050, qPrintable(u"%1 s against %2 s"_s.arg(encoded).arg(source)));
    QCOMPARE(QDir(m_output.path()).entryList({u"*.mp3*"_s}, QDir::Files | QDir::Hidden), QStringList{u"out.mp3"_s});
}

void TestConverter::mp3ProgressRisesToAtMost100()
{
    auto converter = std::make_shared<AudioMp3Converter>(media(u"long.mp4"_s));
    ConverterWatch watch(*converter);
    QVERIFY(converter->convertToFile(output(u"long.mp3"_s)));
    QVERIFY(watch.waitForEnd());
    const QList<int> progress = watch.progress();
    // Every ten blocks of 10240 bytes: 20 s of stereo sound makes about 34.
    QVERIFY2(progress.size() >= 30, qPrintable(QString::number(progress.size())));
    QVERIFY(std::is_sorted(progress.begin(), progress.end()));
    QVERIFY(progress.first() >= 0 && progress.last() <= 100 && progress.last() >= 90);
}

void TestConverter::encoderCommandLine()
{
    auto converter = std::make_shared<AudioMp3Converter>(media(u"mono.mp4"_s));
    converter->setBitrate(128);
    converter->setFrequency(22050);
    converter->setSoundMode(u"m"_s);
    const QString hostile = u"/tmp/a b \"$(touch x)\" `y`.mp3"_s;
    QCOMPARE(converter->encoderArguments(hostile),
             (QStringList{u"-b"_s, u"128"_s, u"--resample"_s, u"22050"_s, u"-m"_s, u"m"_s, u"-"_s, hostile}));
    ConverterWatch watch(*converter);
    QVERIFY(converter->convertToFile(u"/tmp/a b.mp3"_s));
    converter->stopConverting();
    QCOMPARE(converter->generateCommandLine(),
             u"\"%1\" -b 128 --resample 22050 -m m - \"/tmp/a b.mp3\""_s.arg(EncoderProcess::findProgram(u"lame"_s)));
    QFile::remove(u"/tmp/a b.mp3"_s);
}

void TestConverter::encoderFailures_data()
{
    QTest::addColumn<QString>("script");
    QTest::addColumn<QString>("error");

    QTest::newRow("exit code") << u"exit 3"_s << u"exit code 3"_s;
    QTest::newRow("stops reading") << u"head -c 100 >/dev/null; sleep 1"_s << u"stopped taking input"_s;
    QTest::newRow("killed") << u"kill -9 $$"_s << u"crashed"_s;
}

void TestConverter::encoderFailures()
{
    QFETCH(QString, script);
    QFETCH(QString, error);
    EncoderProcess encoder;
    QVERIFY(encoder.start(u"/bin/sh"_s, {u"-c"_s, script}));
    const QByteArray block(10240, 'x');
    bool fed = true;
    for (int i = 0; i < 1000 && fed; ++i)
        fed = encoder.write(block.constData(), block.size());
    QVERIFY(!encoder.finish() || !fed);
    QVERIFY2(encoder.errorString().contains(error), qPrintable(encoder.errorString()));

    EncoderProcess missing;
    QVERIFY(!missing.start(QString(), {}));
    QVERIFY(!missing.errorString().isEmpty());
}

void TestConverter::mp3FailsWithoutItsEncoder()
{
    const QByteArray path = qgetenv("PATH");
    qputenv("PATH", m_output.path().toUtf8());
    auto converter = std::make_shared<AudioMp3Converter>(media(u"mono.mp4"_s));
    ConverterWatch watch(*converter);
    QVERIFY(converter->convertToFile(output(u"out.mp3"_s)));
    const bool ended = watch.waitForEnd();
    qputenv("PATH", path);
    QVERIFY(ended);
    QVERIFY(!converter->wasFullyConverted());
    QVERIFY(converter->failureReason().contains(u"not found"_s));
    QCOMPARE(QDir(m_output.path()).entryList(QDir::Files | QDir::Hidden), QStringList());

    // A folder that cannot be made.
    QFile blocker(output(u"blocker"_s));
    QVERIFY(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    auto blocked = std::make_shared<AudioMp3Converter>(media(u"mono.mp4"_s));
    ConverterWatch blockedWatch(*blocked);
    QVERIFY(blocked->convertToFile(output(u"blocker/out.mp3"_s)));
    QVERIFY(blockedWatch.waitForEnd());
    QVERIFY(!blocked->wasFullyConverted());
    QVERIFY(!blocked->failureReason().isEmpty());
}

QTEST_GUILESS_MAIN(TestConverter)
#include "tst_converter.moc"
