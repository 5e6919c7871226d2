#pragma once

#include "apperror.h"

#include <QColor>
#include <QObject>
#include <functional>

class QEvent;

class EPseudoAppError : public AppError {
public:
    using AppError::AppError;
};

// Carries application-wide settings and handlers on a window, as a component
// of the window. Only one may exist: a second one fails with
// EPseudoAppError "Only Single Instance Allowed".
class TPseudoApp : public QObject {
    Q_OBJECT

public:
    explicit TPseudoApp(QObject* owner = nullptr);
    ~TPseudoApp() override;

    static int InstanceCount();

    QColor HintColor{255, 255, 225}; // the tool-tip background, clInfoBk
    int HintPause = 500;
    int HintShortPause = 50;
    int HintHidePause = 2500;
    bool ShowHint = true;
    bool ShowMainForm = true;

    std::function<void()> OnActivate;
    std::function<void()> OnDeactivate;
    std::function<void(const std::exception&)> OnException;
    std::function<void(bool& done)> OnIdle;
    std::function<bool(int command)> OnHelp;
    std::function<void()> OnHint;
    // Every event of the program before it is delivered, also during modal
    // loops; setting handled drops the event.
    std::function<void(QObject* receiver, QEvent* event, bool& handled)> OnMessage;
    std::function<void()> OnMinimize;
    std::function<void()> OnRestore;
    std::function<void(QString& hintText, bool& canShow)> OnShowHint;

    // Puts the properties and handlers into effect for the whole program once
    // the owner is set up; with a main window already there, nothing happens.
    void Loaded(bool applicationHasMainWindow = false);

    // The handler the application runs for an error of a handler, when one
    // was set; false when none is.
    bool HandleException(const std::exception& error) const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool m_applied = false;
    bool m_inMessage = false;
};
