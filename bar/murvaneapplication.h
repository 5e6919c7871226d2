#pragma once

#include <QApplication>

// The application object: an error raised inside any event handler ends
// that handler and is shown in the standard error message box; the program
// goes on.
class MurvaneApplication : public QApplication {
    Q_OBJECT

public:
    MurvaneApplication(int& argc, char** argv);

    bool notify(QObject* receiver, QEvent* event) override;
};

// Runs one handler the way the application does: an AppError, any other
// exception (std::bad_alloc included) goes to MessageBoxes::ShowError instead
// of further up. For handlers called from places that must not be unwound,
// such as a menu.
template <typename F>
void RunHandler(F&& handler);

// Show the error box; they never raise themselves.
void ReportHandlerError(const std::exception& error);
void ReportUnknownHandlerError();

template <typename F>
void RunHandler(F&& handler)
{
    try {
        handler();
    } catch (const std::exception& error) {
        ReportHandlerError(error);
    } catch (...) {
        ReportUnknownHandlerError();
    }
}
