// TGraphicsObject: the base of the framework's drawing tools (font, pen, brush). Each is a
// persistent value owned by its holder (a control or a canvas) that tells the holder about
// every change through OnChange, so the holder can repaint or reselect it.
//
// UI thread, like the holders. A change that leaves the value as it was is not reported.
#pragma once

#include "framework/Events.h"
#include "framework/GraphicsTypes.h"
#include "framework/Object.h"

class TGraphicsObject : public TPersistent {
    QUELLON_CLASS()

public:
    // Fired after every change of a property (and after Assign).
    TNotifyEvent OnChange;

protected:
    void Changed();
};
