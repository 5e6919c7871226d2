#include "modal.h"

#include <QDialog>

namespace {
std::function<int(QDialog&)>& Hook()
{
    static std::function<int(QDialog&)> hook;
    return hook;
}
} // namespace

int RunModal(QDialog& dialog)
{
    if (auto& hook = Hook()) {
        dialog.show();
        const int result = hook(dialog);
        dialog.hide();
        return result;
    }
    return dialog.exec();
}

void SetModalHookForTesting(std::function<int(QDialog&)> hook)
{
    Hook() = std::move(hook);
}
