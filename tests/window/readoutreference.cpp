// SPDX-License-Identifier: GPL-3.0-or-later
// The read-out label as the started program draws it, showing the design caption and the read-out
// for 0 degrees, saved as images: the Windows end-to-end test compares the installed program's screen
// against them, since Qt draws its controls itself and nothing else reads them back under Wine.
//
//   readoutreference CAPTION.png READOUT.png

#include "windowtest.h"

#include <QApplication>
#include <QLabel>

using namespace varnelo::test;

int main(int argc, char *argv[])
{
    varnelo::configureApplication();
    QApplication app(argc, argv);
    const QStringList files = QApplication::arguments().mid(1);
    if (files.size() != 2)
        return 2;
    const auto form = varnelo::openMainWindow();
    auto *label = form->findChild<QLabel *>(u"Label1(1)"_s);
    if (!label || !QTest::qWaitForWindowExposed(form.get()))
        return 1;
    const QString texts[] = {DesignCaption, readout(0)};
    for (int i = 0; i < 2; ++i) {
        label->setText(texts[i]);
        if (!label->grab().save(files[i], "PNG"))
            return 1;
    }
    return 0;
}
