#include "metadata/Register.h"

void RegisterBrowseForms();
void RegisterSchedeForms();

void RegisterMetadataForms()
{
    RegisterBrowseForms();
    RegisterSchedeForms();
}
