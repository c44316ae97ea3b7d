#include "AtomicFile.h"
#include "DownloadList.h"
#include "KeptListFile.h"
#include "LeftoverFiles.h"
#include "ListWriter.h"
#include "PreferenceStore.h"
#include "StateFolder.h"
#include "WorkFolder.h"
#include "YoutubeProgramPreferences.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::Literals::StringLiterals;

namespace {

const KeptListFile::Item First{.link = u"http://www.youtube.com/watch?v=Qw7ZnL0bV4c"_s,
                            .code = u"Qw7ZnL0bV4c"_s,
                            .title = u"Northern \"Gardens\"\n"_s,
                            .description = u"Zeilen\nund Ümlaute"_s,
                            .durationSeconds = 446,
                            .streamQuality = 18,
                            .streamURL = u"http://s.youtube.com/videoplayback?itag=18"_s,
                            .streamBytes = 5'000'000'000,
                            .status = u"downloading"_s,
                            .folder = u"/home/u/Music/"_s,
                            .partialFile = u"/home/u/Music/Northern.mp4.vantrel-kn23vd"_s,
                            .bytesHeld = 4'294'967'296,
                            .downloadSeconds = 12.5,
                            .format = 1,
                            .output = u"/home/u/Music/Northern.mp3"_s};
const KeptListFile::Item Second{.link = u"http://youtu.be/Hx5yTq8eRn2"_s, .status = u"finished"_s,
                             .file = u"/home/u/Music/Quiet.mp3"_s};

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

class TestKeptList : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void roundTrip()
    {
        const QByteArray bytes = KeptListFile::write({First, Second});
        QVERIFY(bytes.startsWith("{\"items\":2,\"version\":1}\n"));
        QCOMPARE(bytes.count('\n'), 3);
        const KeptListFile::Contents contents = KeptListFile::read(bytes);
        QCOMPARE(contents.items, (QList{First, Second}));
        QVERIFY(!contents.damaged);
    }

    void damagedLists_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("items"); // how many of First, Second come back
        QTest::addColumn<bool>("damaged");

        const QByteArray whole = KeptListFile::write({First, Second});
        QTest::newRow("whole") << whole << 2 << false;
        QTest::newRow("empty") << QByteArray() << 0 << true;
        QTest::newRow("cut in the last line") << whole.chopped(9) << 1 << true;
        QTest::newRow("cut after a line") << whole.left(whole.indexOf('\n', 30) + 1) << 1 << true;
        QTest::newRow("more lines than counted") << QByteArray(whole).replace("\"items\":2", "\"items\":1") << 2 << true;
        // As the program wrote it before it counted.
        QTest::newRow("without a count") << QByteArray(whole).replace("\"items\":2,", "") << 2 << false;
        QTest::newRow("garbled line") << QByteArray(whole).insert(whole.indexOf('\n') + 1, "{\"li\xff\n") << 2 << true;
        QTest::newRow("item without link") << QByteArray(whole).insert(whole.indexOf('\n') + 1, "{\"title\":\"x\"}\n") << 2
                                          << true;
        QTest::newRow("newer version") << QByteArray(whole).replace("\"version\":1}", "\"version\":2}") << 0 << true;
        QTest::newRow("not a list") << QByteArray("\x89PNG\r\n\x1a\n\0\0", 10) << 0 << true;
        // A folder where the file should be: it cannot be read.
        QTest::newRow("unreadable") << QByteArray("folder") << 0 << true;
    }

    // What can be read comes back; a damaged file is moved aside whole.
    void damagedLists()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(int, items);
        QFETCH(bool, damaged);
        const QTemporaryDir folder;
        const QString path = folder.filePath(u"list.json"_s);
        if (bytes == "folder")
            QVERIFY(QDir().mkpath(path + u"/inside"_s));
        else
            QVERIFY(writeFile(path, bytes));
        const StateFolder::Reading reading = StateFolder(folder.path()).read();
        QCOMPARE(reading.items, (QList{First, Second}.first(items)));
        const QStringList aside = QDir(folder.path()).entryList({u"list.json.damaged-*"_s});
        QCOMPARE(aside.size(), damaged ? 1 : 0);
        QCOMPARE(QFileInfo::exists(path), !damaged);
        if (damaged) {
            QCOMPARE(reading.damagedKeptAs, folder.filePath(aside[0]));
            QVERIFY(bytes == "folder" || readFile(reading.damagedKeptAs) == bytes);
        }
    }

    // A power cut may leave any first part of the file: every one tells.
    void cutAtAnyByte()
    {
        const QByteArray whole = KeptListFile::write({First, Second});
        for (qsizetype size = 0; size < whole.size(); ++size) {
            if (!KeptListFile::read(whole.first(size)).damaged)
                QFAIL(qPrintable(u"A list cut to %1 of %2 bytes reads as whole"_s.arg(size).arg(whole.size())));
        }
    }

    // Partial downloads a damaged list may have named are never taken for
    // leftovers; after a whole one, any that no item claims go.
    void sweepOnlyAfterAWholeList_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<bool>("swept");

        const QByteArray whole = KeptListFile::write({First, Second});
        QTest::newRow("whole") << whole << true;
        QTest::newRow("cut after a line") << whole.left(whole.indexOf('\n', 30) + 1) << false;
        QTest::newRow("empty") << QByteArray() << false;
    }

    void sweepOnlyAfterAWholeList()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(bool, swept);
        const QTemporaryDir home;
        const QDir dir(home.path());
        QVERIFY(dir.mkpath(u"state"_s) && dir.mkpath(u"out"_s));
        QVERIFY(writeFile(dir.filePath(u"state/list.json"_s), bytes));
        // yt-dlp's work folder for a stream of sound alone.
        const QString partial = dir.filePath(u"out/Southern.m4a.vantrel-kn23vd"_s);
        QVERIFY(dir.mkpath(partial) && writeFile(partial + u"/Southern.m4a.part"_s, "bytes of a stream"));
        PreferenceStore store(dir.filePath(u"Vantrel.conf"_s));
        YoutubeProgramPreferences preferences(store);
        preferences.setSavedFolderPath(dir.filePath(u"out"_s));
        preferences.setRestoreListAtStart(false);
        DownloadList list(preferences);
        const StateFolder stateFolder(dir.filePath(u"state"_s));
        const QString damaged = stateFolder.takeUp(list, preferences);
        QCOMPARE(damaged.isEmpty(), swept);
        QCOMPARE(QFileInfo::exists(partial), !swept);
    }

    // Saves pile up while one is written; the file ends with the newest.
    void writerWritesTheNewest()
    {
        const QTemporaryDir folder;
        const QString path = folder.filePath(u"state/list"_s);
        {
            ListWriter writer(path);
            for (int round = 0; round < 200; ++round) {
                KeptListFile::Item item = Second;
                item.note = QString::number(round);
                writer.save({First, item});
            }
            QVERIFY(writer.flush());
            KeptListFile::Item newest = Second;
            newest.note = u"199"_s;
            QCOMPARE(KeptListFile::read(readFile(path)).items, (QList{First, newest}));
            writer.save({Second});
        }
        QCOMPARE(KeptListFile::read(readFile(path)).items, QList{Second});
        QCOMPARE(QDir(folder.filePath(u"state"_s)).entryList(QDir::Files), QStringList{u"list"_s});
    }

    // What a crash left behind goes, yt-dlp's work folders with what is in
    // them too; claimed files, look-alikes, folders in use or with one
    // inside, and links stay, and so does everything outside the folder
    // swept.
    void sweepLeftovers_data()
    {
        QTest::addColumn<QString>("folder"); // relative to the current folder
        QTest::addColumn<QStringList>("finalNames");
        QTest::addColumn<QStringList>("claimed");
        QTest::addColumn<QStringList>("removed");

        const QStringList media{u"*.mp4"_s, u"*.flv"_s, u"*.mp3"_s, u"*.wav"_s};
        const QStringList unclaimed{u".Dot.wav.vantrel-a1b2c3"_s, u"Folder.mp4.vantrel-abcdef"_s,
                                    u"My Song.mp4.vantrel-kn23vd"_s};
        QTest::newRow("output folder") << u"out"_s << media
                                       << QStringList{u"out//My Song.mp3.vantrel-Q7xP0a"_s, u"out/./Gone.mp4.vantrel-abcdef"_s} << unclaimed;
        QTest::newRow("claimed through a link") << u"linked/"_s << media << QStringList{u"out/My Song.mp3.vantrel-Q7xP0a"_s}
                                                << unclaimed;
        QTest::newRow("claimed work folder") << u"out"_s << media
                                             << QStringList{u"out/My Song.mp3.vantrel-Q7xP0a"_s, u"out/./Folder.mp4.vantrel-abcdef"_s}
                                             << QStringList{u".Dot.wav.vantrel-a1b2c3"_s, u"My Song.mp4.vantrel-kn23vd"_s};
        QTest::newRow("state folder") << u"out"_s << QStringList{u"list.json"_s} << QStringList() << QStringList{u"list.json.vantrel-aB3dE9"_s};
        QTest::newRow("no folder") << QString() << media << QStringList() << QStringList();
    }

    void sweepLeftovers()
    {
        QFETCH(QString, folder);
        QFETCH(QStringList, finalNames);
        QFETCH(QStringList, claimed);
        QFETCH(QStringList, removed);
        const QTemporaryDir root;
        const QDir dir(root.path());
        QStringList left{u".Dot.wav.vantrel-a1b2c3"_s,    u".mp4.vantrel-abcdef"_s,        u"My Song.mp3.vantrel-Q7xP0a"_s,
                         u"My Song.mp4"_s,        u"My Song.mp4.vantrel-abc-ef"_s, u"My Song.mp4.vantrel-abcdefg"_s,
                         u"My Song.mp4.vantrel-kn23vd"_s, u"Old.MP4.vantrel-abcdef"_s,     u"list.json.vantrel-aB3dE9"_s,
                         u"mylist.json.vantrel-aB3dE9"_s, u"notes.txt.vantrel-abcdef"_s, u"Interview.wav.backup"_s};
        QVERIFY(dir.mkpath(u"out/Nested.mp4.vantrel-abcdef/inner"_s) && dir.mkpath(u"out/Folder.mp4.vantrel-abcdef"_s));
        for (const QString &name : {u"Folder.mp4.part"_s, u"Folder.mp4.part-Frag3.part"_s, u"Folder.mp4.ytdl"_s})
            QVERIFY(QFile(dir.filePath(u"out/Folder.mp4.vantrel-abcdef/"_s + name)).open(QIODevice::WriteOnly));
        for (const QString &name : left + QStringList{u"../Outside.mp4.vantrel-abcdef"_s})
            QVERIFY(QFile(dir.filePath(u"out/"_s + name)).open(QIODevice::WriteOnly));
        QVERIFY(QFile::link(dir.filePath(u"Outside.mp4.vantrel-abcdef"_s), dir.filePath(u"out/Link.mp4.vantrel-abcdef"_s)));
        QVERIFY(QFile::link(dir.filePath(u"out"_s), dir.filePath(u"linked"_s)));
        left << u"Folder.mp4.vantrel-abcdef"_s << u"Link.mp4.vantrel-abcdef"_s << u"Nested.mp4.vantrel-abcdef"_s;
        // One still being written, as by a program that runs meanwhile.
        AtomicFile written(dir.filePath(u"out/Busy.mp3"_s));
        QVERIFY(written.open());
        left << QFileInfo(written.temporaryPath()).fileName();
        WorkFolder working(dir.filePath(u"out/Busy.mp4"_s));
        QVERIFY(working.create());
        left << QFileInfo(working.path()).fileName();

        // The current folder holds a matching file of its own, which only a
        // sweep of the wrong folder would find.
        const QString previous = QDir::currentPath();
        QVERIFY(QDir::setCurrent(root.path()));
        const auto restore = qScopeGuard([&previous] { QDir::setCurrent(previous); });
        QSet<QString> claims;
        for (const QString &path : claimed)
            claims.insert(root.path() + u'/' + path);
        QStringList gone = LeftoverFiles::sweep(folder, finalNames, claims);

        QStringList expected;
        for (const QString &name : removed) {
            left.removeOne(name);
            expected.append(QDir::currentPath() + u'/' + QDir::cleanPath(folder) + u'/' + name);
        }
        gone.sort();
        QCOMPARE(gone, expected);
        QStringList found =
            QDir(dir.filePath(u"out"_s)).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
        found.sort();
        left.sort();
        QCOMPARE(found, left);
        QVERIFY(QFile::exists(dir.filePath(u"Outside.mp4.vantrel-abcdef"_s)));
    }

    void writerSaysWhenItFails()
    {
        const QTemporaryDir folder;
        QFile blocker(folder.filePath(u"state"_s));
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        // Each write tells how it went, on the writer's thread; flush() orders it before us.
        QStringList reports;
        ListWriter writer(folder.filePath(u"state/list"_s), [&reports](bool written, const QString &reason) {
            reports.append(written ? u"written"_s : reason);
        });
        writer.save({First});
        QVERIFY(!writer.flush());
        QVERIFY(blocker.remove());
        writer.save({First});
        QVERIFY(writer.flush());
        QCOMPARE(reports, (QStringList{u"cannot create the folder "_s + folder.filePath(u"state"_s), u"written"_s}));
    }
};

QTEST_GUILESS_MAIN(TestKeptList)
#include "tst_keptlist.moc"
