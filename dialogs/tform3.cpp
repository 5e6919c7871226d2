#include "tform3.h"

TForm3::TForm3(BarContext& bar, QWidget* parent) : QDialog(parent), m_bar(bar) {}

void TForm3::Prepare(const CellRec&, IntPair) {}
