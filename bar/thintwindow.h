#pragma once

#include <QColor>
#include <QRect>
#include <QString>
#include <QWidget>

// The one pop-up window: a top-most, never-focused window with a thin raised
// border that paints its text word-wrapped 2 pixels inside its top-left
// corner in the tool-tip text colour. Hiding releases its system window.
class THintWindow : public QWidget {
    Q_OBJECT

public:
    THintWindow();

    // The screen the pop-ups keep to: the primary one.
    static QRect ScreenRect();

    // The text's word-wrapped extent within maxWidth, plus 6 by 2 pixels.
    QRect CalcHintRect(int maxWidth, const QString& text) const;
    // The same, with a word too long for a line broken inside it, as the
    // window paints a text too wide for its width.
    QRect CalcWrappedRect(int maxWidth, const QString& text) const;
    void SetBackground(const QColor& color);
    // Shows the text at rect (screen coordinates: position and size), 4 pixels
    // taller, kept on screen, without activating. A released window is
    // created again here.
    void ActivateHint(const QRect& rect, const QString& text);
    void ReleaseHandle(); // hides and destroys the system window
    const QString& Text() const { return m_text; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString m_text;
    bool m_releasePending = false;
};
