#pragma once

#include <functional>

class QDialog;

// Every modal showing goes through here so that tests can answer a dialog
// instead of a user: the hook receives the dialog, shown non-modally, and
// returns its result.
int RunModal(QDialog& dialog);
void SetModalHookForTesting(std::function<int(QDialog&)> hook);
