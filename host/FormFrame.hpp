#pragma once
// The window frame that the platform's forms measure themselves by (FormBorderWidth on the sides
// and bottom, FormCaptionHeight on top), drawn in the classic look: the designer draws it around
// the designed form, and screenshots of a dialog show it, whatever frame the window system has.

#include <QImage>
#include <QRect>
#include <QString>

class QPainter;
class QWidget;

// Paints the frame whose outer rectangle is Outer, with Caption in its caption bar.
void PaintFormFrame(QPainter& Painter, const QRect& Outer, const QString& Caption);

// An image of the window Client (the client area) inside its frame.
QImage FramedWindowImage(QWidget* Client, const QString& Caption);
