// vantrel: the desktop program.

#include "AppController.h"
#include "MainWindow.h"
#include "YoutubeProgramPreferences.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QIcon>

using namespace Qt::Literals::StringLiterals;

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(u"Vantrel"_s);
    QApplication::setApplicationVersion(u"7.0"_s);
    QApplication::setDesktopFileName(u"vantrel"_s);
    QCommandLineParser parser;
    parser.setApplicationDescription(u"Turns links to video pages into MP3 or WAV files."_s);
    parser.addHelpOption();
    parser.addVersionOption();
    parser.process(app);

    QIcon icon;
    for (const int size : {16, 24, 32, 48, 64, 128, 256})
        icon.addFile(u":/desktop/vantrel-%1.png"_s.arg(size));
    QApplication::setWindowIcon(icon);
    MainWindow window(YoutubeProgramPreferences::sharedPreferences());
    window.show();
    window.controller().applicationDidFinishLaunching();
    return QApplication::exec();
}
