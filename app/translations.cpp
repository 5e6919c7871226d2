#include "translations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

bool InstallQtTranslations()
{
    QCoreApplication* app = QCoreApplication::instance();
    if (!app)
        return false;
    auto* translator = new QTranslator(app);
    const QLocale japanese(QLocale::Japanese, QLocale::Japan);
    // windeployqt gathers Qt's catalogues into one "qt_ja.qm"; the static
    // Windows build carries Qt's own catalogue inside the program.
    for (const QString& folder : {QLibraryInfo::path(QLibraryInfo::TranslationsPath),
                                  QCoreApplication::applicationDirPath() + QStringLiteral("/translations"),
                                  QStringLiteral(":/translations")}) {
        for (const QString& name : {QStringLiteral("qtbase"), QStringLiteral("qt")}) {
            if (translator->load(japanese, name, QStringLiteral("_"), folder)) {
                QCoreApplication::installTranslator(translator);
                return true;
            }
        }
    }
    delete translator;
    return false;
}
