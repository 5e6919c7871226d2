#pragma once

// Windows lets only the program the user is working in bring a window to the
// front: `murvane --focus`, started by the user, passes that right on to the
// running bar before asking it. Nothing to do elsewhere.
namespace Foreground {
void LetTheBarTakeIt();
}
