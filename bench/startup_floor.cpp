// The floor the game's start-up is measured against: a minimal Qt Widgets window with a menu bar
// and a button.
#include <QApplication>
#include <QMainWindow>
#include <QMenuBar>
#include <QPushButton>

int main(int argc, char* argv[])
{
    QApplication application(argc, argv);
    QMainWindow window;
    window.menuBar()->addMenu(QStringLiteral("Menü"))->addAction(QStringLiteral("Eintrag"));
    auto* button = new QPushButton(QStringLiteral("Knopf"));
    window.setCentralWidget(button);
    window.resize(505, 408);
    window.show();
    return QApplication::exec();
}
