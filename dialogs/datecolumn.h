#pragma once

class QFont;

// The schedule list's date column: wide enough for a "YYYY/MM/DD" in the font
// in use, with the room the cell drawing keeps around its text, and never
// narrower than designed.
int FitDateColumn(const QFont& font, int designed);
