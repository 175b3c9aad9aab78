// A container site usually implements IOleInPlaceSite and IOleInPlaceFrame in one class, but
// both inherit IOleWindow::GetWindow with the same signature, and C++ lets one class give only
// one answer to both. The site must name the window the object lives in, the frame the
// top-level window. These two bases route each GetWindow to its own method:
//
//   class Host : public ComInterfaces<IOleClientSite, InPlaceSiteWindow, InPlaceFrameWindow, ...> {
//       HRESULT GetSiteWindow(HWND* window) override;   // IOleInPlaceSite::GetWindow
//       HRESULT GetFrameWindow(HWND* window) override;  // IOleInPlaceFrame::GetWindow
//   };
//
// They answer QueryInterface exactly as the interfaces they stand for. ContextSensitiveHelp
// stays shared between the two.
#pragma once

#include "platform/com/OleInterfaces.h"

struct InPlaceSiteWindow : IOleInPlaceSite {
    HRESULT GetWindow(HWND* window) final { return GetSiteWindow(window); }
    virtual HRESULT GetSiteWindow(HWND* window) = 0;
};
COM_INTERFACE_TRAITS(InPlaceSiteWindow, IOleInPlaceSite, IID_IOleInPlaceSite);

struct InPlaceFrameWindow : IOleInPlaceFrame {
    HRESULT GetWindow(HWND* window) final { return GetFrameWindow(window); }
    virtual HRESULT GetFrameWindow(HWND* window) = 0;
};
COM_INTERFACE_TRAITS(InPlaceFrameWindow, IOleInPlaceFrame, IID_IOleInPlaceFrame);
