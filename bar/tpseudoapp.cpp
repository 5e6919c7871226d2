#include "tpseudoapp.h"

#include <QAbstractEventDispatcher>
#include <QApplication>
#include <QEvent>
#include <QPalette>
#include <QToolTip>

namespace {
int g_instances = 0;
}

TPseudoApp::TPseudoApp(QObject* owner) : QObject(owner)
{
    if (++g_instances > 1) {
        --g_instances;
        throw EPseudoAppError(QStringLiteral("Only Single Instance Allowed"));
    }
}

TPseudoApp::~TPseudoApp()
{
    --g_instances;
}

int TPseudoApp::InstanceCount()
{
    return g_instances;
}

void TPseudoApp::Loaded(bool applicationHasMainWindow)
{
    if (applicationHasMainWindow || m_applied || !QCoreApplication::instance())
        return;
    m_applied = true;

    if (qobject_cast<QApplication*>(QCoreApplication::instance())) {
        QPalette tips = QToolTip::palette();
        tips.setColor(QPalette::ToolTipBase, HintColor);
        QToolTip::setPalette(tips);
    }
    QCoreApplication::instance()->installEventFilter(this);
    if (OnActivate || OnDeactivate) {
        connect(qApp, &QGuiApplication::applicationStateChanged, this, [this](Qt::ApplicationState s) {
            if (s == Qt::ApplicationActive && OnActivate)
                OnActivate();
            else if (s != Qt::ApplicationActive && OnDeactivate)
                OnDeactivate();
        });
    }
    if (OnIdle) {
        if (auto* dispatcher = QAbstractEventDispatcher::instance()) {
            connect(dispatcher, &QAbstractEventDispatcher::aboutToBlock, this, [this] {
                bool done = true;
                OnIdle(done);
            });
        }
    }
}

bool TPseudoApp::HandleException(const std::exception& error) const
{
    if (!OnException)
        return false;
    OnException(error);
    return true;
}

bool TPseudoApp::eventFilter(QObject* watched, QEvent* event)
{
    if (!ShowHint && event->type() == QEvent::ToolTip)
        return true; // tool-tips are off throughout the program
    if (OnMessage && !m_inMessage) {
        // A handler that itself sends events does not see them again.
        m_inMessage = true;
        bool handled = false;
        try {
            OnMessage(watched, event, handled);
        } catch (...) {
            m_inMessage = false;
            throw;
        }
        m_inMessage = false;
        if (handled)
            return true;
    }
    return QObject::eventFilter(watched, event);
}
