// The entry of the windows module (see Windows.h): built into the module
// only, it registers the module's windows with the program's frame.
#include "maps/Register.h"
#include "metadata/Register.h"
#include "selection/Register.h"

extern "C" __attribute__((visibility("default"))) void trambelo_register_windows()
{
    RegisterSelectionForms();
    RegisterMapsForms();
    RegisterMetadataForms();
}
