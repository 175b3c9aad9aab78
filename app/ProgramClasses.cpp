#include "app/ProgramClasses.h"

#include "app/Unit1.h"
#include "app/Unit2.h"
#include "framework/ClassRegistry.h"
#include "platform/dshow/DirectShowServices.h"
#include "platform/mediaplayer/MediaPlayerInstall.h"
#include "videosource/ActiveMovie.h"

#include <cstdio>

namespace {

std::string Failure(const char* what, HRESULT hr)
{
    char text[96];
    std::snprintf(text, sizeof text, "%s : erreur 0x%08X", what, static_cast<unsigned>(hr));
    return text;
}

} // namespace

std::string InstallProgramComponents()
{
    if (const HRESULT hr = InstallDirectShowServices(); hr != S_OK)
        return Failure("Installation des services DirectShow", hr);
    if (const HRESULT hr = InstallMediaPlayerControl(); hr != S_OK)
        return Failure("Installation du lecteur multimédia", hr);
    return {};
}

void RegisterProgramClasses()
{
    RegisterActiveMovieClass();
    RegisterClasses({&TForm1::StaticClass(), &TForm2::StaticClass()});
}
