// Program entry. Until the main window exists this opens an empty window with the
// program's title, so that start-up and the build can be checked on a real display.
#include <QApplication>
#include <QWidget>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QWidget window;
    window.setWindowTitle("Quellon v0.3 by Dresko");
    window.resize(640, 480);
    window.show();
    return app.exec();
}
