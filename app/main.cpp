// vantrel: the desktop program.

#include "AppController.h"
#include "MainWindow.h"
#include "StateFolder.h"
#include "VantrelVersion.h"
#include "YoutubeProgramPreferences.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QIcon>

using namespace Qt::Literals::StringLiterals;

namespace {

// Whether the arguments ask only for the help or the version. Those are
// answered without the window system, so that they work where there is no
// display. Qt's own options (-platform, -style) are unknown to the parser and
// so go on to the window's application, which takes them.
bool asksOnlyForText(QCommandLineParser &parser, int argc, char **argv)
{
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments.append(QString::fromLocal8Bit(argv[i]));
    return parser.parse(arguments) && (parser.isSet(u"help"_s) || parser.isSet(u"version"_s));
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication::setApplicationName(u"Vantrel"_s);
    QCoreApplication::setApplicationVersion(QStringLiteral(VANTREL_VERSION));
    QCommandLineParser parser;
    parser.setApplicationDescription(u"Turns links to video pages into MP3 or WAV files."_s);
    parser.addHelpOption();
    parser.addVersionOption();
    if (asksOnlyForText(parser, argc, argv)) {
        QCoreApplication app(argc, argv);
        parser.process(app); // prints the text and exits
    }

    QApplication app(argc, argv);
    QGuiApplication::setDesktopFileName(u"vantrel"_s);
    parser.process(app);

    QIcon icon;
    for (const int size : {16, 24, 32, 48, 64, 128, 256})
        icon.addFile(u":/desktop/vantrel-%1.png"_s.arg(size));
    QApplication::setWindowIcon(icon);
    MainWindow window(YoutubeProgramPreferences::sharedPreferences());
    window.controller().keepList(StateFolder::standardFolder());
    window.show();
    window.controller().applicationDidFinishLaunching();
    return QApplication::exec();
}
