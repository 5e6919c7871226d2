#include "endsession.h"

#include <QApplication>
#include <QDialog>
#include <QPointer>

EndSession::EndSession(std::function<void()> end) : m_source(WatchStopRequests(std::move(end))) {}

EndSession::~EndSession() = default;

void CloseOpenDialogs()
{
    QList<QPointer<QDialog>> open;
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (auto* dialog = qobject_cast<QDialog*>(widget); dialog && dialog->isVisible())
            open.append(dialog);
    }
    for (const QPointer<QDialog>& dialog : open) {
        if (dialog)
            dialog->reject();
    }
}
