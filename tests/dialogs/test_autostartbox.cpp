#include "autostart.h"
#include "optionsfixture.h"
#include "settingsfile.h"

#include <QCheckBox>
#include <QDir>
#include <QGroupBox>
#include <QKeySequenceEdit>
#include <QLabel>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>

using namespace Qt::StringLiterals;

// The options dialog's "ログイン時に起動する" over an autostart folder of its own.
class TestAutostartBox : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void layout();
    void confirmAppliesCancelKeeps_data();
    void confirmAppliesCancelKeeps();
    void failedWriteChangesNothing_data();
    void failedWriteChangesNothing();
    void shortcutLine_data();
    void shortcutLine();
    void shortcutSaved_data();
    void shortcutSaved();

private:
    std::unique_ptr<OptionsFixture> f;
    QTemporaryDir m_config;
};

namespace {
// An entry the user may have edited: a confirmed close that agrees with it
// must leave it alone.
const QByteArray UserEntry = "[Desktop Entry]\nType=Application\nName=Murvane\nExec=true\nX-Edited=1\n";
} // namespace

void TestAutostartBox::init()
{
    QVERIFY(m_config.isValid());
    qputenv("XDG_CONFIG_HOME", m_config.path().toLocal8Bit());
    f = std::make_unique<OptionsFixture>();
    f->Options->SetLoginStart({&Autostart::IsEnabled, &Autostart::SetEnabled});
}

void TestAutostartBox::cleanup()
{
    f.reset();
    QDir(m_config.path()).removeRecursively();
    QDir().mkpath(m_config.path());
}

void TestAutostartBox::layout()
{
    const TForm7& o = *f->Options;
    QCOMPARE(o.CheckAutostart->text(), u"ログイン時に起動する"_s);
    QCOMPARE(o.CheckAutostart->parentWidget(), o.TabSheet3);
    // Below the picture settings, which stay where they were, and on the page.
    QCOMPARE(o.GroupBox1->geometry(), QRect(24, 56, 265, 121));
    QCOMPARE(o.CheckZengo->geometry(), QRect(24, 24, 241, 17));
    QCOMPARE(o.CheckAutostart->x(), o.GroupBox1->x());
    QVERIFY(o.CheckAutostart->y() > o.GroupBox1->geometry().bottom());
    QVERIFY(o.TabSheet3->rect().contains(o.CheckAutostart->geometry()));
}

void TestAutostartBox::confirmAppliesCancelKeeps_data()
{
    QTest::addColumn<bool>("present");
    QTest::addColumn<bool>("tick");
    QTest::addColumn<bool>("answer");
    QTest::addColumn<bool>("presentAfter");

    QTest::newRow("tick, OK") << false << true << true << true;
    QTest::newRow("untick, OK") << true << false << true << false;
    QTest::newRow("tick, Cancel") << false << true << false << false;
    QTest::newRow("untick, Cancel") << true << false << false << true;
    QTest::newRow("left ticked, OK") << true << true << true << true;
}

void TestAutostartBox::confirmAppliesCancelKeeps()
{
    QFETCH(bool, present);
    QFETCH(bool, tick);
    QFETCH(bool, answer);
    QFETCH(bool, presentAfter);

    const QString path = Autostart::EntryPath();
    QCOMPARE(path, m_config.filePath(u"autostart/io.github.murvane.Murvane.desktop"_s));
    if (present) {
        QVERIFY(QDir().mkpath(QFileInfo(path).absolutePath()));
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(UserEntry);
    }

    f->Open();
    QCOMPARE(f->Options->CheckAutostart->isChecked(), present);
    f->Options->CheckAutostart->setChecked(tick);
    f->Close(answer);

    QVERIFY(f->Errors.isEmpty());
    QVERIFY(!f->Options->isVisible());
    QCOMPARE(QFileInfo::exists(path), presentAfter);
    if (present && presentAfter) {
        QCOMPARE(OptionsFixture::Bytes(path), UserEntry);
        return;
    }
    if (!presentAfter)
        return;

    // A new entry starts the launcher beside the program, and validates.
    const QString entry = QString::fromUtf8(OptionsFixture::Bytes(path));
    const QRegularExpressionMatch exec = QRegularExpression(u"^Exec=\"(.*)\"$"_s,
        QRegularExpression::MultilineOption).match(entry);
    QVERIFY2(exec.hasMatch(), qPrintable(entry));
    const QString launcher = exec.captured(1);
    QCOMPARE(QFileInfo(launcher).fileName(), u"murvane-launcher"_s);
    QVERIFY2(QFileInfo(launcher).isExecutable(), qPrintable(launcher));
    QVERIFY2(entry.contains(u"\nTryExec="_s + launcher + u'\n'), qPrintable(entry));
    const QString validator = QStandardPaths::findExecutable(u"desktop-file-validate"_s);
    if (validator.isEmpty())
        QSKIP("desktop-file-validate is missing (tools/test installs desktop-file-utils)");
    QProcess validate;
    validate.setProcessChannelMode(QProcess::MergedChannels);
    validate.start(validator, {path});
    QVERIFY(validate.waitForFinished());
    const QByteArray report = validate.readAll();
    QVERIFY2(validate.exitCode() == 0 && report.isEmpty(), report.constData());
}

void TestAutostartBox::failedWriteChangesNothing_data()
{
    QTest::addColumn<bool>("tick");
    QTest::newRow("create: the autostart folder is a file") << true;
    QTest::newRow("remove: the entry is a folder") << false;
}

void TestAutostartBox::failedWriteChangesNothing()
{
    QFETCH(bool, tick);

    const QString path = Autostart::EntryPath();
    if (tick) {
        QFile blocker(QFileInfo(path).absolutePath());
        QVERIFY(blocker.open(QIODevice::WriteOnly));
    } else {
        QVERIFY(QDir().mkpath(path + u"/inside"_s));
    }
    const BarSettings before = f->Bar.Settings;

    f->Open();
    QCOMPARE(f->Options->CheckAutostart->isChecked(), !tick);
    f->Options->CheckAutostart->setChecked(tick);
    f->Add(5, 5, u"こどもの日"_s, true);
    f->Options->CheckZengo->setChecked(true);
    f->Close(true);

    QCOMPARE(f->Errors, QStringList{u"%1 に書き込めません"_s.arg(path)});
    QVERIFY(f->Options->isVisible());
    QCOMPARE(QDir(f->Dir.path()).entryList(QDir::Files), QStringList{});
    QCOMPARE(f->Bar.Settings.ShowFRDate, before.ShowFRDate);
    QVERIFY(f->Bar.Redraws.isEmpty());
    QCOMPARE(QFileInfo(path).isDir(), !tick);
}

// The bar's shortcut on the same page: its keys, or that it has none and why.
void TestAutostartBox::shortcutLine_data()
{
    QTest::addColumn<QString>("keys");
    QTest::addColumn<QString>("problem");
    QTest::addColumn<QString>("line");
    QTest::newRow("registered") << u"Ctrl+Alt+M"_s << QString() << u"キーボードで操作するショートカット"_s;
    QTest::newRow("taken") << u"Ctrl+Alt+M"_s << u"ほかのプログラムが使っているため登録できません"_s
                           << u"ショートカット: 登録できません"_s;
    QTest::newRow("none here") << QString() << QString() << u"ショートカット: 登録できません"_s;
}

void TestAutostartBox::shortcutLine()
{
    QFETCH(QString, keys);
    QFETCH(QString, problem);
    QFETCH(QString, line);
    f->Bar.ShortcutKeys = keys;
    f->Bar.ShortcutProblem = problem;
    f->Options->show();
    QCOMPARE(f->Options->LabelShortcut->text(), line);
    QCOMPARE(f->Options->LabelShortcut->toolTip(), problem);
    const QLabel& label = *f->Options->LabelShortcut;
    QVERIFY(label.fontMetrics().horizontalAdvance(line) <= label.width());
    const QRect edit = f->Options->EditShortcut->geometry();
    QVERIFY(f->Options->TabSheet3->rect().contains(edit));
    QVERIFY(!edit.intersects(label.geometry()) && !edit.intersects(f->Options->CheckAutostart->geometry()));
    QCOMPARE(f->Options->EditShortcut->keySequence(), QKeySequence(f->Bar.Settings.Shortcut));
    f->Options->hide();
}

// Keys pressed in the edit reach Murvane.ini and the bar only on a confirmed
// close, and only when they changed.
void TestAutostartBox::shortcutSaved_data()
{
    QTest::addColumn<QString>("stored"); // before opening; empty for none
    QTest::addColumn<QString>("typed");  // pressed in the edit; "clear" for its clear button
    QTest::addColumn<bool>("answer");
    QTest::addColumn<QString>("written"); // Shortcut= afterwards; empty for none
    QTest::newRow("changed, OK") << QString() << u"Ctrl+Alt+K"_s << true << u"Ctrl+Alt+K"_s;
    QTest::newRow("changed, Cancel") << QString() << u"Ctrl+Alt+K"_s << false << QString();
    QTest::newRow("second key dropped") << QString() << u"Alt+F5, Ctrl+L"_s << true << u"Alt+F5"_s;
    QTest::newRow("Escape kept out") << u"Ctrl+Alt+K"_s << u"Esc"_s << true << u"Ctrl+Alt+K"_s;
    QTest::newRow("Backspace clears to the default") << u"Ctrl+Alt+K"_s << u"Backspace"_s << true << u"Ctrl+Alt+M"_s;
    QTest::newRow("cleared is the default") << u"Ctrl+Alt+K"_s << u"clear"_s << true << u"Ctrl+Alt+M"_s;
}

void TestAutostartBox::shortcutSaved()
{
    QFETCH(QString, stored);
    QFETCH(QString, typed);
    QFETCH(bool, answer);
    QFETCH(QString, written);
    const QString ini = SettingsFilePath(f->Dir.path());
    if (!stored.isEmpty()) {
        TIniFile(ini).WriteText(u"その他"_s, u"Shortcut"_s, stored);
        std::optional<QImage> picture;
        LoadSettings(f->Dir.path(), f->Bar.Settings, picture);
    }
    f->Open();
    QKeySequenceEdit& edit = *f->Options->EditShortcut;
    if (typed == u"clear")
        edit.clear();
    const QKeySequence keys = QKeySequence::fromString(typed == u"clear" ? QString() : typed);
    for (int i = 0; i < keys.count(); ++i)
        QTest::keyClick(&edit, keys[i].key(), keys[i].keyboardModifiers());
    f->Close(answer);

    QCOMPARE(TIniFile(ini).ReadText(u"その他"_s, u"Shortcut"_s, QString()), written);
    QCOMPARE(f->Bar.Registrations, answer && written != stored ? 1 : 0);
}

QTEST_MAIN(TestAutostartBox)
#include "test_autostartbox.moc"
