#include "tform6.h"

TForm6::TForm6(BarContext& bar, QWidget* parent) : QDialog(parent), m_bar(bar) {}
