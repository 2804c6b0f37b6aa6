// SPDX-License-Identifier: GPL-3.0-or-later
#include "varnelo.h"

#include "arithmetic.h"
#include "design.h"
#include "listbox.h"
#include "picturebox.h"
#include "runtime.h"
#include "scrollbar.h"
#include "temperature.h"

#include <QLabel>
#include <QPlainTextEdit>

#include <cmath>

using namespace Qt::StringLiterals;

namespace varnelo {

namespace {

QLabel *makeLabel(const QString &objectName, const QString &caption, const TwipsRect &rect, QWidget *form)
{
    auto *label = new QLabel(caption, form);
    label->setObjectName(objectName);
    label->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    label->setWordWrap(true);
    label->setAutoFillBackground(true);
    QPalette palette = label->palette();
    palette.setColor(QPalette::Window, design::LabelBackColor);
    label->setPalette(palette);
    placeControl(label, rect);
    return label;
}

QPlainTextEdit *makeTextBox(const QString &objectName, const QString &text, const TwipsRect &rect,
                            QWidget *form)
{
    auto *box = new QPlainTextEdit(text, form);
    box->setObjectName(objectName);
    box->setReadOnly(true);
    box->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    box->setTabChangesFocus(true);
    box->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    box->setWordWrapMode(QTextOption::WordWrap);
    box->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    box->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    placeControl(box, rect);
    return box;
}

} // namespace

Varnelo::Varnelo(QWidget *parent)
    : Form(design::ClientWidth, design::ClientHeight, design::FormBackColor, parent)
{
    setObjectName(u"Varnelo"_s);
    setWindowTitle(QString::fromUtf16(design::WebAddress) + u' ' + QString::fromUtf16(design::CaptionTail));
    QFont font;
    font.setFamilies({u"Times New Roman"_s, u"Liberation Serif"_s});
    font.setStyleHint(QFont::Serif);
    font.setPixelSize(twipsToPixels(design::FontHeight));
    font.setWeight(QFont::Normal);
    setFont(font);

    // The labels are made first so that every other control lies above them.
    Label1[0] = makeLabel(u"Label1(0)"_s, QString::fromUtf16(design::TitleCaption), design::Label1_0, this);
    Label1[1] = makeLabel(u"Label1(1)"_s, QString::fromUtf16(design::ReadoutCaption), design::Label1_1, this);

    Text1[0] = makeTextBox(u"Text1(0)"_s, design::taskStatement(), design::Text1_0, this);
    Text1[1] = makeTextBox(u"Text1(1)"_s, design::quotation(), design::Text1_1, this);
    Text1[1]->hide();
    Text1[0]->setAccessibleName(u"Задание"_s);

    Picture1 = new PictureBox(design::PictureBackColor, this);
    Picture1->setObjectName(u"Picture1"_s);
    Picture1->setAccessibleName(u"Стълб на температурата"_s);
    placeControl(Picture1, design::Picture1);

    VScroll1 = new ScrollBar(Qt::Vertical, this);
    VScroll1->setObjectName(u"VScroll1"_s);
    VScroll1->setAccessibleName(u"Температура на нагряване"_s);
    VScroll1->setRange(design::ScrollMin, design::ScrollMax);
    VScroll1->setValue(design::ScrollMax);
    VScroll1->setSingleStep(1);
    VScroll1->setPageStep(1);
    placeControl(VScroll1, design::VScroll1);

    List1 = new ListBox(this);
    List1->setObjectName(u"List1"_s);
    List1->setAccessibleName(u"Фракции на нефта"_s);
    for (const Fraction &fraction : Fractions)
        List1->addItem(QString::fromUtf8(fraction.text.data(), qsizetype(fraction.text.size())));
    placeControl(List1, design::List1);

    setTabOrder(Text1[0], Picture1);
    setTabOrder(Picture1, VScroll1);
    setTabOrder(VScroll1, List1);
    Text1[0]->setFocus();

    route(VScroll1, &ScrollBar::Change, this, &Varnelo::VScroll1_Change);
    route(List1, &ListBox::Click, this, &Varnelo::List1_Click);
}

void Varnelo::Form_Load()
{
    VScroll1->setMaximum(design::ScrollMax);
    VScroll1->setMinimum(design::ScrollMin);
    TempLimit.fill();
}

void Varnelo::VScroll1_Change()
{
    const auto v = static_cast<std::int16_t>(VScroll1->value());
    const auto max = static_cast<std::int16_t>(VScroll1->maximum());
    Level = LevelFromValue(v, max);
    UpdateDisplay();
}

void Varnelo::List1_Click()
{
    // The guard that ends every chain: a ListIndex the display update has just set is no new pick.
    if (List1->ListIndex() == FractionIndex)
        return;
    FractionIndex = static_cast<std::int16_t>(List1->ListIndex());
    const FractionTarget target =
        ValueForFraction(FractionIndex, static_cast<std::int16_t>(VScroll1->maximum()), TempLimit);
    Level = target.level;
    VScroll1->setValue(target.value);
}

void Varnelo::UpdateDisplay()
{
    const std::int16_t x1 = 0;
    const float x2 = std::floor(Picture1->Width());
    const float yBottom = Picture1->Height();
    const double yLevel = checkedMultiply(Picture1->Height(), Level);
    const std::int16_t yTop = 0;
    Picture1->Cls();
    // Red from the level line down, then blue from the top down to it: the line itself is blue.
    Picture1->Line(x1, yBottom, x2, toSingle(yLevel), design::HeatedColor);
    Picture1->Line(x1, toSingle(yLevel), x2, yTop, design::RestColor);

    const auto max = static_cast<std::int16_t>(VScroll1->maximum());
    const double t = TemperatureOf(Level, max);
    Label1[1]->setText(QString::fromUtf16(design::ReadoutPrefix) + QString::number(static_cast<qint64>(t))
                       + QString::fromUtf16(design::ReadoutSuffix));
    // A screen reader hears the bar as the same sentence the read-out shows; the label itself keeps
    // no accessible name of its own, so its text is read too.
    Picture1->describe(Label1[1]->text());

    FractionIndex = FractionOf(t, TempLimit);
    if (List1->ListIndex() != FractionIndex)
        List1->setListIndex(FractionIndex);
}

} // namespace varnelo
