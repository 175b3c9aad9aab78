#include "framework/Picture.h"

#include "framework/Bitmap.h"
#include "framework/ClassBuilder.h"
#include "framework/FileWriter.h"
#include "framework/Jpeg.h"

#include <algorithm>
#include <atomic>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <memory>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

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

namespace {

void WriteFile(const std::string& path, const std::vector<BYTE>& bytes)
{
    TFileWriter writer(64 * 1024);
    writer.Create(path);
    writer.Write(bytes.data(), bytes.size());
    writer.Close();
}

// A new empty file beside `fileName` (so that a rename stays within one file system), made
// exclusively so that it replaces nothing. Empty, with errno set, when none can be made.
std::string CreateFileBeside(const std::string& fileName)
{
    static std::atomic<unsigned> serial{0};
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::string name = fileName + ".part" + std::to_string(::getpid()) + "-" + std::to_string(++serial);
        const int fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0) {
            ::close(fd);
            return name;
        }
        if (errno != EEXIST)
            return {};
    }
    errno = EEXIST;
    return {};
}

} // namespace

void TGraphic::SaveToFile(const std::string& fileName)
{
    std::vector<BYTE> bytes;
    SaveToStream(bytes);
    // The picture takes its name only once it is written whole: a write that fails half-way
    // (a full disk, a file-size limit) leaves the file that was there, or none, and no part of
    // the new one. Devices and other special files are written as they are.
    std::string target = fileName;
    struct stat info {};
    if (::stat(fileName.c_str(), &info) == 0) {
        if (!S_ISREG(info.st_mode)) {
            WriteFile(fileName, bytes);
            return;
        }
        // Through a link, the file it names is replaced and the link stays.
        std::error_code error;
        const std::filesystem::path resolved = std::filesystem::canonical(fileName, error);
        if (!error)
            target = resolved.string();
    }
    const std::string part = CreateFileBeside(target);
    if (part.empty())
        throw EInOutError(WindowsErrorFromErrno(errno, TMissingName::Folder));
    try {
        WriteFile(part, bytes);
        if (::rename(part.c_str(), target.c_str()) != 0)
            throw EInOutError(WindowsErrorFromErrno(errno));
    } catch (...) {
        ::unlink(part.c_str());
        throw;
    }
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
