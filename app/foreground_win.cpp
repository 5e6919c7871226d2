#include "foreground.h"

#include <windows.h>

void Foreground::LetTheBarTakeIt()
{
    AllowSetForegroundWindow(ASFW_ANY);
}
