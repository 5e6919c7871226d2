#include "foreground.h"

void Foreground::LetTheBarTakeIt()
{
}
