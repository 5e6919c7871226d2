#pragma once

#include "handlererrors.h"

#include <QApplication>

// The application object: an error raised inside any event handler ends
// that handler and is shown in the standard error message box; the program
// goes on.
class MurvaneApplication : public QApplication {
    Q_OBJECT

public:
    MurvaneApplication(int& argc, char** argv);

    bool notify(QObject* receiver, QEvent* event) override;
};
