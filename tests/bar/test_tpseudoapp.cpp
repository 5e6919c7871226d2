#include "tpseudoapp.h"

#include <QApplication>
#include <QEvent>
#include <QTest>
#include <QWidget>

class TestTPseudoApp : public QObject {
    Q_OBJECT

private slots:
    void newInstanceValues()
    {
        TPseudoApp app;
        QCOMPARE(app.HintPause, 500);
        QCOMPARE(app.HintShortPause, 50);
        QCOMPARE(app.HintHidePause, 2500);
        QVERIFY(app.ShowHint);
        QVERIFY(app.ShowMainForm);
        QVERIFY(!app.OnMessage);
    }

    void onlyOneInstance()
    {
        QCOMPARE(TPseudoApp::InstanceCount(), 0);
        {
            TPseudoApp first;
            QCOMPARE(TPseudoApp::InstanceCount(), 1);
            QString message;
            try {
                TPseudoApp second;
            } catch (const EPseudoAppError& e) {
                message = e.message();
            }
            QCOMPARE(message, QStringLiteral("Only Single Instance Allowed"));
            // The failed one is gone again.
            QCOMPARE(TPseudoApp::InstanceCount(), 1);
        }
        QCOMPARE(TPseudoApp::InstanceCount(), 0);
        TPseudoApp again; // after the first is destroyed one may be made anew
        QCOMPARE(TPseudoApp::InstanceCount(), 1);
    }

    void secondInstanceFailsOnAnyOwner()
    {
        QWidget window;
        auto* first = new TPseudoApp(&window);
        QWidget other;
        QVERIFY_THROWS_EXCEPTION(EPseudoAppError, TPseudoApp{&other});
        delete first;
        QCOMPARE(TPseudoApp::InstanceCount(), 0);
    }

    void onMessageSeesEveryEventAndMayDropIt()
    {
        TPseudoApp app;
        QList<QEvent::Type> seen;
        QObject* target = nullptr;
        app.OnMessage = [&](QObject* receiver, QEvent* event, bool& handled) {
            if (receiver != target)
                return;
            seen << event->type();
            handled = event->type() == QEvent::User;
        };
        app.Loaded();

        struct Receiver : QObject {
            int Users = 0;
            bool event(QEvent* e) override
            {
                Users += e->type() == QEvent::User || e->type() == QEvent::Type(QEvent::User + 1);
                return QObject::event(e);
            }
        } receiver;
        target = &receiver;
        QEvent user(QEvent::User);
        QEvent next(QEvent::Type(QEvent::User + 1));
        QCoreApplication::sendEvent(&receiver, &user);
        QCoreApplication::sendEvent(&receiver, &next);
        QCOMPARE(seen, (QList<QEvent::Type>{QEvent::User, QEvent::Type(QEvent::User + 1)}));
        QCOMPARE(receiver.Users, 1); // the first was handled by the filter
    }

    void hintsOffDropToolTips()
    {
        TPseudoApp app;
        app.ShowHint = false;
        app.Loaded();
        struct Receiver : QObject {
            int Tips = 0;
            bool event(QEvent* e) override
            {
                Tips += e->type() == QEvent::ToolTip;
                return QObject::event(e);
            }
        } receiver;
        QEvent tip(QEvent::ToolTip);
        QCoreApplication::sendEvent(&receiver, &tip);
        QCOMPARE(receiver.Tips, 0);
    }

    void nothingAppliesWithAMainWindow()
    {
        TPseudoApp app;
        int calls = 0;
        app.OnMessage = [&](QObject*, QEvent*, bool&) { ++calls; };
        app.Loaded(true);
        QObject receiver;
        QEvent user(QEvent::User);
        QCoreApplication::sendEvent(&receiver, &user);
        QCOMPARE(calls, 0);
    }
};

QTEST_MAIN(TestTPseudoApp)
#include "test_tpseudoapp.moc"
