// Reads the input as a layout into a fresh form with every control class registered: bad
// text must end in EReadError (or another framework exception) and leave nothing behind.
#include "tests/fuzz/FuzzTargets.h"

#include "framework/Controls.h"
#include "framework/Exceptions.h"
#include "framework/Forms.h"
#include "framework/LayoutReader.h"

#include <string_view>

#ifdef QUELLON_FUZZ_ENTRY
#include <QApplication>

#include <cstdlib>

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    static QApplication application(*argc, *argv);
    return 0;
}
#endif

QUELLON_FUZZ_TARGET(FuzzLayout)
{
    RegisterControlClasses();
    auto* form = new TForm(nullptr);
    try {
        ReadLayout(*form, std::string_view(reinterpret_cast<const char*>(data), size), "fuzz.layout");
    } catch (const Exception&) {
        // Refused, as it should be; the form keeps what was created and frees it below.
    }
    form->Free();
    return 0;
}
