#include "translations.h"

#include <QTest>
#include <algorithm>

// Qt's dialogs read in Japanese once the program has installed Qt's texts.
class TestTranslations : public QObject {
    Q_OBJECT

private slots:
    void qtDialogsSpeakJapanese_data()
    {
        QTest::addColumn<QString>("context");
        QTest::addColumn<QString>("english");
        QTest::newRow("colour dialog's title") << "QColorDialog" << "Select Color";
        QTest::newRow("file dialog's open") << "QFileDialog" << "&Open";
        QTest::newRow("buttons' cancel") << "QPlatformTheme" << "Cancel";
    }

    void qtDialogsSpeakJapanese()
    {
        QFETCH(QString, context);
        QFETCH(QString, english);
        static const bool installed = InstallQtTranslations();
        QVERIFY2(installed, "qtbase_ja.qm not found (the package qt6-translations-l10n carries it)");
        const QString shown = QCoreApplication::translate(context.toLatin1().constData(), english.toLatin1().constData());
        QVERIFY2(shown != english, qPrintable(shown));
        QVERIFY2(std::any_of(shown.begin(), shown.end(), [](QChar c) { return c.unicode() >= 0x3000; }),
                 qPrintable(shown));
    }
};

QTEST_GUILESS_MAIN(TestTranslations)
#include "test_translations.moc"
