// The interface fonts and text drawing on the current port.
#include <QFontMetrics>
#include <QPainter>
#include <array>
#include <memory>

#include "QtInternal.h"
#include "Windows1252.h"

namespace {

QFont CurrentQFont() {
    if (Qtx().currentFont) {
        return Qtx().currentFont->font;
    }
    if (Qtx().uiFonts[kUiFont12]) {
        return Qtx().uiFonts[kUiFont12]->font;
    }
    return QFont();
}

}  // namespace

QString FromShowText(const char* text) {
    QString shown;
    for (const char* c = text ? text : ""; *c; ++c) {
        shown.append(QChar(static_cast<char16_t>(Windows1252ToUnicode(static_cast<uint8_t>(*c)))));
    }
    return shown;
}

QByteArray ToShowText(const QString& text) {
    QByteArray bytes;
    for (char32_t character : text.toUcs4()) {
        const int byte = UnicodeToWindows1252(character);
        bytes.append(byte < 0 ? '?' : static_cast<char>(byte));
    }
    return bytes;
}

PlatformFont* QtPlatform::CreateUiFont(const char* familyName, int size, int32_t flags) {
    auto* made = new PlatformFont;
    const QString family = FromUtf8Text(familyName);
    const bool serif = family.contains(QStringLiteral("Serif"), Qt::CaseInsensitive) ||
                       family.contains(QStringLiteral("Roman"), Qt::CaseInsensitive);
    made->font = QFont(serif ? QStringLiteral("serif") : QStringLiteral("Arial"));
    made->font.setStyleHint(serif ? QFont::Serif : QFont::SansSerif);
    made->font.setPixelSize(std::max(1, size));
    made->font.setWeight((flags & kFontBold) ? QFont::Bold : QFont::Normal);
    made->font.setItalic((flags & kFontItalic) != 0);
    made->font.setUnderline((flags & kFontUnderline) != 0);
    return made;
}

void QtPlatform::DeleteUiFont(PlatformFont* font) {
    if (font == Qtx().currentFont) {
        Qtx().currentFont = nullptr;
    }
    if (font == Qtx().previousFont) {
        Qtx().previousFont = nullptr;
    }
    delete font;
}

void QtPlatform::MakeInterfaceFonts() {
    Qtx().uiFonts[kUiFont8].reset(CreateUiFont("Arial", 8, 0));
    Qtx().uiFonts[kUiFont10].reset(CreateUiFont("Arial", 10, 0));
    Qtx().uiFonts[kUiFont12].reset(CreateUiFont("Arial", 12, 0));
    Qtx().uiFonts[kUiFont20].reset(CreateUiFont("Arial", 20, 0));
    Qtx().uiFonts[kUiFontBold13].reset(CreateUiFont("Arial", 13, kFontBold));
}

void QtPlatform::DeleteInterfaceFonts() {
    Qtx().currentFont = nullptr;
    Qtx().previousFont = nullptr;
    for (auto& font : Qtx().uiFonts) {
        font.reset();
    }
}

PlatformFont* QtPlatform::UiFont(int which) {
    if (which < 0 || which >= static_cast<int>(Qtx().uiFonts.size())) {
        return nullptr;
    }
    return Qtx().uiFonts[which].get();
}

void QtPlatform::SelectFont(PlatformFont* font, int64_t backColour, int backMode) {
    if (font) {
        Qtx().previousFont = Qtx().currentFont;
        Qtx().currentFont = font;
    } else {
        Qtx().currentFont = Qtx().previousFont;
        Qtx().previousFont = nullptr;
    }
    if (backColour >= 0) {
        Qtx().backColour = ToQColor(static_cast<uint32_t>(backColour));
    }
    if (backMode >= 0) {
        Qtx().backMode = backMode;
    }
}

int CurrentTextHeight() {
    return QFontMetrics(CurrentQFont()).height();
}

int QtPlatform::TextWidth(const char* text) {
    if (!text || !*text) {
        return 0;
    }
    return QFontMetrics(CurrentQFont()).horizontalAdvance(FromShowText(text));
}

void QtPlatform::DrawText(uint32_t colour, const char* text, int32_t x, int32_t y, int alignment) {
    PlatformPort port = GetPort();
    if (!port || !text || !*text || port->image.isNull()) {
        return;
    }
    const QFont font = CurrentQFont();
    const QFontMetrics metrics(font);
    const QString shown = FromShowText(text);
    const int width = metrics.horizontalAdvance(shown);
    int left = x;
    if ((alignment & kTextCenter) == kTextCenter) {
        left = x - width / 2;
    } else if (alignment & kTextRight) {
        left = x - width;
    }
    const QRect box(left, y, width, metrics.height());
    {
        QPainter painter(&port->image);
        if (Qtx().backMode == kBackOpaque) {
            painter.fillRect(box, Qtx().backColour);
        }
        painter.setFont(font);
        painter.setPen(ToQColor(colour));
        painter.drawText(QPoint(left, y + metrics.ascent()), shown);
    }
    if (port->widget) {
        port->widget->update(box.adjusted(-2, -2, 2, 2).translated(0, port->widgetOffsetY));
    }
}
