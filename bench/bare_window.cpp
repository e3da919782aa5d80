// The toolkit's floor for start-up: a Qt window of the converter's size holding the same kinds
// of widgets (a list, two drop-down lists, two line edits, two labels, a push button) and
// nothing else: no picture, no fonts, no items, no logic. What the converter costs above
// this is its own.
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QWidget>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QWidget window;
    window.setFixedSize(455, 324);

    // The converter's geometry, so that both windows paint the same area.
    auto* button = new QPushButton(&window);
    button->setGeometry(4, 248, 445, 25);
    auto* list = new QListWidget(&window);
    list->setGeometry(276, 0, 177, 200);
    auto* comboB = new QComboBox(&window);
    comboB->setGeometry(324, 216, 97, 24);
    auto* comboA = new QComboBox(&window);
    comboA->setGeometry(108, 216, 97, 24);
    auto* editB = new QLineEdit(&window);
    editB->setGeometry(244, 216, 81, 24);
    auto* editA = new QLineEdit(&window);
    editA->setGeometry(28, 216, 81, 24);
    auto* equals = new QLabel(&window);
    equals->setGeometry(216, 216, 21, 23);
    auto* message = new QLabel(&window);
    message->setGeometry(192, 300, 133, 17);

    window.show();
    return app.exec();
}
