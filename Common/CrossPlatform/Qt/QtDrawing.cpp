// Drawing into the current port: shapes, marks, sliders, resource pictures,
// CDib pictures, and the port's pixels. Every call sets up and releases its
// own pen and brush, and asks the port's widget to show the changed area.
#include <QPainter>
#include <QPainterPath>
#include <algorithm>
#include <cstdio>
#include <map>

#include "CDib.h"
#include "QtInternal.h"

namespace {

QRect ToQRect(const Rect& r) {
    return QRect(r.left, r.top, r.right - r.left, r.bottom - r.top);
}

Qt::PenStyle ToPenStyle(int penStyle) {
    switch (penStyle) {
        case kPenDash:
            return Qt::DashLine;
        case kPenDot:
            return Qt::DotLine;
        default:
            return Qt::SolidLine;
    }
}

QPen MakePen(uint32_t colour, int penWidth, int penStyle) {
    QPen pen(ToQColor(colour), std::max(1, penWidth), ToPenStyle(penStyle), Qt::SquareCap, Qt::MiterJoin);
    return pen;
}

// The rectangle a pen of this width outlines so that it stays inside `r`.
QRectF InsideOutline(const Rect& r, int penWidth) {
    const double w = std::max(1, penWidth);
    return QRectF(r.left + w / 2.0, r.top + w / 2.0, std::max(0.0, r.right - r.left - w),
                  std::max(0.0, r.bottom - r.top - w));
}

// Runs a drawing step on the current port and shows the changed area.
template <typename Draw>
void OnPort(QRect bounds, Draw draw) {
    if (!Qtx().port || Qtx().port->image.isNull()) {
        return;
    }
    {
        QPainter painter(&Qtx().port->image);
        draw(painter);
    }
    if (Qtx().port->widget) {
        Qtx().port->widget->update(bounds.normalized().adjusted(-2, -2, 2, 2).translated(0, Qtx().port->widgetOffsetY));
    }
}

}  // namespace

PlatformPort QtPlatform::GetPort() {
    return Qtx().port;
}
void QtPlatform::SetPort(PlatformPort port) {
    Qtx().port = port;
}
PlatformPort QtPlatform::WindowPort(PlatformWindow& window) {
    return window.native ? &window.native->port : nullptr;
}

void QtPlatform::FrameRect(uint32_t colour, const Rect& rect, int penWidth, int penStyle) {
    OnPort(ToQRect(rect), [&](QPainter& p) {
        p.setPen(MakePen(colour, penWidth, penStyle));
        p.drawRect(InsideOutline(rect, penWidth));
    });
}

void QtPlatform::FillRect(uint32_t colour, const Rect& rect) {
    OnPort(ToQRect(rect), [&](QPainter& p) { p.fillRect(ToQRect(rect), ToQColor(colour)); });
}

void QtPlatform::DrawLine(uint32_t colour, int32_t x1, int32_t y1, int32_t x2, int32_t y2, int penWidth, int penStyle) {
    OnPort(QRect(QPoint(x1, y1), QPoint(x2, y2)), [&](QPainter& p) {
        QPen pen = MakePen(colour, penWidth, penStyle);
        pen.setCapStyle(Qt::FlatCap);
        p.setPen(pen);
        p.drawLine(QPointF(x1 + 0.5, y1 + 0.5), QPointF(x2 + 0.5, y2 + 0.5));
    });
}

void QtPlatform::FrameRoundRect(uint32_t colour, const Rect& rect, int corner, int penWidth, int penStyle) {
    OnPort(ToQRect(rect), [&](QPainter& p) {
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(MakePen(colour, penWidth, penStyle));
        p.drawRoundedRect(InsideOutline(rect, penWidth), corner / 2.0, corner / 2.0);
    });
}

void QtPlatform::FillRoundRect(uint32_t colour, const Rect& rect, int corner) {
    OnPort(ToQRect(rect), [&](QPainter& p) {
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(Qt::NoPen);
        p.setBrush(ToQColor(colour));
        p.drawRoundedRect(QRectF(ToQRect(rect)), corner / 2.0, corner / 2.0);
    });
}

void QtPlatform::FrameOval(uint32_t colour, const Rect& rect, int penWidth, int penStyle) {
    OnPort(ToQRect(rect), [&](QPainter& p) {
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(MakePen(colour, penWidth, penStyle));
        p.drawEllipse(InsideOutline(rect, penWidth));
    });
}

void QtPlatform::FillOval(uint32_t colour, const Rect& rect) {
    OnPort(ToQRect(rect), [&](QPainter& p) {
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(Qt::NoPen);
        p.setBrush(ToQColor(colour));
        p.drawEllipse(QRectF(ToQRect(rect)));
    });
}

void QtPlatform::InvertOval(const Rect& rect, int penWidth, int penStyle) {
    OnPort(ToQRect(rect), [&](QPainter& p) {
        p.setCompositionMode(QPainter::RasterOp_NotDestination);
        p.setPen(MakePen(0xFFFFFF, penWidth, penStyle));
        p.drawEllipse(InsideOutline(rect, penWidth));
    });
}

void QtPlatform::FillTriangle(uint32_t colour, int32_t x, int32_t y, int size, int direction) {
    QPolygon points;
    switch (direction) {
        case 0:
            points << QPoint(x, y - size) << QPoint(x, y + size) << QPoint(x + size, y);
            break;
        case 90:
            points << QPoint(x - size, y) << QPoint(x + size, y) << QPoint(x, y - size);
            break;
        case 180:
            points << QPoint(x, y - size) << QPoint(x, y + size) << QPoint(x - size, y);
            break;
        case 270:
            points << QPoint(x - size, y) << QPoint(x + size, y) << QPoint(x, y + size);
            break;
        default:
            return;
    }
    OnPort(points.boundingRect(), [&](QPainter& p) {
        p.setPen(ToQColor(colour));
        p.setBrush(ToQColor(colour));
        p.drawPolygon(points);
    });
}

void QtPlatform::DrawBevel(uint32_t lightColour, uint32_t darkColour, const Rect& rect, int penWidth) {
    const int w = std::max(1, penWidth);
    Rect r = rect;
    FillRect(lightColour, Rect{r.left, r.top, r.right, r.top + w});
    FillRect(lightColour, Rect{r.left, r.top, r.left + w, r.bottom});
    FillRect(darkColour, Rect{r.right - w, r.top, r.right, r.bottom});
    FillRect(darkColour, Rect{r.left, r.bottom - w, r.right, r.bottom});
}

void QtPlatform::DrawRadioMark(uint32_t colour, const Rect& rect, bool selected) {
    FrameOval(colour, rect, 1, kPenSolid);
    if (selected) {
        FillOval(colour, Rect{rect.left + 2, rect.top + 2, rect.right - 1, rect.bottom - 1});
    }
}

void QtPlatform::DrawCheckBox(uint32_t colour, const Rect& rect, bool checked) {
    FillRect(colour, rect);
    FrameRect(0, rect, 1, kPenSolid);
    if (checked) {
        DrawLine(0, rect.left + 2, rect.top + 2, rect.right - 3, rect.bottom - 3, 1, kPenSolid);
        DrawLine(0, rect.left + 2, rect.bottom - 3, rect.right - 3, rect.top + 2, 1, kPenSolid);
    }
}

void QtPlatform::DrawPercentSlider(uint32_t frameColour, uint32_t trackColour, const Rect& rect, int value, int scale,
                                   bool showNumber) {
    const int numberWidth = TextWidth("100") + 6;
    FillRect(trackColour, rect);
    FrameRect(frameColour, rect, 1, kPenSolid);
    const int left = rect.left + 4;
    const int right = rect.right - 4;
    const int middle = (rect.top + rect.bottom) / 2;
    DrawLine(frameColour, left, middle, right, middle, 1, kPenSolid);
    const int clamped = std::clamp(value, 0, 100);
    const int x = left + (right - left) * clamped / 100;
    FillTriangle(frameColour, x, rect.top + 4, 3, 270);
    if (showNumber) {
        long number = static_cast<long>(value * static_cast<double>(scale) * 0.01);
        number = std::min<long>(number, scale < 100 ? scale - 1 : scale);
        char text[32];
        std::snprintf(text, sizeof(text), "%ld", number);
        // The number's box is at least a line of the font high, centred on
        // the track, so no digit is cut off whatever the track's height.
        const int textHeight = CurrentTextHeight();
        const int boxHeight = std::max(rect.bottom - rect.top, textHeight);
        const int top = (rect.top + rect.bottom - boxHeight) / 2;
        FillRect(trackColour, Rect{rect.right, top, rect.right + numberWidth, top + boxHeight});
        DrawText(0, text, rect.right + 3, top + (boxHeight - textHeight) / 2, kTextLeft);
    }
}

// ---------------------------------------------------------------- pictures

const QImage* ResourceImage(int bitmapId) {
    std::map<int, QImage>& cache = Qtx().resourceImages;
    auto it = cache.find(bitmapId);
    if (it == cache.end()) {
        QImage image(QStringLiteral(":/bitmaps/%1.png").arg(bitmapId));
        it = cache.emplace(bitmapId, image.convertToFormat(QImage::Format_ARGB32_Premultiplied)).first;
    }
    return it->second.isNull() ? nullptr : &it->second;
}

bool QtPlatform::ResourceBitmapSize(int bitmapId, int& width, int& height) {
    const QImage* image = ResourceImage(bitmapId);
    if (!image) {
        return false;
    }
    width = image->width();
    height = image->height();
    return true;
}

bool QtPlatform::DrawResourceBitmap(const Rect& rect, int bitmapId, uint32_t rasterOp) {
    const QImage* image = ResourceImage(bitmapId);
    if (!image) {
        return false;
    }
    OnPort(QRect(QPoint(rect.left, rect.top), image->size()), [&](QPainter& p) {
        switch (rasterOp) {
            case kRopAnd:
                p.setCompositionMode(QPainter::RasterOp_SourceAndDestination);
                break;
            case kRopPaint:
                p.setCompositionMode(QPainter::RasterOp_SourceOrDestination);
                break;
            case kRopInvert:
                p.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
                break;
            default:
                break;
        }
        p.drawImage(rect.left, rect.top, *image);
    });
    return true;
}

bool QtPlatform::TileResourceBitmap(const Rect& area, int bitmapId) {
    const QImage* image = ResourceImage(bitmapId);
    if (!image || image->width() < 1 || image->height() < 1) {
        return false;
    }
    const QRect target = ToQRect(area);
    OnPort(target, [&](QPainter& p) {
        p.setClipRect(target);
        const int w = image->width();
        const int h = image->height();
        for (int y = (target.top() / h) * h; y <= target.bottom(); y += h) {
            for (int x = (target.left() / w) * w; x <= target.right(); x += w) {
                p.drawImage(x, y, *image);
            }
        }
    });
    return true;
}

bool QtPlatform::LoadResourceMask(int bitmapId, ResourceMask& mask) {
    const QImage* source = ResourceImage(bitmapId);
    if (!source) {
        return false;
    }
    mask.width = source->width();
    mask.height = source->height();
    mask.bits.assign(static_cast<size_t>(mask.width) * static_cast<size_t>(mask.height), 0);
    for (int y = 0; y < mask.height; ++y) {
        for (int x = 0; x < mask.width; ++x) {
            mask.bits[static_cast<size_t>(y * mask.width + x)] = qGray(source->pixel(x, y)) >= 128 ? 1 : 0;
        }
    }
    return true;
}

namespace {

// A top-down copy of a CDib the toolkit can draw; null for unusable pictures.
QImage ToQImage(const CDib& picture) {
    if (!picture.HasHeader() || !picture.Pixels() || picture.Width() < 1 || picture.Height() < 1) {
        return QImage();
    }
    const int bits = picture.BitsPerPixel();
    QImage::Format format = bits == 24   ? QImage::Format_BGR888
                            : bits == 32 ? QImage::Format_RGB32
                            : bits == 8  ? QImage::Format_Indexed8
                                         : QImage::Format_Invalid;
    if (format == QImage::Format_Invalid) {
        return QImage();
    }
    QImage view(picture.Pixels(), picture.Width(), picture.Height(), picture.Stride(), format);
    if (bits == 8) {
        QList<QRgb> table;
        const PaletteEntry* palette = picture.Palette();
        for (int i = 0; i < 256; ++i) {
            table.push_back(palette ? qRgb(palette[i].red, palette[i].green, palette[i].blue) : qRgb(i, i, i));
        }
        view.setColorTable(table);
    }
    return view.mirrored(false, true);
}

}  // namespace

void QtPlatform::StretchImage(const Rect& dest, const Rect& source, void* context, const CDib& image) {
    DrawingPort* port = context ? static_cast<DrawingPort*>(context) : Qtx().port;
    const QImage picture = ToQImage(image);
    if (!port || picture.isNull()) {
        return;
    }
    DrawingPort* saved = Qtx().port;
    Qtx().port = port;
    OnPort(ToQRect(dest), [&](QPainter& p) {
        p.setRenderHint(QPainter::SmoothPixmapTransform, false);
        p.setCompositionMode(QPainter::CompositionMode_Source);
        // Source rows count from the top of the picture as drawn.
        p.drawImage(ToQRect(dest), picture, ToQRect(source));
    });
    Qtx().port = saved;
}

void QtPlatform::DrawImage(const CDib& image, int32_t x, int32_t y) {
    const Rect source{0, 0, image.Width(), image.Height()};
    StretchImage(Rect{x, y, x + image.Width(), y + image.Height()}, source, nullptr, image);
}

uint32_t QtPlatform::PortPixel(PlatformPort port, int32_t x, int32_t y) {
    if (!port) {
        return 0;
    }
    // Client coordinates: the device pixel at the point's top left.
    const QSize size = ::PortSize(*port);
    const qreal ratio = port->image.devicePixelRatio();
    const int px = static_cast<int>(x * ratio);
    const int py = static_cast<int>(y * ratio);
    if (x < 0 || y < 0 || x >= size.width() || y >= size.height() || !port->image.valid(px, py)) {
        return 0;
    }
    return FromQColor(QColor(port->image.pixel(px, py)));
}

void QtPlatform::PortSize(PlatformPort port, int& width, int& height) {
    const QSize size = port ? ::PortSize(*port) : QSize();
    width = size.width();
    height = size.height();
}

QSize PortSize(const DrawingPort& port) {
    const qreal ratio = port.image.devicePixelRatio();
    return QSize(static_cast<int>(port.image.width() / ratio), static_cast<int>(port.image.height() / ratio));
}
