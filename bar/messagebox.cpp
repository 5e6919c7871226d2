#include "messagebox.h"

#include <QApplication>
#include <QMessageBox>
#include <QPointer>

namespace MessageBoxes {
namespace {
std::function<bool(Kind, const QString&)>& Hook()
{
    static std::function<bool(Kind, const QString&)> hook;
    return hook;
}
} // namespace

void ShowError(const QString& message)
{
    if (auto& hook = Hook()) {
        hook(Kind::Error, message);
        return;
    }
    QMessageBox box(QMessageBox::Critical, QApplication::applicationDisplayName(), message, QMessageBox::Ok,
                    QApplication::activeWindow());
    box.setWindowFlag(Qt::WindowStaysOnTopHint);
    box.exec();
}

void ShowNotice(const QString& message)
{
    if (auto& hook = Hook()) {
        hook(Kind::Notice, message);
        return;
    }
    auto* box = new QMessageBox(QMessageBox::Warning, QApplication::applicationDisplayName(), message,
                                QMessageBox::Ok);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setWindowFlag(Qt::WindowStaysOnTopHint);
    box->setWindowModality(Qt::NonModal);
    box->show();
}

void AskWithoutWaiting(const QString& text, std::function<void()> yes)
{
    if (auto& hook = Hook()) {
        if (hook(Kind::Question, text))
            yes();
        return;
    }
    static QPointer<QMessageBox> open;
    if (open && open->text() == text)
        return;
    auto* box = new QMessageBox(QMessageBox::Question, QApplication::applicationDisplayName(), text,
                                QMessageBox::Ok | QMessageBox::Cancel);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setWindowFlag(Qt::WindowStaysOnTopHint);
    box->setWindowModality(Qt::NonModal);
    QObject::connect(box, &QMessageBox::finished, [yes = std::move(yes)](int result) {
        if (result == QMessageBox::Ok)
            yes();
    });
    open = box;
    box->show();
}

bool AskOkCancel(QWidget* parent, const QString& text)
{
    if (auto& hook = Hook())
        return hook(Kind::Question, text);
    QMessageBox box(QMessageBox::NoIcon, QString(), text, QMessageBox::Ok | QMessageBox::Cancel, parent);
    box.setDefaultButton(QMessageBox::Ok);
    return box.exec() == QMessageBox::Ok;
}

void SetHookForTesting(std::function<bool(Kind, const QString&)> hook)
{
    Hook() = std::move(hook);
}

} // namespace MessageBoxes
