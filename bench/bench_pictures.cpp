// Load time of a 1920 x 1080 picture in each format the program reads. The
// files are written at start into a temporary folder: Windows bitmap and
// Targa by CDib's own writer, TIFF and Photoshop by the small writers below,
// JPEG (baseline and progressive) with libjpeg.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "CDib.h"
#include "HeadlessPlatform.h"

// jpeglib.h needs size_t and FILE declared first.
#include <jpeglib.h>

namespace {

constexpr int kWidth = 1920;
constexpr int kHeight = 1080;

// A smooth picture with some detail, top row first, as red, green, blue.
std::vector<uint8_t> TestPicture() {
    std::vector<uint8_t> rgb(static_cast<size_t>(kWidth) * kHeight * 3);
    for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < kWidth; ++x) {
            uint8_t* pixel = &rgb[(static_cast<size_t>(y) * kWidth + x) * 3];
            pixel[0] = static_cast<uint8_t>(x * 255 / kWidth);
            pixel[1] = static_cast<uint8_t>(y * 255 / kHeight);
            pixel[2] = static_cast<uint8_t>(128 + 127 * std::sin(x / 37.0 + y / 53.0));
        }
    }
    return rgb;
}

void Append(std::vector<uint8_t>& out, uint32_t value, int bytes, bool bigEndian) {
    for (int i = 0; i < bytes; ++i) {
        int shift = 8 * (bigEndian ? bytes - 1 - i : i);
        out.push_back(static_cast<uint8_t>(value >> shift));
    }
}

bool WriteAll(const std::string& path, const std::vector<uint8_t>& bytes) {
    FILE* out = std::fopen(path.c_str(), "wb");
    if (!out) {
        return false;
    }
    bool written = std::fwrite(bytes.data(), 1, bytes.size(), out) == bytes.size();
    return std::fclose(out) == 0 && written;
}

void WriteTiff(const std::string& path, const std::vector<uint8_t>& rgb) {
    const uint32_t entries[][4] = {
        {256, 4, 1, kWidth}, {257, 4, 1, kHeight}, {259, 3, 1, 1}, {262, 3, 1, 2}, {273, 4, 1, 8 + 2 + 7 * 12 + 4},
        {277, 3, 1, 3},      {278, 4, 1, kHeight}};
    std::vector<uint8_t> out = {'I', 'I', 42, 0, 8, 0, 0, 0};
    Append(out, 7, 2, false);
    for (const auto& entry : entries) {
        Append(out, entry[0], 2, false);
        Append(out, entry[1], 2, false);
        Append(out, entry[2], 4, false);
        Append(out, entry[3], 4, false);
    }
    Append(out, 0, 4, false);
    out.insert(out.end(), rgb.begin(), rgb.end());
    WriteAll(path, out);
}

// PackBits: runs of three or more equal bytes, literals otherwise.
void PackRow(const uint8_t* row, size_t count, std::vector<uint8_t>& out) {
    size_t i = 0;
    while (i < count) {
        size_t run = 1;
        while (i + run < count && run < 128 && row[i + run] == row[i]) {
            ++run;
        }
        if (run >= 3) {
            out.push_back(static_cast<uint8_t>(257 - run));
            out.push_back(row[i]);
            i += run;
            continue;
        }
        size_t start = i;
        while (i < count && i - start < 128 && !(i + 2 < count && row[i] == row[i + 1] && row[i] == row[i + 2])) {
            ++i;
        }
        out.push_back(static_cast<uint8_t>(i - start - 1));
        out.insert(out.end(), row + start, row + i);
    }
}

void WritePhotoshop(const std::string& path, const std::vector<uint8_t>& rgb, bool runLength) {
    std::vector<uint8_t> out = {'8', 'B', 'P', 'S', 0, 1, 0, 0, 0, 0, 0, 0};
    Append(out, 3, 2, true);
    Append(out, kHeight, 4, true);
    Append(out, kWidth, 4, true);
    Append(out, 8, 2, true);
    Append(out, 3, 2, true);
    Append(out, 0, 4, true);  // colour data, image resources, layers: none
    Append(out, 0, 4, true);
    Append(out, 0, 4, true);
    Append(out, runLength ? 1 : 0, 2, true);
    std::vector<uint8_t> plane(kWidth);
    std::vector<uint8_t> counts;
    std::vector<uint8_t> data;
    for (int channel = 0; channel < 3; ++channel) {
        for (int y = 0; y < kHeight; ++y) {
            for (int x = 0; x < kWidth; ++x) {
                plane[x] = rgb[(static_cast<size_t>(y) * kWidth + x) * 3 + channel];
            }
            size_t before = data.size();
            if (runLength) {
                PackRow(plane.data(), plane.size(), data);
                Append(counts, static_cast<uint32_t>(data.size() - before), 2, true);
            } else {
                data.insert(data.end(), plane.begin(), plane.end());
            }
        }
    }
    out.insert(out.end(), counts.begin(), counts.end());
    out.insert(out.end(), data.begin(), data.end());
    WriteAll(path, out);
}

void WriteJpeg(const std::string& path, const std::vector<uint8_t>& rgb, bool progressive) {
    FILE* out = std::fopen(path.c_str(), "wb");
    if (!out) {
        return;
    }
    jpeg_compress_struct info{};
    jpeg_error_mgr errors{};
    info.err = jpeg_std_error(&errors);
    jpeg_create_compress(&info);
    jpeg_stdio_dest(&info, out);
    info.image_width = kWidth;
    info.image_height = kHeight;
    info.input_components = 3;
    info.in_color_space = JCS_RGB;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, 90, TRUE);
    if (progressive) {
        jpeg_simple_progression(&info);
    }
    jpeg_start_compress(&info, TRUE);
    while (info.next_scanline < info.image_height) {
        JSAMPROW row = const_cast<uint8_t*>(&rgb[static_cast<size_t>(info.next_scanline) * kWidth * 3]);
        jpeg_write_scanlines(&info, &row, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    std::fclose(out);
}

void WriteBgrPictures(const std::string& folder, const std::vector<uint8_t>& rgb) {
    CDib picture(kWidth, kHeight, 24);
    for (int y = 0; y < kHeight; ++y) {
        uint8_t* row = picture.Row(kHeight - 1 - y);
        for (int x = 0; x < kWidth; ++x) {
            const uint8_t* pixel = &rgb[(static_cast<size_t>(y) * kWidth + x) * 3];
            row[3 * x] = pixel[2];
            row[3 * x + 1] = pixel[1];
            row[3 * x + 2] = pixel[0];
        }
    }
    (void)picture.Save(MakeFileSpec((folder + "/picture.bmp").c_str()), kDibBitmap);
    (void)picture.Save(MakeFileSpec((folder + "/picture.tga").c_str()), kDibTarga);
}

// The folder with one file per format, written once and removed at exit.
class PictureFolder {
public:
    PictureFolder() {
        std::string pattern = (std::filesystem::temp_directory_path() / "tavrilo-bench-XXXXXX").string();
        path_ = mkdtemp(pattern.data()) ? pattern : std::string();
        std::vector<uint8_t> rgb = TestPicture();
        WriteBgrPictures(path_, rgb);
        WriteTiff(path_ + "/picture.tif", rgb);
        WritePhotoshop(path_ + "/picture-raw.psd", rgb, false);
        WritePhotoshop(path_ + "/picture-rle.psd", rgb, true);
        WriteJpeg(path_ + "/picture.jpg", rgb, false);
        WriteJpeg(path_ + "/progressive.jpg", rgb, true);
    }
    ~PictureFolder() {
        std::error_code ignored;
        if (!path_.empty()) {
            std::filesystem::remove_all(path_, ignored);
        }
    }
    std::string File(const char* name) const { return path_ + "/" + name; }

private:
    std::string path_;
};

const PictureFolder& Pictures() {
    static const PictureFolder folder;
    return folder;
}

void LoadPicture(benchmark::State& state, const char* name) {
    Headless().quiet = true;
    std::string path = Pictures().File(name);
    FileSpec spec = MakeFileSpec(path.c_str());
    for (auto _ : state) {
        CDib picture(16, 16, 8);
        if (Result loaded = picture.Load(spec); !loaded) {
            state.SkipWithError(loaded.Message().c_str());
            break;
        }
        benchmark::DoNotOptimize(picture.Pixels());
    }
    state.SetItemsProcessed(state.iterations() * kWidth * kHeight);
}

}  // namespace

BENCHMARK_CAPTURE(LoadPicture, bitmap, "picture.bmp")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(LoadPicture, targa, "picture.tga")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(LoadPicture, tiff, "picture.tif")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(LoadPicture, photoshop_raw, "picture-raw.psd")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(LoadPicture, photoshop_rle, "picture-rle.psd")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(LoadPicture, jpeg, "picture.jpg")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(LoadPicture, jpeg_progressive, "progressive.jpg")->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
