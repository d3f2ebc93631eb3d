// A small JSON writer for the machine-readable output of tavrilo-render.
#pragma once

#include <cstdint>
#include <string>

class JsonWriter {
public:
    JsonWriter& BeginObject();
    JsonWriter& EndObject();
    JsonWriter& BeginArray(const char* key = nullptr);
    JsonWriter& EndArray();
    JsonWriter& Key(const char* key);
    JsonWriter& Number(double value);  // shortest text that reads back as the same float
    JsonWriter& Float(float value);
    JsonWriter& Integer(int64_t value);
    // Bytes of a fixed-size slot up to its first NUL, as Latin-1 text.
    JsonWriter& Text(const char* text, size_t capacity);
    const std::string& Result() const { return out_; }

private:
    void Separate();
    std::string out_;
    bool needComma_ = false;
};
