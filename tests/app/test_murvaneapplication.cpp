#include "apperror.h"
#include "messagebox.h"
#include "murvaneapplication.h"

#include <QEvent>
#include <QTest>
#include <new>
#include <stdexcept>

namespace {
// Raises what it is told from its event handler, as a failing handler does.
class Thrower : public QObject {
public:
    std::function<void()> Raise;
    int Handled = 0;
    bool event(QEvent* e) override
    {
        if (e->type() != QEvent::User)
            return QObject::event(e);
        Raise();
        ++Handled;
        return true;
    }
};
} // namespace

class TestMurvaneApplication : public QObject {
    Q_OBJECT

private:
    QStringList m_shown;

private slots:
    void initTestCase()
    {
        MessageBoxes::SetHookForTesting([this](MessageBoxes::Kind kind, const QString& text) {
            if (kind == MessageBoxes::Kind::Error)
                m_shown << text;
            return true;
        });
    }
    void init() { m_shown.clear(); }

    void handlerErrorsAreShownAndTheProgramGoesOn_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("shown");
        QTest::newRow("program error") << 0 << "'2024/02/30' は日付ではありません";
        QTest::newRow("standard exception") << 1 << "out of range";
        QTest::newRow("nothing raised") << 2 << "";
        QTest::newRow("out of memory") << 3 << "メモリが足りません";
        QTest::newRow("no standard exception") << 4 << "予期しないエラーが発生しました";
    }

    void handlerErrorsAreShownAndTheProgramGoesOn()
    {
        QFETCH(int, kind);
        QFETCH(QString, shown);
        Thrower thrower;
        thrower.Raise = [kind] {
            if (kind == 0)
                throw AppError(QStringLiteral("'2024/02/30' は日付ではありません"));
            if (kind == 1)
                throw std::out_of_range("out of range");
            if (kind == 3)
                throw std::bad_alloc();
            if (kind == 4)
                throw 42;
        };
        // Posted, so that it arrives through the application's own dispatch.
        QCoreApplication::postEvent(&thrower, new QEvent(QEvent::User));
        QCoreApplication::postEvent(&thrower, new QEvent(QEvent::User));
        QCoreApplication::processEvents();
        QCOMPARE(m_shown, shown.isEmpty() ? QStringList() : (QStringList{shown, shown}));
        QCOMPARE(thrower.Handled, kind == 2 ? 2 : 0);
    }

    void runHandlerReportsInPlace()
    {
        bool after = false;
        RunHandler([] { throw AppError(QStringLiteral("書けません")); });
        RunHandler([&] { after = true; });
        QCOMPARE(m_shown, QStringList{QStringLiteral("書けません")});
        QVERIFY(after);
    }
};

int main(int argc, char** argv)
{
    MurvaneApplication app(argc, argv);
    TestMurvaneApplication test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_murvaneapplication.moc"
