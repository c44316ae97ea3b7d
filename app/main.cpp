// vantrel: the desktop program.

#include "AppController.h"
#include "MainWindow.h"
#include "YoutubeProgramPreferences.h"

#include <QApplication>

using namespace Qt::Literals::StringLiterals;

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(u"Vantrel"_s);
    QApplication::setApplicationVersion(u"7.0"_s);
    QApplication::setDesktopFileName(u"vantrel"_s);
    MainWindow window(YoutubeProgramPreferences::sharedPreferences());
    window.show();
    window.controller().applicationDidFinishLaunching();
    return QApplication::exec();
}
