// Writes the seed inputs of the picture and layout fuzz targets: packed DIBs and BMP files of
// every layout the readers take (1 to 32 bits, colour tables, bit fields, both row orders,
// the longer headers) and layouts using every kind of value and every control class.
// Usage: fuzz_seeds FOLDER (writes FOLDER/packed_dib, FOLDER/bmp_file, FOLDER/layout).
#include "platform/gdi/Gdi.h"
#include "tests/platform/gdi/DibBuilder.h"

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

using gditest::Dib;
using gditest::MakeDib;
using gditest::Noise;

void Write(const std::filesystem::path& path, const std::vector<BYTE>& bytes)
{
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

// Byte by byte: GCC 12 at -O2 misreads a range insert into a small vector as out of bounds.
void Append(std::vector<BYTE>& out, const std::vector<BYTE>& bytes)
{
    for (const BYTE byte : bytes)
        out.push_back(byte);
}

std::vector<BYTE> Packed(const Dib& dib)
{
    std::vector<BYTE> bytes(dib.info);
    Append(bytes, dib.bits);
    return bytes;
}

void PutDword(std::vector<BYTE>& out, std::size_t at, DWORD value)
{
    for (int i = 0; i < 4; ++i)
        out[at + i] = static_cast<BYTE>(value >> (8 * i));
}

// A BMP file: the 14-byte file header, then the packed DIB; with `headerBytes` above 40 the
// info header is widened (V4 = 108, V5 = 124) and the masks of BI_BITFIELDS move inside it.
std::vector<BYTE> BmpFile(const Dib& dib, DWORD headerBytes = 40)
{
    std::vector<BYTE> info(dib.info);
    if (headerBytes > 40) {
        // Masks or colour table: inside the wider header for masks, after it for a table.
        const std::vector<BYTE> rest(info.begin() + 40, info.end());
        info.resize(40);
        if (dib.Header()->biCompression == BI_BITFIELDS) {
            Append(info, rest);
            info.resize(headerBytes, 0);
        } else {
            info.resize(headerBytes, 0);
            Append(info, rest);
        }
        PutDword(info, 0, headerBytes);
    }
    std::vector<BYTE> file(14, 0);
    file[0] = 'B';
    file[1] = 'M';
    PutDword(file, 2, static_cast<DWORD>(14 + info.size() + dib.bits.size()));
    PutDword(file, 10, static_cast<DWORD>(14 + info.size()));
    Append(file, info);
    Append(file, dib.bits);
    return file;
}

std::vector<DWORD> Grey(int entries)
{
    std::vector<DWORD> table;
    for (int i = 0; i < entries; ++i) {
        const DWORD level = static_cast<DWORD>(i * 255 / (entries > 1 ? entries - 1 : 1));
        table.push_back(level | level << 8 | level << 16);
    }
    return table;
}

struct DibCase {
    const char* name;
    int bitCount;
    DWORD compression;
    std::vector<DWORD> tableOrMasks;
};

const char* const kLayouts[] = {
    // Every kind of value, nested blocks and dotted names.
    R"(Form1: TForm {
  Caption = "Quellon v0.3 by \"Dresko\"\t\xC3\xA9"
  Left = 143
  Top = -98
  ClientWidth = 514
  ClientHeight = 390
  BorderStyle = bsSingle
  BorderIcons = [biSystemMenu, biMinimize]
  Visible = false
  Font {
    Name = "MS Sans Serif"
    Height = -11
  }
  Constraints.MinWidth = 131
  Button1: TButton {
    Left = 80
    Width = 75
    Caption = "Open"
    Enabled = false
  }
  Panel1: TPanel {
    Left = 344
    Width = 153
    BevelOuter = bvLowered
    Label1: TLabel {
      Caption = "KQView :"
    }
    ScrollBar2: TScrollBar {
      Max = 32
      Position = 16
    }
  }
}
)",
    // The other controls, a component reference and binary data.
    R"(F: TForm {
  SpinEdit3: TSpinEdit {
    MaxLength = 3
    MaxValue = 999
    MinValue = 1
    Value = 3
  }
  zone: TShape {
    Brush.Color = 255
    Brush.Style = bsBDiagonal
    Constraints.MaxHeight = 240
  }
  Box: TPaintBox { Align = alClient }
  Picture: TImage { Stretch = true }
  Check: TCheckBox { Checked = true }
  Edit1: TEdit { Text = "a\\b\n" }
  Timer1: TTimer { Interval = 20 Enabled = false }
  OpenDialog1: TOpenDialog { Filter = "*.mpg|*.mpg|*.*|*.*" }
  SaveDialog1: TSaveDialog { FileName = "out.kql" }
  PopupMenu = nil
}
)",
    // Numbers of every form.
    R"(# comment
G: TForm { Tag = 2147483647 Left = -0 Top = 1e3 Width = inf Height = nan HelpContext = 0x10 Data = { 0A1B2C3D } }
)",
};

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: fuzz_seeds FOLDER\n");
        return 2;
    }
    const std::filesystem::path root = argv[1];
    for (const char* folder : {"packed_dib", "bmp_file", "layout"})
        std::filesystem::create_directories(root / folder);

    const std::vector<DibCase> cases = {
        {"1bit", 1, BI_RGB, Grey(2)},
        {"4bit", 4, BI_RGB, Grey(16)},
        {"4bit_short_table", 4, BI_RGB, Grey(5)},
        {"8bit", 8, BI_RGB, Grey(256)},
        {"8bit_short_table", 8, BI_RGB, Grey(3)},
        {"16bit_555", 16, BI_RGB, {}},
        {"16bit_565", 16, BI_BITFIELDS, {0xF800, 0x07E0, 0x001F}},
        {"16bit_444", 16, BI_BITFIELDS, {0x0F00, 0x00F0, 0x000F}},
        {"24bit", 24, BI_RGB, {}},
        {"32bit", 32, BI_RGB, {}},
        {"32bit_fields", 32, BI_BITFIELDS, {0x000000FF, 0x0000FF00, 0x00FF0000}},
    };
    for (const DibCase& c : cases) {
        for (const LONG height : {3, -3}) {
            const int paletteSize = static_cast<int>(c.tableOrMasks.size());
            const Dib dib = MakeDib(5, height, c.bitCount, c.compression, c.tableOrMasks, [&](int x, int y) {
                const DWORD noise = Noise(x, y);
                return c.bitCount <= 8 ? noise % static_cast<DWORD>(paletteSize) : noise;
            });
            const std::string name = std::string(c.name) + (height < 0 ? "_topdown" : "");
            Write(root / "packed_dib" / (name + ".dib"), Packed(dib));
            Write(root / "bmp_file" / (name + ".bmp"), BmpFile(dib));
            if (height > 0)
                Write(root / "bmp_file" / (name + "_v5.bmp"), BmpFile(dib, 124));
        }
    }
    int number = 0;
    for (const char* layout : kLayouts) {
        std::ofstream(root / "layout" / ("form" + std::to_string(++number) + ".layout")) << layout;
    }
    return 0;
}
