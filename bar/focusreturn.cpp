// Platforms without their own file: the window system gives the focus back.
#include "focusreturn.h"

#if !defined(MURVANE_BAR_WINDOW_X11) && !defined(MURVANE_BAR_WINDOW_WIN)
namespace {
class NoFocusReturn : public FocusReturn {
public:
    void Remember() override {}
    void GiveBack() override {}
};
} // namespace

std::unique_ptr<FocusReturn> FocusReturn::Create(QWidget&)
{
    return std::make_unique<NoFocusReturn>();
}
#endif
