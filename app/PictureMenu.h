// The converted preview's right-click menu: the dithering to the 16 levels and the gamma of
// the tone curve, the picture options of TMovieConversion. The menu's check marks are the
// choice; PictureMenuOptions reads them back.
#pragma once

#include "convert/PictureOptions.h"
#include "framework/Events.h"

class TComponent;
class TPopupMenu;

// Captions, as the menu shows them.
constexpr const char* NoDitheringCaption = "No dithering";
constexpr const char* OrderedCaption = "Ordered dithering";
constexpr const char* DiffusionCaption = "Error diffusion (shimmers on moving video)";
constexpr const char* GammaCaption = "Gamma";
// The gamma items' captions are their values: "0.5" .. "2.5", with "1.0" the default.

// Makes the menu, owned by `owner`, with the plain conversion checked; every item fires
// `onChoice` once it is checked.
TPopupMenu* MakePictureMenu(TComponent* owner, const TNotifyEvent& onChoice);

// The options the menu's check marks say.
TPictureOptions PictureMenuOptions(const TPopupMenu& menu);
