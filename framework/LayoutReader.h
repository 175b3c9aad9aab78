// Reading layouts: the text that describes a window (or any component) and the components
// it owns, kept in a ".layout" file beside the window's code and embedded into the program
// at build time (quellon_embed_layouts in framework/CMakeLists.txt).
//
// Format (UTF-8; '#' starts a comment that runs to the end of the line):
//
//   Form1: TForm1 {                      # the root: name and class
//     Caption = "Quellon v0.3 by Dresko" # string: \" \\ \n \r \t \xHH escapes
//     Left = 143                         # integer
//     Rate = 1.5                         # floating point (also -2, 1e-3, inf, -inf, nan)
//     Visible = false                    # boolean or WordBool: true / false
//     Align = alClient                   # enumeration value
//     Anchors = [akLeft, akTop]          # set
//     Font {                             # nested object, as a block...
//       Name = "MS Sans Serif"
//     }
//     Constraints.MinWidth = 131         # ...or with a dotted name
//     PopupMenu = Menu1                  # component of the layout, by name; or nil
//     OnShow = FormShow                  # handler: a published method of the root; or nil
//     ControlData = {                    # binary: hexadecimal digit pairs
//       0A1B2C3D
//     }
//     Button1: TButton {                 # a component owned by the root, whose parent
//       Left = 80                        # component is the enclosing block's one
//     }
//   }
//
// Reading into a root (normally from the root's constructor): the header's class must be
// the root's class or one of its bases; the root takes the header's name (or, when its
// owner already has a component of that name, the first free "<name>_<n>"). Each component
// block creates a component of the registered class (ClassRegistry.h) owned by the root,
// or reuses the root's component of that name, names it, hands it the enclosing block's
// component through SetParentComponent, then sets its properties in order. Component
// references are resolved at the end. Every component read (root first) is in csLoading
// from its creation to its Loaded() call, which happens once the whole layout has been
// read, in reading order; csReading covers its own block.
//
// Failure: EReadError "<source>, ligne <n> : <message>" naming the line, for syntax errors,
// unknown classes, properties, values or handlers, and errors raised by setters. The
// components created so far stay owned by the root (and are destroyed with it); their
// loading flags are cleared and Loaded() is not called. An exception from a Loaded() goes
// on to the caller; the components after it leave the loading state without Loaded(). UI
// thread.
#pragma once

#include <string>
#include <string_view>

class TComponent;

void ReadLayout(TComponent& root, std::string_view text, const std::string& sourceName = "layout");
