#include "app/ProgramClasses.h"

#include "app/Unit1.h"
#include "app/Unit2.h"
#include "framework/ClassRegistry.h"

void RegisterProgramClasses()
{
    RegisterClasses({&TForm1::StaticClass(), &TForm2::StaticClass()});
}
