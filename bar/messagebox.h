#pragma once

#include <QString>
#include <functional>

class QWidget;

// The application's standard message boxes.
namespace MessageBoxes {

// The error box every failed user action ends in.
void ShowError(const QString& message);

// A question with OK and Cancel and an empty title; true for OK.
bool AskOkCancel(QWidget* parent, const QString& text);

// A notice the user should act on, such as a conflict copy to merge: shown
// without a modal loop, so that nothing waits for it; it stays until closed.
void ShowNotice(const QString& message);

// A question that waits for no one: yes runs when the user answers OK. While
// one asked with the same text is open, it is not asked again.
void AskWithoutWaiting(const QString& text, std::function<void()> yes);

enum class Kind { Error, Question, Notice };
// Tests answer instead of a user: the hook sees every box (kind and text) and
// returns true for OK. Errors ignore the answer.
void SetHookForTesting(std::function<bool(Kind, const QString&)> hook);

} // namespace MessageBoxes
