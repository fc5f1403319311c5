// A bare Qt 6 window of about 60 widgets, of the kinds the main window has,
// with nothing of the program behind it: the floor that the program's start-up
// is measured against (bench/app/startup_process.sh).  With --japanese its
// captions are Japanese, so that it needs a Japanese font as the program does.
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QStatusBar>
#include <QTabBar>
#include <QToolButton>

#include <cstring>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    const bool japanese = argc > 1 && std::strcmp(argv[1], "--japanese") == 0;
    const QString caption = japanese ? QStringLiteral(u"お届け先") : QStringLiteral("Label");
    QWidget window;
    window.setFixedSize(677, 646);
    int y = 4;
    auto place = [&](QWidget* w, int x, int width) { w->setGeometry(x, y, width, 22); };
    for (int i = 0; i < 16; ++i, y += 24) {  // 16 rows: label, edit, label, button
        place(new QLabel(caption, &window), 4, 90);
        place(new QLineEdit(&window), 100, 260);
        if (i < 4) place(new QLabel(caption, &window), 370, 80);
        place(new QToolButton(&window), 460, 60);
    }
    auto* memo = new QPlainTextEdit(&window);
    memo->setGeometry(540, 4, 130, 120);
    for (int i = 0; i < 4; ++i) {
        auto* box = new QComboBox(&window);
        box->addItem(caption);
        box->setGeometry(540, 130 + 24 * i, 130, 22);
    }
    auto* check1 = new QCheckBox(caption, &window);
    check1->setGeometry(540, 230, 130, 22);
    auto* check2 = new QCheckBox(caption, &window);
    check2->setGeometry(540, 254, 130, 22);
    auto* date = new QDateEdit(&window);
    date->setGeometry(540, 280, 130, 22);
    auto* group = new QGroupBox(caption, &window);
    group->setGeometry(540, 310, 130, 100);
    auto* tabs = new QTabBar(&window);
    for (int i = 1; i <= 10; ++i) tabs->addTab(caption + QString::number(i));
    tabs->setGeometry(4, 400, 500, 24);
    auto* status = new QStatusBar(&window);
    status->setGeometry(0, 626, 677, 20);
    window.show();
    return app.exec();
}
