#include "handlererrors.h"

#include "apperror.h"
#include "messagebox.h"

#include <new>

namespace {
void ShowErrorQuietly(const QString& text) noexcept
{
    // Showing the box may itself run out of memory; nothing may escape from
    // here into Qt's event dispatch.
    try {
        MessageBoxes::ShowError(text);
    } catch (...) {
    }
}
} // namespace

void ReportHandlerError(const std::exception& error)
{
    try {
        if (const auto* appError = dynamic_cast<const AppError*>(&error)) {
            ShowErrorQuietly(appError->message());
        } else if (dynamic_cast<const std::bad_alloc*>(&error)) {
            ShowErrorQuietly(QStringLiteral("メモリが足りません"));
        } else {
            const QString text = QString::fromLocal8Bit(error.what());
            if (text.isEmpty())
                ReportUnknownHandlerError();
            else
                ShowErrorQuietly(text);
        }
    } catch (...) {
    }
}

void ReportUnknownHandlerError()
{
    ShowErrorQuietly(QStringLiteral("予期しないエラーが発生しました"));
}
