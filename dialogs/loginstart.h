#pragma once

#include <QString>
#include <functional>

// How the program starts at login, as the options dialog sees it. The
// platform's way lives with the program's start, which hands it in; a dialog
// given none shows the box unticked and changes nothing.
struct LoginStart {
    std::function<bool()> IsEnabled;
    // Raises AppError when the entry cannot be written.
    std::function<void(bool enabled, const QString& dataDir)> SetEnabled;
};
