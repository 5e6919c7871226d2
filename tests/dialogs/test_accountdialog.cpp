// "アカウントから追加": what a search shows and what OK hands back and keeps.

#include "accountdialog.h"

#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <QTimer>

namespace {

// Answers a search with a prepared result; records where passwords went.
struct FakeAccounts : CalendarAccounts {
    AccountSearch Next;
    QStringList Saved;
    void Discover(const QString&, const QString&, const QString&, QObject* context,
                  std::function<void(const AccountSearch&)> done) override
    {
        QTimer::singleShot(0, context, [this, done] { done(Next); });
    }
    void SavePassword(const CalendarEntry& entry, const QString& password, QObject* context,
                      std::function<void(bool)> done) override
    {
        Saved << entry.User + '@' + QUrl(entry.Source).host() + ' ' + password;
        QTimer::singleShot(0, context, [done] { done(true); });
    }
    bool PasswordInMemoryOnly(const CalendarEntry&) const override { return false; }
};

} // namespace

class TestAccountDialog : public QObject {
    Q_OBJECT

private slots:
    void search_data()
    {
        QTest::addColumn<QStringList>("found");    // name|colour|address
        QTest::addColumn<QString>("error");
        QTest::addColumn<int>("untick");           // row to untick, or -1
        QTest::addColumn<QString>("state");
        QTest::addColumn<QStringList>("entries");  // name|colour|user|source, empty: OK not offered
        QTest::addColumn<QStringList>("saved");
        QTest::newRow("two found, one unticked, user part dropped")
            << QStringList{"Work|#ff0000|https://h.example/a/work/", "Home||https://x:y@h.example/a/home/"} << ""
            << 1 << "2 個のカレンダーが見つかりました"
            << QStringList{"Work|#ff0000|alice|https://h.example/a/work/"} << QStringList{"alice@h.example pw"};
        QTest::newRow("default colour") << QStringList{"Home||https://x:y@h.example/a/home/"} << "" << -1
                                        << "1 個のカレンダーが見つかりました"
                                        << QStringList{"Home|#3a87ad|alice|https://h.example/a/home/"}
                                        << QStringList{"alice@h.example pw"};
        QTest::newRow("refused password") << QStringList() << "認証に失敗しました" << -1 << "認証に失敗しました"
                                          << QStringList() << QStringList();
    }
    void search()
    {
        QFETCH(QStringList, found);
        QFETCH(QString, error);
        QFETCH(int, untick);
        QFETCH(QString, state);
        QFETCH(QStringList, entries);
        QFETCH(QStringList, saved);
        FakeAccounts accounts;
        for (const QString& f : found) {
            const QStringList p = f.split('|');
            accounts.Next.Calendars << FoundCalendar{p[2], p[0], p[1]};
        }
        accounts.Next.Error = error;
        accounts.Next.AuthFailed = !error.isEmpty();

        AccountDialog dialog(accounts);
        dialog.ServerEdit->setText("https://h.example");
        dialog.UserEdit->setText("alice");
        dialog.PasswordEdit->setText("pw");
        dialog.SearchButton->click();
        QTRY_COMPARE(dialog.StateLabel->text(), state);
        QCOMPARE(dialog.OkButton->isEnabled(), !entries.isEmpty());
        if (untick >= 0)
            dialog.FoundList->item(untick)->setCheckState(Qt::Unchecked);
        if (!entries.isEmpty())
            dialog.OkButton->click();
        QStringList result;
        for (const CalendarEntry& e : dialog.Result())
            result << QStringList{e.Name, e.Color, e.User, e.Source}.join('|');
        QCOMPARE(result, entries);
        QCOMPARE(accounts.Saved, saved);
    }
};

QTEST_MAIN(TestAccountDialog)
#include "test_accountdialog.moc"
