#include "Json.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "Windows1252.h"

void JsonWriter::Separate() {
    if (needComma_) {
        out_ += ',';
    }
    needComma_ = true;
}

JsonWriter& JsonWriter::BeginObject() {
    Separate();
    out_ += '{';
    needComma_ = false;
    return *this;
}

JsonWriter& JsonWriter::EndObject() {
    out_ += '}';
    needComma_ = true;
    return *this;
}

JsonWriter& JsonWriter::BeginArray(const char* key) {
    if (key) {
        Key(key);
    }
    Separate();
    out_ += '[';
    needComma_ = false;
    return *this;
}

JsonWriter& JsonWriter::EndArray() {
    out_ += ']';
    needComma_ = true;
    return *this;
}

JsonWriter& JsonWriter::Key(const char* key) {
    Text(key, std::string::npos);
    out_ += ':';
    needComma_ = false;
    return *this;
}

JsonWriter& JsonWriter::Number(double value) {
    Separate();
    if (!std::isfinite(value)) {
        out_ += "null";
        return *this;
    }
    char text[40] = {};
    std::snprintf(text, sizeof(text), "%.17g", value);
    out_ += text;
    return *this;
}

JsonWriter& JsonWriter::Float(float value) {
    Separate();
    if (!std::isfinite(value)) {
        out_ += "null";
        return *this;
    }
    // The shortest form that reads back as the same single-precision value.
    char text[40] = {};
    for (int digits = 6; digits <= 9; ++digits) {
        std::snprintf(text, sizeof(text), "%.*g", digits, static_cast<double>(value));
        if (std::strtof(text, nullptr) == value) {
            break;
        }
    }
    out_ += text;
    return *this;
}

JsonWriter& JsonWriter::Integer(int64_t value) {
    Separate();
    out_ += std::to_string(value);
    return *this;
}

JsonWriter& JsonWriter::Text(const char* text, size_t capacity) {
    Separate();
    out_ += '"';
    for (size_t i = 0; text && i < capacity && text[i] != '\0'; ++i) {
        unsigned char c = static_cast<unsigned char>(text[i]);
        if (c == '"' || c == '\\') {
            out_ += '\\';
            out_ += static_cast<char>(c);
        } else if (c < 0x20 || c >= 0x7F) {
            char escaped[8] = {};
            // Show texts are Windows-1252: 0x80 is the euro sign.
            std::snprintf(escaped, sizeof(escaped), "\\u%04x", static_cast<unsigned>(Windows1252ToUnicode(c)));
            out_ += escaped;
        } else {
            out_ += static_cast<char>(c);
        }
    }
    out_ += '"';
    return *this;
}
