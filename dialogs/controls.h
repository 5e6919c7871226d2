#pragma once

#include <QRect>
#include <QString>

class QLabel;
class QPushButton;
class QWidget;

// The dialogs lay their controls out by hand, at the places the design gives.

// A button at geometry.
QPushButton* MakeButton(QWidget* parent, const QString& text, const QRect& geometry);
// A label at (left, top), as large as its text.
QLabel* MakeLabel(QWidget* parent, const QString& text, int left, int top);
