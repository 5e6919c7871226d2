#include "murvaneapplication.h"

MurvaneApplication::MurvaneApplication(int& argc, char** argv) : QApplication(argc, argv) {}

bool MurvaneApplication::notify(QObject* receiver, QEvent* event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception& error) {
        ReportHandlerError(error);
    } catch (...) {
        ReportUnknownHandlerError();
    }
    return false;
}
