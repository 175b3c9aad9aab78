// TActiveMovie: where the sample grabber and capture saving plug in. The grabber graph, its
// callback (TSampleGrabberCB), the frame delivery (WM_GRABBERFRAME) and the BMP and JPEG
// files are built on these hooks; until then no grabber graph is ever ready, so every
// snapshot takes the renderer path, and the file kinds of TakeSnapshot hand nothing on.
#include "videosource/ActiveMovie.h"

#include "platform/com/ComRuntime.h"
#include "platform/dshow/DShowTypes.h"

bool TActiveMovie::ProbeGrabberAvailable()
{
    ComPtr<IBaseFilter> grabber;
    const HRESULT status = CoCreateInstance(CLSID_SampleGrabber, nullptr, CLSCTX_INPROC_SERVER, IID_IBaseFilter,
                                            reinterpret_cast<void**>(grabber.ReleaseAndGetAddressOf()));
    return status == S_OK && grabber;
}

bool TActiveMovie::ArmGrabberForSnapshot() { return false; }

bool TActiveMovie::SaveSnapshotFile(std::uint8_t, std::string&, TBitmap&) { return false; }
