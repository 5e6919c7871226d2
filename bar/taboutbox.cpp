#include "taboutbox.h"

#include "barfonts.h"

#include <QFrame>
#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QShowEvent>

QIcon ProgramIcon()
{
    return QIcon(QStringLiteral(":/icon/murvane.xpm"));
}

TAboutBox::TAboutBox(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint
                          | Qt::WindowCloseButtonHint | Qt::CustomizeWindowHint)
{
    setWindowTitle(QStringLiteral("ﾊﾞｰｼﾞｮﾝ情報"));
    setFont(GothicFont(12));
    setFixedSize(298, 161);

    auto* panel = new QFrame(this);
    panel->setObjectName(QStringLiteral("Panel1"));
    // Etched: lowered outside, raised inside.
    panel->setFrameStyle(QFrame::Box | QFrame::Sunken);
    panel->setGeometry(8, 8, 281, 121);

    auto* icon = new QLabel(panel);
    icon->setObjectName(QStringLiteral("ProgramIcon"));
    icon->setGeometry(16, 16, 33, 33);
    icon->setScaledContents(true);
    icon->setPixmap(ProgramIcon().pixmap(32, 32));

    ProductName = new QLabel(QStringLiteral("Murvane"), panel);
    ProductName->setObjectName(QStringLiteral("ProductName"));
    ProductName->move(88, 24);
    ProductName->adjustSize();

    Version = new QLabel(QStringLiteral("Version 1.0"), panel);
    Version->setObjectName(QStringLiteral("Version"));
    Version->move(88, 40);
    Version->adjustSize();

    Label1 = new QLabel(panel);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setGeometry(16, 64, 241, 49);
    Label1->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    Label1->setTextFormat(Qt::PlainText);

    OKButton = new QPushButton(QStringLiteral("OK"), this);
    OKButton->setObjectName(QStringLiteral("OKButton"));
    OKButton->setGeometry(103, 132, 75, 25);
    OKButton->setDefault(true);
    OKButton->setAutoDefault(true);
    connect(OKButton, &QPushButton::clicked, this, &TAboutBox::OKButtonClick);

    FormCreate();
}

void TAboutBox::FormCreate()
{
    // One line each; Qt labels break at a line feed alone.
    Label1->setText(QStringLiteral("作成者：Murvane 開発チーム\n"
                                   "E-Mail：なし\n"
                                   "詳しくは README をご覧ください"));
}

void TAboutBox::OKButtonClick()
{
    accept();
}

void TAboutBox::showEvent(QShowEvent* event)
{
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        QRect frame = frameGeometry();
        frame.moveCenter(screen->geometry().center());
        move(frame.topLeft());
    }
    QDialog::showEvent(event);
}
