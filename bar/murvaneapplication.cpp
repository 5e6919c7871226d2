#include "murvaneapplication.h"

#include "apperror.h"
#include "messagebox.h"

MurvaneApplication::MurvaneApplication(int& argc, char** argv) : QApplication(argc, argv) {}

bool MurvaneApplication::notify(QObject* receiver, QEvent* event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception& error) {
        ReportHandlerError(error);
    }
    return false;
}

void ReportHandlerError(const std::exception& error)
{
    if (const auto* appError = dynamic_cast<const AppError*>(&error))
        MessageBoxes::ShowError(appError->message());
    else
        MessageBoxes::ShowError(QString::fromLocal8Bit(error.what()));
}
