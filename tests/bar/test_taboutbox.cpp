#include "taboutbox.h"

#include <QApplication>
#include <QFrame>
#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QTest>

class TestTAboutBox : public QObject {
    Q_OBJECT

private slots:
    void programIconIsOurOwn32x32();
    void layout();
    void creditsAreThreeLines();
    void okAndEnterClose();
    void centredWhenShown();
};

void TestTAboutBox::programIconIsOurOwn32x32()
{
    const QIcon icon = ProgramIcon();
    QVERIFY(!icon.isNull());
    const QImage image = icon.pixmap(32, 32).toImage();
    QCOMPARE(image.size(), QSize(32, 32));
    // Not one flat colour: some artwork is really there.
    QSet<QRgb> colours;
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x)
            colours.insert(image.pixel(x, y));
    QVERIFY(colours.size() > 4);
    QVERIFY(colours.size() <= 16);
}

void TestTAboutBox::layout()
{
    TAboutBox box;
    QCOMPARE(box.windowTitle(), QStringLiteral("ﾊﾞｰｼﾞｮﾝ情報"));
    QCOMPARE(box.size(), QSize(298, 161));
    QCOMPARE(box.minimumSize(), box.maximumSize());
    QVERIFY(!(box.windowFlags() & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint)));
    QCOMPARE(box.font().pixelSize(), 12);

    auto* panel = box.findChild<QFrame*>(QStringLiteral("Panel1"));
    QVERIFY(panel);
    QCOMPARE(panel->geometry(), QRect(8, 8, 281, 121));
    auto* icon = box.findChild<QLabel*>(QStringLiteral("ProgramIcon"));
    QVERIFY(icon);
    QCOMPARE(icon->geometry(), QRect(16, 16, 33, 33));
    QVERIFY(!icon->pixmap().isNull());

    QCOMPARE(box.ProductName->text(), QStringLiteral("Murvane"));
    QCOMPARE(box.ProductName->pos(), QPoint(88, 24));
    QCOMPARE(box.Version->text(), QStringLiteral("Version 1.0"));
    QCOMPARE(box.Version->pos(), QPoint(88, 40));
    QCOMPARE(box.Label1->geometry(), QRect(16, 64, 241, 49));
    QCOMPARE(box.OKButton->text(), QStringLiteral("OK"));
    QCOMPARE(box.OKButton->geometry(), QRect(103, 132, 75, 25));
    QVERIFY(box.OKButton->isDefault());
}

void TestTAboutBox::creditsAreThreeLines()
{
    TAboutBox box;
    const QStringList lines = box.Label1->text().split(QLatin1Char('\n'));
    QCOMPARE(lines.size(), 3);
    QVERIFY(lines[0].startsWith(QStringLiteral("作成者：")));
    QVERIFY(lines[1].startsWith(QStringLiteral("E-Mail：")));
    QVERIFY(lines[2].contains(QStringLiteral("README")));
    // The three lines fit the fixed label.
    const QFontMetrics metrics(box.Label1->font());
    const QRect needed = metrics.boundingRect(QRect(0, 0, 241, 1000), Qt::AlignLeft, box.Label1->text());
    QVERIFY2(needed.width() <= 241 && needed.height() <= 49,
             qPrintable(QStringLiteral("%1 x %2").arg(needed.width()).arg(needed.height())));
}

void TestTAboutBox::okAndEnterClose()
{
    TAboutBox box;
    box.show();
    QVERIFY(QTest::qWaitForWindowExposed(&box));
    QTest::mouseClick(box.OKButton, Qt::LeftButton);
    QVERIFY(!box.isVisible());
    QCOMPARE(box.result(), int(QDialog::Accepted));

    // Shown again, Enter presses the default button.
    box.show();
    QVERIFY(QTest::qWaitForWindowExposed(&box));
    QTest::keyClick(&box, Qt::Key_Return);
    QVERIFY(!box.isVisible());
}

void TestTAboutBox::centredWhenShown()
{
    TAboutBox box;
    box.move(0, 0);
    box.show();
    QVERIFY(QTest::qWaitForWindowExposed(&box));
    const QPoint screenCentre = QGuiApplication::primaryScreen()->geometry().center();
    const QPoint centre = box.frameGeometry().center();
    QVERIFY2((centre - screenCentre).manhattanLength() <= 2,
             qPrintable(QStringLiteral("%1,%2").arg(centre.x()).arg(centre.y())));
}

QTEST_MAIN(TestTAboutBox)
#include "test_taboutbox.moc"
