#include "FormFrame.hpp"

#include "Forms.hpp"

#include <QLinearGradient>
#include <QPainter>
#include <QPixmap>
#include <QWidget>

#include <algorithm>

void PaintFormFrame(QPainter& Painter, const QRect& Outer, const QString& Caption)
{
    const QColor Face(192, 192, 192);
    Painter.save();
    Painter.fillRect(Outer, Face);
    // The raised outer edge: light on the top and left, dark on the bottom and right.
    Painter.setPen(QColor(255, 255, 255));
    Painter.drawLine(Outer.topLeft(), Outer.topRight());
    Painter.drawLine(Outer.topLeft(), Outer.bottomLeft());
    Painter.setPen(QColor(64, 64, 64));
    Painter.drawLine(Outer.bottomLeft(), Outer.bottomRight());
    Painter.drawLine(Outer.topRight(), Outer.bottomRight());
    const QRect Bar(Outer.left() + FormBorderWidth, Outer.top() + FormBorderWidth,
                    Outer.width() - 2 * FormBorderWidth, FormCaptionHeight - FormBorderWidth - 2);
    QLinearGradient Gradient(Bar.topLeft(), Bar.topRight());
    Gradient.setColorAt(0, QColor(0, 0, 128));
    Gradient.setColorAt(1, QColor(16, 132, 208));
    Painter.fillRect(Bar, Gradient);
    QFont Font = Painter.font();
    Font.setBold(true);
    Font.setPixelSize(std::max(8, Bar.height() - 8));
    Painter.setFont(Font);
    Painter.setPen(Qt::white);
    const QRect Box(Bar.right() - Bar.height() + 2, Bar.top() + 2, Bar.height() - 4, Bar.height() - 4);
    Painter.drawText(Bar.adjusted(6, 0, -Box.width() - 8, 0), Qt::AlignVCenter | Qt::AlignLeft, Caption);
    // The close box.
    Painter.fillRect(Box, Face);
    Painter.setPen(QColor(0, 0, 0));
    Painter.drawLine(Box.topLeft() + QPoint(4, 4), Box.bottomRight() - QPoint(4, 4));
    Painter.drawLine(Box.topRight() + QPoint(-4, 4), Box.bottomLeft() + QPoint(4, -4));
    Painter.restore();
}

QImage FramedWindowImage(QWidget* Client, const QString& Caption)
{
    const QSize Size = Client->size();
    QImage Image(Size.width() + 2 * FormBorderWidth, Size.height() + FormCaptionHeight + FormBorderWidth,
                 QImage::Format_ARGB32);
    Image.fill(Qt::transparent);
    QPainter Painter(&Image);
    PaintFormFrame(Painter, Image.rect(), Caption);
    Painter.drawPixmap(FormBorderWidth, FormCaptionHeight, Client->grab());
    return Image;
}
