#include "QtTranslations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

using namespace Qt::Literals::StringLiterals;

void QtTranslations::install()
{
    const QString name = u"qtTranslations"_s;
    QCoreApplication *application = QCoreApplication::instance();
    if (!application || application->findChild<QTranslator *>(name, Qt::FindDirectChildrenOnly))
        return;
    // Owned by the application, so it is found again by a later call and
    // outlives every thread that translates.
    auto *translator = new QTranslator(application);
    translator->setObjectName(name);
    // The program's tables follow the system locale's language and
    // territory, not a preference list of languages: so do Qt's.
    const QLocale locale(QLocale::system().name());
    if (translator->load(locale, u"qtbase"_s, u"_"_s, QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QCoreApplication::installTranslator(translator);
}
