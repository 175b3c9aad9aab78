#include "framework/Picture.h"

#include "framework/Bitmap.h"
#include "framework/ClassBuilder.h"
#include "framework/FileWriter.h"
#include "framework/Jpeg.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <memory>

// --- TGraphic -----------------------------------------------------------------------------

const TClass& TGraphic::StaticClass()
{
    static const TClass cls = TClassBuilder<TGraphic>("TGraphic", &TPersistent::StaticClass()).Build();
    return cls;
}

void TGraphic::SetWidth(int)
{
    throw EInvalidGraphicOperation("La taille de cette image ne peut pas changer");
}

void TGraphic::SetHeight(int)
{
    throw EInvalidGraphicOperation("La taille de cette image ne peut pas changer");
}

void TGraphic::SetModified(bool value)
{
    if (value)
        Changed();
    else
        modified_ = false;
}

void TGraphic::Changed()
{
    modified_ = true;
    OnChange(this);
}

void TGraphic::SaveToFile(const std::string& fileName)
{
    std::vector<BYTE> bytes;
    SaveToStream(bytes);
    TFileWriter writer(64 * 1024);
    writer.Create(fileName);
    writer.Write(bytes.data(), bytes.size());
    writer.Close();
}

void TGraphic::LoadFromFile(const std::string& fileName)
{
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::fopen(fileName.c_str(), "rb"), &std::fclose);
    if (!file)
        throw EInOutError(WindowsErrorFromErrno(errno));
    std::vector<BYTE> bytes;
    BYTE chunk[64 * 1024];
    size_t got = 0;
    while ((got = std::fread(chunk, 1, sizeof chunk, file.get())) > 0)
        bytes.insert(bytes.end(), chunk, chunk + got);
    if (std::ferror(file.get()))
        throw EInOutError(WindowsErrorFromErrno(errno != 0 ? errno : EIO));
    LoadFromStream(bytes);
}

// --- TPicture -----------------------------------------------------------------------------

const TClass& TPicture::StaticClass()
{
    static const TClass cls = TClassBuilder<TPicture>("TPicture", &TPersistent::StaticClass()).Build();
    return cls;
}

TPicture::TPicture() = default;

TPicture::~TPicture()
{
    if (graphic_)
        graphic_->OnChange.Clear();
}

void TPicture::Take(std::unique_ptr<TGraphic> graphic)
{
    if (graphic_)
        graphic_->OnChange.Clear();
    graphic_ = std::move(graphic);
    if (graphic_)
        graphic_->OnChange.Assign(this, &TPicture::GraphicChanged);
    OnChange(this);
}

void TPicture::GraphicChanged(TObject*)
{
    OnChange(this);
}

void TPicture::SetGraphic(const TGraphic* value)
{
    if (value == graphic_.get() && value != nullptr)
        return;
    Take(value != nullptr ? value->Clone() : nullptr);
}

TBitmap* TPicture::Bitmap()
{
    if (auto* bitmap = dynamic_cast<TBitmap*>(graphic_.get()))
        return bitmap;
    Take(std::make_unique<TBitmap>());
    return static_cast<TBitmap*>(graphic_.get());
}

void TPicture::SetBitmap(const TBitmap* value)
{
    SetGraphic(value);
}

int TPicture::Width() const noexcept
{
    return graphic_ ? graphic_->Width() : 0;
}

int TPicture::Height() const noexcept
{
    return graphic_ ? graphic_->Height() : 0;
}

void TPicture::Assign(const TPersistent* source)
{
    if (source == this)
        return;
    if (source == nullptr) {
        SetGraphic(nullptr);
    } else if (const auto* picture = dynamic_cast<const TPicture*>(source)) {
        SetGraphic(picture->Graphic());
    } else if (const auto* graphic = dynamic_cast<const TGraphic*>(source)) {
        SetGraphic(graphic);
    } else {
        TPersistent::Assign(source);
    }
}

void TPicture::AssignTo(TPersistent* dest) const
{
    if (auto* graphic = dynamic_cast<TGraphic*>(dest); graphic != nullptr && graphic_ != nullptr) {
        graphic->Assign(graphic_.get());
        return;
    }
    TPersistent::AssignTo(dest);
}

namespace {

std::string LowerExtension(const std::string& fileName)
{
    const size_t slash = fileName.find_last_of("/\\");
    const size_t dot = fileName.find_last_of('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash))
        return {};
    std::string ext = fileName.substr(dot);
    std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return ext;
}

} // namespace

void TPicture::LoadFromFile(const std::string& fileName)
{
    const std::string ext = LowerExtension(fileName);
    std::unique_ptr<TGraphic> graphic;
    if (ext == ".bmp" || ext == ".png")
        graphic = std::make_unique<TBitmap>();
    else if (ext == ".jpg" || ext == ".jpeg")
        graphic = std::make_unique<TJPEGImage>();
    else
        throw EInvalidGraphic("Extension de fichier inconnue (" + ext + ")");
    graphic->LoadFromFile(fileName);
    Take(std::move(graphic));
}

void TPicture::SaveToFile(const std::string& fileName)
{
    if (!graphic_)
        throw EInvalidGraphicOperation("L'image est vide");
    graphic_->SaveToFile(fileName);
}
