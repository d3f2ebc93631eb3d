// The single-line text field: a native line edit over a window's client
// area, in the window table while it exists.
#include <QFont>
#include <cstring>

#include "QtInternal.h"

bool QtPlatform::CreateTextField(PlatformEdit& field, PlatformWindow& parent, int32_t x, int32_t y, int32_t width,
                                 int32_t height, int id, PlatformFont* font) {
    NativeWindow* window = parent.native;
    if (!window) {
        return false;
    }
    DestroyTextField(field);
    auto* edit = new NativeEdit(window);
    edit->setObjectName(QStringLiteral("field%1").arg(id));
    edit->setFrame(true);
    edit->setGeometry(x + window->ClientArea().left(), y + window->ClientArea().top(), width, height);
    edit->setTextMargins(0, 0, 0, 0);
    edit->setStyleSheet(QStringLiteral("QLineEdit { padding: 0px 0px 0px 3px; border: 1px solid black; }"));
    if (font) {
        edit->setFont(font->font);
    }
    field.field = edit;
    field.parent = &parent;
    AddToWindowTable(edit);
    edit->show();
    edit->setFocus();
    return true;
}

void QtPlatform::PlaceTextField(PlatformEdit& field, int32_t x, int32_t y, int32_t width, int32_t height,
                                bool visible) {
    if (!field.field || !field.parent || !field.parent->native) {
        return;
    }
    const QRect client = field.parent->native->ClientArea();
    field.field->setGeometry(x + client.left(), y + client.top(), width, height);
    if (visible && field.field->isHidden()) {
        field.field->show();
        field.field->setFocus();  // typing goes on where it was left
    } else if (!visible) {
        field.field->hide();
    }
}

void QtPlatform::SetTextFieldFont(PlatformEdit& field, PlatformFont* font) {
    if (field.field && font) {
        field.field->setFont(font->font);
    }
}

void QtPlatform::SetTextFieldText(PlatformEdit& field, const char* text, bool selectAll) {
    if (!field.field) {
        return;
    }
    field.field->setText(FromShowText(text));
    if (selectAll) {
        field.field->selectAll();
    }
}

void QtPlatform::SelectTextFieldText(PlatformEdit& field, int first, int last) {
    if (!field.field) {
        return;
    }
    field.field->setFocus();
    const int length = static_cast<int>(field.field->text().size());
    const int from = std::clamp(first, 0, length);
    const int to = last < 0 ? length : std::clamp(last, from, length);
    field.field->setSelection(from, to - from);
}

int QtPlatform::GetTextFieldText(const PlatformEdit& field, char* buffer, int capacity) {
    if (!buffer || capacity <= 0) {
        return 0;
    }
    buffer[0] = '\0';
    if (!field.field) {
        return 0;
    }
    const QByteArray text = ToShowText(field.field->text()).left(capacity - 1);
    std::memcpy(buffer, text.constData(), static_cast<size_t>(text.size()));
    buffer[text.size()] = '\0';
    return static_cast<int>(text.size());
}

void QtPlatform::FocusTextField(PlatformEdit& field) {
    if (field.field) {
        field.field->setFocus();
    }
}

void QtPlatform::ShowTextField(PlatformEdit& field) {
    if (field.field) {
        field.field->show();
    }
}

void QtPlatform::DestroyTextField(PlatformEdit& field) {
    if (!field.field) {
        return;
    }
    NativeEdit* edit = field.field;
    field.field = nullptr;
    RemoveFromWindowTable(edit);
    QWidget* parent = edit->parentWidget();
    delete edit;
    if (parent) {
        parent->setFocus();
    }
}

bool QtPlatform::TextFieldExists(const PlatformEdit& field) {
    return field.field != nullptr;
}

Rect QtPlatform::TextFieldRect(const PlatformEdit& field) {
    Rect r;
    if (field.field) {
        const QRect g = field.field->geometry();
        const int top = field.parent && field.parent->native ? field.parent->native->ClientArea().top() : 0;
        r = Rect{g.left(), g.top() - top, g.left() + g.width(), g.top() - top + g.height()};
    }
    return r;
}
