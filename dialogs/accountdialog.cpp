#include "accountdialog.h"

#include "barfonts.h"
#include "controls.h"
#include "messagebox.h"
#include "modal.h"

#include <QEventLoop>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QUrl>

namespace {

const QString MemoryOnlyText = QStringLiteral("パスワードを保管する場所がないため、この起動の間だけ記憶します");

// Keeps the password for each server the entries are on; false when no
// secret store took it.
bool SavePasswords(QWidget* parent, const QList<CalendarEntry>& entries, const QString& password,
                   CalendarAccounts& accounts)
{
    QStringList hosts;
    bool stored = true;
    for (const CalendarEntry& entry : entries) {
        const QUrl url(entry.Source);
        const QString host = url.host() + QLatin1Char(':') + QString::number(url.port());
        if (hosts.contains(host))
            continue;
        hosts << host;
        QEventLoop loop;
        accounts.SavePassword(entry, password, parent, [&](bool ok) {
            stored &= ok;
            loop.quit();
        });
        loop.exec();
    }
    return stored;
}

} // namespace

AccountDialog::AccountDialog(CalendarAccounts& accounts, QWidget* parent)
    : QDialog(parent)
    , m_accounts(accounts)
{
    setWindowTitle(QStringLiteral("アカウントから追加"));
    setFont(GothicFont(12));
    setFixedSize(320, 300);

    MakeLabel(this, QStringLiteral("サーバー"), 8, 12);
    ServerEdit = new QLineEdit(this);
    ServerEdit->setGeometry(88, 8, 224, 20);
    ServerEdit->setPlaceholderText(QStringLiteral("https://cal.example.org"));
    MakeLabel(this, QStringLiteral("ユーザー名"), 8, 40);
    UserEdit = new QLineEdit(this);
    UserEdit->setGeometry(88, 36, 224, 20);
    MakeLabel(this, QStringLiteral("パスワード"), 8, 68);
    PasswordEdit = new QLineEdit(this);
    PasswordEdit->setGeometry(88, 64, 150, 20);
    PasswordEdit->setEchoMode(QLineEdit::Password);
    SearchButton = MakeButton(this, QStringLiteral("検索"), {246, 62, 66, 25});

    FoundList = new QListWidget(this);
    FoundList->setGeometry(8, 96, 304, 128);
    StateLabel = new QLabel(this);
    StateLabel->setGeometry(8, 228, 304, 34);
    StateLabel->setWordWrap(true);
    StateLabel->setTextFormat(Qt::PlainText);

    OkButton = MakeButton(this, QStringLiteral("OK"), {174, 268, 66, 25});
    CancelButton = MakeButton(this, QStringLiteral("キャンセル"), {246, 268, 66, 25});
    OkButton->setEnabled(false);
    SearchButton->setDefault(true);

    connect(SearchButton, &QPushButton::clicked, this, &AccountDialog::SearchButtonClick);
    connect(OkButton, &QPushButton::clicked, this, &AccountDialog::OkButtonClick);
    connect(CancelButton, &QPushButton::clicked, this, &QDialog::reject);
}

QList<CalendarEntry> AccountDialog::Find(QWidget* parent, CalendarAccounts& accounts)
{
    AccountDialog dialog(accounts, parent);
    if (RunModal(dialog) != QDialog::Accepted)
        return {};
    return dialog.Result();
}

void AccountDialog::SearchButtonClick()
{
    const QString server = ServerEdit->text().trimmed();
    m_user = UserEdit->text().trimmed();
    m_password = PasswordEdit->text();
    if (server.isEmpty() || m_user.isEmpty() || m_password.isEmpty()) {
        MessageBoxes::ShowError(QStringLiteral("サーバー、ユーザー名、パスワードを入力してください"));
        return;
    }
    FoundList->clear();
    m_found.clear();
    StateLabel->setText(QStringLiteral("検索しています…"));
    SetBusy(true);
    m_accounts.Discover(server, m_user, m_password, this, [this](const AccountSearch& search) { Searched(search); });
}

void AccountDialog::Searched(const AccountSearch& search)
{
    SetBusy(false);
    m_found = search.Calendars;
    for (const FoundCalendar& found : m_found) {
        auto* item = new QListWidgetItem(found.Name, FoundList);
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsUserCheckable);
        item->setCheckState(Qt::Checked);
        item->setToolTip(AddressWithoutUser(found.Address));
    }
    OkButton->setEnabled(!m_found.isEmpty());
    if (!search.Error.isEmpty()) {
        StateLabel->setText(search.Error);
        if (search.AuthFailed) {
            PasswordEdit->selectAll();
            PasswordEdit->setFocus(); // offers to enter it again
        }
    } else {
        StateLabel->setText(QStringLiteral("%1 個のカレンダーが見つかりました").arg(m_found.size()));
        OkButton->setDefault(true);
    }
}

void AccountDialog::OkButtonClick()
{
    QList<CalendarEntry> ticked;
    for (int i = 0; i < FoundList->count() && i < m_found.size(); ++i) {
        if (FoundList->item(i)->checkState() == Qt::Checked)
            ticked << EntryForFoundCalendar(m_found[i], m_user);
    }
    if (ticked.isEmpty()) {
        MessageBoxes::ShowError(QStringLiteral("追加するカレンダーにチェックを付けてください"));
        return;
    }
    SetBusy(true);
    if (!SavePasswords(this, ticked, m_password, m_accounts))
        MessageBoxes::ShowError(MemoryOnlyText);
    m_password.clear();
    m_result = ticked;
    accept();
}

void AccountDialog::SetBusy(bool busy)
{
    SearchButton->setEnabled(!busy);
    OkButton->setEnabled(!busy && !m_found.isEmpty());
}

bool AskAccountPassword(QWidget* parent, const CalendarEntry& entry, CalendarAccounts& accounts)
{
    bool ok = false;
    const QString password = QInputDialog::getText(
        parent, QStringLiteral("パスワード"),
        QStringLiteral("%1 のパスワード (%2)").arg(entry.User, QUrl(entry.Source).host()), QLineEdit::Password,
        QString(), &ok);
    if (!ok || password.isEmpty())
        return false;
    if (!SavePasswords(parent, {entry}, password, accounts))
        MessageBoxes::ShowError(MemoryOnlyText);
    return true;
}
