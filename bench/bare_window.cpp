// A bare frameless, top-most tool window 37 pixels high at 0,0, built and
// started like murvane.exe: what a start of the bar is measured against.
#include <QApplication>
#include <QWidget>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QWidget window(nullptr, Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint | Qt::Tool);
    window.setWindowTitle(QStringLiteral("bare"));
    window.setGeometry(0, 0, 600, 37);
    window.show();
    return QApplication::exec();
}
