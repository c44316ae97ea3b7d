#include "ClipboardSnapshot.h"
#include "NotificationCenter.h"
#include "PreferenceStore.h"
#include "YoutubeClipboardObserver.h"
#include "YoutubeConstants.h"
#include "YoutubeProgramPreferences.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

#include <mutex>

using namespace Qt::Literals::StringLiterals;

namespace {

const QString A = u"http://www.youtube.com/watch?v=aaaaaaaaaaa"_s;
const QString B = u"http://www.youtube.com/watch?v=bbbbbbbbbbb"_s;
const QString C = u"http://youtube.com/watch?v=ccccccccccc"_s;

// One step of a clipboard's life: new text (a null string: no text at all)
// or the setting switched.
struct Step
{
    QString text;
    std::optional<bool> autoAdd;
};

int threadsNamed(const QString &name)
{
    int count = 0;
    for (const QString &task : QDir(u"/proc/self/task"_s).entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        QFile comm(u"/proc/self/task/%1/comm"_s.arg(task));
        if (comm.open(QIODevice::ReadOnly) && QString::fromUtf8(comm.readAll()).trimmed() == name)
            ++count;
    }
    return count;
}

} // namespace

// The observer's thread against a clipboard fed as the GUI thread feeds it.
class TestClipboard : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init()
    {
        m_settings = std::make_unique<QTemporaryDir>();
        m_store = std::make_unique<PreferenceStore>(settingsFile());
        m_preferences = std::make_unique<YoutubeProgramPreferences>(*m_store);
        m_clipboard = std::make_unique<ClipboardSnapshot>();
        m_announced.clear();
        NotificationCenter::defaultCenter().addObserver(
            this, YOUTUBE_ADD_URLS_FROM_CLIPBOARD.toString(), nullptr, [this](const Notification &posted) {
                std::lock_guard lock(m_mutex);
                m_announced.append(posted.userInfo.value(YOUTUBE_ADD_URLS_FROM_CLIPBOARD_KEY_NAME.toString()).toStringList());
            });
    }

    void cleanup() { NotificationCenter::defaultCenter().removeObserver(this); }

    void announcements_data()
    {
        QTest::addColumn<QList<Step>>("steps");
        QTest::addColumn<QList<QStringList>>("announced");

        QTest::newRow("the link lines of a text, once")
            << QList<Step>{{A + u"\nnot a link\n  "_s + B + u"  "_s, {}}} << QList<QStringList>{{A, B}};
        QTest::newRow("the same text copied again") << QList<Step>{{A, {}}, {A, {}}} << QList<QStringList>{{A}};
        QTest::newRow("A, then B, then A") << QList<Step>{{A, {}}, {B, {}}, {A, {}}}
                                           << QList<QStringList>{{A}, {B}, {A}};
        QTest::newRow("text without links keeps the last list")
            << QList<Step>{{A, {}}, {u"just words"_s, {}}, {A, {}}} << QList<QStringList>{{A}};
        QTest::newRow("same links, other lines") << QList<Step>{{A + u"\nfoo"_s, {}}, {u"bar\n"_s + A, {}}}
                                                 << QList<QStringList>{{A}};
        QTest::newRow("another order or one more link is announced whole")
            << QList<Step>{{A + u"\n"_s + B, {}}, {B + u"\n"_s + A, {}}, {B + u"\n"_s + A + u"\n"_s + C, {}}}
            << QList<QStringList>{{A, B}, {B, A}, {B, A, C}};
        QTest::newRow("nothing while the setting is off, the present links when it comes on")
            << QList<Step>{{{}, false}, {A, {}}, {B, {}}, {{}, true}} << QList<QStringList>{{B}};
        QTest::newRow("no text at all") << QList<Step>{{QString(), {}}} << QList<QStringList>{};
        // Any address copied in a browser would otherwise become a row.
        QTest::newRow("the video site's links of today, no other address")
            << QList<Step>{{u"https://youtu.be/c3\nhttps://clips.sample.test/watch/x\n/music/a.mp3"_s, {}}}
            << QList<QStringList>{{u"https://youtu.be/c3"_s}};
        QTest::newRow("a link among words stays whole")
            << QList<Step>{{u"look: "_s + A + u" !"_s, {}}} << QList<QStringList>{{u"look: "_s + A + u" !"_s}};
    }

    void announcements()
    {
        QFETCH(QList<Step>, steps);
        YoutubeClipboardObserver observer(*m_clipboard, *m_preferences);
        observer.startObserver();
        for (const Step &step : steps) {
            if (step.autoAdd)
                m_preferences->setAutoAddFromPasteboard(*step.autoAdd);
            else
                m_clipboard->setText(step.text.isNull() ? std::nullopt : std::optional(step.text));
            QTest::qWait(60);
        }
        observer.stopObserver();
        std::lock_guard lock(m_mutex);
        QTEST(m_announced, "announced");
    }

    // A copy made while the last one is announced comes after the look and
    // before the wait: it must not be slept through.
    void copiedWhileAnnouncing()
    {
        NotificationCenter::defaultCenter().addObserver(
            this, YOUTUBE_ADD_URLS_FROM_CLIPBOARD.toString(), nullptr, [this](const Notification &) {
                if (m_clipboard->content().text == A)
                    m_clipboard->setText(B);
            });
        m_clipboard->setText(A);
        YoutubeClipboardObserver observer(*m_clipboard, *m_preferences);
        observer.startObserver();
        QTRY_COMPARE(announced(), (QList<QStringList>{{A}, {B}}));
    }

    void lastLinksOutliveTheProgram_data()
    {
        QTest::addColumn<QString>("atNextStart");
        QTest::addColumn<QList<QStringList>>("expected");

        QTest::newRow("the same link") << A << QList<QStringList>{};
        QTest::newRow("the same link among words") << u"see\n"_s + A << QList<QStringList>{};
        QTest::newRow("another link") << B << QList<QStringList>{{B}};
    }

    // A link still on the clipboard at the next start was taken already:
    // the user may have removed its row since.
    void lastLinksOutliveTheProgram()
    {
        QFETCH(QString, atNextStart);
        m_clipboard->setText(A);
        {
            YoutubeClipboardObserver observer(*m_clipboard, *m_preferences);
            observer.startObserver();
            QTRY_COMPARE(announced(), QList<QStringList>{{A}});
        }
        {
            std::lock_guard lock(m_mutex);
            m_announced.clear();
        }
        // The next run reads the file anew.
        PreferenceStore store(settingsFile());
        YoutubeProgramPreferences preferences(store);
        ClipboardSnapshot clipboard;
        clipboard.setText(atNextStart);
        YoutubeClipboardObserver observer(clipboard, preferences);
        observer.startObserver();
        QFETCH(QList<QStringList>, expected);
        // A new link comes whenever the thread's first look does, under load
        // too; a remembered one must not come in the time a look takes.
        QTRY_COMPARE(announced(), expected);
        QTest::qWait(100);
        observer.stopObserver();
        QCOMPARE(announced(), expected);
    }

    void startedAndStoppedManyTimes()
    {
        YoutubeClipboardObserver observer(*m_clipboard, *m_preferences);
        observer.stopObserver(); // never started: nothing happens
        for (int round = 0; round < 50; ++round) {
            observer.startObserver();
            observer.startObserver();
            QTRY_COMPARE(threadsNamed(u"clipboard"_s), 1);
            m_clipboard->setText(round % 2 ? A : B);
            QTest::qWait(5);
            QCOMPARE(threadsNamed(u"clipboard"_s), 1);
            observer.stopObserver();
            QCOMPARE(threadsNamed(u"clipboard"_s), 0);
        }
        std::lock_guard lock(m_mutex);
        QVERIFY(!m_announced.isEmpty());
    }

private:
    QString settingsFile() const { return QDir(m_settings->path()).filePath(u"Vantrel.conf"_s); }

    QList<QStringList> announced()
    {
        std::lock_guard lock(m_mutex);
        return m_announced;
    }

    std::unique_ptr<QTemporaryDir> m_settings;
    std::unique_ptr<PreferenceStore> m_store;
    std::unique_ptr<YoutubeProgramPreferences> m_preferences;
    std::unique_ptr<ClipboardSnapshot> m_clipboard;
    std::mutex m_mutex;
    QList<QStringList> m_announced;
};

QTEST_GUILESS_MAIN(TestClipboard)
#include "tst_clipboard.moc"
