#include "tform7.h"

TForm7::TForm7(BarContext& bar, TForm5& entryDialog, QWidget* parent)
    : QDialog(parent), m_bar(bar), m_entryDialog(entryDialog)
{
}
