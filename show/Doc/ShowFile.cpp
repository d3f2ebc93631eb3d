// The show file: the image of the stored fields, written and read field by
// field through bounded cursors, and the file commands built on it.
#include "ShowFile.h"

#include <algorithm>
#include <bit>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "Background.h"
#include "Evaluate.h"
#include "Settings.h"
#include "SettingsKeys.h"

namespace {

constexpr int kKeyBytes = 56;
constexpr int32_t kDocVersion = 1;

// Writes little-endian numbers and raw bytes into a buffer of fixed size;
// a write that does not fit is dropped and remembered.
class ImageWriter {
public:
    explicit ImageWriter(std::vector<uint8_t>& out) : out_(out) {}
    void Bytes(const void* data, size_t count) {
        if (count > out_.size() || pos_ > out_.size() - count) {
            failed_ = true;
            return;
        }
        if (data) {
            std::memcpy(out_.data() + pos_, data, count);
        }
        pos_ += count;
    }
    void Unsigned(uint32_t value, int count) {
        uint8_t bytes[4] = {};
        WriteInteger(bytes, value, count, false);
        Bytes(bytes, static_cast<size_t>(count));
    }
    void Flag(uint8_t& value) { Bytes(&value, 1); }
    void Short(int16_t& value) { Unsigned(static_cast<uint16_t>(value), 2); }
    void Int(int32_t& value) { Unsigned(static_cast<uint32_t>(value), 4); }
    void Color(uint32_t& value) { Unsigned(value, 4); }
    void Float(float& value) { Unsigned(std::bit_cast<uint32_t>(value), 4); }
    void Text(char* text, size_t size) { Bytes(text, size); }
    void FileName(char* name, size_t size) { Bytes(name, size); }
    size_t Position() const { return pos_; }
    bool Failed() const { return failed_; }

private:
    std::vector<uint8_t>& out_;
    size_t pos_ = 0;
    bool failed_ = false;
};

// Reads numbers in the chosen byte order and raw bytes from an image of
// known size; a read past the end gives zeros and is remembered. Every text
// slot read is terminated in its last byte.
class ImageReader {
public:
    ImageReader(const uint8_t* image, size_t size) : image_(image), size_(size) {}
    void Seek(size_t pos) { pos_ = pos; }
    void SetBigEndian(bool bigEndian) { bigEndian_ = bigEndian; }
    bool Bytes(void* out, size_t count) {
        if (pos_ > size_ || count > size_ - pos_) {
            std::memset(out, 0, count);
            failed_ = true;
            return false;
        }
        std::memcpy(out, image_ + pos_, count);
        pos_ += count;
        return true;
    }
    uint32_t Unsigned(int count) {
        uint8_t bytes[4] = {};
        if (!Bytes(bytes, static_cast<size_t>(count))) {
            return 0;
        }
        return ReadInteger(bytes, count, bigEndian_);
    }
    void Flag(uint8_t& value) { Bytes(&value, 1); }
    void Short(int16_t& value) { value = static_cast<int16_t>(Unsigned(2)); }
    void Int(int32_t& value) { value = static_cast<int32_t>(Unsigned(4)); }
    void Color(uint32_t& value) { value = Unsigned(4); }
    void Float(float& value) {
        uint32_t bits = Unsigned(4);
        std::memcpy(&value, &bits, sizeof(value));
    }
    void Text(char* text, size_t size) {
        Bytes(text, size);
        text[size - 1] = '\0';
    }
    // A file name that fills its whole slot lost its end when it was
    // stored; cut here it would name another file, so it is left out and
    // remembered for the message.
    void FileName(char* name, size_t size) {
        Bytes(name, size);
        if (std::memchr(name, '\0', size) == nullptr) {
            cutNames_.emplace_back(name, size);
            std::memset(name, 0, size);
        }
    }
    const std::vector<std::string>& CutNames() const { return cutNames_; }
    bool Failed() const { return failed_; }

private:
    const uint8_t* image_;
    size_t size_;
    size_t pos_ = 0;
    bool bigEndian_ = false;
    bool failed_ = false;
    std::vector<std::string> cutNames_;
};

// The records below are packed: their numbers are moved through aligned
// copies, never bound to references.
template <class Io>
void FontField(Io& io, FontSpec& font) {
    float size = font.size;
    int32_t style = font.style;
    uint32_t color = font.color;
    io.Float(size);
    io.Int(style);
    io.Text(font.face, sizeof(font.face));
    io.Color(color);
    font.size = size;
    font.style = style;
    font.color = color;
}

template <class Io>
void FileField(Io& io, FileSpec& file) {
    int16_t volume = file.volume;
    int32_t parentId = file.parentId;
    io.Short(volume);
    io.Int(parentId);
    io.FileName(file.name, sizeof(file.name));
    file.volume = volume;
    file.parentId = parentId;
}

template <class Io>
void StyleField(Io& io, ChartStyle& style) {
    int32_t value = static_cast<int32_t>(style);
    io.Int(value);
    style = static_cast<ChartStyle>(value);
}

// The data at the front of the block (offset 16): values, currentValues,
// set names and labels.
template <class Io>
void DataFields(Io& io, Show& show) {
    for (auto& row : show.values) {
        for (float& value : row) {
            io.Float(value);
        }
    }
    for (float& value : show.currentValues) {
        io.Float(value);
    }
    for (auto& name : show.setNames) {
        io.Text(name, sizeof(name));
    }
    for (auto& label : show.labels) {
        io.Text(label, sizeof(label));
    }
}

// Offsets 3240 to 4134: style, fonts, grid, ticks, walls and the data range.
template <class Io>
void LookFields(Io& io, Show& show) {
    StyleField(io, show.style);
    io.Int(show.visibility);
    io.Int(show.lighting);
    FontField(io, show.titleFont);
    FontField(io, show.labelFont);
    io.Flag(show.seeVideo);
    io.Int(show.chartWidth);
    io.Int(show.chartHeight);
    io.Int(show.gridLines);
    io.Color(show.gridColor);
    io.Int(show.tickLength);
    io.Int(show.tickLines);
    io.Color(show.tickColor);
    io.Color(show.wallsColor);
    FileField(io, show.wallsTexture);
    io.Flag(show.seeBack);
    io.Flag(show.seeLeft);
    io.Flag(show.seeBottom);
    io.Float(show.dataMin);
    io.Float(show.dataMax);
    io.Int(show.antiAliasing);
    io.Int(show.placement);
    io.Int(show.reservedWidth);
    io.Int(show.barWidth);
    io.Int(show.barDepth);
    io.Flag(show.animateData);
    io.Int(show.showSet);
    for (uint32_t& color : show.setColors) {
        io.Color(color);
    }
}

// Offsets 4135 to 5912: textures, value font, prefix, suffix, decimals,
// background, title and its spacing.
template <class Io>
void TextFields(Io& io, Show& show) {
    for (FileSpec& texture : show.setTextures) {
        FileField(io, texture);
    }
    FontField(io, show.valuesFont);
    io.Text(show.prefix, sizeof(show.prefix));
    io.Text(show.suffix, sizeof(show.suffix));
    io.Int(show.decimalPlaces);
    FileField(io, show.background);
    io.Text(show.title, sizeof(show.title));
    io.Int(show.titleSpacing);
}

// The block from offset 16 to 5912, in file order.
template <class Io>
void BlockFields(Io& io, Show& show) {
    DataFields(io, show);
    LookFields(io, show);
    TextFields(io, show);
}

template <class Io>
void KeyFields(Io& io, KeyFrame& key) {
    for (int channel = 0; channel < 12; ++channel) {
        float value = KeyChannel(key, channel);
        io.Float(value);
        SetKeyChannel(key, channel, value);
    }
    int32_t frame = key.frame;
    int16_t reserved52 = key.reserved52;
    int16_t reserved54 = key.reserved54;
    io.Int(frame);
    io.Short(reserved52);
    io.Short(reserved54);
    key.frame = frame;
    key.reserved52 = reserved52;
    key.reserved54 = reserved54;
}

bool IsSwapped(const uint8_t* image) {
    return ReadInteger(image, 2, false) == kShowMagicSwapped;
}

int ClampedKeyCount(const Show& show) {
    return std::clamp<int>(show.keyCount, 1, kMaxKeys);
}

// A file name as a terminated text.
struct NameText {
    char text[sizeof(FileSpec::name) + 1] = {};
    explicit NameText(const FileSpec& file) { std::memcpy(text, file.name, sizeof(file.name)); }
};

// Reads at most `limit` bytes from the start of a file; false when the file
// cannot be opened or read.
bool ReadFileStart(const FileSpec& file, long limit, std::vector<uint8_t>& bytes) {
    PlatformFile handle;
    if (!OpenFile(handle, file, kFileRead)) {
        return false;
    }
    bytes.assign(static_cast<size_t>(limit), 0);
    long count = ReadFile(handle, bytes.data(), limit);
    if (count < 0 || std::ferror(handle.handle)) {
        return false;
    }
    bytes.resize(static_cast<size_t>(count));
    return true;
}

void ShowFileTitle(const FileSpec* file) {
    if (!gMainWindow) {
        return;
    }
    if (file) {
        NameText name(*file);
        gMainWindow->ShowTitle(name.text);
    } else {
        gMainWindow->ShowTitle(nullptr);
    }
}

int Ask(const AskSaveFn& ask, const char* text, const char* caption) {
    return ask ? ask(text, caption) : AskYesNoCancel(text, caption);
}

}  // namespace

int ShowImageLength(const Show& show) {
    return kShowFileFixedBytes + kKeyBytes * ClampedKeyCount(show);
}

int16_t NewShowId() {
    std::srand(MillisecondsSinceSystemStart() % 65535u);
    return static_cast<int16_t>(std::rand() % 32768);
}

int WriteShowImage(Show& show, int16_t showId, std::vector<uint8_t>& out) {
    int length = ShowImageLength(show);
    int32_t count = ClampedKeyCount(show);
    out.assign(static_cast<size_t>(length), 0);
    show.keys[0].reserved44 = static_cast<float>(show.lengthFrames);
    ImageWriter writer(out);
    writer.Unsigned(kShowMagic, 2);
    writer.Short(showId);
    writer.Unsigned(static_cast<uint32_t>(length), 4);
    writer.Bytes(nullptr, 4);
    writer.Unsigned(kDocVersion, 4);
    BlockFields(writer, show);
    writer.Int(count);
    for (int i = 0; i < count; ++i) {
        KeyFields(writer, show.keys[i]);
    }
    writer.Bytes(nullptr, 4);
    return writer.Failed() || writer.Position() != out.size() ? 0 : length;
}

namespace {

// FNV-1a, 64 bits: enough to tell shows apart, not a seal against forgery.
constexpr uint64_t kDigestBasis = 14695981039346656037ull;
constexpr uint64_t kDigestPrime = 1099511628211ull;

void AddToDigest(uint64_t& digest, const void* bytes, size_t count) {
    const auto* byte = static_cast<const uint8_t*>(bytes);
    for (size_t i = 0; i < count; ++i) {
        digest = (digest ^ byte[i]) * kDigestPrime;
    }
}

}  // namespace

std::string ShowContentDigest(Show& show) {
    const int32_t frame = gCurrentFrame;
    Evaluate(show, 0);
    std::vector<uint8_t> image;
    WriteShowImage(show, 0, image);
    Evaluate(show, frame);
    uint64_t digest = kDigestBasis;
    AddToDigest(digest, image.data(), image.size());
    const int32_t stream[] = {show.streamColumns, show.streamLastRow};
    AddToDigest(digest, stream, sizeof(stream));
    AddToDigest(digest, &show.streamInterval, sizeof(show.streamInterval));
    AddToDigest(digest, show.streamValues.data(), show.streamValues.size() * sizeof(float));
    char text[17];
    std::snprintf(text, sizeof(text), "%016llx", static_cast<unsigned long long>(digest));
    return text;
}

const char* ShowImageProblem(const uint8_t* image, long size) {
    if (!image || size < 2) {
        return "it is not a show file";
    }
    uint32_t magic = ReadInteger(image, 2, false);
    if (magic != kShowMagic && magic != kShowMagicSwapped) {
        return "it is not a show file";
    }
    if (size < kShowFileKeysOffset) {
        return "the file is cut short";
    }
    auto count = static_cast<int32_t>(ReadInteger(image + kShowFileCountOffset, 4, IsSwapped(image)));
    if (count < 1 || count > kMaxKeys) {
        return "its keyframe count is damaged";
    }
    if (size < kShowFileKeysOffset + static_cast<long>(kKeyBytes) * count) {
        return "the file is cut short";
    }
    return nullptr;
}

bool CheckShowImage(const uint8_t* image, long size) {
    return ShowImageProblem(image, size) == nullptr;
}

bool ReadShowImage(Show& show, const uint8_t* image, long size, bool evaluate, std::vector<std::string>* notes) {
    if (!CheckShowImage(image, size)) {
        return false;
    }
    bool swapped = IsSwapped(image);
    ImageReader reader(image, static_cast<size_t>(size));
    // The block is taken as stored, whatever the byte order of the file.
    reader.Seek(16);
    BlockFields(reader, show);
    for (const std::string& name : reader.CutNames()) {
        char text[600] = {};
        PathTooLongText(name.c_str(), text, sizeof(text));
        if (notes) {
            notes->push_back(text);
        } else {
            ShowMessage(text, kNoNumber);
        }
    }
    reader.SetBigEndian(swapped);
    int32_t count = 0;
    reader.Int(count);
    show.keyCount = 0;
    for (int i = 0; i < count && i < kMaxKeys; ++i) {
        KeyFields(reader, show.keys[show.keyCount]);
        ++show.keyCount;
    }
    if (evaluate) {
        ShowFrame(show, 0);
    }
    reader.Seek(2);
    reader.Short(show.showId);
    show.modified = 0;
    show.undoPos = -1;
    show.undoCount = 0;
    show.redoCount = 0;
    return true;
}

void RememberFolder(const FileSpec& file) {
    NameText folder(file);
    char* slash = std::strrchr(folder.text, '/');
    if (slash) {
        slash[1] = '\0';
    } else {
        folder.text[0] = '\0';
    }
    WriteSettingString(kSettingInitialFolder, folder.text);
    WriteSettingInt(kSettingInitialVrefnum, file.volume);
    WriteSettingInt(kSettingInitialParId, file.parentId);
}

Result LoadShowFile(Show& show, const FileSpec& file) {
    const FileSpec chosen = file;  // `file` may be the show's own
    std::vector<uint8_t> bytes;
    const char* problem = nullptr;
    errno = 0;
    if (!ReadFileStart(chosen, kShowFileReadLimit, bytes)) {
        problem = errno != 0 ? FileErrorText(errno) : "it could not be read";
    } else {
        problem = ShowImageProblem(bytes.data(), static_cast<long>(bytes.size()));
    }
    if (problem) {
        return FileFailure("Can't read show file", SpecName(chosen), problem);
    }
    Result loaded;
    std::vector<std::string> notes;
    ReplaceShowContents(show, [&] {
        ResetShow(show);
        ReadShowImage(show, bytes.data(), static_cast<long>(bytes.size()), true, &notes);
        show.showFile = chosen;
        ShowFileTitle(&chosen);
        RememberFolder(chosen);
        Result background = SetBackground(show, show.background);
        if (!background) {
            // The loaded show's background cannot be opened: the previous
            // show's movie must not go on playing behind it.
            CloseBackgroundMovie(show);
            notes.push_back("Show file \"" + SpecName(chosen) +
                            "\" is loaded without its background: " + background.Message());
        }
    });
    for (std::string& note : notes) {
        loaded.AddNote(std::move(note));
    }
    if (gMainWindow) {
        gMainWindow->Redraw();
    }
    return loaded;
}

Result SaveShowFile(Show& show, const FileSpec& file) {
    const FileSpec chosen = file;  // `file` may be the show's own
    NameText name(chosen);
    std::vector<uint8_t> image;
    int16_t showId = NewShowId();
    int length = WriteShowImage(show, showId, image);
    if (length <= 0 || !WriteWholeFile(name.text, image.data(), length)) {
        int error = length <= 0 ? EINVAL : errno;
        return FileFailure("Can't save show file", name.text, std::strerror(error));
    }
    show.showId = showId;
    show.modified = 0;
    show.showFile = chosen;
    ShowFileTitle(&chosen);
    RememberFolder(chosen);
    return {};
}

bool SaveShowCommand(Show& show, const ChooseSaveFn& chooseSave) {
    FileSpec file = show.showFile;
    if (!chooseSave || !chooseSave(file)) {
        return false;
    }
    const Result saved = SaveShowFile(show, file);
    ShowFailure(saved);
    return saved.Ok();
}

bool QuickSaveCommand(Show& show, const ChooseSaveFn& chooseSave) {
    if (show.showFile.name[0] == '\0') {
        return SaveShowCommand(show, chooseSave);
    }
    // The file keeps the values of frame 0 (chart size, shown set, data).
    int32_t frame = gCurrentFrame;
    ShowFrame(show, 0);
    const FileSpec target = show.showFile;
    const Result saved = SaveShowFile(show, target);
    ShowFrame(show, frame);
    ShowFailure(saved);
    return saved.Ok();
}

bool AskToSaveChanges(Show& show, const AskSaveFn& ask, const ChooseSaveFn& chooseSave, const char* caption) {
    if (!show.modified) {
        return true;
    }
    int answer = Ask(ask, "Do you want to save current show?", caption ? caption : kNewShowCaption);
    if (answer == -1) {
        return false;
    }
    // A save that was asked for and did not happen ends the command, so the
    // changes are not thrown away.
    return answer != 1 || SaveShowCommand(show, chooseSave);
}

bool NewShowCommand(Show& show, const AskSaveFn& ask, const ChooseSaveFn& chooseSave) {
    if (!AskToSaveChanges(show, ask, chooseSave)) {
        return false;
    }
    ReplaceShowContents(show, [&] { ResetShow(show); });
    ShowFileTitle(nullptr);
    ShowFrame(show, 0);
    return true;
}

bool SaveBeforeExit(Show& show, const AskSaveFn& ask, const ChooseSaveFn& chooseSave) {
    if (!show.modified) {
        return true;
    }
    // Yes, No and Cancel: a stray Esc or a closed question keeps the program
    // and the show, unsaved but there.
    const int answer = Ask(ask, "Do you want to save this show?", "Exit Application");
    if (answer == 0) {
        return true;
    }
    return answer == 1 && SaveShowCommand(show, chooseSave);
}
