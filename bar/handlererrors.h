#pragma once

#include <exception>

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
