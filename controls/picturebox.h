// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QColor>
#include <QFrame>
#include <QString>

#include <vector>

namespace varnelo {

// A picture box: a sunken frame around a drawing area addressed in twips, origin at the area's
// top-left corner, y downwards. What is drawn is kept as a list of shapes and painted again on every
// paint event, so the bar survives being covered and uncovered. Edges are placed on whole device
// pixels at any device-pixel ratio. Screen readers see it as a picture; the form puts what it shows
// into its accessible description.
class PictureBox : public QFrame
{
    Q_OBJECT

public:
    explicit PictureBox(const QColor &backColor, QWidget *parent = nullptr);

    // Outer size in twips, frame included, as the form measures it.
    float Width() const;
    float Height() const;

    // Clears the drawing area to the background colour.
    void Cls();

    // The box form of Line, filled: an axis-parallel rectangle between two corners, both edges
    // included, clipped to the drawing area.
    void Line(float x1, float y1, float x2, float y2, const QColor &color);

    // Tells assistive technology in one sentence what the area shows. Qt announces every call, so an
    // unchanged sentence is not passed on: a screen reader hears only what has changed.
    void describe(const QString &sentence);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    struct Box {
        float x1, y1, x2, y2; // corners in twips, in any order
        QColor color;
    };

    QColor m_backColor;
    std::vector<Box> m_boxes;
};

} // namespace varnelo
