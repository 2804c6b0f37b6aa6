// SPDX-License-Identifier: GPL-3.0-or-later
// The floor for bench-web: a bare Qt window of the form's size and background colour, shown centred
// by Qt, with no text, no font loaded and no translation. What the program costs beyond Qt itself is
// the difference between the two.
#include <QApplication>
#include <QPalette>
#include <QWidget>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QWidget window;
    QPalette palette = window.palette();
    palette.setColor(QPalette::Window, QColor(192, 192, 255));
    window.setPalette(palette);
    window.setAutoFillBackground(true);
    window.setFixedSize(476, 345);
    window.showNormal();
    return QApplication::exec();
}
