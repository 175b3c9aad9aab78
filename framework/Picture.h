// TGraphic, the base of pictures that can be drawn on a canvas and kept in files (bitmap,
// JPEG), and TPicture, the holder of one graphic of any kind (an image control's picture).
//
// Ownership: a TPicture owns its graphic; whoever holds a TGraphic pointer from it must not
// keep it past the next change of the picture. Files are written through TFileWriter, so a
// file that cannot be written raises EInOutError "Erreur E/S <code>"; a file that cannot be
// read raises EInOutError too, and content that is not a picture of the expected kind
// raises EInvalidGraphic.
//
// UI thread.
#pragma once

#include "framework/Events.h"
#include "framework/Exceptions.h"
#include "framework/GraphicsTypes.h"
#include "framework/Object.h"

#include <memory>
#include <string>
#include <vector>

class TBitmap;
class TCanvas;

// Content that is not a valid picture of the kind asked for.
class EInvalidGraphic : public Exception {
public:
    using Exception::Exception;
};

// An operation the graphic does not support (changing a JPEG's size, an unsupported pixel
// format) or that failed for lack of resources.
class EInvalidGraphicOperation : public Exception {
public:
    using Exception::Exception;
};

class TGraphic : public TPersistent {
    QUELLON_CLASS()

public:
    virtual bool Empty() const = 0;
    virtual int Width() const = 0;
    virtual int Height() const = 0;
    // The base raises EInvalidGraphicOperation.
    virtual void SetWidth(int value);
    virtual void SetHeight(int value);

    // A new graphic of the same class holding a copy of this one (caller owns it).
    virtual std::unique_ptr<TGraphic> Clone() const = 0;

    // The file's bytes appended to `stream` / read from `stream` (the whole buffer).
    virtual void SaveToStream(std::vector<BYTE>& stream) = 0;
    virtual void LoadFromStream(const std::vector<BYTE>& stream) = 0;
    // Writes the file whole or not at all: the bytes go to a new file beside it, which takes
    // the name once complete and is removed when anything fails (EInOutError), leaving the
    // file that was there. An existing device or other special file is written in place.
    void SaveToFile(const std::string& fileName);
    void LoadFromFile(const std::string& fileName);

    bool Modified() const noexcept { return modified_; }
    void SetModified(bool value);

    // Fired after every change of the picture's content or size.
    TNotifyEvent OnChange;

protected:
    friend class TCanvas;
    // Draws the graphic stretched over `rect` of `canvas`.
    virtual void Draw(TCanvas& canvas, const TRect& rect) = 0;
    // Sets Modified and fires OnChange.
    void Changed();

private:
    bool modified_ = false;
};

class TPicture : public TPersistent {
    QUELLON_CLASS()

public:
    TPicture();
    ~TPicture() override;

    // The held graphic, nullptr when none.
    TGraphic* Graphic() const noexcept { return graphic_.get(); }
    // Holds a copy of `value` (of the same class); nullptr empties the picture.
    void SetGraphic(const TGraphic* value);
    // The held bitmap. When the picture holds another kind of graphic, or none, it is
    // replaced by a new empty bitmap first (and OnChange fires).
    TBitmap* Bitmap();
    void SetBitmap(const TBitmap* value);

    int Width() const noexcept;
    int Height() const noexcept;

    // From a TPicture (a copy of its graphic), a TGraphic (a copy of it) or nullptr (empty).
    void Assign(const TPersistent* source) override;

    // By extension, ignoring case: .bmp as TBitmap; .jpg/.jpeg as TJPEGImage; .png as a
    // TBitmap. EInvalidGraphic "Extension de fichier inconnue (.x)" for others. The picture
    // is unchanged when loading fails.
    void LoadFromFile(const std::string& fileName);
    // EInvalidGraphicOperation when the picture is empty.
    void SaveToFile(const std::string& fileName);

    // Fired after the picture gets another graphic and after every change of its graphic.
    TNotifyEvent OnChange;

protected:
    void AssignTo(TPersistent* dest) const override;

private:
    void Take(std::unique_ptr<TGraphic> graphic);
    void GraphicChanged(TObject* sender);

    std::unique_ptr<TGraphic> graphic_;
};
