#include "ShowInfo.h"

#include "Json.h"
#include "TavriloVersion.h"

namespace {

void WriteFont(JsonWriter& json, const char* key, const FontSpec& font) {
    json.Key(key).BeginObject();
    json.Key("size").Float(font.size);
    json.Key("style").Integer(font.style);
    json.Key("face").Text(font.face, sizeof(font.face));
    json.Key("color").Integer(font.color);
    json.EndObject();
}

void WriteFile(JsonWriter& json, const FileSpec& file) {
    json.BeginObject();
    json.Key("volume").Integer(file.volume);
    json.Key("parentId").Integer(file.parentId);
    json.Key("name").Text(file.name, sizeof(file.name));
    json.EndObject();
}

void WriteKey(JsonWriter& json, const KeyFrame& key) {
    static const char* const kChannels[12] = {"x",    "reserved4",  "y",    "width",   "height",     "spin",
                                              "tilt", "reserved28", "slow", "dataSet", "reserved40", "reserved44"};
    json.BeginObject();
    for (int channel = 0; channel < 12; ++channel) {
        json.Key(kChannels[channel]).Float(KeyChannel(key, channel));
    }
    json.Key("frame").Integer(key.frame);
    json.Key("reserved52").Integer(key.reserved52);
    json.Key("reserved54").Integer(key.reserved54);
    json.EndObject();
}

void WriteFloats(JsonWriter& json, const char* key, const float* values, int count) {
    json.BeginArray(key);
    for (int i = 0; i < count; ++i) {
        json.Float(values[i]);
    }
    json.EndArray();
}

void WriteTexts(JsonWriter& json, const char* key, const char (*texts)[kTextSlot], int count) {
    json.BeginArray(key);
    for (int i = 0; i < count; ++i) {
        json.Text(texts[i], kTextSlot);
    }
    json.EndArray();
}

void WriteStyle(JsonWriter& json, const Show& show) {
    json.Key("style").Integer(static_cast<int32_t>(show.style));
    json.Key("visibility").Integer(show.visibility);
    json.Key("lighting").Integer(show.lighting);
    WriteFont(json, "titleFont", show.titleFont);
    WriteFont(json, "labelFont", show.labelFont);
    json.Key("seeVideo").Integer(show.seeVideo);
    json.Key("chartWidth").Integer(show.chartWidth);
    json.Key("chartHeight").Integer(show.chartHeight);
    json.Key("gridLines").Integer(show.gridLines);
    json.Key("gridColor").Integer(show.gridColor);
    json.Key("tickLength").Integer(show.tickLength);
    json.Key("tickLines").Integer(show.tickLines);
    json.Key("tickColor").Integer(show.tickColor);
    json.Key("wallsColor").Integer(show.wallsColor);
    json.Key("wallsTexture");
    WriteFile(json, show.wallsTexture);
    json.Key("seeBack").Integer(show.seeBack);
    json.Key("seeLeft").Integer(show.seeLeft);
    json.Key("seeBottom").Integer(show.seeBottom);
    json.Key("dataMin").Float(show.dataMin);
    json.Key("dataMax").Float(show.dataMax);
    json.Key("antiAliasing").Integer(show.antiAliasing);
    json.Key("placement").Integer(show.placement);
    json.Key("reservedWidth").Integer(show.reservedWidth);
    json.Key("barWidth").Integer(show.barWidth);
    json.Key("barDepth").Integer(show.barDepth);
    json.Key("animateData").Integer(show.animateData);
    json.Key("showSet").Integer(show.showSet);
}

void WriteLook(JsonWriter& json, const Show& show) {
    json.BeginArray("setColors");
    for (uint32_t color : show.setColors) {
        json.Integer(color);
    }
    json.EndArray();
    json.BeginArray("setTextures");
    for (const FileSpec& texture : show.setTextures) {
        WriteFile(json, texture);
    }
    json.EndArray();
    WriteFont(json, "valuesFont", show.valuesFont);
    json.Key("prefix").Text(show.prefix, sizeof(show.prefix));
    json.Key("suffix").Text(show.suffix, sizeof(show.suffix));
    json.Key("decimalPlaces").Integer(show.decimalPlaces);
    json.Key("background");
    WriteFile(json, show.background);
    json.Key("title").Text(show.title, sizeof(show.title));
    json.Key("titleSpacing").Integer(show.titleSpacing);
}

}  // namespace

std::string ShowInfoJson(const Show& show) {
    JsonWriter json;
    json.BeginObject();
    json.Key("program").Text("tavrilo-render " TAVRILO_VERSION, std::string::npos);
    json.Key("showId").Integer(show.showId);
    json.Key("docVersion").Integer(show.docVersion);
    WriteTexts(json, "setNames", show.setNames, kDataRows);
    WriteTexts(json, "labels", show.labels, kCategories);
    WriteStyle(json, show);
    WriteLook(json, show);
    json.BeginArray("values");
    for (int row = 0; row < kDataRows; ++row) {
        WriteFloats(json, nullptr, show.values[row], kCategories);
    }
    json.EndArray();
    WriteFloats(json, "currentValues", show.currentValues, kCategories);
    json.Key("keyCount").Integer(show.keyCount);
    json.BeginArray("keys");
    for (int i = 0; i < show.keyCount && i < kMaxKeys; ++i) {
        WriteKey(json, show.keys[i]);
    }
    json.EndArray();
    json.EndObject();
    return json.Result();
}

std::string FrameJson(const Show& show) {
    JsonWriter json;
    json.BeginObject();
    json.Key("frame").Integer(gCurrentFrame);
    json.Key("x").Float(show.current.x);
    json.Key("y").Float(show.current.y);
    json.Key("width").Float(show.current.width);
    json.Key("height").Float(show.current.height);
    json.Key("spin").Float(show.current.spin);
    json.Key("tilt").Float(show.current.tilt);
    json.Key("slow").Float(show.current.slow);
    json.Key("dataSet").Float(show.current.dataSet);
    json.Key("chartWidth").Integer(show.chartWidth);
    json.Key("chartHeight").Integer(show.chartHeight);
    json.Key("showSet").Integer(show.showSet);
    WriteFloats(json, "currentValues", show.currentValues, kCategories);
    json.EndObject();
    return json.Result();
}
